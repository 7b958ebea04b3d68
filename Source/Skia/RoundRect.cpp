#include "Skia/RoundRect.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

using Marshal::FromNative;
using Marshal::ToNative;

Ref<ISkRoundRect> TSkRoundRect::Create() { return WrapCreated<TSkRoundRect>(API::plix_rrect_create()); }

Ref<ISkRoundRect> TSkRoundRect::Create(const Ref<ISkRoundRect>& ARoundRect) {
    CheckNotNil(ARoundRect, "ARoundRect");
    return WrapCreated<TSkRoundRect>(API::plix_rrect_create2(ARoundRect->GetHandle()));
}

Ref<ISkRoundRect> TSkRoundRect::Create(const Ui::TRectF& ARect, float ARadiusX, float ARadiusY) {
    Ref<ISkRoundRect> result = Create();
    result->SetRect(ARect, ARadiusX, ARadiusY);
    return result;
}

Ref<ISkRoundRect> TSkRoundRect::Create(const Ui::TRectF& ARect, const TSkRoundRectRadii& ARadii) {
    Ref<ISkRoundRect> result = Create();
    result->SetRect(ARect, ARadii);
    return result;
}

bool TSkRoundRect::Contains(const Ui::TRectF& ARect) {
    const plix_rect rect = ToNative(ARect);
    return API::plix_rrect_contains(Handle(), &rect);
}

void TSkRoundRect::Deflate(float ADX, float ADY) { API::plix_rrect_deflate(Handle(), ADX, ADY); }

float TSkRoundRect::GetHeight() { return API::plix_rrect_get_height(Handle()); }

Ui::TPointF TSkRoundRect::GetRadii(TSkRoundRectCorner ACorner) {
    // The native side indexes its corner array with it.
    CheckIndex(Marshal::Ord(ACorner), 4, "ACorner");
    plix_vector radii{};
    API::plix_rrect_get_radii(Handle(), Marshal::Ord(ACorner), &radii);
    return FromNative(radii);
}

Ui::TRectF TSkRoundRect::GetRect() {
    plix_rect rect{};
    API::plix_rrect_get_rect(Handle(), &rect);
    return FromNative(rect);
}

Ui::TPointF TSkRoundRect::GetSimpleRadii() {
    plix_vector radii{};
    API::plix_rrect_get_simple_radii(Handle(), &radii);
    return FromNative(radii);
}

float TSkRoundRect::GetWidth() { return API::plix_rrect_get_width(Handle()); }
void TSkRoundRect::Inflate(float ADX, float ADY) { API::plix_rrect_inflate(Handle(), ADX, ADY); }
bool TSkRoundRect::IsComplex() { return API::plix_rrect_is_complex(Handle()); }
bool TSkRoundRect::IsEmpty() { return API::plix_rrect_is_empty(Handle()); }

bool TSkRoundRect::IsEqual(const Ref<ISkRoundRect>& ARoundRect) {
    return ARoundRect && API::plix_rrect_is_equal(Handle(), ARoundRect->GetHandle());
}

bool TSkRoundRect::IsNinePatch() { return API::plix_rrect_is_nine_patch(Handle()); }
bool TSkRoundRect::IsOval() { return API::plix_rrect_is_oval(Handle()); }
bool TSkRoundRect::IsRect() { return API::plix_rrect_is_rect(Handle()); }
bool TSkRoundRect::IsSimple() { return API::plix_rrect_is_simple(Handle()); }
bool TSkRoundRect::IsValid() { return API::plix_rrect_is_valid(Handle()); }
void TSkRoundRect::Offset(float ADX, float ADY) { API::plix_rrect_offset(Handle(), ADX, ADY); }
void TSkRoundRect::SetEmpty() { API::plix_rrect_set_empty(Handle()); }

void TSkRoundRect::SetNinePatch(const Ui::TRectF& ARect, float ALeftRadius, float ATopRadius, float ARightRadius,
                                float ABottomRadius) {
    const plix_rect rect = ToNative(ARect);
    API::plix_rrect_set_nine_patch(Handle(), &rect, ALeftRadius, ATopRadius, ARightRadius, ABottomRadius);
}

void TSkRoundRect::SetOval(const Ui::TRectF& ARect) {
    const plix_rect rect = ToNative(ARect);
    API::plix_rrect_set_oval(Handle(), &rect);
}

void TSkRoundRect::SetRect(const Ui::TRectF& ARect) {
    const plix_rect rect = ToNative(ARect);
    API::plix_rrect_set_rect(Handle(), &rect);
}

void TSkRoundRect::SetRect(const Ui::TRectF& ARect, float ARadiusX, float ARadiusY) {
    const plix_rect rect = ToNative(ARect);
    API::plix_rrect_set_rect2(Handle(), &rect, ARadiusX, ARadiusY);
}

void TSkRoundRect::SetRect(const Ui::TRectF& ARect, const TSkRoundRectRadii& ARadii) {
    const plix_rect rect = ToNative(ARect);
    API::plix_rrect_set_rect3(Handle(), &rect, ToNative(std::span<const Ui::TPointF>(ARadii)));
}

Ref<ISkRoundRect> TSkRoundRect::Transform(const Ui::TMatrix& AMatrix) {
    const plix_matrix matrix = ToNative(AMatrix);
    return WrapOrNil<TSkRoundRect>(API::plix_rrect_transform(Handle(), &matrix));
}

void TSkRoundRect::__DestroyHandle(NativeUInt AHandle) { API::plix_rrect_destroy(AHandle); }

}  // namespace Skia
