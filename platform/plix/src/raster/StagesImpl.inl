// Fast stages: each is a loop over the batch in steps of kLanes, on vector registers. Built
// once per instruction set: the including file defines PLIX_RASTER_ISA (a namespace name) and
// is compiled with that set's flags. Everything here has internal linkage or lives in that
// namespace, so no inline function compiled for one set is linked into another's code.
#include <cmath>

#include "core/ColorSpace.h"
#include "raster/Pipeline.h"
#include "raster/SimdTypes.h"

namespace plix::PLIX_RASTER_ISA {

using namespace simd;

namespace {

// References into the batch for lanes [i, i + kLanes).
struct Px {
    F &x, &y, &r, &g, &b, &a, &dr, &dg, &db, &da, &c;
};

template <class Body>
inline void each(Batch& bt, Body&& body) {
    for (int i = 0; i < bt.n; i += kLanes) {
        Px p{at(bt.x, i),  at(bt.y, i),  at(bt.r, i),  at(bt.g, i),  at(bt.b, i), at(bt.a, i),
             at(bt.dr, i), at(bt.dg, i), at(bt.db, i), at(bt.da, i), at(bt.c, i)};
        body(p);
    }
}

inline F inv(F v) { return 1.0f - v; }

void seed_shader(Batch& bt, const void*) {
    const F iota = {0.5f, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f, 7.5f};
    const float y = float(bt.dy) + 0.5f;
    for (int i = 0; i < bt.n; i += kLanes) {
        at(bt.x, i) = iota + float(bt.dx + i);
        at(bt.y, i) = splat(y);
    }
}

void matrix_2x3(Batch& bt, const void* ctx) {
    const float* m = static_cast<const float*>(ctx);
    each(bt, [&](Px p) {
        const F x = p.x, y = p.y;
        p.x = m[0] * x + m[1] * y + m[2];
        p.y = m[3] * x + m[4] * y + m[5];
    });
}

void matrix_perspective(Batch& bt, const void* ctx) {
    const float* m = static_cast<const float*>(ctx);
    each(bt, [&](Px p) {
        const F x = p.x, y = p.y;
        const F w = m[6] * x + m[7] * y + m[8];
        const F iw = 1.0f / w;
        p.x = (m[0] * x + m[1] * y + m[2]) * iw;
        p.y = (m[3] * x + m[4] * y + m[5]) * iw;
    });
}

void constant_color(Batch& bt, const void* ctx) {
    const float* c = static_cast<const float*>(ctx);
    each(bt, [&](Px p) { p.r = splat(c[0]), p.g = splat(c[1]), p.b = splat(c[2]), p.a = splat(c[3]); });
}

void load_src(Batch& bt, const void* ctx) {
    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
    m->load(m->addr(bt.dx, bt.dy), bt.n, bt.r, bt.g, bt.b, bt.a);
}
void load_dst(Batch& bt, const void* ctx) {
    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
    m->load(m->addr(bt.dx, bt.dy), bt.n, bt.dr, bt.dg, bt.db, bt.da);
}
void store(Batch& bt, const void* ctx) {
    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
    m->store(m->addr(bt.dx, bt.dy), bt.n, bt.r, bt.g, bt.b, bt.a);
}

void premul(Batch& bt, const void*) { each(bt, [](Px p) { p.r *= p.a, p.g *= p.a, p.b *= p.a; }); }
void premul_dst(Batch& bt, const void*) { each(bt, [](Px p) { p.dr *= p.da, p.dg *= p.da, p.db *= p.da; }); }
void unpremul(Batch& bt, const void*) {
    each(bt, [](Px p) {
        const F s = sel(p.a > 0, 1.0f / p.a, F{});
        p.r *= s, p.g *= s, p.b *= s;
    });
}
void force_opaque(Batch& bt, const void*) { each(bt, [](Px p) { p.a = splat(1); }); }
void force_opaque_dst(Batch& bt, const void*) { each(bt, [](Px p) { p.da = splat(1); }); }
void clamp_01(Batch& bt, const void*) {
    each(bt, [](Px p) { p.r = clamp01(p.r), p.g = clamp01(p.g), p.b = clamp01(p.b), p.a = clamp01(p.a); });
}
void clamp_a(Batch& bt, const void*) {
    each(bt, [](Px p) {
        p.a = clamp01(p.a);
        p.r = min(max(p.r, F{}), p.a), p.g = min(max(p.g, F{}), p.a), p.b = min(max(p.b, F{}), p.a);
    });
}
void scale_1_float(Batch& bt, const void* ctx) {
    const float v = *static_cast<const float*>(ctx);
    each(bt, [&](Px p) { p.r *= v, p.g *= v, p.b *= v, p.a *= v; });
}
void scale_coverage(Batch& bt, const void*) {
    each(bt, [](Px p) { p.r *= p.c, p.g *= p.c, p.b *= p.c, p.a *= p.c; });
}
void lerp_coverage(Batch& bt, const void*) {
    each(bt, [](Px p) {
        p.r = p.dr + (p.r - p.dr) * p.c;
        p.g = p.dg + (p.g - p.dg) * p.c;
        p.b = p.db + (p.b - p.db) * p.c;
        p.a = p.da + (p.a - p.da) * p.c;
    });
}

// 8x8 ordered dither. M interleaves the low three bits of x and x^y into a 6-bit index of the
// Bayer matrix; the offset stays strictly inside (-0.5, 0.5) steps so exact values survive.
void dither(Batch& bt, const void* ctx) {
    const float rate = *static_cast<const float*>(ctx);
    const I iota = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int i = 0; i < bt.n; i += kLanes) {
        const I X = iota + (bt.dx + i), Y = (I{} + bt.dy) ^ X;
        const I M = (Y & 1) << 5 | (X & 1) << 4 | (Y & 2) << 2 | (X & 2) << 1 | (Y & 4) >> 1 | (X & 4) >> 2;
        const F d = (cast(M) * (2 / 128.0f) - 63 / 128.0f) * rate;
        F& a = at(bt.a, i);
        at(bt.r, i) = min(max(at(bt.r, i) + d, F{}), a);
        at(bt.g, i) = min(max(at(bt.g, i) + d, F{}), a);
        at(bt.b, i) = min(max(at(bt.b, i) + d, F{}), a);
    }
}

void transfer_fn(Batch& bt, const void* ctx) {
    const TransferFn& f = *static_cast<const TransferFn*>(ctx);
    for (int i = 0; i < bt.n; ++i) {
        bt.r[i] = f.eval(bt.r[i]);
        bt.g[i] = f.eval(bt.g[i]);
        bt.b[i] = f.eval(bt.b[i]);
    }
}

void gamut(Batch& bt, const void* ctx) {
    const float* m = static_cast<const Matrix3*>(ctx)->m.data();
    each(bt, [&](Px p) {
        const F r = p.r, g = p.g, b = p.b;
        p.r = m[0] * r + m[1] * g + m[2] * b;
        p.g = m[3] * r + m[4] * g + m[5] * b;
        p.b = m[6] * r + m[7] * g + m[8] * b;
    });
}

inline void swapF(F& a, F& b) {
    const F t = a;
    a = b, b = t;
}
void swap_src_dst(Batch& bt, const void*) {
    each(bt, [](Px p) { swapF(p.r, p.dr), swapF(p.g, p.dg), swapF(p.b, p.db), swapF(p.a, p.da); });
}

void save_src(Batch& bt, const void* ctx) {
    SavedColor* s = const_cast<SavedColor*>(static_cast<const SavedColor*>(ctx));
    const size_t bytes = sizeof(float) * size_t(bt.n + kLanes - 1) / kLanes * kLanes;
    std::memcpy(s->r, bt.r, bytes), std::memcpy(s->g, bt.g, bytes);
    std::memcpy(s->b, bt.b, bytes), std::memcpy(s->a, bt.a, bytes);
    std::memcpy(s->x, bt.x, bytes), std::memcpy(s->y, bt.y, bytes);
}
void restore_xy(Batch& bt, const void* ctx) {
    const SavedColor* s = static_cast<const SavedColor*>(ctx);
    const size_t bytes = sizeof(float) * size_t(bt.n + kLanes - 1) / kLanes * kLanes;
    std::memcpy(bt.x, s->x, bytes), std::memcpy(bt.y, s->y, bytes);
}
void saved_to_dst(Batch& bt, const void* ctx) {
    const SavedColor* s = static_cast<const SavedColor*>(ctx);
    const size_t bytes = sizeof(float) * size_t(bt.n + kLanes - 1) / kLanes * kLanes;
    std::memcpy(bt.dr, s->r, bytes), std::memcpy(bt.dg, s->g, bytes);
    std::memcpy(bt.db, s->b, bytes), std::memcpy(bt.da, s->a, bytes);
}

void callback(Batch& bt, const void* ctx) {
    const CallbackCtx* cb = static_cast<const CallbackCtx*>(ctx);
    cb->fn(cb->self, bt.n, bt.x, bt.y, bt.r, bt.g, bt.b, bt.a);
}

// ---- blend modes, premultiplied ----

// Separable modes: one formula per channel, alpha by srcover.
template <class Fn>
inline void separable(Batch& bt, Fn&& fn) {
    each(bt, [&](Px p) {
        const F sa = p.a, da = p.da;
        p.r = fn(p.r, p.dr, sa, da);
        p.g = fn(p.g, p.dg, sa, da);
        p.b = fn(p.b, p.db, sa, da);
        p.a = sa + da - sa * da;
    });
}
// Porter-Duff style: the same formula on all four channels.
template <class Fn>
inline void allChannels(Batch& bt, Fn&& fn) {
    each(bt, [&](Px p) {
        const F sa = p.a, da = p.da;
        p.r = fn(p.r, p.dr, sa, da);
        p.g = fn(p.g, p.dg, sa, da);
        p.b = fn(p.b, p.db, sa, da);
        p.a = fn(p.a, p.da, sa, da);
    });
}

void blend_Clear(Batch& bt, const void*) { each(bt, [](Px p) { p.r = p.g = p.b = p.a = F{}; }); }
void blend_Src(Batch&, const void*) {}
void blend_Dst(Batch& bt, const void*) { each(bt, [](Px p) { p.r = p.dr, p.g = p.dg, p.b = p.db, p.a = p.da; }); }
void blend_SrcOver(Batch& bt, const void*) { allChannels(bt, [](F s, F d, F sa, F) { return s + d * inv(sa); }); }
void blend_DstOver(Batch& bt, const void*) { allChannels(bt, [](F s, F d, F, F da) { return d + s * inv(da); }); }
void blend_SrcIn(Batch& bt, const void*) { allChannels(bt, [](F s, F, F, F da) { return s * da; }); }
void blend_DstIn(Batch& bt, const void*) { allChannels(bt, [](F, F d, F sa, F) { return d * sa; }); }
void blend_SrcOut(Batch& bt, const void*) { allChannels(bt, [](F s, F, F, F da) { return s * inv(da); }); }
void blend_DstOut(Batch& bt, const void*) { allChannels(bt, [](F, F d, F sa, F) { return d * inv(sa); }); }
void blend_SrcATop(Batch& bt, const void*) {
    allChannels(bt, [](F s, F d, F sa, F da) { return s * da + d * inv(sa); });
}
void blend_DstATop(Batch& bt, const void*) {
    allChannels(bt, [](F s, F d, F sa, F da) { return d * sa + s * inv(da); });
}
void blend_Xor(Batch& bt, const void*) {
    allChannels(bt, [](F s, F d, F sa, F da) { return s * inv(da) + d * inv(sa); });
}
void blend_Plus(Batch& bt, const void*) { allChannels(bt, [](F s, F d, F, F) { return min(s + d, splat(1)); }); }
void blend_Modulate(Batch& bt, const void*) { allChannels(bt, [](F s, F d, F, F) { return s * d; }); }
void blend_Screen(Batch& bt, const void*) { allChannels(bt, [](F s, F d, F, F) { return s + d - s * d; }); }

inline F hardlight(F s, F d, F sa, F da) {
    return s * inv(da) + d * inv(sa) + sel(2 * s <= sa, 2 * s * d, sa * da - 2 * (da - d) * (sa - s));
}
void blend_Overlay(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) { return hardlight(d, s, da, sa); });
}
void blend_Darken(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) { return s + d - max(s * da, d * sa); });
}
void blend_Lighten(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) { return s + d - min(s * da, d * sa); });
}
void blend_ColorDodge(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) {
        const F general = sa * min(da, (d * sa) / (sa - s)) + s * inv(da) + d * inv(sa);
        return sel(d == 0, s * inv(da), sel(s >= sa, s + d * inv(sa), general));
    });
}
void blend_ColorBurn(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) {
        const F general = sa * (da - min(da, (da - d) * sa / s)) + s * inv(da) + d * inv(sa);
        return sel(d >= da, d + s * inv(da), sel(s == 0, d * inv(sa), general));
    });
}
void blend_HardLight(Batch& bt, const void*) { separable(bt, hardlight); }
void blend_SoftLight(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) {
        const F m = sel(da > 0, d / da, F{});
        const F s2 = 2 * s, m4 = 4 * m;
        const F darkSrc = d * (sa + (s2 - sa) * (1.0f - m));
        const F darkDst = (m4 * m4 + m4) * (m - 1.0f) + 7.0f * m;
        const F liteDst = sqrt(m) - m;
        const F liteSrc = d * sa + da * (s2 - sa) * sel(4 * d <= da, darkDst, liteDst);
        return s * inv(da) + d * inv(sa) + sel(s2 <= sa, darkSrc, liteSrc);
    });
}
void blend_Difference(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) { return s + d - 2 * min(s * da, d * sa); });
}
void blend_Exclusion(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F, F) { return s + d - 2 * s * d; });
}
void blend_Multiply(Batch& bt, const void*) {
    separable(bt, [](F s, F d, F sa, F da) { return s * inv(da) + d * inv(sa) + s * d; });
}

