// The framework canvas on Skia: Skia's matrix, clip and save stack follow the framework's, and
// every primitive is drawn through the canvas's one paint, converted from the framework's brush
// and reset afterwards.
#include <chrono>
#include <cmath>
#include <functional>
#include <future>

#include "CanvasTestKit.h"
#include "Raised.h"

namespace {

using namespace kit;
using Ui::TMatrix;
using Ui::TPointF;
using Ui::TRectF;

constexpr const char* NoScene = "It is not possible to perform rendering. BeginScene was not invoked.";

// The pixel at (x, y) of a BGRA bitmap, 0xAARRGGBB.
Ui::TAlphaColor PixelOf(Ui::TBitmap& bitmap, int x, int y) {
    Ui::TBitmapData data;
    if (!bitmap.Map(Ui::TMapAccess::Read, data)) return 0xDEADBEEF;
    const Ui::TAlphaColor c = data.GetPixel(x, y);
    bitmap.Unmap(data);
    return c;
}

// True when another thread can take the bitmap's lock, so no mapping is left open.
bool Unmapped(Ui::TBitmap& bitmap) {
    auto other = std::async(std::launch::async, [&] {
        Ui::TBitmapData data;
        if (!bitmap.Map(Ui::TMapAccess::Read, data)) return false;
        bitmap.Unmap(data);
        return true;
    });
    return other.wait_for(std::chrono::seconds(5)) == std::future_status::ready && other.get();
}

class FrameworkCanvasOnSkia : public CanvasTest {
protected:
    // A scene on a bitmap of the given size and scale.
    Probe& Scene(int width = 100, int height = 100, float scale = 1,
                 Ui::TCanvasQuality quality = Ui::TCanvasQuality::SystemDefault) {
        bitmap = std::make_unique<Ui::TBitmap>(width, height);
        bitmap->SetBitmapScale(scale);
        canvas = std::make_unique<Probe>(*bitmap, quality);
        EXPECT_TRUE(canvas->BeginScene());
        skia.log.clear();
        sceneDepth = skia.LastCanvas()->stack.size();
        return *canvas;
    }
    fake::Canvas& SkCanvas() { return *skia.LastCanvas(); }
    const fake::Draw& OnlyDraw() {
        EXPECT_EQ(skia.draws.size(), 1u);
        static const fake::Draw none;
        return skia.draws.empty() ? none : skia.draws.back();
    }
    bool PaintIsReset() { return skia.PaintOf(canvas->PaintHandle()).IsDefault(); }

