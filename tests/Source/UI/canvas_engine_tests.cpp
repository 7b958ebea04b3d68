// The framework canvas on Skia drawing with the real engine into bitmaps: where brushes, clips,
// matrices and bitmaps put their pixels, worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "UI/Graphics/RasterCanvas.h"
#include "ui/Bitmap.h"

namespace {

using namespace Skia::UI;
using Ui::TAlphaColor;
using Ui::TRectF;

constexpr TAlphaColor Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, White = 0xFFFFFFFF;

class EngineCanvas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Ui::TCanvasManager::UnInitialize();
        Ui::TCanvasManager::RegisterCanvas(TSkRasterCanvas::Class(), true, false);
    }
    static void TearDownTestSuite() { Ui::TCanvasManager::UnInitialize(); }

    // A scene on a fresh transparent bitmap.
    Ui::TCanvas& Scene(int width, int height, Ui::TCanvasQuality quality = Ui::TCanvasQuality::HighPerformance,
                       float scale = 1) {
        bitmap = std::make_unique<Ui::TBitmap>(width, height);
        bitmap->SetBitmapScale(scale);
        canvas = std::make_unique<TSkRasterCanvas>(*bitmap, quality);
        EXPECT_TRUE(canvas->BeginScene());
        return *canvas;
    }
    TAlphaColor Pixel(int x, int y) {
        if (canvas->BeginSceneCount() > 0) canvas->EndScene();
        Ui::TBitmapData data;
        if (!bitmap->Map(Ui::TMapAccess::Read, data)) return 0xDEADBEEF;
        const TAlphaColor c = data.GetPixel(x, y);
        bitmap->Unmap(data);
        return c;
    }
    // A bitmap whose pixels are given row by row.
    static std::unique_ptr<Ui::TBitmap> Image(int width, int height, std::initializer_list<TAlphaColor> pixels) {
        auto image = std::make_unique<Ui::TBitmap>(width, height);
        Ui::TBitmapData data;
        EXPECT_TRUE(image->Map(Ui::TMapAccess::Write, data));
        int i = 0;
        for (TAlphaColor c : pixels) data.SetPixel(i % width, i / width, c), ++i;
        image->Unmap(data);
        return image;
    }

    std::unique_ptr<Ui::TBitmap> bitmap;
    std::unique_ptr<TSkRasterCanvas> canvas;
};

