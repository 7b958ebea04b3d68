// The GPU back end on a real OpenGL context (Mesa, surfaceless EGL: no display needed): GL
// function tables, direct contexts, GPU surfaces presented on a framebuffer, and texture images.
// Skipped where no EGL OpenGL context can be had.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include "canvas/Surface.h"
#include "capi/Handles.h"
#include "core/Image.h"
#include "gpu/DirectContext.h"
#include "plix/plix.h"

namespace {

using namespace plix;

// A surfaceless OpenGL 3.2+ core context, current on this thread while the object lives.
class GlContext {
public:
    GlContext() {
        auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return;
        fDisplay = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (fDisplay == EGL_NO_DISPLAY || !eglInitialize(fDisplay, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API)) return;
        const EGLint version[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 2,
                                  EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
        fContext = eglCreateContext(fDisplay, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, version);
        if (fContext != EGL_NO_CONTEXT) eglMakeCurrent(fDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, fContext);
    }
    ~GlContext() {
        if (fContext == EGL_NO_CONTEXT) return;
        eglMakeCurrent(fDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(fDisplay, fContext);
    }
    bool ok() const { return fContext != EGL_NO_CONTEXT && eglGetCurrentContext() == fContext; }
    void release() { eglMakeCurrent(fDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); }
    void makeCurrent() { eglMakeCurrent(fDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, fContext); }

private:
    EGLDisplay fDisplay = EGL_NO_DISPLAY;
    EGLContext fContext = EGL_NO_CONTEXT;
};

// A framebuffer with an RGBA8 colour buffer to present into.
struct Framebuffer {
    GLuint fbo = 0, color = 0;
    int width, height;
    Framebuffer(int w, int h) : width(w), height(h) {
        glGenFramebuffers(1, &fbo);
        glGenRenderbuffers(1, &color);
        glBindRenderbuffer(GL_RENDERBUFFER, color);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~Framebuffer() {
        glDeleteFramebuffers(1, &fbo);
        glDeleteRenderbuffers(1, &color);
    }
    // Rows bottom-up, as GL reads them; RGBA bytes.
    std::vector<uint32_t> read() const {
        std::vector<uint32_t> out(size_t(width) * size_t(height));
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
};

class GpuBackEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << "no OpenGL context through EGL";
        glInterface = plixgpu_gl_interface_make_native();
        ASSERT_NE(glInterface, 0u);
        context = plixgpu_directcontext_make_gl(glInterface, nullptr);
        ASSERT_NE(context, 0u);
    }
    void TearDown() override {
        if (context) plix_refcnt_unref(context);
        if (glInterface) plix_refcnt_unref(glInterface);
    }

    GlContext gl;
    plix_handle glInterface = 0;
    plix_handle context = 0;
};

// A value per pixel that says where it is: RGBA bytes (x, y, 0x5A, 0xFF).
uint32_t Tag(int x, int y) { return 0xFF5A0000u | (uint32_t(y) << 8) | uint32_t(x); }

TEST_F(GpuBackEnd, TheNativeInterfaceNeedsACurrentContext) {
    EXPECT_TRUE(plixgpu_gl_interface_validate(glInterface));
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    ASSERT_GT(count, 0);
    const char* first = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, 0));
    EXPECT_TRUE(plixgpu_gl_interface_has_extension(glInterface, first));
    EXPECT_FALSE(plixgpu_gl_interface_has_extension(glInterface, "GL_NOT_an_extension"));
    EXPECT_FALSE(plixgpu_gl_interface_has_extension(glInterface, nullptr));

