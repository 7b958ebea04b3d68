// The 8-bit form of SrcOver into premultiplied 32-bit pixels (RGBA8888 or BGRA8888: the rules
// treat the four channels alike). The reference engine draws SrcOver of a solid colour, and of
// pixels placed one-to-one (sprites, layers coming back), into such targets with 8-bit integers
// in 16-bit lanes rather than with its float pipeline, and their rounding is in its pictures:
// the destination's share is scaled by (256 - alpha) and shifted down, so a faint colour drawn
// again and again walks the destination down where the float pipeline's round-to-nearest stays
// put. Every other blend mode, and every shaded source (gradients, sampled or scaled images,
// colour shaders, runtime shaders), stays in the float pipeline there, with round-to-nearest on
// store; so do all draws into other formats (Alpha8, RGB565 measured) and unpremultiplied ones.
//
// The rules, per channel (s, d: premultiplied 8-bit source and destination, sa its alpha):
//   full coverage:         s + (d (256 - sa) >> 8)
//   coverage c (0..255):   k = c + 1, s' = s k >> 8, a' = sa k >> 8;  s' + (d (256 - a') >> 8)
//   sprite, paint alpha A: k = A + 1, P = 65535 - sa k, X = (P + (P >> 8)) >> 8;  (s k + d X) >> 8
// The scalar functions below are the rules as written; the kernels, built per instruction set,
// must give exactly the same bytes.
#pragma once

#include <cstdint>

namespace plix {

namespace lowp {

constexpr uint32_t srcOver(uint32_t s, uint32_t d, uint32_t sa) { return s + ((d * (256 - sa)) >> 8); }
constexpr uint32_t srcOverCoverage(uint32_t s, uint32_t d, uint32_t sa, uint32_t c) {
    const uint32_t k = c + 1;
    return ((s * k) >> 8) + ((d * (256 - ((sa * k) >> 8))) >> 8);
}
// Source channels above the source's alpha count as the alpha.
constexpr uint32_t spriteOver(uint32_t s, uint32_t d, uint32_t sa, uint32_t alpha) {
    s = s < sa ? s : sa;
    const uint32_t k = alpha + 1, p = 65535 - sa * k;
    return (s * k + d * ((p + (p >> 8)) >> 8)) >> 8;
}

// Whole pixels, channel by channel. Solid colours must be premultiplied (no channel above the
// alpha): then no result passes 255.
template <class Rule>
constexpr uint32_t perChannel(uint32_t s, uint32_t d, Rule&& rule) {
    uint32_t out = 0;
    for (int ch = 0; ch < 32; ch += 8) {
        out |= rule((s >> ch) & 255, (d >> ch) & 255, s >> 24) << ch;
    }
    return out;
}

}  // namespace lowp

struct LowpKernels {
    // dst = color over dst; color premultiplied, in the pixels' channel order
    void (*srcOver)(uint32_t* dst, int n, uint32_t color);
    // the same with a coverage byte per pixel
    void (*srcOverCoverage)(uint32_t* dst, int n, uint32_t color, const uint8_t* cov);
    // dst = src over dst with the paint's alpha (0..255), pixels premultiplied
    void (*spriteOver)(uint32_t* dst, const uint32_t* src, int n, uint32_t alpha);
};

// The build for the active instruction set.
const LowpKernels& lowpKernels();

}  // namespace plix
