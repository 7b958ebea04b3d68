// Fast stages: each is a loop over the batch in steps of kLanes, on vector registers. Built
// once per instruction set: the including file defines PLIX_RASTER_ISA (a namespace name) and
// is compiled with that set's flags. Everything here has internal linkage or lives in that
// namespace, so no inline function compiled for one set is linked into another's code.
#include <cmath>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "core/ColorSpace.h"
#include "raster/Pipeline.h"
#include "raster/ShadingScalar.h"
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
    const size_t bytes = sizeof(float) * (size_t(bt.n + kLanes - 1) / kLanes * kLanes);
    std::memcpy(s->r, bt.r, bytes), std::memcpy(s->g, bt.g, bytes);
    std::memcpy(s->b, bt.b, bytes), std::memcpy(s->a, bt.a, bytes);
    std::memcpy(s->x, bt.x, bytes), std::memcpy(s->y, bt.y, bytes);
}
void restore_xy(Batch& bt, const void* ctx) {
    const SavedColor* s = static_cast<const SavedColor*>(ctx);
    const size_t bytes = sizeof(float) * (size_t(bt.n + kLanes - 1) / kLanes * kLanes);
    std::memcpy(bt.x, s->x, bytes), std::memcpy(bt.y, s->y, bytes);
}
void saved_to_dst(Batch& bt, const void* ctx) {
    const SavedColor* s = static_cast<const SavedColor*>(ctx);
    const size_t bytes = sizeof(float) * (size_t(bt.n + kLanes - 1) / kLanes * kLanes);
    std::memcpy(bt.dr, s->r, bytes), std::memcpy(bt.dg, s->g, bytes);
    std::memcpy(bt.db, s->b, bytes), std::memcpy(bt.da, s->a, bytes);
}

void callback(Batch& bt, const void* ctx) {
    const CallbackCtx* cb = static_cast<const CallbackCtx*>(ctx);
    cb->fn(cb->self, bt.n, bt.x, bt.y, bt.r, bt.g, bt.b, bt.a);
}
void callback_blend(Batch& bt, const void* ctx) {
    const BlendCallbackCtx* cb = static_cast<const BlendCallbackCtx*>(ctx);
    float* const src[4] = {bt.r, bt.g, bt.b, bt.a};
    const float* const dst[4] = {bt.dr, bt.dg, bt.db, bt.da};
    cb->fn(cb->self, bt.n, src, dst);
}

// ---- 8888 memory ----

template <bool BGRA>
inline void load8888(Batch& bt, const void* ctx, float* R, float* G, float* B, float* A) {
    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
    const uint32_t* px = static_cast<const uint32_t*>(m->addr(bt.dx, bt.dy));
    for (int i = 0; i < bt.n; i += kLanes) {
        U v{};
        if (i + kLanes <= bt.n)
            std::memcpy(&v, px + i, sizeof(v));
        else
            for (int k = 0; k < bt.n - i; ++k) v[k] = px[i + k];
        const I iv = reinterpret_cast<const I&>(v);
        const F c0 = cast(iv & 255) * (1 / 255.0f), c1 = cast((iv >> 8) & 255) * (1 / 255.0f);
        const F c2 = cast((iv >> 16) & 255) * (1 / 255.0f), c3 = cast(I(v >> 24)) * (1 / 255.0f);
        at(R, i) = BGRA ? c2 : c0;
        at(G, i) = c1;
        at(B, i) = BGRA ? c0 : c2;
        at(A, i) = c3;
    }
}
inline I unorm255(F v) { return trunc(clamp01(v) * 255.0f + 0.5f); }
template <bool BGRA>
inline void store8888(Batch& bt, const void* ctx) {
    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
    uint32_t* px = static_cast<uint32_t*>(m->addr(bt.dx, bt.dy));
    for (int i = 0; i < bt.n; i += kLanes) {
        const I r = unorm255(at(bt.r, i)), g = unorm255(at(bt.g, i)), b = unorm255(at(bt.b, i));
        const I v = (BGRA ? b : r) | g << 8 | (BGRA ? r : b) << 16 | unorm255(at(bt.a, i)) << 24;
        if (i + kLanes <= bt.n)
            std::memcpy(px + i, &v, sizeof(v));
        else
            for (int k = 0; k < bt.n - i; ++k) px[i + k] = uint32_t(v[k]);
    }
}
void load_rgba(Batch& bt, const void* ctx) { load8888<false>(bt, ctx, bt.r, bt.g, bt.b, bt.a); }
void load_dst_rgba(Batch& bt, const void* ctx) { load8888<false>(bt, ctx, bt.dr, bt.dg, bt.db, bt.da); }
void store_rgba(Batch& bt, const void* ctx) { store8888<false>(bt, ctx); }
void load_bgra(Batch& bt, const void* ctx) { load8888<true>(bt, ctx, bt.r, bt.g, bt.b, bt.a); }
void load_dst_bgra(Batch& bt, const void* ctx) { load8888<true>(bt, ctx, bt.dr, bt.dg, bt.db, bt.da); }
void store_bgra(Batch& bt, const void* ctx) { store8888<true>(bt, ctx); }

