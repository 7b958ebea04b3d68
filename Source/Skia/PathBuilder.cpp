#include "Skia/PathBuilder.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

using Marshal::FromNative;
using Marshal::Ord;
using Marshal::ToNative;
using Ui::TPointF;
using Ui::TRectF;

Ref<ISkPathBuilder> TSkPathBuilder::Create() { return WrapCreated<TSkPathBuilder>(API::plix_pathbuilder_create()); }

Ref<ISkPathBuilder> TSkPathBuilder::Create(const Ref<ISkPath>& APath) {
    CheckNotNil(APath, "APath");
    return WrapCreated<TSkPathBuilder>(API::plix_pathbuilder_create2(APath->GetHandle()));
}

Ref<ISkPathBuilder> TSkPathBuilder::Create(TSkPathFillType AFillType) {
    Ref<ISkPathBuilder> result = Create();
    result->SetFillType(AFillType);
    return result;
}

void TSkPathBuilder::AddArc(const TRectF& AOval, float AStartAngle, float ASweepAngle) {
    const plix_rect oval = ToNative(AOval);
    API::plix_pathbuilder_add_arc(Handle(), &oval, AStartAngle, ASweepAngle);
}

void TSkPathBuilder::AddCircle(const TPointF& ACenter, float ARadius, TSkPathDirection ADirection) {
    AddCircle(ACenter.X, ACenter.Y, ARadius, ADirection);
}

void TSkPathBuilder::AddCircle(float ACenterX, float ACenterY, float ARadius, TSkPathDirection ADirection) {
    API::plix_pathbuilder_add_circle(Handle(), ACenterX, ACenterY, ARadius, Ord(ADirection));
}

void TSkPathBuilder::AddOval(const TRectF& AOval, TSkPathDirection ADirection, uint32_t AStartIndex) {
    const plix_rect oval = ToNative(AOval);
    API::plix_pathbuilder_add_oval(Handle(), &oval, Ord(ADirection), AStartIndex);
}

void TSkPathBuilder::AddPath(const Ref<ISkPath>& APath) {
    CheckNotNil(APath, "APath");
    API::plix_pathbuilder_add_path(Handle(), APath->GetHandle());
}

void TSkPathBuilder::AddPolygon(std::span<const TPointF> APolygon, bool AIsClosed) {
    API::plix_pathbuilder_add_polygon(Handle(), ToNative(APolygon), static_cast<int32_t>(APolygon.size()), AIsClosed);
}

void TSkPathBuilder::AddRect(const TRectF& ARect, TSkPathDirection ADirection, uint32_t AStartIndex) {
    const plix_rect rect = ToNative(ARect);
    API::plix_pathbuilder_add_rect(Handle(), &rect, Ord(ADirection), AStartIndex);
}

void TSkPathBuilder::AddRoundRect(const Ref<ISkRoundRect>& ARoundRect, TSkPathDirection ADirection,
                                  uint32_t AStartIndex) {
    CheckNotNil(ARoundRect, "ARoundRect");
    API::plix_pathbuilder_add_rrect(Handle(), ARoundRect->GetHandle(), Ord(ADirection), AStartIndex);
}

void TSkPathBuilder::ArcTo(const TPointF& ARadius, float AXAxisRotate, TSkPathArcSize ALargeArc,
                           TSkPathDirection ASweep, const TPointF& APoint) {
    const plix_point radius = ToNative(ARadius);
    const plix_point point = ToNative(APoint);
    API::plix_pathbuilder_arc_to(Handle(), &radius, AXAxisRotate, Ord(ALargeArc), Ord(ASweep), &point);
}

void TSkPathBuilder::ArcTo(const TRectF& AOval, float AStartAngle, float ASweepAngle, bool AForceMoveTo) {
    const plix_rect oval = ToNative(AOval);
    API::plix_pathbuilder_arc_to2(Handle(), &oval, AStartAngle, ASweepAngle, AForceMoveTo);
}

void TSkPathBuilder::ArcTo(const TPointF& APoint1, const TPointF& APoint2, float ARadius) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    API::plix_pathbuilder_arc_to3(Handle(), &p1, &p2, ARadius);
}

void TSkPathBuilder::Close() { API::plix_pathbuilder_close(Handle()); }

void TSkPathBuilder::ConicTo(const TPointF& APoint1, const TPointF& APoint2, float AWeight) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    API::plix_pathbuilder_conic_to(Handle(), &p1, &p2, AWeight);
}

void TSkPathBuilder::ConicTo(float AX1, float AY1, float AX2, float AY2, float AWeight) {
    ConicTo(TPointF(AX1, AY1), TPointF(AX2, AY2), AWeight);
}

void TSkPathBuilder::CubicTo(const TPointF& APoint1, const TPointF& APoint2, const TPointF& APoint3) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    const plix_point p3 = ToNative(APoint3);
    API::plix_pathbuilder_cubic_to(Handle(), &p1, &p2, &p3);
}

