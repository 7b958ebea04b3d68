// GPU direct contexts on OpenGL.
#include "capi/Handles.h"
#include "core/ColorType.h"
#include "gpu/DirectContext.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;
using plix::gpu::DirectContext;
using plix::gpu::GlInterface;

namespace {
DirectContext* ctx(plix_handle h) { return from<DirectContext>(h); }
}  // namespace

// The options tune a GPU renderer's caches; drawing here runs on the CPU, so none applies.
plix_handle plixgpu_directcontext_make_gl(plix_handle gl_interface, const plix_context_options*) {
    if (!gl_interface) return 0;
    return guard<plix_handle>(0, [&] { return to(DirectContext::MakeGL(sp_ref(from<GlInterface>(gl_interface)))); });
}

void plixgpu_directcontext_abandon_context(plix_handle self) {
    if (self) ctx(self)->abandon();
}

void plixgpu_directcontext_release_resources_and_abandon_context(plix_handle self) {
    if (self) guard([&] { ctx(self)->releaseResourcesAndAbandon(); });
}

void plixgpu_directcontext_free_gpu_resources(plix_handle self) {
    if (self) guard([&] { ctx(self)->freeGpuResources(); });
}

void plixgpu_directcontext_flush(plix_handle self) {
    if (self) guard([&] { ctx(self)->flush(false); });
}

void plixgpu_directcontext_flush_and_submit(plix_handle self, bool sync_cpu) {
    if (self) guard([&] { ctx(self)->flush(sync_cpu); });
}

// The work is sent as it is flushed; submitting only waits when asked to.
bool plixgpu_directcontext_submit(plix_handle self, bool sync_cpu) {
    if (!self || ctx(self)->abandoned()) return false;
    return guard(false, [&] { return sync_cpu ? ctx(self)->flush(true) : true; });
}

int32_t plixgpu_directcontext_get_backend_api(plix_handle) { return 0; /* OpenGL */ }

int32_t plixgpu_directcontext_get_max_surface_sample_count_for_color_type(plix_handle self, int32_t color_type) {
    if (!self || !isValidColorType(color_type)) return 0;
    return guard(0, [&] { return ctx(self)->maxSurfaceSampleCount(ColorType(color_type)); });
}

size_t plixgpu_directcontext_get_resource_cache_limit(plix_handle self) {
    return self ? ctx(self)->resourceCacheLimit() : 0;
}

void plixgpu_directcontext_set_resource_cache_limit(plix_handle self, size_t value) {
    if (self) ctx(self)->setResourceCacheLimit(value);
}

void plixgpu_directcontext_get_resource_cache_usage(plix_handle self, int32_t* resources, size_t* resources_bytes) {
    if (resources) *resources = 0;
    if (resources_bytes) *resources_bytes = 0;
    if (self) ctx(self)->resourceUsage(resources, resources_bytes);
}

bool plixgpu_directcontext_is_abandoned(plix_handle self) { return !self || ctx(self)->abandoned(); }

// Nothing is kept for later: textures go with their images and surfaces.
void plixgpu_directcontext_perform_deferred_cleanup(plix_handle, int64_t) {}
void plixgpu_directcontext_purge_unlocked_resources(plix_handle, bool) {}
void plixgpu_directcontext_purge_unlocked_resources2(plix_handle, size_t, bool) {}
// Presenting sets every piece of GL state it relies on, so there is nothing to forget.
void plixgpu_directcontext_reset_context(plix_handle) {}
