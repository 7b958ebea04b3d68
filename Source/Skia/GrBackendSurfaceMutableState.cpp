#include "Skia/GrBackendSurfaceMutableState.h"

#include "Skia/API.h"

namespace Skia {

void TGrBackendSurfaceMutableState::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendsurfacemutablestate_destroy(AHandle); }

}  // namespace Skia
