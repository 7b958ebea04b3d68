// Value types, the canvas base class (scenes, saved states, clipping), bitmaps with their
// storage hooks, the framework's own CPU canvas and the codec manager.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/Canvas.h"
#include "ui/Codec.h"
#include "ui/Stream.h"

using namespace Ui;

namespace {

TEST(Types, MatrixAppliesLeftOperandFirst) {
    const TMatrix m = TMatrix::CreateScaling(2, 3) * TMatrix::CreateTranslation(10, 20);
    EXPECT_EQ(m.Transform({1, 1}), TPointF(12, 23));
    const TMatrix n = TMatrix::CreateTranslation(10, 20) * TMatrix::CreateScaling(2, 3);
    EXPECT_EQ(n.Transform({1, 1}), TPointF(22, 63));
    const TPointF back = m.Inverse().Transform({12, 23});
    EXPECT_FLOAT_EQ(back.X, 1);
    EXPECT_FLOAT_EQ(back.Y, 1);
    EXPECT_TRUE(TMatrix::CreateScaling(0, 1).Inverse().IsIdentity());  // singular
    // A quarter turn maps x to y (clockwise on a y-down screen).
    const TPointF r = TMatrix::CreateRotation(static_cast<float>(M_PI / 2)).Transform({1, 0});
    EXPECT_NEAR(r.X, 0, 1e-6);
    EXPECT_NEAR(r.Y, 1, 1e-6);
    const TRectF turned = TMatrix::CreateRotation(static_cast<float>(M_PI / 2)).TransformRect({0, 0, 2, 1});
    EXPECT_NEAR(turned.Width(), 1, 1e-6);
    EXPECT_NEAR(turned.Height(), 2, 1e-6);
}

TEST(Types, RectangleOperations) {
    const TRectF a{0, 0, 10, 10}, b{5, 5, 20, 20}, far{30, 30, 40, 40};
    EXPECT_EQ(TRectF::Intersect(a, b), TRectF(5, 5, 10, 10));
    EXPECT_TRUE(TRectF::Intersect(a, far).IsEmpty());
    EXPECT_EQ(TRectF::Union(a, b), TRectF(0, 0, 20, 20));
    EXPECT_EQ(TRectF::Union(TRectF(), b), b);
    EXPECT_TRUE(a.Contains({0, 0}));
    EXPECT_FALSE(a.Contains({10, 5}));  // half-open
    EXPECT_TRUE(TRectF(0, 0, NAN, 1).IsEmpty());
}

TEST(Types, ColourWithOpacityTruncatesAlpha) {
    struct Case { TAlphaColor color; float opacity; TAlphaColor expected; };
    for (const Case& c : {Case{0xFF112233, 1.0f, 0xFF112233}, Case{0xFF112233, 0.5f, 0x7F112233},
                          Case{0x80112233, 0.5f, 0x40112233}, Case{0xFF112233, 0.0f, 0x00112233},
                          Case{0xFF112233, 2.0f, 0xFF112233}, Case{0xFF112233, -1.0f, 0x00112233}})
        EXPECT_EQ(MakeColor(c.color, c.opacity), c.expected) << c.opacity;
}

TEST(Types, SetOrdinalsGiveBits) {
    enum class TOrientation { Portrait, Landscape, InvertedPortrait, InvertedLandscape };
    const TSet<TOrientation> s{TOrientation::Landscape, TOrientation::InvertedLandscape};
    EXPECT_EQ(s.Bits(), 10u);
    EXPECT_TRUE(s.Contains(TOrientation::Landscape));
    EXPECT_FALSE(s.Contains(TOrientation::Portrait));
    EXPECT_EQ(TSet<TOrientation>::FromBits(10), s);
    EXPECT_TRUE((s - TSet<TOrientation>{TOrientation::Landscape, TOrientation::InvertedLandscape}).Empty());
}

TEST(PixelFormat, BytesPerPixel) {
    struct Case { TPixelFormat f; int bytes; };
    for (const Case& c : {Case{TPixelFormat::None, 0}, Case{TPixelFormat::BGRA, 4}, Case{TPixelFormat::RGBA16, 8},
                          Case{TPixelFormat::BGR_565, 2}, Case{TPixelFormat::L, 1}, Case{TPixelFormat::A, 1},
                          Case{TPixelFormat::R16F, 2}, Case{TPixelFormat::RGBA16F, 8},
                          Case{TPixelFormat::RGBA32F, 16}, Case{static_cast<TPixelFormat>(99), 0}})
        EXPECT_EQ(PixelFormatBytes(c.f), c.bytes) << static_cast<int>(c.f);
}

TEST(PathData, CurvesTakeThreePointsAndBoundsCoverControls) {
    TPathData p;
    p.MoveTo({0, 0});
    p.CurveTo({0, 10}, {10, 10}, {10, 0});
    p.ClosePath();
    p.ClosePath();  // a second close adds nothing
    ASSERT_EQ(p.Count(), 5);
    EXPECT_EQ(p.Points()[1].Kind, TPathPointKind::CurveTo);
    EXPECT_EQ(p.Points()[4].Kind, TPathPointKind::Close);
    EXPECT_EQ(p.GetBounds(), TRectF(0, 0, 10, 10));
    EXPECT_EQ(p.LastPoint(), TPointF(0, 0));
    EXPECT_TRUE(TPathData().GetBounds().IsEmpty());

    TPathData e;
    e.AddEllipse({0, 0, 20, 10});
    EXPECT_EQ(e.Points()[0].Point, TPointF(0, 5));  // starts at the leftmost point
    EXPECT_EQ(e.GetBounds(), TRectF(0, 0, 20, 10));
}

TEST(PathData, PointInPathUsesEvenOdd) {
    TPathData ring;
    ring.AddRectangle({0, 0, 30, 30});
    ring.AddRectangle({10, 10, 20, 20});
    TBitmap b(1, 1);
    TCanvas& c = b.Canvas();
    EXPECT_TRUE(c.PtInPath({5, 5}, ring));
    EXPECT_FALSE(c.PtInPath({15, 15}, ring));  // the hole
    EXPECT_FALSE(c.PtInPath({35, 5}, ring));
    TPathData circle;
    circle.AddEllipse({0, 0, 20, 20});
    EXPECT_TRUE(c.PtInPath({10, 10}, circle));
    EXPECT_FALSE(c.PtInPath({1, 1}, circle));  // outside the arc, inside its box
}

// A canvas class whose hooks count what the framework asks of it.
struct THookLog {
    int initialized = 0, finalized = 0, mapped = 0, unmapped = 0;
    TMapAccess lastAccess = TMapAccess::Read;
};

struct TTestHandle {
    int width, height;
    TPixelFormat format;
    std::vector<uint8_t> pixels;
};

class TRecordingCanvas;

class TRecordingCanvasClass : public TCanvasClass {
public:
    mutable THookLog Log;
    std::string Name() const override { return "TRecordingCanvas"; }
    TCanvas* CreateFromWindow(TWindowHandle*, int, int, TCanvasQuality) const override;
    TCanvas* CreateFromBitmap(TBitmap& bitmap, TCanvasQuality quality) const override;
    THandle DoInitializeBitmap(int w, int h, float, TPixelFormat& f) const override {
        ++Log.initialized;
        if (f == TPixelFormat::None) f = TPixelFormat::RGBA;
        return reinterpret_cast<THandle>(new TTestHandle{w, h, f, {}});
    }
    void DoFinalizeBitmap(THandle& b) const override {
        ++Log.finalized;
        delete reinterpret_cast<TTestHandle*>(b);
        b = 0;
    }
    bool DoMapBitmap(THandle b, TMapAccess access, TBitmapData& data) const override {
        auto* h = reinterpret_cast<TTestHandle*>(b);
        ++Log.mapped;
        Log.lastAccess = access;
        const int pitch = h->width * PixelFormatBytes(h->format);
        if (h->pixels.empty()) h->pixels.assign(static_cast<size_t>(pitch * h->height), 0);
        data.Data = h->pixels.data();
        data.Pitch = pitch;
        return true;
    }
    void DoUnmapBitmap(THandle, TBitmapData&) const override { ++Log.unmapped; }
    int GetAttribute(TCanvasAttribute) const override { return 4096; }
};

const TRecordingCanvasClass& RecordingClass() {
    static const TRecordingCanvasClass instance;
    return instance;
}

class TRecordingCanvas : public TCanvas {
public:
    TRecordingCanvas(TWindowHandle* parent, int w, int h, TCanvasQuality q) : TCanvas(parent, w, h, q) {}
    TRecordingCanvas(TBitmap& bitmap, TCanvasQuality q) : TCanvas(bitmap, q) {}
    std::vector<std::string> Calls;
    bool RefuseScene = false;
    const TCanvasClass& CanvasClass() const override { return RecordingClass(); }

protected:
    bool DoBeginScene(const std::vector<TRectF>* clip, THandle ctx) override {
        Calls.push_back("begin");
        return !RefuseScene && TCanvas::DoBeginScene(clip, ctx);
    }
    void DoEndScene() override {
        Calls.push_back("end");
        TCanvas::DoEndScene();
    }
    void DoSetMatrix(const TMatrix& m) override { Calls.push_back("matrix " + std::to_string(m.m31)); }
    void DoFillRect(const TRectF&, float opacity, const TBrush& b) override {
        Calls.push_back("fill " + std::to_string(b.Color) + " " + std::to_string(opacity));
    }
    void DoFillPath(const TPathData& p, float, const TBrush&) override { Calls.push_back("path " + std::to_string(p.Count())); }
};

TCanvas* TRecordingCanvasClass::CreateFromWindow(TWindowHandle* parent, int w, int h, TCanvasQuality q) const {
    return new TRecordingCanvas(parent, w, h, q);
}
TCanvas* TRecordingCanvasClass::CreateFromBitmap(TBitmap& bitmap, TCanvasQuality q) const {
    return new TRecordingCanvas(bitmap, q);
}

// Makes the recording class the default canvas class for one test.
class RecordingCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        TCanvasManager::UnInitialize();
        TCanvasManager::RegisterCanvas(RecordingClass(), true, false);
        RecordingClass().Log = {};
    }
    void TearDown() override { TCanvasManager::UnInitialize(); }
};

