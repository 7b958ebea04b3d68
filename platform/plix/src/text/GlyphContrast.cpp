// The coverage adjustment of anti-aliased glyph masks. Edge pixels are blended in sRGB values,
// which makes dark text on a light ground look thin and light text on a dark ground look bold;
// the reference engine corrects for that by the text colour's luminance alone (the ground is
// unknown when the mask is made), assuming the ground is the opposite extreme. The table gives
// the coverage a that, blended in sRGB values, lands where blending c in a space of gamma kGamma
// would: a = ((c L^g + (1 - c) (1 - L)^g)^(1/g) - (1 - L)) / (2 L - 1).
#include <array>
#include <cmath>
#include <mutex>

#include "text/GlyphRun.h"

namespace plix {

namespace {

constexpr float kGamma = 1.95f;
constexpr int kLevels = 64;  // luminance steps

using Table = std::array<uint8_t, 256>;

Table makeTable(float lum) {
    Table t;
    const float fg = std::pow(lum, kGamma), bg = std::pow(1 - lum, kGamma);
    const float den = 2 * lum - 1;
    for (int i = 0; i < 256; ++i) {
        const float c = i / 255.0f;
        float a = c;
        if (std::abs(den) > 1e-3f) a = (std::pow(c * fg + (1 - c) * bg, 1 / kGamma) - (1 - lum)) / den;
        a = std::min(std::max(a, 0.0f), 1.0f);
        t[size_t(i)] = uint8_t(std::lround(a * 255));
    }
    t[0] = 0, t[255] = 255;
    return t;
}

}  // namespace

const uint8_t* glyphContrastTable(const float color[4]) {
    static std::array<Table, kLevels> tables;
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < kLevels; ++i) tables[size_t(i)] = makeTable(float(i) / (kLevels - 1));
    });
    auto clamp01 = [](float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; };
    const float lum = 0.2126f * clamp01(color[0]) + 0.7152f * clamp01(color[1]) + 0.0722f * clamp01(color[2]);
    return tables[size_t(std::lround(lum * (kLevels - 1)))].data();
}

}  // namespace plix
