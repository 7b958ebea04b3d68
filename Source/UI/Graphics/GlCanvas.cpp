#include "UI/Graphics/GlCanvas.h"

#include <algorithm>

#include "UI/Graphics/CanvasExceptions.h"
#include "UI/Graphics/RasterCanvas.h"
#include "ui/Window.h"

namespace Skia::UI {

using namespace Egl::Values;

namespace {

// GPU images of bitmaps are made and dropped on the shared context, which every thread takes
// through its lock.
class TGlCanvasClass final : public Ui::TCanvasClassFor<TGlCanvas, TGrCanvasClass> {
public:
    std::string Name() const override { return "TGlCanvas"; }
    bool NeedsOpenGLWindow() const override { return true; }

    void ClearTextureImage(TGrBitmapHandle& AHandle) const override {
        const Ref<IGrSharedContext> shared = AHandle.SharedContext();
        if (!shared) return TGrCanvasClass::ClearTextureImage(AHandle);
        shared->BeginContext();
        try {
            TGrCanvasClass::ClearTextureImage(AHandle);
        } catch (...) {
            shared->EndContext();
            throw;
        }
        shared->EndContext();
    }

    Ref<ISkImage> CreateTextureImage(TGrBitmapHandle& AHandle) const override {
        const Ref<IGrSharedContext> shared = AHandle.SharedContext();
        if (!shared) return nullptr;
        shared->BeginContext();
        Ref<ISkImage> image;
        try {
            // The outermost EndContext waits for the upload, so every window can use the image.
            image = TSkImage::MakeCrossContext(shared->GrDirectContext(), ImageInfoOf(AHandle), AHandle.Pixels(),
                                               AHandle.RowBytes(), false, false);
        } catch (...) {
            shared->EndContext();
            throw;
        }
        shared->EndContext();
        return image;
    }
};

}  // namespace

// ---- the shared context ----

TGlSharedContext::TGlSharedContext(Ui::TCanvasQuality AQuality, void* ANativeDisplay) {
    CreateBackendContext(AQuality, ANativeDisplay);
    // The shared context is current now; whatever happens, the thread gets its own back.
    try {
        FGrGlInterface = TGrGlInterface::MakeNative();
        FGrDirectContext = TGrDirectContext::MakeGl(FGrGlInterface);
        if (!FGrDirectContext) throw EGrCanvas("Could not create shared direct context.");
    } catch (...) {
        FGrDirectContext = nullptr;
        FGrGlInterface = nullptr;
        RestoreCurrentContext();
        DestroyBackendContext();
        throw;
    }
    RestoreCurrentContext();
}

TGlSharedContext::~TGlSharedContext() = default;

bool TGlSharedContext::MakeCurrent() { return Egl::Api().MakeCurrent(FDisplay, FSurface, FSurface, FContext); }

void TGlSharedContext::MakeCurrentOrRaise() {
    if (!MakeCurrent()) throw EGlError("Could not make shared context as current.");
}

void TGlSharedContext::CreateBackendContext(Ui::TCanvasQuality AQuality, void* ANativeDisplay) {
    const Egl::TEglApi& egl = Egl::Api();
    FDisplay = egl.GetDisplay(ANativeDisplay);
    if (!FDisplay) throw EGrCanvas("Could not get shared display.");
    Egl::TInt major = 0, minor = 0;
    if (!egl.Initialize(FDisplay, &major, &minor)) {
        FDisplay = nullptr;
        throw EGrCanvas("Could not initialize shared display.");
    }
    SaveCurrentContext();
    try {
        if (!egl.BindAPI(OpenGlApi)) throw EGlError("\"Unsupported required client API: EGL_OPENGL_API\".");

        // The config: multisampled as the quality asks, else single-sampled.
        const std::vector<Egl::TInt> base = Egl::BaseConfigAttributes();
        Egl::TInt sampleCount = 1;
        for (const int samples : Egl::SampleRequests(AQuality))
            if ((FConfig = Egl::SelectConfig(FDisplay, base, samples, sampleCount))) break;
        if (!FConfig) throw EGlError("Could not choose pixel format.");
        FSampleCount = sampleCount;
        Egl::TInt stencil = 0;
        if (!egl.GetConfigAttrib(FDisplay, FConfig, StencilSize, &stencil))
            throw EGrCanvas("Could not describe pixel format.");
        FStencilBits = stencil;

        // Surfaceless where the driver allows it, else a 1 x 1 pbuffer stands for a window.
        if (!Egl::HasExtension(FDisplay, "EGL_KHR_surfaceless_context")) {
            const Egl::TInt size[] = {Width, 1, Height, 1, None};
            FSurface = egl.CreatePbufferSurface(FDisplay, FConfig, size);
            if (!FSurface) throw EGrCanvas("Could not create shared surface.");
        }

        // The first core-profile version the driver accepts; without versioned contexts, the
        // driver's own choice.
        if ((major > 1 || (major == 1 && minor >= 5)) || Egl::HasExtension(FDisplay, "EGL_KHR_create_context")) {
            FContextAttributes = {ContextMajorVersion, 0, ContextMinorVersion, 0, ContextProfileMask,
                                  ContextCoreProfileBit, None};
            for (const auto& [majorVersion, minorVersion] : Egl::ContextVersions) {
                FContextAttributes[1] = majorVersion;
                FContextAttributes[3] = minorVersion;
                if ((FContext = egl.CreateContext(FDisplay, FConfig, nullptr, FContextAttributes.data()))) break;
            }
        }
        if (!FContext) {
            FContextAttributes.clear();
            const Egl::TInt none[] = {None};
            FContext = egl.CreateContext(FDisplay, FConfig, nullptr, none);
            if (!FContext) throw EGlError("Could not create shared context.");
        }
        MakeCurrentOrRaise();
    } catch (...) {
        RestoreCurrentContext();
        DestroyBackendContext();
        throw;
    }
}

void TGlSharedContext::DestroyBackendContext() {
    const Egl::TEglApi& egl = Egl::Api();
    if (FContext) egl.DestroyContext(FDisplay, FContext);
    if (FSurface) egl.DestroySurface(FDisplay, FSurface);
    FContext = nullptr;
    FSurface = nullptr;
    // The display stays initialized: windows and other libraries of the process use it too.
}

void TGlSharedContext::DoBeginContext() {
    TGrSharedContext::DoBeginContext();
    if (++FBeginContextCount == 1) SaveCurrentContext();
    if (!MakeCurrent()) {
        if (--FBeginContextCount == 0) RestoreCurrentContext();
        TGrSharedContext::DoEndContext();
        throw EGlError("Could not make shared context as current.");
    }
}

void TGlSharedContext::DoEndContext() {
    try {
        if (--FBeginContextCount == 0) {
            try {
                // Uploads are complete before any window uses them.
                if (FGrDirectContext) FGrDirectContext->FlushAndSubmit(true);
            } catch (...) {
                RestoreCurrentContext();
                throw;
            }
            RestoreCurrentContext();
        }
    } catch (...) {
        TGrSharedContext::DoEndContext();
        throw;
    }
    TGrSharedContext::DoEndContext();
}

void TGlSharedContext::DestroyContext() {
    if (FContext) {
        SaveCurrentContext();
        try {
            MakeCurrentOrRaise();
            FGrGlInterface = nullptr;
            TGrSharedContext::DestroyContext();
        } catch (...) {
            RestoreCurrentContext();
            DestroyBackendContext();
            throw;
        }
        RestoreCurrentContext();
    }
    DestroyBackendContext();
}

// ---- window canvases ----

const TGrCanvasClass& TGlCanvas::Class() {
    static const TGlCanvasClass instance;
    return instance;
}

TGlCanvas::TGlCanvas(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality)
    : TGrCanvas(parent, width, height, quality) {
    // EGL surfaces are made on X11 windows only. A window elsewhere (no X server, so the windowing
    // library fell back to an invisible window) could never show a frame: say so now.
    if (parent && parent->NativeWindow().Kind != Ui::TNativeWindow::TKind::X11)
        throw EGrCanvas("There is no X11 display to show the window on (is DISPLAY set to a running X server?).");
    EnsureSharedContext();
    FShared = SharedContext();
    FSharedGl = dynamic_cast<TGlSharedContext*>(FShared.get());
    if (!FSharedGl) throw EGrCanvas("Could not create shared context.");
}

TGlCanvas::TGlCanvas(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality) : TGrCanvas(bitmap, quality) {}

TGlCanvas::~TGlCanvas() {
    if (!Parent()) return;
    // Teardown must not raise: a context that cannot be made current is still deleted, and its
    // direct context abandoned without touching the GPU.
    try {
        FinalizeContext();
    } catch (...) {
        FBackBufferSurface = nullptr;
        if (GrDirectContext()) GrDirectContext()->AbandonContext();
        SetGrDirectContext(nullptr);
    }
    if (FContext) Egl::Api().DestroyContext(Shared()->Display(), FContext);
    if (FWindowSurface) Egl::Api().DestroySurface(Shared()->Display(), FWindowSurface);
}

Ref<IGrSharedContext> TGlCanvas::CreateSharedContext() {
    // The shared context keeps an X connection of its own: it lives until the program ends,
    // after the windowing library has closed its connection.
    return Ref<IGrSharedContext>(new TGlSharedContext(Quality(), nullptr));
}

bool TGlCanvas::MakeCurrent() {
    return FContext && Egl::Api().MakeCurrent(Shared()->Display(), FWindowSurface, FWindowSurface, FContext);
}

void TGlCanvas::MakeCurrentOrRaise() {
    if (!MakeCurrent()) throw EGlError("Could not make context as current.");
}

void TGlCanvas::RestoreCurrentContext() { Egl::RestoreCurrent(FOld, Shared()->Display()); }

bool TGlCanvas::InitializeContext() {
    const Egl::TEglApi& egl = Egl::Api();
    TGlSharedContext& shared = *Shared();
    if (!FWindowSurface) {
        const Ui::TNativeWindow native = Parent()->NativeWindow();
        if (native.Kind != Ui::TNativeWindow::TKind::X11 || !native.Window) return false;
        const Egl::TInt none[] = {None};
        FWindowSurface = egl.CreateWindowSurface(shared.Display(), shared.Config(), native.Window, none);
        if (!FWindowSurface) return false;
    }
    // Shares objects with the shared context, at the version that made it.
    const Egl::TInt none[] = {None};
    const Egl::TInt* attributes = shared.ContextAttributes().empty() ? none : shared.ContextAttributes().data();
    FContext = egl.CreateContext(shared.Display(), shared.Config(), shared.Context(), attributes);
    if (!FContext) return false;
    if (!MakeCurrent()) {
        egl.DestroyContext(shared.Display(), FContext);
        FContext = nullptr;
        return false;
    }
    // Presenting never waits for the vertical retrace.
    egl.SwapInterval(shared.Display(), 0);
    SetGrDirectContext(TGrDirectContext::MakeGl(shared.GrGlInterface()));
    if (GrDirectContext()) return true;
    egl.MakeCurrent(shared.Display(), nullptr, nullptr, nullptr);
    egl.DestroyContext(shared.Display(), FContext);
    FContext = nullptr;
    return false;
}

Ref<ISkSurface> TGlCanvas::GetSurfaceFromWindow(Ui::THandle) {
    SaveCurrentContext();
    bool ready;
    if (FBackBufferSurface)
        ready = MakeCurrent();
    else
        ready = GrDirectContext() ? MakeCurrent() : InitializeContext();
    if (ready && !FBackBufferSurface) {
        try {
            Egl::TInt framebuffer = 0;
            Egl::Api().GetIntegerv(FramebufferBinding, &framebuffer);
            const TGrGlFramebufferInfo info{static_cast<uint32_t>(framebuffer), Rgba8};
            const int sampleCount = std::min(Shared()->SampleCount(),
                                             GrDirectContext()->GetMaxSurfaceSampleCountForColorType(TSkColorType::RGBA8888));
            const Ui::TSize size = TSkRasterCanvas::BackBufferSize(Width(), Height(), Scale());
            const Ref<IGrBackendRenderTarget> target = TGrBackendRenderTarget::CreateGl(
                size.Width, size.Height, sampleCount, Shared()->StencilBits(), info);
            FBackBufferSurface =
                TSkSurface::MakeFromRenderTarget(GrDirectContext(), target, TGrSurfaceOrigin::BottomLeft, TSkColorType::RGBA8888);
        } catch (...) {
            RestoreCurrentContext();
            throw;
        }
    }
    // The window's context stays current until the frame is swapped.
    if (!ready || !FBackBufferSurface) {
        RestoreCurrentContext();
        return nullptr;
    }
    return FBackBufferSurface;
}

void TGlCanvas::SwapBuffers() {
    // The surface was flushed; the direct context sends its work to the window's framebuffer.
    // The caller's context comes back even when presenting fails.
    bool swapped = false;
    try {
        if (GrDirectContext()) GrDirectContext()->FlushAndSubmit(false);
        swapped = Egl::Api().SwapBuffers(Shared()->Display(), FWindowSurface);
    } catch (...) {
        RestoreCurrentContext();
        throw;
    }
    RestoreCurrentContext();
    if (!swapped) throw EGrCanvas("Could not swap buffers.");
}

void TGlCanvas::Resized() {
    TGrCanvas::Resized();
    if (!FBackBufferSurface) return;
    SaveCurrentContext();
    try {
        MakeCurrentOrRaise();
        FBackBufferSurface = nullptr;
    } catch (...) {
        RestoreCurrentContext();
        throw;
    }
    RestoreCurrentContext();
}

void TGlCanvas::BeforeRestore() {
    if (Parent()) MakeCurrent();
    TGrCanvas::BeforeRestore();
}

void TGlCanvas::DoDrawBitmap(Ui::TBitmap& bitmap, const Ui::TRectF& srcRect, const Ui::TRectF& dstRect, float opacity,
                             bool highSpeed) {
    if (Parent()) MakeCurrent();
    TGrCanvas::DoDrawBitmap(bitmap, srcRect, dstRect, opacity, highSpeed);
}

void TGlCanvas::FinalizeContext() {
    if (!GrDirectContext()) return;
    SaveCurrentContext();
    try {
        MakeCurrentOrRaise();
        FBackBufferSurface = nullptr;
        GrDirectContext()->AbandonContext();
        SetGrDirectContext(nullptr);
        Egl::Api().DestroyContext(Shared()->Display(), FContext);
        FContext = nullptr;
    } catch (...) {
        RestoreCurrentContext();
        throw;
    }
    RestoreCurrentContext();
}

}  // namespace Skia::UI
