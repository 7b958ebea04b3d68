// Back-end render targets: existing OpenGL framebuffers that GPU surfaces draw into.
#include "capi/Handles.h"
#include "gpu/DirectContext.h"
#include "plix/plix.h"

using namespace plix::capi;
using plix::gpu::BackendRenderTarget;

namespace {
BackendRenderTarget* rt(plix_handle h) { return from<BackendRenderTarget>(h); }
}  // namespace

plix_handle plixgpu_backendrendertarget_create_gl(int32_t width, int32_t height, int32_t sample_count,
                                                   int32_t stencil_bits, const plix_gl_framebuffer_info* framebuffer_info) {
    return guard<plix_handle>(0, [&] {
        auto* target = new BackendRenderTarget{width, height, sample_count, stencil_bits, 0, 0};
        if (framebuffer_info) {
            target->fbo = framebuffer_info->fbo_id;
            target->format = framebuffer_info->format;
        } else {
            target->width = target->height = 0;  // nothing to describe: invalid
        }
        return to(target);
    });
}

void plixgpu_backendrendertarget_destroy(plix_handle self) { delete rt(self); }
int32_t plixgpu_backendrendertarget_get_backend_api(plix_handle) { return 0; /* OpenGL */ }
int32_t plixgpu_backendrendertarget_get_height(plix_handle self) { return self ? rt(self)->height : 0; }
int32_t plixgpu_backendrendertarget_get_sample_count(plix_handle self) { return self ? rt(self)->sampleCount : 0; }
int32_t plixgpu_backendrendertarget_get_stencil_bits(plix_handle self) { return self ? rt(self)->stencilBits : 0; }
int32_t plixgpu_backendrendertarget_get_width(plix_handle self) { return self ? rt(self)->width : 0; }
bool plixgpu_backendrendertarget_is_valid(plix_handle self) { return self && rt(self)->valid(); }
