#include "Skia/Surface.h"

#include <vector>

#include "Skia/API.h"
#include "Skia/Delegate.h"
#include "Skia/Marshal.h"

namespace Skia {

using Marshal::Ord;

namespace {

Ref<ISkSurface> Result(plix_handle handle) { return WrapOrNil<TSkSurface>(handle); }

using RasterRelease = TSkDelegate<TSkSurfaceRasterReleaseProc>;

void RasterReleaseCallback(void* pixels, void* context) { RasterRelease::Call(context, pixels); }

// The properties cross by pointer, null when the overload has none.
struct Props {
    explicit Props(const TSkSurfaceProperties* p) : has(p != nullptr), native(p ? p->ToNative() : plix_surface_props{}) {}
    const plix_surface_props* get() const { return has ? &native : nullptr; }
    bool has;
    plix_surface_props native;
};

// The semaphores' handles in order; a nil one is refused before any native call.
std::vector<plix_handle> SemaphoreHandles(std::span<const Ref<IGrBackendSemaphore>> semaphores) {
    std::vector<plix_handle> handles;
    handles.reserve(semaphores.size());
    for (const auto& semaphore : semaphores) {
        if (!semaphore) RaiseInvalidOperation();
        handles.push_back(semaphore->GetHandle());
    }
    return handles;
}

Ref<ISkSurface> Raster(const TSkImageInfo& imageInfo, size_t rowBytes, const TSkSurfaceProperties* properties) {
    const plix_imageinfo info = imageInfo.ToNative();
    const Props props(properties);
    return Result(API::plix_surface_make_raster(&info, rowBytes, props.get()));
}

Ref<ISkSurface> RenderTarget(const Ref<IGrDirectContext>& context, bool isBudgeted, const TSkImageInfo& imageInfo,
                             const TSkSurfaceProperties* properties, int32_t sampleCount, TGrSurfaceOrigin origin,
                             bool shouldCreateWithMips) {
    CheckNotNil(context, "AContext");
    const plix_imageinfo info = imageInfo.ToNative();
    const Props props(properties);
    return Result(API::plix_surface_make_render_target(context->GetHandle(), isBudgeted, &info, sampleCount,
                                                       Ord(origin), props.get(), shouldCreateWithMips));
}

Ref<ISkSurface> FromRenderTarget(const Ref<IGrDirectContext>& context, const Ref<IGrBackendRenderTarget>& renderTarget,
                                 TGrSurfaceOrigin origin, TSkColorType colorType,
                                 const TSkSurfaceProperties* properties, const Ref<ISkColorSpace>& colorSpace) {
    CheckNotNil(context, "AContext");
    CheckNotNil(renderTarget, "ARenderTarget");
    const Props props(properties);
    return Result(API::plix_surface_make_from_render_target(context->GetHandle(), renderTarget->GetHandle(),
                                                            Ord(origin), Ord(colorType), HandleOrZero(colorSpace),
                                                            props.get()));
}

Ref<ISkSurface> FromTexture(const Ref<IGrDirectContext>& context, const Ref<IGrBackendTexture>& texture,
                            TGrSurfaceOrigin origin, int32_t sampleCount, TSkColorType colorType,
                            const TSkSurfaceProperties* properties, const Ref<ISkColorSpace>& colorSpace) {
    CheckNotNil(context, "AContext");
    CheckNotNil(texture, "ATexture");
    const Props props(properties);
    return Result(API::plix_surface_make_from_texture(context->GetHandle(), texture->GetHandle(), Ord(origin),
                                                      sampleCount, Ord(colorType), HandleOrZero(colorSpace),
                                                      props.get()));
}

Ref<ISkSurface> FromMTKView(const Ref<IGrDirectContext>& context, const void* view, TGrSurfaceOrigin origin,
                            int32_t sampleCount, TSkColorType colorType, const TSkSurfaceProperties* properties,
                            const Ref<ISkColorSpace>& colorSpace) {
    CheckNotNil(context, "AContext");
    const Props props(properties);
    return Result(API::plix_surface_make_from_mtk_view(context->GetHandle(), view, Ord(origin), sampleCount,
                                                       Ord(colorType), HandleOrZero(colorSpace), props.get()));
}

}  // namespace

// ---- CPU surfaces ----

Ref<ISkSurface> TSkSurface::MakeRaster(const TSkImageInfo& AImageInfo) {
    return MakeRaster(AImageInfo, AImageInfo.MinRowBytes());
}

Ref<ISkSurface> TSkSurface::MakeRaster(const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties) {
    return MakeRaster(AImageInfo, AImageInfo.MinRowBytes(), AProperties);
}

Ref<ISkSurface> TSkSurface::MakeRaster(const TSkImageInfo& AImageInfo, size_t ARowBytes) {
    return Raster(AImageInfo, ARowBytes, nullptr);
}

Ref<ISkSurface> TSkSurface::MakeRaster(const TSkImageInfo& AImageInfo, size_t ARowBytes,
                                       const TSkSurfaceProperties& AProperties) {
    return Raster(AImageInfo, ARowBytes, &AProperties);
}

Ref<ISkSurface> TSkSurface::MakeRaster(int32_t AWidth, int32_t AHeight, TSkColorType AColorType,
                                       TSkAlphaType AAlphaType, const Ref<ISkColorSpace>& AColorSpace) {
    return MakeRaster(TSkImageInfo(AWidth, AHeight, AColorType, AAlphaType, AColorSpace));
}

Ref<ISkSurface> TSkSurface::MakeRaster(int32_t AWidth, int32_t AHeight, const TSkSurfaceProperties& AProperties,
                                       TSkColorType AColorType, TSkAlphaType AAlphaType,
                                       const Ref<ISkColorSpace>& AColorSpace) {
    return MakeRaster(TSkImageInfo(AWidth, AHeight, AColorType, AAlphaType, AColorSpace), AProperties);
}

Ref<ISkSurface> TSkSurface::RasterDirect(const Ref<ISkPixmap>& APixmap, const TSkSurfaceProperties* AProperties,
                                         const TSkSurfaceRasterReleaseProc& ARasterReleaseProc) {
    CheckNotNil(APixmap, "APixmap");
    const plix_handle pixmap = APixmap->GetHandle();
    const Props props(AProperties);
    return Result(RasterRelease::Invoke(ARasterReleaseProc, &RasterReleaseCallback,
                                        [&](plix_surface_raster_release_proc proc, void* context) {
                                            return API::plix_surface_make_raster_direct(pixmap, proc, context,
                                                                                        props.get());
                                        }));
}

Ref<ISkSurface> TSkSurface::MakeRasterDirect(const Ref<ISkPixmap>& APixmap,
                                             const TSkSurfaceRasterReleaseProc& ARasterReleaseProc) {
    return RasterDirect(APixmap, nullptr, ARasterReleaseProc);
}

Ref<ISkSurface> TSkSurface::MakeRasterDirect(const Ref<ISkPixmap>& APixmap, const TSkSurfaceProperties& AProperties,
                                             const TSkSurfaceRasterReleaseProc& ARasterReleaseProc) {
    return RasterDirect(APixmap, &AProperties, ARasterReleaseProc);
}

Ref<ISkSurface> TSkSurface::MakeRasterDirect(const TSkImageInfo& AImageInfo, void* APixels, size_t ARowBytes,
                                             const TSkSurfaceRasterReleaseProc& ARasterReleaseProc) {
    const Ref<ISkPixmap> pixmap = TSkPixmap::Make(AImageInfo, APixels, ARowBytes);
    return pixmap ? RasterDirect(pixmap, nullptr, ARasterReleaseProc) : nullptr;
}

Ref<ISkSurface> TSkSurface::MakeRasterDirect(const TSkImageInfo& AImageInfo, void* APixels, size_t ARowBytes,
                                             const TSkSurfaceProperties& AProperties,
                                             const TSkSurfaceRasterReleaseProc& ARasterReleaseProc) {
    const Ref<ISkPixmap> pixmap = TSkPixmap::Make(AImageInfo, APixels, ARowBytes);
    return pixmap ? RasterDirect(pixmap, &AProperties, ARasterReleaseProc) : nullptr;
}

// ---- GPU surfaces ----

Ref<ISkSurface> TSkSurface::MakeRenderTarget(const Ref<IGrDirectContext>& AContext, bool AIsBudgeted,
                                             const TSkImageInfo& AImageInfo, int32_t ASampleCount,
                                             TGrSurfaceOrigin AOrigin, bool AShouldCreateWithMips) {
    return RenderTarget(AContext, AIsBudgeted, AImageInfo, nullptr, ASampleCount, AOrigin, AShouldCreateWithMips);
}

Ref<ISkSurface> TSkSurface::MakeRenderTarget(const Ref<IGrDirectContext>& AContext, bool AIsBudgeted,
                                             const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties,
                                             int32_t ASampleCount, TGrSurfaceOrigin AOrigin,
                                             bool AShouldCreateWithMips) {
    return RenderTarget(AContext, AIsBudgeted, AImageInfo, &AProperties, ASampleCount, AOrigin, AShouldCreateWithMips);
}

Ref<ISkSurface> TSkSurface::MakeFromRenderTarget(const Ref<IGrDirectContext>& AContext,
                                                 const Ref<IGrBackendRenderTarget>& ARenderTarget,
                                                 TGrSurfaceOrigin AOrigin, TSkColorType AColorType,
                                                 const Ref<ISkColorSpace>& AColorSpace) {
    return FromRenderTarget(AContext, ARenderTarget, AOrigin, AColorType, nullptr, AColorSpace);
}

Ref<ISkSurface> TSkSurface::MakeFromRenderTarget(const Ref<IGrDirectContext>& AContext,
                                                 const Ref<IGrBackendRenderTarget>& ARenderTarget,
                                                 TGrSurfaceOrigin AOrigin, TSkColorType AColorType,
                                                 const TSkSurfaceProperties& AProperties,
                                                 const Ref<ISkColorSpace>& AColorSpace) {
    return FromRenderTarget(AContext, ARenderTarget, AOrigin, AColorType, &AProperties, AColorSpace);
}

Ref<ISkSurface> TSkSurface::MakeFromTexture(const Ref<IGrDirectContext>& AContext,
                                            const Ref<IGrBackendTexture>& ATexture, TGrSurfaceOrigin AOrigin,
                                            int32_t ASampleCount, TSkColorType AColorType,
                                            const Ref<ISkColorSpace>& AColorSpace) {
    return FromTexture(AContext, ATexture, AOrigin, ASampleCount, AColorType, nullptr, AColorSpace);
}

Ref<ISkSurface> TSkSurface::MakeFromTexture(const Ref<IGrDirectContext>& AContext,
                                            const Ref<IGrBackendTexture>& ATexture, TGrSurfaceOrigin AOrigin,
                                            int32_t ASampleCount, TSkColorType AColorType,
                                            const TSkSurfaceProperties& AProperties,
                                            const Ref<ISkColorSpace>& AColorSpace) {
    return FromTexture(AContext, ATexture, AOrigin, ASampleCount, AColorType, &AProperties, AColorSpace);
}

Ref<ISkSurface> TSkSurface::MakeFromMTKView(const Ref<IGrDirectContext>& AContext, const void* AView,
                                            TGrSurfaceOrigin AOrigin, int32_t ASampleCount, TSkColorType AColorType,
                                            const Ref<ISkColorSpace>& AColorSpace) {
    return FromMTKView(AContext, AView, AOrigin, ASampleCount, AColorType, nullptr, AColorSpace);
}

Ref<ISkSurface> TSkSurface::MakeFromMTKView(const Ref<IGrDirectContext>& AContext, const void* AView,
                                            TGrSurfaceOrigin AOrigin, int32_t ASampleCount, TSkColorType AColorType,
                                            const TSkSurfaceProperties& AProperties,
                                            const Ref<ISkColorSpace>& AColorSpace) {
    return FromMTKView(AContext, AView, AOrigin, ASampleCount, AColorType, &AProperties, AColorSpace);
}

// ---- ISkSurface ----

void TSkSurface::Draw(const Ref<ISkCanvas>& ACanvas, float AX, float AY, const Ref<ISkPaint>& APaint) {
    CheckNotNil(ACanvas, "ACanvas");
    API::plix_surface_draw(Handle(), ACanvas->GetHandle(), AX, AY, HandleOrZero(APaint));
}

void TSkSurface::Flush() { API::plix_surface_flush(Handle()); }

void TSkSurface::FlushAndSubmit(std::span<const Ref<IGrBackendSemaphore>> ASemaphores,
                                const Ref<IGrBackendSurfaceMutableState>& ANewState, bool ASyncCpu) {
    const std::vector<plix_handle> semaphores = SemaphoreHandles(ASemaphores);
    API::plix_surface_flush_and_submit(Handle(), Marshal::DataOrNil<plix_handle>(semaphores),
                                       static_cast<int32_t>(semaphores.size()), HandleOrZero(ANewState), ASyncCpu);
}

Ref<ISkCanvas> TSkSurface::GetCanvas() {
    if (!FCanvas) FCanvas = WrapOrNil<TSkCanvas>(API::plix_surface_get_canvas(Handle()), false);
    return FCanvas;
}

TSkSurfaceProperties TSkSurface::GetProperties() {
    plix_surface_props props{};
    API::plix_surface_get_props(Handle(), &props);
    return TSkSurfaceProperties::FromNative(props);
}

Ref<ISkImage> TSkSurface::MakeImageSnapshot() {
    return WrapOrNil<TSkImage>(API::plix_surface_make_image_snapshot(Handle()));
}

Ref<ISkImage> TSkSurface::MakeImageSnapshot(const Ui::TRect& ABounds) {
    const plix_irect bounds = Marshal::ToNative(ABounds);
    return WrapOrNil<TSkImage>(API::plix_surface_make_image_snapshot2(Handle(), &bounds));
}

Ref<ISkPixmap> TSkSurface::PeekPixels() { return WrapOrNil<TSkPixmap>(API::plix_surface_peek_pixels(Handle())); }

bool TSkSurface::ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX, int32_t ASrcY) {
    CheckNotNil(ADest, "ADest");
    return API::plix_surface_read_pixels(Handle(), ADest->GetHandle(), ASrcX, ASrcY);
}

bool TSkSurface::ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                            int32_t ASrcX, int32_t ASrcY) {
    const Ref<ISkPixmap> dest = TSkPixmap::Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ReadPixels(dest, ASrcX, ASrcY);
}

bool TSkSurface::Wait(std::span<const Ref<IGrBackendSemaphore>> ASemaphores) {
    const std::vector<plix_handle> semaphores = SemaphoreHandles(ASemaphores);
    return API::plix_surface_wait(Handle(), Marshal::DataOrNil<plix_handle>(semaphores),
                                  static_cast<int32_t>(semaphores.size()));
}

}  // namespace Skia
