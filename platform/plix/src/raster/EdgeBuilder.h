// Path -> line edges in device space, ready for scan conversion: curves flattened, the
// edges clipped to the rows of the clip, and clamped horizontally into [left, right] of the
// clip (a part left of the clip becomes a vertical edge on its left side, which keeps the
// winding of the pixels to its right).
//
// Edges come in two kinds. Exact edges follow the curves within a tolerance and keep their end
// points (the exact-area oracle of the tests). Reference edges are what the reference engine's
// scan converter fills, and so what users expect: curves cut as PathFlattenFill.h describes,
// and for anti-aliasing every end point's y, after clipping, moved to the nearest quarter pixel
// (ties downwards), so coverage changes in quarter steps across a horizontal edge; aliased fills
// take coordinates in 1/64 pixel units.
#pragma once

#include <vector>

#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/Rect.h"

namespace plix {

struct LineEdge {
    float x0, y0, x1, y1;  // y0 < y1
    int winding;           // +1 when the path runs downwards, -1 upwards
};

class EdgeBuilder {
public:
    // Exact edges; tol: flattening tolerance in pixels.
    void build(const Path& path, const Matrix& m, const IRect& clip, float tol);
    // Reference edges for an anti-aliased or aliased fill.
    void buildReference(const Path& path, const Matrix& m, const IRect& clip, bool antiAlias);
    const std::vector<LineEdge>& edges() const { return fEdges; }
    // Device bounds of the path (before clipping), empty when nothing was added.
    const Rect& pathBounds() const { return fBounds; }
    bool finite() const { return fFinite; }

    // Adds one segment of a contour (used by build; public for tests and rect paths).
    void addLine(Point a, Point b);

private:
    enum class Snap { None, QuarterY, Sixty4th };
    void reset(const IRect& clip, Snap snap);
    void finish();

    std::vector<LineEdge> fEdges;
    Snap fSnap = Snap::None;
    Rect fClip;
    Rect fBounds;
    bool fHasBounds = false;
    bool fFinite = true;
};

}  // namespace plix
