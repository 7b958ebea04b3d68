#include "text/GlyphRun.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "raster/Mask.h"
#include "raster/Paint.h"
#include "raster/ScanConverter.h"

namespace plix {

namespace {

// Hairlines (width 0) are strokes too.
bool strokes(const Paint& paint) { return paint.style != PaintStyle::Fill; }

// Masks larger than this on a side are drawn as paths.
constexpr int kMaxMaskSide = 2048;

void drawAdjustedMask(const DrawTarget& t, const IRect& bounds, const uint8_t* coverage, const uint8_t* table,
                      std::vector<uint8_t>& scratch, const Matrix& ctm, const Paint& paint) {
    const size_t n = size_t(bounds.width()) * size_t(bounds.height());
    if (table) {
        scratch.resize(n);
        for (size_t i = 0; i < n; ++i) scratch[i] = table[coverage[i]];
        coverage = scratch.data();
    }
    drawMask(t, bounds, coverage, ctm, paint);
}

// The matrix from a glyph's own space (font size units, y down, origin on the baseline) to the
// device.
Matrix glyphMatrix(const Matrix& ctm, const GlyphRunView& run, int i) {
    Matrix m = ctm;
    m.preTranslate(run.origin.x, run.origin.y);
    if (run.xforms) m.preConcat(run.xforms[i].toMatrix());
    else m.preTranslate(run.positions[i].x, run.positions[i].y);
    return m;
}

}  // namespace

void drawGlyphRun(const DrawTarget& t, const Matrix& ctm, const GlyphRunView& run, const Paint& paint) {
    const Font& font = *run.font;
    if (run.count <= 0 || !run.glyphs || (!run.positions && !run.xforms) || !(font.size() > 0) ||
        !std::isfinite(font.size()) || !ctm.isFinite() || !run.origin.isFinite())
        return;
    const bool antiAlias = font.edging() != FontEdging::Alias;
    // Device scales across and down, for the strike's pixel size.
    const float sx = std::hypot(ctm[Matrix::kSX], ctm[Matrix::kKY]);
    const float sy = std::hypot(ctm[Matrix::kKX], ctm[Matrix::kSY]);
    const float deviceSize = font.size() * std::max(sx, sy);
    const bool asPaths = ctm.hasPerspective() || !(deviceSize <= kMaxHintedPpem) || !(sx > 0 && sy > 0);

    Paint fill = paint;
    fill.antiAlias = antiAlias;
    if (!asPaths && strokes(paint)) {
        // Stroked glyphs of mask sizes: the stroke's outline as a mask, with the contrast applied.
        const uint8_t* table = antiAlias ? glyphContrastTable(paint.color.data()) : nullptr;
        std::vector<uint8_t> scratch;
        fill.style = PaintStyle::Fill;
        Path glyph, outline;
        for (int i = 0; i < run.count; ++i) {
            if (!font.getPath(run.glyphs[i], &glyph)) continue;
            const Matrix m = glyphMatrix(ctm, run, i);
            if (!fillPathOf(glyph, paint, std::max(sx, sy), &outline)) {
                // Hairlines: one device pixel wide, drawn by the raster layer.
                Paint hairline = paint;
                hairline.antiAlias = antiAlias;
                if (paint.strokeWidth == 0) drawPath(t, glyph, m, hairline);
                continue;
            }
            const Rect devBounds = m.mapRect(outline.computeTightBounds());
            if (!devBounds.isFinite()) continue;
            IRect bounds = devBounds.roundOut();
            IRect clip = t.clip;
            if (!clip.intersect(IRect::MakeWH(t.dst.width(), t.dst.height())) || !bounds.intersect(clip)) continue;
            if (bounds.width() > kMaxMaskSide || bounds.height() > kMaxMaskSide) {
                drawPath(t, outline, m, fill);
                continue;
            }
            Mask coverage(bounds);
            MaskBlitter blitter(&coverage);
            fillPath(outline, m, bounds, antiAlias, blitter);
            drawAdjustedMask(t, bounds, coverage.cov.data(), table, scratch, ctm, fill);
        }
        return;
    }
    if (asPaths) {
        Path glyph;
        for (int i = 0; i < run.count; ++i) {
            if (!font.getPath(run.glyphs[i], &glyph)) continue;
            drawPath(t, glyph, glyphMatrix(ctm, run, i), fill);
        }
        return;
    }
    fill.style = PaintStyle::Fill;
    const uint8_t* table = antiAlias ? glyphContrastTable(paint.color.data()) : nullptr;
    std::vector<uint8_t> scratch;
    const bool axisAligned = (ctm[Matrix::kKX] == 0 && ctm[Matrix::kKY] == 0) || (ctm[Matrix::kSX] == 0 && ctm[Matrix::kSY] == 0);
    const std::shared_ptr<Strike> strike = font.strikeFor(sx, sy, axisAligned);
    if (!strike) return;
    const Matrix fontMatrix = font.fontMatrix();
    const bool plainFont = fontMatrix.isIdentity();
    IRect deviceClip = t.clip;
    if (!deviceClip.intersect(IRect::MakeWH(t.dst.width(), t.dst.height()))) return;
    for (int i = 0; i < run.count; ++i) {
        const Matrix m = glyphMatrix(ctm, run, i);
        const GlyphInfo& g = strike->glyph(run.glyphs[i]);
        if (!g.hasPath) continue;
        // Moved and scaled only (as the strike is): the cached mask at the origin's phase.
        if (plainFont && m[Matrix::kKX] == 0 && m[Matrix::kKY] == 0 && m[Matrix::kSX] > 0 && m[Matrix::kSY] > 0 &&
            std::abs(m[Matrix::kSX] - sx) <= sx * 1e-6f && std::abs(m[Matrix::kSY] - sy) <= sy * 1e-6f &&
            g.imageBounds.width() < kMaxMaskSide && g.imageBounds.height() < kMaxMaskSide) {
            const float ox = m[Matrix::kTX], oy = m[Matrix::kTY];
            if (!(std::abs(ox) < 1e8f && std::abs(oy) < 1e8f)) continue;
            int ix, phase = 0;
            if (font.subpixel()) {
                const int64_t q = int64_t(std::floor(double(ox) * 4 + 0.5));
                ix = int(q >> 2), phase = int(q & 3);
            } else {
                ix = int(std::floor(double(ox) + 0.5));
            }
            const int iy = int(std::floor(double(oy) + 0.5));
            // Glyphs wholly outside the clip (most of a long line) cost no mask.
            const IRect reach{g.imageBounds.left + ix - 1, g.imageBounds.top + iy, g.imageBounds.right + ix + 1,
                              g.imageBounds.bottom + iy};
            if (!IRect(reach).intersect(deviceClip)) continue;
            const GlyphMask* mask = strike->mask(run.glyphs[i], phase, antiAlias);
            if (!mask) continue;
            const IRect b{mask->bounds.left + ix, mask->bounds.top + iy, mask->bounds.right + ix, mask->bounds.bottom + iy};
            drawAdjustedMask(t, b, mask->coverage.data(), table, scratch, ctm, fill);
            continue;
        }
        // Any other transform: the strike's outline mapped to the device and rendered here.
        Matrix toDevice = m;
        toDevice.preConcat(fontMatrix);
        toDevice.preScale(1 / sx, 1 / sy);
        const Rect devBounds = toDevice.mapRect(g.path.computeTightBounds());
        if (!devBounds.isFinite()) continue;
        IRect bounds = devBounds.roundOut();
        IRect clip = t.clip;
        if (!clip.intersect(IRect::MakeWH(t.dst.width(), t.dst.height())) || !bounds.intersect(clip)) continue;
        if (bounds.width() > kMaxMaskSide || bounds.height() > kMaxMaskSide) {
            drawPath(t, g.path, toDevice, fill);  // the path's own coverage, clipped as usual
            continue;
        }
        Mask coverage(bounds);
        MaskBlitter blitter(&coverage);
        fillPath(g.path, toDevice, bounds, antiAlias, blitter);
        drawAdjustedMask(t, bounds, coverage.cov.data(), table, scratch, ctm, fill);
    }
}

}  // namespace plix