TEST_F(RecordingCanvasTest, FirstDefaultWinsAndTheServiceRegistersTheRest) {
    EXPECT_EQ(&TCanvasManager::DefaultCanvas(), &RecordingClass());
    const auto classes = TCanvasManager::RegisteredCanvasClasses();
    ASSERT_EQ(classes.size(), 2u);  // ours, then the framework's own from its canvas service
    EXPECT_EQ(classes[1]->Name(), "TSoftwareCanvas");
}

TEST_F(RecordingCanvasTest, ScenesNestAndOnlyTheOutermostReachesTheHooks) {
    TBitmap bitmap(4, 3);
    auto& c = static_cast<TRecordingCanvas&>(bitmap.Canvas());
    int changes = 0;
    bitmap.OnChange = [&](TObject*) { ++changes; };
    EXPECT_THROW(c.FillRect({0, 0, 1, 1}, 1), ECanvasException);
    ASSERT_TRUE(c.BeginScene());
    ASSERT_TRUE(c.BeginScene());
    EXPECT_EQ(c.BeginSceneCount(), 2);
    c.EndScene();
    EXPECT_EQ(changes, 0);
    c.Fill().Color = 0xFF00FF00;
    c.FillRect({0, 0, 1, 1}, 0.5f);
    c.EndScene();
    c.EndScene();  // no scene left: ignored
    EXPECT_EQ(c.BeginSceneCount(), 0);
    EXPECT_EQ(changes, 1);  // the bitmap learns that its pixels changed
    EXPECT_EQ(c.Calls, (std::vector<std::string>{"begin", "matrix 0.000000", "fill 4278255360 0.500000", "end"}));
}

