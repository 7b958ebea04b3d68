// Evaluating and splitting the curve segments of paths.
#pragma once

#include <cmath>

#include "geometry/Point.h"

namespace plix {

inline Point evalQuad(const Point p[3], float t) {
    const float mt = 1 - t;
    return p[0] * (mt * mt) + p[1] * (2 * mt * t) + p[2] * (t * t);
}

inline Point evalCubic(const Point p[4], float t) {
    const float mt = 1 - t;
    return p[0] * (mt * mt * mt) + p[1] * (3 * mt * mt * t) + p[2] * (3 * mt * t * t) + p[3] * (t * t * t);
}

inline Point evalConic(const Point p[3], float w, float t) {
    const float mt = 1 - t;
    const float a = mt * mt, b = 2 * w * mt * t, c = t * t;
    const float d = a + b + c;
    return (p[0] * a + p[1] * b + p[2] * c) * (1 / d);
}

// Tangent direction (not normalized); falls back to the chord where the derivative vanishes.
Point quadTangent(const Point p[3], float t);
Point cubicTangent(const Point p[4], float t);
Point conicTangent(const Point p[3], float w, float t);

// Splits at t into two curves sharing out[2] (quad: 5 points) / out[3] (cubic: 7 points).
void chopQuadAt(const Point p[3], float t, Point out[5]);
void chopCubicAt(const Point p[4], float t, Point out[7]);
// Splits a conic at t = 0.5 into out[0..4] with weight *w2 for both halves.
void chopConicHalf(const Point p[3], float w, Point out[5], float* w2);

// Number of line segments that keep the curve within tol of its chords.
int quadSegments(const Point p[3], float tol);
int cubicSegments(const Point p[4], float tol);
int conicSegments(const Point p[3], float w, float tol);

// Roots of a t^2 + b t + c in (0, 1), sorted; returns their count.
int quadRootsUnit(double a, double b, double c, double roots[2]);

}  // namespace plix
