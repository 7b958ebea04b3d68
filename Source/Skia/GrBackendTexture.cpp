#include "Skia/GrBackendTexture.h"

#include "Skia/API.h"

namespace Skia {

void TGrBackendTexture::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendtexture_destroy(AHandle); }

}  // namespace Skia
