// The span kernels for one instruction set (see SpanKernels.h); included by the stage file of
// that set, inside its namespace rules (internal linkage, no shared inline code).
#include <algorithm>
#include <cstring>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "raster/SimdTypes.h"
#include "raster/SpanKernels.h"

namespace plix::PLIX_RASTER_ISA {

namespace {

using namespace simd;

// Eight pixels at a time, as four channel vectors (structure of arrays): the channel shifts and
// conversions are plain 32-bit lane operations that every instruction set has.
struct Px8 {
    F c[4];
};

inline Px8 load8(const uint32_t* p) {
    U v;
    std::memcpy(&v, p, sizeof(v));
    const I iv = reinterpret_cast<I&>(v);
    return {{cast(iv & 255), cast((iv >> 8) & 255), cast((iv >> 16) & 255), cast(I((v >> 24)))}};
}
// Clamps to 0..255 (NaN to 0) and rounds half up, as the pipeline's store does.
inline I byte(F v) {
    v = v > 0 ? v : F{};
    v = v < 255 ? v : splat(255);
    return trunc(v + 0.5f);
}
inline void store8(uint32_t* p, const Px8& o) {
    const I v = byte(o.c[0]) | byte(o.c[1]) << 8 | byte(o.c[2]) << 16 | byte(o.c[3]) << 24;
    std::memcpy(p, &v, sizeof(v));
}
// Coverage of eight pixels as fractions.
inline F coverage8(const uint8_t* cov) {
#if defined(__AVX2__)
    const __m256i v = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cov)));
    I iv;
    std::memcpy(&iv, &v, sizeof(iv));
#else
    I iv;
    for (int k = 0; k < kLanes; ++k) iv[k] = cov[k];
#endif
    return cast(iv) * (1 / 255.0f);
}

void fill(uint32_t* dst, int n, uint32_t px) {
    for (int i = 0; i < n; ++i) dst[i] = px;
}

// (x + 128 + ((x + 128) >> 8)) >> 8 is x / 255 rounded for x below 65536: applied to the two
// 16-bit halves of a word at once.
inline uint32_t div255x2(uint32_t x) {
    x += 0x00800080u;
    return ((x + ((x >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
}

void lerpCov(uint32_t* dst, int n, const float c[4], const uint8_t* cov) {
    // Short runs (the edges of shapes) one pixel at a time in integers, two channels a word:
    // the colour rounded to bytes is within half a level of c.
    uint32_t px = 0;
    for (int j = 0; j < 4; ++j) px |= uint32_t(std::min(std::max(c[j], 0.0f), 255.0f) + 0.5f) << (8 * j);
    const uint32_t crb = px & 0x00ff00ffu, cag = (px >> 8) & 0x00ff00ffu;
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        const F k = coverage8(cov + i);
        Px8 d = load8(dst + i);
        for (int j = 0; j < 4; ++j) d.c[j] = d.c[j] + (c[j] - d.c[j]) * k;
        store8(dst + i, d);
    }
    for (; i < n; ++i) {
        const uint32_t k = cov[i], ik = 255 - k, d = dst[i];
        dst[i] = div255x2(crb * k + (d & 0x00ff00ffu) * ik) | div255x2(cag * k + ((d >> 8) & 0x00ff00ffu) * ik) << 8;
    }
}

constexpr SpanKernels kKernels = {fill, lerpCov};

}  // namespace

const SpanKernels* spanKernels() { return &kKernels; }

}  // namespace plix::PLIX_RASTER_ISA
