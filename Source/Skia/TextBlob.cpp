#include "Skia/TextBlob.h"

#include "Skia/API.h"
#include "Skia/Font.h"
#include "Skia/Marshal.h"
#include "Skia/Paint.h"
#include "Skia/Utf16.h"

namespace Skia {

namespace {

constexpr int32_t TextEncodingUtf16 = 1;

// The number of glyphs the font gives the text: the length every position array must have.
size_t GlyphCount(const std::u16string& AText, const Ref<ISkFont>& AFont) {
    const int32_t n = API::plix_font_get_glyphs_count(AFont->GetHandle(), AText.data(),
                                                      AText.size() * sizeof(char16_t), TextEncodingUtf16);
    return static_cast<size_t>(n > 0 ? n : 0);
}

}  // namespace

Ref<ISkTextBlob> TSkTextBlob::MakeFromText(const std::string& AText, const Ref<ISkFont>& AFont) {
    CheckNotNil(AFont, "AFont");
    const std::u16string text = Utf8ToUtf16(AText);
    return WrapOrNil<TSkTextBlob>(API::plix_textblob_make_from_text(text.data(), text.size() * sizeof(char16_t),
                                                                    AFont->GetHandle(), TextEncodingUtf16));
}

Ref<ISkTextBlob> TSkTextBlob::MakeFromTextHorizontallyPositioned(const std::string& AText,
                                                                 std::span<const float> AXPositions, float AY,
                                                                 const Ref<ISkFont>& AFont) {
    CheckNotNil(AFont, "AFont");
    const std::u16string text = Utf8ToUtf16(AText);
    if (AXPositions.size() != GlyphCount(text, AFont)) RaiseParameterSizeMismatch("AXPositions");
    return WrapOrNil<TSkTextBlob>(API::plix_textblob_make_from_text_horizontally_positioned(
        text.data(), text.size() * sizeof(char16_t), Marshal::DataOrNil(AXPositions), AY, AFont->GetHandle(),
        TextEncodingUtf16));
}

Ref<ISkTextBlob> TSkTextBlob::MakeFromTextPositioned(const std::string& AText, std::span<const Ui::TPointF> APositions,
                                                     const Ref<ISkFont>& AFont) {
    CheckNotNil(AFont, "AFont");
    const std::u16string text = Utf8ToUtf16(AText);
    if (APositions.size() != GlyphCount(text, AFont)) RaiseParameterSizeMismatch("APositions");
    return WrapOrNil<TSkTextBlob>(API::plix_textblob_make_from_text_positioned(
        text.data(), text.size() * sizeof(char16_t), Marshal::ToNative(APositions), AFont->GetHandle(),
        TextEncodingUtf16));
}

Ref<ISkTextBlob> TSkTextBlob::MakeFromTextTransform(const std::string& AText,
                                                    std::span<const TSkRotationScaleMatrix> AMatrices,
                                                    const Ref<ISkFont>& AFont) {
    CheckNotNil(AFont, "AFont");
    const std::u16string text = Utf8ToUtf16(AText);
    if (AMatrices.size() != GlyphCount(text, AFont)) RaiseParameterSizeMismatch("AMatrices");
    return WrapOrNil<TSkTextBlob>(API::plix_textblob_make_from_text_transform(
        text.data(), text.size() * sizeof(char16_t),
        reinterpret_cast<const plix_rsxform*>(Marshal::DataOrNil(AMatrices)), AFont->GetHandle(), TextEncodingUtf16));
}

std::vector<float> TSkTextBlob::GetIntercepts(float AUpperBounds, float ALowerBounds, const Ref<ISkPaint>& APaint) {
    const float bounds[2] = {AUpperBounds, ALowerBounds};
    const int32_t count = API::plix_textblob_get_intercepts(Handle(), bounds, nullptr, HandleOrZero(APaint));
    std::vector<float> result(static_cast<size_t>(count > 0 ? count : 0));
    if (!result.empty()) API::plix_textblob_get_intercepts(Handle(), bounds, result.data(), HandleOrZero(APaint));
    return result;
}

void TSkTextBlob::__RefHandle(NativeUInt AHandle) { API::plix_textblob_ref(AHandle); }
void TSkTextBlob::__UnrefHandle(NativeUInt AHandle) { API::plix_textblob_unref(AHandle); }

}  // namespace Skia