// ---- non-separable modes ----

inline F maxOf(F r, F g, F b) { return max(r, max(g, b)); }
inline F minOf(F r, F g, F b) { return min(r, min(g, b)); }
inline F sat(F r, F g, F b) { return maxOf(r, g, b) - minOf(r, g, b); }
inline F lum(F r, F g, F b) { return r * 0.30f + g * 0.59f + b * 0.11f; }

inline void setSat(F& r, F& g, F& b, F s) {
    const F mn = minOf(r, g, b), mx = maxOf(r, g, b), range = mx - mn;
    auto scale = [&](F c) { return sel(range == 0, F{}, (c - mn) * s / range); };
    r = scale(r), g = scale(g), b = scale(b);
}
inline void setLum(F& r, F& g, F& b, F l) {
    const F diff = l - lum(r, g, b);
    r += diff, g += diff, b += diff;
}
inline void clipColor(F& r, F& g, F& b, F a) {
    const F mn = minOf(r, g, b), mx = maxOf(r, g, b), l = lum(r, g, b);
    auto clip = [&](F c) {
        c = sel((mn < 0) & (l - mn != 0), l + (c - l) * l / (l - mn), c);
        c = sel((mx > a) & (mx - l != 0), l + (c - l) * (a - l) / (mx - l), c);
        return max(c, F{});
    };
    r = clip(r), g = clip(g), b = clip(b);
}