// ---- gradients ----

void xy_to_linear(Batch& bt, const void*) { each(bt, [](Px p) { p.y = splat(1); }); }
void xy_to_radius(Batch& bt, const void*) {
    each(bt, [](Px p) { p.x = sqrt(p.x * p.x + p.y * p.y), p.y = splat(1); });
}

// atan2(y, x) / 2pi in [0, 1): a polynomial for atan on [0, 1] (error below 1e-6 turns),
// folded into the octants.
inline F unitAngleV(F y, F x) {
    const F ax = abs(x), ay = abs(y);
    const F mx = max(ax, ay), mn = min(ax, ay);
    const F q = sel(mx > 0, mn / mx, F{});
    const F s = q * q;
    F r = ((((((-0.01172120f * s + 0.05265332f) * s - 0.11643287f) * s + 0.19354346f) * s - 0.33262347f) * s +
            0.99997726f) * q) * (0.5f / 3.14159265358979f);
    r = sel(ay > ax, 0.25f - r, r);
    r = sel(x < 0, 0.5f - r, r);
    r = sel(y < 0, 1.0f - r, r);
    return sel(r < 1, r, F{});
}
void xy_to_unit_angle(Batch& bt, const void*) {
    each(bt, [](Px p) { p.x = unitAngleV(p.y, p.x), p.y = splat(1); });
}

void xy_to_2pt_conical(Batch& bt, const void* ctx) {
    const ConicalCtx& k = *static_cast<const ConicalCtx*>(ctx);
    const float a = k.cx * k.cx - k.dr * k.dr;
    const bool linear = std::fabs(a) < 1e-6f * std::max(1.0f, k.cx * k.cx);
    each(bt, [&](Px p) {
        const F b = p.x * k.cx + k.r0 * k.dr;
        const F c = p.x * p.x + p.y * p.y - k.r0 * k.r0;
        F t;
        I ok;
        if (linear) {
            t = c / (2.0f * b);
            ok = (b != 0) & (k.r0 + t * k.dr >= 0);
        } else {
            const F disc = b * b - a * c;
            const F root = sqrt(max(disc, F{}));
            const F t1 = (b + root) * (1.0f / a), t2 = (b - root) * (1.0f / a);
            const F hi = max(t1, t2), lo = min(t1, t2);
            const I hiOk = k.r0 + hi * k.dr >= 0, loOk = k.r0 + lo * k.dr >= 0;
            t = sel(hiOk, hi, lo);
            ok = (disc >= 0) & (hiOk | loOk);
        }
        p.x = sel(ok, t, F{});
        p.y = sel(ok, splat(1), F{});
    });
}

void t_scale_bias(Batch& bt, const void* ctx) {
    const float* sb = static_cast<const float*>(ctx);
    each(bt, [&](Px p) { p.x = p.x * sb[0] + sb[1]; });
}
void tile_t_clamp(Batch& bt, const void*) { each(bt, [](Px p) { p.x = clamp01(p.x); }); }
void tile_t_repeat(Batch& bt, const void*) { each(bt, [](Px p) { p.x = p.x - floor(p.x); }); }
void tile_t_mirror(Batch& bt, const void*) {
    each(bt, [](Px p) {
        const F u = p.x - 1.0f, m = u - 2.0f * floor(u * 0.5f);
        p.x = abs(m - 1.0f);
    });
}
void tile_t_decal(Batch& bt, const void*) {
    each(bt, [](Px p) { p.y = sel((p.x >= 0) & (p.x <= 1), p.y, F{}); });
}

void gradient(Batch& bt, const void* ctx) {
    const GradientCtx& gc = *static_cast<const GradientCtx*>(ctx);
    each(bt, [&](Px p) {
        I idx{};
        for (int k = 0; k < gc.stops; ++k) idx -= p.x >= gc.ts[k];  // true is -1
        F* out[4] = {&p.r, &p.g, &p.b, &p.a};
        bool same = true;
        for (int l = 1; l < kLanes; ++l) same &= idx[l] == idx[0];
        for (int ch = 0; ch < 4; ++ch) {
            F f, b;
            if (same) {
                f = splat(gc.f[ch][idx[0]]), b = splat(gc.b[ch][idx[0]]);
            } else {
                for (int l = 0; l < kLanes; ++l) f[l] = gc.f[ch][idx[l]], b[l] = gc.b[ch][idx[l]];
            }
            *out[ch] = f * p.x + b;
        }
    });
}

