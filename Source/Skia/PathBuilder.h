// Path builders: contours added piece by piece, then taken out as an immutable path.
#pragma once

#include <cstdint>
#include <span>

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "Skia/Path.h"
#include "Skia/RoundRect.h"
#include "ui/Types.h"

namespace Skia {

class ISkPathBuilder : public virtual ISkObject {
public:
    using TPointF = Ui::TPointF;
    using TRectF = Ui::TRectF;

    // Angles in degrees.
    virtual void AddArc(const TRectF& AOval, float AStartAngle, float ASweepAngle) = 0;
    virtual void AddCircle(const TPointF& ACenter, float ARadius, TSkPathDirection ADirection = TSkPathDirection::CW) = 0;
    virtual void AddCircle(float ACenterX, float ACenterY, float ARadius,
                           TSkPathDirection ADirection = TSkPathDirection::CW) = 0;
    // AStartIndex: where the contour starts (0 top, 1 right, 2 bottom, 3 left).
    virtual void AddOval(const TRectF& AOval, TSkPathDirection ADirection = TSkPathDirection::CW,
                         uint32_t AStartIndex = 1) = 0;
    virtual void AddPath(const Ref<ISkPath>& APath) = 0;
    virtual void AddPolygon(std::span<const TPointF> APolygon, bool AIsClosed) = 0;
    // AStartIndex: the corner the contour starts at (0 upper left, clockwise).
    virtual void AddRect(const TRectF& ARect, TSkPathDirection ADirection = TSkPathDirection::CW,
                         uint32_t AStartIndex = 0) = 0;
    virtual void AddRoundRect(const Ref<ISkRoundRect>& ARoundRect, TSkPathDirection ADirection = TSkPathDirection::CW,
                              uint32_t AStartIndex = 0) = 0;
    // SVG-style elliptic arc to APoint.
    virtual void ArcTo(const TPointF& ARadius, float AXAxisRotate, TSkPathArcSize ALargeArc,
                       TSkPathDirection ASweep, const TPointF& APoint) = 0;
    // Arc along AOval from AStartAngle over ASweepAngle degrees.
    virtual void ArcTo(const TRectF& AOval, float AStartAngle, float ASweepAngle, bool AForceMoveTo) = 0;
    // Arc of ARadius tangent to (last point, APoint1) and (APoint1, APoint2).
    virtual void ArcTo(const TPointF& APoint1, const TPointF& APoint2, float ARadius) = 0;
    virtual void Close() = 0;
    virtual void ConicTo(const TPointF& APoint1, const TPointF& APoint2, float AWeight) = 0;
    virtual void ConicTo(float AX1, float AY1, float AX2, float AY2, float AWeight) = 0;
    virtual void CubicTo(const TPointF& APoint1, const TPointF& APoint2, const TPointF& APoint3) = 0;
    virtual void CubicTo(float AX1, float AY1, float AX2, float AY2, float AX3, float AY3) = 0;
    // The path built; the builder starts over empty.
    virtual Ref<ISkPath> Detach() = 0;
    virtual TRectF GetBounds() = 0;
    virtual TSkPathFillType GetFillType() = 0;
    virtual void IncReserve(int32_t AExtraPointCount, int32_t AExtraVerbCount) = 0;
    virtual void IncReserve(int32_t AExtraPointCount) = 0;
    virtual void LineTo(const TPointF& APoint) = 0;
    virtual void LineTo(float AX, float AY) = 0;
    virtual void MoveTo(const TPointF& APoint) = 0;
    virtual void MoveTo(float AX, float AY) = 0;
    virtual void Offset(float ADX, float ADY) = 0;
    virtual void PolylineTo(std::span<const TPointF> APoints) = 0;
    virtual void QuadTo(const TPointF& APoint1, const TPointF& APoint2) = 0;
    virtual void QuadTo(float AX1, float AY1, float AX2, float AY2) = 0;
    // Relative forms: the points are offsets from the last point.
    virtual void RConicTo(const TPointF& APoint1, const TPointF& APoint2, float AWeight) = 0;
    virtual void RConicTo(float AX1, float AY1, float AX2, float AY2, float AWeight) = 0;
    virtual void RCubicTo(const TPointF& APoint1, const TPointF& APoint2, const TPointF& APoint3) = 0;
    virtual void RCubicTo(float AX1, float AY1, float AX2, float AY2, float AX3, float AY3) = 0;
    virtual void RLineTo(const TPointF& APoint) = 0;
    virtual void RLineTo(float AX, float AY) = 0;
    virtual void RQuadTo(const TPointF& APoint1, const TPointF& APoint2) = 0;
    virtual void RQuadTo(float AX1, float AY1, float AX2, float AY2) = 0;
    virtual void Reset() = 0;
    virtual void SetFillType(TSkPathFillType AValue) = 0;
    // The path built so far; the builder keeps it.
    virtual Ref<ISkPath> Snapshot() = 0;
    virtual void ToggleInverseFillType() = 0;
};

class TSkPathBuilder : public TSkObject, public virtual ISkPathBuilder {
public:
    using TSkObject::TSkObject;

