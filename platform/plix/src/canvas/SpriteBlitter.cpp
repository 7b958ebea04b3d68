#include "canvas/SpriteBlitter.h"

#include <algorithm>

#include "raster/PixelFormats.h"

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

}  // namespace

std::unique_ptr<SpriteBlitter> SpriteBlitter::Make(const Pixmap& dst, const Pixmap& src, int x, int y,
                                                   const IRect& area, const Paint& paint) {
    if (!dst.valid() || !src.valid() || area.isEmpty()) return nullptr;
    if (!IRect::MakeWH(dst.width(), dst.height()).contains(area) ||
        !IRect::MakeXYWH(x, y, src.width(), src.height()).contains(area))
        return nullptr;
    const LoadFn srcLoad = loadFn(src.colorType()), dstLoad = loadFn(dst.colorType());
    const StoreFn dstStore = storeFn(dst.colorType());
    if (!srcLoad || !dstLoad || !dstStore) return nullptr;

    std::unique_ptr<SpriteBlitter> b(new SpriteBlitter());
    b->fArea = area;
    BlendMode mode = BlendMode::SrcOver;
    const bool isMode = paint.asBlendMode(&mode);
    const bool srcOpaque = src.alphaType() == AlphaType::Opaque || !hasAlphaChannel(src.colorType());
    const bool opaque = srcOpaque && paint.alpha() >= 1 && !paint.colorFilter;
    // Same 32-bit layout on both sides, both premultiplied, plain SrcOver: the 8-bit rule (a
    // paint alpha that rounds to 0 draws nothing, which the float pipeline does exactly).
    const ColorType ct = dst.colorType();
    if ((ct == ColorType::RGBA8888 || ct == ColorType::BGRA8888) && src.colorType() == ct &&
        dst.alphaType() == AlphaType::Premul && src.alphaType() == AlphaType::Premul && isMode &&
        mode == BlendMode::SrcOver && !paint.colorFilter && paint.alpha() * 255 >= 0.5f) {
        b->fLowp = &lowpKernels();
        b->fSrcRow0 = static_cast<const char*>(src.addr(area.left - x, area.top - y));
        b->fSrcRowBytes = src.rowBytes();
        b->fDstRow0 = static_cast<char*>(dst.addr(area.left, area.top));
        b->fDstRowBytes = dst.rowBytes();
        b->fAlpha = uint32_t(std::clamp(paint.alpha(), 0.0f, 1.0f) * 255 + 0.5f);
    }
    for (int pass = 0; pass < 2; ++pass) {
        const bool coverage = pass == 1;
        Pipeline& p = coverage ? b->fPartial : b->fFull;
        StageRec rec{&p, dst.colorSpace(), paint.alpha()};
        MemoryCtx* in = p.make(MemoryCtx{src.addr(area.left - x, area.top - y), src.rowBytes(),
                                         src.info().bytesPerPixel(), srcLoad, nullptr});
        MemoryCtx* out = p.make(MemoryCtx{dst.addr(area.left, area.top), dst.rowBytes(), dst.info().bytesPerPixel(),
                                          dstLoad, dstStore});
        p.append(Op::load_src, in);
        if (srcOpaque) p.append(Op::force_opaque);
        if (paint.alpha() < 1) p.append(Op::scale_1_float, p.make(std::max(paint.alpha(), 0.0f)));
        if (paint.colorFilter) paint.colorFilter->appendStages(rec);
        if (isNormalized(dst.colorType())) p.append(Op::clamp_a);
        const bool needsDst = coverage || !isMode || !(mode == BlendMode::Src || (mode == BlendMode::SrcOver && opaque));
        if (needsDst) {
            p.append(Op::load_dst, out);
            if (dst.alphaType() == AlphaType::Unpremul) p.append(Op::premul_dst);
        }
        if (isMode) {
            if (coverage && blendSupportsCoverageAsAlpha(mode)) p.append(Op::scale_coverage);
            if (needsDst) p.append(blendOp(mode));
            if (coverage && !blendSupportsCoverageAsAlpha(mode)) p.append(Op::lerp_coverage);
        } else {
            paint.blender->appendStages(rec);
            if (coverage) p.append(Op::lerp_coverage);
        }
        if (dst.alphaType() == AlphaType::Unpremul) p.append(Op::unpremul);
        p.append(Op::store, out);
    }
    return b;
}

void SpriteBlitter::blitH(int x, int y, int w) {
    // Clamped to the area: callers may hand whole clip rows.
    const int a = std::max(x, fArea.left), e = std::min(x + w, fArea.right);
    if (y < fArea.top || y >= fArea.bottom || a >= e) return;
    if (fLowp) {
        const size_t row = size_t(y - fArea.top), col = size_t(a - fArea.left);
        fLowp->spriteOver(reinterpret_cast<uint32_t*>(fDstRow0 + row * fDstRowBytes) + col,
                          reinterpret_cast<const uint32_t*>(fSrcRow0 + row * fSrcRowBytes) + col, e - a, fAlpha);
        return;
    }
    fBatch.dy = y - fArea.top;
    for (int i = a; i < e; i += kBatch) {
        fBatch.dx = i - fArea.left;
        fBatch.n = std::min(kBatch, e - i);
        fFull.run(fBatch);
    }
}

void SpriteBlitter::blitAntiH(int x, int y, const uint8_t* cov, int n) {
    const int a = std::max(x, fArea.left), e = std::min(x + n, fArea.right);
    if (y < fArea.top || y >= fArea.bottom || a >= e) return;
    fBatch.dy = y - fArea.top;
    for (int i = a; i < e; i += kBatch) {
        fBatch.dx = i - fArea.left;
        fBatch.n = std::min(kBatch, e - i);
        for (int k = 0; k < fBatch.n; ++k) fBatch.c[k] = cov[i - x + k] * (1 / 255.0f);
        fPartial.run(fBatch);
    }
}

}  // namespace plix
