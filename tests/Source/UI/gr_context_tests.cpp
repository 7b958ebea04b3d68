// The GPU context wrappers of the object layer: each operation is one call of its entry with the
// object's handle first; GL function lookups reach the caller's procedure only during the call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Raised.h"
#include "Skia/GrBackendRenderTarget.h"
#include "Skia/GrDirectContext.h"
#include "Spy.h"

namespace {

using namespace Skia;

constexpr plix_handle ContextHandle = 0xC0;
constexpr plix_handle InterfaceHandle = 0x1F;
constexpr plix_handle TargetHandle = 0x7A;

Ref<IGrDirectContext> MakeContext() {
    Spy<&API::plixgpu_directcontext_make_gl> make([](plix_handle, const plix_context_options*) { return ContextHandle; });
    return TGrDirectContext::MakeGl(nullptr);
}

TEST(GrGlInterface, ANilLookupGivesNilWithoutACall) {
    Spy<&API::plixgpu_gl_interface_make_assembled> assembled;
    Spy<&API::plixgpu_gl_interface_make_assembled_gl> gl;
    Spy<&API::plixgpu_gl_interface_make_assembled_gles> gles;
    Spy<&API::plixgpu_gl_interface_make_assembled_webgl> webgl;
    EXPECT_EQ(TGrGlInterface::MakeAssembled(nullptr), nullptr);
    EXPECT_EQ(TGrGlInterface::MakeAssembledGl(nullptr), nullptr);
    EXPECT_EQ(TGrGlInterface::MakeAssembledGles(nullptr), nullptr);
    EXPECT_EQ(TGrGlInterface::MakeAssembledWebGl(nullptr), nullptr);
    EXPECT_EQ(assembled.Calls() + gl.Calls() + gles.Calls() + webgl.Calls(), 0);
}

TEST(GrGlInterface, TheLibraryLooksFunctionsUpThroughTheCallersProcedure) {
    FakeReleases releases;
    static int glClearStandIn = 0;
    std::vector<std::string> asked;
    const TGrGlGetProc proc = [&](const char* name) -> void* {
        asked.emplace_back(name);
        if (std::string(name) == "throw") throw std::runtime_error("lookup failed");
        return std::string(name) == "glClear" ? &glClearStandIn : nullptr;
    };
    Spy<&API::plixgpu_gl_interface_make_assembled_gl> gl([](void* context, plix_gl_get_proc getProc) {
        // Found, missing, and a procedure that raises: no exception crosses back.
        const bool ok = getProc(context, "glClear") == &glClearStandIn && getProc(context, "glNothing") == nullptr &&
                        getProc(context, "throw") == nullptr;
        return ok ? InterfaceHandle : plix_handle(0);
    });
    const Ref<IGrGlInterface> glInterface = TGrGlInterface::MakeAssembledGl(proc);
    ASSERT_NE(glInterface, nullptr);
    EXPECT_EQ(glInterface->GetHandle(), InterfaceHandle);
    EXPECT_EQ(asked, (std::vector<std::string>{"glClear", "glNothing", "throw"}));
}

TEST(GrGlInterface, MakeNativeIsNilWithoutACurrentContext) {
    Spy<&API::plixgpu_gl_interface_make_native> native([] { return plix_handle(0); });
    EXPECT_EQ(TGrGlInterface::MakeNative(), nullptr);
    EXPECT_EQ(native.Calls(), 1);
}

TEST(GrDirectContext, MakeGlPassesTheInterfaceAndOptions) {
    FakeReleases releases;
    plix_handle passed = 1;
    plix_context_options seen{};
    bool hadOptions = false;
    Spy<&API::plixgpu_directcontext_make_gl> make([&](plix_handle glInterface, const plix_context_options* options) {
        passed = glInterface;
        hadOptions = options != nullptr;
        if (options) seen = *options;
        return glInterface ? ContextHandle : plix_handle(0);
    });
    // A nil interface crosses as 0, and the library's 0 comes back as nil.
    EXPECT_EQ(TGrDirectContext::MakeGl(nullptr), nullptr);
    EXPECT_EQ(passed, 0u);
    EXPECT_FALSE(hadOptions);

    const Ref<IGrGlInterface> glInterface = Wrap<TGrGlInterface>(InterfaceHandle);
    TGrContextOptions options;
    options.BufferMapThreshold = 7;
    options.AvoidStencilBuffers = true;
    options.GlyphCacheTextureMaximumBytes = 12345;
    options.ShaderCacheStrategy = TGrShaderCacheStrategy::SkSL;
    const Ref<IGrDirectContext> context = TGrDirectContext::MakeGl(options, glInterface);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(passed, InterfaceHandle);
    ASSERT_TRUE(hadOptions);
    EXPECT_EQ(seen.buffer_map_threshold, 7);
    EXPECT_TRUE(seen.avoid_stencil_buffers);
    EXPECT_TRUE(seen.allow_path_mask_caching);
    EXPECT_EQ(seen.glyph_cache_texture_maximum_bytes, 12345u);
    EXPECT_EQ(seen.shader_cache_strategy, 0);
    EXPECT_EQ(seen.persistent_cache, 0u);
    EXPECT_EQ(seen.shader_error_handler, 0u);
}

TEST(GrDirectContext, TheResourceCacheLimitIsTheOneTheLibraryKeeps) {
    FakeReleases releases;
    const Ref<IGrDirectContext> context = MakeContext();
    static size_t kept = 0;
    Spy<&API::plixgpu_directcontext_set_resource_cache_limit> set([](plix_handle self, size_t value) {
        if (self == ContextHandle) kept = value;
    });
    Spy<&API::plixgpu_directcontext_get_resource_cache_limit> get([](plix_handle self) { return self == ContextHandle ? kept : 0; });
    context->SetResourceCacheLimit(size_t(3) << 33);
    EXPECT_EQ(context->GetResourceCacheLimit(), size_t(3) << 33);
}

TEST(GrDirectContext, OperationsPassTheirArgumentsWhole) {
    FakeReleases releases;
    const Ref<IGrDirectContext> context = MakeContext();
    std::vector<std::string> calls;
    Spy<&API::plixgpu_directcontext_perform_deferred_cleanup> cleanup(
        [&](plix_handle, int64_t ms) { calls.push_back("cleanup " + std::to_string(ms)); });
    Spy<&API::plixgpu_directcontext_purge_unlocked_resources> purge(
        [&](plix_handle, bool scratch) { calls.push_back(std::string("purge ") + (scratch ? "scratch" : "all")); });
    Spy<&API::plixgpu_directcontext_purge_unlocked_resources2> purgeBytes([&](plix_handle, size_t bytes, bool prefer) {
        calls.push_back("purge " + std::to_string(bytes) + (prefer ? " prefer" : ""));
    });
    Spy<&API::plixgpu_directcontext_flush_and_submit> flush(
        [&](plix_handle, bool sync) { calls.push_back(std::string("flush") + (sync ? " sync" : "")); });
    Spy<&API::plixgpu_directcontext_get_resource_cache_usage> usage([](plix_handle, int32_t* resources, size_t* bytes) {
        *resources = 3;
        *bytes = 4096;
    });
    Spy<&API::plixgpu_directcontext_get_max_surface_sample_count_for_color_type> samples(
        [](plix_handle, int32_t colorType) { return colorType == static_cast<int32_t>(TSkColorType::RGBA8888) ? 8 : 1; });
    context->PerformDeferredCleanup((int64_t(1) << 40) + 5);
    context->PurgeUnlockedResources(true);
    context->PurgeUnlockedResources(size_t(1) << 34, true);
    context->FlushAndSubmit(true);
    context->FlushAndSubmit();
    EXPECT_EQ(calls, (std::vector<std::string>{"cleanup 1099511627781", "purge scratch", "purge 17179869184 prefer",
                                               "flush sync", "flush"}));
    int32_t resources = 0;
    size_t bytes = 0;
    context->GetResourceCacheUsage(resources, bytes);
    EXPECT_EQ(resources, 3);
    EXPECT_EQ(bytes, 4096u);
    EXPECT_EQ(context->GetMaxSurfaceSampleCountForColorType(TSkColorType::RGBA8888), 8);
}

TEST(GrDirectContext, DumpMemoryStatisticsRefusesNilBeforeAnyCall) {
    FakeReleases releases;
    const Ref<IGrDirectContext> context = MakeContext();
    Spy<&API::plixgpu_directcontext_dump_memory_statistics> dump;
    EXPECT_EQ(Raised<ESkArgumentException>([&] { context->DumpMemoryStatistics(nullptr); }),
              "Parameter ATraceMemoryDump cannot be nil");
    EXPECT_EQ(dump.Calls(), 0);
}

TEST(GrDirectContext, TheLastReferenceDropsTheNativeOne) {
    FakeReleases releases;
    {
        const Ref<IGrDirectContext> context = MakeContext();
        const Ref<IGrDirectContext> asObject = context;  // what surfaces and images take
        EXPECT_EQ(asObject->GetHandle(), ContextHandle);
    }
    EXPECT_EQ(FakeReleases::Balance(ContextHandle), -1);
}

TEST(GrBackendRenderTarget, CreateGlDescribesTheFramebufferAndIsDestroyedOnce) {
    FakeReleases releases;
    plix_gl_framebuffer_info seen{};
    int32_t args[4] = {};
    Spy<&API::plixgpu_backendrendertarget_create_gl> create(
        [&](int32_t w, int32_t h, int32_t samples, int32_t stencil, const plix_gl_framebuffer_info* info) {
            args[0] = w;
            args[1] = h;
            args[2] = samples;
            args[3] = stencil;
            seen = *info;
            return TargetHandle;
        });
    Spy<&API::plixgpu_backendrendertarget_get_width> width([](plix_handle self) { return self == TargetHandle ? 640 : 0; });
    Spy<&API::plixgpu_backendrendertarget_is_valid> valid([](plix_handle self) { return self == TargetHandle; });
    {
        const Ref<IGrBackendRenderTarget> target =
            TGrBackendRenderTarget::CreateGl(640, 347, 4, 8, TGrGlFramebufferInfo{0, 0x8058});
        EXPECT_EQ(args[0], 640);
        EXPECT_EQ(args[1], 347);
        EXPECT_EQ(args[2], 4);
        EXPECT_EQ(args[3], 8);
        EXPECT_EQ(seen.fbo_id, 0u);
        EXPECT_EQ(seen.format, 0x8058u);
        EXPECT_EQ(target->GetWidth(), 640);
        EXPECT_TRUE(target->IsValid());
    }
    EXPECT_EQ(FakeReleases::Destroys(TargetHandle), 1);
}

}  // namespace