    static Ref<ISkPathBuilder> Create();
    // Starting with APath's contours and fill type.
    static Ref<ISkPathBuilder> Create(const Ref<ISkPath>& APath);
    static Ref<ISkPathBuilder> Create(TSkPathFillType AFillType);

    void AddArc(const TRectF& AOval, float AStartAngle, float ASweepAngle) override;
    void AddCircle(const TPointF& ACenter, float ARadius, TSkPathDirection ADirection) override;
    void AddCircle(float ACenterX, float ACenterY, float ARadius, TSkPathDirection ADirection) override;
    void AddOval(const TRectF& AOval, TSkPathDirection ADirection, uint32_t AStartIndex) override;
    void AddPath(const Ref<ISkPath>& APath) override;
    void AddPolygon(std::span<const TPointF> APolygon, bool AIsClosed) override;
    void AddRect(const TRectF& ARect, TSkPathDirection ADirection, uint32_t AStartIndex) override;
    void AddRoundRect(const Ref<ISkRoundRect>& ARoundRect, TSkPathDirection ADirection, uint32_t AStartIndex) override;
    void ArcTo(const TPointF& ARadius, float AXAxisRotate, TSkPathArcSize ALargeArc, TSkPathDirection ASweep,
               const TPointF& APoint) override;
    void ArcTo(const TRectF& AOval, float AStartAngle, float ASweepAngle, bool AForceMoveTo) override;
    void ArcTo(const TPointF& APoint1, const TPointF& APoint2, float ARadius) override;
    void Close() override;
    void ConicTo(const TPointF& APoint1, const TPointF& APoint2, float AWeight) override;
    void ConicTo(float AX1, float AY1, float AX2, float AY2, float AWeight) override;
    void CubicTo(const TPointF& APoint1, const TPointF& APoint2, const TPointF& APoint3) override;
    void CubicTo(float AX1, float AY1, float AX2, float AY2, float AX3, float AY3) override;
    Ref<ISkPath> Detach() override;
    TRectF GetBounds() override;
    TSkPathFillType GetFillType() override;
    void IncReserve(int32_t AExtraPointCount, int32_t AExtraVerbCount) override;
    void IncReserve(int32_t AExtraPointCount) override;
    void LineTo(const TPointF& APoint) override;
    void LineTo(float AX, float AY) override;
    void MoveTo(const TPointF& APoint) override;
    void MoveTo(float AX, float AY) override;
    void Offset(float ADX, float ADY) override;
    void PolylineTo(std::span<const TPointF> APoints) override;
    void QuadTo(const TPointF& APoint1, const TPointF& APoint2) override;
    void QuadTo(float AX1, float AY1, float AX2, float AY2) override;
    void RConicTo(const TPointF& APoint1, const TPointF& APoint2, float AWeight) override;
    void RConicTo(float AX1, float AY1, float AX2, float AY2, float AWeight) override;
    void RCubicTo(const TPointF& APoint1, const TPointF& APoint2, const TPointF& APoint3) override;
    void RCubicTo(float AX1, float AY1, float AX2, float AY2, float AX3, float AY3) override;
    void RLineTo(const TPointF& APoint) override;
    void RLineTo(float AX, float AY) override;
    void RQuadTo(const TPointF& APoint1, const TPointF& APoint2) override;
    void RQuadTo(float AX1, float AY1, float AX2, float AY2) override;
    void Reset() override;
    void SetFillType(TSkPathFillType AValue) override;
    Ref<ISkPath> Snapshot() override;
    void ToggleInverseFillType() override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
