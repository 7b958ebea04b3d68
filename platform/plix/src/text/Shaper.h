// Shaping a paragraph of UTF-8 text with HarfBuzz into a text blob: runs of one typeface (the
// font's, or a system face for characters it lacks), broken into lines no wider than width at
// the line-break opportunities of ICU (and at forced breaks), placed from offset.
#pragma once

#include "core/RefCnt.h"
#include "geometry/Point.h"
#include "text/Font.h"
#include "text/TextBlob.h"

namespace plix {

// The first baseline sits the font's ascent below offset.y; lines follow at the font's spacing.
// endPoint (may be null) gets the end of the last line's advance and the bottom of that line
// (the top of the next one). Null for text without glyphs.
sp<TextBlob> shapeText(const char* text, size_t bytes, const Font& font, bool leftToRight, float width, Point offset,
                       Point* endPoint);

}  // namespace plix
