#include "geometry/PathGeometry.h"

#include <algorithm>

namespace plix {

namespace {
Point nonZero(Point d, Point fallback) { return (d.x != 0 || d.y != 0) ? d : fallback; }
constexpr int kMaxSegments = 1024;

int segmentsFor(double deviation, float tol) {
    // deviation: the largest distance the curve strays from its chord for one segment, times n^2.
    if (!(deviation > 0) || !(tol > 0)) return 1;
    const double n = std::ceil(std::sqrt(deviation / tol));
    if (!(n < kMaxSegments)) return kMaxSegments;
    return std::max(1, int(n));
}
}  // namespace

Point quadTangent(const Point p[3], float t) {
    const Point d = (p[1] - p[0]) * (1 - t) + (p[2] - p[1]) * t;
    return nonZero(d, p[2] - p[0]);
}

Point cubicTangent(const Point p[4], float t) {
    const Point a = p[1] - p[0], b = p[2] - p[1], c = p[3] - p[2];
    const float mt = 1 - t;
    Point d = a * (mt * mt) + b * (2 * mt * t) + c * (t * t);
    if (d.x == 0 && d.y == 0) {
        // Coincident control points at an end: use the next one along.
        d = t < 0.5f ? p[2] - p[0] : p[3] - p[1];
    }
    return nonZero(d, p[3] - p[0]);
}

Point conicTangent(const Point p[3], float w, float t) {
    // d/dt (N / D) is parallel to N' D - N D'.
    const float mt = 1 - t;
    const Point N = p[0] * (mt * mt) + p[1] * (2 * w * mt * t) + p[2] * (t * t);
    const float D = mt * mt + 2 * w * mt * t + t * t;
    const float dD = -2 * mt + 2 * w * (1 - 2 * t) + 2 * t;
    // N' = -2(1-t) P0 + 2w(1-2t) P1 + 2t P2
    const Point Nd = p[0] * (-2 * mt) + p[1] * (2 * w * (1 - 2 * t)) + p[2] * (2 * t);
    return nonZero(Nd * D - N * dD, p[2] - p[0]);
}

void chopQuadAt(const Point p[3], float t, Point out[5]) {
    const Point a = lerp(p[0], p[1], t), b = lerp(p[1], p[2], t);
    out[0] = p[0], out[1] = a, out[2] = lerp(a, b, t), out[3] = b, out[4] = p[2];
}

void chopCubicAt(const Point p[4], float t, Point out[7]) {
    const Point ab = lerp(p[0], p[1], t), bc = lerp(p[1], p[2], t), cd = lerp(p[2], p[3], t);
    const Point abc = lerp(ab, bc, t), bcd = lerp(bc, cd, t);
    out[0] = p[0], out[1] = ab, out[2] = abc, out[3] = lerp(abc, bcd, t), out[4] = bcd, out[5] = cd, out[6] = p[3];
}

void chopConicHalf(const Point p[3], float w, Point out[5], float* w2) {
    // In homogeneous coordinates the conic is a quad; split that at 0.5 and project back.
    const float s = 1 / (1 + w);
    const Point mid = (p[0] + p[1] * (2 * w) + p[2]) * (s * 0.5f);
    out[0] = p[0];
    out[1] = (p[0] + p[1] * w) * s;
    out[2] = mid;
    out[3] = (p[1] * w + p[2]) * s;
    out[4] = p[2];
    *w2 = std::sqrt(0.5f + w * 0.5f);
}

int quadSegments(const Point p[3], float tol) {
    const Point dd = p[0] - p[1] * 2 + p[2];
    return segmentsFor(dd.length() / 4.0, tol);
}

int cubicSegments(const Point p[4], float tol) {
    const Point d1 = p[0] - p[1] * 2 + p[2], d2 = p[1] - p[2] * 2 + p[3];
    const double dd = std::max(d1.length(), d2.length());
    return segmentsFor(dd * 3.0 / 4.0, tol);
}

int conicSegments(const Point p[3], float w, float tol) {
    // A conic with weight above 1 bends harder than the quad of the same control points.
    const Point dd = p[0] - p[1] * 2 + p[2];
    const double k = std::max(1.0f, w) * std::max(1.0f, w);
    return segmentsFor(dd.length() / 4.0 * k, tol);
}

int quadRootsUnit(double a, double b, double c, double roots[2]) {
    int n = 0;
    auto add = [&](double t) {
        if (t > 0 && t < 1 && std::isfinite(t)) roots[n++] = t;
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) add(-c / b);
        return n;
    }
    const double disc = b * b - 4 * a * c;
    if (disc < 0) return 0;
    const double sq = std::sqrt(disc);
    const double q = b < 0 ? -(b - sq) / 2 : -(b + sq) / 2;
    add(q / a);
    if (q != 0) add(c / q);
    if (n == 2) {
        if (roots[0] > roots[1]) std::swap(roots[0], roots[1]);
        if (roots[0] == roots[1]) n = 1;
    }
    return n;
}

}  // namespace plix
