// The sides of a curve's stroke, as the reference engine draws them: each side is made of
// quadratic pieces that start and end on the exact offset curve, their control points where the
// end tangents meet. Pieces come from halving the curve's parameter (cubics are cut at their
// inflections first): a piece is halved while its tangent turns by more than a right angle, or
// while it misses the offset curve, measured along the normal at the middle of its parameter
// range, by more than the tolerance. The outline so sits up to the tolerance off the exact
// stroke, the same way the reference's does.
#pragma once

#include <vector>

#include "geometry/Path.h"

namespace plix {

// A step of one side of a stroke outline: a line, or a quad or conic (w != 1) to `end`.
struct OutlinePiece {
    Point end;
    Point ctrl;  // when quad
    bool quad = false;
    float w = 1;  // conic weight of a quad
};

// A quad, conic or cubic segment of a path (points from its start point on).
struct CurveSegment {
    PathVerb verb = PathVerb::Quad;
    Point p[4];
    float w = 1;  // conic weight

    Point eval(float t) const;
    Point tangent(float t) const;  // not normalized; falls back to a chord where it vanishes
    Point start() const { return p[0]; }
    Point end() const { return verb == PathVerb::Cubic ? p[3] : p[2]; }
};

// Appends the side of the stroke at signed distance r (positive: the left of the direction of
// travel as seen on screen, -y up) from the start offset point (not appended) to the end one.
// tol: the largest miss allowed, in the curve's units.
void offsetCurveSide(const CurveSegment& c, float r, float tol, std::vector<OutlinePiece>& out);

}  // namespace plix