TEST_F(RecordingCanvasTest, RefusedSceneAndZeroSizeDoNotStart) {
    TBitmap bitmap(2, 2);
    auto& c = static_cast<TRecordingCanvas&>(bitmap.Canvas());
    c.RefuseScene = true;
    EXPECT_FALSE(c.BeginScene());
    EXPECT_EQ(c.BeginSceneCount(), 0);
    c.RefuseScene = false;
    c.SetSize(0, 2);
    EXPECT_FALSE(c.BeginScene());
    EXPECT_EQ(c.Calls, (std::vector<std::string>{"begin"}));  // a zero size never asks the hook
    c.SetSize(2, 2);
    EXPECT_TRUE(c.BeginScene());
    c.EndScene();
}

TEST_F(RecordingCanvasTest, BeginSceneResetsStrokeFillAndMatrix) {
    TBitmap bitmap(2, 2);
    TCanvas& c = bitmap.Canvas();
    c.Stroke().Thickness = 5;
    c.Stroke().Cap = TStrokeCap::Round;
    c.Stroke().SetDash(TStrokeDash::Dot);
    c.Fill().Kind = TBrushKind::Gradient;
    c.SetMatrix(TMatrix::CreateTranslation(3, 3));
    ASSERT_TRUE(c.BeginScene());
    EXPECT_EQ(c.Stroke().Thickness, 1);
    EXPECT_EQ(c.Stroke().Cap, TStrokeCap::Flat);
    EXPECT_EQ(c.Stroke().Dash(), TStrokeDash::Solid);
    EXPECT_TRUE(c.Stroke().DashArray().empty());
    EXPECT_EQ(c.Fill().Kind, TBrushKind::Solid);
    EXPECT_TRUE(c.Matrix().IsIdentity());
    c.EndScene();
}

