// A typeface's weight, width and slant; crosses to the native side by pointer.
#pragma once

#include <cstdint>

#include "plix/plix_types.h"

namespace Skia {

enum class TSkFontSlant : int32_t { Upright, Italic, Oblique };
// The native library's codes, passed through unchanged.
enum class TSkFontEdging : int32_t { Alias, AntiAlias, SubpixelAntiAlias };
enum class TSkFontHinting : int32_t { None, Slight, Normal, Full };

struct TSkFontStyle {
    int32_t Weight = 400;
    int32_t Width = 5;
    TSkFontSlant Slant = TSkFontSlant::Upright;

    static constexpr TSkFontStyle Create(int32_t AWeight, int32_t AWidth, TSkFontSlant ASlant) {
        return {AWeight, AWidth, ASlant};
    }
    static constexpr TSkFontStyle Normal() { return {400, 5, TSkFontSlant::Upright}; }
    static constexpr TSkFontStyle Bold() { return {700, 5, TSkFontSlant::Upright}; }
    static constexpr TSkFontStyle Italic() { return {400, 5, TSkFontSlant::Italic}; }
    static constexpr TSkFontStyle BoldItalic() { return {700, 5, TSkFontSlant::Italic}; }

    friend constexpr bool operator==(const TSkFontStyle&, const TSkFontStyle&) = default;
};

static_assert(sizeof(TSkFontStyle) == sizeof(plix_font_style));

// The font metrics record, copied unchanged from the native side.
struct TSkFontMetrics {
    uint32_t Flags = 0;
    float Top = 0, Ascent = 0, Descent = 0, Bottom = 0, Leading = 0;
    float AvgCharWidth = 0, MaxCharWidth = 0, XMin = 0, XMax = 0, XHeight = 0, CapHeight = 0;
    float UnderlineThickness = 0, UnderlinePosition = 0, StrikeoutThickness = 0, StrikeoutPosition = 0;
};

static_assert(sizeof(TSkFontMetrics) == sizeof(plix_font_metrics));

}  // namespace Skia
