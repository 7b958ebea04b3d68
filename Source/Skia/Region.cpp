#include "Skia/Region.h"

#include "Skia/API.h"

namespace Skia {

void TSkRegion::__DestroyHandle(NativeUInt AHandle) { API::plix_region_destroy(AHandle); }

}  // namespace Skia
