// Stroking: turns a path into the outline of its stroke, filled with the winding rule. Each
// contour becomes one outline running up one side and back down the other, with the joins on
// the outer side of each turn and the caps at the ends, so that partially covered pixels along
// the outline are covered once. The sides of curves are quads on the offset curve, as the
// reference engine makes them (StrokerCurves.h); contours lying on one line, and those with
// curves bending tighter than the half width (whose inner offsets fold over), are flattened
// first and stroked exactly.
#pragma once

#include "geometry/Path.h"

namespace plix {

enum class StrokeCap : int32_t { Butt, Round, Square };
enum class StrokeJoin : int32_t { Miter, Round, Bevel };

struct StrokeParams {
    float width = 1;  // > 0; zero-width hairlines are the rasterizer's business
    float miterLimit = 4;
    StrokeCap cap = StrokeCap::Butt;
    StrokeJoin join = StrokeJoin::Miter;
};

// Appends the stroke outline of src to dst. resScale: device pixels per unit of src, so the
// flattening stays within 1/40 of a device pixel and the sides of curves within 1/4. False
// (dst untouched) for bad parameters.
bool strokePath(const Path& src, const StrokeParams& params, float resScale, Path* dst);

}  // namespace plix
