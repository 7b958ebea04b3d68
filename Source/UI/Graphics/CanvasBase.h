// TSkCanvasBase decides what a scene draws into. A window canvas gets its surface from the
// concrete back end (raster or OpenGL) at the start of each scene and lets the back end present
// it at the end; a bitmap canvas draws through a raster surface laid straight over the pixels of
// the bitmap's handle. Between the two the Skia canvas of that surface is the Canvas of
// TSkCanvasCustom.
//
// The class-level operations (bitmap storage and the image cache on bitmap handles) live in the
// canvas class object, TSkCanvasBaseClass, which every Skia canvas class derives from.
#pragma once

#include "Skia/Surface.h"
#include "UI/Graphics/BitmapHandle.h"
#include "UI/Graphics/CanvasCustom.h"

namespace Skia::UI {

class TSkCanvasBaseClass : public Ui::TCanvasClass {
public:
    // The handle object of a new framework bitmap (the GPU canvas makes its own kind).
    virtual TSkBitmapHandle* CreateBitmapHandle(int AWidth, int AHeight, Ui::TPixelFormat APixelFormat) const;
    // Drops the image cached on a handle.
    virtual void ClearCachedImage(TSkBitmapHandle& AHandle) const;
    // The image to cache on a handle; none here (raster canvases map the pixels every time).
    virtual Ref<ISkImage> CreateCachedImage(TSkBitmapHandle& AHandle) const;

    // Bitmap storage: pixels in a TSkBitmapHandle, made zero-filled on first use and mapped in
    // place. Mapping for writing drops the cached image.
    Ui::THandle DoInitializeBitmap(int width, int height, float scale, Ui::TPixelFormat& pixelFormat) const override;
    void DoFinalizeBitmap(Ui::THandle& bitmap) const override;
    bool DoMapBitmap(Ui::THandle bitmap, Ui::TMapAccess access, Ui::TBitmapData& data) const override;
    void DoUnmapBitmap(Ui::THandle, Ui::TBitmapData&) const override {}

    // The handle of a bitmap whose pixels a Skia canvas class keeps; nil for other bitmaps.
    static TSkBitmapHandle* HandleOf(const Ui::TBitmap& ABitmap);
};

class TSkCanvasBase : public TSkCanvasCustom {
public:
    const TSkCanvasBaseClass& SkCanvasClass() const { return static_cast<const TSkCanvasBaseClass&>(CanvasClass()); }

protected:
    TSkCanvasBase(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality);
    TSkCanvasBase(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality);

    // The surface of a window scene; nil means the scene cannot start. The back end owns it.
    virtual Ref<ISkSurface> GetSurfaceFromWindow(Ui::THandle AContextHandle) = 0;
    // Presents a finished window scene (after the surface was flushed).
    virtual void SwapBuffers() {}

    bool DoBeginScene(const std::vector<Ui::TRectF>* clipRects, Ui::THandle contextHandle) override;
    void DoEndScene() override;
    // Window canvases draw bitmaps from the image cached on their handle, made on first use.
    Ref<ISkImage> GetCachedImage(Ui::TBitmap& bitmap) override;
    Ref<ISkCanvas> GetCanvas() const override;

private:
    bool BeginBitmapScene();

    Ref<ISkSurface> FBitmapSurface;  // during a bitmap scene: the surface over the handle's pixels
    Ref<ISkSurface> FSurface;        // the current scene's surface; nil outside a scene
};

}  // namespace Skia::UI
