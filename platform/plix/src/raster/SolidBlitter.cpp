#include "raster/SolidBlitter.h"

#include <algorithm>
#include <cstring>

#include "raster/PipelineBlitter.h"

namespace plix {

namespace {

float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; }  // NaN -> 0

// The paint's premultiplied colour in the destination's space, as the pipeline's colour stages
// and its clamp would leave it.
void paintColor(const Paint& paint, ColorSpace* dstCS, float out[4]) {
    if (paint.colorFilter) {
        // Colour filters do not depend on position: run them once on the colour.
        Pipeline p;
        appendPaintColorStages(p, paint, Matrix(), dstCS);
        p.append(Op::clamp_a);
        Batch b;
        b.n = 1;
        p.run(b);
        out[0] = b.r[0], out[1] = b.g[0], out[2] = b.b[0], out[3] = b.a[0];
        return;
    }
    float c[4] = {paint.color[0], paint.color[1], paint.color[2], paint.color[3]};
    if (dstCS) ColorSpaceXform(ColorSpace::MakeSRGB().get(), dstCS).apply(c);
    const float a = clamp01(c[3]);
    out[3] = a;
    for (int i = 0; i < 3; ++i) out[i] = std::min(std::max(c[i] * a, 0.0f), a);  // NaN -> 0
}

}  // namespace

bool SolidBlitter::init(const Pixmap& dst, const Paint& paint) {
    if (paint.shader || !dst.valid()) return false;
    const ColorType ct = dst.colorType();
    if (ct != ColorType::RGBA8888 && ct != ColorType::BGRA8888) return false;
    if (dst.alphaType() == AlphaType::Unpremul) return false;
    BlendMode mode;
    if (!paint.asBlendMode(&mode) || (mode != BlendMode::SrcOver && mode != BlendMode::Src)) return false;

    float c[4];
    paintColor(paint, dst.colorSpace(), c);
    const bool bgra = ct == ColorType::BGRA8888;
    const float ordered[4] = {bgra ? c[2] : c[0], c[1], bgra ? c[0] : c[2], c[3]};
    fPixel = 0;
    for (int i = 0; i < 4; ++i) {
        fColor[i] = ordered[i] * 255;
        fPixel |= uint32_t(ordered[i] * 255 + 0.5f) << (8 * i);
    }
    if (mode == BlendMode::Src) fKind = Kind::Src;
    else if (c[3] >= 1) fKind = Kind::Fill;
    else if (c[3] <= 0) fKind = Kind::Nothing;
    else fKind = Kind::SrcOver;
    fK = &spanKernels();
    fLowp = &lowpKernels();
    fBase = static_cast<char*>(dst.addr());
    fRowBytes = dst.rowBytes();
    fHeight = dst.height();
    return true;
}

void SolidBlitter::blitH(int x, int y, int w) {
    if (w <= 0) return;
    prefetchBelow(x, y, w);
    switch (fKind) {
        case Kind::Nothing: break;
        case Kind::Fill: case Kind::Src: fK->fill(row(x, y), w, fPixel); break;
        case Kind::SrcOver: fLowp->srcOver(row(x, y), w, fPixel); break;
    }
}

void SolidBlitter::blitAntiH(int x, int y, const uint8_t* cov, int n) {
    if (n <= 0) return;
    prefetchBelow(x, y, n);
    switch (fKind) {
        case Kind::Nothing: break;
        case Kind::Fill: case Kind::SrcOver: fLowp->srcOverCoverage(row(x, y), n, fPixel, cov); break;
        case Kind::Src: fK->lerpCov(row(x, y), n, fColor, cov); break;
    }
}

void SolidBlitter::blitRect(int x, int y, int w, int h) {
    if (w <= 0 || fKind == Kind::Nothing) return;
    for (int j = 0; j < h; ++j) blitH(x, y + j, w);
}

}  // namespace plix
