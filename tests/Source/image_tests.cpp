// Images, pixmaps, surfaces and encoders against stand-in entries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Raised.h"
#include "Spy.h"
#include "Skia/Image.h"
#include "Skia/ImageEncoder.h"
#include "Skia/Pixmap.h"
#include "Skia/Stream.h"
#include "Skia/Surface.h"

using namespace Skia;
namespace API = Skia::API;
using Fmt = TSkEncodedImageFormat;

namespace {

constexpr plix_handle ImageHandle = 0x1A00;
constexpr plix_handle PixmapHandle = 0x9900;
constexpr plix_handle SurfaceHandle = 0x5F00;

class SkImages : public ::testing::Test {
protected:
    FakeReleases releases;
    Ref<ISkImage> image = Wrap<TSkImage>(ImageHandle);
    // Temporary pixmaps over caller memory come from here.
    Spy<&API::plix_pixmap_create> pixmapCreate{[](const plix_imageinfo*, const void*, size_t) { return PixmapHandle; }};
};

// ---- encoding ----

TEST_F(SkImages, EncodingToAFileTakesTheFormatFromTheExtension) {
    static std::string fileName;
    static int32_t format, quality;
    Spy<&API::plix_image_encode_to_file> encode([](plix_handle self, const char* name, int32_t f, int32_t q) {
        EXPECT_EQ(self, ImageHandle);
        fileName = name;
        format = f;
        quality = q;
        return true;
    });
    const struct {
        const char* name;
        Fmt format;
    } good[] = {{"picture.PNG", Fmt::PNG}, {"a/b.c/shot.png", Fmt::PNG}, {"x.jpg", Fmt::JPEG},
                {"x.JPEG", Fmt::JPEG},     {"x.WebP", Fmt::WEBP}};
    for (const auto& c : good) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(image->EncodeToFile(c.name, 80));
        EXPECT_EQ(fileName, c.name);
        EXPECT_EQ(format, int32_t(c.format));
        EXPECT_EQ(quality, 80);
    }
    for (const char* bad : {"picture.bmp", "picture", "", "dir.png/file", "x.gif", "png"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Raised<ESkArgumentException>([&] { image->EncodeToFile(bad, 80); }), "Invalid extension");
    }
    EXPECT_EQ(decltype(encode)::Calls(), 5);
    // Naming the format skips the extension, not the name check.
    EXPECT_TRUE(image->EncodeToFile("picture.bmp", Fmt::BMP, 100));
    EXPECT_EQ(format, 0);
    EXPECT_EQ(Raised<ESkException>([&] { image->EncodeToFile("", Fmt::PNG); }), "File name cannot be empty");
}

TEST_F(SkImages, EncodeReturnsExactlyTheBytesWritten) {
    // The write adapter's context is the stream the wrapper encodes into.
    static void* stream;
    Spy<&API::plix_wstreamadapter_create> create([](void* context) {
        stream = context;
        return plix_handle{0x57};
    });
    Spy<&API::plix_wstreamadapter_destroy> destroy([](plix_handle h) { EXPECT_EQ(h, 0x57u); });
    static bool succeed;
    Spy<&API::plix_image_encode_to_stream> encode([](plix_handle, plix_handle adapter, int32_t format, int32_t q) {
        EXPECT_EQ(adapter, 0x57u);
        EXPECT_EQ(format, int32_t(Fmt::JPEG));
        EXPECT_EQ(q, 90);
        if (!succeed) return false;
        TSkWStreamAdapter::Procs().write(stream, "\xFF\xD8", 2);
        TSkWStreamAdapter::Procs().write(stream, "\xFF\xD9", 2);
        return true;
    });
    succeed = true;
    EXPECT_EQ(image->Encode(Fmt::JPEG, 90), (std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}));
    succeed = false;
    EXPECT_TRUE(image->Encode(Fmt::JPEG, 90).empty());
    EXPECT_EQ(decltype(destroy)::Calls(), 2);  // the adapter goes after each call
}