int Channel(TAlphaColor c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
bool Near(TAlphaColor a, TAlphaColor b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    return true;
}

TEST_F(EngineCanvas, ASolidFillCarriesTheOpacityInItsAlpha) {
    Ui::TCanvas& c = Scene(4, 4);
    c.FillRect({1, 1, 3, 3}, 0.5f, Ui::TBrush(Ui::TBrushKind::Solid, Red));
    // Alpha trunc(255 x 0.5) = 127, premultiplied red 127.
    EXPECT_EQ(Pixel(1, 1), 0x7F7F0000u);
    EXPECT_EQ(Pixel(2, 2), 0x7F7F0000u);
    EXPECT_EQ(Pixel(0, 0), 0u);
    EXPECT_EQ(Pixel(3, 3), 0u);
}

TEST_F(EngineCanvas, TheDeviceScaleAndTheMatrixPlaceTheGeometry) {
    Ui::TCanvas& c = Scene(8, 8, Ui::TCanvasQuality::HighPerformance, 2);
    c.SetMatrix(Ui::TMatrix::CreateTranslation(1, 0));
    c.FillRect({0, 1, 1, 2}, 1, Ui::TBrush(Ui::TBrushKind::Solid, Blue));
    // (0, 1, 1, 2) moved by (1, 0), then scaled by 2: device (2, 2) to (4, 4).
    EXPECT_EQ(Pixel(2, 2), Blue);
    EXPECT_EQ(Pixel(3, 3), Blue);
    EXPECT_EQ(Pixel(1, 2), 0u);
    EXPECT_EQ(Pixel(4, 3), 0u);
    EXPECT_EQ(Pixel(2, 4), 0u);
}

TEST_F(EngineCanvas, AClipLastsUntilItsStateIsRestored) {
    Ui::TCanvas& c = Scene(6, 6);
    Ui::TCanvasSaveState* state = c.SaveState();
    c.IntersectClipRect({1, 1, 5, 5});
    c.ExcludeClipRect({2, 2, 4, 4});
    c.FillRect({0, 0, 6, 6}, 1, Ui::TBrush(Ui::TBrushKind::Solid, Red));
    c.RestoreState(state);
    c.FillRect({0, 0, 6, 1}, 1, Ui::TBrush(Ui::TBrushKind::Solid, Green));
    EXPECT_EQ(Pixel(1, 1), Red);
    EXPECT_EQ(Pixel(4, 4), Red);
    EXPECT_EQ(Pixel(2, 2), 0u);  // excluded
    EXPECT_EQ(Pixel(0, 5), 0u);  // outside
    EXPECT_EQ(Pixel(0, 0), Green);  // the clip is gone
    EXPECT_EQ(Pixel(5, 0), Green);
}

TEST_F(EngineCanvas, TiledBitmapBrushesStartAtTheCoordinateOrigin) {
    const auto image = Image(4, 4, {Red, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue,
                                    Blue, Blue});
    Ui::TCanvas& c = Scene(32, 32);
    Ui::TBrush brush(Ui::TBrushKind::Bitmap);
    brush.Bitmap.Bitmap().Assign(image.get());
    brush.Bitmap.WrapMode = Ui::TWrapMode::Tile;
    c.FillRect({10, 10, 30, 30}, 1, brush);
    // The image's pixel (0, 0) repeats at multiples of 4 from the origin, not from (10, 10).
    EXPECT_EQ(Pixel(12, 12), Red);
    EXPECT_EQ(Pixel(16, 28), Red);
    EXPECT_EQ(Pixel(10, 10), Blue);
    EXPECT_EQ(Pixel(13, 12), Blue);
    EXPECT_EQ(Pixel(8, 8), 0u);  // outside the rectangle
}

TEST_F(EngineCanvas, StretchedBitmapBrushesFillTheRectangle) {
    const auto image = Image(2, 1, {Red, Green});
    Ui::TCanvas& c = Scene(24, 12);
    Ui::TBrush brush(Ui::TBrushKind::Bitmap);
    brush.Bitmap.Bitmap().Assign(image.get());
    brush.Bitmap.WrapMode = Ui::TWrapMode::TileStretch;
    c.FillRect({2, 1, 22, 11}, 1, brush);
    EXPECT_EQ(Pixel(3, 5), Red);
    EXPECT_EQ(Pixel(11, 5), Red);
    EXPECT_EQ(Pixel(12, 5), Green);
    EXPECT_EQ(Pixel(21, 10), Green);
    EXPECT_EQ(Pixel(1, 5), 0u);
}

TEST_F(EngineCanvas, RadialGradientsAreEllipsesOfTheBounds) {
    Ui::TCanvas& c = Scene(100, 50, Ui::TCanvasQuality::SystemDefault);
    Ui::TBrush brush(Ui::TBrushKind::Gradient);
    brush.Gradient.Style = Ui::TGradientStyle::Radial;
    brush.Gradient.Points = {{Red, 0}, {Blue, 1}};  // offset 0 at the rim, 1 at the centre
    c.FillRect({0, 0, 100, 50}, 1, brush);
    const TAlphaColor centre = Pixel(50, 25);
    EXPECT_GT(Channel(centre, 0), 240);  // blue
    // Half way to the rim along both semi-axes (25 of 50 across, 12.5 of 25 down): the same mix.
    const TAlphaColor across = Pixel(75, 25), down = Pixel(50, 37);
    EXPECT_TRUE(Near(across, down, 16)) << std::hex << across << " " << down;
    EXPECT_NEAR(Channel(across, 16), 128, 20);
    // Near the rim, red.
    EXPECT_GT(Channel(Pixel(98, 25), 16), 230);
    EXPECT_GT(Channel(Pixel(50, 49), 16), 220);
}

TEST_F(EngineCanvas, DrawBitmapTakesOnlyThePartOfTheSourceInsideTheBitmap) {
    const auto image = Image(2, 2, {Red, Green, Blue, White});
    Ui::TCanvas& c = Scene(20, 20);
    c.DrawBitmap(*image, {-2, -2, 10, 10}, {0, 0, 20, 20}, 1, true);
    // Scaled as if the source were (0, 0, 2, 2): each image pixel covers 10 x 10.
    EXPECT_EQ(Pixel(5, 5), Red);
    EXPECT_EQ(Pixel(15, 5), Green);
    EXPECT_EQ(Pixel(5, 15), Blue);
    EXPECT_EQ(Pixel(15, 15), White);
}

TEST_F(EngineCanvas, TooThinStrokesLeaveThePixelsAlone) {
    Ui::TCanvas& c = Scene(8, 8, Ui::TCanvasQuality::SystemDefault);
    c.Stroke().Color = Red;
    c.Stroke().Thickness = 0.0005f;
    c.DrawLine({0, 4}, {8, 4}, 1);
    c.DrawRect({1, 1, 7, 7}, 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
}

TEST_F(EngineCanvas, PointsInsideTheHoleOfARingAreOutside) {
    Scene(4, 4);
    Ui::TPathData ring;
    ring.AddRectangle({0, 0, 100, 100});
    ring.AddRectangle({25, 25, 75, 75});
    EXPECT_TRUE(canvas->PtInPath({10, 10}, ring));
    EXPECT_FALSE(canvas->PtInPath({50, 50}, ring));
    EXPECT_FALSE(canvas->PtInPath({150, 50}, ring));
    Ui::TPathData oval;
    oval.AddEllipse({0, 0, 40, 20});
    EXPECT_TRUE(canvas->PtInPath({20, 10}, oval));
    EXPECT_FALSE(canvas->PtInPath({2, 2}, oval));  // inside the box, outside the ellipse
}

}  // namespace
