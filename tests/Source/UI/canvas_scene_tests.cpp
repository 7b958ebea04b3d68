// Scenes of the Skia framework canvases: bitmap scenes draw straight into the pixels of the
// bitmap's handle; the bitmap-storage hooks keep those pixels and the image cached on them.
#include <cstring>

#include "CanvasTestKit.h"

namespace {

using namespace kit;
using Ui::TPixelFormat;
using Skia::Ref;

bool AllZero(const void* p, size_t n) {
    const auto* bytes = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i)
        if (bytes[i]) return false;
    return true;
}

// A stand-in image for the cache: any image object of the fake will do.
Ref<Skia::ISkImage> FakeImage(Ui::TBitmap& bitmap) {
    Ui::TBitmapData data;
    EXPECT_TRUE(bitmap.Map(Ui::TMapAccess::Read, data));
    Ref<Skia::ISkImage> image = Skia::TSkImage::MakeFromRaster(
        Skia::TSkImageInfo(data.Width, data.Height), data.Data, static_cast<size_t>(data.Pitch));
    bitmap.Unmap(data);
    return image;
}

using BitmapScenes = CanvasTest;

TEST_F(BitmapScenes, AFreshBitmapSceneDrawsIntoZeroedPixelsOfTheHandle) {
    Ui::TBitmap bitmap(4, 3);
    TSkBitmapHandle* handle = TSkCanvasBaseClass::HandleOf(bitmap);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Pixels(), nullptr);  // nothing allocated before the first use

    Ui::TCanvas& canvas = bitmap.Canvas();
    ASSERT_TRUE(canvas.BeginScene());
    ASSERT_NE(handle->Pixels(), nullptr);
    const fake::Surface& surface = *skia.LastSurface();
    EXPECT_EQ(surface.pixels.pixels, handle->Pixels());
    EXPECT_EQ(surface.pixels.width, 4);
    EXPECT_EQ(surface.pixels.height, 3);
    EXPECT_EQ(surface.pixels.rowBytes, 16u);
    EXPECT_EQ(surface.pixels.colorType, static_cast<int>(Skia::TSkColorType::BGRA8888));
    EXPECT_EQ(surface.pixels.alphaType, static_cast<int>(Skia::TSkAlphaType::Premul));
    EXPECT_TRUE(AllZero(handle->Pixels(), 48));
    canvas.EndScene();

    // A second scene reuses the buffer.
    void* pixels = handle->Pixels();
    ASSERT_TRUE(canvas.BeginScene());
    EXPECT_EQ(skia.LastSurface()->pixels.pixels, pixels);
    EXPECT_EQ(skia.surfacesMade, 2);
    canvas.EndScene();
}

TEST_F(BitmapScenes, TheSkiaCanvasExistsOnlyInsideAScene) {
    Ui::TBitmap bitmap(4, 3);
    auto& canvas = dynamic_cast<TSkCanvasCustom&>(bitmap.Canvas());
    EXPECT_EQ(canvas.Canvas(), nullptr);
    ASSERT_TRUE(canvas.BeginScene());
    EXPECT_NE(canvas.Canvas(), nullptr);
    ASSERT_TRUE(canvas.BeginScene());  // nested: the same surface
    EXPECT_EQ(skia.surfacesMade, 1);
    canvas.EndScene();
    EXPECT_NE(canvas.Canvas(), nullptr);
    canvas.EndScene();
    EXPECT_EQ(canvas.Canvas(), nullptr);
    EXPECT_EQ(skia.Alive(), 1);  // only the canvas's paint; the surface and its pixmap are gone
}

TEST_F(BitmapScenes, AScenesEndTellsTheBitmapItChanged) {
    Ui::TBitmap bitmap(2, 2);
    int changes = 0;
    bitmap.OnChange = [&](Ui::TObject*) { ++changes; };
    ASSERT_TRUE(bitmap.Canvas().BeginScene());
    EXPECT_EQ(changes, 0);
    bitmap.Canvas().EndScene();
    EXPECT_EQ(changes, 1);
}

