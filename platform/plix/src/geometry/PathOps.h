// Boolean operations on the areas of two paths (as their fill types fill them). The curves are
// flattened within a small tolerance of the paths' size and the polygons combined exactly in
// integer coordinates (Clipper); the result is a path of line contours filled with the winding
// rule, inverse when the area it describes is unbounded.
#pragma once

#include <cstdint>

#include "geometry/Path.h"

namespace plix {

enum class PathOp : int32_t { Difference, Intersect, Union, XOR, ReverseDifference };

constexpr bool isValidPathOp(int32_t op) { return op >= 0 && op <= int32_t(PathOp::ReverseDifference); }

// one op two: Difference is one minus two, ReverseDifference two minus one. False (out
// untouched) when a path is not finite or too large to combine.
bool pathOp(const Path& one, const Path& two, PathOp op, Path* out);

}  // namespace plix
