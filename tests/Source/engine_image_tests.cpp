// The object layer's image, pixmap, surface, paint and canvas wrappers over the real engine:
// what a caller draws, reads, encodes and decodes comes back as drawn.
#include <gtest/gtest.h>

#include <vector>

#include "Skia/Canvas.h"
#include "Skia/Image.h"
#include "Skia/Paint.h"
#include "Skia/Pixmap.h"
#include "Skia/Surface.h"

using namespace Skia;
using Ui::TRectF;

namespace {

// Pixels of a BGRA8888 premultiplied surface read as 0xAARRGGBB values.
std::vector<uint32_t> Pixels(const Ref<ISkSurface>& ASurface, int32_t AWidth, int32_t AHeight) {
    std::vector<uint32_t> px(size_t(AWidth) * size_t(AHeight));
    EXPECT_TRUE(ASurface->ReadPixels(TSkImageInfo(AWidth, AHeight), px.data(), size_t(AWidth) * 4, 0, 0));
    return px;
}

}  // namespace

TEST(EngineImages, DrawnRectReadsBack) {
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(6, 2));
    ASSERT_TRUE(surface);
    Ref<ISkCanvas> canvas = surface->GetCanvas();
    canvas->Clear(0xFFFFFFFF);
    Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(0xFFFF0000);
    canvas->DrawRect(TRectF(2, 0, 4, 2), paint);
    EXPECT_EQ(canvas->SaveLayerAlpha(0x80), 1);
    paint->SetColor(0xFF0000FF);
    canvas->DrawRect(TRectF(4, 0, 6, 1), paint);
    canvas->Restore();
    const std::vector<uint32_t> px = Pixels(surface, 6, 2);
    EXPECT_EQ(px[0], 0xFFFFFFFFu);
    EXPECT_EQ(px[2], 0xFFFF0000u);
    EXPECT_EQ(px[6 + 3], 0xFFFF0000u);
    // Blue at alpha 128/255 over white: red and green keep 127 of 255.
    EXPECT_NEAR(int((px[4] >> 16) & 0xFF), 127, 1);
    EXPECT_EQ(px[4] & 0xFF, 0xFFu);
    EXPECT_EQ(px[6 + 4], 0xFFFFFFFFu);
}

TEST(EngineImages, EncodedSnapshotsDecodeToTheSamePixels) {
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(3, 3));
    // A colour that survives premultiplication at alpha 128 unchanged.
    surface->GetCanvas()->Clear(0x80446699);
    Ref<ISkImage> snapshot = surface->MakeImageSnapshot();
    ASSERT_TRUE(snapshot);
    for (TSkEncodedImageFormat format : {TSkEncodedImageFormat::PNG, TSkEncodedImageFormat::WEBP}) {
        const std::vector<uint8_t> bytes = snapshot->Encode(format, 100);
        ASSERT_FALSE(bytes.empty());
        Ref<ISkImage> back = TSkImage::MakeFromEncoded(bytes);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->GetWidth(), 3);
        Ref<ISkPixmap> pixels = back->PeekPixels();
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->GetColor(1, 1), 0x80446699u);
        EXPECT_EQ(pixels->GetColor(2, 0), snapshot->PeekPixels()->GetColor(2, 0));
    }
    const std::vector<uint8_t> junk = {0xFF, 0xD8, 0xFF, 0x00, 0x11};
    EXPECT_FALSE(TSkImage::MakeFromEncoded(junk));
}

TEST(EngineImages, DirectSurfaceReleasesTheCallersPixelsOnce) {
    std::vector<uint32_t> memory(4, 0);
    int released = 0;
    {
        Ref<ISkSurface> surface = TSkSurface::MakeRasterDirect(TSkImageInfo(2, 2), memory.data(), 8,
                                                               [&](void* APixels) {
                                                                   EXPECT_EQ(APixels, memory.data());
                                                                   ++released;
                                                               });
        ASSERT_TRUE(surface);
        surface->GetCanvas()->Clear(0xFF00FF00);
        EXPECT_EQ(memory[3], 0xFF00FF00u);
        EXPECT_EQ(released, 0);
    }
    EXPECT_EQ(released, 1);
}

TEST(EngineImages, UnusablePixmapsFailQuietly) {
    // Row bytes below the minimum: the wrapper exists, every use of its pixels fails.
    std::vector<uint8_t> memory(64, 0);
    Ref<ISkPixmap> pixmap = TSkPixmap::Create(TSkImageInfo(8, 2), memory.data(), 8);
    ASSERT_TRUE(pixmap);
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(8, 2));
    EXPECT_FALSE(surface->ReadPixels(pixmap, 0, 0));
    EXPECT_FALSE(TSkSurface::MakeRasterDirect(pixmap));
    EXPECT_FALSE(TSkImage::MakeRasterCopy(pixmap));
    EXPECT_FALSE(TSkSurface::MakeRaster(TSkImageInfo(0, 4)));
    EXPECT_EQ(memory, std::vector<uint8_t>(64, 0));
}
