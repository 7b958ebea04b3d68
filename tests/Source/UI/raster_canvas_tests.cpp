// The raster canvas of a window: Skia draws into a back buffer of the window's pixel size that is
// kept between frames, made again after a resize, and copied onto the window at each frame's end.
#include "CanvasTestKit.h"

namespace {

using namespace kit;

TEST(RasterCanvasSize, BackBufferSidesRoundToTheNearestTiesToEven) {
    struct Case {
        int width, height;
        float scale;
        int pixelWidth, pixelHeight;
    };
    for (const Case& k : {Case{101, 51, 1.5f, 152, 76},  // 151.5 and 76.5 go to the even neighbours
                          Case{100, 50, 1, 100, 50}, Case{3, 5, 0.5f, 2, 2}, Case{7, 9, 0.5f, 4, 4},
                          Case{1, 1, 2.5f, 2, 2}, Case{640, 347, 1.25f, 800, 434}, Case{0, 10, 2, 0, 20}}) {
        const Ui::TSize size = TSkRasterCanvas::BackBufferSize(k.width, k.height, k.scale);
        EXPECT_EQ(size.Width, k.pixelWidth) << k.width << " x " << k.scale;
        EXPECT_EQ(size.Height, k.pixelHeight) << k.height << " x " << k.scale;
    }
}

using RasterWindow = CanvasTest;

TEST_F(RasterWindow, AFrameIsDrawnIntoTheBackBufferAndPresentedOnTheWindow) {
    auto window = MakeWindow(8, 4, 1.5f);  // 12 x 6 device pixels
    Probe canvas(window.get(), 8, 4, Ui::TCanvasQuality::SystemDefault);
    ASSERT_TRUE(canvas.BeginScene());
    const fake::Surface& surface = *skia.LastSurface();
    EXPECT_EQ(surface.pixels.width, 12);
    EXPECT_EQ(surface.pixels.height, 6);
    EXPECT_EQ(surface.pixels.colorType, static_cast<int>(Skia::TSkColorType::BGRA8888));
    EXPECT_TRUE(Near(surface.canvas.stack.back().matrix.Transform({2, 2}), {3, 3}));
    canvas.Clear(0xFF0000FF);
    canvas.ClearRect({0, 0, 2, 2}, 0x80FF0000);
    EXPECT_EQ(Ui::Offscreen::Info(window->PlatformWindow()).PresentCount, 0);
    canvas.EndScene();

    EXPECT_EQ(surface.flushes, 1);
    EXPECT_EQ(Ui::Offscreen::Info(window->PlatformWindow()).PresentCount, 1);
    EXPECT_EQ(Ui::Offscreen::Pixel(window->PlatformWindow(), 0, 0), 0x80800000u);  // premultiplied
    EXPECT_EQ(Ui::Offscreen::Pixel(window->PlatformWindow(), 2, 2), 0x80800000u);
    EXPECT_EQ(Ui::Offscreen::Pixel(window->PlatformWindow(), 3, 3), 0xFF0000FFu);
    EXPECT_EQ(Ui::Offscreen::Pixel(window->PlatformWindow(), 11, 5), 0xFF0000FFu);
}

TEST_F(RasterWindow, TheBackBufferIsKeptBetweenFramesAndClean) {
    auto window = MakeWindow(8, 8);
    Probe canvas(window.get(), 8, 8, Ui::TCanvasQuality::SystemDefault);
    ASSERT_TRUE(canvas.BeginScene());
    canvas.IntersectClipRect({0, 0, 2, 2});  // left in place by a careless frame
    canvas.SaveState();
    canvas.EndScene();
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
    EXPECT_EQ(skia.surfacesMade, 1);
    EXPECT_EQ(canvas.BackBufferCount(), 1);
    // The next frame starts without the old frame's clip or save.
    EXPECT_TRUE(skia.LastCanvas()->Top().clips.empty());
    EXPECT_EQ(skia.LastCanvas()->stack.size(), 1u);
}

TEST_F(RasterWindow, ResizesBetweenFramesMakeOneNewBackBufferAtTheFinalSize) {
    auto window = MakeWindow(8, 8);
    Probe canvas(window.get(), 8, 8, Ui::TCanvasQuality::SystemDefault);
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
    canvas.SetSize(10, 6);
    canvas.SetSize(12, 5);
    canvas.SetSize(12, 5);  // no change
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
    EXPECT_EQ(canvas.BackBufferCount(), 2);
    EXPECT_EQ(skia.surfacesMade, 2);
    EXPECT_EQ(skia.LastSurface()->pixels.width, 12);
    EXPECT_EQ(skia.LastSurface()->pixels.height, 5);
}

TEST_F(RasterWindow, AFrameWithoutASurfaceIsSkippedAndTheNextOneTriesAgain) {
    auto window = MakeWindow(8, 8);
    Probe canvas(window.get(), 8, 8, Ui::TCanvasQuality::SystemDefault);
    skia.refuseSurfaces = true;
    EXPECT_FALSE(canvas.BeginScene());
    EXPECT_EQ(Ui::Offscreen::Info(window->PlatformWindow()).PresentCount, 0);
    skia.refuseSurfaces = false;
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
    EXPECT_EQ(canvas.BackBufferCount(), 1);  // the buffer made for the refused frame is reused
    EXPECT_EQ(Ui::Offscreen::Info(window->PlatformWindow()).PresentCount, 1);
}

TEST_F(RasterWindow, AWindowCanvasOfNoSizeDrawsNothing) {
    auto window = MakeWindow(8, 8);
    Probe canvas(window.get(), 0, 8, Ui::TCanvasQuality::SystemDefault);
    EXPECT_FALSE(canvas.BeginScene());
    EXPECT_EQ(canvas.BackBufferCount(), 0);
}

}  // namespace
