#include "Skia/Canvas.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"
#include "Skia/Surface.h"
#include "Skia/Utf16.h"

namespace Skia {

using Marshal::FromNative;
using Marshal::Ord;
using Marshal::ToNative;
using Ui::TAlphaColor;
using Ui::TAlphaColorF;
using Ui::TMatrix;
using Ui::TMatrix3D;
using Ui::TPointF;
using Ui::TRect;
using Ui::TRectF;

namespace {

// Text encodings of the native side.
constexpr int32_t TextEncodingUtf16 = 1;
constexpr int32_t TextEncodingGlyphId = 3;

const plix_rsxform* ToNative(std::span<const TSkRotationScaleMatrix> matrices) {
    return reinterpret_cast<const plix_rsxform*>(Marshal::DataOrNil(matrices));
}

}  // namespace

void TSkCanvas::Clear(TAlphaColor AColor) { API::plix_canvas_clear(Handle(), AColor); }

void TSkCanvas::Clear(const TAlphaColorF& AColor) {
    const plix_color4f color = ToNative(AColor);
    API::plix_canvas_clear2(Handle(), &color);
}

void TSkCanvas::Discard() { API::plix_canvas_discard(Handle()); }

void TSkCanvas::ClipPath(const Ref<ISkPath>& APath, TSkClipOp AOp, bool AAntiAlias) {
    CheckNotNil(APath, "APath");
    API::plix_canvas_clip_path(Handle(), APath->GetHandle(), Ord(AOp), AAntiAlias);
}

void TSkCanvas::ClipRect(const TRectF& ARect, TSkClipOp AOp, bool AAntiAlias) {
    const plix_rect rect = ToNative(ARect);
    API::plix_canvas_clip_rect(Handle(), &rect, Ord(AOp), AAntiAlias);
}

void TSkCanvas::ClipRegion(const Ref<ISkRegion>& ARegion, TSkClipOp AOp) {
    CheckNotNil(ARegion, "ARegion");
    API::plix_canvas_clip_region(Handle(), ARegion->GetHandle(), Ord(AOp));
}

void TSkCanvas::ClipRoundRect(const Ref<ISkRoundRect>& ARoundRect, TSkClipOp AOp, bool AAntiAlias) {
    CheckNotNil(ARoundRect, "ARoundRect");
    API::plix_canvas_clip_rrect(Handle(), ARoundRect->GetHandle(), Ord(AOp), AAntiAlias);
}

void TSkCanvas::ClipShader(const Ref<ISkShader>& AShader, TSkClipOp AOp) {
    CheckNotNil(AShader, "AShader");
    API::plix_canvas_clip_shader(Handle(), AShader->GetHandle(), Ord(AOp));
}

void TSkCanvas::Concat(const TMatrix& AMatrix) {
    const plix_matrix matrix = ToNative(AMatrix);
    API::plix_canvas_concat2(Handle(), &matrix);
}

void TSkCanvas::Concat(const TMatrix3D& AMatrix) {
    const plix_matrix44 matrix = ToNative(AMatrix);
    API::plix_canvas_concat(Handle(), &matrix);
}

void TSkCanvas::DrawAnnotation(const TRectF& ARect, const std::string& AKey) {
    const plix_rect rect = ToNative(ARect);
    API::plix_canvas_draw_annotation(Handle(), &rect, AKey.c_str(), nullptr, 0);
}

void TSkCanvas::DrawAnnotation(const TRectF& ARect, const std::string& AKey, const void* AValue, size_t ASize) {
    if (ASize > 0 && !AValue) RaiseParameterNil("AValue");
    const plix_rect rect = ToNative(ARect);
    API::plix_canvas_draw_annotation(Handle(), &rect, AKey.c_str(), AValue, ASize);
}

void TSkCanvas::DrawArc(const TRectF& AOval, float AStartAngle, float ASweepAngle, bool AUseCenter,
                        const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_rect oval = ToNative(AOval);
    API::plix_canvas_draw_arc(Handle(), &oval, AStartAngle, ASweepAngle, AUseCenter, APaint->GetHandle());
}

// ---- atlas ----

void TSkCanvas::Atlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                      std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TSkSamplingOptions& ASampling,
                      const TRectF* ACullRect, std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint) {
    CheckNotNil(AAtlas, "AAtlas");
    CheckNotEmpty(ATansforms, "ATansforms");
    if (ASprites.size() != ATansforms.size()) RaiseParameterSizeMismatch("ASprites");
    if (!AColors.empty() && AColors.size() != ASprites.size()) RaiseParameterSizeMismatch("AColors");
    const plix_sampling_options sampling = ASampling.ToNative();
    const plix_rect cullRect = ACullRect ? ToNative(*ACullRect) : plix_rect{};
    API::plix_canvas_draw_atlas(Handle(), AAtlas->GetHandle(), ToNative(ATansforms), ToNative(ASprites),
                                Marshal::DataOrNil(AColors), static_cast<int32_t>(ATansforms.size()), Ord(ABlendMode),
                                &sampling, ACullRect ? &cullRect : nullptr, HandleOrZero(APaint));
}

