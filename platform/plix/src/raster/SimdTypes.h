// The vector types the stage loops compute with: kLanes floats or ints, through GCC/Clang
// vector extensions so that one source serves every instruction set the compiler targets.
// Included only by the per-instruction-set stage files: the helpers have internal linkage so
// that each file keeps the copies compiled with its own flags.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "raster/Pipeline.h"

namespace plix::simd {
namespace {

using F = float __attribute__((vector_size(kLanes * 4)));
using I = int32_t __attribute__((vector_size(kLanes * 4)));
using U = uint32_t __attribute__((vector_size(kLanes * 4)));

inline F splat(float v) { return F{} + v; }
inline F min(F a, F b) { return a < b ? a : b; }
inline F max(F a, F b) { return a > b ? a : b; }
inline F clamp01(F v) { return min(max(v, F{}), splat(1)); }  // NaN -> 0
inline F sel(I cond, F a, F b) { return cond ? a : b; }
inline F abs(F v) { return v < 0 ? -v : v; }
inline F sqrt(F v) {
    F r;
    for (int k = 0; k < kLanes; ++k) r[k] = __builtin_sqrtf(v[k]);
    return r;
}
inline F floor(F v) {
    F r;
    for (int k = 0; k < kLanes; ++k) r[k] = __builtin_floorf(v[k]);
    return r;
}
inline F cast(I v) { return __builtin_convertvector(v, F); }
inline F cast(U v) { return __builtin_convertvector(v, F); }
inline I trunc(F v) { return __builtin_convertvector(v, I); }
// Round half up after clamping: v must be in a range that fits.
inline U roundU(F v) { return __builtin_convertvector(v + 0.5f, U); }

inline F& at(float* p, int i) { return *reinterpret_cast<F*>(p + i); }

}  // namespace
}  // namespace plix::simd