    gl.release();
    EXPECT_EQ(plixgpu_gl_interface_make_native(), 0u);
    gl.makeCurrent();
}

TEST_F(GpuBackEnd, AnAssembledInterfaceIsOnlyAsCompleteAsItsLookup) {
    EXPECT_EQ(plixgpu_gl_interface_make_assembled_gl(nullptr, nullptr), 0u);
    // A lookup that finds nothing: an interface that does not validate, and no context on it.
    const plix_handle empty = plixgpu_gl_interface_make_assembled(nullptr, [](void*, const char*) -> void* { return nullptr; });
    ASSERT_NE(empty, 0u);
    EXPECT_FALSE(plixgpu_gl_interface_validate(empty));
    EXPECT_EQ(plixgpu_directcontext_make_gl(empty, nullptr), 0u);
    plix_refcnt_unref(empty);
    // EGL's lookup through the caller's context pointer.
    int calls = 0;
    const plix_handle full = plixgpu_gl_interface_make_assembled_gl(&calls, [](void* context, const char* name) {
        ++*static_cast<int*>(context);
        return reinterpret_cast<void*>(eglGetProcAddress(name));
    });
    ASSERT_NE(full, 0u);
    EXPECT_TRUE(plixgpu_gl_interface_validate(full));
    EXPECT_GT(calls, 20);
    plix_refcnt_unref(full);
}

TEST_F(GpuBackEnd, DirectContextQueries) {
    EXPECT_EQ(plixgpu_directcontext_make_gl(0, nullptr), 0u);
    EXPECT_EQ(plixgpu_directcontext_get_backend_api(context), 0);
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    EXPECT_EQ(plixgpu_directcontext_get_max_surface_sample_count_for_color_type(context, int32_t(ColorType::RGBA8888)),
              std::max(maxSamples, 1));
    EXPECT_EQ(plixgpu_directcontext_get_max_surface_sample_count_for_color_type(context, int32_t(ColorType::Alpha8)), 0);
    EXPECT_EQ(plixgpu_directcontext_get_max_surface_sample_count_for_color_type(context, 999), 0);
    plixgpu_directcontext_set_resource_cache_limit(context, size_t(5) << 30);
    EXPECT_EQ(plixgpu_directcontext_get_resource_cache_limit(context), size_t(5) << 30);
    EXPECT_FALSE(plixgpu_directcontext_is_abandoned(context));
    plixgpu_directcontext_abandon_context(context);
    EXPECT_TRUE(plixgpu_directcontext_is_abandoned(context));
    EXPECT_FALSE(plixgpu_directcontext_submit(context, true));
}

TEST_F(GpuBackEnd, RenderTargetsDescribeTheirFramebuffer) {
    const plix_gl_framebuffer_info info{7, GL_RGBA8};
    struct Case {
        int32_t w, h, samples, stencil;
        const plix_gl_framebuffer_info* info;
        bool valid;
    };
    for (const Case& k : {Case{640, 347, 4, 8, &info, true}, Case{0, 10, 1, 0, &info, false},
                          Case{10, -1, 1, 0, &info, false}, Case{10, 10, -1, 0, &info, false},
                          Case{10, 10, 1, 8, nullptr, false}}) {
        const plix_handle target = plixgpu_backendrendertarget_create_gl(k.w, k.h, k.samples, k.stencil, k.info);
        ASSERT_NE(target, 0u);
        EXPECT_EQ(plixgpu_backendrendertarget_is_valid(target), k.valid) << k.w << "x" << k.h;
        if (k.valid) {
            EXPECT_EQ(plixgpu_backendrendertarget_get_width(target), k.w);
            EXPECT_EQ(plixgpu_backendrendertarget_get_height(target), k.h);
            EXPECT_EQ(plixgpu_backendrendertarget_get_sample_count(target), k.samples);
            EXPECT_EQ(plixgpu_backendrendertarget_get_stencil_bits(target), k.stencil);
            EXPECT_EQ(plixgpu_backendrendertarget_get_backend_api(target), 0);
        }
        // An invalid target gives no surface.
        const plix_handle surface =
            plix_surface_make_from_render_target(context, target, 1, int32_t(ColorType::RGBA8888), 0, nullptr);
        EXPECT_EQ(surface != 0, k.valid);
        if (surface) plix_refcnt_unref(surface);
        plixgpu_backendrendertarget_destroy(target);
    }
}

TEST_F(GpuBackEnd, ASurfaceIsPresentedOnItsFramebufferWhenItsContextFlushes) {
    struct Case {
        int32_t origin;  // 0 top left, 1 bottom left
        ColorType colorType;
    };
    for (const Case& k : {Case{1, ColorType::RGBA8888}, Case{0, ColorType::RGBA8888}, Case{1, ColorType::BGRA8888}}) {
        SCOPED_TRACE(k.origin);
        const Framebuffer fb(7, 5);
        const plix_gl_framebuffer_info info{fb.fbo, GL_RGBA8};
        const plix_handle target = plixgpu_backendrendertarget_create_gl(7, 5, 1, 0, &info);
        const plix_handle surface = plix_surface_make_from_render_target(context, target, k.origin,
                                                                        int32_t(k.colorType), 0, nullptr);
        plixgpu_backendrendertarget_destroy(target);  // the surface keeps what it needs
        ASSERT_NE(surface, 0u);

        // Draw straight into the surface's pixels: each says where it is.
        const Pixmap& pixels = capi::from<Surface>(surface)->peekPixels();
        ASSERT_EQ(pixels.width(), 7);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                uint32_t rgba = Tag(x, y);  // bytes R, G, B, A in memory
                if (k.colorType == ColorType::BGRA8888) rgba = (rgba & 0xFF00FF00u) | ((rgba >> 16) & 0xFFu) | ((rgba & 0xFFu) << 16);
                std::memcpy(pixels.addr(x, y), &rgba, 4);
            }
        plixgpu_directcontext_flush_and_submit(context, true);

        const std::vector<uint32_t> shown = fb.read();
        for (int glRow = 0; glRow < 5; ++glRow)
            for (int x = 0; x < 7; ++x) {
                // A bottom-left framebuffer shows the picture's last row at its row 0.
                const int y = k.origin == 1 ? 4 - glRow : glRow;
                ASSERT_EQ(shown[size_t(glRow) * 7 + size_t(x)], Tag(x, y)) << x << "," << glRow;
            }
        plix_refcnt_unref(surface);
    }
    int32_t textures = -1;
    size_t bytes = 1;
    plixgpu_directcontext_get_resource_cache_usage(context, &textures, &bytes);
    EXPECT_EQ(textures, 0);  // the surfaces' upload textures went with them
    EXPECT_EQ(bytes, 0u);
}

