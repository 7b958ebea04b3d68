// Building stage lists, and the scalar reference interpreter: one pixel at a time, each stage
// written the plain way (blend modes through the unpremultiplied W3C formulas), to hold the
// fast stages to.
#include "raster/Pipeline.h"

#include <algorithm>
#include <cmath>

#include "core/ColorSpace.h"
#include "raster/ShadingScalar.h"

namespace plix {

void Pipeline::append(Op op, const void* ctx) {
    fOps.push_back(op);
    fFns.push_back(stageFn(op));
    fCtx.push_back(ctx);
}

void* Pipeline::allocate(size_t size, size_t align) {
    size = std::max<size_t>(size, 1);
    for (;;) {
        if (fCursor) {
            const uintptr_t p = reinterpret_cast<uintptr_t>(fCursor);
            const uintptr_t q = (p + align - 1) & ~uintptr_t(align - 1);
            const size_t pad = q - p;
            if (pad + size <= fLeft) {
                fCursor += pad + size;
                fLeft -= pad + size;
                return reinterpret_cast<char*>(q);
            }
        }
        // The next kept block when it is big enough, else a new one in its place.
        const size_t need = size + align;
        if (fBlock < fBlocks.size() && fBlocks[fBlock].bytes < need) fBlocks.erase(fBlocks.begin() + long(fBlock));
        if (fBlock == fBlocks.size()) {
            const size_t units = (std::max<size_t>(need, 4096) + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
            fBlocks.push_back({std::make_unique<std::max_align_t[]>(units), units * sizeof(std::max_align_t)});
        }
        fCursor = reinterpret_cast<char*>(fBlocks[fBlock].data.get());
        fLeft = fBlocks[fBlock].bytes;
        ++fBlock;
    }
}

void Pipeline::reset() {
    fOps.clear();
    fFns.clear();
    fCtx.clear();
    // Keeps the storage for the next list.
    fBlock = 0;
    fCursor = nullptr;
    fLeft = 0;
}

namespace {

struct P {
    float x, y, r, g, b, a, dr, dg, db, da, c;
};

float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; }

// Unpremultiplied W3C blend functions B(Cs, Cb) of the separable modes.
float separableB(BlendMode m, float cs, float cb) {
    switch (m) {
        case BlendMode::Multiply: return cs * cb;
        case BlendMode::Screen: return cs + cb - cs * cb;
        case BlendMode::Overlay: return separableB(BlendMode::HardLight, cb, cs);
        case BlendMode::Darken: return std::min(cs, cb);
        case BlendMode::Lighten: return std::max(cs, cb);
        case BlendMode::ColorDodge:
            if (cb == 0) return 0;
            if (cs >= 1) return 1;
            return std::min(1.0f, cb / (1 - cs));
        case BlendMode::ColorBurn:
            if (cb >= 1) return 1;
            if (cs <= 0) return 0;
            return 1 - std::min(1.0f, (1 - cb) / cs);
        case BlendMode::HardLight:
            return cs <= 0.5f ? cb * 2 * cs : separableB(BlendMode::Screen, 2 * cs - 1, cb);
        case BlendMode::SoftLight: {
            if (cs <= 0.5f) return cb - (1 - 2 * cs) * cb * (1 - cb);
            const float d = cb <= 0.25f ? ((16 * cb - 12) * cb + 4) * cb : std::sqrt(cb);
            return cb + (2 * cs - 1) * (d - cb);
        }
        case BlendMode::Difference: return std::fabs(cs - cb);
        case BlendMode::Exclusion: return cs + cb - 2 * cs * cb;
        default: return 0;
    }
}

float lum(const float c[3]) { return 0.30f * c[0] + 0.59f * c[1] + 0.11f * c[2]; }
float sat(const float c[3]) {
    return std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]});
}
void clipColor(float c[3]) {
    const float l = lum(c), n = std::min({c[0], c[1], c[2]}), x = std::max({c[0], c[1], c[2]});
    for (int i = 0; i < 3; ++i) {
        if (n < 0 && l != n) c[i] = l + (c[i] - l) * l / (l - n);
        if (x > 1 && x != l) c[i] = l + (c[i] - l) * (1 - l) / (x - l);
    }
}
void setLum(float c[3], float l) {
    const float d = l - lum(c);
    for (int i = 0; i < 3; ++i) c[i] += d;
    clipColor(c);
}
void setSat(float c[3], float s) {
    int mx = 0, mn = 0;
    for (int i = 1; i < 3; ++i) {
        if (c[i] > c[mx]) mx = i;
        if (c[i] < c[mn]) mn = i;
    }
    if (c[mx] > c[mn]) {
        const float range = c[mx] - c[mn];
        const float lo = c[mn];
        for (int i = 0; i < 3; ++i) c[i] = (c[i] - lo) * s / range;
    } else {
        c[0] = c[1] = c[2] = 0;
    }
}