TEST_F(SkImages, PixmapEncoderChecksItsSourceAndName) {
    Ref<ISkPixmap> pixmap = Wrap<TSkPixmap>(0x98);
    Spy<&API::plix_imageencoder_encode_to_file> encode([](const char*, plix_handle src, int32_t f, int32_t) {
        EXPECT_EQ(src, 0x98u);
        EXPECT_EQ(f, int32_t(Fmt::WEBP));
        return true;
    });
    EXPECT_TRUE(TSkImageEncoder::EncodeToFile("out.webp", pixmap));
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkImageEncoder::EncodeToFile("out.tga", pixmap); }),
              "Invalid extension");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkImageEncoder::EncodeToFile("out.png", nullptr); }),
              "Parameter ASrc cannot be nil");
    EXPECT_EQ(Raised<ESkException>([&] { TSkImageEncoder::EncodeToFile("", pixmap, Fmt::PNG); }),
              "File name cannot be empty");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkImageEncoder::Encode(nullptr); }), "Parameter ASrc cannot be nil");
    EXPECT_EQ(decltype(encode)::Calls(), 1);
}

// ---- factories ----

TEST_F(SkImages, FactoriesRefuseEmptyInput) {
    Spy<&API::plix_image_make_from_encoded_file> fromFile;
    Spy<&API::plix_image_make_from_encoded_stream> fromStream;
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkImage::MakeFromEncoded({}); }), "Parameter ABytes cannot be empty");
    EXPECT_EQ(Raised<ESkException>([] { TSkImage::MakeFromEncodedFile(""); }), "File name cannot be empty");
    EXPECT_EQ(decltype(fromFile)::Calls() + decltype(fromStream)::Calls(), 0);
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } nils[] = {
        {"MakeRasterCopy", [] { TSkImage::MakeRasterCopy(nullptr); }, "Parameter APixmap cannot be nil"},
        {"MakeFromRaster", [] { TSkImage::MakeFromRaster(nullptr); }, "Parameter APixmap cannot be nil"},
        {"MakeFromPicture", [] { TSkImage::MakeFromPicture(nullptr, Ui::TSize{4, 4}); }, "Parameter APicture cannot be nil"},
        {"MakeCrossContext context", [] { TSkImage::MakeCrossContext(nullptr, nullptr, false); },
         "Parameter AContext cannot be nil"},
        {"MakeCrossContext pixmap", [] { TSkImage::MakeCrossContext(Wrap<TGrDirectContext>(0x6C), nullptr, false); },
         "Parameter APixmap cannot be nil"},
        {"MakeFromTexture context", [] { TSkImage::MakeFromTexture(nullptr, nullptr, {}, TSkColorType::RGBA8888); },
         "Parameter AContext cannot be nil"},
        {"MakeFromTexture texture",
         [] { TSkImage::MakeFromTexture(Wrap<TGrDirectContext>(0x6C), nullptr, {}, TSkColorType::RGBA8888); },
         "Parameter ATexture cannot be nil"},
        {"MakeFromAdoptedTexture",
         [] { TSkImage::MakeFromAdoptedTexture(nullptr, nullptr, {}, TSkColorType::RGBA8888); },
         "Parameter AContext cannot be nil"},
    };
    for (const auto& c : nils) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.call), c.message);
    }
}

TEST_F(SkImages, EncodedBytesAreReadThroughAStreamAdapter) {
    static void* context;
    static std::string read;
    Spy<&API::plix_image_make_from_encoded_stream> fromStream([](plix_handle adapter) {
        EXPECT_EQ(adapter, 0x56u);
        // The engine reads the bytes through the adapter's callbacks.
        const auto& procs = TSkStreamAdapter::Procs();
        read.resize(procs.get_length(context));
        read.resize(procs.read(context, read.data(), read.size()));
        return plix_handle{0};
    });
    Spy<&API::plix_streamadapter_create> create([](void* c) {
        context = c;
        return plix_handle{0x56};
    });
    Spy<&API::plix_streamadapter_destroy> destroy;
    const std::vector<uint8_t> bytes{'G', 'I', 'F', '8'};
    EXPECT_FALSE(TSkImage::MakeFromEncoded(bytes));  // native failure: nil, no exception
    EXPECT_EQ(read, "GIF8");
    EXPECT_EQ(decltype(destroy)::Calls(), 1);
    EXPECT_EQ(decltype(fromStream)::Calls(), 1);
}

