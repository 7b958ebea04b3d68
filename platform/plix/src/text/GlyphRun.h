// Drawing glyphs into pixels. Glyphs of ordinary sizes become coverage masks (cached per strike
// and subpixel phase while the matrix only moves them, rendered for the occasion otherwise),
// adjusted for the text colour's contrast and blended with the paint; glyphs too large for masks,
// under perspective, or stroked are drawn as paths with the paint. Either way the coverage comes
// from the raster layer's scan converter, so every paint setting applies to text.
#pragma once

#include <cstdint>

#include "geometry/Matrix.h"
#include "raster/Draw.h"
#include "text/Font.h"
#include "text/TextBlob.h"

namespace plix {

// glyphs at origin + positions[i], or through xforms[i] (then positions may be null) moved by
// origin.
struct GlyphRunView {
    const Font* font = nullptr;
    const uint16_t* glyphs = nullptr;
    const Point* positions = nullptr;
    const RSXform* xforms = nullptr;
    int count = 0;
    Point origin;
};

void drawGlyphRun(const DrawTarget& t, const Matrix& ctm, const GlyphRunView& run, const Paint& paint);

// The mask coverage adjustment for text of the colour (unpremultiplied sRGB): a table from raw
// coverage to drawn coverage.
const uint8_t* glyphContrastTable(const float color[4]);

}  // namespace plix
