#include "Skia/GrDirectContext.h"

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

Ref<IGrDirectContext> TGrDirectContext::MakeGl(const Ref<IGrGlInterface>& AInterface) {
    return WrapOrNil<TGrDirectContext>(API::plixgpu_directcontext_make_gl(HandleOrZero(AInterface), nullptr));
}

Ref<IGrDirectContext> TGrDirectContext::MakeGl(const TGrContextOptions& AOptions,
                                               const Ref<IGrGlInterface>& AInterface) {
    const plix_context_options options = AOptions.ToNative();
    return WrapOrNil<TGrDirectContext>(API::plixgpu_directcontext_make_gl(HandleOrZero(AInterface), &options));
}

void TGrDirectContext::AbandonContext() { API::plixgpu_directcontext_abandon_context(Handle()); }

void TGrDirectContext::DumpMemoryStatistics(const Ref<ISkTraceMemoryDump>& ATraceMemoryDump) {
    CheckNotNil(ATraceMemoryDump, "ATraceMemoryDump");
    API::plixgpu_directcontext_dump_memory_statistics(Handle(), ATraceMemoryDump->GetHandle());
}

void TGrDirectContext::Flush() { API::plixgpu_directcontext_flush(Handle()); }

void TGrDirectContext::FlushAndSubmit(bool ASyncCpu) { API::plixgpu_directcontext_flush_and_submit(Handle(), ASyncCpu); }

void TGrDirectContext::FreeGpuResources() { API::plixgpu_directcontext_free_gpu_resources(Handle()); }

TGrBackendAPI TGrDirectContext::GetBackendAPI() {
    return static_cast<TGrBackendAPI>(API::plixgpu_directcontext_get_backend_api(Handle()));
}

int32_t TGrDirectContext::GetMaxSurfaceSampleCountForColorType(TSkColorType AColorType) {
    return API::plixgpu_directcontext_get_max_surface_sample_count_for_color_type(Handle(),
                                                                                 static_cast<int32_t>(AColorType));
}

size_t TGrDirectContext::GetResourceCacheLimit() { return API::plixgpu_directcontext_get_resource_cache_limit(Handle()); }

void TGrDirectContext::GetResourceCacheUsage(int32_t& AResources, size_t& AResourcesBytes) {
    API::plixgpu_directcontext_get_resource_cache_usage(Handle(), &AResources, &AResourcesBytes);
}

bool TGrDirectContext::IsAbandoned() { return API::plixgpu_directcontext_is_abandoned(Handle()); }

void TGrDirectContext::PerformDeferredCleanup(int64_t AMilliseconds) {
    API::plixgpu_directcontext_perform_deferred_cleanup(Handle(), AMilliseconds);
}

void TGrDirectContext::PurgeUnlockedResources(bool AScratchResourcesOnly) {
    API::plixgpu_directcontext_purge_unlocked_resources(Handle(), AScratchResourcesOnly);
}

void TGrDirectContext::PurgeUnlockedResources(size_t ABytesToPurge, bool APreferScratchResources) {
    API::plixgpu_directcontext_purge_unlocked_resources2(Handle(), ABytesToPurge, APreferScratchResources);
}

void TGrDirectContext::ReleaseResourcesAndAbandonContext() {
    API::plixgpu_directcontext_release_resources_and_abandon_context(Handle());
}

void TGrDirectContext::ResetContext() { API::plixgpu_directcontext_reset_context(Handle()); }

void TGrDirectContext::SetResourceCacheLimit(size_t AValue) {
    API::plixgpu_directcontext_set_resource_cache_limit(Handle(), AValue);
}

bool TGrDirectContext::Submit(bool ASyncCpu) { return API::plixgpu_directcontext_submit(Handle(), ASyncCpu); }

}  // namespace Skia