void TSkCanvas::DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                          std::span<const TRectF> ASprites, TSkBlendMode ABlendMode,
                          std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint) {
    Atlas(AAtlas, ATansforms, ASprites, ABlendMode, TSkSamplingOptions(), nullptr, AColors, APaint);
}

void TSkCanvas::DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                          std::span<const TRectF> ASprites, TSkBlendMode ABlendMode,
                          const TSkSamplingOptions& ASampling, std::span<const TAlphaColor> AColors,
                          const Ref<ISkPaint>& APaint) {
    Atlas(AAtlas, ATansforms, ASprites, ABlendMode, ASampling, nullptr, AColors, APaint);
}

void TSkCanvas::DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                          std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TRectF& ACullRect,
                          std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint) {
    Atlas(AAtlas, ATansforms, ASprites, ABlendMode, TSkSamplingOptions(), &ACullRect, AColors, APaint);
}

void TSkCanvas::DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                          std::span<const TRectF> ASprites, TSkBlendMode ABlendMode,
                          const TSkSamplingOptions& ASampling, const TRectF& ACullRect,
                          std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint) {
    Atlas(AAtlas, ATansforms, ASprites, ABlendMode, ASampling, &ACullRect, AColors, APaint);
}

// ---- shapes ----

void TSkCanvas::DrawCircle(const TPointF& ACenter, float ARadius, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_point center = ToNative(ACenter);
    API::plix_canvas_draw_circle(Handle(), &center, ARadius, APaint->GetHandle());
}

void TSkCanvas::DrawCircle(float ACenterX, float ACenterY, float ARadius, const Ref<ISkPaint>& APaint) {
    DrawCircle(TPointF(ACenterX, ACenterY), ARadius, APaint);
}

void TSkCanvas::DrawColor(TAlphaColor AColor, TSkBlendMode ABlendMode) {
    API::plix_canvas_draw_color(Handle(), AColor, Ord(ABlendMode));
}

void TSkCanvas::DrawColor(const TAlphaColorF& AColor, TSkBlendMode ABlendMode) {
    const plix_color4f color = ToNative(AColor);
    API::plix_canvas_draw_color2(Handle(), &color, Ord(ABlendMode));
}

void TSkCanvas::DrawGlyphs(std::span<const uint16_t> AGlyphs, std::span<const TPointF> APositions,
                           const TPointF& AOrigin, const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) {
    if (APositions.size() != AGlyphs.size()) RaiseParameterSizeMismatch("APositions");
    CheckNotNil(AFont, "AFont");
    CheckNotNil(APaint, "APaint");
    const plix_point origin = ToNative(AOrigin);
    API::plix_canvas_draw_glyphs(Handle(), static_cast<int32_t>(AGlyphs.size()), Marshal::DataOrNil(AGlyphs),
                                 ToNative(APositions), &origin, AFont->GetHandle(), APaint->GetHandle());
}

