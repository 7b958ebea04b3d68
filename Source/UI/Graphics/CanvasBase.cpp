#include "UI/Graphics/CanvasBase.h"

#include <new>

#include "ui/Window.h"

namespace Skia::UI {

// ---- bitmap storage and the image cache ----

TSkBitmapHandle* TSkCanvasBaseClass::CreateBitmapHandle(int AWidth, int AHeight, Ui::TPixelFormat APixelFormat) const {
    return new TSkBitmapHandle(AWidth, AHeight, APixelFormat);
}

void TSkCanvasBaseClass::ClearCachedImage(TSkBitmapHandle& AHandle) const { AHandle.SetCache(nullptr); }

Ref<ISkImage> TSkCanvasBaseClass::CreateCachedImage(TSkBitmapHandle&) const { return nullptr; }

Ui::THandle TSkCanvasBaseClass::DoInitializeBitmap(int width, int height, float, Ui::TPixelFormat& pixelFormat) const {
    if (pixelFormat == Ui::TPixelFormat::None) pixelFormat = Ui::TPixelFormat::BGRA;
    return reinterpret_cast<Ui::THandle>(CreateBitmapHandle(width, height, pixelFormat));
}

void TSkCanvasBaseClass::DoFinalizeBitmap(Ui::THandle& bitmap) const {
    auto* handle = reinterpret_cast<TSkBitmapHandle*>(bitmap);
    if (!handle) return;
    // Runs while a bitmap is destroyed: a cache that cannot be released cleanly (a GPU context
    // that cannot be made current) must not keep the pixels from being freed.
    try {
        if (handle->Cache()) ClearCachedImage(*handle);
    } catch (...) {
    }
    delete handle;
    bitmap = 0;
}

bool TSkCanvasBaseClass::DoMapBitmap(Ui::THandle bitmap, Ui::TMapAccess access, Ui::TBitmapData& data) const {
    auto* handle = reinterpret_cast<TSkBitmapHandle*>(bitmap);
    if (!handle) return false;
    if (!handle->Pixels()) {
        if (!handle->AllocatePixels()) return false;
    } else if (access != Ui::TMapAccess::Read && handle->Cache()) {
        ClearCachedImage(*handle);
    }
    data.Data = handle->Pixels();
    data.Pitch = static_cast<int>(handle->RowBytes());
    return true;
}

TSkBitmapHandle* TSkCanvasBaseClass::HandleOf(const Ui::TBitmap& ABitmap) {
    if (!dynamic_cast<const TSkCanvasBaseClass*>(ABitmap.CanvasClass())) return nullptr;
    return reinterpret_cast<TSkBitmapHandle*>(ABitmap.Handle());
}

// ---- scenes ----

TSkCanvasBase::TSkCanvasBase(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality)
    : TSkCanvasCustom(parent, width, height, quality) {}

TSkCanvasBase::TSkCanvasBase(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality) : TSkCanvasCustom(bitmap, quality) {}

Ref<ISkCanvas> TSkCanvasBase::GetCanvas() const { return FSurface ? FSurface->GetCanvas() : nullptr; }

bool TSkCanvasBase::BeginBitmapScene() {
    Ui::TBitmap* bitmap = Bitmap();
    TSkBitmapHandle* handle = bitmap ? TSkCanvasBaseClass::HandleOf(*bitmap) : nullptr;
    if (!handle) return false;
    if (!handle->Pixels()) {
        if (!handle->AllocatePixels()) return false;
    } else if (handle->Cache()) {
        // The scene is about to change the pixels.
        SkCanvasClass().ClearCachedImage(*handle);
    }
    const TSkColorType colorType = PixelFormatToColorType(handle->PixelFormat());
    if (colorType == TSkColorType::Unknown) return false;
    const TSkImageInfo info(handle->Width(), handle->Height(), colorType, TSkAlphaType::Premul);
    FBitmapSurface = TSkSurface::MakeRasterDirect(info, handle->Pixels(), handle->RowBytes());
    FSurface = FBitmapSurface;
    return FSurface != nullptr;
}

bool TSkCanvasBase::DoBeginScene(const std::vector<Ui::TRectF>* clipRects, Ui::THandle contextHandle) {
    if (!TSkCanvasCustom::DoBeginScene(clipRects, contextHandle)) return false;
    try {
        if (Parent())
            FSurface = GetSurfaceFromWindow(contextHandle);
        else if (!BeginBitmapScene())
            FSurface = nullptr;
        if (!FSurface) {
            FBitmapSurface = nullptr;
            return false;
        }
        const Ref<ISkCanvas> canvas = FSurface->GetCanvas();
        // A kept window surface must not carry clips over from an earlier scene: the scene runs
        // inside a save of its own, undone at its end (and here, should an end have failed).
        canvas->RestoreToCount(1);
        canvas->Save();
        canvas->SetMatrix(Ui::TMatrix::CreateScaling(Scale(), Scale()));
    } catch (...) {
        FSurface = nullptr;
        FBitmapSurface = nullptr;
        throw;
    }
    return true;
}

void TSkCanvasBase::DoEndScene() {
    if (Parent()) {
        // Windows here are never translucent, so nothing is copied to a layered-window buffer.
        try {
            if (FSurface) {
                FSurface->GetCanvas()->RestoreToCount(1);
                FSurface->FlushAndSubmit();
            }
        } catch (...) {
            FSurface = nullptr;
            throw;
        }
        FSurface = nullptr;
        SwapBuffers();
    } else {
        FSurface = nullptr;
        FBitmapSurface = nullptr;  // the pixels stay in the handle
    }
    TSkCanvasCustom::DoEndScene();
}

Ref<ISkImage> TSkCanvasBase::GetCachedImage(Ui::TBitmap& bitmap) {
    // A bitmap drawn onto another bitmap is mapped and wrapped each time.
    if (!Parent()) return nullptr;
    TSkBitmapHandle* handle = TSkCanvasBaseClass::HandleOf(bitmap);
    if (!handle) return nullptr;
    if (!handle->Cache()) handle->SetCache(SkCanvasClass().CreateCachedImage(*handle));
    return handle->Cache();
}

}  // namespace Skia::UI
