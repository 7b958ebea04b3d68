// The span kernels for one instruction set (see SpanKernels.h); included by the stage file of
// that set, inside its namespace rules (internal linkage, no shared inline code).
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

// A run of pixels: whole groups of eight, then the rest through a zero-padded copy.
template <class Body>
inline void runs(uint32_t* dst, int n, const uint8_t* cov, Body&& body) {
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) body(dst + i, cov ? coverage8(cov + i) : splat(1));
    if (i < n) {
        // Lane by lane, so that short tails (the edges of anti-aliased shapes) cost no calls.
        const int left = n - i;
        alignas(32) uint32_t tmp[kLanes] = {};
        alignas(8) uint8_t tc[kLanes] = {};
        for (int k = 0; k < left; ++k) tmp[k] = dst[i + k];
        if (cov)
            for (int k = 0; k < left; ++k) tc[k] = cov[i + k];
        body(tmp, cov ? coverage8(tc) : splat(1));
        for (int k = 0; k < left; ++k) dst[i + k] = tmp[k];
    }
}

void fill(uint32_t* dst, int n, uint32_t px) {
    for (int i = 0; i < n; ++i) dst[i] = px;
}

void srcOver(uint32_t* dst, int n, const float c[4]) {
    const F inv = splat(1.0f - c[3] * (1 / 255.0f));
    runs(dst, n, nullptr, [&](uint32_t* p, F) {
        Px8 d = load8(p);
        for (int k = 0; k < 4; ++k) d.c[k] = c[k] + d.c[k] * inv;
        store8(p, d);
    });
}

void srcOverCov(uint32_t* dst, int n, const float c[4], const uint8_t* cov) {
    const float a = c[3] * (1 / 255.0f);
    runs(dst, n, cov, [&](uint32_t* p, F k) {
        Px8 d = load8(p);
        const F inv = 1.0f - a * k;
        for (int j = 0; j < 4; ++j) d.c[j] = c[j] * k + d.c[j] * inv;
        store8(p, d);
    });
}

void lerpCov(uint32_t* dst, int n, const float c[4], const uint8_t* cov) {
    runs(dst, n, cov, [&](uint32_t* p, F k) {
        Px8 d = load8(p);
        for (int j = 0; j < 4; ++j) d.c[j] = d.c[j] + (c[j] - d.c[j]) * k;
        store8(p, d);
    });
}

constexpr SpanKernels kKernels = {fill, srcOver, srcOverCov, lerpCov};

}  // namespace

const SpanKernels* spanKernels() { return &kKernels; }

}  // namespace plix::PLIX_RASTER_ISA
