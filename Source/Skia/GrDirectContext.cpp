#include "Skia/GrDirectContext.h"

#include "Skia/API.h"

namespace Skia {

void TGrBackendRenderTarget::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendrendertarget_destroy(AHandle); }
void TGrBackendTexture::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendtexture_destroy(AHandle); }
void TGrBackendSemaphore::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendsemaphore_destroy(AHandle); }
void TGrBackendSurfaceMutableState::__DestroyHandle(NativeUInt AHandle) {
    API::plixgpu_backendsurfacemutablestate_destroy(AHandle);
}

}  // namespace Skia
