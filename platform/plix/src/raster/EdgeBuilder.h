// Path -> line edges in device space, ready for scan conversion: curves flattened, the
// edges clipped to the rows of the clip, and clamped horizontally into [left, right] of the
// clip (a part left of the clip becomes a vertical edge on its left side, which keeps the
// winding of the pixels to its right).
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
    // tol: flattening tolerance in pixels.
    void build(const Path& path, const Matrix& m, const IRect& clip, float tol);
    const std::vector<LineEdge>& edges() const { return fEdges; }
    // Device bounds of the path (before clipping), empty when nothing was added.
    const Rect& pathBounds() const { return fBounds; }
    bool finite() const { return fFinite; }

    // Adds one segment of a contour (used by build; public for tests and rect paths).
    void addLine(Point a, Point b);

private:
    std::vector<LineEdge> fEdges;
    Rect fClip;
    Rect fBounds;
    bool fHasBounds = false;
    bool fFinite = true;
};

}  // namespace plix