    std::unique_ptr<Ui::TBitmap> bitmap;
    std::unique_ptr<Probe> canvas;
    size_t sceneDepth = 0;  // the Skia save depth a scene starts at
};

// ---- matrix ----

TEST_F(FrameworkCanvasOnSkia, MatrixIsTheFrameworkMatrixFollowedByTheDeviceScale) {
    Probe& c = Scene(20, 10, 2);
    // The scene starts from the device scale alone.
    EXPECT_TRUE(Near(SkCanvas().Top().matrix.Transform({1, 0}), {2, 0}));
    c.SetMatrix(TMatrix::CreateTranslation(3, 4));
    // (1, 0) moved by (3, 4), then scaled by 2: translating after scaling would give (5, 4).
    EXPECT_TRUE(Near(SkCanvas().Top().matrix.Transform({1, 0}), {8, 8}));
    c.EndScene();

    // Outside a scene there is no Skia canvas, and the next scene starts from the scale again.
    skia.log.clear();
    c.SetMatrix(TMatrix::CreateTranslation(7, 7));
    EXPECT_TRUE(skia.log.empty());
    ASSERT_TRUE(c.BeginScene());
    EXPECT_TRUE(Near(SkCanvas().Top().matrix.Transform({1, 0}), {2, 0}));
    c.EndScene();
}

TEST_F(FrameworkCanvasOnSkia, RestoringAStateReinstallsItsMatrix) {
    Probe& c = Scene(20, 10, 2);
    c.SetMatrix(TMatrix::CreateTranslation(1, 0));
    Ui::TCanvasSaveState* state = c.SaveState();
    c.SetMatrix(TMatrix::CreateTranslation(9, 9));
    c.RestoreState(state);
    EXPECT_TRUE(Near(SkCanvas().Top().matrix.Transform({0, 0}), {2, 0}));
    EXPECT_TRUE(c.Matrix() == TMatrix::CreateTranslation(1, 0));
}

// ---- clip and saved states ----

TEST_F(FrameworkCanvasOnSkia, ClipRectanglesAreTakenInCurrentCoordinates) {
    Probe& c = Scene(100, 100, 2);
    c.SetMatrix(TMatrix::CreateTranslation(10, 0));
    c.IntersectClipRect({0, 0, 5, 5});
    c.ExcludeClipRect({1, 1, 2, 2});
    ASSERT_EQ(SkCanvas().Top().clips.size(), 2u);
    EXPECT_EQ(SkCanvas().Top().clips[0].op, 1);  // intersect, not anti-aliased
    EXPECT_TRUE(SkCanvas().Top().clips[0].device == TRectF(20, 0, 30, 10));
    EXPECT_EQ(SkCanvas().Top().clips[1].op, 0);  // difference
    EXPECT_TRUE(SkCanvas().Top().clips[1].device == TRectF(22, 2, 24, 4));
    EXPECT_EQ(skia.log.back(), "clip 0 22 2 24 4");
    EXPECT_EQ(c.ClippingChangeCount(), 2);
}

TEST_F(FrameworkCanvasOnSkia, SavedStatesBringBackTheClipOfTheirTime) {
    Probe& c = Scene();
    Ui::TCanvasSaveState* outer = c.SaveState();
    c.IntersectClipRect({10, 10, 50, 50});
    Ui::TCanvasSaveState* inner = c.SaveState();
    c.ExcludeClipRect({20, 20, 30, 30});
    EXPECT_EQ(SkCanvas().Top().clips.size(), 2u);
    c.RestoreState(inner);
    ASSERT_EQ(SkCanvas().Top().clips.size(), 1u);
    EXPECT_TRUE(SkCanvas().Top().clips[0].device == TRectF(10, 10, 50, 50));
    c.IntersectClipRect({0, 0, 5, 5});
    c.RestoreState(outer);
    EXPECT_TRUE(SkCanvas().Top().clips.empty());
    EXPECT_EQ(SkCanvas().stack.size(), sceneDepth);
}

TEST_F(FrameworkCanvasOnSkia, RestoringAnOlderStateAlsoDropsTheSavesOfNewerOnes) {
    // The framework discards the newer state with it; its Skia save must go too, or its clip
    // would outlive it.
    Probe& c = Scene();
    Ui::TCanvasSaveState* older = c.SaveState();
    c.IntersectClipRect({10, 10, 50, 50});
    c.SaveState();
    c.IntersectClipRect({20, 20, 30, 30});
    c.RestoreState(older);
    EXPECT_TRUE(SkCanvas().Top().clips.empty());
    EXPECT_EQ(SkCanvas().stack.size(), sceneDepth);
}

TEST_F(FrameworkCanvasOnSkia, ClearingNeedsAScene) {
    Ui::TBitmap target(4, 4);
    Probe c(target, Ui::TCanvasQuality::SystemDefault);
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"Clear", [&] { c.Clear(Ui::TAlphaColors::Red); }},
        {"ClearRect", [&] { c.ClearRect({0, 0, 1, 1}, Ui::TAlphaColors::Red); }},
        {"IntersectClipRect", [&] { c.IntersectClipRect({0, 0, 1, 1}); }},
        {"ExcludeClipRect", [&] { c.ExcludeClipRect({0, 0, 1, 1}); }},
        {"FillRect", [&] { c.FillRect({0, 0, 1, 1}, 1); }},
    };
    for (const auto& [name, call] : calls) EXPECT_EQ(Raised<Ui::ECanvasException>(call), NoScene) << name;
    EXPECT_TRUE(skia.log.empty());
}

