#include "Skia/Path.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"
#include "Skia/RoundRect.h"
#include "Skia/Stream.h"
#include "Skia/String.h"

namespace Skia {

using Marshal::FromNative;
using Marshal::ToNative;

namespace {
// The native side approximates a conic by at most 2^5 quads.
constexpr int32_t MaxConicPower2 = 5;
}  // namespace

Ref<ISkPath> TSkPath::Create() { return WrapCreated<TSkPath>(API::plix_path_create()); }

Ref<ISkPath> TSkPath::MakeFromSVG(const std::string& ASVG) {
    return WrapOrNil<TSkPath>(API::plix_path_create2(ASVG.c_str()));
}

std::vector<Ui::TPointF> TSkPath::ConvertConicToQuads(const Ui::TPointF& APoint1, const Ui::TPointF& APoint2,
                                                      const Ui::TPointF& APoint3, float AWeight, int32_t APower2) {
    CheckIndex(APower2, MaxConicPower2 + 1, "APower2");
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    const plix_point p3 = ToNative(APoint3);
    std::vector<Ui::TPointF> points(1 + 2 * (size_t{1} << APower2));
    const int32_t quads = API::plix_path_convert_conic_to_quads(
        &p1, &p2, &p3, AWeight, reinterpret_cast<plix_point*>(points.data()), APower2);
    points.resize(quads > 0 ? std::min(points.size(), 1 + 2 * static_cast<size_t>(quads)) : 0);
    return points;
}

bool TSkPath::Contains(float AX, float AY) { return API::plix_path_contains(Handle(), AX, AY); }

Ui::TRectF TSkPath::GetBounds() {
    plix_rect rect{};
    API::plix_path_get_bounds(Handle(), &rect);
    return FromNative(rect);
}

TSkPathFillType TSkPath::GetFillType() { return static_cast<TSkPathFillType>(API::plix_path_get_fill_type(Handle())); }

Ui::TPointF TSkPath::GetLastPoint() {
    plix_point point{};
    if (!API::plix_path_get_last_point(Handle(), &point)) return {};
    return FromNative(point);
}

TSkSegmentMasks TSkPath::GetSegmentMasks() {
    return TSkSegmentMasks::FromBits(API::plix_path_get_segment_masks(Handle()) & 0xFu);
}

Ui::TRectF TSkPath::GetTightBounds() {
    plix_rect rect{};
    API::plix_path_get_tight_bounds(Handle(), &rect);
    return FromNative(rect);
}

Ref<ISkPathIterator> TSkPath::GetIterator(bool AForceClose) {
    const NativeUInt handle = API::plix_pathiterator_create(Handle(), AForceClose);
    if (!handle) RaiseOutOfMemory();
    return SkNew<TPathIterator>(handle, true, Ref<ISkPath>(this));
}

Ref<ISkPath> TSkPath::Interpolate(const Ref<ISkPath>& AEnding, float AWeight) {
    CheckNotNil(AEnding, "AEnding");
    return WrapOrNil<TSkPath>(API::plix_path_interpolate(Handle(), AEnding->GetHandle(), AWeight));
}

bool TSkPath::IsConvex() { return API::plix_path_is_convex(Handle()); }
bool TSkPath::IsEmpty() { return API::plix_path_is_empty(Handle()); }
bool TSkPath::IsFinite() { return API::plix_path_is_finite(Handle()); }

bool TSkPath::IsInterpolatable(const Ref<ISkPath>& APath) {
    CheckNotNil(APath, "APath");
    return API::plix_path_is_interpolatable(Handle(), APath->GetHandle());
}

bool TSkPath::IsLastContourClosed() { return API::plix_path_is_last_contour_closed(Handle()); }

bool TSkPath::IsLine() { return API::plix_path_is_line(Handle(), nullptr); }

bool TSkPath::IsLine(Ui::TPointF& APoint1, Ui::TPointF& APoint2) {
    plix_point points[2]{};
    if (!API::plix_path_is_line(Handle(), points)) return false;
    APoint1 = FromNative(points[0]);
    APoint2 = FromNative(points[1]);
    return true;
}

bool TSkPath::IsOval() {
    plix_rect rect{};
    return API::plix_path_is_oval(Handle(), &rect);
}

bool TSkPath::IsOval(Ui::TRectF& ARect) {
    plix_rect rect{};
    if (!API::plix_path_is_oval(Handle(), &rect)) return false;
    ARect = FromNative(rect);
    return true;
}

bool TSkPath::IsRect() {
    plix_rect rect{};
    return API::plix_path_is_rect(Handle(), &rect);
}

bool TSkPath::IsRect(Ui::TRectF& ARect) {
    plix_rect rect{};
    if (!API::plix_path_is_rect(Handle(), &rect)) return false;
    ARect = FromNative(rect);
    return true;
}

bool TSkPath::IsRoundRect() { return API::plix_path_is_rrect(Handle(), 0); }

bool TSkPath::IsRoundRect(Ref<ISkRoundRect>& ARoundRect) {
    Ref<ISkRoundRect> roundRect = TSkRoundRect::Create();
    const bool result = API::plix_path_is_rrect(Handle(), roundRect->GetHandle());
    ARoundRect = result ? roundRect : nullptr;
    return result;
}

Ref<ISkPath> TSkPath::Op(const Ref<ISkPath>& APath, TSkPathOp AOp) {
    CheckNotNil(APath, "APath");
    return WrapOrNil<TSkPath>(API::plix_path_op(Handle(), APath->GetHandle(), Marshal::Ord(AOp)));
}

void TSkPath::SerializeToStream(Ui::TStream& AStream) {
    const Ref<ISkWStream> stream = TSkWStreamAdapter::Create(AStream);
    API::plix_path_serialize_to_stream(Handle(), stream->GetHandle());
}

std::string TSkPath::ToSVG() {
    const Ref<ISkString> text = WrapOrNil<TSkString>(API::plix_path_to_svg(Handle()));
    return text ? text->GetText() : std::string();
}

Ref<ISkPath> TSkPath::Transform(const Ui::TMatrix& AMatrix) {
    const plix_matrix matrix = ToNative(AMatrix);
    return WrapOrNil<TSkPath>(API::plix_path_transform(Handle(), &matrix));
}

void TSkPath::__DestroyHandle(NativeUInt AHandle) { API::plix_path_destroy(AHandle); }

// ---- walk ----

bool TSkPath::TPathIterator::MoveNext() {
    plix_path_iterator_elem elem{};
    if (!API::plix_pathiterator_next(Handle(), &elem)) return false;
    FCurrent.Verb = static_cast<TSkPathVerb>(elem.verb);
    for (size_t i = 0; i < FCurrent.Points.size(); ++i) FCurrent.Points[i] = FromNative(elem.points[i]);
    FCurrent.ConicWeight = elem.conic_weight;
    return true;
}

void TSkPath::TPathIterator::__DestroyHandle(NativeUInt AHandle) { API::plix_pathiterator_destroy(AHandle); }

}  // namespace Skia
