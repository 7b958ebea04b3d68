// A font: a typeface at a size with its rendering settings, and the measuring done with it.
// Measures come from the glyph cache's strike at the font's size; sizes above the hinted limit
// measure at a fixed size and scale, so that every size gets the same shapes.
#pragma once

#include <cstdint>
#include <memory>

#include "core/RefCnt.h"
#include "geometry/Path.h"
#include "geometry/Rect.h"
#include "text/GlyphCache.h"
#include "text/TextEncoding.h"
#include "text/Typeface.h"

namespace plix {

struct Paint;

enum class FontEdging : int32_t { Alias, AntiAlias, SubpixelAntiAlias };

constexpr bool isValidFontEdging(int32_t v) { return v >= 0 && v <= 2; }
constexpr bool isValidFontHinting(int32_t v) { return v >= 0 && v <= 3; }

// The font metrics record of the C API (values in pixels, y down).
struct FontMetrics {
    enum : uint32_t {
        kUnderlineThicknessValid = 1, kUnderlinePositionValid = 2, kStrikeoutThicknessValid = 4,
        kStrikeoutPositionValid = 8, kBoundsInvalid = 16
    };
    uint32_t flags = 0;
    float top = 0, ascent = 0, descent = 0, bottom = 0, leading = 0;
    float avgCharWidth = 0, maxCharWidth = 0, xMin = 0, xMax = 0, xHeight = 0, capHeight = 0;
    float underlineThickness = 0, underlinePosition = 0, strikeoutThickness = 0, strikeoutPosition = 0;
};

class Font {
public:
    Font() = default;
    // A null typeface stands for the default one.
    Font(sp<Typeface> typeface, float size, float scaleX = 1, float skewX = 0);

    const sp<Typeface>& typeface() const { return fTypeface; }
    // The typeface, or the default one; null only when the system has no font at all.
    sp<Typeface> typefaceOrDefault() const;
    float size() const { return fSize; }
    float scaleX() const { return fScaleX; }
    float skewX() const { return fSkewX; }
    FontEdging edging() const { return fEdging; }
    FontHinting hinting() const { return fHinting; }
    bool subpixel() const { return fSubpixel; }
    bool baselineSnap() const { return fBaselineSnap; }
    bool embolden() const { return fEmbolden; }
    bool linearMetrics() const { return fLinearMetrics; }
    bool embeddedBitmaps() const { return fEmbeddedBitmaps; }
    bool forceAutoHinting() const { return fForceAutoHinting; }

    void setTypeface(sp<Typeface> tf) { fTypeface = std::move(tf); }
    // Negative and NaN sizes become 0 (a font that draws nothing).
    void setSize(float size) { fSize = size >= 0 ? size : 0; }
    void setScaleX(float v) { fScaleX = v; }
    void setSkewX(float v) { fSkewX = v; }
    void setEdging(FontEdging e) { fEdging = e; }
    void setHinting(FontHinting h) { fHinting = h; }
    void setSubpixel(bool v) { fSubpixel = v; }
    void setBaselineSnap(bool v) { fBaselineSnap = v; }
    void setEmbolden(bool v) { fEmbolden = v; }
    void setLinearMetrics(bool v) { fLinearMetrics = v; }
    void setEmbeddedBitmaps(bool v) { fEmbeddedBitmaps = v; }
    void setForceAutoHinting(bool v) { fForceAutoHinting = v; }

    bool operator==(const Font& o) const;

    uint16_t unicharToGlyph(int32_t unichar) const;
    // Writes at most max glyphs; returns the number of glyphs of the text.
    size_t textToGlyphs(const void* text, size_t bytes, TextEncoding enc, uint16_t* out, size_t max) const;
    // Advances and bounds (either may be null) with the paint's stroke, if any.
    void getWidthsBounds(const uint16_t glyphs[], int count, float widths[], Rect bounds[], const Paint* paint) const;
    // Sum of the advances; bounds (may be null) of the whole run.
    float measureText(const void* text, size_t bytes, TextEncoding enc, Rect* bounds, const Paint* paint) const;
    void getXPos(const uint16_t glyphs[], int count, float xpos[], float originX) const;
    void getPos(const uint16_t glyphs[], int count, Point pos[], Point origin) const;
    // Returns the recommended line spacing.
    float getMetrics(FontMetrics* metrics) const;
    // The glyph's outline at the font's size, y down; false for a glyph without one.
    bool getPath(uint16_t glyph, Path* path) const;
    // Pairs of x where the glyphs, at their positions, cross the band [top, bottom].
    void getIntercepts(const uint16_t glyphs[], int count, const Point pos[], float top, float bottom,
                       const Paint* paint, std::vector<float>* out) const;

    // The strike for drawing at this font's size times the device scales (sx across, sy down),
    // null without a typeface. Glyphs that will be turned or slanted (by the font's skew or the
    // device matrix) are not hinted, as the reference engine does.
    std::shared_ptr<Strike> strikeFor(float deviceScaleX, float deviceScaleY, bool axisAligned = true) const;
    // Font matrix: scaleX and skewX around the glyph origin.
    Matrix fontMatrix() const { return Matrix::MakeAll(fScaleX, fSkewX, 0, 0, 1, 0, 0, 0, 1); }

private:
    // The strike measures are read from and the factor from its pixels to the font's size.
    std::shared_ptr<Strike> measureStrike(float* scale) const;

    sp<Typeface> fTypeface;
    float fSize = 12, fScaleX = 1, fSkewX = 0;
    FontEdging fEdging = FontEdging::AntiAlias;
    FontHinting fHinting = FontHinting::Normal;
    bool fSubpixel = false, fBaselineSnap = true, fEmbolden = false, fLinearMetrics = false;
    bool fEmbeddedBitmaps = false, fForceAutoHinting = false;
};

}  // namespace plix
