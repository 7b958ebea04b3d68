#include "text/Font.h"

#include <algorithm>
#include <cmath>

#include "geometry/PathFlatten.h"
#include "raster/Paint.h"
#include "text/FontMgr.h"

namespace plix {

namespace {

// Sizes above the hinted limit measure at this size and scale.
constexpr float kMeasureSize = 64;

// How far a paint's stroke reaches beyond the glyph outline.
float strokeOutset(const Paint* paint) {
    if (!paint || paint->style == PaintStyle::Fill || !(paint->strokeWidth > 0) || !std::isfinite(paint->strokeWidth))
        return 0;
    return paint->strokeWidth / 2;
}

}  // namespace

Font::Font(sp<Typeface> typeface, float size, float scaleX, float skewX)
    : fTypeface(std::move(typeface)), fScaleX(scaleX), fSkewX(skewX) {
    setSize(size);
}

sp<Typeface> Font::typefaceOrDefault() const { return fTypeface ? fTypeface : defaultTypeface(); }

bool Font::operator==(const Font& o) const {
    const uint32_t a = fTypeface ? fTypeface->uniqueID() : 0, b = o.fTypeface ? o.fTypeface->uniqueID() : 0;
    return a == b && fSize == o.fSize && fScaleX == o.fScaleX && fSkewX == o.fSkewX && fEdging == o.fEdging &&
           fHinting == o.fHinting && fSubpixel == o.fSubpixel && fBaselineSnap == o.fBaselineSnap &&
           fEmbolden == o.fEmbolden && fLinearMetrics == o.fLinearMetrics && fEmbeddedBitmaps == o.fEmbeddedBitmaps &&
           fForceAutoHinting == o.fForceAutoHinting;
}

uint16_t Font::unicharToGlyph(int32_t unichar) const {
    const sp<Typeface> tf = typefaceOrDefault();
    return tf ? tf->unicharToGlyph(unichar) : 0;
}

size_t Font::textToGlyphs(const void* text, size_t bytes, TextEncoding enc, uint16_t* out, size_t max) const {
    const sp<Typeface> tf = enc == TextEncoding::GlyphID ? nullptr : typefaceOrDefault();
    size_t n = 0;
    forEachUnichar(text, bytes, enc, [&](int32_t c) {
        if (out && n < max) out[n] = enc == TextEncoding::GlyphID ? uint16_t(c) : tf ? tf->unicharToGlyph(c) : 0;
        ++n;
    });
    return n;
}

std::shared_ptr<Strike> Font::strikeFor(float deviceScaleX, float deviceScaleY, bool axisAligned) const {
    sp<Typeface> tf = typefaceOrDefault();
    if (!tf) return nullptr;
    StrikeKey key;
    key.typefaceID = tf->uniqueID();
    key.ppemX = fSize * deviceScaleX;
    key.ppemY = fSize * deviceScaleY;
    key.hinting = axisAligned && fSkewX == 0 ? fHinting : FontHinting::None;
    key.embolden = fEmbolden;
    key.forceAutoHinting = fForceAutoHinting;
    key.embeddedBitmaps = fEmbeddedBitmaps;
    key.mono = fEdging == FontEdging::Alias;
    return findOrCreateStrike(tf, key);
}

std::shared_ptr<Strike> Font::measureStrike(float* scale) const {
    if (fSize > kMaxHintedPpem) {
        Font canonical = *this;
        canonical.fSize = kMeasureSize;
        canonical.fHinting = FontHinting::None;
        *scale = fSize / kMeasureSize;
        return canonical.strikeFor(1, 1);
    }
    *scale = 1;
    return strikeFor(1, 1);
}

void Font::getWidthsBounds(const uint16_t glyphs[], int count, float widths[], Rect bounds[], const Paint* paint) const {
    if (!glyphs || count <= 0) return;
    float scale = 1;
    const std::shared_ptr<Strike> strike = fSize > 0 ? measureStrike(&scale) : nullptr;
    const bool plainMatrix = fScaleX == 1 && fSkewX == 0;
    const bool linear = fLinearMetrics || !plainMatrix;
    const float outset = strokeOutset(paint);
    for (int i = 0; i < count; ++i) {
        if (!strike) {
            if (widths) widths[i] = 0;
            if (bounds) bounds[i] = {};
            continue;
        }
        const GlyphInfo& g = strike->glyph(glyphs[i]);
        if (widths) widths[i] = (linear ? g.linearAdvance : g.advance) * scale * fScaleX;
        if (bounds) {
            Rect b;
            if (g.hasPath && !plainMatrix) b = Rect::Make(fontMatrix().mapRect(g.path.computeTightBounds()).roundOut());
            else if (!g.imageBounds.isEmpty()) b = Rect::Make(g.imageBounds);
            if (!b.isEmpty()) {
                b = {b.left * scale, b.top * scale, b.right * scale, b.bottom * scale};
                if (outset > 0) b = b.makeOutset(outset, outset);
            }
            bounds[i] = b;
        }
    }
}

float Font::measureText(const void* text, size_t bytes, TextEncoding enc, Rect* bounds, const Paint* paint) const {
    if (bounds) *bounds = {};
    const size_t n = textToGlyphs(text, bytes, enc, nullptr, 0);
    if (n == 0 || n > size_t(INT32_MAX)) return 0;
    std::vector<uint16_t> glyphs(n);
    textToGlyphs(text, bytes, enc, glyphs.data(), n);
    std::vector<float> widths(n);
    std::vector<Rect> boxes(bounds ? n : 0);
    getWidthsBounds(glyphs.data(), int(n), widths.data(), bounds ? boxes.data() : nullptr, paint);
    float x = 0;
    Rect all;
    for (size_t i = 0; i < n; ++i) {
        if (bounds && !boxes[i].isEmpty()) {
            const Rect b = boxes[i].makeOffset(x, 0);
            if (all.isEmpty()) all = b;
            else all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
                        std::max(all.bottom, b.bottom)};
        }
        x += widths[i];
    }
    if (bounds) *bounds = all;
    return x;
}

