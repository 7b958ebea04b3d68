#include "canvas/RasterClip.h"

#include <algorithm>
#include <cstring>

#include "raster/Paint.h"
#include "raster/PipelineBlitter.h"
#include "raster/ScanConverter.h"

namespace plix {

namespace {

uint8_t mul255(unsigned a, unsigned b) {
    const unsigned v = a * b;
    return uint8_t((v + 128 + ((v + 128) >> 8)) >> 8);
}

// The device rectangle a rect clip covers exactly, when it is one (pixel-aligned, or aliased).
bool exactDeviceRect(const Rect& r, const Matrix& ctm, bool antiAlias, IRect* out) {
    if (!ctm.rectStaysRect()) return false;
    const Rect dev = ctm.mapRect(r.makeSorted());
    const IRect rounded = dev.round();
    if (antiAlias && !(Rect::Make(rounded) == dev)) return false;
    *out = rounded;
    return true;
}

}  // namespace

void RasterClip::opRect(const Rect& r, const Matrix& ctm, ClipOp op, bool antiAlias) {
    if (!r.isFinite() || !ctm.isFinite()) {
        if (op == ClipOp::Intersect) setEmpty();
        return;
    }
    if (isEmpty()) return;
    IRect ir;
    if (exactDeviceRect(r, ctm, antiAlias, &ir)) {
        if (op == ClipOp::Intersect) {
            if (!fBounds.intersect(ir)) setEmpty();
            return;
        }
        IRect overlap = fBounds;
        if (ir.isEmpty() || !overlap.intersect(ir)) return;
        if (overlap == fBounds) return setEmpty();
        if (!fMask) {
            // Removing a band that spans the whole width or height leaves a rectangle.
            if (overlap.left == fBounds.left && overlap.right == fBounds.right) {
                if (overlap.top == fBounds.top) { fBounds.top = overlap.bottom; return; }
                if (overlap.bottom == fBounds.bottom) { fBounds.bottom = overlap.top; return; }
            }
            if (overlap.top == fBounds.top && overlap.bottom == fBounds.bottom) {
                if (overlap.left == fBounds.left) { fBounds.left = overlap.right; return; }
                if (overlap.right == fBounds.right) { fBounds.right = overlap.left; return; }
            }
        }
        Mask cov(fBounds);
        for (int y = overlap.top; y < overlap.bottom; ++y)
            std::fill(cov.row(y) + overlap.left, cov.row(y) + overlap.right, uint8_t(255));
        applyCoverage(std::move(cov), op);
        return;
    }
    Path p;
    p.addRect(r.makeSorted());
    opPath(p, ctm, op, antiAlias);
}

void RasterClip::opPath(const Path& path, const Matrix& ctm, ClipOp op, bool antiAlias) {
    if (isEmpty()) return;
    if (!path.isFinite() || !ctm.isFinite()) {
        if (op == ClipOp::Intersect) setEmpty();
        return;
    }
    Mask cov(fBounds);
    MaskBlitter mb(&cov);
    fillPath(path, ctm, fBounds, antiAlias, mb);
    applyCoverage(std::move(cov), op);
}

void RasterClip::opShader(const Shader& shader, const Matrix& ctm, ClipOp op) {
    if (isEmpty()) return;
    Mask cov(fBounds);
    const Pixmap pm(ImageInfo::Make(fBounds.width(), fBounds.height(), ColorType::Alpha8, AlphaType::Premul),
                    cov.cov.data(), size_t(fBounds.width()));
    Paint paint;
    paint.shader = sp_ref(const_cast<Shader*>(&shader));
    paint.setBlendMode(BlendMode::Src);
    const Matrix local = Matrix::Translate(float(-fBounds.left), float(-fBounds.top)) * ctm;
    if (auto blitter = PipelineBlitter::Make(pm, paint, local))
        blitter->blitRect(0, 0, fBounds.width(), fBounds.height());
    else if (op == ClipOp::Difference)
        return;  // a shader that cannot draw covers nothing
    applyCoverage(std::move(cov), op);
}

void RasterClip::applyCoverage(Mask&& cov, ClipOp op) {
    const Mask* old = fMask.get();
    for (int y = fBounds.top; y < fBounds.bottom; ++y) {
        uint8_t* c = cov.row(y);
        const uint8_t* o = old ? old->row(y) : nullptr;
        for (int x = fBounds.left; x < fBounds.right; ++x) {
            const unsigned v = op == ClipOp::Intersect ? c[x] : 255u - c[x];
            c[x] = o ? mul255(v, o[x]) : uint8_t(v);
        }
    }
    fMask = std::make_shared<const Mask>(std::move(cov));
    shrinkToCoverage();
}

void RasterClip::shrinkToCoverage() {
    const Mask& m = *fMask;
    IRect tight{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    bool full = true;
    for (int y = fBounds.top; y < fBounds.bottom; ++y) {
        const uint8_t* r = m.row(y);
        for (int x = fBounds.left; x < fBounds.right; ++x) {
            if (r[x] != 255) full = false;
            if (r[x]) {
                tight.left = std::min(tight.left, x), tight.right = std::max(tight.right, x + 1);
                tight.top = std::min(tight.top, y), tight.bottom = std::max(tight.bottom, y + 1);
            }
        }
    }
    if (tight.left > tight.right) return setEmpty();
    fBounds = tight;
    if (full) fMask.reset();
}

RasterClip RasterClip::makeOffsetCropped(int originX, int originY, int width, int height) const {
    RasterClip out;
    IRect b{fBounds.left - originX, fBounds.top - originY, fBounds.right - originX, fBounds.bottom - originY};
    if (!b.intersect(IRect::MakeWH(width, height))) return out;
    out.fBounds = b;
    if (fMask) {
        Mask m(b);
        for (int y = b.top; y < b.bottom; ++y)
            std::memcpy(m.row(y) + b.left, fMask->row(y + originY) + b.left + originX, size_t(b.width()));
        out.fMask = std::make_shared<const Mask>(std::move(m));
    }
    return out;
}

}  // namespace plix
