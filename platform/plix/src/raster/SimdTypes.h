// The vector types the stage loops compute with: kLanes floats or ints, through GCC/Clang
// vector extensions so that one source serves every instruction set the compiler targets.
// Included only by the per-instruction-set stage files: the helpers have internal linkage so
// that each file keeps the copies compiled with its own flags.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include <immintrin.h>

#include "raster/Pipeline.h"

namespace plix::simd {
namespace {

static_assert(kLanes == 8, "the helpers below are written for eight lanes");
using F = float __attribute__((vector_size(kLanes * 4)));
using I = int32_t __attribute__((vector_size(kLanes * 4)));
using U = uint32_t __attribute__((vector_size(kLanes * 4)));

inline F splat(float v) { return F{} + v; }
inline F min(F a, F b) { return a < b ? a : b; }
inline F max(F a, F b) { return a > b ? a : b; }
inline F clamp01(F v) { return min(max(v, F{}), splat(1)); }  // NaN -> 0
inline F sel(I cond, F a, F b) { return cond ? a : b; }
inline F abs(F v) { return v < 0 ? -v : v; }
inline F cast(I v);
inline I trunc(F v);
// Square root: the vector instruction where there is one (a loop of scalar square roots is
// not vectorized by the compiler).
inline F sqrt(F v) {
#if defined(__AVX__)
    __m256 x;
    std::memcpy(&x, &v, sizeof(x));
    x = _mm256_sqrt_ps(x);
    std::memcpy(&v, &x, sizeof(v));
    return v;
#else
    __m128 lo, hi;
    std::memcpy(&lo, &v, 16);
    std::memcpy(&hi, reinterpret_cast<const char*>(&v) + 16, 16);
    lo = _mm_sqrt_ps(lo), hi = _mm_sqrt_ps(hi);
    std::memcpy(&v, &lo, 16);
    std::memcpy(reinterpret_cast<char*>(&v) + 16, &hi, 16);
    return v;
#endif
}
// Floor through truncation: values of 2^23 and more (and NaN) are already whole.
inline F floor(F v) {
    F t = cast(trunc(v));
    t = t > v ? t - 1.0f : t;
    return (v < 0 ? -v : v) < 8388608.0f ? t : v;
}
inline F cast(I v) { return __builtin_convertvector(v, F); }
inline F cast(U v) { return __builtin_convertvector(v, F); }
inline I trunc(F v) { return __builtin_convertvector(v, I); }
// Round half up after clamping: v must be in a range that fits.
inline U roundU(F v) { return __builtin_convertvector(v + 0.5f, U); }

inline F& at(float* p, int i) { return *reinterpret_cast<F*>(p + i); }

}  // namespace
}  // namespace plix::simd
