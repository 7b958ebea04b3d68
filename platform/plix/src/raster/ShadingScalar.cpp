#include "raster/ShadingScalar.h"

#include <algorithm>
#include <cmath>

namespace plix {

namespace {

constexpr int kBlockMask = 255, kPerlinN = 4096;

float sCurve(float t) { return t * t * (3 - 2 * t); }
float lerp(float t, float a, float b) { return a + t * (b - a); }

struct Stitch {
    int width, height, wrapX, wrapY;
};

// The noise of one channel at v: gradients at the four lattice corners around v, blended
// with the s-curve.
// A lattice coordinate safe to truncate to int: far out (many octaves of a high frequency) the
// lattice repeats every 256 anyway, and NaN becomes 0.
float safeLattice(float v) {
    if (!(v == v)) return 0;
    return std::fabs(v) < 1e9f ? v : std::fmod(v, 65536.0f);
}

float noise2(const PerlinCtx& c, int ch, float vx, float vy, const Stitch* st) {
    vx = safeLattice(vx), vy = safeLattice(vy);
    float t = vx + kPerlinN;
    int bx0 = int(t), bx1 = bx0 + 1;
    const float rx0 = t - float(int(t)), rx1 = rx0 - 1;
    t = vy + kPerlinN;
    int by0 = int(t), by1 = by0 + 1;
    const float ry0 = t - float(int(t)), ry1 = ry0 - 1;
    if (st) {
        if (bx0 >= st->wrapX) bx0 -= st->width;
        if (bx1 >= st->wrapX) bx1 -= st->width;
        if (by0 >= st->wrapY) by0 -= st->height;
        if (by1 >= st->wrapY) by1 -= st->height;
    }
    bx0 &= kBlockMask, bx1 &= kBlockMask, by0 &= kBlockMask, by1 &= kBlockMask;
    const int i = c.latticeSelector[bx0], j = c.latticeSelector[bx1];
    const int b00 = c.latticeSelector[i + by0], b10 = c.latticeSelector[j + by0];
    const int b01 = c.latticeSelector[i + by1], b11 = c.latticeSelector[j + by1];
    const float sx = sCurve(rx0), sy = sCurve(ry0);
    const float (*g)[2] = c.gradient[ch];
    const float a = lerp(sx, rx0 * g[b00][0] + ry0 * g[b00][1], rx1 * g[b10][0] + ry0 * g[b10][1]);
    const float b = lerp(sx, rx0 * g[b01][0] + ry1 * g[b01][1], rx1 * g[b11][0] + ry1 * g[b11][1]);
    return lerp(sy, a, b);
}

float hueToRgb(float p, float q, float t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0f / 6) return p + (q - p) * 6 * t;
    if (t < 0.5f) return q;
    if (t < 2.0f / 3) return p + (q - p) * (2.0f / 3 - t) * 6;
    return p;
}

float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; }

// A coordinate safe to convert to int: NaN to 0, the rest limited far outside any image.
int floorToInt(float v) {
    if (!(v == v)) return 0;
    v = std::min(std::max(v, -1e9f), 1e9f);
    return int(std::floor(v));
}

// The stored colour of pixel (x, y), already tiled into the level.
void load(const ImageCtx& ctx, const ImageLevel& lv, int x, int y, float out[4]) {
    const char* p = static_cast<const char*>(lv.pixels) + size_t(y) * lv.rowBytes + size_t(x) * size_t(lv.bytesPerPixel);
    lv.load(p, 1, &out[0], &out[1], &out[2], &out[3]);
    if (ctx.opaque) out[3] = 1;
}

// The premultiplied-or-not stored colour of one pixel, or transparent outside under Decal.
void fetch(const ImageCtx& ctx, const ImageLevel& lv, int ix, int iy, float out[4]) {
    int x, y;
    if (!tileIndex(ctx.tileX, ix, lv.width, &x) || !tileIndex(ctx.tileY, iy, lv.height, &y)) {
        out[0] = out[1] = out[2] = out[3] = 0;
        return;
    }
    load(ctx, lv, x, y, out);
}

void sampleLevel(const ImageCtx& ctx, const ImageLevel& lv, float x, float y, float out[4]) {
    out[0] = out[1] = out[2] = out[3] = 0;
    if (ctx.filter == 0) {
        int ix, iy;
        if (nearestTile(ctx.tileX, x, lv.width, &ix) && nearestTile(ctx.tileY, y, lv.height, &iy))
            load(ctx, lv, ix, iy, out);
        return;
    }
    const float fx = x - 0.5f, fy = y - 0.5f;
    const int ix = floorToInt(fx), iy = floorToInt(fy);
    const float tx = std::isfinite(fx) ? fx - std::floor(fx) : 0, ty = std::isfinite(fy) ? fy - std::floor(fy) : 0;
    float wx[4], wy[4];
    int taps, first;
    if (ctx.filter == 1) {
        taps = 2, first = 0;
        wx[0] = 1 - tx, wx[1] = tx, wy[0] = 1 - ty, wy[1] = ty;
    } else {
        taps = 4, first = -1;
        for (int k = 0; k < 4; ++k) {
            wx[k] = cubicWeight(ctx.B, ctx.C, std::fabs(tx - float(k - 1)));
            wy[k] = cubicWeight(ctx.B, ctx.C, std::fabs(ty - float(k - 1)));
        }
    }
    for (int j = 0; j < taps; ++j)
        for (int i = 0; i < taps; ++i) {
            float c[4];
            fetch(ctx, lv, ix + first + i, iy + first + j, c);
            const float w = wx[i] * wy[j];
            for (int k = 0; k < 4; ++k) out[k] += c[k] * w;
        }
}

}  // namespace