TEST_F(BitmapScenes, ScenesThatCannotHaveASurfaceDoNotStart) {
    // A format Skia cannot lay a surface over, a canvas of no size, and a surface the engine
    // refuses.
    Ui::TBitmap rgb(2, 2, TPixelFormat::RGB);
    auto& rgbCanvas = dynamic_cast<TSkCanvasCustom&>(rgb.Canvas());
    EXPECT_FALSE(rgbCanvas.BeginScene());
    EXPECT_EQ(rgbCanvas.Canvas(), nullptr);

    Ui::TBitmap bitmap(2, 2);
    Probe empty(bitmap, Ui::TCanvasQuality::SystemDefault);
    empty.SetSize(0, 2);
    EXPECT_FALSE(empty.BeginScene());
    EXPECT_EQ(empty.BeginSceneCount(), 0);

    skia.refuseSurfaces = true;
    EXPECT_FALSE(bitmap.Canvas().BeginScene());
    skia.refuseSurfaces = false;
    EXPECT_TRUE(bitmap.Canvas().BeginScene());
    bitmap.Canvas().EndScene();
}

TEST_F(BitmapScenes, ASceneDropsTheImageCachedOnTheBitmap) {
    Ui::TBitmap bitmap(2, 2);
    TSkBitmapHandle* handle = TSkCanvasBaseClass::HandleOf(bitmap);
    handle->SetCache(FakeImage(bitmap));
    ASSERT_TRUE(bitmap.Canvas().BeginScene());
    EXPECT_EQ(handle->Cache(), nullptr);
    bitmap.Canvas().EndScene();
}

// ---- bitmap storage ----

TEST_F(BitmapScenes, BitmapsWithoutAFormatBecomeBgra) {
    Ui::TBitmap bitmap(3, 3, TPixelFormat::None);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::BGRA);
    EXPECT_EQ(TSkCanvasBaseClass::HandleOf(bitmap)->PixelFormat(), TPixelFormat::BGRA);
}

TEST_F(BitmapScenes, MappingHandsOutTheHandlesOwnZeroedBuffer) {
    Ui::TBitmap bitmap(10, 10, TPixelFormat::RGBA16);
    Ui::TBitmapData data;
    ASSERT_TRUE(bitmap.Map(Ui::TMapAccess::Write, data));
    EXPECT_EQ(data.Pitch, 80);
    EXPECT_EQ(data.Data, TSkCanvasBaseClass::HandleOf(bitmap)->Pixels());
    EXPECT_TRUE(AllZero(data.Data, 800));
    bitmap.Unmap(data);
}

TEST_F(BitmapScenes, MappingForWritingDropsTheCachedImage) {
    struct Case {
        Ui::TMapAccess access;
        bool keeps;
    };
    for (const Case& k : {Case{Ui::TMapAccess::Read, true}, Case{Ui::TMapAccess::Write, false},
                          Case{Ui::TMapAccess::ReadWrite, false}}) {
        Ui::TBitmap bitmap(2, 2);
        TSkBitmapHandle* handle = TSkCanvasBaseClass::HandleOf(bitmap);
        handle->SetCache(FakeImage(bitmap));
        Ui::TBitmapData data;
        ASSERT_TRUE(bitmap.Map(k.access, data));
        bitmap.Unmap(data);
        EXPECT_EQ(handle->Cache() != nullptr, k.keeps) << static_cast<int>(k.access);
    }
}

