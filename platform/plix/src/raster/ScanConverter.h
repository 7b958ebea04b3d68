// Coverage of filled shapes, handed to a blitter row by row.
//
// Fills give the reference engine's pictures: its edges (EdgeBuilder's reference edges: its
// curve subdivision, end points on quarter-pixel rows when anti-aliased), whose covered area is
// then computed exactly. Since every end point lies on a quarter row, that area is the one the
// reference's analytic coverage finds strip by strip, with two exceptions it makes and we
// follow: in a convex outline an edge that crosses a whole row within one pixel sits at the
// reference's rounded position (see accumulate), and a rectangle path small enough for its
// supersampling mask is covered as drawRect covers it, less a level. The exact-area model of
// the true outline (CoverageModel::ExactArea) is kept as the oracle the tests hold the scan
// conversion to.
//
// The area of each pixel covered by the edges is computed as follows: every edge
// piece inside a pixel row adds its signed height, split between the cell it crosses and the
// next one by its average horizontal position; a running sum along the row then gives each
// pixel's winding-weighted coverage, to which the fill rule is applied. This is exact wherever
// a pixel is crossed by the outline of one region, and degrades gracefully where several
// edges meet inside a pixel.
//
// Aliased fills sample each pixel at its centre; a centre exactly on an edge belongs to the
// pixels right of and below the edge (it is inside when the edge is a right or bottom side).
#pragma once

#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/Rect.h"
#include "raster/Blitter.h"

namespace plix {

struct LineEdge;

enum class CoverageModel {
    Reference,  // the reference engine's edges and steep-edge positions (the default)
    ExactArea,  // the exact area under the true outline, curves within kCurveTolerance
};

// Flattening tolerance for anti-aliased drawing, in pixels.
constexpr float kCurveTolerance = 0.025f;

// Fills path mapped by m, limited to clip.
void fillPath(const Path& path, const Matrix& m, const IRect& clip, bool antiAlias, Blitter& blitter,
              CoverageModel model = CoverageModel::Reference);
// Fills device-space edges with the fill rule (the inverse rules cover the rest of the clip).
// ExactArea: the exact area under the edges; Reference: steep edges at the reference's positions
// (which it takes for convex outlines).
void fillEdges(const LineEdge* edges, int count, PathFillType fill, const IRect& clip, bool antiAlias,
               Blitter& blitter, CoverageModel model = CoverageModel::ExactArea);
// The plain anti-aliased fill that fillEdges is held to: every row with an end point or a shared
// cell in sub-rows.
void fillEdgesAAReference(const LineEdge* edges, int count, PathFillType fill, const IRect& clip,
                          Blitter& blitter, CoverageModel model = CoverageModel::ExactArea);
// Fills a device-space rectangle as the reference engine fills rectangles it is given as such:
// anti-aliased, a pixel gets 256 x (covered width x covered height), at most 255 (and one
// level less when the rectangle lies within one row); aliased, the pixels whose centres it
// holds (centres on the right and bottom sides included).
void fillRect(const Rect& r, const IRect& clip, bool antiAlias, Blitter& blitter);

// Converts a coverage value (winding-weighted area) to a byte under the fill rule.
uint8_t coverageToAlpha(float v, bool evenOdd);

}  // namespace plix
