// Turning a path's curves into line segments, after mapping the points by a matrix, so that
// every segment stays within a tolerance of the curve it replaces (in the mapped space).
#pragma once

#include "geometry/Matrix.h"
#include "geometry/Path.h"

namespace plix {

class FlattenSink {
public:
    virtual ~FlattenSink() = default;
    virtual void moveTo(Point p) = 0;
    // corner: p ends a segment of the path (a true vertex) rather than a step along a curve.
    virtual void lineTo(Point p, bool corner) = 0;
    // The contour was closed by the path (fill closes every contour anyway).
    virtual void close() = 0;
};

// tol is in mapped units. With perspective the curves are flattened before mapping, with the
// tolerance scaled by the matrix's largest stretch.
void flattenPath(const Path& path, const Matrix& m, float tol, FlattenSink& sink);

}  // namespace plix