void TSkCanvas::DrawGlyphs(std::span<const uint16_t> AGlyphs, std::span<const TSkRotationScaleMatrix> AMatrices,
                           const TPointF& AOrigin, const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) {
    if (AMatrices.size() != AGlyphs.size()) RaiseParameterSizeMismatch("AMatrices");
    CheckNotNil(AFont, "AFont");
    CheckNotNil(APaint, "APaint");
    const plix_point origin = ToNative(AOrigin);
    API::plix_canvas_draw_glyphs2(Handle(), static_cast<int32_t>(AGlyphs.size()), Marshal::DataOrNil(AGlyphs),
                                  ToNative(AMatrices), &origin, AFont->GetHandle(), APaint->GetHandle());
}

// ---- images ----

void TSkCanvas::DrawImage(const Ref<ISkImage>& AImage, float AX, float AY, const Ref<ISkPaint>& APaint) {
    DrawImage(AImage, AX, AY, TSkSamplingOptions(), APaint);
}

void TSkCanvas::DrawImage(const Ref<ISkImage>& AImage, float AX, float AY, const TSkSamplingOptions& ASampling,
                          const Ref<ISkPaint>& APaint) {
    CheckNotNil(AImage, "AImage");
    const plix_sampling_options sampling = ASampling.ToNative();
    API::plix_canvas_draw_image(Handle(), AImage->GetHandle(), AX, AY, &sampling, HandleOrZero(APaint));
}

void TSkCanvas::DrawImageLattice(const Ref<ISkImage>& AImage, const TSkLattice& ALattice, const TRectF& ADest,
                                 TSkFilterMode AFilterMode, const Ref<ISkPaint>& APaint) {
    CheckNotNil(AImage, "AImage");
    // The fields may have changed since the lattice was made; the native side reads the
    // arrays by the division counts.
    ALattice.Check();
    plix_irect bounds;
    const plix_lattice lattice = ALattice.ToNative(bounds);
    const plix_rect dest = ToNative(ADest);
    API::plix_canvas_draw_image_lattice(Handle(), AImage->GetHandle(), &lattice, &dest, Ord(AFilterMode),
                                        HandleOrZero(APaint));
}

void TSkCanvas::DrawImageNine(const Ref<ISkImage>& AImage, const TRect& ACenter, const TRectF& ADest,
                              TSkFilterMode AFilterMode, const Ref<ISkPaint>& APaint) {
    CheckNotNil(AImage, "AImage");
    const plix_irect center = ToNative(ACenter);
    const plix_rect dest = ToNative(ADest);
    API::plix_canvas_draw_image_nine(Handle(), AImage->GetHandle(), &center, &dest, Ord(AFilterMode),
                                     HandleOrZero(APaint));
}

void TSkCanvas::DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ADest, const Ref<ISkPaint>& APaint,
                              TSkSrcRectConstraint AConstraint) {
    DrawImageRect(AImage, ADest, TSkSamplingOptions(), APaint, AConstraint);
}

void TSkCanvas::DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ADest, const TSkSamplingOptions& ASampling,
                              const Ref<ISkPaint>& APaint, TSkSrcRectConstraint AConstraint) {
    CheckNotNil(AImage, "AImage");
    const TRectF src(0, 0, static_cast<float>(AImage->GetWidth()), static_cast<float>(AImage->GetHeight()));
    DrawImageRect(AImage, src, ADest, ASampling, APaint, AConstraint);
}

void TSkCanvas::DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ASrc, const TRectF& ADest,
                              const Ref<ISkPaint>& APaint, TSkSrcRectConstraint AConstraint) {
    DrawImageRect(AImage, ASrc, ADest, TSkSamplingOptions(), APaint, AConstraint);
}

void TSkCanvas::DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ASrc, const TRectF& ADest,
                              const TSkSamplingOptions& ASampling, const Ref<ISkPaint>& APaint,
                              TSkSrcRectConstraint AConstraint) {
    CheckNotNil(AImage, "AImage");
    const plix_rect src = ToNative(ASrc);
    const plix_rect dest = ToNative(ADest);
    const plix_sampling_options sampling = ASampling.ToNative();
    API::plix_canvas_draw_image_rect(Handle(), AImage->GetHandle(), &src, &dest, &sampling, HandleOrZero(APaint),
                                     Ord(AConstraint));
}