void TSkPathBuilder::CubicTo(float AX1, float AY1, float AX2, float AY2, float AX3, float AY3) {
    CubicTo(TPointF(AX1, AY1), TPointF(AX2, AY2), TPointF(AX3, AY3));
}

Ref<ISkPath> TSkPathBuilder::Detach() { return WrapCreated<TSkPath>(API::plix_pathbuilder_detach(Handle())); }

TRectF TSkPathBuilder::GetBounds() {
    plix_rect rect{};
    API::plix_pathbuilder_get_bounds(Handle(), &rect);
    return FromNative(rect);
}

TSkPathFillType TSkPathBuilder::GetFillType() {
    return static_cast<TSkPathFillType>(API::plix_pathbuilder_get_fill_type(Handle()));
}

void TSkPathBuilder::IncReserve(int32_t AExtraPointCount, int32_t AExtraVerbCount) {
    API::plix_pathbuilder_inc_reserve(Handle(), AExtraPointCount, AExtraVerbCount);
}

void TSkPathBuilder::IncReserve(int32_t AExtraPointCount) { IncReserve(AExtraPointCount, AExtraPointCount); }

void TSkPathBuilder::LineTo(const TPointF& APoint) {
    const plix_point point = ToNative(APoint);
    API::plix_pathbuilder_line_to(Handle(), &point);
}

void TSkPathBuilder::LineTo(float AX, float AY) { LineTo(TPointF(AX, AY)); }

void TSkPathBuilder::MoveTo(const TPointF& APoint) {
    const plix_point point = ToNative(APoint);
    API::plix_pathbuilder_move_to(Handle(), &point);
}

void TSkPathBuilder::MoveTo(float AX, float AY) { MoveTo(TPointF(AX, AY)); }

void TSkPathBuilder::Offset(float ADX, float ADY) { API::plix_pathbuilder_offset(Handle(), ADX, ADY); }

void TSkPathBuilder::PolylineTo(std::span<const TPointF> APoints) {
    API::plix_pathbuilder_polyline_to(Handle(), ToNative(APoints), static_cast<int32_t>(APoints.size()));
}

void TSkPathBuilder::QuadTo(const TPointF& APoint1, const TPointF& APoint2) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    API::plix_pathbuilder_quad_to(Handle(), &p1, &p2);
}

void TSkPathBuilder::QuadTo(float AX1, float AY1, float AX2, float AY2) { QuadTo(TPointF(AX1, AY1), TPointF(AX2, AY2)); }

void TSkPathBuilder::RConicTo(const TPointF& APoint1, const TPointF& APoint2, float AWeight) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    API::plix_pathbuilder_r_conic_to(Handle(), &p1, &p2, AWeight);
}

void TSkPathBuilder::RConicTo(float AX1, float AY1, float AX2, float AY2, float AWeight) {
    RConicTo(TPointF(AX1, AY1), TPointF(AX2, AY2), AWeight);
}

void TSkPathBuilder::RCubicTo(const TPointF& APoint1, const TPointF& APoint2, const TPointF& APoint3) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    const plix_point p3 = ToNative(APoint3);
    API::plix_pathbuilder_r_cubic_to(Handle(), &p1, &p2, &p3);
}

void TSkPathBuilder::RCubicTo(float AX1, float AY1, float AX2, float AY2, float AX3, float AY3) {
    RCubicTo(TPointF(AX1, AY1), TPointF(AX2, AY2), TPointF(AX3, AY3));
}

void TSkPathBuilder::RLineTo(const TPointF& APoint) {
    const plix_point point = ToNative(APoint);
    API::plix_pathbuilder_r_line_to(Handle(), &point);
}

void TSkPathBuilder::RLineTo(float AX, float AY) { RLineTo(TPointF(AX, AY)); }

void TSkPathBuilder::RQuadTo(const TPointF& APoint1, const TPointF& APoint2) {
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    API::plix_pathbuilder_r_quad_to(Handle(), &p1, &p2);
}

void TSkPathBuilder::RQuadTo(float AX1, float AY1, float AX2, float AY2) {
    RQuadTo(TPointF(AX1, AY1), TPointF(AX2, AY2));
}

void TSkPathBuilder::Reset() { API::plix_pathbuilder_reset(Handle()); }

void TSkPathBuilder::SetFillType(TSkPathFillType AValue) { API::plix_pathbuilder_set_filltype(Handle(), Ord(AValue)); }

Ref<ISkPath> TSkPathBuilder::Snapshot() { return WrapCreated<TSkPath>(API::plix_pathbuilder_snapshot(Handle())); }

void TSkPathBuilder::ToggleInverseFillType() { API::plix_pathbuilder_toggle_inverse_filltype(Handle()); }

void TSkPathBuilder::__DestroyHandle(NativeUInt AHandle) { API::plix_pathbuilder_destroy(AHandle); }

}  // namespace Skia
