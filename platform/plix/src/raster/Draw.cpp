#include "raster/Draw.h"

#include <algorithm>
#include <cmath>

#include "geometry/PathOps.h"
#include "geometry/Stroker.h"
#include "pathfx/PathEffect.h"
#include "raster/Hairline.h"
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

// The stroke outline covers what the stroke does under the winding rule; a path with an inverse
// fill type strokes to the outside of its outline, as the reference engine draws it.
bool strokeOutline(const Path& path, const Paint& paint, float resScale, Path* out) {
    if (!strokePath(path, strokeParams(paint, paint.strokeWidth), resScale, out)) return false;
    out->setFillType(isInverseFill(path.fillType()) ? PathFillType::InverseWinding : PathFillType::Winding);
    return true;
}

// Hairlines (width 0) and anti-aliased strokes at most a device pixel wide, which the reference
// draws as hairlines with their alpha scaled by the width when the blend mode lets coverage
// stand for alpha. True when drawn (or when nothing is to be drawn).
bool drawAsHairline(const DrawTarget& t, const Path& path, const Matrix& ctm, const Paint& paint) {
    const float width = paint.strokeWidth;
    if (width < 0 || std::isnan(width)) return true;
    float coverage = 1;
    if (width > 0 && (!paint.antiAlias || !strokeDrawsAsHairline(width, ctm, &coverage))) return false;
    const Paint* hairPaint = &paint;
    Paint thin;
    if (coverage != 1) {
        BlendMode mode;
        if (!paint.asBlendMode(&mode) || !blendSupportsCoverageAsAlpha(mode)) return false;
        thin = paint;
        const uint8_t alpha = uint8_t(std::lround(std::clamp(paint.alpha(), 0.0f, 1.0f) * 255));
        thin.setAlpha(thinStrokeAlpha(alpha, coverage) / 255.0f);
        hairPaint = &thin;
    }
    const Path device = hairlineDevicePath(path, ctm);
    withBlitter(t, *hairPaint, ctm, [&](Blitter& b, const IRect& clip) {
        hairPath(device, paint.cap, clip, paint.antiAlias, b);
    });
    return true;
}

// Runs the paint's path effect: out is the path to draw with plain, the paint without its effect
// and with the stroke settings the effect leaves. False when the effect does not apply.
bool applyPathEffect(const Path& path, const Paint& paint, const Matrix& ctm, Path* out, Paint* plain) {
    StrokeRec rec;
    const bool stroking = paint.style != PaintStyle::Fill && paint.strokeWidth > 0;
    rec.style = paint.style == PaintStyle::Stroke ? (stroking ? StrokeRec::Style::Stroke : StrokeRec::Style::Hairline)
                : stroking                        ? StrokeRec::Style::StrokeAndFill
                                                  : StrokeRec::Style::Fill;
    rec.params = strokeParams(paint, paint.strokeWidth);
    rec.resScale = resScaleOf(ctm);
    if (!static_cast<const PathEffect&>(*paint.pathEffect).filterPath(out, path, &rec, ctm)) return false;
    *plain = paint;
    plain->pathEffect = nullptr;
    plain->style = rec.style == StrokeRec::Style::Fill            ? PaintStyle::Fill
                   : rec.style == StrokeRec::Style::StrokeAndFill ? PaintStyle::StrokeAndFill
                                                                  : PaintStyle::Stroke;
    plain->strokeWidth = rec.style == StrokeRec::Style::Hairline ? 0 : rec.params.width;
    plain->cap = rec.params.cap, plain->join = rec.params.join, plain->strokeMiter = rec.params.miterLimit;
    return true;
}

}  // namespace