// ---- more shapes ----

void TSkCanvas::DrawLine(const TPointF& APoint1, const TPointF& APoint2, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_point p1 = ToNative(APoint1);
    const plix_point p2 = ToNative(APoint2);
    API::plix_canvas_draw_line(Handle(), &p1, &p2, APaint->GetHandle());
}

void TSkCanvas::DrawLine(float AX1, float AY1, float AX2, float AY2, const Ref<ISkPaint>& APaint) {
    DrawLine(TPointF(AX1, AY1), TPointF(AX2, AY2), APaint);
}

void TSkCanvas::DrawOval(const TRectF& AOval, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_rect oval = ToNative(AOval);
    API::plix_canvas_draw_oval(Handle(), &oval, APaint->GetHandle());
}

void TSkCanvas::DrawPaint(const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_paint(Handle(), APaint->GetHandle());
}

void TSkCanvas::DrawPatch(const TSkPatchCubics& ACubics, const TSkPatchColors& AColors,
                          const TSkPatchTexCoords& ATexCoords, TSkBlendMode ABlendMode, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_patch(Handle(), ToNative(std::span<const TPointF>(ACubics)), AColors.data(),
                                ToNative(std::span<const TPointF>(ATexCoords)), Ord(ABlendMode), APaint->GetHandle());
}

void TSkCanvas::DrawPath(const Ref<ISkPath>& APath, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APath, "APath");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_path(Handle(), APath->GetHandle(), APaint->GetHandle());
}

void TSkCanvas::DrawPicture(const Ref<ISkPicture>& APicture, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APicture, "APicture");
    API::plix_canvas_draw_picture(Handle(), APicture->GetHandle(), nullptr, HandleOrZero(APaint));
}

void TSkCanvas::DrawPicture(const Ref<ISkPicture>& APicture, const TMatrix& AMatrix, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APicture, "APicture");
    const plix_matrix matrix = ToNative(AMatrix);
    API::plix_canvas_draw_picture(Handle(), APicture->GetHandle(), &matrix, HandleOrZero(APaint));
}

void TSkCanvas::DrawPoint(const TPointF& APoint, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_point point = ToNative(APoint);
    API::plix_canvas_draw_point(Handle(), &point, APaint->GetHandle());
}

void TSkCanvas::DrawPoint(float AX, float AY, const Ref<ISkPaint>& APaint) { DrawPoint(TPointF(AX, AY), APaint); }

void TSkCanvas::DrawPoints(TSkDrawPointsMode AMode, std::span<const TPointF> APoints, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_points(Handle(), Ord(AMode), APoints.size(), ToNative(APoints), APaint->GetHandle());
}

void TSkCanvas::DrawRect(const TRectF& ARect, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_rect rect = ToNative(ARect);
    API::plix_canvas_draw_rect(Handle(), &rect, APaint->GetHandle());
}

void TSkCanvas::DrawRegion(const Ref<ISkRegion>& ARegion, const Ref<ISkPaint>& APaint) {
    CheckNotNil(ARegion, "ARegion");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_region(Handle(), ARegion->GetHandle(), APaint->GetHandle());
}

void TSkCanvas::DrawRoundRect(const Ref<ISkRoundRect>& ARoundRect, const Ref<ISkPaint>& APaint) {
    CheckNotNil(ARoundRect, "ARoundRect");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_rrect(Handle(), ARoundRect->GetHandle(), APaint->GetHandle());
}

void TSkCanvas::DrawRoundRect(const TRectF& ARect, float ARadiusX, float ARadiusY, const Ref<ISkPaint>& APaint) {
    CheckNotNil(APaint, "APaint");
    const plix_rect rect = ToNative(ARect);
    API::plix_canvas_draw_rrect2(Handle(), &rect, ARadiusX, ARadiusY, APaint->GetHandle());
}