TEST_F(FrameworkCanvasOnSkia, ClearRectClearsOnlyInsideTheRectangle) {
    Probe& c = Scene(4, 4);
    c.Clear(0xFF0000FF);
    c.ClearRect({1, 1, 3, 3}, 0x80FF0000);
    EXPECT_EQ(skia.log, (std::vector<std::string>{"clear ff0000ff", "save 2", "clip 1 1 1 3 3", "clear 80ff0000",
                                                  "restore"}));
    c.EndScene();
    // Without blending: half-transparent red replaces the blue, premultiplied.
    EXPECT_EQ(PixelOf(*bitmap, 1, 1), 0x80800000u);
    EXPECT_EQ(PixelOf(*bitmap, 2, 2), 0x80800000u);
    EXPECT_EQ(PixelOf(*bitmap, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelOf(*bitmap, 3, 1), 0xFF0000FFu);
}

// ---- primitives ----

TEST_F(FrameworkCanvasOnSkia, EveryPrimitiveDrawsThroughTheOnePaintAndResetsIt) {
    struct Case {
        const char* name;
        std::function<void(Ui::TCanvas&)> draw;
        std::string op;
        int style;
        std::string geometry;  // path text, or the rectangle / line
    };
    Ui::TPathData triangle;
    triangle.MoveTo({0, 0});
    triangle.LineTo({10, 0});
    triangle.LineTo({0, 10});
    triangle.ClosePath();
    auto rect = [](const fake::Draw& d) {
        return std::to_string(static_cast<int>(d.rect.Left)) + " " + std::to_string(static_cast<int>(d.rect.Top)) +
               " " + std::to_string(static_cast<int>(d.rect.Right)) + " " +
               std::to_string(static_cast<int>(d.rect.Bottom));
    };
    const std::vector<Case> cases = {
        {"FillRect", [](Ui::TCanvas& c) { c.FillRect({1, 2, 11, 12}, 1); }, "rect", 0, "1 2 11 12"},
        {"FillEllipse", [](Ui::TCanvas& c) { c.FillEllipse({0, 0, 10, 20}, 1); }, "path", 0, "O 0 0 10 20 0 3"},
        {"FillPath", [&](Ui::TCanvas& c) { c.FillPath(triangle, 1); }, "path", 0, "M 0 0 L 10 0 L 0 10 Z"},
        {"FillPolygon", [](Ui::TCanvas& c) { c.FillPolygon({{0, 0}, {4, 0}, {0, 4}}, 1); }, "path", 0,
         "M 0 0 L 4 0 L 0 4 Z"},
        {"DrawLine", [](Ui::TCanvas& c) { c.DrawLine({1, 1}, {9, 5}, 1); }, "line", 1, "1 1 9 5"},
        {"DrawRect", [](Ui::TCanvas& c) { c.DrawRect({1, 2, 11, 12}, 1); }, "rect", 1, "1 2 11 12"},
        {"DrawEllipse", [](Ui::TCanvas& c) { c.DrawEllipse({0, 0, 10, 20}, 1); }, "path", 1, "O 0 0 10 20 0 3"},
        {"DrawPath", [&](Ui::TCanvas& c) { c.DrawPath(triangle, 1); }, "path", 1, "M 0 0 L 10 0 L 0 10 Z"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Probe& c = Scene();
        c.Fill().Color = 0xFF102030;
        c.Stroke().Color = 0xFF405060;
        c.Stroke().Thickness = 3;
        skia.draws.clear();
        k.draw(c);
        const fake::Draw& d = OnlyDraw();
        EXPECT_EQ(d.op, k.op);
        EXPECT_EQ(d.paintHandle, c.PaintHandle());
        EXPECT_EQ(d.paint.style, k.style);
        EXPECT_EQ(d.paint.Color(), k.style == 0 ? 0xFF102030u : 0xFF405060u);
        EXPECT_TRUE(d.paint.antiAlias);
        if (k.op == "path") {
            EXPECT_EQ(d.path.Text(), k.geometry);
            if (k.name != std::string("FillEllipse") && k.name != std::string("DrawEllipse")) {
                EXPECT_EQ(d.path.fillType, 1);  // even-odd
            }
        } else if (k.op == "line") {
            EXPECT_TRUE(d.p1 == TPointF(1, 1) && d.p2 == TPointF(9, 5));
        } else {
            EXPECT_EQ(rect(d), k.geometry);
        }
        if (k.style == 1) {
            EXPECT_EQ(d.paint.strokeWidth, 3);
        }
        EXPECT_TRUE(PaintIsReset());
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, StrokesThinnerThanAThousandthDrawNothing) {
    for (const auto& [thickness, draws] : std::vector<std::pair<float, bool>>{
             {0, false}, {0.0005f, false}, {-0.0005f, false}, {0.002f, true}, {1, true}}) {
        Probe& c = Scene();
        skia.draws.clear();
        c.Stroke().Thickness = thickness;
        c.DrawLine({0, 0}, {10, 10}, 1);
        EXPECT_EQ(skia.draws.size(), draws ? 1u : 0u) << thickness;
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, CapsAndJoinsMapToSkia) {
    struct Case {
        Ui::TStrokeCap cap;
        Ui::TStrokeJoin join;
        int skCap, skJoin;
    };
    // Flat becomes Square (2), not Butt: the built-in dashes count on the extension.
    for (const Case& k : {Case{Ui::TStrokeCap::Flat, Ui::TStrokeJoin::Miter, 2, 0},
                          Case{Ui::TStrokeCap::Round, Ui::TStrokeJoin::Round, 1, 1},
                          Case{Ui::TStrokeCap::Flat, Ui::TStrokeJoin::Bevel, 2, 2}}) {
        Probe& c = Scene();
        skia.draws.clear();
        c.Stroke().Cap = k.cap;
        c.Stroke().Join = k.join;
        c.DrawRect({0, 0, 5, 5}, 1);
        EXPECT_EQ(OnlyDraw().paint.cap, k.skCap);
        EXPECT_EQ(OnlyDraw().paint.join, k.skJoin);
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, DashesAreScaledByTheThickness) {
    struct Case {
        Ui::TStrokeDash dash;
        std::vector<float> custom;
        float offset;
        float thickness;
        std::vector<float> intervals;  // empty: no path effect
        float phase;
    };
    // Built-in dashes lose a thickness and gaps gain one (the square caps give it back); custom
    // arrays are multiplied.
    const std::vector<Case> cases = {
        {Ui::TStrokeDash::Dash, {}, 0, 2, {4, 4}, 0},
        {Ui::TStrokeDash::Dash, {}, 0, 1, {2, 2}, 0},
        {Ui::TStrokeDash::Dot, {}, 0, 2, {0, 4}, 0},
        {Ui::TStrokeDash::DashDot, {}, 0, 1, {2, 2, 0, 2}, 0},
        {Ui::TStrokeDash::DashDotDot, {}, 0, 1, {2, 2, 0, 2, 0, 2}, 0},
        {Ui::TStrokeDash::Custom, {2, 1}, 0.5f, 3, {6, 3}, 1.5f},
        {Ui::TStrokeDash::Solid, {}, 0, 2, {}, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.dash));
        Probe& c = Scene();
        skia.draws.clear();
        c.Stroke().Thickness = k.thickness;
        if (k.dash == Ui::TStrokeDash::Custom)
            c.Stroke().SetCustomDash(k.custom, k.offset);
        else
            c.Stroke().SetDash(k.dash);
        c.DrawLine({0, 0}, {100, 0}, 1);
        const fake::Draw& d = OnlyDraw();
        if (k.intervals.empty()) {
            EXPECT_EQ(d.paint.pathEffect, 0u);
        } else {
            ASSERT_NE(d.paint.pathEffect, 0u);
            EXPECT_EQ(d.pathEffect->intervals, k.intervals);
            EXPECT_FLOAT_EQ(d.pathEffect->phase, k.phase);
        }
        c.EndScene();
    }
}

// ---- brushes ----

TEST_F(FrameworkCanvasOnSkia, SolidBrushesTakeTheOpacityInTheirAlpha) {
    struct Case {
        Ui::TAlphaColor color;
        float opacity;
        Ui::TAlphaColor painted;
    };
    // alpha becomes trunc(alpha x opacity) when the opacity is below 1.
    for (const Case& k : {Case{0xFF112233, 1, 0xFF112233}, Case{0xFF112233, 0.5f, 0x7F112233},
                          Case{0x80112233, 0.3f, 0x26112233}, Case{0xFF112233, 0, 0x00112233}}) {
        Probe& c = Scene();
        skia.draws.clear();
        c.Fill().Color = k.color;
        c.FillRect({0, 0, 5, 5}, k.opacity);
        EXPECT_EQ(OnlyDraw().paint.Color(), k.painted) << k.opacity;
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, AntiAliasingFollowsTheQuality) {
    for (const auto& [quality, antiAlias] : std::vector<std::pair<Ui::TCanvasQuality, bool>>{
             {Ui::TCanvasQuality::SystemDefault, true},
             {Ui::TCanvasQuality::HighQuality, true},
             {Ui::TCanvasQuality::HighPerformance, false}}) {
        Probe& c = Scene(10, 10, 1, quality);
        skia.draws.clear();
        c.FillEllipse({0, 0, 5, 5}, 1);
        EXPECT_EQ(OnlyDraw().paint.antiAlias, antiAlias);
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, ResourceBrushesDrawWithTheBrushTheyReferTo) {
    Probe& c = Scene();
    Ui::TBrush target(Ui::TBrushKind::Solid, 0xFF00FF00);
    Ui::TBrush resource(Ui::TBrushKind::Resource);
    resource.Resource.Brush = &target;
    Ui::TBrush chain(Ui::TBrushKind::Resource);
    chain.Resource.Brush = &resource;
    c.FillRect({0, 0, 5, 5}, 1, chain);
    EXPECT_EQ(OnlyDraw().paint.Color(), 0xFF00FF00u);

    // Nothing at the end of the chain, or a chain that comes back to itself: nothing drawn.
    skia.draws.clear();
    Ui::TBrush dangling(Ui::TBrushKind::Resource);
    c.FillRect({0, 0, 5, 5}, 1, dangling);
    Ui::TBrush loop(Ui::TBrushKind::Resource);
    loop.Resource.Brush = &loop;
    c.FillRect({0, 0, 5, 5}, 1, loop);
    EXPECT_TRUE(skia.draws.empty());
}

TEST_F(FrameworkCanvasOnSkia, ABrushOfKindNoneDrawsInvisibly) {
    Probe& c = Scene();
    c.FillRect({0, 0, 5, 5}, 1, Ui::TBrush(Ui::TBrushKind::None, 0xFFFFFFFF));
    EXPECT_EQ(OnlyDraw().paint.Alpha(), 0);
    EXPECT_EQ(OnlyDraw().paint.shader, 0u);
}

TEST_F(FrameworkCanvasOnSkia, LinearGradientsSpanTheBoundsAndCarryTheOpacityInTheirStops) {
    Probe& c = Scene();
    Ui::TBrush brush(Ui::TBrushKind::Gradient);
    brush.Gradient.Points = {{0xFF0000FF, 0}, {0x80FF0000, 0.75f}};
    brush.Gradient.StartPosition = {0, 0};
    brush.Gradient.StopPosition = {1, 0.5f};
    c.FillRect({10, 20, 110, 70}, 0.5f, brush);
    const fake::Draw& d = OnlyDraw();
    ASSERT_NE(d.paint.shader, 0u);
    const fake::Shader& s = *d.shader;
    EXPECT_EQ(s.kind, "linear");
    EXPECT_TRUE(s.points[0] == TPointF(10, 20));
    EXPECT_TRUE(s.points[1] == TPointF(110, 45));
    EXPECT_EQ(s.colors, (std::vector<uint32_t>{0x7F0000FF, 0x40FF0000}));
    EXPECT_EQ(s.positions, (std::vector<float>{0, 0.75f}));
    EXPECT_EQ(s.tileX, 0);  // clamp
    EXPECT_FALSE(s.hasLocalMatrix);
    EXPECT_EQ(d.paint.Alpha(), 255);  // the paint adds nothing to the stops' alpha
}

TEST_F(FrameworkCanvasOnSkia, RadialGradientsAreEllipsesInTheBoundsWithTheFirstStopAtTheRim) {
    struct Case {
        TRectF bounds;
        TPointF center;
        float radius;
        // Points of the gradient's circle and where the local matrix puts them.
        std::vector<std::pair<TPointF, TPointF>> mapped;
    };
    const std::vector<Case> cases = {
        // 100 x 50: a circle of radius 50 squeezed to semi-axes 50 and 25.
        {{0, 0, 100, 50}, {50, 25}, 50, {{{100, 25}, {100, 25}}, {{50, 75}, {50, 50}}, {{50, -25}, {50, 0}}}},
        // 40 x 100: radius 50 squeezed horizontally to 20.
        {{0, 0, 40, 100}, {20, 50}, 50, {{{70, 50}, {40, 50}}, {{20, 0}, {20, 0}}, {{-30, 50}, {0, 50}}}},
        // A square needs no squeezing.
        {{10, 10, 70, 70}, {40, 40}, 30, {}},
    };
    for (const Case& k : cases) {
        Probe& c = Scene();
        skia.draws.clear();
        Ui::TBrush brush(Ui::TBrushKind::Gradient);
        brush.Gradient.Style = Ui::TGradientStyle::Radial;
        brush.Gradient.Points = {{0xFF0000FF, 0}, {0xFFFF0000, 0.25f}, {0xFF00FF00, 1}};
        c.FillEllipse(k.bounds, 1, brush);
        ASSERT_NE(OnlyDraw().paint.shader, 0u);
        const fake::Shader& s = *OnlyDraw().shader;
        EXPECT_EQ(s.kind, "radial");
        EXPECT_TRUE(s.points[0] == k.center);
        EXPECT_FLOAT_EQ(s.radius, k.radius);
        // Reversed: the framework's offset 0 is the rim, Skia's position 1.
        EXPECT_EQ(s.colors, (std::vector<uint32_t>{0xFF00FF00, 0xFFFF0000, 0xFF0000FF}));
        EXPECT_EQ(s.positions, (std::vector<float>{0, 0.75f, 1}));
        EXPECT_EQ(s.hasLocalMatrix, !k.mapped.empty());
        for (const auto& [from, to] : k.mapped)
            EXPECT_TRUE(Near(s.localMatrix.Transform(from), to)) << from.X << "," << from.Y;
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, AGradientTheEngineRefusesStaysInvisible) {
    // A zero-sized rectangle gives radius 0, which the engine refuses: the paint must not fall
    // back to its plain opaque colour.
    Probe& c = Scene();
    Ui::TBrush brush(Ui::TBrushKind::Gradient);
    brush.Gradient.Style = Ui::TGradientStyle::Radial;
    c.FillRect({5, 5, 5, 5}, 1, brush);
    EXPECT_EQ(OnlyDraw().paint.shader, 0u);
    EXPECT_EQ(OnlyDraw().paint.Alpha(), 0);

    skia.draws.clear();
    brush.Gradient.Points.clear();
    brush.Gradient.Style = Ui::TGradientStyle::Linear;
    c.FillRect({0, 0, 5, 5}, 1, brush);
    EXPECT_EQ(OnlyDraw().paint.Alpha(), 0);
}

TEST_F(FrameworkCanvasOnSkia, BitmapBrushesShadeWithTheMappedPixelsByTheirWrapMode) {
    struct Case {
        Ui::TWrapMode mode;
        int tile;  // 1 repeat, 0 clamp
        std::vector<std::pair<TPointF, TPointF>> mapped;  // image point -> canvas point
    };
    const std::vector<Case> cases = {
        // Tiles start at the coordinate origin, not at the rectangle.
        {Ui::TWrapMode::Tile, 1, {}},
        {Ui::TWrapMode::TileOriginal, 0, {}},
        // Stretched over the rectangle (10, 10, 30, 14).
        {Ui::TWrapMode::TileStretch, 0, {{{0, 0}, {10, 10}}, {{4, 2}, {30, 14}}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.mode));
        Probe& c = Scene();
        skia.draws.clear();
        Ui::TBrush brush(Ui::TBrushKind::Bitmap);
        brush.Bitmap.WrapMode = k.mode;
        Ui::TBitmap& image = brush.Bitmap.Bitmap();
        image.SetSize(4, 2);
        image.Clear(0xFF00FF00);
        c.FillRect({10, 10, 30, 14}, 0.25f, brush);
        const fake::Draw& d = OnlyDraw();
        ASSERT_NE(d.paint.shader, 0u);
        const fake::Shader& s = *d.shader;
        EXPECT_EQ(s.kind, "image");
        // Drawn from the bitmap's own pixels, not a copy.
        EXPECT_EQ(s.image.pixels, TSkCanvasBaseClass::HandleOf(image)->Pixels());
        EXPECT_EQ(s.image.width, 4);
        EXPECT_EQ(s.image.colorType, static_cast<int>(Skia::TSkColorType::BGRA8888));
        EXPECT_EQ(s.tileX, k.tile);
        EXPECT_EQ(s.tileY, k.tile);
        EXPECT_TRUE(s.sampling.use_cubic);  // the quality's sampling
        EXPECT_EQ(s.hasLocalMatrix, !k.mapped.empty());
        for (const auto& [from, to] : k.mapped) EXPECT_TRUE(Near(s.localMatrix.Transform(from), to));
        EXPECT_EQ(d.paint.Alpha(), 64);  // the opacity, as the paint's alpha
        EXPECT_TRUE(PaintIsReset());
        EXPECT_TRUE(Unmapped(image));
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, ABitmapBrushWithoutPixelsDrawsInvisibly) {
    Probe& c = Scene();
    Ui::TBrush brush(Ui::TBrushKind::Bitmap);
    c.FillRect({0, 0, 5, 5}, 1, brush);  // no bitmap at all
    brush.Bitmap.Bitmap();               // an empty one
    c.FillRect({0, 0, 5, 5}, 1, brush);
    ASSERT_EQ(skia.draws.size(), 2u);
    for (const fake::Draw& d : skia.draws) {
        EXPECT_EQ(d.paint.Alpha(), 0);
        EXPECT_EQ(d.paint.shader, 0u);
    }
}

TEST_F(FrameworkCanvasOnSkia, DrawBitmapDrawsTheClippedSourceFromTheMappedPixels) {
    Probe& c = Scene();
    Ui::TBitmap image(4, 2);
    c.DrawBitmap(image, {-2, -2, 10, 10}, {0, 0, 8, 8}, 0.5f);
    const fake::Draw& d = OnlyDraw();
    EXPECT_EQ(d.op, "image");
    EXPECT_TRUE(d.src == TRectF(0, 0, 4, 2));
    EXPECT_TRUE(d.rect == TRectF(0, 0, 8, 8));
    EXPECT_EQ(d.image.pixels, TSkCanvasBaseClass::HandleOf(image)->Pixels());
    EXPECT_EQ(d.paint.Alpha(), 128);
    EXPECT_EQ(d.paint.shader, 0u);
    EXPECT_EQ(d.constraint, 1);  // fast
    EXPECT_TRUE(PaintIsReset());
    EXPECT_TRUE(Unmapped(image));
}

TEST_F(FrameworkCanvasOnSkia, BitmapSamplingFollowsSpeedAndQuality) {
    struct Case {
        Ui::TCanvasQuality quality;
        bool highSpeed;
        bool cubic;
        int filter, mipmap;
    };
    for (const Case& k : {Case{Ui::TCanvasQuality::SystemDefault, true, false, 0, 0},
                          Case{Ui::TCanvasQuality::HighPerformance, false, false, 0, 1},
                          Case{Ui::TCanvasQuality::SystemDefault, false, true, 0, 0},
                          Case{Ui::TCanvasQuality::HighQuality, false, true, 0, 0}}) {
        Probe& c = Scene(10, 10, 1, k.quality);
        skia.draws.clear();
        Ui::TBitmap image(2, 2);
        c.DrawBitmap(image, {0, 0, 2, 2}, {0, 0, 4, 4}, 1, k.highSpeed);
        const plix_sampling_options& s = OnlyDraw().sampling;
        EXPECT_EQ(s.use_cubic, k.cubic);
        if (k.cubic) {
            EXPECT_FLOAT_EQ(s.cubic.b, 1.0f / 3);
            EXPECT_FLOAT_EQ(s.cubic.c, 1.0f / 3);
        }
        EXPECT_EQ(s.filter, k.filter);
        EXPECT_EQ(s.mipmap, k.mipmap);
        c.EndScene();
    }
}

TEST_F(FrameworkCanvasOnSkia, DrawBitmapWithNothingToDrawLeavesThePaintAlone) {
    Probe& c = Scene();
    Ui::TBitmap image(4, 2);
    c.DrawBitmap(image, {0, 0, 4, 2}, {5, 5, 5, 9}, 0.5f);       // empty destination
    c.DrawBitmap(image, {10, 10, 20, 20}, {0, 0, 8, 8}, 0.5f);   // source outside the bitmap
    EXPECT_TRUE(skia.draws.empty());
    EXPECT_TRUE(skia.log.empty());  // not even a paint reset
    EXPECT_TRUE(PaintIsReset());
}

TEST_F(FrameworkCanvasOnSkia, APrimitiveThatFailsStillResetsThePaintAndUnmaps) {
    Probe& c = Scene();
    skia.failDraws = "the engine failed";
    Ui::TBrush brush(Ui::TBrushKind::Bitmap);
    brush.Bitmap.Bitmap().SetSize(2, 2);
    EXPECT_EQ(Raised<std::runtime_error>([&] { c.FillRect({0, 0, 5, 5}, 1, brush); }), "the engine failed");
    EXPECT_TRUE(PaintIsReset());
    EXPECT_TRUE(Unmapped(brush.Bitmap.Bitmap()));
    Ui::TBitmap image(2, 2);
    EXPECT_EQ(Raised<std::runtime_error>([&] { c.DrawBitmap(image, {0, 0, 2, 2}, {0, 0, 2, 2}, 0.5f); }),
              "the engine failed");
    EXPECT_TRUE(PaintIsReset());
    EXPECT_TRUE(Unmapped(image));

    // The canvas stays usable.
    skia.failDraws.clear();
    c.FillRect({0, 0, 5, 5}, 1);
    EXPECT_EQ(skia.draws.size(), 1u);
}

// ---- paths ----

TEST_F(FrameworkCanvasOnSkia, PtInPathUsesTheEvenOddRuleWithoutAScene) {
    Ui::TBitmap target(4, 4);
    Probe c(target, Ui::TCanvasQuality::SystemDefault);
    Ui::TPathData ring;
    ring.AddRectangle({0, 0, 100, 100});
    ring.AddRectangle({25, 25, 75, 75});
    EXPECT_TRUE(c.PtInPath({10, 10}, ring));
    EXPECT_FALSE(c.PtInPath({50, 50}, ring));  // in the hole
    EXPECT_FALSE(c.PtInPath({200, 50}, ring));
}

}  // namespace