template <class Fn>
inline void nonSeparable(Batch& bt, Fn&& fn) {
    each(bt, [&](Px p) {
        const F sa = p.a, da = p.da;
        F R, G, B;
        fn(p, R, G, B);
        clipColor(R, G, B, sa * da);
        p.r = p.r * inv(da) + p.dr * inv(sa) + R;
        p.g = p.g * inv(da) + p.dg * inv(sa) + G;
        p.b = p.b * inv(da) + p.db * inv(sa) + B;
        p.a = sa + da - sa * da;
    });
}
void blend_Hue(Batch& bt, const void*) {
    nonSeparable(bt, [](Px& p, F& R, F& G, F& B) {
        R = p.r * p.a, G = p.g * p.a, B = p.b * p.a;
        setSat(R, G, B, sat(p.dr, p.dg, p.db) * p.a);
        setLum(R, G, B, lum(p.dr, p.dg, p.db) * p.a);
    });
}
void blend_Saturation(Batch& bt, const void*) {
    nonSeparable(bt, [](Px& p, F& R, F& G, F& B) {
        R = p.dr * p.a, G = p.dg * p.a, B = p.db * p.a;
        setSat(R, G, B, sat(p.r, p.g, p.b) * p.da);
        setLum(R, G, B, lum(p.dr, p.dg, p.db) * p.a);
    });
}
void blend_Color(Batch& bt, const void*) {
    nonSeparable(bt, [](Px& p, F& R, F& G, F& B) {
        R = p.r * p.da, G = p.g * p.da, B = p.b * p.da;
        setLum(R, G, B, lum(p.dr, p.dg, p.db) * p.a);
    });
}
void blend_Luminosity(Batch& bt, const void*) {
    nonSeparable(bt, [](Px& p, F& R, F& G, F& B) {
        R = p.dr * p.a, G = p.dg * p.a, B = p.db * p.a;
        setLum(R, G, B, lum(p.r, p.g, p.b) * p.da);
    });
}

constexpr StageFn kFns[] = {
#define X(name) name,
    PLIX_STAGES(X)
#undef X
};
static_assert(sizeof(kFns) / sizeof(kFns[0]) == kOpCount);

}  // namespace

const StageFn* stageTable() { return kFns; }

}  // namespace plix::PLIX_RASTER_ISA