TEST_F(BitmapScenes, PixelFormatsMapToSkiaColorTypes) {
    using Skia::TSkColorType;
    struct Case {
        TPixelFormat format;
        TSkColorType colorType;
    };
    for (const Case& k : {Case{TPixelFormat::None, TSkColorType::Unknown}, Case{TPixelFormat::RGB, TSkColorType::Unknown},
                          Case{TPixelFormat::RGBA, TSkColorType::RGBA8888}, Case{TPixelFormat::BGRA, TSkColorType::BGRA8888},
                          Case{TPixelFormat::RGBA16, TSkColorType::RGBA16161616},
                          Case{TPixelFormat::BGR_565, TSkColorType::RGB565}, Case{TPixelFormat::BGRA4, TSkColorType::ARGB4444},
                          Case{TPixelFormat::BGR10_A2, TSkColorType::BGRA1010102},
                          Case{TPixelFormat::RGB10_A2, TSkColorType::RGBA1010102}, Case{TPixelFormat::L, TSkColorType::Gray8},
                          Case{TPixelFormat::LA, TSkColorType::Unknown}, Case{TPixelFormat::A, TSkColorType::Alpha8},
                          Case{TPixelFormat::R16F, TSkColorType::AlphaF16}, Case{TPixelFormat::RG16F, TSkColorType::RGF16},
                          Case{TPixelFormat::RGBA16F, TSkColorType::RGBAF16}, Case{TPixelFormat::R32F, TSkColorType::Unknown},
                          Case{TPixelFormat::RGBA32F, TSkColorType::RGBAF32},
                          Case{static_cast<TPixelFormat>(99), TSkColorType::Unknown}})
        EXPECT_EQ(PixelFormatToColorType(k.format), k.colorType) << static_cast<int>(k.format);
}

// ---- the image cache of window canvases ----

// A canvas class that caches an image per bitmap handle, as the GPU canvas does, counting how
// often it makes one.
class CachingClass final : public Ui::TCanvasClassFor<TSkRasterCanvas, TSkCanvasBaseClass> {
public:
    std::string Name() const override { return "CachingCanvas"; }
    Ref<Skia::ISkImage> CreateCachedImage(TSkBitmapHandle& handle) const override {
        ++made;
        return Skia::TSkImage::MakeFromRaster(Skia::TSkImageInfo(handle.Width(), handle.Height()),
                                              handle.Pixels(), handle.RowBytes());
    }
    mutable int made = 0;
};

class CachingCanvas : public TSkRasterCanvas {
public:
    CachingCanvas(Ui::TWindowHandle* parent, int w, int h, const CachingClass& cls)
        : TSkRasterCanvas(parent, w, h, Ui::TCanvasQuality::SystemDefault), fClass(cls) {}
    const Ui::TCanvasClass& CanvasClass() const override { return fClass; }

private:
    const CachingClass& fClass;
};

TEST_F(BitmapScenes, WindowCanvasesDrawBitmapsFromTheCacheUntilTheirPixelsChange) {
    const CachingClass cls;
    auto window = MakeWindow(16, 16);
    CachingCanvas canvas(window.get(), 16, 16, cls);
    Ui::TBitmap bitmap(2, 2);
    bitmap.Clear(0xFF00FF00);  // pixels exist before the cache is made

    auto draw = [&] {
        ASSERT_TRUE(canvas.BeginScene());
        canvas.DrawBitmap(bitmap, {0, 0, 2, 2}, {0, 0, 4, 4}, 1);
        canvas.EndScene();
    };
    draw();
    draw();
    EXPECT_EQ(cls.made, 1);  // made once, used twice
    ASSERT_EQ(skia.draws.size(), 2u);

    ASSERT_TRUE(bitmap.Canvas().BeginScene());  // the bitmap is about to change
    bitmap.Canvas().EndScene();
    draw();
    EXPECT_EQ(cls.made, 2);

    // Bitmap canvases never use the cache: a bitmap drawn onto a bitmap is mapped each time.
    Ui::TBitmap target(4, 4);
    ASSERT_TRUE(target.Canvas().BeginScene());
    target.Canvas().DrawBitmap(bitmap, {0, 0, 2, 2}, {0, 0, 4, 4}, 1);
    target.Canvas().EndScene();
    EXPECT_EQ(cls.made, 2);
    EXPECT_EQ(skia.draws.back().image.pixels, TSkCanvasBaseClass::HandleOf(bitmap)->Pixels());
}

}  // namespace
