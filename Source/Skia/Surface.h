// Surfaces (reference-counted): drawable pixel targets, on the CPU or a GPU context, each with
// its own canvas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "Skia/Canvas.h"
#include "Skia/ColorSpace.h"
#include "Skia/Enums.h"
#include "Skia/GrBackendRenderTarget.h"
#include "Skia/GrBackendSemaphore.h"
#include "Skia/GrBackendSurfaceMutableState.h"
#include "Skia/GrBackendTexture.h"
#include "Skia/GrDirectContext.h"
#include "Skia/Image.h"
#include "Skia/ImageInfo.h"
#include "Skia/Object.h"
#include "Skia/Paint.h"
#include "Skia/Pixmap.h"
#include "Skia/SurfaceProperties.h"
#include "ui/Types.h"

namespace Skia {

// Called once, with the pixel address, when the native surface no longer needs the caller's
// pixels; on whatever thread releases the surface.
using TSkSurfaceRasterReleaseProc = std::function<void(void* APixels)>;

class ISkSurface : public virtual ISkReferenceCounted {
public:
    // Draws this surface's contents on ACanvas at (AX, AY).
    virtual void Draw(const Ref<ISkCanvas>& ACanvas, float AX, float AY, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void Flush() = 0;
    // A nil semaphore raises ESkException "Operation is invalid" before anything is flushed.
    virtual void FlushAndSubmit(std::span<const Ref<IGrBackendSemaphore>> ASemaphores = {},
                                const Ref<IGrBackendSurfaceMutableState>& ANewState = nullptr,
                                bool ASyncCpu = false) = 0;
    // The surface's canvas: the same object on every call, living as long as the surface; do
    // not use it after the surface is gone.
    virtual Ref<ISkCanvas> GetCanvas() = 0;
    virtual TSkSurfaceProperties GetProperties() = 0;
    virtual Ref<ISkImage> MakeImageSnapshot() = 0;
    virtual Ref<ISkImage> MakeImageSnapshot(const Ui::TRect& ABounds) = 0;
    // A pixmap over the surface's pixels (they stay the surface's); nil when not readable.
    virtual Ref<ISkPixmap> PeekPixels() = 0;
    virtual bool ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX = 0, int32_t ASrcY = 0) = 0;
    virtual bool ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                            int32_t ASrcX = 0, int32_t ASrcY = 0) = 0;
    // A nil semaphore raises ESkException "Operation is invalid".
    virtual bool Wait(std::span<const Ref<IGrBackendSemaphore>> ASemaphores) = 0;
};