void blendRef(BlendMode m, P& p) {
    const float s[4] = {p.r, p.g, p.b, p.a}, d[4] = {p.dr, p.dg, p.db, p.da};
    const float sa = p.a, da = p.da;
    float o[4];
    auto pd = [&](float fs, float fd) {  // Porter-Duff: s * Fs + d * Fd
        for (int i = 0; i < 4; ++i) o[i] = s[i] * fs + d[i] * fd;
    };
    switch (m) {
        case BlendMode::Clear: pd(0, 0); break;
        case BlendMode::Src: pd(1, 0); break;
        case BlendMode::Dst: pd(0, 1); break;
        case BlendMode::SrcOver: pd(1, 1 - sa); break;
        case BlendMode::DstOver: pd(1 - da, 1); break;
        case BlendMode::SrcIn: pd(da, 0); break;
        case BlendMode::DstIn: pd(0, sa); break;
        case BlendMode::SrcOut: pd(1 - da, 0); break;
        case BlendMode::DstOut: pd(0, 1 - sa); break;
        case BlendMode::SrcATop: pd(da, 1 - sa); break;
        case BlendMode::DstATop: pd(1 - da, sa); break;
        case BlendMode::Xor: pd(1 - da, 1 - sa); break;
        case BlendMode::Plus:
            for (int i = 0; i < 4; ++i) o[i] = std::min(s[i] + d[i], 1.0f);
            break;
        case BlendMode::Modulate:
            for (int i = 0; i < 4; ++i) o[i] = s[i] * d[i];
            break;
        case BlendMode::Hue: case BlendMode::Saturation: case BlendMode::Color:
        case BlendMode::Luminosity: {
            float cs[3], cb[3];
            for (int i = 0; i < 3; ++i) {
                cs[i] = sa > 0 ? s[i] / sa : 0;
                cb[i] = da > 0 ? d[i] / da : 0;
            }
            float B[3];
            std::copy(m == BlendMode::Hue || m == BlendMode::Color ? cs : cb,
                      (m == BlendMode::Hue || m == BlendMode::Color ? cs : cb) + 3, B);
            if (m == BlendMode::Hue) setSat(B, sat(cb));
            if (m == BlendMode::Saturation) setSat(B, sat(cs));
            setLum(B, m == BlendMode::Luminosity ? lum(cs) : lum(cb));
            for (int i = 0; i < 3; ++i) o[i] = s[i] * (1 - da) + d[i] * (1 - sa) + sa * da * B[i];
            o[3] = sa + da - sa * da;
            break;
        }
        default:
            for (int i = 0; i < 3; ++i) {
                const float cs = sa > 0 ? s[i] / sa : 0, cb = da > 0 ? d[i] / da : 0;
                o[i] = s[i] * (1 - da) + d[i] * (1 - sa) + sa * da * separableB(m, cs, cb);
            }
            o[3] = sa + da - sa * da;
            break;
    }
    p.r = o[0], p.g = o[1], p.b = o[2], p.a = o[3];
}

// The 8x8 Bayer matrix built by its recursion, indexed [x][y] to match the fast stage's order.
int bayer8(int x, int y) {
    int m = 0;
    for (int level = 0; level < 3; ++level) {
        const int bx = (x >> level) & 1, by = (y >> level) & 1;
        const int digit = 2 * (bx ^ by) + bx;  // [[0, 2], [3, 1]] with x and y swapped
        m |= digit << (2 * (2 - level));
    }
    return m;
}

}  // namespace

