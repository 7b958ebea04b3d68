#include "Skia/Region.h"

#include <vector>

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

using Marshal::FromNative;
using Marshal::ToNative;

Ref<ISkRegion> TSkRegion::Create() {
    const NativeUInt handle = API::plix_region_create();
    if (!handle) RaiseOutOfMemory();
    return SkNew<TSkRegion>(handle, true);
}

Ref<ISkRegion> TSkRegion::Create(const Ref<ISkRegion>& ARegion) {
    CheckNotNil(ARegion, "ARegion");
    const NativeUInt handle = API::plix_region_create2(ARegion->GetHandle());
    if (!handle) RaiseOutOfMemory();
    return SkNew<TSkRegion>(handle, true);
}

bool TSkRegion::Contains(const Ref<ISkRegion>& ARegion) {
    CheckNotNil(ARegion, "ARegion");
    return API::plix_region_contains(Handle(), ARegion->GetHandle());
}

bool TSkRegion::Contains(const Ui::TRect& ARect) {
    const plix_irect rect = ToNative(ARect);
    return API::plix_region_contains2(Handle(), &rect);
}

bool TSkRegion::Contains(int32_t AX, int32_t AY) { return API::plix_region_contains3(Handle(), AX, AY); }

Ref<ISkPath> TSkRegion::GetBoundaryPath() { return WrapOrNil<TSkPath>(API::plix_region_get_boundary_path(Handle())); }

Ui::TRect TSkRegion::GetBounds() {
    plix_irect rect{};
    API::plix_region_get_bounds(Handle(), &rect);
    return FromNative(rect);
}

Ref<ISkRegionCliperator> TSkRegion::GetCliperator(const Ui::TRect& AClip) {
    const plix_irect clip = ToNative(AClip);
    const NativeUInt handle = API::plix_regioncliperator_create(Handle(), &clip);
    if (!handle) RaiseOutOfMemory();
    return SkNew<TRegionCliperator>(handle, true, Ref<ISkRegion>(this));
}

Ref<ISkRegionIterator> TSkRegion::GetIterator() {
    const NativeUInt handle = API::plix_regioniterator_create(Handle());
    if (!handle) RaiseOutOfMemory();
    return SkNew<TRegionIterator>(handle, true, Ref<ISkRegion>(this));
}

Ref<ISkRegionSpanerator> TSkRegion::GetSpanerator(int32_t AY, int32_t ALeft, int32_t ARight) {
    const NativeUInt handle = API::plix_regionspanerator_create(Handle(), AY, ALeft, ARight);
    if (!handle) RaiseOutOfMemory();
    return SkNew<TRegionSpanerator>(handle, true, Ref<ISkRegion>(this));
}

bool TSkRegion::Intersects(const Ref<ISkRegion>& ARegion) {
    CheckNotNil(ARegion, "ARegion");
    return API::plix_region_intersects(Handle(), ARegion->GetHandle());
}

bool TSkRegion::Intersects(const Ui::TRect& ARect) {
    const plix_irect rect = ToNative(ARect);
    return API::plix_region_intersects2(Handle(), &rect);
}

bool TSkRegion::IsComplex() { return API::plix_region_is_complex(Handle()); }
bool TSkRegion::IsEmpty() { return API::plix_region_is_empty(Handle()); }

bool TSkRegion::IsEqual(const Ref<ISkRegion>& ARegion) {
    CheckNotNil(ARegion, "ARegion");
    return API::plix_region_is_equal(Handle(), ARegion->GetHandle());
}

bool TSkRegion::IsRect() { return API::plix_region_is_rect(Handle()); }

bool TSkRegion::Op(const Ref<ISkRegion>& ARegion, TSkRegionOp AOp) {
    CheckNotNil(ARegion, "ARegion");
    return API::plix_region_op(Handle(), ARegion->GetHandle(), Marshal::Ord(AOp));
}

bool TSkRegion::Op(const Ui::TRect& ARect, TSkRegionOp AOp) {
    const plix_irect rect = ToNative(ARect);
    return API::plix_region_op2(Handle(), &rect, Marshal::Ord(AOp));
}

bool TSkRegion::QuickContains(const Ui::TRect& ARect) {
    const plix_irect rect = ToNative(ARect);
    return API::plix_region_quick_contains(Handle(), &rect);
}

bool TSkRegion::QuickReject(const Ref<ISkRegion>& ARegion) {
    CheckNotNil(ARegion, "ARegion");
    return API::plix_region_quick_reject(Handle(), ARegion->GetHandle());
}

bool TSkRegion::QuickReject(const Ui::TRect& ARect) {
    const plix_irect rect = ToNative(ARect);
    return API::plix_region_quick_reject2(Handle(), &rect);
}

void TSkRegion::SetEmpty() { API::plix_region_set_empty(Handle()); }

bool TSkRegion::SetPath(const Ref<ISkPath>& APath, const Ref<ISkRegion>& AClip) {
    CheckNotNil(APath, "APath");
    CheckNotNil(AClip, "AClip");
    return API::plix_region_set_path(Handle(), APath->GetHandle(), AClip->GetHandle());
}

bool TSkRegion::SetRect(const Ui::TRect& ARect) {
    const plix_irect rect = ToNative(ARect);
    return API::plix_region_set_rect(Handle(), &rect);
}

bool TSkRegion::SetRects(std::span<const Ui::TRect> ARects) {
    CheckNotEmpty(ARects, "ARects");
    std::vector<plix_irect> rects;
    rects.reserve(ARects.size());
    for (const Ui::TRect& r : ARects) rects.push_back(ToNative(r));
    const int32_t count = ARects.size() > size_t(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(ARects.size());
    return API::plix_region_set_rects(Handle(), rects.data(), count);
}

void TSkRegion::Translate(int32_t ADeltaX, int32_t ADeltaY) { API::plix_region_translate(Handle(), ADeltaX, ADeltaY); }

void TSkRegion::__DestroyHandle(NativeUInt AHandle) { API::plix_region_destroy(AHandle); }

bool TSkRegion::TRegionIterator::MoveNext() {
    if (!API::plix_regioniterator_move_next(Handle())) return false;
    plix_irect rect{};
    API::plix_regioniterator_get_current(Handle(), &rect);
    FCurrent = FromNative(rect);
    return true;
}

void TSkRegion::TRegionIterator::__DestroyHandle(NativeUInt AHandle) { API::plix_regioniterator_destroy(AHandle); }

bool TSkRegion::TRegionCliperator::MoveNext() {
    if (!API::plix_regioncliperator_move_next(Handle())) return false;
    plix_irect rect{};
    API::plix_regioncliperator_get_current(Handle(), &rect);
    FCurrent = FromNative(rect);
    return true;
}

void TSkRegion::TRegionCliperator::__DestroyHandle(NativeUInt AHandle) { API::plix_regioncliperator_destroy(AHandle); }

bool TSkRegion::TRegionSpanerator::MoveNext() {
    plix_ipoint span{};
    if (!API::plix_regionspanerator_next(Handle(), &span)) return false;
    FCurrent = {span.x, span.y};
    return true;
}

void TSkRegion::TRegionSpanerator::__DestroyHandle(NativeUInt AHandle) { API::plix_regionspanerator_destroy(AHandle); }

}  // namespace Skia
