// Bitmaps that share storage: copy on write, and canvases that stay valid for their scenes.
// Two canvas kinds write bitmaps: the framework's own canvas maps its bitmap for the scene,
// and TDirectCanvas (like the Skia canvas) writes straight into the handle's pixels without
// mapping, so only the scene bracket itself can keep shared storage apart.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/Canvas.h"

using namespace Ui;

namespace {

struct TDirectHandle {
    int width, height;
    std::vector<uint32_t> pixels;
};

class TDirectCanvasClass;
const TDirectCanvasClass& DirectClass();

class TDirectCanvas : public TCanvas {
public:
    TDirectCanvas(TWindowHandle* parent, int w, int h, TCanvasQuality q) : TCanvas(parent, w, h, q) {}
    TDirectCanvas(TBitmap& bitmap, TCanvasQuality q) : TCanvas(bitmap, q) {}
    const TCanvasClass& CanvasClass() const override;

    void Clear(TAlphaColor color) override {
        CheckScene();
        for (uint32_t& p : fPixels->pixels) p = color;
    }

protected:
    bool DoBeginScene(const std::vector<TRectF>* clip, THandle ctx) override {
        if (!TCanvas::DoBeginScene(clip, ctx)) return false;
        // The handle is read once per scene, as a surface laid over its pixels would be.
        fPixels = reinterpret_cast<TDirectHandle*>(Bitmap()->Handle());
        return true;
    }
    void DoEndScene() override {
        fPixels = nullptr;
        TCanvas::DoEndScene();
    }

private:
    TDirectHandle* fPixels = nullptr;
};

class TDirectCanvasClass : public TCanvasClassFor<TDirectCanvas> {
public:
    mutable bool RefuseNewBitmaps = false;
    std::string Name() const override { return "TDirectCanvas"; }
    THandle DoInitializeBitmap(int w, int h, float, TPixelFormat& f) const override {
        if (RefuseNewBitmaps) return 0;
        f = TPixelFormat::BGRA;
        return reinterpret_cast<THandle>(new TDirectHandle{w, h, std::vector<uint32_t>(static_cast<size_t>(w * h))});
    }
    void DoFinalizeBitmap(THandle& b) const override {
        delete reinterpret_cast<TDirectHandle*>(b);
        b = 0;
    }
    bool DoMapBitmap(THandle b, TMapAccess, TBitmapData& data) const override {
        auto* h = reinterpret_cast<TDirectHandle*>(b);
        data.Data = h->pixels.data();
        data.Pitch = h->width * 4;
        return true;
    }
    void DoUnmapBitmap(THandle, TBitmapData&) const override {}
};

const TCanvasClass& TDirectCanvas::CanvasClass() const { return DirectClass(); }

const TDirectCanvasClass& DirectClass() {
    static const TDirectCanvasClass instance;
    return instance;
}

TAlphaColor PixelOf(TBitmap& b, int x, int y) {
    TBitmapData d;
    if (!b.Map(TMapAccess::Read, d)) return 0xDEADBEEF;
    const TAlphaColor c = d.GetPixel(x, y);
    b.Unmap(d);
    return c;
}

void Fill(TBitmap& b, TAlphaColor color) {
    TBitmapData d;
    ASSERT_TRUE(b.Map(TMapAccess::Write, d));
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x) d.SetPixel(x, y, color);
    b.Unmap(d);
}

enum class TCanvasKind { Software, Direct };

// Each test runs on both canvas kinds, made the default canvas class.
class BitmapSharing : public ::testing::TestWithParam<TCanvasKind> {
protected:
    void SetUp() override {
        TCanvasManager::UnInitialize();
        if (GetParam() == TCanvasKind::Direct) TCanvasManager::RegisterCanvas(DirectClass(), true, false);
        DirectClass().RefuseNewBitmaps = false;
    }
    void TearDown() override {
        DirectClass().RefuseNewBitmaps = false;
        TCanvasManager::UnInitialize();
    }
};

