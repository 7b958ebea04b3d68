// The OpenGL back end of the Skia framework canvas, on EGL.
//
// TGlSharedContext makes, once per process, the hidden shared OpenGL context (surfaceless where
// the driver allows it, else on a 1 x 1 pbuffer): it chooses the config every window will use
// (multisampled as the canvas quality asks), creates a core-profile context of the first version
// in a fixed list that the driver accepts, and builds the GL interface and the shared direct
// context on it. TGlCanvas gives each window its own context, sharing objects with the shared one,
// its own direct context, and a Skia surface over the window's default framebuffer; each frame
// it presents with eglSwapBuffers without waiting for the vertical retrace.
//
// Every step that makes a context current first saves what the calling thread had and puts it
// back afterwards. Window canvases work on the painting thread; the shared context may be taken
// by any thread that uploads a bitmap, inside BeginContext/EndContext.
#pragma once

#include <vector>

#include "Skia/GrGlInterface.h"
#include "Skia/Surface.h"
#include "UI/Graphics/Egl.h"
#include "UI/Graphics/GpuCanvas.h"

namespace Skia::UI {

class TGlSharedContext : public TGrSharedContext {
public:
    // Builds everything on the display of ANativeDisplay (an X11 Display*, or nullptr for a
    // connection of EGL's own), leaving the thread's current context as it found it; raises
    // EGlError or EGrCanvas when it cannot.
    TGlSharedContext(Ui::TCanvasQuality AQuality, void* ANativeDisplay);

    const Ref<IGrGlInterface>& GrGlInterface() const { return FGrGlInterface; }
    // Samples per pixel of the chosen config (1 without multisampling).
    int SampleCount() const { return FSampleCount; }
    int StencilBits() const { return FStencilBits; }
    // The attributes that created the shared context; empty when no version was asked for.
    const std::vector<Egl::TInt>& ContextAttributes() const { return FContextAttributes; }
    Egl::TDisplay Display() const { return FDisplay; }
    Egl::TConfig Config() const { return FConfig; }
    Egl::TContext Context() const { return FContext; }
    // The pbuffer the context is made current on; nullptr when it runs surfaceless.
    Egl::TSurface Surface() const { return FSurface; }

protected:
    ~TGlSharedContext() override;

    void DoBeginContext() override;
    void DestroyContext() override;
    void DoEndContext() override;

private:
    void CreateBackendContext(Ui::TCanvasQuality AQuality, void* ANativeDisplay);
    void DestroyBackendContext();
    bool MakeCurrent();
    void MakeCurrentOrRaise();
    void SaveCurrentContext() { FOld = Egl::SaveCurrent(); }
    void RestoreCurrentContext() { Egl::RestoreCurrent(FOld, FDisplay); }

    int FBeginContextCount = 0;
    Ref<IGrGlInterface> FGrGlInterface;
    int FSampleCount = 1;
    int FStencilBits = 0;
    std::vector<Egl::TInt> FContextAttributes;
    Egl::TDisplay FDisplay = nullptr;
    Egl::TConfig FConfig = nullptr;
    Egl::TContext FContext = nullptr;
    Egl::TSurface FSurface = nullptr;
    Egl::TCurrent FOld;
};

class TGlCanvas : public TGrCanvas {
public:
    // A window canvas makes the process's shared context when there is none yet (and raises
    // when that cannot be made).
    TGlCanvas(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality);
    TGlCanvas(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality);
    ~TGlCanvas() override;

    // The canvas class registered with the framework; its windows take an OpenGL surface.
    static const TGrCanvasClass& Class();
    const Ui::TCanvasClass& CanvasClass() const override { return Class(); }

protected:
    Ref<IGrSharedContext> CreateSharedContext() override;
    Ref<ISkSurface> GetSurfaceFromWindow(Ui::THandle AContextHandle) override;
    void SwapBuffers() override;
    void Resized() override;
    void BeforeRestore() override;
    void DoDrawBitmap(Ui::TBitmap& bitmap, const Ui::TRectF& srcRect, const Ui::TRectF& dstRect, float opacity,
                      bool highSpeed) override;

private:
    TGlSharedContext* Shared() const { return FSharedGl; }
    bool InitializeContext();
    void FinalizeContext();
    bool MakeCurrent();
    void MakeCurrentOrRaise();
    void SaveCurrentContext() { FOld = Egl::SaveCurrent(); }
    void RestoreCurrentContext();

    Ref<ISkSurface> FBackBufferSurface;  // over the window's framebuffer; nil until a scene, after a resize
    Ref<IGrSharedContext> FShared;       // the shared context this window's context shares with
    TGlSharedContext* FSharedGl = nullptr;  // the same object
    Egl::TSurface FWindowSurface = nullptr;
    Egl::TContext FContext = nullptr;
    Egl::TCurrent FOld;
};

}  // namespace Skia::UI
