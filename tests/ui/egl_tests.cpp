// An OpenGL window of the SDL back end takes an EGL window surface on its native window, the
// way the GL canvas uses it: clear it through OpenGL, swap, and find the colour on the server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/Sdl.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace Ui;

// SDL's session bus keeps a buffer, and Mesa's drivers keep theirs, for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:_dri.so\nleak:libGLX_mesa.so\nleak:libEGL_mesa.so\nleak:libglapi.so\n";
}

namespace {

TEST(SdlEgl, OpenGLWindowTakesAnEglSurface) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    const TPlatformBackend& sdl = Sdl::Backend();
    std::string error;
    ASSERT_TRUE(sdl.Initialize(error)) << error;
    TWindowParams params;
    params.Caption = "EGL";
    params.ClientWidth = 64;
    params.ClientHeight = 32;
    params.OpenGL = true;
    TPlatformWindow* window = sdl.CreateWindow(params, error);
    ASSERT_NE(window, nullptr) << error;
    sdl.SetVisible(window, true);
    const TNativeWindow native = sdl.GetNativeWindow(window);
    ASSERT_EQ(native.Kind, TNativeWindow::TKind::X11);

    EGLDisplay display = eglGetDisplay(static_cast<EGLNativeDisplayType>(native.Display));
    ASSERT_NE(display, EGL_NO_DISPLAY);
    ASSERT_TRUE(eglInitialize(display, nullptr, nullptr));
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    ASSERT_TRUE(eglChooseConfig(display, attributes, &config, 1, &count));
    ASSERT_EQ(count, 1);
    ASSERT_TRUE(eglBindAPI(EGL_OPENGL_API));
    const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 2,
                              EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, version);
    ASSERT_NE(context, EGL_NO_CONTEXT);
    EGLSurface surface = eglCreateWindowSurface(display, config, static_cast<EGLNativeWindowType>(native.Window), nullptr);
    ASSERT_NE(surface, EGL_NO_SURFACE) << std::hex << eglGetError();
    ASSERT_TRUE(eglMakeCurrent(display, surface, surface, context));
    eglSwapInterval(display, 0);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(eglSwapBuffers(display, surface));

    auto* x = static_cast<Display*>(native.Display);
    XSync(x, False);
    XImage* image = XGetImage(x, static_cast<Window>(native.Window), 10, 10, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0x0000FFu);
    XDestroyImage(image);

    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(display, surface);
    eglDestroyContext(display, context);
    // No eglTerminate: unloading the driver would hide its allocations from the leak check.
    sdl.DestroyWindow(window);
    sdl.Finalize();
}

}  // namespace