TEST_F(RecordingCanvasTest, SavedStatesRestoreMatrixClipAndBrushes) {
    TBitmap bitmap(100, 100);
    bitmap.SetBitmapScale(1);
    TCanvas& c = bitmap.Canvas();
    ASSERT_TRUE(c.BeginScene());
    c.SetMatrix(TMatrix::CreateTranslation(10, 0));
    c.IntersectClipRect({0, 0, 50, 50});
    c.Fill().Color = TAlphaColors::Red;
    TCanvasSaveState* outer = c.SaveState();
    c.SetMatrix(TMatrix::CreateTranslation(20, 0));
    c.IntersectClipRect({0, 0, 10, 10});  // at x 20..30 in device space, inside 10..60
    c.ExcludeClipRect({0, 0, 1, 1});
    c.Fill().Color = TAlphaColors::Blue;
    ASSERT_TRUE(c.ClipBounds());
    EXPECT_EQ(*c.ClipBounds(), TRectF(20, 0, 30, 10));
    EXPECT_EQ(c.ClippingChangeCount(), 3);

    c.RestoreState(outer);
    EXPECT_EQ(c.Matrix(), TMatrix::CreateTranslation(10, 0));
    EXPECT_EQ(*c.ClipBounds(), TRectF(10, 0, 60, 50));
    EXPECT_TRUE(c.ExcludedRects().empty());
    EXPECT_EQ(c.Fill().Color, TAlphaColors::Red);
    // A state is restored once; a foreign or spent one is an error.
    EXPECT_THROW(c.RestoreState(outer), ECanvasException);
    EXPECT_THROW(c.RestoreState(nullptr), ECanvasException);
    c.EndScene();
}

TEST_F(RecordingCanvasTest, RoundedRectanglesArePathsAndAlignmentFollowsTheMatrix) {
    TBitmap bitmap(10, 10);
    TCanvas& c = bitmap.Canvas();
    ASSERT_TRUE(c.BeginScene());
    c.FillRect({0, 0, 8, 8}, 2, 2, AllCorners, 1, c.Fill());
    c.FillRect({0, 0, 8, 8}, 2, 2, TCorners(), 1, c.Fill());  // no corners: a plain rectangle
    auto& calls = static_cast<TRecordingCanvas&>(c).Calls;
    EXPECT_EQ(calls[2].substr(0, 5), "path ");
    EXPECT_EQ(calls[3].substr(0, 5), "fill ");
    c.SetMatrix(TMatrix::CreateTranslation(10.3f, 0.6f));
    EXPECT_NEAR(c.AlignToPixelHorizontally(0), -0.3f, 1e-5);  // lands on device column 10
    EXPECT_NEAR(c.AlignToPixelVertically(0), 0.4f, 1e-5);     // lands on device row 1
    EXPECT_EQ(c.MaxBitmapSize(), 4096);
    c.EndScene();
}

TEST_F(RecordingCanvasTest, BitmapStorageGoesThroughTheCanvasClassHooks) {
    const THookLog& log = RecordingClass().Log;
    {
        TBitmap empty;
        TBitmapData data;
        EXPECT_FALSE(empty.HandleAllocated());
        EXPECT_FALSE(empty.Map(TMapAccess::Read, data));
        EXPECT_THROW(empty.Canvas(), EInvalidOperation);

        TBitmap b(10, 10, TPixelFormat::RGBA16);
        EXPECT_EQ(log.initialized, 1);
        EXPECT_EQ(b.CanvasClass(), &RecordingClass());
        ASSERT_TRUE(b.Map(TMapAccess::Write, data));
        EXPECT_EQ(data.Pitch, 80);
        EXPECT_EQ(data.PixelFormat, TPixelFormat::RGBA16);
        EXPECT_EQ(log.lastAccess, TMapAccess::Write);
        TBitmapData other;
        b.Unmap(other);  // not a mapping of b: ignored
        EXPECT_EQ(log.unmapped, 0);
        b.Unmap(data);
        b.Unmap(data);  // already unmapped: ignored
        EXPECT_EQ(log.unmapped, 1);
        EXPECT_EQ(data.Data, nullptr);

        TBitmap chosen(2, 2);  // None: the class chooses
        EXPECT_EQ(chosen.PixelFormat(), TPixelFormat::RGBA);
        EXPECT_THROW(chosen.SetSize(-1, 2), EArgumentOutOfRange);
        EXPECT_THROW(chosen.SetSize(MaxBitmapSide + 1, 2), EArgumentOutOfRange);
        EXPECT_EQ(chosen.Width(), 2);
    }
    EXPECT_EQ(log.finalized, 2);
}

