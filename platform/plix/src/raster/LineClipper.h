// Clipping one line to a rectangle in float, before it is converted to fixed point.
#pragma once

#include "geometry/Point.h"
#include "geometry/Rect.h"

namespace plix {

// The part of the line src[0]-src[1] inside clip, in dst (src and dst may be the same array);
// false when none is. End points are moved along the line (intersections in double, pinned
// to the original span); a line touching the clip only along an edge is kept when it lies in
// that edge.
bool intersectLine(const Point src[2], const Rect& clip, Point dst[2]);

}  // namespace plix