// Once the fault: the software canvas's begin-scene mapped the shared bitmap for writing, and
// the copy on write freed the very canvas whose begin-scene was running.
TEST_P(BitmapSharing, SceneOnAnAssignedBitmapWritesOnlyThatBitmap) {
    TBitmap a(3, 2);
    Fill(a, 0xFF112233);
    TBitmap b;
    b.Assign(&a);
    ASSERT_EQ(b.Handle(), a.Handle());

    TCanvas& canvas = b.Canvas();
    ASSERT_TRUE(canvas.BeginScene());
    EXPECT_NE(b.Handle(), a.Handle());  // b got storage of its own before anything was drawn
    EXPECT_EQ(&b.Canvas(), &canvas);    // and kept its canvas
    EXPECT_EQ(PixelOf(b, 2, 1), 0xFF112233u);  // the copy holds the shared pixels
    canvas.Clear(0xFF00FF00);
    canvas.EndScene();

    EXPECT_EQ(PixelOf(b, 2, 1), 0xFF00FF00u);
    EXPECT_EQ(PixelOf(a, 2, 1), 0xFF112233u);
    EXPECT_EQ(a.ImageRefCount(), 1);
    EXPECT_EQ(b.ImageRefCount(), 1);
}

// The other side of the same storage: the original is drawn while a copy shares it.
TEST_P(BitmapSharing, SceneOnTheOriginalLeavesTheCopyAlone) {
    TBitmap a(2, 2);
    Fill(a, 0xFF0000FF);
    TBitmap b;
    b.Assign(&a);
    ASSERT_TRUE(a.Canvas().BeginScene());
    a.Canvas().Clear(0xFFFF0000);
    a.Canvas().EndScene();
    EXPECT_EQ(PixelOf(a, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(PixelOf(b, 1, 1), 0xFF0000FFu);
}

TEST_P(BitmapSharing, WriteMappingKeepsTheCanvasAndItsOpenScene) {
    TBitmap a(2, 1);
    TCanvas& canvas = a.Canvas();
    ASSERT_TRUE(canvas.BeginScene());
    canvas.Clear(0xFF0000FF);
    TBitmapData d;
    ASSERT_TRUE(a.Map(TMapAccess::Write, d));  // within the scene: the storage is already a's own
    d.SetPixel(1, 0, 0xFFFFFFFF);
    a.Unmap(d);
    EXPECT_EQ(&a.Canvas(), &canvas);
    EXPECT_EQ(canvas.BeginSceneCount(), 1);
    canvas.Clear(0xFF00FF00);  // the scene still draws, into a's pixels
    canvas.EndScene();
    EXPECT_EQ(PixelOf(a, 0, 0), 0xFF00FF00u);

    // Outside a scene, a write mapping of shared pixels copies them and keeps the canvas too.
    TBitmap b;
    b.Assign(&a);
    ASSERT_TRUE(a.Map(TMapAccess::ReadWrite, d));
    d.SetPixel(0, 0, 0xFF000000);
    a.Unmap(d);
    EXPECT_EQ(&a.Canvas(), &canvas);
    EXPECT_EQ(PixelOf(b, 0, 0), 0xFF00FF00u);
}

// Storage being written is never shared: a bitmap assigned from it mid-scene or mid-mapping
// takes a snapshot, and what is drawn later does not reach it.
TEST_P(BitmapSharing, AssigningFromABitmapBeingWrittenTakesASnapshot) {
    TBitmap a(2, 2);
    ASSERT_TRUE(a.Canvas().BeginScene());
    a.Canvas().Clear(0xFF0000FF);
    TBitmap snapshot;
    snapshot.Assign(&a);
    EXPECT_NE(snapshot.Handle(), a.Handle());
    a.Canvas().Clear(0xFFFF0000);
    a.Canvas().EndScene();
    EXPECT_EQ(PixelOf(snapshot, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelOf(a, 0, 0), 0xFFFF0000u);

    TBitmapData d;
    ASSERT_TRUE(a.Map(TMapAccess::Write, d));
    TBitmap mapped;
    mapped.Assign(&a);
    d.SetPixel(0, 0, 0xFFFFFFFF);
    a.Unmap(d);
    EXPECT_EQ(PixelOf(mapped, 0, 0), 0xFFFF0000u);
}

// Replacing the storage under an open scene or a write mapping would leave them drawing into
// freed pixels: it is refused, and the scene goes on.
TEST_P(BitmapSharing, StorageBeingWrittenIsNotReplaced) {
    TBitmap a(2, 2), other(4, 4);
    TCanvas& canvas = a.Canvas();
    ASSERT_TRUE(canvas.BeginScene());
    EXPECT_TRUE(a.IsBeingWritten());
    EXPECT_THROW(a.SetSize(3, 3), EInvalidOperation);
    EXPECT_THROW(a.Assign(&other), EInvalidOperation);
    EXPECT_THROW(a.Assign(nullptr), EInvalidOperation);
    a.SetSize(2, 2);  // no change of size, nothing to replace
    canvas.Clear(0xFF00FF00);
    canvas.EndScene();
    EXPECT_FALSE(a.IsBeingWritten());
    EXPECT_EQ(a.Width(), 2);
    EXPECT_EQ(PixelOf(a, 1, 1), 0xFF00FF00u);

    TBitmapData d;
    ASSERT_TRUE(a.Map(TMapAccess::Write, d));
    EXPECT_THROW(a.SetSize(5, 5), EInvalidOperation);
    d.SetPixel(1, 1, 0xFF000000);
    a.Unmap(d);
    EXPECT_EQ(PixelOf(a, 1, 1), 0xFF000000u);

    // Read mappings do not pin; once the writers are gone the storage may change.
    ASSERT_TRUE(a.Map(TMapAccess::Read, d));
    EXPECT_FALSE(a.IsBeingWritten());
    a.Unmap(d);
    a.Assign(&other);
    EXPECT_EQ(a.Width(), 4);
}

TEST_P(BitmapSharing, NestedScenesAndRefusedScenesBalanceThePin) {
    TBitmap a(2, 2);
    TCanvas& canvas = a.Canvas();
    ASSERT_TRUE(canvas.BeginScene());
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
    EXPECT_TRUE(a.IsBeingWritten());
    canvas.EndScene();
    EXPECT_FALSE(a.IsBeingWritten());
    canvas.EndScene();  // none open: nothing happens
    EXPECT_FALSE(a.IsBeingWritten());

    // A bitmap destroyed with a scene open on its own canvas ends the scene first.
    {
        TBitmap doomed(1, 1);
        ASSERT_TRUE(doomed.Canvas().BeginScene());
    }
}

// When the canvas class cannot make the copy, the write is refused and nothing is lost.
TEST(BitmapSharingFailure, CopyThatCannotBeMadeRefusesTheWrite) {
    TCanvasManager::UnInitialize();
    TCanvasManager::RegisterCanvas(DirectClass(), true, false);
    {
        TBitmap a(2, 1);
        Fill(a, 0xFF123456);
        TBitmap b;
        b.Assign(&a);
        DirectClass().RefuseNewBitmaps = true;

        TBitmapData d;
        EXPECT_FALSE(b.Map(TMapAccess::Write, d));
        EXPECT_FALSE(b.IsBeingWritten());
        EXPECT_FALSE(b.Canvas().BeginScene());
        EXPECT_EQ(b.Canvas().BeginSceneCount(), 0);
        EXPECT_FALSE(b.IsBeingWritten());
        EXPECT_THROW(b.CopyToNewReference(), EInvalidOperation);
        EXPECT_EQ(b.Handle(), a.Handle());  // still sharing, pixels intact
        EXPECT_EQ(PixelOf(b, 1, 0), 0xFF123456u);
        DirectClass().RefuseNewBitmaps = false;
    }
    TCanvasManager::UnInitialize();
}

INSTANTIATE_TEST_SUITE_P(Canvases, BitmapSharing, ::testing::Values(TCanvasKind::Software, TCanvasKind::Direct),
                         [](const auto& info) { return info.param == TCanvasKind::Software ? "Software" : "Direct"; });

}  // namespace
