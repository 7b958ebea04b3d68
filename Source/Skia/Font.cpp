#include "Skia/Font.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"
#include "Skia/Paint.h"
#include "Skia/Path.h"
#include "Skia/Utf16.h"

namespace Skia {

namespace {

// Text encodings of the native side.
constexpr int32_t TextEncodingUtf16 = 1;
constexpr int32_t TextEncodingGlyphId = 3;

int32_t Count(std::span<const uint16_t> AGlyphs) { return static_cast<int32_t>(AGlyphs.size()); }
size_t GlyphBytes(std::span<const uint16_t> AGlyphs) { return AGlyphs.size() * sizeof(uint16_t); }

}  // namespace

Ref<ISkFont> TSkFont::Create(const Ref<ISkTypeface>& ATypeface, float ASize, float AScaleX, float ASkewX) {
    return WrapCreated<TSkFont>(API::plix_font_create(HandleOrZero(ATypeface), ASize, AScaleX, ASkewX));
}

Ref<ISkFont> TSkFont::Create(const Ref<ISkFont>& AFont) {
    CheckNotNil(AFont, "AFont");
    return WrapCreated<TSkFont>(API::plix_font_create2(AFont->GetHandle()));
}

void TSkFont::__DestroyHandle(NativeUInt AHandle) { API::plix_font_destroy(AHandle); }

bool TSkFont::GetBaselineSnap() { return API::plix_font_get_baseline_snap(Handle()); }

std::vector<Ui::TRectF> TSkFont::GetBounds(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint) {
    std::vector<Ui::TRectF> result(AGlyphs.size());
    API::plix_font_get_widths_bounds(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs), nullptr,
                                     reinterpret_cast<plix_rect*>(result.data()), HandleOrZero(APaint));
    return result;
}

TSkFontEdging TSkFont::GetEdging() { return TSkFontEdging(API::plix_font_get_edging(Handle())); }
bool TSkFont::GetEmbeddedBitmaps() { return API::plix_font_get_embedded_bitmaps(Handle()); }
bool TSkFont::GetEmbolden() { return API::plix_font_get_embolden(Handle()); }
bool TSkFont::GetForceAutoHinting() { return API::plix_font_get_force_auto_hinting(Handle()); }

std::vector<uint16_t> TSkFont::GetGlyphs(const std::string& AText) {
    const std::u16string text = Utf8ToUtf16(AText);
    const size_t bytes = text.size() * sizeof(char16_t);
    const int32_t count = API::plix_font_get_glyphs_count(Handle(), text.data(), bytes, TextEncodingUtf16);
    std::vector<uint16_t> result(static_cast<size_t>(count > 0 ? count : 0));
    if (!result.empty())
        API::plix_font_get_glyphs(Handle(), text.data(), bytes, TextEncodingUtf16, result.data(), count);
    return result;
}

TSkFontHinting TSkFont::GetHinting() { return TSkFontHinting(API::plix_font_get_hinting(Handle())); }

std::vector<float> TSkFont::GetHorizontalPositions(std::span<const uint16_t> AGlyphs, float AOriginX) {
    std::vector<float> result(AGlyphs.size());
    API::plix_font_get_horizontal_positions(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs), result.data(),
                                            AOriginX);
    return result;
}

std::vector<float> TSkFont::GetIntercepts(std::span<const uint16_t> AGlyphs, std::span<const Ui::TPointF> APositions,
                                          float AUpperBounds, float ALowerBounds, const Ref<ISkPaint>& APaint) {
    if (APositions.size() != AGlyphs.size()) RaiseParameterSizeMismatch("APositions");
    const size_t count = API::plix_font_get_intercepts(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs),
                                                       Marshal::ToNative(APositions), AUpperBounds, ALowerBounds,
                                                       nullptr, HandleOrZero(APaint));
    std::vector<float> result(count);
    if (count)
        API::plix_font_get_intercepts(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs),
                                      Marshal::ToNative(APositions), AUpperBounds, ALowerBounds, result.data(),
                                      HandleOrZero(APaint));
    return result;
}

