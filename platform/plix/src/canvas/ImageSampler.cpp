#include "canvas/ImageSampler.h"

#include <algorithm>
#include <cmath>

#include "canvas/PixelConvert.h"
#include "core/Half.h"
#include "raster/ShadingScalar.h"

namespace plix {

namespace {

struct SamplerCtx {
    const uint16_t* px;        // premultiplied RGBA halves of the region, row by row
    int rx, ry, rw, rh;        // the region in image pixels
    float left, top, right, bottom;  // where sample positions may go
    int mode;                  // 0 nearest, 1 bilinear, 2 cubic
    float cubicB, cubicC;
    float color[4];            // premultiplied paint colour for alpha-only images
    bool alphaOnly;
};

float cubicWeight(float x, float B, float C) {
    x = std::fabs(x);
    if (x < 1) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
    if (x < 2)
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
    return 0;
}

void sample(void* self, int n, const float* xs, const float* ys, float* r, float* g, float* b, float* a) {
    const SamplerCtx& c = *static_cast<const SamplerCtx*>(self);
    auto fetch = [&](int ix, int iy, float w, float acc[4]) {
        ix = std::clamp(ix, c.rx, c.rx + c.rw - 1) - c.rx;
        iy = std::clamp(iy, c.ry, c.ry + c.rh - 1) - c.ry;
        const uint16_t* p = c.px + (size_t(iy) * size_t(c.rw) + size_t(ix)) * 4;
        for (int k = 0; k < 4; ++k) acc[k] += halfToFloat(p[k]) * w;
    };
    for (int i = 0; i < n; ++i) {
        float u = xs[i], v = ys[i];
        if (!std::isfinite(u) || !std::isfinite(v)) u = c.left, v = c.top;
        float acc[4] = {0, 0, 0, 0};
        if (c.mode == 0) {
            // The pixel before a boundary, kept to those the allowed rect touches.
            const int ix = std::clamp(nearestIndex(u), int(std::floor(c.left)),
                                      int(std::floor(std::nextafter(c.right, c.left))));
            const int iy = std::clamp(nearestIndex(v), int(std::floor(c.top)),
                                      int(std::floor(std::nextafter(c.bottom, c.top))));
            fetch(ix, iy, 1, acc);
        } else {
            // Filter centres stay half a pixel inside, so no tap reaches past the allowed rect.
            const float cx = (c.left + c.right) / 2, cy = (c.top + c.bottom) / 2;
            u = c.right - c.left >= 1 ? std::clamp(u, c.left + 0.5f, c.right - 0.5f) : cx;
            v = c.bottom - c.top >= 1 ? std::clamp(v, c.top + 0.5f, c.bottom - 0.5f) : cy;
            const float fu = u - 0.5f, fv = v - 0.5f;
            const int iu = int(std::floor(fu)), iv = int(std::floor(fv));
            const float tu = fu - float(iu), tv = fv - float(iv);
            if (c.mode == 1) {
                fetch(iu, iv, (1 - tu) * (1 - tv), acc);
                fetch(iu + 1, iv, tu * (1 - tv), acc);
                fetch(iu, iv + 1, (1 - tu) * tv, acc);
                fetch(iu + 1, iv + 1, tu * tv, acc);
            } else {
                float wx[4], wy[4];
                for (int k = 0; k < 4; ++k)
                    wx[k] = cubicWeight(float(k - 1) - tu, c.cubicB, c.cubicC),
                    wy[k] = cubicWeight(float(k - 1) - tv, c.cubicB, c.cubicC);
                for (int j = 0; j < 4; ++j)
                    for (int k = 0; k < 4; ++k) fetch(iu - 1 + k, iv - 1 + j, wx[k] * wy[j], acc);
                acc[3] = std::clamp(acc[3], 0.0f, 1.0f);
                for (int k = 0; k < 3; ++k) acc[k] = std::clamp(acc[k], 0.0f, acc[3]);
            }
        }
        if (c.alphaOnly) {
            const float al = acc[3];
            for (int k = 0; k < 4; ++k) acc[k] = c.color[k] * al;
        }
        r[i] = acc[0], g[i] = acc[1], b[i] = acc[2], a[i] = acc[3];
    }
}

}  // namespace

ImageRectShader::ImageRectShader(sp<Image> image, const Rect& allowed, const Matrix& local,
                                 const SamplingOptions& sampling, const float paintColor[4], const Rect* visible)
    : fImage(std::move(image)), fAllowed(allowed), fLocal(local), fSampling(sampling) {
    std::copy(paintColor, paintColor + 4, fPaintColor);
    if (visible) fVisible = *visible, fHasVisible = true;
}

bool ImageRectShader::appendStages(const StageRec& rec, const Matrix& ctm) const {
    Matrix inv;
    if (!(ctm * fLocal).invert(&inv)) return false;
    Rect allowed = fAllowed;
    if (!allowed.intersect(Rect::Make(fImage->bounds()))) return false;
    // What can show, with room for the widest filter's taps, within the allowed pixels.
    IRect region = allowed.roundOut();
    if (fHasVisible) {
        const IRect vis = fVisible.roundOut();
        if (!region.intersect({vis.left - 2, vis.top - 2, vis.right + 2, vis.bottom + 2})) return false;
    }
    ColorSpace* dstCS = rec.dstColorSpace;
    if (!fConverted || !ColorSpace::Equals(fPixelsSpace.get(), dstCS) || !(fRegion == region)) {
        Pixmap part;
        if (!fImage->pixmap().extractSubset(&part, region.left, region.top, region.right, region.bottom)) return false;
        const ImageInfo info = ImageInfo::Make(part.width(), part.height(), ColorType::RGBAF16, AlphaType::Premul,
                                               dstCS ? sp_ref(dstCS) : nullptr);
        if (info.computeMinByteSize() > PixelStorage::kMaxPixelBytes) return false;
        fPixels.assign(info.computeMinByteSize() / 2, 0);
        if (!convertPixels(Pixmap(info, fPixels.data(), info.minRowBytes()), part)) return false;
        fRegion = region;
        fPixelsSpace = info.colorSpace;
        fConverted = true;
    }
    Pipeline& p = *rec.pipeline;
    SamplerCtx ctx{};
    ctx.px = fPixels.data();
    ctx.rx = region.left, ctx.ry = region.top, ctx.rw = region.width(), ctx.rh = region.height();
    ctx.left = allowed.left, ctx.top = allowed.top, ctx.right = allowed.right, ctx.bottom = allowed.bottom;
    ctx.mode = fSampling.useCubic ? 2 : fSampling.filter == FilterMode::Linear ? 1 : 0;
    ctx.cubicB = fSampling.cubic.B, ctx.cubicC = fSampling.cubic.C;
    ctx.alphaOnly = fImage->isAlphaOnly();
    if (ctx.alphaOnly) {
        float c[4] = {fPaintColor[0], fPaintColor[1], fPaintColor[2], std::clamp(fPaintColor[3], 0.0f, 1.0f)};
        if (rec.dstColorSpace) ColorSpaceXform(ColorSpace::MakeSRGB().get(), rec.dstColorSpace).apply(c);
        ctx.color[0] = c[0] * c[3], ctx.color[1] = c[1] * c[3], ctx.color[2] = c[2] * c[3], ctx.color[3] = c[3];
    }
    if (inv.hasPerspective()) {
        float* m = p.makeArray<float>(9);
        for (int i = 0; i < 9; ++i) m[i] = inv[i];
        p.append(Op::matrix_perspective, m);
    } else {
        float* m = p.makeArray<float>(6);
        for (int i = 0; i < 6; ++i) m[i] = inv[i];
        p.append(Op::matrix_2x3, m);
    }
    const SamplerCtx* stored = p.make(ctx);
    p.append(Op::callback, p.make(CallbackCtx{&sample, const_cast<SamplerCtx*>(stored)}));
    return true;
}

}  // namespace plix