TEST_F(GpuBackEnd, OnlyEightBitColorTypesMakeSurfaces) {
    const plix_gl_framebuffer_info info{0, GL_RGBA8};
    const plix_handle target = plixgpu_backendrendertarget_create_gl(4, 4, 1, 0, &info);
    EXPECT_EQ(plix_surface_make_from_render_target(context, target, 1, int32_t(ColorType::Alpha8), 0, nullptr), 0u);
    EXPECT_EQ(plix_surface_make_from_render_target(context, target, 2, int32_t(ColorType::RGBA8888), 0, nullptr), 0u);
    EXPECT_EQ(plix_surface_make_from_render_target(context, target, 1, -1, 0, nullptr), 0u);
    EXPECT_EQ(plix_surface_make_from_render_target(0, target, 1, int32_t(ColorType::RGBA8888), 0, nullptr), 0u);
    EXPECT_EQ(plix_surface_make_from_render_target(context, 0, 1, int32_t(ColorType::RGBA8888), 0, nullptr), 0u);
    plixgpu_directcontext_abandon_context(context);
    EXPECT_EQ(plix_surface_make_from_render_target(context, target, 1, int32_t(ColorType::RGBA8888), 0, nullptr), 0u);
    plixgpu_backendrendertarget_destroy(target);
}