TEST_F(SkImages, MakeFromRasterCallsTheReleaseProcedureOnceOrNever) {
    static plix_image_raster_release_proc proc;
    static void* context;
    static plix_handle result;
    Spy<&API::plix_image_make_from_raster>
        make([](plix_handle pixmap, plix_image_raster_release_proc p, void* c) {
            EXPECT_EQ(pixmap, 0x98u);
            proc = p;
            context = c;
            return result;
        });
    Ref<ISkPixmap> pixmap = Wrap<TSkPixmap>(0x98);
    int released = 0;
    void* releasedPixels = nullptr;
    auto onRelease = [&](void* pixels) {
        ++released;
        releasedPixels = pixels;
    };

    // A native failure frees the record at once (the sanitizer run would see a leak) and never
    // calls the procedure.
    result = 0;
    EXPECT_FALSE(TSkImage::MakeFromRaster(pixmap, onRelease));
    EXPECT_NE(proc, nullptr);
    EXPECT_EQ(released, 0);

    result = 0x1B00;
    Ref<ISkImage> shared = TSkImage::MakeFromRaster(pixmap, onRelease);
    ASSERT_TRUE(shared);
    EXPECT_EQ(released, 0);
    int pixels[4];
    proc(pixels, context);  // the native side is done with the pixels
    EXPECT_EQ(released, 1);
    EXPECT_EQ(releasedPixels, pixels);

    // Without a procedure: no callback at all.
    TSkImage::MakeFromRaster(pixmap);
    EXPECT_EQ(proc, nullptr);
    EXPECT_EQ(context, nullptr);
}