bool TSkFont::GetLinearMetrics() { return API::plix_font_get_linear_metrics(Handle()); }

float TSkFont::GetMetrics(TSkFontMetrics& AMetrics) {
    return API::plix_font_get_metrics(Handle(), reinterpret_cast<plix_font_metrics*>(&AMetrics));
}

Ref<ISkPath> TSkFont::GetPath(uint16_t AGlyph) { return WrapOrNil<TSkPath>(API::plix_font_get_path(Handle(), AGlyph)); }

void TSkFont::GetPaths(std::span<const uint16_t> AGlyphs, const TSkGlyphPathProc& AProc) {
    if (!AProc) return;
    struct Context {
        const TSkGlyphPathProc* proc;
    } context{&AProc};
    const plix_font_path_proc callback = [](plix_handle path, const plix_matrix* matrix, void* user) {
        const auto* c = static_cast<Context*>(user);
        const Ref<ISkPath> wrapped = WrapOrNil<TSkPath>(path, false);
        (*c->proc)(wrapped, matrix ? Marshal::FromNative(*matrix) : Ui::TMatrix::Identity());
    };
    API::plix_font_get_paths(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs), callback, &context);
}

std::vector<Ui::TPointF> TSkFont::GetPositions(std::span<const uint16_t> AGlyphs) {
    return GetPositions(AGlyphs, Ui::TPointF(0, 0));
}

std::vector<Ui::TPointF> TSkFont::GetPositions(std::span<const uint16_t> AGlyphs, const Ui::TPointF& AOrigin) {
    std::vector<Ui::TPointF> result(AGlyphs.size());
    const plix_point origin = Marshal::ToNative(AOrigin);
    API::plix_font_get_positions(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs),
                                 reinterpret_cast<plix_point*>(result.data()), &origin);
    return result;
}

float TSkFont::GetScaleX() { return API::plix_font_get_scale_x(Handle()); }
float TSkFont::GetSize() { return API::plix_font_get_size(Handle()); }
float TSkFont::GetSkewX() { return API::plix_font_get_skew_x(Handle()); }
float TSkFont::GetSpacing() { return API::plix_font_get_metrics(Handle(), nullptr); }
bool TSkFont::GetSubpixel() { return API::plix_font_get_subpixel(Handle()); }

Ref<ISkTypeface> TSkFont::GetTypeface() { return WrapOrNil<TSkTypeface>(API::plix_font_get_typeface(Handle())); }

Ref<ISkTypeface> TSkFont::GetTypefaceOrDefault() {
    return WrapOrNil<TSkTypeface>(API::plix_font_get_typeface_or_default(Handle()));
}

std::vector<float> TSkFont::GetWidths(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint) {
    std::vector<float> result(AGlyphs.size());
    API::plix_font_get_widths_bounds(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs), result.data(), nullptr,
                                     HandleOrZero(APaint));
    return result;
}

void TSkFont::GetWidthsAndBounds(std::span<const uint16_t> AGlyphs, std::vector<float>& AWidths,
                                 std::vector<Ui::TRectF>& ABounds, const Ref<ISkPaint>& APaint) {
    AWidths.clear();
    ABounds.clear();
    AWidths.resize(AGlyphs.size());
    ABounds.resize(AGlyphs.size());
    API::plix_font_get_widths_bounds(Handle(), Marshal::DataOrNil(AGlyphs), Count(AGlyphs), AWidths.data(),
                                     reinterpret_cast<plix_rect*>(ABounds.data()), HandleOrZero(APaint));
}

bool TSkFont::IsEqual(const Ref<ISkFont>& AFont) {
    CheckNotNil(AFont, "AFont");
    return API::plix_font_is_equal(Handle(), AFont->GetHandle());
}