void TSkCanvas::DrawRoundRectDifference(const Ref<ISkRoundRect>& AOuter, const Ref<ISkRoundRect>& AInner,
                                        const Ref<ISkPaint>& APaint) {
    CheckNotNil(AOuter, "AOuter");
    CheckNotNil(AInner, "AInner");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_rrect_difference(Handle(), AOuter->GetHandle(), AInner->GetHandle(), APaint->GetHandle());
}

// ---- text ----

void TSkCanvas::DrawSimpleText(const std::string& AText, float AX, float AY, const Ref<ISkFont>& AFont,
                               const Ref<ISkPaint>& APaint) {
    CheckNotNil(AFont, "AFont");
    CheckNotNil(APaint, "APaint");
    const std::u16string text = Utf8ToUtf16(AText);
    API::plix_canvas_draw_simple_text(Handle(), text.data(), text.size() * sizeof(char16_t), TextEncodingUtf16, AX, AY,
                                      AFont->GetHandle(), APaint->GetHandle());
}

void TSkCanvas::DrawSimpleTextGlyphs(std::span<const uint16_t> AGlyphs, float AX, float AY, const Ref<ISkFont>& AFont,
                                     const Ref<ISkPaint>& APaint) {
    CheckNotNil(AFont, "AFont");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_simple_text(Handle(), Marshal::DataOrNil(AGlyphs), AGlyphs.size_bytes(), TextEncodingGlyphId,
                                      AX, AY, AFont->GetHandle(), APaint->GetHandle());
}

void TSkCanvas::DrawTextBlob(const Ref<ISkTextBlob>& ATextBlob, float AX, float AY, const Ref<ISkPaint>& APaint) {
    CheckNotNil(ATextBlob, "ATextBlob");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_text_blob(Handle(), ATextBlob->GetHandle(), AX, AY, APaint->GetHandle());
}

void TSkCanvas::DrawVertices(const Ref<ISkVertices>& AVertices, TSkBlendMode ABlendMode, const Ref<ISkPaint>& APaint) {
    CheckNotNil(AVertices, "AVertices");
    CheckNotNil(APaint, "APaint");
    API::plix_canvas_draw_vertices(Handle(), AVertices->GetHandle(), Ord(ABlendMode), APaint->GetHandle());
}

// ---- state ----

TSkSurfaceProperties TSkCanvas::GetBaseProperties() {
    plix_surface_props props{};
    API::plix_canvas_get_base_props(Handle(), &props);
    return TSkSurfaceProperties::FromNative(props);
}

TRect TSkCanvas::GetDeviceClipBounds() {
    plix_irect bounds{};
    API::plix_canvas_get_device_clip_bounds(Handle(), &bounds);
    return FromNative(bounds);
}

TRectF TSkCanvas::GetLocalClipBounds() {
    plix_rect bounds{};
    API::plix_canvas_get_local_clip_bounds(Handle(), &bounds);
    return FromNative(bounds);
}

TMatrix3D TSkCanvas::GetLocalToDevice() {
    plix_matrix44 matrix{};
    API::plix_canvas_get_local_to_device(Handle(), &matrix);
    return FromNative(matrix);
}

TMatrix TSkCanvas::GetLocalToDeviceAs3x3() {
    plix_matrix matrix{};
    API::plix_canvas_get_local_to_device_as_3x3(Handle(), &matrix);
    return FromNative(matrix);
}

int32_t TSkCanvas::GetSaveCount() { return API::plix_canvas_get_save_count(Handle()); }

TSkSurfaceProperties TSkCanvas::GetTopProperties() {
    plix_surface_props props{};
    API::plix_canvas_get_top_props(Handle(), &props);
    return TSkSurfaceProperties::FromNative(props);
}

Ref<ISkSurface> TSkCanvas::MakeSurface(const TSkImageInfo& AImageInfo) {
    const plix_imageinfo info = AImageInfo.ToNative();
    return WrapOrNil<TSkSurface>(API::plix_canvas_make_surface(Handle(), &info, nullptr));
}

Ref<ISkSurface> TSkCanvas::MakeSurface(const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties) {
    const plix_imageinfo info = AImageInfo.ToNative();
    const plix_surface_props props = AProperties.ToNative();
    return WrapOrNil<TSkSurface>(API::plix_canvas_make_surface(Handle(), &info, &props));
}