TEST_F(SkImages, TemporaryPixmapsLiveForTheCallOnly) {
    static std::vector<std::string> order;
    Spy<&API::plix_image_read_pixels>
        read([](plix_handle, plix_handle context, plix_handle dest, int32_t x, int32_t y, int32_t hint) {
            EXPECT_EQ(context, 0u);
            EXPECT_EQ(dest, PixmapHandle);
            EXPECT_EQ(x, 2);
            EXPECT_EQ(y, 3);
            EXPECT_EQ(hint, 1);
            order.push_back("read");
            return true;
        });
    Spy<&API::plix_pixmap_destroy> destroy([](plix_handle h) { order.push_back(FakeReleases::Name("destroy", h)); });
    uint32_t pixels[16];
    EXPECT_TRUE(image->ReadPixels(TSkImageInfo(4, 4), pixels, 16, 2, 3, TSkImageCachingHint::Disallow));
    EXPECT_EQ(order, (std::vector<std::string>{"read", FakeReleases::Name("destroy", PixmapHandle)}));
    EXPECT_EQ(Raised<ESkArgumentException>([&] { image->ReadPixels(nullptr); }), "Parameter ADest cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { image->ScalePixels(nullptr); }), "Parameter ADest cannot be nil");
}

TEST_F(SkImages, ARefusedTemporaryPixmapIsAFailureNotAnException) {
    pixmapCreate.SetHook([](const plix_imageinfo*, const void*, size_t) { return plix_handle{0}; });
    Spy<&API::plix_image_read_pixels> read;
    Spy<&API::plix_image_scale_pixels> scale;
    Spy<&API::plix_image_make_raster_copy> copy;
    Spy<&API::plix_image_make_from_raster> fromRaster;
    Spy<&API::plix_surface_read_pixels> surfaceRead;
    Spy<&API::plix_surface_make_raster_direct> direct;
    Spy<&API::plix_pixmap_read_pixels> pixmapRead;
    Spy<&API::plix_imageencoder_encode_to_stream> encode;
    const TSkImageInfo bad(-1, 4);
    uint32_t pixels[4];
    bool released = false;
    auto onRelease = [&](void*) { released = true; };
    Ref<ISkSurface> surface = Wrap<TSkSurface>(SurfaceHandle);
    Ref<ISkPixmap> pixmap = Wrap<TSkPixmap>(0x98);
    EXPECT_FALSE(image->ReadPixels(bad, pixels, 16));
    EXPECT_FALSE(image->ScalePixels(bad, pixels, 16));
    EXPECT_FALSE(TSkImage::MakeRasterCopy(bad, pixels, 16));
    EXPECT_FALSE(TSkImage::MakeFromRaster(bad, pixels, 16, onRelease));
    EXPECT_FALSE(surface->ReadPixels(bad, pixels, 16));
    EXPECT_FALSE(TSkSurface::MakeRasterDirect(bad, pixels, 16, onRelease));
    EXPECT_FALSE(pixmap->ReadPixels(bad, pixels, 16));
    EXPECT_TRUE(TSkImageEncoder::Encode(bad, pixels, 16).empty());
    EXPECT_FALSE(released);
    EXPECT_EQ(read.Calls() + scale.Calls() + copy.Calls() + fromRaster.Calls() + surfaceRead.Calls() + direct.Calls() +
                  pixmapRead.Calls() + encode.Calls(),
              0);
    // A pixmap asked for by name is created or the memory ran out.
    EXPECT_EQ(Raised<ESkException>([&] { TSkPixmap::Create(bad, pixels, 16); }), "Out of memory");
}

TEST_F(SkImages, ShadersSampleNearestUnlessGivenSampling) {
    static plix_sampling_options sampling;
    static int32_t tileX, tileY;
    static const plix_matrix* matrix;
    static float transX;
    auto record = [](plix_handle, int32_t x, int32_t y, const plix_sampling_options* s, const plix_matrix* m) {
        tileX = x;
        tileY = y;
        sampling = *s;
        matrix = m;
        transX = m ? m->trans_x : 0;
        return plix_handle{0x5100};
    };
    Spy<&API::plix_image_make_raw_shader> raw(record);
    Spy<&API::plix_image_make_shader> shader(record);
    // The host's feedback sampling: raw, Nearest, no mipmaps, clamped both ways.
    image->MakeRawShader(TSkSamplingOptions(TSkFilterMode::Nearest, TSkMipmapMode::None), TSkTileMode::Clamp,
                         TSkTileMode::Clamp);
    EXPECT_EQ(decltype(raw)::Calls(), 1);
    EXPECT_EQ(tileX, 0);
    EXPECT_EQ(matrix, nullptr);
    image->MakeShader(TSkTileMode::Repeat, TSkTileMode::Decal);
    EXPECT_EQ(tileX, 1);
    EXPECT_EQ(tileY, 3);
    EXPECT_EQ(sampling.filter, 0);
    EXPECT_EQ(sampling.mipmap, 0);
    image->MakeShader(Ui::TMatrix::CreateTranslation(6, 0), TSkSamplingOptions::High());
    EXPECT_TRUE(sampling.use_cubic);
    EXPECT_EQ(transX, 6);
    image->MakeRawShader(Ui::TMatrix::CreateTranslation(9, 0));
    EXPECT_EQ(transX, 9);
    EXPECT_FALSE(sampling.use_cubic);
    EXPECT_EQ(decltype(shader)::Calls(), 2);
}

TEST_F(SkImages, PropertiesComeFromTheNativeSide) {
    static int32_t colorType, alphaType;
    Spy<&API::plix_image_get_color_type> ct([](plix_handle) { return colorType; });
    Spy<&API::plix_image_get_alpha_type> at([](plix_handle) { return alphaType; });
    const struct {
        TSkColorType type;
        bool alphaOnly;
    } cases[] = {{TSkColorType::Alpha8, true}, {TSkColorType::AlphaF16, true}, {TSkColorType::Alpha16, true},
                 {TSkColorType::Gray8, false}, {TSkColorType::R8, false}};
    for (const auto& c : cases) {
        colorType = int32_t(c.type);
        EXPECT_EQ(image->IsAlphaOnly(), c.alphaOnly) << colorType;
    }
    alphaType = int32_t(TSkAlphaType::Opaque);
    EXPECT_TRUE(image->IsOpaque());
    alphaType = int32_t(TSkAlphaType::Premul);
    EXPECT_FALSE(image->IsOpaque());

    Spy<&API::plix_image_get_image_info>
        info([](plix_handle, plix_imageinfo* r) { *r = {5, 6, 4, 3, 0xC5}; });
    const TSkImageInfo got = image->GetImageInfo();
    EXPECT_EQ(got.Width, 5);
    EXPECT_EQ(got.ColorType, TSkColorType::RGBA8888);
    ASSERT_TRUE(got.ColorSpace);
    EXPECT_EQ(got.ColorSpace->GetHandle(), 0xC5u);
}

TEST_F(SkImages, GpuOperationsNeedTheirObjects) {
    Spy<&API::plix_image_make_texture_image> texture;
    Spy<&API::plix_image_make_with_filter>
        withFilter([](plix_handle, plix_handle context, plix_handle filter, const plix_irect* subset,
                      const plix_irect*, plix_irect* out, plix_ipoint* offset) {
            EXPECT_EQ(context, 0u);
            EXPECT_EQ(filter, 0x1Fu);
            EXPECT_EQ(subset->right, 10);
            *out = {1, 1, 9, 9};
            *offset = {-2, 3};
            return plix_handle{0x1C00};
        });
    EXPECT_EQ(Raised<ESkArgumentException>([&] { image->MakeTextureImage(nullptr); }),
              "Parameter AContext cannot be nil");
    Ui::TRect outSubset;
    Ui::TPoint offset;
    EXPECT_EQ(Raised<ESkArgumentException>(
                  [&] { image->MakeWithFilter(nullptr, {0, 0, 10, 10}, {0, 0, 10, 10}, outSubset, offset); }),
              "Parameter AFilter cannot be nil");
    EXPECT_EQ(decltype(texture)::Calls() + decltype(withFilter)::Calls(), 0);
    Ref<ISkImage> filtered =
        image->MakeWithFilter(Wrap<TSkImageFilter>(0x1F), {0, 0, 10, 10}, {0, 0, 20, 20}, outSubset, offset);
    ASSERT_TRUE(filtered);
    EXPECT_EQ(outSubset, (Ui::TRect{1, 1, 9, 9}));
    EXPECT_EQ(offset, (Ui::TPoint{-2, 3}));
}

// ---- pixmaps ----

TEST_F(SkImages, PixmapsPassTheirArgumentsAndFreeOnlyTheDescriptor) {
    static plix_imageinfo info;
    static const void* pixels;
    static size_t rowBytes;
    pixmapCreate.SetHook([](const plix_imageinfo* i, const void* p, size_t r) {
        info = *i;
        pixels = p;
        rowBytes = r;
        return PixmapHandle;
    });
    static const plix_irect* subset;
    static uint32_t color;
    Spy<&API::plix_pixmap_erase> erase([](plix_handle, uint32_t c, const plix_irect* s) {
        color = c;
        subset = s;
        return true;
    });
    static plix_sampling_options sampling;
    Spy<&API::plix_pixmap_scale_pixels>
        scale([](plix_handle, plix_handle dest, const plix_sampling_options* s) {
            EXPECT_EQ(dest, 0x98u);
            sampling = *s;
            return true;
        });
    uint8_t memory[64] = {};
    {
        Ref<ISkPixmap> pixmap = TSkPixmap::Create(TSkImageInfo(4, 4, TSkColorType::Gray8, TSkAlphaType::Opaque), memory, 16);
        EXPECT_EQ(info.color_type, int32_t(TSkColorType::Gray8));
        EXPECT_EQ(pixels, memory);
        EXPECT_EQ(rowBytes, 16u);
        EXPECT_TRUE(pixmap->Erase(0xFF00FF00));
        EXPECT_EQ(subset, nullptr);
        EXPECT_TRUE(pixmap->Erase(0xFF0000FF, Ui::TRect{0, 0, 2, 2}));
        EXPECT_EQ(color, 0xFF0000FFu);
        EXPECT_NE(subset, nullptr);
        EXPECT_TRUE(pixmap->ScalePixels(Wrap<TSkPixmap>(0x98)));
        EXPECT_EQ(sampling.filter, 0);
        EXPECT_EQ(sampling.mipmap, 0);
        EXPECT_EQ(Raised<ESkArgumentException>([&] { pixmap->ExtractSubset(nullptr, {}); }),
                  "Parameter ADest cannot be nil");
        EXPECT_EQ(Raised<ESkArgumentException>([&] { pixmap->ReadPixels(nullptr); }), "Parameter ADest cannot be nil");
    }
    EXPECT_EQ(FakeReleases::Destroys(PixmapHandle), 1);
    EXPECT_EQ(memory[0], 0);
}

// ---- surfaces ----

class SkSurfaces : public SkImages {};

TEST_F(SkSurfaces, TheCanvasIsMadeOnceAndBelongsToTheSurface) {
    Spy<&API::plix_surface_get_canvas> getCanvas([](plix_handle self) {
        EXPECT_EQ(self, SurfaceHandle);
        return plix_handle{0xCA00};
    });
    {
        Ref<ISkSurface> surface = Wrap<TSkSurface>(SurfaceHandle);
        Ref<ISkCanvas> first = surface->GetCanvas();
        Ref<ISkCanvas> second = surface->GetCanvas();
        EXPECT_EQ(first, second);
        EXPECT_EQ(first->GetHandle(), 0xCA00u);
        EXPECT_EQ(decltype(getCanvas)::Calls(), 1);
    }
    EXPECT_EQ(FakeReleases::Unrefs(SurfaceHandle), 1);
    EXPECT_EQ(FakeReleases::Destroys(0xCA00), 0);
}

TEST_F(SkSurfaces, RasterFactoriesPassTheImageInfoRowBytesAndProperties) {
    static plix_imageinfo info;
    static size_t rowBytes;
    static const plix_surface_props* props;
    Spy<&API::plix_surface_make_raster>
        make([](const plix_imageinfo* i, size_t r, const plix_surface_props* p) {
            info = *i;
            rowBytes = r;
            props = p;
            return SurfaceHandle;
        });
    EXPECT_TRUE(TSkSurface::MakeRaster(TSkImageInfo(100, 50)));
    EXPECT_EQ(rowBytes, 400u);  // the minimum
    EXPECT_EQ(props, nullptr);
    EXPECT_TRUE(TSkSurface::MakeRaster(TSkImageInfo(10, 10), 64, TSkSurfaceProperties()));
    EXPECT_EQ(rowBytes, 64u);
    EXPECT_NE(props, nullptr);
    EXPECT_TRUE(TSkSurface::MakeRaster(14, 14, TSkColorType::RGBAF16));
    EXPECT_EQ(info.width, 14);
    EXPECT_EQ(info.color_type, int32_t(TSkColorType::RGBAF16));
    EXPECT_EQ(info.alpha_type, int32_t(TSkAlphaType::Premul));
    EXPECT_EQ(rowBytes, 14u * 8);
}

TEST_F(SkSurfaces, SemaphoresCrossAsHandlesAndANilOneIsRefused) {
    static std::vector<plix_handle> semaphores;
    static int32_t count = -1;
    static plix_handle newState;
    static bool syncCpu;
    Spy<&API::plix_surface_flush_and_submit>
        flush([](plix_handle, const plix_handle* s, int32_t n, plix_handle state, bool sync) {
            semaphores.assign(s, s + (s ? n : 0));
            count = n;
            newState = state;
            syncCpu = sync;
            if (n == 0) {
                EXPECT_EQ(s, nullptr);
            }
        });
    Spy<&API::plix_surface_wait> wait([](plix_handle, const plix_handle*, int32_t n) { return n == 2; });
    Ref<ISkSurface> surface = Wrap<TSkSurface>(SurfaceHandle);
    surface->FlushAndSubmit();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(newState, 0u);
    EXPECT_FALSE(syncCpu);
    const std::vector<Ref<IGrBackendSemaphore>> two{Wrap<TGrBackendSemaphore>(0x51), Wrap<TGrBackendSemaphore>(0x52)};
    surface->FlushAndSubmit(two, Wrap<TGrBackendSurfaceMutableState>(0x53), true);
    EXPECT_EQ(semaphores, (std::vector<plix_handle>{0x51, 0x52}));
    EXPECT_EQ(newState, 0x53u);
    EXPECT_TRUE(syncCpu);
    EXPECT_TRUE(surface->Wait(two));
    const std::vector<Ref<IGrBackendSemaphore>> withNil{two[0], nullptr};
    EXPECT_EQ(Raised<ESkException>([&] { surface->FlushAndSubmit(withNil); }), "Operation is invalid");
    EXPECT_EQ(Raised<ESkException>([&] { surface->Wait(withNil); }), "Operation is invalid");
    EXPECT_EQ(decltype(flush)::Calls(), 2);
    EXPECT_EQ(decltype(wait)::Calls(), 1);
}

TEST_F(SkSurfaces, RasterDirectKeepsTheReleaseProcedureUntilTheNativeSideIsDone) {
    static plix_surface_raster_release_proc proc;
    static void* context;
    static plix_handle result;
    Spy<&API::plix_surface_make_raster_direct>
        make([](plix_handle pixmap, plix_surface_raster_release_proc p, void* c, const plix_surface_props* props) {
            EXPECT_EQ(pixmap, PixmapHandle);
            EXPECT_EQ(props, nullptr);
            proc = p;
            context = c;
            return result;
        });
    int released = 0;
    uint32_t pixels[4];
    result = 0;
    EXPECT_FALSE(TSkSurface::MakeRasterDirect(TSkImageInfo(2, 2), pixels, 8, [&](void*) { ++released; }));
    result = SurfaceHandle;
    Ref<ISkSurface> surface = TSkSurface::MakeRasterDirect(TSkImageInfo(2, 2), pixels, 8, [&](void* p) {
        EXPECT_EQ(p, pixels);
        ++released;
    });
    ASSERT_TRUE(surface);
    proc(pixels, context);
    EXPECT_EQ(released, 1);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkSurface::MakeRasterDirect(nullptr); }),
              "Parameter APixmap cannot be nil");
}

