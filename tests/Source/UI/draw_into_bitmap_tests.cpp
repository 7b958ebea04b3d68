// DrawIntoBitmap on the real engine: through the bitmap's own Skia canvas (scene opened or
// reused, shared pixels kept apart) or, for bitmaps of other canvas classes, through their
// mapped pixels.
#include <gtest/gtest.h>

#include <stdexcept>

#include "UI/CustomControl.h"
#include "UI/Graphics/RasterCanvas.h"
#include "ui/Bitmap.h"
#include "ui/Canvas.h"

namespace {

using namespace Skia;
using namespace Skia::UI;
using Ui::TAlphaColor;

constexpr TAlphaColor Red = 0xFFFF0000, Blue = 0xFF0000FF;

TAlphaColor PixelOf(Ui::TBitmap& b, int x, int y) {
    Ui::TBitmapData d;
    if (!b.Map(Ui::TMapAccess::Read, d)) return 0xDEADBEEF;
    const TAlphaColor c = d.GetPixel(x, y);
    b.Unmap(d);
    return c;
}

void Fill(Ui::TBitmap& b, TAlphaColor color) {
    Ui::TBitmapData d;
    ASSERT_TRUE(b.Map(Ui::TMapAccess::Write, d));
    for (int y = 0; y < d.Height; ++y)
        for (int x = 0; x < d.Width; ++x) d.SetPixel(x, y, color);
    b.Unmap(d);
}

// Draws colour over the rectangle (left, top) to (right, bottom).
TSkDrawProc Rect(float l, float t, float r, float b, TAlphaColor color) {
    return [=](const Ref<ISkCanvas>& canvas) {
        Ref<ISkPaint> paint = TSkPaint::Create();
        paint->SetColor(color);
        canvas->DrawRect({l, t, r, b}, paint);
    };
}

class DrawIntoBitmapTest : public ::testing::Test {
protected:
    void TearDown() override { Ui::TCanvasManager::UnInitialize(); }
    static void UseSkia() {
        Ui::TCanvasManager::UnInitialize();
        Ui::TCanvasManager::RegisterCanvas(TSkRasterCanvas::Class(), true, false);
    }
    static void UseFrameworkCanvas() { Ui::TCanvasManager::UnInitialize(); }
};

TEST_F(DrawIntoBitmapTest, SkiaBitmapSharedWithAnotherIsDrawnAlone) {
    UseSkia();
    Ui::TBitmap a(4, 2);
    Fill(a, Blue);
    Ui::TBitmap b;
    b.Assign(&a);
    Ui::TCanvas& canvas = b.Canvas();

    DrawIntoBitmap(b, Rect(0, 0, 2, 2, Red));
    EXPECT_EQ(&b.Canvas(), &canvas);
    EXPECT_EQ(canvas.BeginSceneCount(), 0);  // the scene it opened is closed
    EXPECT_EQ(PixelOf(b, 0, 0), Red);
    EXPECT_EQ(PixelOf(b, 3, 1), Blue);  // kept: not started clean
    EXPECT_EQ(PixelOf(a, 0, 0), Blue);  // the bitmap it shared with is untouched

    DrawIntoBitmap(b, Rect(2, 0, 3, 1, Red), true);  // clean start: transparent first
    EXPECT_EQ(PixelOf(b, 0, 0), 0u);
    EXPECT_EQ(PixelOf(b, 2, 0), Red);
}

TEST_F(DrawIntoBitmapTest, AnOpenSceneIsReusedAndAFailingProcedureClosesItsOwn) {
    UseSkia();
    Ui::TBitmap a(2, 2);
    Ui::TCanvas& canvas = a.Canvas();
    ASSERT_TRUE(canvas.BeginScene());
    DrawIntoBitmap(a, Rect(0, 0, 1, 1, Red));
    EXPECT_EQ(canvas.BeginSceneCount(), 1);  // still the caller's scene
    canvas.EndScene();
    EXPECT_EQ(PixelOf(a, 0, 0), Red);

    const TSkDrawProc raising = [](const Ref<ISkCanvas>&) { throw std::runtime_error("draw failed"); };
    EXPECT_THROW(DrawIntoBitmap(a, raising), std::runtime_error);
    EXPECT_EQ(canvas.BeginSceneCount(), 0);
    EXPECT_FALSE(a.IsBeingWritten());
}

TEST_F(DrawIntoBitmapTest, OtherCanvasClassesAreDrawnThroughTheirMappedPixels) {
    UseFrameworkCanvas();
    Ui::TBitmap a(3, 1);
    ASSERT_EQ(a.CanvasClass()->Name(), "TSoftwareCanvas");
    Fill(a, Blue);
    Ui::TBitmap b;
    b.Assign(&a);
    DrawIntoBitmap(b, Rect(0, 0, 1, 1, Red));
    EXPECT_EQ(PixelOf(b, 0, 0), Red);
    EXPECT_EQ(PixelOf(b, 1, 0), Blue);
    EXPECT_EQ(PixelOf(a, 0, 0), Blue);
    EXPECT_FALSE(b.HasCanvas());  // looked at its class, made no canvas

    // Mapping stays unbalanced by nothing, even when the procedure raises.
    const TSkDrawProc raising = [](const Ref<ISkCanvas>&) { throw std::runtime_error("draw failed"); };
    EXPECT_THROW(DrawIntoBitmap(b, raising), std::runtime_error);
    EXPECT_FALSE(b.IsBeingWritten());
}

TEST_F(DrawIntoBitmapTest, EmptyBitmapsAndOtherPixelFormatsAreRefused) {
    struct Case {
        bool skia;
        int width;
        Ui::TPixelFormat format;
        const char* message;
    };
    for (const Case& c : {Case{true, 0, Ui::TPixelFormat::None, "Invalid bitmap"},
                          Case{false, 0, Ui::TPixelFormat::None, "Invalid bitmap"},
                          Case{false, 2, Ui::TPixelFormat::RGBA16, "Invalid pixelformat"},
                          Case{false, 2, Ui::TPixelFormat::L, "Invalid pixelformat"}}) {
        c.skia ? UseSkia() : UseFrameworkCanvas();
        Ui::TBitmap bitmap(c.width, 2, c.format);
        try {
            DrawIntoBitmap(bitmap, Rect(0, 0, 1, 1, Red));
            ADD_FAILURE() << c.message << ": nothing raised";
        } catch (const ESkBitmapHelper& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

}  // namespace
