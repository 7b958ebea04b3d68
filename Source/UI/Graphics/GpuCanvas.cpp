#include "UI/Graphics/GpuCanvas.h"

#include <mutex>


namespace Skia::UI {

namespace {

// The class-level shared context. Written by window constructors (main thread) and at
// finalization; read by bitmap hooks on any thread.
struct TSharedSlot {
    std::mutex lock;
    Ref<IGrSharedContext> context;

    // Lets go of the reference at the end of the program.
    ~TSharedSlot() { Take(); }
    Ref<IGrSharedContext> Get() {
        std::lock_guard guard(lock);
        return context;
    }
    Ref<IGrSharedContext> Take() {
        std::lock_guard guard(lock);
        return std::move(context);
    }
};

TSharedSlot& Slot() {
    static TSharedSlot slot;
    return slot;
}

}  // namespace

// ---- class-level ----

TSkBitmapHandle* TGrCanvasClass::CreateBitmapHandle(int AWidth, int AHeight, Ui::TPixelFormat APixelFormat) const {
    return new TGrBitmapHandle(AWidth, AHeight, APixelFormat);
}

TSkImageInfo TGrCanvasClass::ImageInfoOf(const TSkBitmapHandle& AHandle) {
    return TSkImageInfo(AHandle.Width(), AHandle.Height(), PixelFormatToColorType(AHandle.PixelFormat()),
                        TSkAlphaType::Premul);
}

Ref<ISkImage> TGrCanvasClass::CreateCachedImage(TSkBitmapHandle& AHandle) const {
    auto* handle = dynamic_cast<TGrBitmapHandle*>(&AHandle);
    if (!handle || ImageInfoOf(AHandle).ColorType == TSkColorType::Unknown) return nullptr;
    Ref<IGrSharedContext> shared = TGrCanvas::SharedContext();
    if (!shared) return nullptr;
    // A bitmap never mapped has no pixels yet: they start zeroed, as a first mapping makes them.
    if (!AHandle.Pixels() && !AHandle.AllocatePixels()) return nullptr;
    handle->SetSharedContext(std::move(shared));
    return CreateTextureImage(*handle);
}

void TGrCanvasClass::ClearCachedImage(TSkBitmapHandle& AHandle) const {
    auto* handle = dynamic_cast<TGrBitmapHandle*>(&AHandle);
    if (!handle) return TSkCanvasBaseClass::ClearCachedImage(AHandle);
    ClearTextureImage(*handle);
    handle->SetSharedContext(nullptr);
}

void TGrCanvasClass::ClearTextureImage(TGrBitmapHandle& AHandle) const { AHandle.SetCache(nullptr); }

Ref<ISkImage> TGrCanvasClass::CreateTextureImage(TGrBitmapHandle& AHandle) const {
    if (!AHandle.SharedContext()) return nullptr;
    const Ref<ISkImage> raster = TSkImage::MakeFromRaster(ImageInfoOf(AHandle), AHandle.Pixels(), AHandle.RowBytes());
    if (!raster) return nullptr;
    return raster->MakeTextureImage(AHandle.SharedContext()->GrDirectContext(), false);
}

// ---- canvases ----

TGrCanvas::TGrCanvas(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality)
    : TSkCanvasBase(parent, width, height, quality) {}

TGrCanvas::TGrCanvas(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality) : TSkCanvasBase(bitmap, quality) {}

Ref<IGrSharedContext> TGrCanvas::SharedContext() { return Slot().Get(); }

void TGrCanvas::ReleaseSharedContext() { Slot().Take(); }

void TGrCanvas::EnsureSharedContext() {
    TSharedSlot& slot = Slot();
    std::lock_guard guard(slot.lock);
    if (!slot.context) slot.context = CreateSharedContext();
}

}  // namespace Skia::UI