void perlinNoiseAt(const PerlinCtx& c, float x, float y, float out[4]) {
    for (int ch = 0; ch < 4; ++ch) {
        Stitch st{c.stitchWidth, c.stitchHeight, c.wrapX, c.wrapY};
        float vx = x * c.baseX, vy = y * c.baseY, ratio = 1, sum = 0;
        for (int o = 0; o < c.octaves; ++o) {
            const float n = noise2(c, ch, vx, vy, c.stitch ? &st : nullptr);
            sum += (c.fractal ? n : std::fabs(n)) / ratio;
            vx *= 2, vy *= 2, ratio *= 2;
            if (c.stitch) {
                // wrap = 2 wrap - N keeps wrap = N + width; the width stops growing where the
                // lattice coordinates have long lost their fraction.
                st.width = st.width < (1 << 24) ? st.width * 2 : st.width;
                st.height = st.height < (1 << 24) ? st.height * 2 : st.height;
                st.wrapX = kPerlinN + st.width, st.wrapY = kPerlinN + st.height;
            }
        }
        // Fractal noise is centred on one half, turbulence starts at zero.
        out[ch] = clamp01(c.fractal ? (sum + 1) * 0.5f : sum);
    }
}

void rgbToHsl(float& r, float& g, float& b) {
    const float mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const float l = (mx + mn) * 0.5f, d = mx - mn;
    float h = 0, s = 0;
    if (d > 0) {
        s = l > 0.5f ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r) h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g) h = (b - r) / d + 2;
        else h = (r - g) / d + 4;
        h /= 6;
    }
    r = h, g = s, b = l;
}

void hslToRgb(float& h, float& s, float& l) {
    if (s <= 0) {
        h = s = l;  // grey
        return;
    }
    const float q = l < 0.5f ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
    const float hh = h - std::floor(h);
    const float r = hueToRgb(p, q, hh + 1.0f / 3), g = hueToRgb(p, q, hh), b = hueToRgb(p, q, hh - 1.0f / 3);
    h = r, s = g, l = b;
}

void highContrast(const HighContrastCtx& c, float& r, float& g, float& b) {
    if (c.grayscale) r = g = b = 0.2126f * r + 0.7152f * g + 0.0722f * b;
    if (c.invertStyle == 1) {
        r = 1 - r, g = 1 - g, b = 1 - b;
    } else if (c.invertStyle == 2) {
        rgbToHsl(r, g, b);
        b = 1 - b;
        hslToRgb(r, g, b);
    }
    r = clamp01((r - 0.5f) * c.contrast + 0.5f);
    g = clamp01((g - 0.5f) * c.contrast + 0.5f);
    b = clamp01((b - 0.5f) * c.contrast + 0.5f);
}

float cubicWeight(float B, float C, float d) {
    if (d < 1) return ((12 - 9 * B - 6 * C) * d * d * d + (-18 + 12 * B + 6 * C) * d * d + (6 - 2 * B)) / 6;
    if (d < 2) return ((-B - 6 * C) * d * d * d + (6 * B + 30 * C) * d * d + (-12 * B - 48 * C) * d + (8 * B + 24 * C)) / 6;
    return 0;
}

bool tileIndex(TileMode mode, int i, int n, int* out) {
    switch (mode) {
        case TileMode::Clamp: *out = std::min(std::max(i, 0), n - 1); return true;
        case TileMode::Repeat: *out = ((i % n) + n) % n; return true;
        case TileMode::Mirror: {
            const int m = ((i % (2 * n)) + 2 * n) % (2 * n);
            *out = m < n ? m : 2 * n - 1 - m;
            return true;
        }
        case TileMode::Decal: *out = i; return i >= 0 && i < n;
    }
    return false;
}

void sampleImage(const ImageCtx& ctx, float x, float y, float out[4]) {
    sampleLevel(ctx, ctx.level[0], x, y, out);
    if (ctx.levelWeight > 0) {
        float c1[4];
        sampleLevel(ctx, ctx.level[1], x * ctx.levelScale[0], y * ctx.levelScale[1], c1);
        for (int k = 0; k < 4; ++k) out[k] += (c1[k] - out[k]) * ctx.levelWeight;
    }
    if (ctx.premulAfter) out[0] *= out[3], out[1] *= out[3], out[2] *= out[3];
    if (ctx.clampToAlpha) {
        out[3] = clamp01(out[3]);
        for (int k = 0; k < 3; ++k) out[k] = std::min(std::max(out[k], 0.0f), out[3]);
    }
}

float unitAngle(float y, float x) {
    float t = std::atan2(y, x) * (0.5f / 3.14159265358979f);
    if (t < 0) t += 1;
    return t < 1 ? t : 0;  // 1 after rounding, and NaN, give 0
}

}  // namespace plix
