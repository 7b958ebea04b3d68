#include "UI/Graphics/Egl.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace Skia::UI::Egl {

static_assert(sizeof(EGLint) == sizeof(TInt));
static_assert(EGL_NONE == Values::None && EGL_SAMPLES == Values::Samples && EGL_SAMPLE_BUFFERS == Values::SampleBuffers &&
              EGL_STENCIL_SIZE == Values::StencilSize && EGL_EXTENSIONS == Values::Extensions &&
              EGL_DRAW == Values::Draw && EGL_READ == Values::Read && EGL_OPENGL_API == Values::OpenGlApi &&
              EGL_CONTEXT_MAJOR_VERSION == Values::ContextMajorVersion &&
              EGL_CONTEXT_MINOR_VERSION == Values::ContextMinorVersion &&
              EGL_CONTEXT_OPENGL_PROFILE_MASK == Values::ContextProfileMask &&
              EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT == Values::ContextCoreProfileBit && EGL_WIDTH == Values::Width &&
              EGL_HEIGHT == Values::Height && GL_FRAMEBUFFER_BINDING == Values::FramebufferBinding &&
              GL_RGBA8 == Values::Rgba8);

const TEglApi& DefaultApi() {
    static const TEglApi api = {
        [](void* d) -> TDisplay {
            if (d) return eglGetDisplay(static_cast<EGLNativeDisplayType>(d));
            // A connection of EGL's own to the X server, which outlives the windowing library's.
            auto getPlatformDisplay =
                reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
            EGLDisplay display = getPlatformDisplay
                                     ? getPlatformDisplay(EGL_PLATFORM_X11_KHR, EGL_DEFAULT_DISPLAY, nullptr)
                                     : EGL_NO_DISPLAY;
            return display != EGL_NO_DISPLAY ? display : eglGetDisplay(EGL_DEFAULT_DISPLAY);
        },
        [](TDisplay d, TInt* major, TInt* minor) -> bool { return eglInitialize(d, major, minor) == EGL_TRUE; },
        [](TDisplay d, TInt name) -> const char* { return eglQueryString(d, name); },
        [](uint32_t a) -> bool { return eglBindAPI(a) == EGL_TRUE; },
        []() -> uint32_t { return eglQueryAPI(); },
        [](TDisplay d, const TInt* attributes, TConfig* configs, TInt size, TInt* count) -> bool {
            return eglChooseConfig(d, attributes, configs, size, count) == EGL_TRUE;
        },
        [](TDisplay d, TConfig c, TInt attribute, TInt* value) -> bool {
            return eglGetConfigAttrib(d, c, attribute, value) == EGL_TRUE;
        },
        [](TDisplay d, TConfig c, TContext share, const TInt* attributes) -> TContext {
            return eglCreateContext(d, c, share, attributes);
        },
        [](TDisplay d, TContext c) -> bool { return eglDestroyContext(d, c) == EGL_TRUE; },
        [](TDisplay d, TConfig c, const TInt* attributes) -> TSurface { return eglCreatePbufferSurface(d, c, attributes); },
        [](TDisplay d, TConfig c, uintptr_t window, const TInt* attributes) -> TSurface {
            return eglCreateWindowSurface(d, c, static_cast<EGLNativeWindowType>(window), attributes);
        },
        [](TDisplay d, TSurface s) -> bool { return eglDestroySurface(d, s) == EGL_TRUE; },
        [](TDisplay d, TSurface draw, TSurface read, TContext c) -> bool {
            return eglMakeCurrent(d, draw, read, c) == EGL_TRUE;
        },
        []() -> TDisplay { return eglGetCurrentDisplay(); },
        [](TInt which) -> TSurface { return eglGetCurrentSurface(which); },
        []() -> TContext { return eglGetCurrentContext(); },
        [](TDisplay d, TInt interval) -> bool { return eglSwapInterval(d, interval) == EGL_TRUE; },
        [](TDisplay d, TSurface s) -> bool { return eglSwapBuffers(d, s) == EGL_TRUE; },
        [](uint32_t name, TInt* data) { glGetIntegerv(name, data); },
    };
    return api;
}

TEglApi& Api() {
    static TEglApi api = DefaultApi();
    return api;
}