void mask_y(Batch& bt, const void*) {
    each(bt, [](Px p) {
        const I on = p.y > 0;
        p.r = sel(on, p.r, F{}), p.g = sel(on, p.g, F{}), p.b = sel(on, p.b, F{}), p.a = sel(on, p.a, F{});
    });
}

// ---- images ----

// An integer-valued coordinate through a tile mode, in float (exact below 2^24); the result
// is always a valid index, and decal clears valid outside.
inline F tileF(TileMode mode, F i, float n, I& valid) {
    switch (mode) {
        case TileMode::Repeat: {
            i = i - floor(i * (1.0f / n)) * n;
            i = sel(i >= n, i - n, i);
            i = sel(i < 0, i + n, i);
            break;
        }
        case TileMode::Mirror: {
            const float p2 = 2 * n;
            F m = i - floor(i * (1.0f / p2)) * p2;
            m = sel(m >= p2, m - p2, m);
            m = sel(m < 0, m + p2, m);
            i = sel(m >= n, (p2 - 1.0f) - m, m);
            break;
        }
        case TileMode::Decal: valid &= (i >= 0) & (i < n); break;
        case TileMode::Clamp: break;
    }
    return min(max(i, F{}), splat(n - 1));
}

// The pixel a nearest read at coordinate v takes, tiled: on the boundary between two pixels
// the one before it, as the reference engine breaks the tie; Repeat wraps the coordinate
// before it picks, so a boundary between two tiles reads the first pixel, not the last.
inline F nearestF(TileMode mode, F v, float n, I& valid) {
    const F before = -floor(-v) - 1.0f;
    F i = tileF(mode, before, n, valid);
    if (mode == TileMode::Repeat) i = sel((i == n - 1.0f) & (before + 1.0f == v), F{}, i);
    return i;
}

template <bool BGRA>
inline void fetch8888(const ImageLevel& lv, F fx, F fy, I valid, F c[4]) {
    const I ix = trunc(fx), iy = trunc(fy);
    U v{};
#if defined(__AVX2__)
    // One gather when every pixel's offset in 32-bit words fits an int (checked per level).
    if (lv.rowBytes % 4 == 0 && size_t(lv.height) * (lv.rowBytes / 4) < (size_t(1) << 31)) {
        const I idx = iy * int(lv.rowBytes / 4) + ix;
        __m256i vi, mi, r;
        std::memcpy(&vi, &idx, sizeof(vi));
        std::memcpy(&mi, &valid, sizeof(mi));
        r = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), static_cast<const int*>(lv.pixels), vi, mi, 4);
        std::memcpy(&v, &r, sizeof(v));
    } else
#endif
    for (int l = 0; l < kLanes; ++l)
        if (valid[l])
            v[l] = *reinterpret_cast<const uint32_t*>(static_cast<const char*>(lv.pixels) + size_t(iy[l]) * lv.rowBytes +
                                                      size_t(ix[l]) * 4);
    const I iv = reinterpret_cast<const I&>(v);
    const F c0 = cast(iv & 255) * (1 / 255.0f), c2 = cast((iv >> 16) & 255) * (1 / 255.0f);
    c[0] = BGRA ? c2 : c0;
    c[1] = cast((iv >> 8) & 255) * (1 / 255.0f);
    c[2] = BGRA ? c0 : c2;
    c[3] = cast(I(v >> 24)) * (1 / 255.0f);
}

template <bool BGRA>
inline void sample8888(const ImageCtx& ctx, Px& p) {
    const ImageLevel& lv = ctx.level[0];
    const float w = float(lv.width), h = float(lv.height);
    F c[4] = {};
    if (ctx.filter == 0) {
        I valid = ~I{};
        const F fx = nearestF(ctx.tileX, p.x, w, valid), fy = nearestF(ctx.tileY, p.y, h, valid);
        fetch8888<BGRA>(lv, fx, fy, valid, c);
    } else {
        const F sx = p.x - 0.5f, sy = p.y - 0.5f;
        const F x0 = floor(sx), y0 = floor(sy);
        const F tx = sel(sx == sx, sx - x0, F{}), ty = sel(sy == sy, sy - y0, F{});
        I vx0 = ~I{}, vx1 = ~I{}, vy0 = ~I{}, vy1 = ~I{};
        const F ax = tileF(ctx.tileX, x0, w, vx0), bx = tileF(ctx.tileX, x0 + 1.0f, w, vx1);
        const F ay = tileF(ctx.tileY, y0, h, vy0), by = tileF(ctx.tileY, y0 + 1.0f, h, vy1);
        F t[4];
        const F wts[4] = {(1.0f - tx) * (1.0f - ty), tx * (1.0f - ty), (1.0f - tx) * ty, tx * ty};
        const F xs[4] = {ax, bx, ax, bx}, ys[4] = {ay, ay, by, by};
        const I vs[4] = {vx0 & vy0, vx1 & vy0, vx0 & vy1, vx1 & vy1};
        for (int k = 0; k < 4; ++k) {
            fetch8888<BGRA>(lv, xs[k], ys[k], vs[k], t);
            for (int ch = 0; ch < 4; ++ch) c[ch] += t[ch] * wts[k];
        }
    }
    if (ctx.opaque) c[3] = splat(1);
    if (ctx.premulAfter) c[0] *= c[3], c[1] *= c[3], c[2] *= c[3];
    p.r = c[0], p.g = c[1], p.b = c[2], p.a = c[3];
}