bool TSkCanvas::QuickReject(const TRectF& ARect) {
    const plix_rect rect = ToNative(ARect);
    return API::plix_canvas_quick_reject(Handle(), &rect);
}

bool TSkCanvas::QuickReject(const Ref<ISkPath>& APath) {
    CheckNotNil(APath, "APath");
    return API::plix_canvas_quick_reject2(Handle(), APath->GetHandle());
}

void TSkCanvas::ResetMatrix() { API::plix_canvas_reset_matrix(Handle()); }
void TSkCanvas::Restore() { API::plix_canvas_restore(Handle()); }
void TSkCanvas::RestoreToCount(int32_t ASaveCount) { API::plix_canvas_restore_to_count(Handle(), ASaveCount); }
void TSkCanvas::Rotate(float ADegrees) { API::plix_canvas_rotate(Handle(), ADegrees); }

void TSkCanvas::Rotate(float ADegrees, float APX, float APY) {
    API::plix_canvas_rotate2(Handle(), ADegrees, APX, APY);
}

// 180 / pi, applied in double precision.
void TSkCanvas::RotateRadians(float ARadians) { Rotate(static_cast<float>(ARadians * 57.29577951308232)); }

int32_t TSkCanvas::Save() { return API::plix_canvas_save(Handle()); }

int32_t TSkCanvas::Layer(const TRectF* ABounds, const Ref<ISkPaint>& APaint, const Ref<ISkImageFilter>& ABackdrop,
                         TSkSaveLayerFlags AFlags) {
    const plix_rect bounds = ABounds ? ToNative(*ABounds) : plix_rect{};
    // The set's byte, zero-extended.
    const auto flags = static_cast<uint32_t>(AFlags.Bits() & 0xFFu);
    return API::plix_canvas_save_layer(Handle(), ABounds ? &bounds : nullptr, HandleOrZero(APaint),
                                       HandleOrZero(ABackdrop), flags);
}

int32_t TSkCanvas::SaveLayer(const Ref<ISkPaint>& APaint, const Ref<ISkImageFilter>& ABackdrop,
                             TSkSaveLayerFlags AFlags) {
    return Layer(nullptr, APaint, ABackdrop, AFlags);
}

int32_t TSkCanvas::SaveLayer(const TRectF& ABounds, const Ref<ISkPaint>& APaint, const Ref<ISkImageFilter>& ABackdrop,
                             TSkSaveLayerFlags AFlags) {
    return Layer(&ABounds, APaint, ABackdrop, AFlags);
}

int32_t TSkCanvas::SaveLayerAlpha(uint8_t AAlpha) { return API::plix_canvas_save_layer_alpha(Handle(), nullptr, AAlpha); }

int32_t TSkCanvas::SaveLayerAlpha(const TRectF& ABounds, uint8_t AAlpha) {
    const plix_rect bounds = ToNative(ABounds);
    return API::plix_canvas_save_layer_alpha(Handle(), &bounds, AAlpha);
}

void TSkCanvas::Scale(float AScaleX, float AScaleY) { API::plix_canvas_scale(Handle(), AScaleX, AScaleY); }

void TSkCanvas::SetMatrix(const TMatrix& AMatrix) {
    const plix_matrix matrix = ToNative(AMatrix);
    API::plix_canvas_set_matrix2(Handle(), &matrix);
}

void TSkCanvas::SetMatrix(const TMatrix3D& AMatrix) {
    const plix_matrix44 matrix = ToNative(AMatrix);
    API::plix_canvas_set_matrix(Handle(), &matrix);
}

void TSkCanvas::Skew(float ASkewX, float ASkewY) { API::plix_canvas_skew(Handle(), ASkewX, ASkewY); }

void TSkCanvas::Translate(float ADeltaX, float ADeltaY) { API::plix_canvas_translate(Handle(), ADeltaX, ADeltaY); }

void TSkCanvas::__DestroyHandle(NativeUInt AHandle) { API::plix_canvas_destroy(AHandle); }

}  // namespace Skia