class TSkSurface : public TSkReferenceCounted, public virtual ISkSurface {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // ---- CPU surfaces ----
    static Ref<ISkSurface> MakeRaster(const TSkImageInfo& AImageInfo);
    static Ref<ISkSurface> MakeRaster(const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties);
    static Ref<ISkSurface> MakeRaster(const TSkImageInfo& AImageInfo, size_t ARowBytes);
    static Ref<ISkSurface> MakeRaster(const TSkImageInfo& AImageInfo, size_t ARowBytes,
                                      const TSkSurfaceProperties& AProperties);
    static Ref<ISkSurface> MakeRaster(int32_t AWidth, int32_t AHeight,
                                      TSkColorType AColorType = TSkColorType::BGRA8888,
                                      TSkAlphaType AAlphaType = TSkAlphaType::Premul,
                                      const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkSurface> MakeRaster(int32_t AWidth, int32_t AHeight, const TSkSurfaceProperties& AProperties,
                                      TSkColorType AColorType = TSkColorType::BGRA8888,
                                      TSkAlphaType AAlphaType = TSkAlphaType::Premul,
                                      const Ref<ISkColorSpace>& AColorSpace = nullptr);
    // Draws straight into the caller's pixels, which must stay valid until the release
    // procedure has been called.
    static Ref<ISkSurface> MakeRasterDirect(const Ref<ISkPixmap>& APixmap,
                                            const TSkSurfaceRasterReleaseProc& ARasterReleaseProc = nullptr);
    static Ref<ISkSurface> MakeRasterDirect(const Ref<ISkPixmap>& APixmap, const TSkSurfaceProperties& AProperties,
                                            const TSkSurfaceRasterReleaseProc& ARasterReleaseProc = nullptr);
    static Ref<ISkSurface> MakeRasterDirect(const TSkImageInfo& AImageInfo, void* APixels, size_t ARowBytes,
                                            const TSkSurfaceRasterReleaseProc& ARasterReleaseProc = nullptr);
    static Ref<ISkSurface> MakeRasterDirect(const TSkImageInfo& AImageInfo, void* APixels, size_t ARowBytes,
                                            const TSkSurfaceProperties& AProperties,
                                            const TSkSurfaceRasterReleaseProc& ARasterReleaseProc = nullptr);

    // ---- GPU surfaces ----
    static Ref<ISkSurface> MakeRenderTarget(const Ref<IGrDirectContext>& AContext, bool AIsBudgeted,
                                            const TSkImageInfo& AImageInfo, int32_t ASampleCount = 0,
                                            TGrSurfaceOrigin AOrigin = TGrSurfaceOrigin::BottomLeft,
                                            bool AShouldCreateWithMips = false);
    static Ref<ISkSurface> MakeRenderTarget(const Ref<IGrDirectContext>& AContext, bool AIsBudgeted,
                                            const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties,
                                            int32_t ASampleCount = 0,
                                            TGrSurfaceOrigin AOrigin = TGrSurfaceOrigin::BottomLeft,
                                            bool AShouldCreateWithMips = false);
    static Ref<ISkSurface> MakeFromRenderTarget(const Ref<IGrDirectContext>& AContext,
                                                const Ref<IGrBackendRenderTarget>& ARenderTarget,
                                                TGrSurfaceOrigin AOrigin, TSkColorType AColorType,
                                                const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkSurface> MakeFromRenderTarget(const Ref<IGrDirectContext>& AContext,
                                                const Ref<IGrBackendRenderTarget>& ARenderTarget,
                                                TGrSurfaceOrigin AOrigin, TSkColorType AColorType,
                                                const TSkSurfaceProperties& AProperties,
                                                const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkSurface> MakeFromTexture(const Ref<IGrDirectContext>& AContext,
                                           const Ref<IGrBackendTexture>& ATexture, TGrSurfaceOrigin AOrigin,
                                           int32_t ASampleCount, TSkColorType AColorType,
                                           const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkSurface> MakeFromTexture(const Ref<IGrDirectContext>& AContext,
                                           const Ref<IGrBackendTexture>& ATexture, TGrSurfaceOrigin AOrigin,
                                           int32_t ASampleCount, TSkColorType AColorType,
                                           const TSkSurfaceProperties& AProperties,
                                           const Ref<ISkColorSpace>& AColorSpace = nullptr);
    // Metal views only; nil where the native library has no Metal back end.
    static Ref<ISkSurface> MakeFromMTKView(const Ref<IGrDirectContext>& AContext, const void* AView,
                                           TGrSurfaceOrigin AOrigin, int32_t ASampleCount, TSkColorType AColorType,
                                           const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkSurface> MakeFromMTKView(const Ref<IGrDirectContext>& AContext, const void* AView,
                                           TGrSurfaceOrigin AOrigin, int32_t ASampleCount, TSkColorType AColorType,
                                           const TSkSurfaceProperties& AProperties,
                                           const Ref<ISkColorSpace>& AColorSpace = nullptr);

    void Draw(const Ref<ISkCanvas>& ACanvas, float AX, float AY, const Ref<ISkPaint>& APaint) override;
    void Flush() override;
    void FlushAndSubmit(std::span<const Ref<IGrBackendSemaphore>> ASemaphores,
                        const Ref<IGrBackendSurfaceMutableState>& ANewState, bool ASyncCpu) override;
    Ref<ISkCanvas> GetCanvas() override;
    TSkSurfaceProperties GetProperties() override;
    Ref<ISkImage> MakeImageSnapshot() override;
    Ref<ISkImage> MakeImageSnapshot(const Ui::TRect& ABounds) override;
    Ref<ISkPixmap> PeekPixels() override;
    bool ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX, int32_t ASrcY) override;
    bool ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes, int32_t ASrcX,
                    int32_t ASrcY) override;
    bool Wait(std::span<const Ref<IGrBackendSemaphore>> ASemaphores) override;

private:
    static Ref<ISkSurface> RasterDirect(const Ref<ISkPixmap>& APixmap, const TSkSurfaceProperties* AProperties,
                                        const TSkSurfaceRasterReleaseProc& ARasterReleaseProc);

    Ref<ISkCanvas> FCanvas;  // made on the first GetCanvas; the native canvas is the surface's
};

}  // namespace Skia
