// Coverage of filled shapes, handed to a blitter row by row.
//
// Anti-aliased fills compute the exact area of each pixel covered by the edges: every edge
// piece inside a pixel row adds its signed height, split between the cell it crosses and the
// next one by its average horizontal position; a running sum along the row then gives each
// pixel's winding-weighted coverage, to which the fill rule is applied. This is exact wherever
// a pixel is crossed by the outline of one region, and degrades gracefully where several
// edges meet inside a pixel.
//
// Aliased fills sample each pixel at its centre.
#pragma once

#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/Rect.h"
#include "raster/Blitter.h"

namespace plix {

struct LineEdge;

// Flattening tolerance for anti-aliased drawing, in pixels.
constexpr float kCurveTolerance = 0.025f;

// Fills path mapped by m, limited to clip.
void fillPath(const Path& path, const Matrix& m, const IRect& clip, bool antiAlias, Blitter& blitter);
// Fills device-space edges with the fill rule (the inverse rules cover the rest of the clip).
void fillEdges(const LineEdge* edges, int count, PathFillType fill, const IRect& clip, bool antiAlias,
               Blitter& blitter);
// The plain anti-aliased fill that fillEdges is held to: every row with an end point or a shared
// cell in sub-rows.
void fillEdgesAAReference(const LineEdge* edges, int count, PathFillType fill, const IRect& clip,
                          Blitter& blitter);
// Fills a device-space rectangle: exact edge coverage when anti-aliased, pixel centres otherwise.
void fillRect(const Rect& r, const IRect& clip, bool antiAlias, Blitter& blitter);

// Converts a coverage value (winding-weighted area) to a byte under the fill rule.
uint8_t coverageToAlpha(float v, bool evenOdd);

}  // namespace plix
