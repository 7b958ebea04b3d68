// Curve subdivision as the reference engine's scan converter does it, for fills: every curve is
// split where its y turns back (so each piece runs one way in y), then cut into 2^k chords at
// even steps of t, k set by how far the piece's control points stray from its chord measured in
// the fixed-point units of the scan converter. Conics first become 2^k quads. The chords sit
// inside convex curves by up to about a third of a pixel on large curves: that is part of the
// pictures users see, so fills follow it rather than a tolerance.
#pragma once

#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/PathFlatten.h"

namespace plix {

// accuracyShift: 2 for anti-aliased fills (quarter-pixel units), 0 for aliased ones.
void flattenPathForFill(const Path& path, const Matrix& m, int accuracyShift, FlattenSink& sink);

// The number of chords (a power of two) for one y-monotonic piece, in device space.
int fillQuadChords(const Point p[3], int accuracyShift);
int fillCubicChords(const Point p[4], int accuracyShift);
// The number of quads (a power of two) a conic becomes.
int fillConicQuads(const Point p[3], float w);

}  // namespace plix