void Pipeline::runReference(Batch& bt) const {
    for (int i = 0; i < bt.n; ++i) {
        P p{bt.x[i], bt.y[i], bt.r[i], bt.g[i], bt.b[i], bt.a[i], bt.dr[i], bt.dg[i], bt.db[i], bt.da[i], bt.c[i]};
        const int px = bt.dx + i, py = bt.dy;
        for (size_t k = 0; k < fOps.size(); ++k) {
            const void* ctx = fCtx[k];
            const Op op = fOps[k];
            if (op >= Op::blend_Clear) {
                blendRef(BlendMode(int(op) - int(Op::blend_Clear)), p);
                continue;
            }
            switch (op) {
                case Op::seed_shader: p.x = px + 0.5f, p.y = py + 0.5f; break;
                case Op::matrix_2x3: {
                    const float* m = static_cast<const float*>(ctx);
                    const float x = p.x, y = p.y;
                    p.x = m[0] * x + m[1] * y + m[2];
                    p.y = m[3] * x + m[4] * y + m[5];
                    break;
                }
                case Op::matrix_perspective: {
                    const float* m = static_cast<const float*>(ctx);
                    const float x = p.x, y = p.y, w = m[6] * x + m[7] * y + m[8];
                    p.x = (m[0] * x + m[1] * y + m[2]) / w;
                    p.y = (m[3] * x + m[4] * y + m[5]) / w;
                    break;
                }
                case Op::constant_color: {
                    const float* c = static_cast<const float*>(ctx);
                    p.r = c[0], p.g = c[1], p.b = c[2], p.a = c[3];
                    break;
                }
                case Op::load_src: {
                    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
                    m->load(m->addr(px, py), 1, &p.r, &p.g, &p.b, &p.a);
                    break;
                }
                case Op::load_dst: {
                    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
                    m->load(m->addr(px, py), 1, &p.dr, &p.dg, &p.db, &p.da);
                    break;
                }
                case Op::store: {
                    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
                    m->store(m->addr(px, py), 1, &p.r, &p.g, &p.b, &p.a);
                    break;
                }
                case Op::premul: p.r *= p.a, p.g *= p.a, p.b *= p.a; break;
                case Op::premul_dst: p.dr *= p.da, p.dg *= p.da, p.db *= p.da; break;
                case Op::unpremul:
                    if (p.a > 0) p.r /= p.a, p.g /= p.a, p.b /= p.a;
                    else p.r = p.g = p.b = 0;
                    break;
                case Op::force_opaque: p.a = 1; break;
                case Op::force_opaque_dst: p.da = 1; break;
                case Op::clamp_01:
                    p.r = clamp01(p.r), p.g = clamp01(p.g), p.b = clamp01(p.b), p.a = clamp01(p.a);
                    break;
                case Op::clamp_a:
                    p.a = clamp01(p.a);
                    p.r = std::min(std::max(p.r, 0.0f), p.a);
                    p.g = std::min(std::max(p.g, 0.0f), p.a);
                    p.b = std::min(std::max(p.b, 0.0f), p.a);
                    break;
                case Op::scale_1_float: {
                    const float v = *static_cast<const float*>(ctx);
                    p.r *= v, p.g *= v, p.b *= v, p.a *= v;
                    break;
                }
                case Op::scale_coverage: p.r *= p.c, p.g *= p.c, p.b *= p.c, p.a *= p.c; break;
                case Op::lerp_coverage:
                    p.r = p.dr * (1 - p.c) + p.r * p.c;
                    p.g = p.dg * (1 - p.c) + p.g * p.c;
                    p.b = p.db * (1 - p.c) + p.b * p.c;
                    p.a = p.da * (1 - p.c) + p.a * p.c;
                    break;
                case Op::dither: {
                    const float rate = *static_cast<const float*>(ctx);
                    const float d = (bayer8(px & 7, py & 7) - 31.5f) / 64.0f * rate;
                    p.r = std::min(std::max(p.r + d, 0.0f), p.a);
                    p.g = std::min(std::max(p.g + d, 0.0f), p.a);
                    p.b = std::min(std::max(p.b + d, 0.0f), p.a);
                    break;
                }
                case Op::transfer_fn: {
                    const TransferFn& f = *static_cast<const TransferFn*>(ctx);
                    p.r = f.eval(p.r), p.g = f.eval(p.g), p.b = f.eval(p.b);
                    break;
                }
                case Op::gamut: static_cast<const Matrix3*>(ctx)->map(p.r, p.g, p.b); break;
                case Op::swap_src_dst:
                    std::swap(p.r, p.dr), std::swap(p.g, p.dg), std::swap(p.b, p.db), std::swap(p.a, p.da);
                    break;
                case Op::save_src: {
                    SavedColor* s = const_cast<SavedColor*>(static_cast<const SavedColor*>(ctx));
                    s->r[i] = p.r, s->g[i] = p.g, s->b[i] = p.b, s->a[i] = p.a, s->x[i] = p.x, s->y[i] = p.y;
                    break;
                }
                case Op::restore_xy: {
                    const SavedColor* s = static_cast<const SavedColor*>(ctx);
                    p.x = s->x[i], p.y = s->y[i];
                    break;
                }
                case Op::saved_to_dst: {
                    const SavedColor* s = static_cast<const SavedColor*>(ctx);
                    p.dr = s->r[i], p.dg = s->g[i], p.db = s->b[i], p.da = s->a[i];
                    break;
                }
                case Op::callback: {
                    const CallbackCtx* cb = static_cast<const CallbackCtx*>(ctx);
                    cb->fn(cb->self, 1, &p.x, &p.y, &p.r, &p.g, &p.b, &p.a);
                    break;
                }
                case Op::callback_blend: {
                    const BlendCallbackCtx* cb = static_cast<const BlendCallbackCtx*>(ctx);
                    float* const src[4] = {&p.r, &p.g, &p.b, &p.a};
                    const float* const dst[4] = {&p.dr, &p.dg, &p.db, &p.da};
                    cb->fn(cb->self, 1, src, dst);
                    break;
                }
                case Op::load_rgba: case Op::load_bgra: {
                    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
                    m->load(m->addr(px, py), 1, &p.r, &p.g, &p.b, &p.a);
                    break;
                }
                case Op::load_dst_rgba: case Op::load_dst_bgra: {
                    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
                    m->load(m->addr(px, py), 1, &p.dr, &p.dg, &p.db, &p.da);
                    break;
                }
                case Op::store_rgba: case Op::store_bgra: {
                    const MemoryCtx* m = static_cast<const MemoryCtx*>(ctx);
                    m->store(m->addr(px, py), 1, &p.r, &p.g, &p.b, &p.a);
                    break;
                }
                case Op::xy_to_linear: p.y = 1; break;
                case Op::xy_to_radius: p.x = std::sqrt(p.x * p.x + p.y * p.y), p.y = 1; break;
                case Op::xy_to_unit_angle: p.x = unitAngle(p.y, p.x), p.y = 1; break;
                case Op::xy_to_2pt_conical: {
                    const ConicalCtx& k = *static_cast<const ConicalCtx*>(ctx);
                    const double a = double(k.cx) * k.cx - double(k.dr) * k.dr;
                    const double b = double(p.x) * k.cx + double(k.r0) * k.dr;
                    const double c = double(p.x) * p.x + double(p.y) * p.y - double(k.r0) * k.r0;
                    double best = NAN;
                    auto consider = [&](double t) {
                        if (k.r0 + t * k.dr >= 0 && !(t <= best)) best = t;
                    };
                    if (std::fabs(a) < 1e-6 * std::max(1.0, double(k.cx) * k.cx)) {
                        if (b != 0) consider(c / (2 * b));
                    } else if (b * b - a * c >= 0) {
                        const double root = std::sqrt(b * b - a * c);
                        consider((b + root) / a);
                        consider((b - root) / a);
                    }
                    p.y = best == best ? 1.0f : 0.0f;
                    p.x = best == best ? float(best) : 0.0f;
                    break;
                }
                case Op::t_scale_bias: {
                    const float* sb = static_cast<const float*>(ctx);
                    p.x = p.x * sb[0] + sb[1];
                    break;
                }
                case Op::tile_t_clamp: p.x = clamp01(p.x); break;
                case Op::tile_t_repeat: p.x = p.x - std::floor(p.x); break;
                case Op::tile_t_mirror: {
                    const float u = p.x - 1, m = u - 2 * std::floor(u * 0.5f);  // in [0, 2)
                    p.x = std::fabs(m - 1);
                    break;
                }
                case Op::tile_t_decal: p.y = p.x >= 0 && p.x <= 1 ? p.y : 0; break;
                case Op::gradient: {
                    const GradientCtx& gc = *static_cast<const GradientCtx*>(ctx);
                    int k = 0;
                    while (k < gc.stops && p.x >= gc.ts[k]) ++k;
                    float* out[4] = {&p.r, &p.g, &p.b, &p.a};
                    for (int ch = 0; ch < 4; ++ch) *out[ch] = gc.f[ch][k] * p.x + gc.b[ch][k];
                    break;
                }
                case Op::mask_y:
                    if (!(p.y > 0)) p.r = p.g = p.b = p.a = 0;
                    break;
                case Op::image_sample: {
                    float c[4];
                    sampleImage(*static_cast<const ImageCtx*>(ctx), p.x, p.y, c);
                    p.r = c[0], p.g = c[1], p.b = c[2], p.a = c[3];
                    break;
                }
                case Op::perlin_noise: {
                    float c[4];
                    perlinNoiseAt(*static_cast<const PerlinCtx*>(ctx), p.x, p.y, c);
                    p.r = c[0], p.g = c[1], p.b = c[2], p.a = c[3];
                    break;
                }
                case Op::matrix_4x5: {
                    const float* m = static_cast<const float*>(ctx);
                    const float in[4] = {p.r, p.g, p.b, p.a};
                    float o[4];
                    for (int row = 0; row < 4; ++row)
                        o[row] = m[5 * row] * in[0] + m[5 * row + 1] * in[1] + m[5 * row + 2] * in[2] +
                                 m[5 * row + 3] * in[3] + m[5 * row + 4];
                    p.r = o[0], p.g = o[1], p.b = o[2], p.a = o[3];
                    break;
                }
                case Op::rgb_to_hsl: rgbToHsl(p.r, p.g, p.b); break;
                case Op::hsl_to_rgb: hslToRgb(p.r, p.g, p.b); break;
                case Op::table: {
                    const uint8_t* t = static_cast<const uint8_t*>(ctx);
                    float* ch[4] = {&p.r, &p.g, &p.b, &p.a};
                    for (int k = 0; k < 4; ++k) *ch[k] = t[256 * k + int(clamp01(*ch[k]) * 255 + 0.5f)] / 255.0f;
                    break;
                }
                case Op::overdraw: {
                    const float* colors = static_cast<const float*>(ctx);
                    const float n = p.a * 255;
                    const int k = n < 0.5f ? 0 : n < 1.5f ? 1 : n < 2.5f ? 2 : n < 3.5f ? 3 : n < 4.5f ? 4 : 5;
                    p.r = colors[4 * k], p.g = colors[4 * k + 1], p.b = colors[4 * k + 2], p.a = colors[4 * k + 3];
                    break;
                }
                case Op::high_contrast: highContrast(*static_cast<const HighContrastCtx*>(ctx), p.r, p.g, p.b); break;
                case Op::arithmetic: {
                    const ArithmeticCtx& k = *static_cast<const ArithmeticCtx*>(ctx);
                    float* s[4] = {&p.r, &p.g, &p.b, &p.a};
                    const float d[4] = {p.dr, p.dg, p.db, p.da};
                    for (int i2 = 0; i2 < 4; ++i2)
                        *s[i2] = clamp01(k.k[0] * *s[i2] * d[i2] + k.k[1] * *s[i2] + k.k[2] * d[i2] + k.k[3]);
                    if (k.enforcePremul) p.r = std::min(p.r, p.a), p.g = std::min(p.g, p.a), p.b = std::min(p.b, p.a);
                    break;
                }
                default: break;
            }
        }
        bt.x[i] = p.x, bt.y[i] = p.y, bt.r[i] = p.r, bt.g[i] = p.g, bt.b[i] = p.b, bt.a[i] = p.a;
        bt.dr[i] = p.dr, bt.dg[i] = p.dg, bt.db[i] = p.db, bt.da[i] = p.da, bt.c[i] = p.c;
    }
}

}  // namespace plix
