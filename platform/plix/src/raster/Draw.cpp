#include "raster/Draw.h"

#include <algorithm>
#include <cmath>

#include "geometry/Stroker.h"
#include "raster/ImageBlitter.h"
#include "raster/PipelineBlitter.h"
#include "raster/ScanConverter.h"
#include "raster/SolidBlitter.h"

namespace plix {

namespace {

// The clip limited to the pixmap (and the clip mask); empty when nothing may change.
IRect effectiveClip(const DrawTarget& t) {
    IRect clip = t.clip;
    if (!clip.intersect(IRect::MakeWH(t.dst.width(), t.dst.height()))) return {};
    if (t.clipMask && !clip.intersect(t.clipMask->bounds)) return {};
    return clip;
}

// Each thread keeps one pipeline blitter whose storage later draws reuse; a draw that starts
// while it is taken (a callback drawing) gets one of its own.
struct BlitterCache {
    PipelineBlitter blitter;
    bool busy = false;
};
thread_local BlitterCache tCache;

// Calls produce(blitter, clip) with the paint's blitter, behind the clip mask when there is one.
template <class F>
void withBlitter(const DrawTarget& t, const Paint& paint, const Matrix& ctm, F&& produce) {
    const IRect clip = effectiveClip(t);
    if (clip.isEmpty()) return;
    auto run = [&](Blitter& blitter) {
        if (t.clipMask) {
            ClipMaskBlitter masked(&blitter, t.clipMask);
            produce(static_cast<Blitter&>(masked), clip);
        } else {
            produce(blitter, clip);
        }
    };
    SolidBlitter solid;
    if (solid.init(t.dst, paint)) return run(solid);
    ScaledImageBlitter image;
    if (image.init(t.dst, paint, ctm)) return run(image);
    if (tCache.busy) {
        if (auto own = PipelineBlitter::Make(t.dst, paint, ctm)) run(*own);
        return;
    }
    tCache.busy = true;
    struct Release {
        ~Release() { tCache.busy = false; }
    } release;
    if (tCache.blitter.init(t.dst, paint, ctm)) run(tCache.blitter);
}

float resScaleOf(const Matrix& ctm) {
    const float s = ctm.maxScale();
    return s > 0 && std::isfinite(s) ? s : 1;
}

StrokeParams strokeParams(const Paint& p, float width) {
    return {width, p.strokeMiter, StrokeCap(int(p.cap)), StrokeJoin(int(p.join))};
}

}  // namespace

bool fillPathOf(const Path& path, const Paint& paint, float resScale, Path* out) {
    if (paint.style == PaintStyle::Fill || (paint.style == PaintStyle::StrokeAndFill && paint.strokeWidth <= 0)) {
        *out = path;
        return true;
    }
    if (!(paint.strokeWidth > 0)) return false;
    Path stroked;
    if (!strokePath(path, strokeParams(paint, paint.strokeWidth), resScale, &stroked)) return false;
    if (paint.style == PaintStyle::StrokeAndFill) {
        Path both = path;
        both.setFillType(PathFillType::Winding);
        both.addPath(stroked);
        *out = both;
    } else {
        *out = std::move(stroked);
    }
    return true;
}

void drawPath(const DrawTarget& t, const Path& path, const Matrix& ctm, const Paint& paint) {
    if (!path.isFinite() || !ctm.isFinite()) return;
    const bool aa = paint.antiAlias;
    if (paint.style == PaintStyle::Fill || (paint.style == PaintStyle::StrokeAndFill && paint.strokeWidth <= 0)) {
        withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) { fillPath(path, ctm, clip, aa, b); });
        return;
    }
    if (paint.style == PaintStyle::Stroke && paint.strokeWidth <= 0) {
        if (paint.strokeWidth < 0 || std::isnan(paint.strokeWidth)) return;
        // Hairline: one device pixel wide whatever the matrix.
        const Path device = path.makeTransform(ctm);
        Path outline;
        if (!strokePath(device, strokeParams(paint, 1), 1, &outline)) return;
        withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) { fillPath(outline, Matrix(), clip, aa, b); });
        return;
    }
    if (!std::isfinite(paint.strokeWidth)) return;
    Path outline;
    if (!strokePath(path, strokeParams(paint, paint.strokeWidth), resScaleOf(ctm), &outline)) return;
    if (paint.style == PaintStyle::Stroke) {
        withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) { fillPath(outline, ctm, clip, aa, b); });
        return;
    }
    // Stroke and fill: the union of both coverages, blended once.
    withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) {
        IRect bounds = ctm.mapRect(outline.bounds()).roundOut();
        if (isInverseFill(path.fillType())) bounds = clip;
        bounds.join(ctm.mapRect(path.bounds()).roundOut());
        if (!bounds.intersect(clip)) return;
        Mask mask(IRect{bounds.left, bounds.top, bounds.right, bounds.bottom});
        MaskBlitter mb(&mask);
        fillPath(path, ctm, bounds, aa, mb);
        fillPath(outline, ctm, bounds, aa, mb);
        mask.blitTo(b);
    });
}

void drawRect(const DrawTarget& t, const Rect& r, const Matrix& ctm, const Paint& paint) {
    if (!r.isFinite() || !ctm.isFinite()) return;
    if (paint.style == PaintStyle::Fill && ctm.rectStaysRect()) {
        const Rect dev = ctm.mapRect(r.makeSorted());
        withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) { fillRect(dev, clip, paint.antiAlias, b); });
        return;
    }
    Path p;
    p.addRect(r.makeSorted());
    drawPath(t, p, ctm, paint);
}

void drawRRect(const DrawTarget& t, const RRect& rr, const Matrix& ctm, const Paint& paint) {
    if (rr.isRect()) return drawRect(t, rr.rect(), ctm, paint);
    Path p;
    p.addRRect(rr);
    drawPath(t, p, ctm, paint);
}

void drawOval(const DrawTarget& t, const Rect& oval, const Matrix& ctm, const Paint& paint) {
    if (!oval.isFinite()) return;
    Path p;
    p.addOval(oval.makeSorted());
    drawPath(t, p, ctm, paint);
}

void drawPaint(const DrawTarget& t, const Paint& paint) {
    withBlitter(t, paint, Matrix(), [&](Blitter& b, const IRect& clip) {
        b.blitRect(clip.left, clip.top, clip.width(), clip.height());
    });
}

void drawMask(const DrawTarget& t, const IRect& bounds, const uint8_t* coverage, const Matrix& ctm, const Paint& paint) {
    if (bounds.isEmpty() || !coverage) return;
    withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) {
        IRect r = bounds;
        if (!r.intersect(clip)) return;
        const size_t stride = size_t(bounds.width());
        for (int y = r.top; y < r.bottom; ++y) {
            const uint8_t* row = coverage + size_t(y - bounds.top) * stride - bounds.left;
            // Runs of covered pixels only: glyph masks are mostly empty.
            for (int x = r.left; x < r.right;) {
                while (x < r.right && row[x] == 0) ++x;
                const int start = x;
                while (x < r.right && row[x] != 0) ++x;
                if (x > start) b.blitAntiH(start, y, row + start, x - start);
            }
        }
    });
}

}  // namespace plix
