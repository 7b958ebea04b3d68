#include "Skia/GrContext.h"

#include "Skia/API.h"

namespace Skia {

plix_context_options TGrContextOptions::ToNative() const {
    plix_context_options o{};
    o.buffer_map_threshold = BufferMapThreshold;
    o.do_manual_mipmapping = DoManualMipmapping;
    o.allow_path_mask_caching = AllowPathMaskCaching;
    o.glyph_cache_texture_maximum_bytes = GlyphCacheTextureMaximumBytes;
    o.avoid_stencil_buffers = AvoidStencilBuffers;
    o.runtime_program_cache_size = RuntimeProgramCacheSize;
    o.persistent_cache = HandleOrZero(PersistentCache);
    o.shader_cache_strategy = static_cast<int32_t>(ShaderCacheStrategy);
    o.shader_error_handler = HandleOrZero(ShaderErrorHandler);
    return o;
}

// ---- direct contexts ----

Ref<IGrDirectContextOps> TGrDirectContextOps::MakeGl(const Ref<IGrGlInterface>& AInterface) {
    return WrapOrNil<TGrDirectContextOps>(API::plixgpu_directcontext_make_gl(HandleOrZero(AInterface), nullptr));
}

Ref<IGrDirectContextOps> TGrDirectContextOps::MakeGl(const TGrContextOptions& AOptions,
                                                     const Ref<IGrGlInterface>& AInterface) {
    const plix_context_options options = AOptions.ToNative();
    return WrapOrNil<TGrDirectContextOps>(API::plixgpu_directcontext_make_gl(HandleOrZero(AInterface), &options));
}

void TGrDirectContextOps::AbandonContext() { API::plixgpu_directcontext_abandon_context(Handle()); }

void TGrDirectContextOps::DumpMemoryStatistics(const Ref<ISkTraceMemoryDump>& ATraceMemoryDump) {
    CheckNotNil(ATraceMemoryDump, "ATraceMemoryDump");
    API::plixgpu_directcontext_dump_memory_statistics(Handle(), ATraceMemoryDump->GetHandle());
}

void TGrDirectContextOps::Flush() { API::plixgpu_directcontext_flush(Handle()); }

void TGrDirectContextOps::FlushAndSubmit(bool ASyncCpu) { API::plixgpu_directcontext_flush_and_submit(Handle(), ASyncCpu); }

void TGrDirectContextOps::FreeGpuResources() { API::plixgpu_directcontext_free_gpu_resources(Handle()); }

TGrBackendAPI TGrDirectContextOps::GetBackendAPI() {
    return static_cast<TGrBackendAPI>(API::plixgpu_directcontext_get_backend_api(Handle()));
}

int32_t TGrDirectContextOps::GetMaxSurfaceSampleCountForColorType(TSkColorType AColorType) {
    return API::plixgpu_directcontext_get_max_surface_sample_count_for_color_type(Handle(),
                                                                                 static_cast<int32_t>(AColorType));
}

size_t TGrDirectContextOps::GetResourceCacheLimit() { return API::plixgpu_directcontext_get_resource_cache_limit(Handle()); }

void TGrDirectContextOps::GetResourceCacheUsage(int32_t& AResources, size_t& AResourcesBytes) {
    API::plixgpu_directcontext_get_resource_cache_usage(Handle(), &AResources, &AResourcesBytes);
}

bool TGrDirectContextOps::IsAbandoned() { return API::plixgpu_directcontext_is_abandoned(Handle()); }

void TGrDirectContextOps::PerformDeferredCleanup(int64_t AMilliseconds) {
    API::plixgpu_directcontext_perform_deferred_cleanup(Handle(), AMilliseconds);
}

void TGrDirectContextOps::PurgeUnlockedResources(bool AScratchResourcesOnly) {
    API::plixgpu_directcontext_purge_unlocked_resources(Handle(), AScratchResourcesOnly);
}

void TGrDirectContextOps::PurgeUnlockedResources(size_t ABytesToPurge, bool APreferScratchResources) {
    API::plixgpu_directcontext_purge_unlocked_resources2(Handle(), ABytesToPurge, APreferScratchResources);
}

void TGrDirectContextOps::ReleaseResourcesAndAbandonContext() {
    API::plixgpu_directcontext_release_resources_and_abandon_context(Handle());
}

void TGrDirectContextOps::ResetContext() { API::plixgpu_directcontext_reset_context(Handle()); }

void TGrDirectContextOps::SetResourceCacheLimit(size_t AValue) {
    API::plixgpu_directcontext_set_resource_cache_limit(Handle(), AValue);
}

bool TGrDirectContextOps::Submit(bool ASyncCpu) { return API::plixgpu_directcontext_submit(Handle(), ASyncCpu); }

// ---- render targets ----

Ref<IGrBackendRenderTargetOps> TGrBackendRenderTargetOps::CreateGl(int32_t AWidth, int32_t AHeight,
                                                                   int32_t ASampleCount, int32_t AStencilBits,
                                                                   const TGrGlFramebufferInfo& AFramebufferInfo) {
    const plix_gl_framebuffer_info info{AFramebufferInfo.FBOID, AFramebufferInfo.Format};
    return WrapCreated<TGrBackendRenderTargetOps>(
        API::plixgpu_backendrendertarget_create_gl(AWidth, AHeight, ASampleCount, AStencilBits, &info));
}

TGrBackendAPI TGrBackendRenderTargetOps::GetBackendAPI() {
    return static_cast<TGrBackendAPI>(API::plixgpu_backendrendertarget_get_backend_api(Handle()));
}

int32_t TGrBackendRenderTargetOps::GetHeight() { return API::plixgpu_backendrendertarget_get_height(Handle()); }
int32_t TGrBackendRenderTargetOps::GetSampleCount() { return API::plixgpu_backendrendertarget_get_sample_count(Handle()); }
int32_t TGrBackendRenderTargetOps::GetStencilBits() { return API::plixgpu_backendrendertarget_get_stencil_bits(Handle()); }
int32_t TGrBackendRenderTargetOps::GetWidth() { return API::plixgpu_backendrendertarget_get_width(Handle()); }
bool TGrBackendRenderTargetOps::IsValid() { return API::plixgpu_backendrendertarget_is_valid(Handle()); }

}  // namespace Skia
