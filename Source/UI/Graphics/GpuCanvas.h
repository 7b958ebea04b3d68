// The back-end-neutral GPU flavour of the Skia framework canvas. Each window canvas owns a
// direct context for its window; the process-wide shared context (made by the first window
// canvas) holds the GPU images of framework bitmaps, cached on their handles. A bitmap handle
// with a GPU image keeps the shared context alive. The OpenGL canvas derives from here.
#pragma once

#include "UI/Graphics/CanvasBase.h"
#include "UI/Graphics/SharedContext.h"

namespace Skia::UI {

class TGrBitmapHandle : public TSkBitmapHandle {
public:
    using TSkBitmapHandle::TSkBitmapHandle;

    // The shared context that holds the GPU image in Cache; nil while there is none.
    const Ref<IGrSharedContext>& SharedContext() const { return FSharedContext; }
    void SetSharedContext(Ref<IGrSharedContext> AValue) { FSharedContext = std::move(AValue); }

private:
    Ref<IGrSharedContext> FSharedContext;
};

// Class-level operations of GPU canvases: bitmap handles with GPU images.
class TGrCanvasClass : public TSkCanvasBaseClass {
public:
    TSkBitmapHandle* CreateBitmapHandle(int AWidth, int AHeight, Ui::TPixelFormat APixelFormat) const override;
    // The handle's GPU image, made on the class-level shared context; nil for handles of other
    // canvas classes, formats without a colour type, or before any window canvas exists.
    Ref<ISkImage> CreateCachedImage(TSkBitmapHandle& AHandle) const override;
    void ClearCachedImage(TSkBitmapHandle& AHandle) const override;

    // Drops the handle's GPU image.
    virtual void ClearTextureImage(TGrBitmapHandle& AHandle) const;
    // A GPU image of the handle's pixels on its shared context.
    virtual Ref<ISkImage> CreateTextureImage(TGrBitmapHandle& AHandle) const;

    // The pixels of a handle as Skia sees them (premultiplied, no colour space).
    static TSkImageInfo ImageInfoOf(const TSkBitmapHandle& AHandle);
};

class TGrCanvas : public TSkCanvasBase {
public:
    // The direct context of this window canvas; set and cleared by the back end.
    const Ref<IGrDirectContext>& GrDirectContext() const { return FGrDirectContext; }

    // The process's shared context; nil until the first window canvas was made.
    static Ref<IGrSharedContext> SharedContext();
    // Lets go of the class-level reference (as the unit's finalization does); the context itself
    // goes when bitmap handles let go of theirs too.
    static void ReleaseSharedContext();

protected:
    TGrCanvas(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality);
    TGrCanvas(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality);

    // The back end's shared context, made by the first window canvas of the process.
    virtual Ref<IGrSharedContext> CreateSharedContext() = 0;
    // Makes the class-level shared context when there is none yet; window constructors of the
    // concrete canvases call it last (a constructor cannot reach the back end's override). When
    // it raises, nothing is stored and the next window canvas tries again.
    void EnsureSharedContext();

    void SetGrDirectContext(Ref<IGrDirectContext> AValue) { FGrDirectContext = std::move(AValue); }

private:
    Ref<IGrDirectContext> FGrDirectContext;
};

}  // namespace Skia::UI
