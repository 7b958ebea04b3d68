// Weight, width and slant of a typeface, with the distance used to pick the closest face.
#pragma once

#include <cstdint>

namespace plix {

enum class FontSlant : int32_t { Upright, Italic, Oblique };

struct FontStyle {
    int32_t weight = 400;  // 100..1000
    int32_t width = 5;     // 1..9
    FontSlant slant = FontSlant::Upright;

    bool operator==(const FontStyle&) const = default;
    static constexpr FontStyle Normal() { return {}; }
    static constexpr FontStyle Bold() { return {700, 5, FontSlant::Upright}; }
};

// Smaller is closer: width first, then slant, then weight (the CSS order of preference).
int64_t styleDistance(const FontStyle& want, const FontStyle& have);

}  // namespace plix
