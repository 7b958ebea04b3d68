// Math on GCC vector types (any lane count), for the fast executor. Polynomial approximations
// after Cephes, accurate to a few float ulps over the ranges shaders use; special values follow
// the scalar reference: NaN in gives NaN out, log(0) is -inf, exp2 of a huge value is +inf and
// of a very negative one 0, sqrt of a negative number is NaN.
//
// Included inside the namespace of each user (every instruction set has its own copy, so the
// copies built with different compiler flags never mix); include <cstdint> and, for the
// rounding instructions, <immintrin.h> first.

namespace vmath {

// F: float lanes, I: int32 lanes, U: uint32 lanes, all of one size.
template <class F>
struct Lanes;

template <class F, class I>
inline F select(I mask, F a, F b) {
    return (F)((mask & (I)a) | (~mask & (I)b));
}

template <class F, class I>
inline F vabs(F x) {
    return (F)((I)x & 0x7fffffff);
}

// min and max ignore a NaN operand (the other one wins), so clamp, saturate and smoothstep
// turn NaN into a bound, as GPUs do.
template <class F, class I>
inline F vmin(F a, F b) {  // b < a or a is NaN ? b : a
    return select<F, I>((I)(b < a) | (I)(a != a), b, a);
}

template <class F, class I>
inline F vmax(F a, F b) {  // a < b or a is NaN ? b : a
    return select<F, I>((I)(a < b) | (I)(a != a), b, a);
}

// Truncation to int, with NaN giving 0 and out-of-range values saturating.
template <class F, class I>
inline I toInt(F x) {
    I big = (I)(x >= 2147483648.0f);
    x = select<F, I>((I)(x == x), x, F{} + 0.0f);
    x = select<F, I>((I)(x < -2147483648.0f), F{} - 2147483648.0f, x);
    x = select<F, I>(big, F{} + 0.0f, x);
    I r = __builtin_convertvector(x, I);
    return (r & ~big) | (big & 0x7fffffff);
}

// floor and ceil, exact, with IEEE results for -0.0 and for negative fractions of one
// (ceil(-0.25) is -0.0): the rounding instructions where the instruction set has them, else
// by way of integer conversion.
template <class F, class I>
inline F vfloor(F x) {
#if defined(__AVX512F__)
    if constexpr (sizeof(F) == 64) return (F)_mm512_roundscale_ps((__m512)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
#endif
#if defined(__AVX__)
    if constexpr (sizeof(F) == 32) return (F)_mm256_floor_ps((__m256)x);
#endif
#if defined(__SSE4_1__)
    if constexpr (sizeof(F) == 16) return (F)_mm_floor_ps((__m128)x);
#endif
    F t = __builtin_convertvector(__builtin_convertvector(x, I), F);
    t = t - select<F, I>((I)(t > x), F{} + 1.0f, F{} + 0.0f);
    t = (F)((I)t | ((I)x & (int32_t)0x80000000));
    // Large values (and inf, NaN) are already integral.
    return select<F, I>((I)(vabs<F, I>(x) < 8388608.0f), t, x);
}

template <class F, class I>
inline F vceil(F x) {
#if defined(__AVX512F__)
    if constexpr (sizeof(F) == 64) return (F)_mm512_roundscale_ps((__m512)x, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC);
#endif
#if defined(__AVX__)
    if constexpr (sizeof(F) == 32) return (F)_mm256_ceil_ps((__m256)x);
#endif
#if defined(__SSE4_1__)
    if constexpr (sizeof(F) == 16) return (F)_mm_ceil_ps((__m128)x);
#endif
    F t = __builtin_convertvector(__builtin_convertvector(x, I), F);
    t = t + select<F, I>((I)(t < x), F{} + 1.0f, F{} + 0.0f);
    t = (F)((I)t | ((I)x & (int32_t)0x80000000));
    return select<F, I>((I)(vabs<F, I>(x) < 8388608.0f), t, x);
}

// IEEE square root.
template <class F>
inline F vsqrt(F x) {
#if defined(__AVX512F__)
    if constexpr (sizeof(F) == 64) return (F)_mm512_sqrt_ps((__m512)x);
#endif
#if defined(__AVX__)
    if constexpr (sizeof(F) == 32) return (F)_mm256_sqrt_ps((__m256)x);
#endif
    if constexpr (sizeof(F) == 16) return (F)_mm_sqrt_ps((__m128)x);
    F r;
    for (size_t i = 0; i < sizeof(F) / sizeof(float); ++i) r[i] = __builtin_sqrtf(x[i]);
    return r;
}

// Rounds to the nearest integer (ties away from zero does not matter for the uses here).
template <class F, class I>
inline F vround(F x) {
    return vfloor<F, I>(x + 0.5f);
}

// True when any lane of a mask (all ones or all zeros per lane) is set.
template <class F, class I>
inline bool anyLane(I mask) {
#if defined(__AVX512F__)
    if constexpr (sizeof(I) == 64) return _mm512_test_epi32_mask((__m512i)mask, (__m512i)mask) != 0;
#endif
#if defined(__AVX__)
    if constexpr (sizeof(I) == 32) return !_mm256_testz_si256((__m256i)mask, (__m256i)mask);
#endif
    if constexpr (sizeof(I) == 16) return _mm_movemask_ps((__m128)mask) != 0;
    int32_t acc = 0;
    for (size_t i = 0; i < sizeof(I) / sizeof(int32_t); ++i) acc |= mask[i];
    return acc != 0;
}

// sin or cos: x reduced by multiples of pi/2 (in three float parts, exact while the multiple
// has at most 16 bits; beyond that, lane by lane in double precision), then a polynomial on
// [-pi/4, pi/4]. Beyond 1e15 the result is 0, for infinities NaN.
template <class F, class I>
inline F vsin_cos(F x, bool cosine) {
    constexpr float kTwoOverPi = 0.636619772367581343f;
    constexpr float kA = 1.5703125f, kB = 4.837512969970703125e-4f, kC = 7.54978995489188216e-8f;
    F q = vround<F, I>(x * kTwoOverPi);
    F r = ((x - q * kA) - q * kB) - q * kC;
    I quadrant = __builtin_convertvector(q, I);
    I large = (I)(vabs<F, I>(x) > 65536.0f) | (I)(x != x);
    if (anyLane<F, I>(large)) [[unlikely]] {
        constexpr int kLanes = sizeof(F) / sizeof(float);
        for (int i = 0; i < kLanes; ++i) {
            if (!large[i]) continue;
            double d = x[i];
            if (!(d == d)) {
                r[i] = x[i];
                quadrant[i] = 0;
            } else if (d > 1e15 || d < -1e15) {
                r[i] = (d > 1e300 || d < -1e300) ? __builtin_nanf("") : 0.0f;  // inf: NaN
                quadrant[i] = 0;
            } else {
                double k = __builtin_floor(d * 0.63661977236758134308 + 0.5);
                r[i] = static_cast<float>(d - k * 1.57079632679489661923);
                quadrant[i] = static_cast<int32_t>(static_cast<int64_t>(k) & 3);
            }
        }
    }
    quadrant = quadrant + (cosine ? 1 : 0);
    F z = r * r;
    F s = r + r * z * (-1.6666654611e-1f + z * (8.3321608736e-3f + z * (-1.9515295891e-4f)));
    F c = 1.0f - 0.5f * z +
          z * z * (4.166664568298827e-2f + z * (-1.388731625493765e-3f + z * 2.443315711809948e-5f));
    F v = select<F, I>((quadrant & 1) != 0, c, s);
    return select<F, I>((quadrant & 2) != 0, -v, v);
}

template <class F, class I>
inline F vsin(F x) { return vsin_cos<F, I>(x, false); }

template <class F, class I>
inline F vcos(F x) { return vsin_cos<F, I>(x, true); }

// atan for any x: Cephes atanf.
template <class F, class I>
inline F vatan(F x) {
    constexpr float kPiOver2 = 1.5707963267948966f, kPiOver4 = 0.7853981633974483f;
    F ax = vabs<F, I>(x);
    I big = (I)(ax > 2.414213562373095f);
    I mid = (I)(ax > 0.4142135623730950f) & ~big;
    F y = select<F, I>(big, F{} + kPiOver2, select<F, I>(mid, F{} + kPiOver4, F{} + 0.0f));
    F t = select<F, I>(big, -1.0f / ax, select<F, I>(mid, (ax - 1.0f) / (ax + 1.0f), ax));
    F z = t * t;
    y = y + ((((8.05374449538e-2f * z - 1.38776856032e-1f) * z + 1.99777106478e-1f) * z -
              3.33329491539e-1f) * z * t + t);
    return (F)((I)y | ((I)x & (int32_t)0x80000000));
}

template <class F, class I>
inline F vatan2(F y, F x) {
    constexpr float kPi = 3.14159265358979323846f, kPiOver2 = 1.5707963267948966f;
    F a = vatan<F, I>(y / x);
    a = a + select<F, I>((I)(x < 0.0f), select<F, I>((I)(y >= 0.0f), F{} + kPi, F{} - kPi),
                         F{} + 0.0f);
    F onAxis = select<F, I>((I)(y > 0.0f), F{} + kPiOver2,
                            select<F, I>((I)(y < 0.0f), F{} - kPiOver2, F{} + 0.0f));
    a = select<F, I>((I)(x == 0.0f), onAxis, a);
    return a;
}

// asin: Cephes asinf; |x| > 1 gives NaN.
template <class F, class I>
inline F vasin(F x) {
    constexpr float kPiOver2 = 1.5707963267948966f;
    F ax = vabs<F, I>(x);
    I large = (I)(ax > 0.5f);
    F z = select<F, I>(large, 0.5f * (1.0f - ax), ax * ax);
    F t = select<F, I>(large, vsqrt<F>(z), ax);
    F p = ((((4.2163199048e-2f * z + 2.4181311049e-2f) * z + 4.5470025998e-2f) * z +
            7.4953002686e-2f) * z + 1.6666752422e-1f) * z * t + t;
    p = select<F, I>(large, kPiOver2 - (p + p), p);
    p = select<F, I>((I)(ax <= 1.0f), p, F{} + __builtin_nanf(""));
    return (F)((I)p ^ ((I)x & (int32_t)0x80000000));
}

template <class F, class I>
inline F vexp2(F x) {
    F n = vfloor<F, I>(x + 0.5f);
    F f = x - n;
    F p = 1.0f + f * (6.931472028550421e-1f + f * (2.402264791363012e-1f + f * (5.550332471162809e-2f +
                  f * (9.618437357674640e-3f + f * (1.339887440266574e-3f + f * 1.535336188319500e-4f)))));
    I ni = __builtin_convertvector(vmax<F, I>(vmin<F, I>(n, F{} + 127.0f), F{} - 126.0f), I);
    F scale = (F)((ni + 127) << 23);
    F r = p * scale;
    r = select<F, I>((I)(x > 128.0f), F{} + __builtin_inff(), r);
    r = select<F, I>((I)(x < -126.0f), F{} + 0.0f, r);
    return select<F, I>((I)(x == x), r, x);
}

template <class F, class I>
inline F vexp(F x) {
    return vexp2<F, I>(x * 1.4426950408889634f);
}

// Natural log: Cephes logf. 0 (and denormals) give -inf, negatives NaN, inf stays inf.
template <class F, class I>
inline F vlog(F x) {
    I bits = (I)x;
    I e = ((bits >> 23) & 0xff) - 127;
    F m = (F)((bits & 0x007fffff) | 0x3f800000);  // [1, 2)
    I adjust = (I)(m > 1.41421356237f);
    m = select<F, I>(adjust, m * 0.5f, m);
    e = e - adjust;  // adjust is -1 where true
    F ef = __builtin_convertvector(e, F);
    F t = m - 1.0f;
    F z = t * t;
    F y = ((((((((7.0376836292e-2f * t - 1.1514610310e-1f) * t + 1.1676998740e-1f) * t -
                1.2420140846e-1f) * t + 1.4249322787e-1f) * t - 1.6668057665e-1f) * t +
             2.0000714765e-1f) * t - 2.4999993993e-1f) * t + 3.3333331174e-1f) * t * z;
    y = y + -2.12194440e-4f * ef;
    y = y + -0.5f * z;
    F r = t + y;
    r = r + 0.693359375f * ef;
    r = select<F, I>((I)(x < 1.17549435e-38f), F{} - __builtin_inff(), r);
    r = select<F, I>((I)(x < 0.0f), F{} + __builtin_nanf(""), r);
    r = select<F, I>((I)(x == __builtin_inff()), x, r);
    return select<F, I>((I)(x == x), r, x);
}

template <class F, class I>
inline F vlog2(F x) {
    return vlog<F, I>(x) * 1.4426950408889634f;
}

// pow(x, y) = exp2(y * log2(x)); x < 0 gives NaN.
template <class F, class I>
inline F vpow(F x, F y) {
    return vexp2<F, I>(y * vlog2<F, I>(x));
}

}  // namespace vmath