// Stroke and fill covers the union of the path filled with the winding rule (whatever its own
// fill type: an even-odd pentagram gets its centre) and the stroke; inverse fill types cover
// everything outside that union.
bool fillPathOf(const Path& path, const Paint& paint, float resScale, Path* out) {
    if (paint.pathEffect) {
        Path fx;
        Paint plain;
        if (applyPathEffect(path, paint, Matrix::Scale(resScale, resScale), &fx, &plain))
            return fillPathOf(fx, plain, resScale, out);
    }
    if (paint.style == PaintStyle::Fill || (paint.style == PaintStyle::StrokeAndFill && paint.strokeWidth <= 0)) {
        *out = path;
        return true;
    }
    if (!(paint.strokeWidth > 0)) return false;
    Path stroked;
    if (!strokeOutline(path, paint, resScale, &stroked)) return false;
    if (paint.style == PaintStyle::StrokeAndFill) {
        const bool inverse = isInverseFill(path.fillType());
        Path filled = path;
        filled.setFillType(PathFillType::Winding);
        stroked.setFillType(PathFillType::Winding);
        // The two outlines added together could cancel where their windings differ in sign.
        Path both;
        if (!pathOp(filled, stroked, PathOp::Union, &both)) {
            both = filled;
            both.addPath(stroked);
        }
        both.setFillType(inverse ? PathFillType::InverseWinding : PathFillType::Winding);
        *out = std::move(both);
    } else {
        *out = std::move(stroked);
    }
    return true;
}

void drawPath(const DrawTarget& t, const Path& path, const Matrix& ctm, const Paint& paint) {
    if (!path.isFinite() || !ctm.isFinite()) return;
    if (paint.pathEffect) {
        Path fx;
        Paint plain;
        if (applyPathEffect(path, paint, ctm, &fx, &plain)) return drawPath(t, fx, ctm, plain);
    }
    const bool aa = paint.antiAlias;
    if (paint.style == PaintStyle::Fill || (paint.style == PaintStyle::StrokeAndFill && paint.strokeWidth <= 0)) {
        withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) { fillPath(path, ctm, clip, aa, b); });
        return;
    }
    if (paint.style == PaintStyle::Stroke && drawAsHairline(t, path, ctm, paint)) return;
    if (!std::isfinite(paint.strokeWidth)) return;
    Path outline;
    if (!strokeOutline(path, paint, resScaleOf(ctm), &outline)) return;
    if (paint.style == PaintStyle::Stroke) {
        withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) { fillPath(outline, ctm, clip, aa, b); });
        return;
    }
    // Stroke and fill: the union of both coverages (the path under the winding rule), blended
    // once; inverse fill types cover the rest of the clip.
    const bool inverse = isInverseFill(path.fillType());
    Path filled = path;
    filled.setFillType(PathFillType::Winding);
    outline.setFillType(PathFillType::Winding);
    withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) {
        IRect bounds = clip;
        if (!inverse) {
            bounds = ctm.mapRect(outline.bounds()).roundOut();
            bounds.join(ctm.mapRect(path.bounds()).roundOut());
            if (!bounds.intersect(clip)) return;
        }
        Mask mask(IRect{bounds.left, bounds.top, bounds.right, bounds.bottom});
        MaskBlitter mb(&mask);
        fillPath(filled, ctm, bounds, aa, mb);
        fillPath(outline, ctm, bounds, aa, mb);
        if (inverse)
            for (uint8_t& c : mask.cov) c = uint8_t(255 - c);
        mask.blitTo(b);
    });
}

void drawRect(const DrawTarget& t, const Rect& r, const Matrix& ctm, const Paint& paint) {
    if (!r.isFinite() || !ctm.isFinite()) return;
    if (paint.style == PaintStyle::Fill && !paint.pathEffect && ctm.rectStaysRect()) {
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

void drawHairlineSegments(const DrawTarget& t, const Point devicePts[], size_t count, bool chained,
                          const Matrix& ctm, const Paint& paint) {
    if (!devicePts || count < 2) return;
    withBlitter(t, paint, ctm, [&](Blitter& b, const IRect& clip) {
        const size_t step = chained ? 1 : 2;
        for (size_t i = 0; i + 1 < count; i += step) hairLines(devicePts + i, 2, clip, paint.antiAlias, b);
    });
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
