#include "Skia/GrBackendRenderTarget.h"

#include "Skia/API.h"

namespace Skia {

void TGrBackendRenderTarget::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendrendertarget_destroy(AHandle); }

Ref<IGrBackendRenderTarget> TGrBackendRenderTarget::CreateGl(int32_t AWidth, int32_t AHeight, int32_t ASampleCount,
                                                             int32_t AStencilBits,
                                                             const TGrGlFramebufferInfo& AFramebufferInfo) {
    const plix_gl_framebuffer_info info{AFramebufferInfo.FBOID, AFramebufferInfo.Format};
    return WrapCreated<TGrBackendRenderTarget>(
        API::plixgpu_backendrendertarget_create_gl(AWidth, AHeight, ASampleCount, AStencilBits, &info));
}

TGrBackendAPI TGrBackendRenderTarget::GetBackendAPI() {
    return static_cast<TGrBackendAPI>(API::plixgpu_backendrendertarget_get_backend_api(Handle()));
}

int32_t TGrBackendRenderTarget::GetHeight() { return API::plixgpu_backendrendertarget_get_height(Handle()); }
int32_t TGrBackendRenderTarget::GetSampleCount() { return API::plixgpu_backendrendertarget_get_sample_count(Handle()); }
int32_t TGrBackendRenderTarget::GetStencilBits() { return API::plixgpu_backendrendertarget_get_stencil_bits(Handle()); }
int32_t TGrBackendRenderTarget::GetWidth() { return API::plixgpu_backendrendertarget_get_width(Handle()); }
bool TGrBackendRenderTarget::IsValid() { return API::plixgpu_backendrendertarget_is_valid(Handle()); }

}  // namespace Skia
