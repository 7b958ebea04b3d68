#include "canvas/PixelConvert.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "raster/PixelFormats.h"

namespace plix {

namespace {

constexpr int kChunk = 256;

struct Channels {
    float r[kChunk], g[kChunk], b[kChunk], a[kChunk];
};

void premul(Channels& c, int n) {
    for (int i = 0; i < n; ++i) c.r[i] *= c.a[i], c.g[i] *= c.a[i], c.b[i] *= c.a[i];
}

void unpremul(Channels& c, int n) {
    for (int i = 0; i < n; ++i) {
        const float s = c.a[i] > 0 ? 1 / c.a[i] : 0;
        c.r[i] *= s, c.g[i] *= s, c.b[i] *= s;
    }
}

bool usable(const Pixmap& p) { return soundPixmap(p) && loadFn(p.colorType()) && storeFn(p.colorType()); }

// The steps that take src's values to dst's, decided once per conversion.
struct Converter {
    Converter(const Pixmap& dst, const Pixmap& src)
        : load(loadFn(src.colorType())),
          store(storeFn(dst.colorType())),
          xform(src.colorSpace(), dst.colorSpace()),
          srcOpaque(src.alphaType() == AlphaType::Opaque || !hasAlphaChannel(src.colorType())),
          srcPremul(src.alphaType() == AlphaType::Premul),
          dstUnpremul(dst.alphaType() == AlphaType::Unpremul),
          dstOpaque(dst.alphaType() == AlphaType::Opaque) {}

    void run(void* dstRow, const void* srcRow, int n, int srcBpp, int dstBpp, Channels& c) const {
        for (int x = 0; x < n; x += kChunk) {
            const int k = std::min(kChunk, n - x);
            load(static_cast<const char*>(srcRow) + size_t(x) * size_t(srcBpp), k, c.r, c.g, c.b, c.a);
            if (srcOpaque) std::fill(c.a, c.a + k, 1.0f);
            const bool premulIn = srcPremul && !srcOpaque;
            if (!xform.isIdentity()) {
                if (premulIn) unpremul(c, k);
                for (int i = 0; i < k; ++i) {
                    float px[4] = {c.r[i], c.g[i], c.b[i], c.a[i]};
                    xform.apply(px);
                    c.r[i] = px[0], c.g[i] = px[1], c.b[i] = px[2];
                }
                if (premulIn) premul(c, k);
            }
            if (!srcOpaque) {
                if (!srcPremul && !dstUnpremul) premul(c, k);
                if (srcPremul && dstUnpremul) unpremul(c, k);
            }
            if (dstOpaque) std::fill(c.a, c.a + k, 1.0f);
            store(static_cast<char*>(dstRow) + size_t(x) * size_t(dstBpp), k, c.r, c.g, c.b, c.a);
        }
    }

    LoadFn load;
    StoreFn store;
    ColorSpaceXform xform;
    bool srcOpaque, srcPremul, dstUnpremul, dstOpaque;
};

// Weights of the cubic filter with coefficients B and C at distance x.
float cubicWeight(float x, float B, float C) {
    x = std::fabs(x);
    if (x < 1)
        return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
    if (x < 2)
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
    return 0;
}

// For each of dstLen output positions, the source indices and weights that make it.
struct Taps {
    int count = 0;  // taps per output
    std::vector<int> index;
    std::vector<float> weight;
};

Taps makeTaps(int srcLen, int dstLen, const SamplingOptions& s) {
    Taps t;
    const double scale = double(srcLen) / dstLen;
    t.count = s.useCubic ? 4 : s.filter == FilterMode::Linear ? 2 : 1;
    t.index.resize(size_t(dstLen) * size_t(t.count));
    t.weight.resize(t.index.size());
    for (int i = 0; i < dstLen; ++i) {
        const double u = (i + 0.5) * scale;  // sample position in source pixels
        int* idx = &t.index[size_t(i) * size_t(t.count)];
        float* w = &t.weight[size_t(i) * size_t(t.count)];
        auto clampIdx = [&](long v) { return int(std::clamp<long>(v, 0, srcLen - 1)); };
        if (t.count == 1) {
            idx[0] = clampIdx(long(std::floor(u)));
            w[0] = 1;
        } else if (t.count == 2) {
            const double f = u - 0.5, fl = std::floor(f);
            const float frac = float(f - fl);
            idx[0] = clampIdx(long(fl)), idx[1] = clampIdx(long(fl) + 1);
            w[0] = 1 - frac, w[1] = frac;
        } else {
            const double f = u - 0.5, fl = std::floor(f);
            const float frac = float(f - fl);
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                idx[k] = clampIdx(long(fl) - 1 + k);
                w[k] = cubicWeight(float(k - 1) - frac, s.cubic.B, s.cubic.C);
                sum += w[k];
            }
            if (sum != 0)
                for (int k = 0; k < 4; ++k) w[k] /= sum;
        }
    }
    return t;
}

}  // namespace

bool soundPixmap(const Pixmap& p) {
    return p.addr() && p.info().isValid() && p.info().validRowBytes(p.rowBytes()) &&
           p.info().computeByteSize(p.rowBytes()) != SIZE_MAX;
}

