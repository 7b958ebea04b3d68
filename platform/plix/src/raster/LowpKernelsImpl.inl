// The 8-bit SrcOver kernels for one instruction set (see LowpKernels.h); included by the stage
// file of that set, inside its namespace rules (internal linkage, no shared inline code).
// Eight pixels at a time as 32 channels in 16-bit lanes: every product of the rules (at most
// 255 x 256) fits a lane, so the compiler can use the widest 16-bit multiplies the set has.
#include <cstring>

#include "raster/LowpKernels.h"

namespace plix::PLIX_RASTER_ISA {

namespace {

namespace lowpv {

using Bytes = uint8_t __attribute__((vector_size(32)));    // eight pixels as stored
using Cov = uint8_t __attribute__((vector_size(8)));       // their coverage bytes
using Lanes = uint16_t __attribute__((vector_size(64)));   // eight pixels, a lane a channel
using Words = uint32_t __attribute__((vector_size(32)));

inline Lanes widen(Bytes v) { return __builtin_convertvector(v, Lanes); }
inline Bytes narrow(Lanes v) { return __builtin_convertvector(v, Bytes); }
inline Lanes load(const uint32_t* p) {
    Bytes v;
    std::memcpy(&v, p, sizeof(v));
    return widen(v);
}
inline void store(uint32_t* p, Lanes v) {
    const Bytes b = narrow(v);
    std::memcpy(p, &b, sizeof(b));
}
inline Lanes splatPixel(uint32_t px) {
    const Words w = Words{} + px;
    return widen(reinterpret_cast<const Bytes&>(w));
}
// Each pixel's alpha lane copied into its four lanes.
inline Lanes alphas(Lanes v) {
    return __builtin_shufflevector(v, v, 3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15, 19, 19, 19, 19, 23,
                                   23, 23, 23, 27, 27, 27, 27, 31, 31, 31, 31);
}
// Each pixel's coverage byte in its four lanes.
inline Lanes coverage(const uint8_t* cov) {
    Cov c;
    std::memcpy(&c, cov, sizeof(c));
    const Bytes b = __builtin_shufflevector(c, c, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5,
                                            5, 6, 6, 6, 6, 7, 7, 7, 7);
    return widen(b);
}

}  // namespace lowpv

void lowpSrcOver(uint32_t* dst, int n, uint32_t color) {
    using namespace lowpv;
    const Lanes s = splatPixel(color);
    const uint16_t inv = uint16_t(256 - (color >> 24));
    int i = 0;
    for (; i + 8 <= n; i += 8) store(dst + i, s + ((load(dst + i) * inv) >> 8));
    for (; i < n; ++i) dst[i] = lowp::perChannel(color, dst[i], lowp::srcOver);
}

void lowpSrcOverCoverage(uint32_t* dst, int n, uint32_t color, const uint8_t* cov) {
    using namespace lowpv;
    const Lanes s = splatPixel(color);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const Lanes k = coverage(cov + i) + 1;
        const Lanes sk = (s * k) >> 8;
        store(dst + i, sk + ((load(dst + i) * (256 - alphas(sk))) >> 8));
    }
    for (; i < n; ++i) {
        const uint32_t c = cov[i];
        dst[i] = lowp::perChannel(color, dst[i], [c](uint32_t s, uint32_t d, uint32_t sa) {
            return lowp::srcOverCoverage(s, d, sa, c);
        });
    }
}

void lowpSpriteOver(uint32_t* dst, const uint32_t* src, int n, uint32_t alpha) {
    using namespace lowpv;
    const uint16_t k = uint16_t(alpha + 1);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        Lanes s = load(src + i);
        const Lanes sa = alphas(s);
        s = s < sa ? s : sa;
        // (p + (p >> 8)) >> 8 without passing 16 bits.
        const Lanes p = 65535 - sa * k;
        const Lanes x = (p >> 8) + (((p & 255) + (p >> 8)) >> 8);
        store(dst + i, (s * k + load(dst + i) * x) >> 8);
    }
    for (; i < n; ++i) dst[i] = lowp::perChannel(src[i], dst[i], [alpha](uint32_t s, uint32_t d, uint32_t sa) {
        return lowp::spriteOver(s, d, sa, alpha);
    });
}

constexpr LowpKernels kLowpKernels = {lowpSrcOver, lowpSrcOverCoverage, lowpSpriteOver};

}  // namespace

const LowpKernels* lowpKernels() { return &kLowpKernels; }

}  // namespace plix::PLIX_RASTER_ISA