void image_sample(Batch& bt, const void* ctx) {
    const ImageCtx& ic = *static_cast<const ImageCtx*>(ctx);
    const int fmt = ic.level[0].fastFormat;
    if (fmt != 0 && ic.filter != 2 && ic.levelWeight == 0) {
        if (fmt == 2)
            each(bt, [&](Px p) { sample8888<true>(ic, p); });
        else
            each(bt, [&](Px p) { sample8888<false>(ic, p); });
        return;
    }
    for (int i = 0; i < bt.n; ++i) {
        float c[4];
        sampleImage(ic, bt.x[i], bt.y[i], c);
        bt.r[i] = c[0], bt.g[i] = c[1], bt.b[i] = c[2], bt.a[i] = c[3];
    }
}

void perlin_noise(Batch& bt, const void* ctx) {
    const PerlinCtx& pc = *static_cast<const PerlinCtx*>(ctx);
    for (int i = 0; i < bt.n; ++i) {
        float c[4];
        perlinNoiseAt(pc, bt.x[i], bt.y[i], c);
        bt.r[i] = c[0], bt.g[i] = c[1], bt.b[i] = c[2], bt.a[i] = c[3];
    }
}

// ---- colour filters, blenders ----

void matrix_4x5(Batch& bt, const void* ctx) {
    const float* m = static_cast<const float*>(ctx);
    each(bt, [&](Px p) {
        const F r = p.r, g = p.g, b = p.b, a = p.a;
        p.r = m[0] * r + m[1] * g + m[2] * b + m[3] * a + m[4];
        p.g = m[5] * r + m[6] * g + m[7] * b + m[8] * a + m[9];
        p.b = m[10] * r + m[11] * g + m[12] * b + m[13] * a + m[14];
        p.a = m[15] * r + m[16] * g + m[17] * b + m[18] * a + m[19];
    });
}
void rgb_to_hsl(Batch& bt, const void*) {
    for (int i = 0; i < bt.n; ++i) rgbToHsl(bt.r[i], bt.g[i], bt.b[i]);
}
void hsl_to_rgb(Batch& bt, const void*) {
    for (int i = 0; i < bt.n; ++i) hslToRgb(bt.r[i], bt.g[i], bt.b[i]);
}
void table(Batch& bt, const void* ctx) {
    const uint8_t* t = static_cast<const uint8_t*>(ctx);
    float* ch[4] = {bt.r, bt.g, bt.b, bt.a};
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < bt.n; i += kLanes) {
            const I idx = unorm255(at(ch[k], i));
            F v;
            for (int l = 0; l < kLanes; ++l) v[l] = t[256 * k + idx[l]];
            at(ch[k], i) = v * (1 / 255.0f);
        }
}
void overdraw(Batch& bt, const void* ctx) {
    const float* colors = static_cast<const float*>(ctx);
    each(bt, [&](Px p) {
        const F n = p.a * 255.0f;
        F* out[4] = {&p.r, &p.g, &p.b, &p.a};
        for (int ch = 0; ch < 4; ++ch) {
            F v = splat(colors[20 + ch]);
            for (int k = 4; k >= 0; --k) v = sel(n < float(k) + 0.5f, splat(colors[4 * k + ch]), v);
            *out[ch] = v;
        }
    });
}
void high_contrast(Batch& bt, const void* ctx) {
    const HighContrastCtx& hc = *static_cast<const HighContrastCtx*>(ctx);
    for (int i = 0; i < bt.n; ++i) highContrast(hc, bt.r[i], bt.g[i], bt.b[i]);
}
void arithmetic(Batch& bt, const void* ctx) {
    const ArithmeticCtx& k = *static_cast<const ArithmeticCtx*>(ctx);
    each(bt, [&](Px p) {
        auto f = [&](F s, F d) { return clamp01(k.k[0] * s * d + k.k[1] * s + k.k[2] * d + k.k[3]); };
        p.r = f(p.r, p.dr), p.g = f(p.g, p.dg), p.b = f(p.b, p.db), p.a = f(p.a, p.da);
        if (k.enforcePremul) p.r = min(p.r, p.a), p.g = min(p.g, p.a), p.b = min(p.b, p.a);
    });
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
