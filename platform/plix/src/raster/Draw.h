// Drawing shapes with a paint into pixels: picks the coverage producer (rect fast path, path
// fill, stroke outline, hairline) and the blitter for the paint, and runs one into the other.
// The canvas sits on top of this with its matrix and clip stack.
#pragma once

#include "core/ImageInfo.h"
#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/RRect.h"
#include "raster/Mask.h"
#include "raster/Paint.h"

namespace plix {

struct DrawTarget {
    Pixmap dst;
    IRect clip;                   // device pixels that may change (within the pixmap)
    const Mask* clipMask = nullptr;  // when set, coverage is also multiplied by it
};

void drawPath(const DrawTarget& t, const Path& path, const Matrix& ctm, const Paint& paint);
void drawRect(const DrawTarget& t, const Rect& r, const Matrix& ctm, const Paint& paint);
void drawRRect(const DrawTarget& t, const RRect& rr, const Matrix& ctm, const Paint& paint);
void drawOval(const DrawTarget& t, const Rect& oval, const Matrix& ctm, const Paint& paint);
// Hairlines between device-space points, each line drawn on its own and without caps, as the
// reference draws point lists at width 0: consecutive pairs, or a chain when chained.
void drawHairlineSegments(const DrawTarget& t, const Point devicePts[], size_t count, bool chained,
                          const Matrix& ctm, const Paint& paint);
// Covers the whole clip.
void drawPaint(const DrawTarget& t, const Paint& paint);
// Shades and blends the paint's fill through a coverage byte per device pixel of bounds (row by
// row), as glyph masks are drawn; ctm places the paint's shader.
void drawMask(const DrawTarget& t, const IRect& bounds, const uint8_t* coverage, const Matrix& ctm, const Paint& paint);

// The path whose fill draws what the paint's style does (stroke outline, or the path itself);
// false when the style draws nothing or is a hairline.
bool fillPathOf(const Path& path, const Paint& paint, float resScale, Path* out);

}  // namespace plix
