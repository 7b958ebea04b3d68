#include "Skia/Vertices.h"

#include "Skia/API.h"

namespace Skia {

void TSkVertices::__RefHandle(NativeUInt AHandle) { API::plix_vertices_ref(AHandle); }
void TSkVertices::__UnrefHandle(NativeUInt AHandle) { API::plix_vertices_unref(AHandle); }

}  // namespace Skia
