// The EGL functions the OpenGL canvas uses, as one table: libepoxy's functions by default, and
// stand-ins in tests. EGL's handle types are opaque pointers here so that nothing above this
// file sees EGL's (or X11's) headers. Plus the pieces of the canvas's EGL set-up that are plain
// rules: which sample counts a canvas quality asks for, which context versions are tried, and
// how the configs the driver offers are ranked.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/Canvas.h"

namespace Skia::UI::Egl {

using TDisplay = void*;
using TConfig = void*;
using TContext = void*;
using TSurface = void*;
using TInt = int32_t;

struct TEglApi {
    // The display of ANativeDisplay; for nullptr, one on a connection of EGL's own to the X server
    // (else EGL's default display).
    TDisplay (*GetDisplay)(void* ANativeDisplay);
    // The EGL version through AMajor, AMinor.
    bool (*Initialize)(TDisplay ADisplay, TInt* AMajor, TInt* AMinor);
    const char* (*QueryString)(TDisplay ADisplay, TInt AName);
    bool (*BindAPI)(uint32_t AApi);
    uint32_t (*QueryAPI)();
    bool (*ChooseConfig)(TDisplay ADisplay, const TInt* AAttributes, TConfig* AConfigs, TInt ASize, TInt* ACount);
    bool (*GetConfigAttrib)(TDisplay ADisplay, TConfig AConfig, TInt AAttribute, TInt* AValue);
    TContext (*CreateContext)(TDisplay ADisplay, TConfig AConfig, TContext AShare, const TInt* AAttributes);
    bool (*DestroyContext)(TDisplay ADisplay, TContext AContext);
    TSurface (*CreatePbufferSurface)(TDisplay ADisplay, TConfig AConfig, const TInt* AAttributes);
    TSurface (*CreateWindowSurface)(TDisplay ADisplay, TConfig AConfig, uintptr_t ANativeWindow, const TInt* AAttributes);
    bool (*DestroySurface)(TDisplay ADisplay, TSurface ASurface);
    bool (*MakeCurrent)(TDisplay ADisplay, TSurface ADraw, TSurface ARead, TContext AContext);
    TDisplay (*GetCurrentDisplay)();
    TSurface (*GetCurrentSurface)(TInt AReadDraw);
    TContext (*GetCurrentContext)();
    bool (*SwapInterval)(TDisplay ADisplay, TInt AInterval);
    bool (*SwapBuffers)(TDisplay ADisplay, TSurface ASurface);
    // glGetIntegerv on the current context.
    void (*GetIntegerv)(uint32_t AName, TInt* AData);
};

// The process's table. Tests replace entries and put them back.
TEglApi& Api();
// libepoxy's functions.
const TEglApi& DefaultApi();

// The EGL and GL values the canvas passes.
namespace Values {
inline constexpr TInt None = 0x3038;  // EGL_NONE, the attribute lists' terminator
inline constexpr TInt Samples = 0x3031;
inline constexpr TInt SampleBuffers = 0x3032;
inline constexpr TInt StencilSize = 0x3026;
inline constexpr TInt Extensions = 0x3055;
inline constexpr TInt Draw = 0x3059;
inline constexpr TInt Read = 0x305A;
inline constexpr uint32_t OpenGlApi = 0x30A2;
inline constexpr TInt ContextMajorVersion = 0x3098;
inline constexpr TInt ContextMinorVersion = 0x30FB;
inline constexpr TInt ContextProfileMask = 0x30FD;
inline constexpr TInt ContextCoreProfileBit = 0x1;
inline constexpr TInt Width = 0x3057;
inline constexpr TInt Height = 0x3056;
inline constexpr uint32_t FramebufferBinding = 0x8CA6;  // GL_FRAMEBUFFER_BINDING
inline constexpr uint32_t Rgba8 = 0x8058;               // GL_RGBA8
}  // namespace Values

// The base config attributes (pairs, without terminator): window surfaces, OpenGL, 8-bit red,
// green, blue and alpha, 8 stencil bits, no depth.
std::vector<TInt> BaseConfigAttributes();

// The sample counts tried, in order, for a canvas quality: HighPerformance 1; SystemDefault 2,
// then 1; HighQuality 4, 2, then 1.
std::vector<int> SampleRequests(Ui::TCanvasQuality AQuality);

// The OpenGL versions tried, in order, each with the core profile.
inline constexpr std::pair<int, int> ContextVersions[] = {{4, 3}, {4, 2}, {4, 1}, {4, 0}, {3, 3}, {3, 2}};

// A config the driver offered for a multisampled request, with its place in the driver's answer.
struct TRankConfig {
    int Index;
    TConfig Config;
    TInt SampleCount;
};

// The config with the fewest samples, and among equals the driver's earliest; ASampleCount gets
// its samples. nullptr for an empty list.
TConfig BestRanked(std::vector<TRankConfig> AConfigs, TInt& ASampleCount);

// Chooses a config over ABase (pairs) asking for ASamples samples per pixel (1: no
// multisampling). At most 64 multisampled configs are ranked; a config whose sample count cannot
// be read ranks last. nullptr when the driver offers none.
TConfig SelectConfig(TDisplay ADisplay, const std::vector<TInt>& ABase, int ASamples, TInt& ASampleCount);

// Whether the display lists the extension: a word of its extension string equal to AName,
// ignoring case.
bool HasExtension(TDisplay ADisplay, std::string_view AName);

// What is current for OpenGL on the calling thread, and the client API that was bound, to be
// put back after using another context.
struct TCurrent {
    TDisplay Display = nullptr;
    TSurface Draw = nullptr;
    TSurface Read = nullptr;
    TContext Context = nullptr;
    uint32_t Api = 0;
};

// Records what is current and binds the OpenGL API.
TCurrent SaveCurrent();
// Makes ACurrent current again (with nothing saved, releases ADisplay's context from the
// thread) and binds the API bound before.
void RestoreCurrent(const TCurrent& ACurrent, TDisplay ADisplay);

}  // namespace Skia::UI::Egl