TEST_F(SkSurfaces, GpuFactoriesCheckTheirObjects) {
    const Ref<IGrDirectContext> context = Wrap<TGrDirectContext>(0x6C);
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {"MakeRenderTarget", [] { TSkSurface::MakeRenderTarget(nullptr, true, TSkImageInfo(4, 4)); },
         "Parameter AContext cannot be nil"},
        {"MakeFromRenderTarget context",
         [] { TSkSurface::MakeFromRenderTarget(nullptr, nullptr, {}, TSkColorType::RGBA8888); },
         "Parameter AContext cannot be nil"},
        {"MakeFromRenderTarget target",
         [&] { TSkSurface::MakeFromRenderTarget(context, nullptr, {}, TSkColorType::RGBA8888); },
         "Parameter ARenderTarget cannot be nil"},
        {"MakeFromTexture texture", [&] { TSkSurface::MakeFromTexture(context, nullptr, {}, 0, TSkColorType::RGBA8888); },
         "Parameter ATexture cannot be nil"},
        {"MakeFromMTKView", [] { TSkSurface::MakeFromMTKView(nullptr, nullptr, {}, 0, TSkColorType::BGRA8888); },
         "Parameter AContext cannot be nil"},
        {"Draw",
         [] {
             Ref<ISkSurface> surface = Wrap<TSkSurface>(SurfaceHandle);
             surface->Draw(nullptr, 0, 0);
         },
         "Parameter ACanvas cannot be nil"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.call), c.message);
    }
    static plix_handle target;
    static int32_t origin, colorType;
    Spy<&API::plix_surface_make_from_render_target>
        make([](plix_handle ctx, plix_handle rt, int32_t o, int32_t ct, plix_handle cs, const plix_surface_props* p) {
            EXPECT_EQ(ctx, 0x6Cu);
            target = rt;
            origin = o;
            colorType = ct;
            EXPECT_EQ(cs, 0u);
            EXPECT_EQ(p, nullptr);
            return SurfaceHandle;
        });
    EXPECT_TRUE(TSkSurface::MakeFromRenderTarget(context, Wrap<TGrBackendRenderTarget>(0x77),
                                                 TGrSurfaceOrigin::BottomLeft, TSkColorType::RGBA8888));
    EXPECT_EQ(target, 0x77u);
    EXPECT_EQ(origin, 1);
    EXPECT_EQ(colorType, 4);
    EXPECT_EQ(FakeReleases::Destroys(0x77), 1);  // the wrapper was the test's, not the surface's
}

}  // namespace