TEST_F(GpuBackEnd, TextureImagesHoldTheirPixelsOnTheGpuAndOnTheCpu) {
    std::vector<uint32_t> source(6 * 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) source[size_t(y) * 6 + size_t(x)] = Tag(x, y);
    const Pixmap src(ImageInfo::Make(6, 3, ColorType::RGBA8888, AlphaType::Premul), source.data(), 24);
    const plix_handle pixmap = capi::to(new Pixmap(src));
    const plix_handle image = plix_image_make_cross_context(context, pixmap, false, false);
    ASSERT_NE(image, 0u);
    source.assign(source.size(), 0);  // the image holds copies

    const Image& img = *capi::from<Image>(image);
    EXPECT_TRUE(gpu::DirectContext::IsTextureBacked(img));
    const uint32_t expected = Tag(0, 2);
    EXPECT_EQ(std::memcmp(img.pixmap().addr(0, 2), &expected, 4), 0);
    // The texture bound by the upload is the image's; read it back.
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    ASSERT_TRUE(glIsTexture(GLuint(texture)));
    std::vector<uint32_t> onGpu(6 * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, onGpu.data());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(onGpu[size_t(y) * 6 + size_t(x)], Tag(x, y));
    int32_t textures = 0;
    plixgpu_directcontext_get_resource_cache_usage(context, &textures, nullptr);
    EXPECT_EQ(textures, 1);

    // The last reference deletes the texture.
    plix_refcnt_unref(image);
    EXPECT_FALSE(glIsTexture(GLuint(texture)));
    plixgpu_directcontext_get_resource_cache_usage(context, &textures, nullptr);
    EXPECT_EQ(textures, 0);

    // A raster image made into a texture image; none on an abandoned context.
    const plix_handle raster = plix_image_make_from_raster(pixmap, nullptr, nullptr);
    ASSERT_NE(raster, 0u);
    EXPECT_FALSE(gpu::DirectContext::IsTextureBacked(*capi::from<Image>(raster)));
    const plix_handle texture2 = plix_image_make_texture_image(raster, context, false);
    ASSERT_NE(texture2, 0u);
    EXPECT_TRUE(gpu::DirectContext::IsTextureBacked(*capi::from<Image>(texture2)));
    plixgpu_directcontext_abandon_context(context);
    EXPECT_EQ(plix_image_make_texture_image(raster, context, false), 0u);
    EXPECT_EQ(plix_image_make_cross_context(context, pixmap, false, false), 0u);
    plix_refcnt_unref(texture2);
    plix_refcnt_unref(raster);
    plix_pixmap_destroy(pixmap);
}

TEST_F(GpuBackEnd, ReleasingTheContextsResourcesDeletesTexturesOfLiveImages) {
    uint32_t pixel = Tag(1, 1);
    const plix_handle pixmap =
        capi::to(new Pixmap(ImageInfo::Make(1, 1, ColorType::RGBA8888, AlphaType::Premul), &pixel, 4));
    const plix_handle image = plix_image_make_cross_context(context, pixmap, false, false);
    ASSERT_NE(image, 0u);
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    plixgpu_directcontext_release_resources_and_abandon_context(context);
    EXPECT_FALSE(glIsTexture(GLuint(texture)));
    EXPECT_TRUE(plixgpu_directcontext_is_abandoned(context));
    // The image still reads on the CPU.
    EXPECT_EQ(*static_cast<uint32_t*>(capi::from<Image>(image)->pixmap().addr()), Tag(1, 1));
    plix_refcnt_unref(image);
    plix_pixmap_destroy(pixmap);
}

TEST(GpuBackEndArguments, NullHandlesAreRefused) {
    EXPECT_FALSE(plixgpu_gl_interface_validate(0));
    EXPECT_FALSE(plixgpu_gl_interface_has_extension(0, "GL_x"));
    EXPECT_EQ(plixgpu_directcontext_make_gl(0, nullptr), 0u);
    EXPECT_TRUE(plixgpu_directcontext_is_abandoned(0));
    EXPECT_EQ(plixgpu_directcontext_get_resource_cache_limit(0), 0u);
    int32_t count = 5;
    size_t bytes = 5;
    plixgpu_directcontext_get_resource_cache_usage(0, &count, &bytes);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bytes, 0u);
    plixgpu_directcontext_get_resource_cache_usage(0, nullptr, nullptr);
    plixgpu_directcontext_flush_and_submit(0, true);
    plixgpu_directcontext_abandon_context(0);
    plixgpu_directcontext_release_resources_and_abandon_context(0);
    EXPECT_FALSE(plixgpu_directcontext_submit(0, false));
    EXPECT_EQ(plixgpu_backendrendertarget_get_width(0), 0);
    EXPECT_FALSE(plixgpu_backendrendertarget_is_valid(0));
    plixgpu_backendrendertarget_destroy(0);
    EXPECT_EQ(plix_image_make_cross_context(0, 0, false, false), 0u);
    EXPECT_EQ(plix_image_make_texture_image(0, 0, false), 0u);
    EXPECT_EQ(plix_surface_make_render_target(0, true, nullptr, 0, 1, nullptr, false), 0u);
}

}  // namespace