TEST_F(RecordingCanvasTest, SharedPixelsAreCopiedOnWrite) {
    TBitmap a(2, 1);
    TBitmapData d;
    ASSERT_TRUE(a.Map(TMapAccess::Write, d));
    d.SetPixel(0, 0, 0xFF102030);
    a.Unmap(d);

    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(a.ImageRefCount(), 2);
    EXPECT_EQ(b.Handle(), a.Handle());
    ASSERT_TRUE(b.Map(TMapAccess::Read, d));  // reading keeps sharing
    b.Unmap(d);
    EXPECT_EQ(b.Handle(), a.Handle());
    ASSERT_TRUE(b.Map(TMapAccess::ReadWrite, d));
    EXPECT_EQ(d.GetPixel(0, 0), 0xFF102030u);  // the copy holds the pixels
    d.SetPixel(0, 0, 0xFF000000);
    b.Unmap(d);
    EXPECT_NE(b.Handle(), a.Handle());
    EXPECT_EQ(a.ImageRefCount(), 1);
    ASSERT_TRUE(a.Map(TMapAccess::Read, d));
    EXPECT_EQ(d.GetPixel(0, 0), 0xFF102030u);  // the original is untouched
    a.Unmap(d);
}

// The framework's own canvas on a bitmap: pixels worked out by hand.
TEST(SoftwareCanvas, FillsClearsClipsAndBlends) {
    TCanvasManager::UnInitialize();
    TBitmap bitmap(4, 3);
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::BGRA);
    TCanvas& c = bitmap.Canvas();
    ASSERT_TRUE(c.BeginScene());
    c.Clear(0xFF0000FF);
    c.Fill().Color = 0xFFFF0000;
    c.FillRect({1, 1, 3, 2}, 0.5f);  // alpha 127 over opaque blue
    c.IntersectClipRect({0, 2, 4, 3});
    c.Fill().Color = 0xFF00FF00;
    c.FillRect({0, 0, 1, 3}, 1);  // clipped to the last row
    c.EndScene();

    TBitmapData d;
    ASSERT_TRUE(bitmap.Map(TMapAccess::Read, d));
    // 127 red over blue: red 127, blue 255 * (255 - 127) / 255 = 128.
    EXPECT_EQ(d.GetPixel(1, 1), 0xFF7F0080u);
    EXPECT_EQ(d.GetPixel(2, 1), 0xFF7F0080u);
    EXPECT_EQ(d.GetPixel(3, 1), 0xFF0000FFu);
    EXPECT_EQ(d.GetPixel(0, 0), 0xFF0000FFu);  // outside the clip
    EXPECT_EQ(d.GetPixel(0, 2), 0xFF00FF00u);
    bitmap.Unmap(d);
}

