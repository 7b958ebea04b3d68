#include "Skia/Paint.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

using Marshal::Ord;

Ref<ISkPaint> TSkPaint::Create() { return WrapCreated<TSkPaint>(API::plix_paint_create()); }

Ref<ISkPaint> TSkPaint::Create(const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    return WrapCreated<TSkPaint>(API::plix_paint_create2(APaint->GetHandle()));
}

Ref<ISkPaint> TSkPaint::Create(TSkPaintStyle AStyle) {
    Ref<ISkPaint> paint = Create();
    paint->SetStyle(AStyle);
    return paint;
}

uint8_t TSkPaint::GetAlpha() { return API::plix_paint_get_alpha(Handle()); }
float TSkPaint::GetAlphaF() { return API::plix_paint_get_alphaf(Handle()); }
bool TSkPaint::GetAntiAlias() { return API::plix_paint_get_anti_alias(Handle()); }
Ref<ISkBlender> TSkPaint::GetBlender() { return WrapOrNil<TSkBlender>(API::plix_paint_get_blender(Handle())); }
Ui::TAlphaColor TSkPaint::GetColor() { return API::plix_paint_get_color(Handle()); }

Ui::TAlphaColorF TSkPaint::GetColorF() {
    plix_color4f color{};
    API::plix_paint_get_colorf(Handle(), &color);
    return Marshal::FromNative(color);
}

Ref<ISkColorFilter> TSkPaint::GetColorFilter() {
    return WrapOrNil<TSkColorFilter>(API::plix_paint_get_color_filter(Handle()));
}

bool TSkPaint::GetDither() { return API::plix_paint_get_dither(Handle()); }

Ref<ISkPath> TSkPaint::GetFillPath(const Ref<ISkPath>& APath) {
    CheckNotNil(APath, "APath");
    return WrapOrNil<TSkPath>(API::plix_paint_get_fill_path(Handle(), APath->GetHandle(), nullptr, 1.0f));
}

Ref<ISkPath> TSkPaint::GetFillPath(const Ref<ISkPath>& APath, const Ui::TRectF& ACullRect, float AResScale) {
    CheckNotNil(APath, "APath");
    const plix_rect cullRect = Marshal::ToNative(ACullRect);
    return WrapOrNil<TSkPath>(API::plix_paint_get_fill_path(Handle(), APath->GetHandle(), &cullRect, AResScale));
}

Ref<ISkImageFilter> TSkPaint::GetImageFilter() {
    return WrapOrNil<TSkImageFilter>(API::plix_paint_get_image_filter(Handle()));
}

Ref<ISkMaskFilter> TSkPaint::GetMaskFilter() {
    return WrapOrNil<TSkMaskFilter>(API::plix_paint_get_mask_filter(Handle()));
}

Ref<ISkPathEffect> TSkPaint::GetPathEffect() {
    return WrapOrNil<TSkPathEffect>(API::plix_paint_get_path_effect(Handle()));
}

Ref<ISkShader> TSkPaint::GetShader() { return WrapOrNil<TSkShader>(API::plix_paint_get_shader(Handle())); }

TSkStrokeCap TSkPaint::GetStrokeCap() { return static_cast<TSkStrokeCap>(API::plix_paint_get_stroke_cap(Handle())); }

TSkStrokeJoin TSkPaint::GetStrokeJoin() {
    return static_cast<TSkStrokeJoin>(API::plix_paint_get_stroke_join(Handle()));
}

float TSkPaint::GetStrokeMiter() { return API::plix_paint_get_stroke_miter(Handle()); }
float TSkPaint::GetStrokeWidth() { return API::plix_paint_get_stroke_width(Handle()); }
TSkPaintStyle TSkPaint::GetStyle() { return static_cast<TSkPaintStyle>(API::plix_paint_get_style(Handle())); }
void TSkPaint::Reset() { API::plix_paint_reset(Handle()); }
void TSkPaint::SetAlpha(uint8_t AValue) { API::plix_paint_set_alpha(Handle(), AValue); }
void TSkPaint::SetAlphaF(float AValue) { API::plix_paint_set_alphaf(Handle(), AValue); }
void TSkPaint::SetAntiAlias(bool AValue) { API::plix_paint_set_antialias(Handle(), AValue); }

void TSkPaint::SetARGB(uint8_t A, uint8_t R, uint8_t G, uint8_t B) { API::plix_paint_set_argb(Handle(), A, R, G, B); }

void TSkPaint::SetBlender(const Ref<ISkBlender>& AValue) {
    API::plix_paint_set_blender(Handle(), HandleOrZero(AValue));
}

void TSkPaint::SetColor(Ui::TAlphaColor AValue) { API::plix_paint_set_color(Handle(), AValue); }

void TSkPaint::SetColorF(const Ui::TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace) {
    const plix_color4f color = Marshal::ToNative(AColor);
    API::plix_paint_set_colorf(Handle(), &color, HandleOrZero(AColorSpace));
}

void TSkPaint::SetColorFilter(const Ref<ISkColorFilter>& AValue) {
    API::plix_paint_set_color_filter(Handle(), HandleOrZero(AValue));
}

void TSkPaint::SetDither(bool AValue) { API::plix_paint_set_dither(Handle(), AValue); }

void TSkPaint::SetImageFilter(const Ref<ISkImageFilter>& AValue) {
    API::plix_paint_set_image_filter(Handle(), HandleOrZero(AValue));
}

void TSkPaint::SetMaskFilter(const Ref<ISkMaskFilter>& AValue) {
    API::plix_paint_set_mask_filter(Handle(), HandleOrZero(AValue));
}

void TSkPaint::SetPathEffect(const Ref<ISkPathEffect>& AValue) {
    API::plix_paint_set_path_effect(Handle(), HandleOrZero(AValue));
}

void TSkPaint::SetShader(const Ref<ISkShader>& AValue) { API::plix_paint_set_shader(Handle(), HandleOrZero(AValue)); }
void TSkPaint::SetStrokeCap(TSkStrokeCap AValue) { API::plix_paint_set_stroke_cap(Handle(), Ord(AValue)); }
void TSkPaint::SetStrokeJoin(TSkStrokeJoin AValue) { API::plix_paint_set_stroke_join(Handle(), Ord(AValue)); }
void TSkPaint::SetStrokeMiter(float AValue) { API::plix_paint_set_stroke_miter(Handle(), AValue); }
void TSkPaint::SetStrokeWidth(float AValue) { API::plix_paint_set_stroke_width(Handle(), AValue); }
void TSkPaint::SetStyle(TSkPaintStyle AValue) { API::plix_paint_set_style(Handle(), Ord(AValue)); }

void TSkPaint::__DestroyHandle(NativeUInt AHandle) { API::plix_paint_destroy(AHandle); }

}  // namespace Skia