Ref<ISkFont> TSkFont::MakeWithSize(float ASize) {
    Ref<ISkFont> result = Create(Ref<ISkFont>(this));
    result->SetSize(ASize);
    return result;
}

float TSkFont::MeasureText(const std::string& AText, const Ref<ISkPaint>& APaint) {
    const std::u16string text = Utf8ToUtf16(AText);
    return API::plix_font_measure_text(Handle(), text.data(), text.size() * sizeof(char16_t), TextEncodingUtf16,
                                       nullptr, HandleOrZero(APaint));
}

float TSkFont::MeasureText(const std::string& AText, Ui::TRectF& ABounds, const Ref<ISkPaint>& APaint) {
    const std::u16string text = Utf8ToUtf16(AText);
    plix_rect bounds{};
    const float result = API::plix_font_measure_text(Handle(), text.data(), text.size() * sizeof(char16_t),
                                                     TextEncodingUtf16, &bounds, HandleOrZero(APaint));
    ABounds = Marshal::FromNative(bounds);
    return result;
}

float TSkFont::MeasureTextGlyphs(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint) {
    if (AGlyphs.empty()) return 0;
    return API::plix_font_measure_text(Handle(), AGlyphs.data(), GlyphBytes(AGlyphs), TextEncodingGlyphId, nullptr,
                                       HandleOrZero(APaint));
}

float TSkFont::MeasureTextGlyphs(std::span<const uint16_t> AGlyphs, Ui::TRectF& ABounds, const Ref<ISkPaint>& APaint) {
    if (AGlyphs.empty()) {
        ABounds = Ui::TRectF();
        return 0;
    }
    plix_rect bounds{};
    const float result = API::plix_font_measure_text(Handle(), AGlyphs.data(), GlyphBytes(AGlyphs),
                                                     TextEncodingGlyphId, &bounds, HandleOrZero(APaint));
    ABounds = Marshal::FromNative(bounds);
    return result;
}

void TSkFont::SetBaselineSnap(bool AValue) { API::plix_font_set_baseline_snap(Handle(), AValue); }
void TSkFont::SetEdging(TSkFontEdging AValue) { API::plix_font_set_edging(Handle(), Marshal::Ord(AValue)); }
void TSkFont::SetEmbeddedBitmaps(bool AValue) { API::plix_font_set_embedded_bitmaps(Handle(), AValue); }
void TSkFont::SetEmbolden(bool AValue) { API::plix_font_set_embolden(Handle(), AValue); }
void TSkFont::SetForceAutoHinting(bool AValue) { API::plix_font_set_force_auto_hinting(Handle(), AValue); }
void TSkFont::SetHinting(TSkFontHinting AValue) { API::plix_font_set_hinting(Handle(), Marshal::Ord(AValue)); }
void TSkFont::SetLinearMetrics(bool AValue) { API::plix_font_set_linear_metrics(Handle(), AValue); }
void TSkFont::SetScaleX(float AValue) { API::plix_font_set_scale_x(Handle(), AValue); }
void TSkFont::SetSize(float AValue) { API::plix_font_set_size(Handle(), AValue); }
void TSkFont::SetSkewX(float AValue) { API::plix_font_set_skew_x(Handle(), AValue); }
void TSkFont::SetSubpixel(bool AValue) { API::plix_font_set_subpixel(Handle(), AValue); }
void TSkFont::SetTypeface(const Ref<ISkTypeface>& AValue) { API::plix_font_set_typeface(Handle(), HandleOrZero(AValue)); }

uint16_t TSkFont::UnicharToGlyph(int32_t AUnichar) { return API::plix_font_unichar_to_glyph(Handle(), AUnichar); }

std::vector<uint16_t> TSkFont::UnicharsToGlyphs(std::span<const int32_t> AUnichars) {
    std::vector<uint16_t> result(AUnichars.size());
    API::plix_font_unichars_to_glyphs(Handle(), AUnichars.data(), static_cast<int32_t>(AUnichars.size()),
                                      result.data());
    return result;
}

}  // namespace Skia