TEST(SoftwareCanvas, DrawsBitmapsScaledAndPathsEvenOdd) {
    TBitmap source(2, 1);
    TBitmapData d;
    ASSERT_TRUE(source.Map(TMapAccess::Write, d));
    d.SetPixel(0, 0, 0xFFFF0000);
    d.SetPixel(1, 0, 0xFF00FF00);
    source.Unmap(d);

    TBitmap target(8, 8);
    TCanvas& c = target.Canvas();
    ASSERT_TRUE(c.BeginScene());
    c.DrawBitmap(source, {0, 0, 2, 1}, {0, 0, 4, 2}, 1);  // each source pixel becomes 2 x 2
    TPathData ring;
    ring.AddRectangle({0, 2, 6, 8});
    ring.AddRectangle({2, 4, 4, 6});
    c.Fill().Color = TAlphaColors::White;
    c.FillPath(ring, 1);
    c.EndScene();

    ASSERT_TRUE(target.Map(TMapAccess::Read, d));
    EXPECT_EQ(d.GetPixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(d.GetPixel(2, 0), 0xFF00FF00u);
    EXPECT_EQ(d.GetPixel(4, 0), 0u);
    EXPECT_EQ(d.GetPixel(1, 3), 0xFFFFFFFFu);
    EXPECT_EQ(d.GetPixel(3, 5), 0u);  // the hole
    EXPECT_EQ(d.GetPixel(7, 7), 0u);
    target.Unmap(d);
}

// A codec for a tiny raw format: "RAW1", width, height, then BGRA pixels.
class TRawCodec : public TCustomBitmapCodec {
public:
    static TPointF GetImageSize(const std::string&) { return {0, 0}; }
    static bool IsValid(TStream& s) {
        char magic[4] = {};
        return s.Read(magic, 4) == 4 && std::string(magic, 4) == "RAW1";
    }
    bool LoadFromFile(const std::string&, TBitmapSurface&, unsigned) override { return false; }
    bool LoadFromStream(TStream& s, TBitmapSurface& surface, unsigned) override {
        char magic[4];
        int32_t wh[2];
        if (s.Read(magic, 4) != 4 || s.Read(wh, 8) != 8 || wh[0] < 0 || wh[1] < 0 || wh[0] > 64 || wh[1] > 64) return false;
        surface.SetSize(wh[0], wh[1]);
        return s.Read(surface.Bits(), static_cast<int64_t>(surface.Pitch()) * wh[1]) == surface.Pitch() * wh[1];
    }
    bool LoadThumbnailFromFile(const std::string&, float, float, bool, TBitmapSurface&) override { return false; }
    bool SaveToFile(const std::string&, const TBitmapSurface&, const TBitmapCodecSaveParams*) override { return false; }
    bool SaveToStream(TStream& s, const TBitmapSurface& surface, const std::string&, const TBitmapCodecSaveParams*) override {
        const int32_t wh[2] = {surface.Width(), surface.Height()};
        s.WriteBuffer("RAW1", 4);
        s.WriteBuffer(wh, 8);
        s.WriteBuffer(surface.Bits(), static_cast<int64_t>(surface.Pitch()) * surface.Height());
        return true;
    }
};

TEST(CodecManager, RegistersByExtensionAndRoundTripsThroughStreams) {
    const TBitmapCodecClass& raw = TBitmapCodecClassOf<TRawCodec>::Instance();
    EXPECT_TRUE(TBitmapCodecManager::RegisterBitmapCodecClass("RAW", "Raw images", true, raw));
    EXPECT_FALSE(TBitmapCodecManager::RegisterBitmapCodecClass(".raw", "Other", true, raw));  // taken
    EXPECT_TRUE(TBitmapCodecManager::CodecExists(".Raw"));
    EXPECT_EQ(TBitmapCodecManager::FindCodec("raw")->Description, "Raw images");
    EXPECT_THROW(TBitmapCodecManager::RegisterBitmapCodecClass("", "none", true, raw), EArgumentOutOfRange);

    TBitmap bitmap(3, 2);
    bitmap.Clear(0xFF336699);
    TMemoryStream stream;
    bitmap.SaveToStream(stream, ".raw");
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.Width(), 3);
    ASSERT_EQ(loaded.Height(), 2);
    TBitmapData d;
    ASSERT_TRUE(loaded.Map(TMapAccess::Read, d));
    EXPECT_EQ(d.GetPixel(2, 1), 0xFF336699u);
    loaded.Unmap(d);

    EXPECT_THROW(bitmap.SaveToStream(stream, ".nope"), EBitmapSavingFailed);
    TMemoryStream junk(std::vector<uint8_t>{'j', 'u', 'n', 'k'});
    EXPECT_THROW(loaded.LoadFromStream(junk), EBitmapLoadingFailed);
    try {
        loaded.LoadFromFile("/nonexistent/picture.png");
        FAIL();
    } catch (const EBitmapLoadingFailed& e) {
        EXPECT_STREQ(e.what(), "Loading bitmap failed (/nonexistent/picture.png)");
    }
    TBitmapCodecManager::UnregisterBitmapCodecClass(".raw");
    EXPECT_FALSE(TBitmapCodecManager::CodecExists(".raw"));
}

}  // namespace
