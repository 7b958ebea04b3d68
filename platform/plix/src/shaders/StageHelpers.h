// Stage-list pieces the shaders and filters share.
#pragma once

#include "core/ColorSpace.h"
#include "geometry/Matrix.h"
#include "raster/Pipeline.h"

namespace plix {

// Maps device pixel centres into the space that m maps to the device; false when m cannot be
// inverted (nothing is drawn then).
bool appendInverseMatrix(Pipeline& p, const Matrix& m);
// Converts premultiplied colours from src to dst (nothing when either is null or they match).
void appendColorSpaceXform(Pipeline& p, const ColorSpace* src, const ColorSpace* dst);
// An unpremultiplied colour given in cs (null: sRGB) in the destination's space.
void convertColor(float rgba[4], const ColorSpace* cs, const ColorSpace* dst);

}  // namespace plix