std::vector<TInt> BaseConfigAttributes() {
    return {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_RED_SIZE, 8,
            EGL_GREEN_SIZE,   8,              EGL_BLUE_SIZE,       8,              EGL_ALPHA_SIZE, 8,
            EGL_STENCIL_SIZE, 8};
}

std::vector<int> SampleRequests(Ui::TCanvasQuality AQuality) {
    switch (AQuality) {
        case Ui::TCanvasQuality::HighPerformance: return {1};
        case Ui::TCanvasQuality::HighQuality: return {4, 2, 1};
        case Ui::TCanvasQuality::SystemDefault: break;
    }
    return {2, 1};
}

TConfig BestRanked(std::vector<TRankConfig> AConfigs, TInt& ASampleCount) {
    if (AConfigs.empty()) return nullptr;
    std::sort(AConfigs.begin(), AConfigs.end(), [](const TRankConfig& a, const TRankConfig& b) {
        return a.SampleCount != b.SampleCount ? a.SampleCount < b.SampleCount : a.Index < b.Index;
    });
    ASampleCount = AConfigs.front().SampleCount;
    return AConfigs.front().Config;
}

TConfig SelectConfig(TDisplay ADisplay, const std::vector<TInt>& ABase, int ASamples, TInt& ASampleCount) {
    const TEglApi& egl = Api();
    std::vector<TInt> attributes = ABase;
    if (ASamples <= 1) {
        attributes.push_back(EGL_NONE);
        TConfig config = nullptr;
        TInt count = 0;
        if (!egl.ChooseConfig(ADisplay, attributes.data(), &config, 1, &count) || count < 1 || !config) return nullptr;
        ASampleCount = 1;
        return config;
    }
    attributes.insert(attributes.end(), {EGL_SAMPLE_BUFFERS, 1, EGL_SAMPLES, ASamples, EGL_NONE});
    constexpr TInt MaxConfigs = 64;
    TConfig configs[MaxConfigs] = {};
    TInt count = 0;
    if (!egl.ChooseConfig(ADisplay, attributes.data(), configs, MaxConfigs, &count) || count < 1) return nullptr;
    std::vector<TRankConfig> ranked;
    for (int i = 0; i < std::min(count, MaxConfigs); ++i) {
        TInt samples = 0;
        if (!egl.GetConfigAttrib(ADisplay, configs[i], EGL_SAMPLES, &samples)) samples = INT32_MAX;
        ranked.push_back({i, configs[i], samples});
    }
    return BestRanked(std::move(ranked), ASampleCount);
}

bool HasExtension(TDisplay ADisplay, std::string_view AName) {
    const char* extensions = Api().QueryString(ADisplay, EGL_EXTENSIONS);
    if (!extensions || AName.empty()) return false;
    std::string_view rest(extensions);
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view word = rest.substr(0, end);
        if (word.size() == AName.size() &&
            std::equal(word.begin(), word.end(), AName.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
        rest.remove_prefix(end);
    }
    return false;
}

TCurrent SaveCurrent() {
    // Current contexts are kept per client API; only OpenGL's is taken over, so only OpenGL's is
    // recorded, and the API bound before comes back with it.
    const TEglApi& egl = Api();
    TCurrent current;
    current.Api = egl.QueryAPI();
    egl.BindAPI(EGL_OPENGL_API);
    current.Display = egl.GetCurrentDisplay();
    current.Draw = egl.GetCurrentSurface(EGL_DRAW);
    current.Read = egl.GetCurrentSurface(EGL_READ);
    current.Context = egl.GetCurrentContext();
    return current;
}

void RestoreCurrent(const TCurrent& ACurrent, TDisplay ADisplay) {
    const TEglApi& egl = Api();
    egl.BindAPI(EGL_OPENGL_API);
    if (ACurrent.Display)
        egl.MakeCurrent(ACurrent.Display, ACurrent.Draw, ACurrent.Read, ACurrent.Context);
    else if (ADisplay)
        egl.MakeCurrent(ADisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (ACurrent.Api && ACurrent.Api != EGL_OPENGL_API) egl.BindAPI(ACurrent.Api);
}

}  // namespace Skia::UI::Egl
