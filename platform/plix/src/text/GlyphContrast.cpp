// The coverage adjustment of anti-aliased glyph masks. Edge pixels are blended in sRGB values,
// which makes dark text on a light ground look thin and light text on a dark ground look bold;
// the reference engine corrects for that by the text colour's luminance alone (the ground is
// unknown when the mask is made). Its tables were measured (raw coverage against the reference's
// drawn coverage, DejaVu text of several sizes and colours) and follow
//   dark text:  a = 1 - (1 - c)^k, k from 0.64 (black) rising to 1 at mid luminance;
//   light text: a = c^p, p from 1 at mid luminance to 0.52 at 3/4 and 0.45 (white).
// Luminance is the Rec. 709 weighting of the sRGB values.
#include <array>
#include <cmath>
#include <mutex>

#include "text/GlyphRun.h"

namespace plix {

namespace {

constexpr int kLevels = 64;  // luminance steps

using Table = std::array<uint8_t, 256>;

Table makeTable(float lum) {
    Table t;
    float k = 1, p = 1;
    if (lum < 0.5f) k = 0.64f + (1 - 0.64f) * (lum / 0.5f);
    else if (lum < 0.75f) p = 1 + (0.52f - 1) * ((lum - 0.5f) / 0.25f);
    else p = 0.52f + (0.45f - 0.52f) * ((lum - 0.75f) / 0.25f);
    for (int i = 0; i < 256; ++i) {
        const float c = i / 255.0f;
        const float a = lum < 0.5f ? 1 - std::pow(1 - c, k) : std::pow(c, p);
        t[size_t(i)] = uint8_t(std::lround(std::min(std::max(a, 0.0f), 1.0f) * 255));
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
