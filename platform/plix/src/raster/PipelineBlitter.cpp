#include "raster/PipelineBlitter.h"

#include <algorithm>

#include "raster/ParallelBlit.h"

namespace plix {

namespace {

bool isNormalized(ColorType ct) {
    switch (ct) {
        case ColorType::RGBAF16: case ColorType::RGBAF32: case ColorType::AlphaF16: case ColorType::RGF16:
            return false;
        default:
            return true;
    }
}

// The dither step of the destination's precision; 0 when dithering is pointless.
float ditherRate(ColorType ct) {
    switch (ct) {
        case ColorType::RGB565: return 1 / 63.0f;
        case ColorType::ARGB4444: return 1 / 15.0f;
        case ColorType::RGBA8888: case ColorType::BGRA8888: case ColorType::RGB888X:
        case ColorType::SRGBA8888: case ColorType::Gray8: case ColorType::R8: case ColorType::RG88:
        case ColorType::Alpha8:
            return 1 / 255.0f;
        case ColorType::RGBA1010102: case ColorType::BGRA1010102: case ColorType::RGB101010X:
        case ColorType::BGR101010X:
            return 1 / 1023.0f;
        default: return 0;
    }
}

}  // namespace

bool appendPaintColorStages(Pipeline& p, const Paint& paint, const Matrix& ctm, ColorSpace* dstCS) {
    StageRec rec{&p, dstCS, paint.alpha()};
    if (paint.shader) {
        p.append(Op::seed_shader);
        if (!paint.shader->appendStages(rec, ctm)) return false;
        if (paint.alpha() < 1 && !paint.shader->usesPaintColor()) p.append(Op::scale_1_float, p.make(paint.alpha()));
    } else {
        float c[4] = {paint.color[0], paint.color[1], paint.color[2], paint.color[3]};
        if (dstCS) {
            auto srgb = ColorSpace::MakeSRGB();
            ColorSpaceXform(srgb.get(), dstCS).apply(c);
        }
        float* premul = p.makeArray<float>(4);
        const float a = std::clamp(c[3], 0.0f, 1.0f);
        premul[0] = c[0] * a, premul[1] = c[1] * a, premul[2] = c[2] * a, premul[3] = a;
        p.append(Op::constant_color, premul);
    }
    if (paint.colorFilter) paint.colorFilter->appendStages(rec);
    return true;
}

std::unique_ptr<PipelineBlitter> PipelineBlitter::Make(const Pixmap& dst, const Paint& paint, const Matrix& ctm) {
    auto b = std::make_unique<PipelineBlitter>();
    if (!b->init(dst, paint, ctm)) return nullptr;
    return b;
}

bool PipelineBlitter::initLike(const PipelineBlitter& other) {
    fReference = other.fReference;
    return other.fPaint && init(other.fDst, *other.fPaint, other.fCtm);
}

bool PipelineBlitter::init(const Pixmap& dst, const Paint& paint, const Matrix& ctm) {
    fFull.reset();
    fPartial.reset();
    fDst = dst;
    fPaint = &paint;
    fCtm = ctm;
    if (!dst.valid()) return false;
    const ColorType ct = dst.colorType();
    const LoadFn load = loadFn(ct);
    const StoreFn store = storeFn(ct);
    if (!load || !store) return false;

    PipelineBlitter* b = this;
    BlendMode mode = BlendMode::SrcOver;
    const bool isMode = paint.asBlendMode(&mode);
    const bool solidColor = !paint.shader;
    const bool opaqueSource = !paint.colorFilter && (solidColor ? paint.alpha() >= 1
                                                                : paint.shader->isOpaque() && paint.alpha() >= 1);
    // An opaque source over anything is just the source where fully covered.
    const bool srcOverOpaque = isMode && mode == BlendMode::SrcOver && opaqueSource;

    for (int pass = 0; pass < 2; ++pass) {
        const bool coverage = pass == 1;
        Pipeline& p = coverage ? b->fPartial : b->fFull;
        if (!appendPaintColorStages(p, paint, ctm, dst.colorSpace())) return false;
        StageRec rec{&p, dst.colorSpace(), paint.alpha()};
        if (paint.dither && !solidColor) {
            const float rate = ditherRate(ct);
            if (rate > 0) p.append(Op::dither, p.make(rate));
        }
        if (isNormalized(ct)) p.append(Op::clamp_a);
        MemoryCtx* mem = p.make(MemoryCtx{dst.addr(), dst.rowBytes(), dst.info().bytesPerPixel(), load, store});
        const bool needsDst = coverage || !isMode || !(mode == BlendMode::Src || srcOverOpaque);
        // 32-bit RGBA and BGRA pixels move through their own vector stages.
        const Op loadDst = ct == ColorType::RGBA8888 ? Op::load_dst_rgba : ct == ColorType::BGRA8888 ? Op::load_dst_bgra : Op::load_dst;
        const Op storeOp = ct == ColorType::RGBA8888 ? Op::store_rgba : ct == ColorType::BGRA8888 ? Op::store_bgra : Op::store;
        if (needsDst) {
            p.append(loadDst, mem);
            if (dst.alphaType() == AlphaType::Unpremul) p.append(Op::premul_dst);
        }
        if (isMode) {
            if (coverage && blendSupportsCoverageAsAlpha(mode)) p.append(Op::scale_coverage);
            if (!(srcOverOpaque && !coverage)) p.append(blendOp(mode));
            if (coverage && !blendSupportsCoverageAsAlpha(mode)) p.append(Op::lerp_coverage);
        } else {
            paint.blender->appendStages(rec);
            if (coverage) p.append(Op::lerp_coverage);
        }
        if (dst.alphaType() == AlphaType::Unpremul) p.append(Op::unpremul);
        p.append(storeOp, mem);
    }
    return true;
}

void PipelineBlitter::run(const Pipeline& p) {
    if (fReference)
        p.runReference(fBatch);
    else
        p.run(fBatch);
}

void PipelineBlitter::blitH(int x, int y, int w) {
    fBatch.dy = y;
    for (int i = 0; i < w; i += kBatch) {
        fBatch.dx = x + i;
        fBatch.n = std::min(kBatch, w - i);
        run(fFull);
    }
}

void PipelineBlitter::blitAntiH(int x, int y, const uint8_t* cov, int n) {
    fBatch.dy = y;
    for (int i = 0; i < n; i += kBatch) {
        fBatch.dx = x + i;
        fBatch.n = std::min(kBatch, n - i);
        for (int k = 0; k < fBatch.n; ++k) fBatch.c[k] = cov[i + k] * (1 / 255.0f);
        run(fPartial);
    }
}

void PipelineBlitter::blitRect(int x, int y, int w, int h) {
    if (BlitRectInBands(*this, x, y, w, h)) return;
    for (int j = 0; j < h; ++j) blitH(x, y + j, w);
}

}  // namespace plix
