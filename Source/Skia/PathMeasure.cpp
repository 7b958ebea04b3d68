#include "Skia/PathMeasure.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

Ref<ISkPathMeasure> TSkPathMeasure::Create(const Ref<ISkPath>& APath, bool AForceClosed, float AResScale) {
    CheckNotNil(APath, "APath");
    const NativeUInt handle = API::plix_pathmeasure_create(APath->GetHandle(), AForceClosed, AResScale);
    if (!handle) RaiseOutOfMemory();
    return SkNew<TSkPathMeasure>(handle, true, APath);
}

float TSkPathMeasure::GetLength() { return API::plix_pathmeasure_get_length(Handle()); }

bool TSkPathMeasure::GetMatrix(float ADistance, Ui::TMatrix& AMatrix, TSkPathMeasureMatrixFlags AFlags) {
    plix_matrix matrix{};
    if (!API::plix_pathmeasure_get_matrix(Handle(), ADistance, &matrix, static_cast<uint32_t>(AFlags.Bits() & 3u)))
        return false;
    AMatrix = Marshal::FromNative(matrix);
    return true;
}

bool TSkPathMeasure::GetPositionAndTangent(float ADistance, Ui::TPointF& APosition, Ui::TPointF& ATangent) {
    plix_point position{};
    plix_vector tangent{};
    if (!API::plix_pathmeasure_get_position_and_tangent(Handle(), ADistance, &position, &tangent)) return false;
    APosition = Marshal::FromNative(position);
    ATangent = Marshal::FromNative(tangent);
    return true;
}

bool TSkPathMeasure::GetSegment(float AStart, float AStop, const Ref<ISkPathBuilder>& ADest, bool AStartWithMoveTo) {
    CheckNotNil(ADest, "ADest");
    return API::plix_pathmeasure_get_segment(Handle(), AStart, AStop, ADest->GetHandle(), AStartWithMoveTo);
}

bool TSkPathMeasure::IsClosed() { return API::plix_pathmeasure_is_closed(Handle()); }
bool TSkPathMeasure::NextContour() { return API::plix_pathmeasure_next_contour(Handle()); }

void TSkPathMeasure::__DestroyHandle(NativeUInt AHandle) { API::plix_pathmeasure_destroy(AHandle); }

}  // namespace Skia