bool convertPixels(const Pixmap& dst, const Pixmap& src) {
    if (!usable(dst) || !usable(src)) return false;
    if (dst.width() != src.width() || dst.height() != src.height()) return false;
    const Converter conv(dst, src);
    auto c = std::make_unique<Channels>();
    const int sb = src.info().bytesPerPixel(), db = dst.info().bytesPerPixel();
    for (int y = 0; y < src.height(); ++y) conv.run(dst.addr(0, y), src.addr(0, y), src.width(), sb, db, *c);
    return true;
}

bool readPixelsAt(const Pixmap& src, const Pixmap& dst, int srcX, int srcY) {
    if (!usable(dst) || !usable(src)) return false;
    // The source rectangle, clipped to src, and the matching part of dst.
    if (int64_t(srcX) + dst.width() > INT32_MAX || int64_t(srcY) + dst.height() > INT32_MAX) return false;
    IRect area = IRect::MakeXYWH(srcX, srcY, dst.width(), dst.height());
    if (!area.intersect(IRect::MakeWH(src.width(), src.height()))) return false;
    Pixmap s, d;
    if (!src.extractSubset(&s, area.left, area.top, area.right, area.bottom)) return false;
    if (!dst.extractSubset(&d, area.left - srcX, area.top - srcY, area.right - srcX, area.bottom - srcY)) return false;
    return convertPixels(d, s);
}

bool scalePixels(const Pixmap& dst, const Pixmap& src, const SamplingOptions& sampling) {
    if (!usable(dst) || !usable(src)) return false;
    if (dst.width() == src.width() && dst.height() == src.height()) return convertPixels(dst, src);
    const int sw = src.width(), sh = src.height(), dw = dst.width(), dh = dst.height();
    // Work in premultiplied float RGBA in the destination's colour space.
    const ImageInfo floatInfo = ImageInfo::Make(sw, sh, ColorType::RGBAF32, AlphaType::Premul, dst.info().colorSpace);
    std::vector<float> in(size_t(sw) * size_t(sh) * 4);
    if (!convertPixels(Pixmap(floatInfo, in.data(), size_t(sw) * 16), src)) return false;

    const Taps tx = makeTaps(sw, dw, sampling), ty = makeTaps(sh, dh, sampling);
    std::vector<float> mid(size_t(dw) * size_t(sh) * 4), out(size_t(dw) * size_t(dh) * 4);
    for (int y = 0; y < sh; ++y) {
        const float* row = &in[size_t(y) * size_t(sw) * 4];
        float* o = &mid[size_t(y) * size_t(dw) * 4];
        for (int x = 0; x < dw; ++x)
            for (int k = 0; k < tx.count; ++k) {
                const size_t t = size_t(x) * size_t(tx.count) + size_t(k);
                const float* p = row + size_t(tx.index[t]) * 4;
                for (int c = 0; c < 4; ++c) o[x * 4 + c] += p[c] * tx.weight[t];
            }
    }
    for (int y = 0; y < dh; ++y) {
        float* o = &out[size_t(y) * size_t(dw) * 4];
        for (int k = 0; k < ty.count; ++k) {
            const size_t t = size_t(y) * size_t(ty.count) + size_t(k);
            const float* row = &mid[size_t(ty.index[t]) * size_t(dw) * 4];
            for (int i = 0; i < dw * 4; ++i) o[i] += row[i] * ty.weight[t];
        }
        if (sampling.useCubic)  // cubic lobes overshoot: keep colours premultiplied-valid
            for (int x = 0; x < dw; ++x) {
                float* p = o + x * 4;
                p[3] = std::clamp(p[3], 0.0f, 1.0f);
                for (int c = 0; c < 3; ++c) p[c] = std::clamp(p[c], 0.0f, p[3]);
            }
    }
    const ImageInfo outInfo = floatInfo.makeWH(dw, dh);
    return convertPixels(dst, Pixmap(outInfo, out.data(), size_t(dw) * 16));
}

bool erasePixels(const Pixmap& dst, const float rgba[4], const ColorSpace* cs, const IRect* subset) {
    if (!usable(dst)) return false;
    IRect area = IRect::MakeWH(dst.width(), dst.height());
    if (subset && !area.intersect(*subset)) return false;
    float c[4] = {rgba[0], rgba[1], rgba[2], std::clamp(rgba[3], 0.0f, 1.0f)};
    sp<ColorSpace> srgb;
    if (!cs) srgb = ColorSpace::MakeSRGB(), cs = srgb.get();
    ColorSpaceXform(cs, dst.colorSpace()).apply(c);
    // One unpremultiplied pixel, converted like any other pixels.
    const ImageInfo one = ImageInfo::Make(1, 1, ColorType::RGBAF32, AlphaType::Unpremul, dst.info().colorSpace);
    Pixmap target;
    if (!dst.extractSubset(&target, area.left, area.top, area.left + 1, area.top + 1)) return false;
    if (!convertPixels(target, Pixmap(one, c, 16))) return false;
    const size_t bpp = size_t(dst.info().bytesPerPixel());
    const char* first = static_cast<const char*>(dst.addr(area.left, area.top));
    for (int y = area.top; y < area.bottom; ++y) {
        char* row = static_cast<char*>(dst.addr(area.left, y));
        for (int x = 0; x < area.width(); ++x)
            if (row + size_t(x) * bpp != first) std::copy(first, first + bpp, row + size_t(x) * bpp);
    }
    return true;
}

}  // namespace plix
