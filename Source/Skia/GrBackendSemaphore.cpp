#include "Skia/GrBackendSemaphore.h"

#include "Skia/API.h"

namespace Skia {

void TGrBackendSemaphore::__DestroyHandle(NativeUInt AHandle) { API::plixgpu_backendsemaphore_destroy(AHandle); }

}  // namespace Skia
