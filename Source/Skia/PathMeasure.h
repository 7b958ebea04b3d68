// Path measuring, contour by contour: lengths, and positions, tangents and pieces at distances
// along the current contour.
#pragma once

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "Skia/Path.h"
#include "Skia/PathBuilder.h"
#include "ui/Types.h"

namespace Skia {

enum class TSkPathMeasureMatrixFlag : int32_t { GetPosition, GetTangent };
using TSkPathMeasureMatrixFlags = TSet<TSkPathMeasureMatrixFlag>;

class ISkPathMeasure : public virtual ISkObject {
public:
    // The current contour's length.
    virtual float GetLength() = 0;
    // The transform that puts the origin at ADistance along the contour (translated to the
    // position, turned along the tangent, as AFlags ask); False when the contour is empty.
    virtual bool GetMatrix(float ADistance, Ui::TMatrix& AMatrix,
                           TSkPathMeasureMatrixFlags AFlags = {TSkPathMeasureMatrixFlag::GetPosition,
                                                               TSkPathMeasureMatrixFlag::GetTangent}) = 0;
    virtual bool GetPositionAndTangent(float ADistance, Ui::TPointF& APosition, Ui::TPointF& ATangent) = 0;
    // Appends the piece between the two distances to ADest.
    virtual bool GetSegment(float AStart, float AStop, const Ref<ISkPathBuilder>& ADest, bool AStartWithMoveTo) = 0;
    virtual bool IsClosed() = 0;
    // Moves on to the next contour; False when there is none.
    virtual bool NextContour() = 0;
};

class TSkPathMeasure : public TSkObject, public virtual ISkPathMeasure {
public:
    // Holds a reference to its path, which the native measure reads.
    TSkPathMeasure(NativeUInt AHandle, bool AOwnsHandle, Ref<ISkPath> APath)
        : TSkObject(AHandle, AOwnsHandle), FPath(std::move(APath)) {}

    // Starts at the first contour of APath; AForceClosed measures open contours as closed.
    static Ref<ISkPathMeasure> Create(const Ref<ISkPath>& APath, bool AForceClosed = false, float AResScale = 1);

    float GetLength() override;
    bool GetMatrix(float ADistance, Ui::TMatrix& AMatrix, TSkPathMeasureMatrixFlags AFlags) override;
    bool GetPositionAndTangent(float ADistance, Ui::TPointF& APosition, Ui::TPointF& ATangent) override;
    bool GetSegment(float AStart, float AStop, const Ref<ISkPathBuilder>& ADest, bool AStartWithMoveTo) override;
    bool IsClosed() override;
    bool NextContour() override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;

private:
    Ref<ISkPath> FPath;
};

}  // namespace Skia