void Font::getXPos(const uint16_t glyphs[], int count, float xpos[], float originX) const {
    if (!glyphs || !xpos || count <= 0) return;
    std::vector<float> widths(static_cast<size_t>(count));
    getWidthsBounds(glyphs, count, widths.data(), nullptr, nullptr);
    float x = originX;
    for (int i = 0; i < count; ++i) {
        xpos[i] = x;
        x += widths[size_t(i)];
    }
}

void Font::getPos(const uint16_t glyphs[], int count, Point pos[], Point origin) const {
    if (!glyphs || !pos || count <= 0) return;
    std::vector<float> widths(static_cast<size_t>(count));
    getWidthsBounds(glyphs, count, widths.data(), nullptr, nullptr);
    float x = origin.x;
    for (int i = 0; i < count; ++i) {
        pos[i] = {x, origin.y};
        x += widths[size_t(i)];
    }
}

float Font::getMetrics(FontMetrics* out) const {
    FontMetrics m;
    const sp<Typeface> tf = typefaceOrDefault();
    if (tf) {
        const FaceMetrics& f = tf->metrics();
        // A font of size 0 reports the metrics of size 1, as a scale of 0 would lose them all.
        const float size = fSize > 0 ? fSize : 1;
        const float s = size / float(f.unitsPerEm), sx = s * fScaleX;
        m.ascent = -f.ascender * s;
        m.descent = -f.descender * s;
        m.leading = f.lineGap * s;
        if (f.hasBounds) {
            m.top = -f.yMax * s, m.bottom = -f.yMin * s;
            m.xMin = f.xMin * sx, m.xMax = f.xMax * sx;
            m.maxCharWidth = (f.xMax - f.xMin) * sx;
        } else {
            m.flags |= FontMetrics::kBoundsInvalid;
        }
        m.avgCharWidth = f.avgCharWidth * sx;
        m.xHeight = f.xHeight * s;
        m.capHeight = f.capHeight * s;
        if (f.hasUnderline) {
            m.flags |= FontMetrics::kUnderlineThicknessValid | FontMetrics::kUnderlinePositionValid;
            m.underlineThickness = f.underlineThickness * s;
            m.underlinePosition = -f.underlinePosition * s;
        }
        if (f.hasStrikeout) {
            m.flags |= FontMetrics::kStrikeoutThicknessValid | FontMetrics::kStrikeoutPositionValid;
            m.strikeoutThickness = f.strikeoutThickness * s;
            m.strikeoutPosition = -f.strikeoutPosition * s;
        }
    }
    if (out) *out = m;
    return m.descent - m.ascent + m.leading;
}

bool Font::getPath(uint16_t glyph, Path* path) const {
    path->reset();
    if (!(fSize > 0)) return false;
    float scale = 1;
    const std::shared_ptr<Strike> strike = measureStrike(&scale);
    if (!strike) return false;
    const GlyphInfo& g = strike->glyph(glyph);
    if (!g.hasPath) return false;
    Matrix m = fontMatrix();
    m.preScale(scale, scale);
    *path = g.path.makeTransform(m);
    return true;
}

namespace {

// The x extent of the outline's pieces inside a horizontal band.
class BandSink final : public FlattenSink {
public:
    BandSink(float top, float bottom) : fTop(top), fBottom(bottom) {}
    void moveTo(Point p) override { fLast = fStart = p; }
    void lineTo(Point p, bool) override {
        segment(fLast, p);
        fLast = p;
    }
    void close() override {
        segment(fLast, fStart);
        fLast = fStart;
    }
    bool found() const { return fMin <= fMax; }
    float minX() const { return fMin; }
    float maxX() const { return fMax; }

private:
    void include(float x) { fMin = std::min(fMin, x), fMax = std::max(fMax, x); }
    void segment(Point a, Point b) {
        if (a.y > b.y) std::swap(a, b);
        if (b.y < fTop || a.y > fBottom) return;
        auto xAt = [&](float y) { return a.y == b.y ? a.x : a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y); };
        const float y0 = std::max(a.y, fTop), y1 = std::min(b.y, fBottom);
        include(a.y == b.y ? a.x : xAt(y0));
        include(a.y == b.y ? b.x : xAt(y1));
    }
    float fTop, fBottom;
    Point fStart, fLast;
    float fMin = INFINITY, fMax = -INFINITY;
};

}  // namespace

void Font::getIntercepts(const uint16_t glyphs[], int count, const Point pos[], float top, float bottom,
                         const Paint* paint, std::vector<float>* out) const {
    out->clear();
    if (!glyphs || !pos || count <= 0 || !(top <= bottom)) return;
    const float outset = strokeOutset(paint);
    for (int i = 0; i < count; ++i) {
        Path p;
        if (!getPath(glyphs[i], &p)) continue;
        BandSink sink(top - pos[i].y - outset, bottom - pos[i].y + outset);
        flattenPath(p, Matrix(), 0.25f, sink);
        if (!sink.found()) continue;
        out->push_back(sink.minX() + pos[i].x - outset);
        out->push_back(sink.maxX() + pos[i].x + outset);
    }
}

}  // namespace plix
