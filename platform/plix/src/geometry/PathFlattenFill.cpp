#include "geometry/PathFlattenFill.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/PathGeometry.h"

namespace plix {

namespace {

constexpr int kMaxChordShift = 6;      // at most 64 chords per piece
constexpr int kMaxConicQuadShift = 5;  // at most 32 quads per conic
constexpr float kConicTolerance = 0.25f;

// A coordinate in 1/64 pixel units scaled by 2^shift, saturated so that sums cannot overflow.
int32_t fixed6(float v, int shift) {
    const double s = std::round(double(v) * double(64 << shift));
    if (!std::isfinite(s)) return 0;
    return int32_t(std::clamp(s, -double(1 << 26), double(1 << 26)));
}

int32_t cheapDistance(int32_t dx, int32_t dy) {
    dx = std::abs(dx), dy = std::abs(dy);
    return dx > dy ? dx + (dy >> 1) : dy + (dx >> 1);
}

// log4 of the deviation in eighths of a pixel: each halving of the step cuts it by four.
int deviationToShift(int32_t dx, int32_t dy, int accuracyShift) {
    const int32_t dist = (cheapDistance(dx, dy) + (1 << 4)) >> (3 + accuracyShift);
    return (32 - std::countl_zero(uint32_t(dist))) >> 1;
}

int32_t cubicDeviation(int32_t a, int32_t b, int32_t c, int32_t d) {
    // Distance of the curve at t = 1/3 and 2/3 from the chord, roughly (19/512 ~ 1/27).
    const int64_t oneThird = (int64_t(a) * 8 - int64_t(b) * 15 + int64_t(c) * 6 + d) * 19 >> 9;
    const int64_t twoThird = (int64_t(a) + int64_t(b) * 6 - int64_t(c) * 15 + int64_t(d) * 8) * 19 >> 9;
    return int32_t(std::min<int64_t>(std::max(std::abs(oneThird), std::abs(twoThird)), 1 << 28));
}

class Flattener {
public:
    Flattener(FlattenSink& sink, int shift) : fSink(sink), fShift(shift) {}

    void quad(const Point p[3]) {
        // Split where y turns, with the turning point's neighbours flattened onto it.
        const float d = p[0].y - 2 * p[1].y + p[2].y;
        const float t = d != 0 ? (p[0].y - p[1].y) / d : -1;
        if (t > 0 && t < 1) {
            Point q[5];
            chopQuadAt(p, t, q);
            q[1].y = q[3].y = q[2].y;
            monoQuad(q);
            monoQuad(q + 2);
        } else {
            monoQuad(p);
        }
    }

    void cubic(const Point p[4]) {
        // dy/dt = 3(A t^2 + B t + C)
        const double A = -double(p[0].y) + 3.0 * p[1].y - 3.0 * p[2].y + p[3].y;
        const double B = 2.0 * (double(p[0].y) - 2.0 * p[1].y + p[2].y);
        const double C = double(p[1].y) - p[0].y;
        double roots[2];
        const int n = quadRootsUnit(A, B, C, roots);
        Point rest[4] = {p[0], p[1], p[2], p[3]};
        double done = 0;
        for (int i = 0; i < n; ++i) {
            const float t = float((roots[i] - done) / (1 - done));
            if (!(t > 0 && t < 1)) continue;
            Point q[7];
            chopCubicAt(rest, t, q);
            q[2].y = q[4].y = q[3].y;
            monoCubic(q);
            rest[0] = q[3], rest[1] = q[4], rest[2] = q[5], rest[3] = q[6];
            done = roots[i];
        }
        monoCubic(rest);
    }

    void conic(const Point p[3], float w) {
        const int pow = std::countr_zero(unsigned(fillConicQuads(p, w)));
        conicPieces(p, w, pow);
    }

private:
    void conicPieces(const Point p[3], float w, int pow) {
        if (pow == 0) return quad(p);
        Point q[5];
        float w2;
        chopConicHalf(p, w, q, &w2);
        conicPieces(q, w2, pow - 1);
        conicPieces(q + 2, w2, pow - 1);
    }
    void monoQuad(const Point p[3]) {
        const int n = fillQuadChords(p, fShift);
        for (int i = 1; i < n; ++i) fSink.lineTo(evalQuad(p, float(i) / float(n)), false);
        fSink.lineTo(p[2], false);
    }
    void monoCubic(const Point p[4]) {
        const int n = fillCubicChords(p, fShift);
        for (int i = 1; i < n; ++i) fSink.lineTo(evalCubic(p, float(i) / float(n)), false);
        fSink.lineTo(p[3], false);
    }

    FlattenSink& fSink;
    const int fShift;
};

}  // namespace

int fillQuadChords(const Point p[3], int accuracyShift) {
    const int32_t x0 = fixed6(p[0].x, accuracyShift), x1 = fixed6(p[1].x, accuracyShift),
                  x2 = fixed6(p[2].x, accuracyShift);
    const int32_t y0 = fixed6(p[0].y, accuracyShift), y1 = fixed6(p[1].y, accuracyShift),
                  y2 = fixed6(p[2].y, accuracyShift);
    const int shift = deviationToShift((2 * x1 - x0 - x2) >> 2, (2 * y1 - y0 - y2) >> 2, accuracyShift);
    return 1 << std::clamp(shift, 1, kMaxChordShift);
}

int fillCubicChords(const Point p[4], int accuracyShift) {
    int32_t x[4], y[4];
    for (int i = 0; i < 4; ++i) x[i] = fixed6(p[i].x, accuracyShift), y[i] = fixed6(p[i].y, accuracyShift);
    const int shift = deviationToShift(cubicDeviation(x[0], x[1], x[2], x[3]), cubicDeviation(y[0], y[1], y[2], y[3]),
                                       accuracyShift) + 1;
    return 1 << std::min(shift, kMaxChordShift);
}

int fillConicQuads(const Point p[3], float w) {
    // How far the conic strays from the quad with the same control points.
    const float a = w - 1, k = a / (4 * (2 + a));
    const float dx = k * (p[0].x - 2 * p[1].x + p[2].x), dy = k * (p[0].y - 2 * p[1].y + p[2].y);
    float error = std::sqrt(dx * dx + dy * dy);
    int pow = 0;
    for (; pow < kMaxConicQuadShift && !(error <= kConicTolerance); ++pow) error *= 0.25f;
    return 1 << pow;
}

void flattenPathForFill(const Path& path, const Matrix& m, int accuracyShift, FlattenSink& sink) {
    if (m.hasPerspective()) {
        // Curves bend under perspective: flatten finely before mapping.
        return flattenPath(path, m, 0.1f, sink);
    }
    const auto& src = path.points();
    std::vector<Point> mapped;
    const std::vector<Point>* pts = &src;
    if (!m.isIdentity()) {
        mapped.resize(src.size());
        m.mapPoints(mapped.data(), src.data(), int(src.size()));
        pts = &mapped;
    }
    const auto& weights = path.conicWeights();
    Flattener flat(sink, accuracyShift);
    size_t pi = 0, wi = 0;
    Point last{};
    for (PathVerb v : path.verbs()) {
        switch (v) {
            case PathVerb::Move:
                last = (*pts)[pi++];
                sink.moveTo(last);
                break;
            case PathVerb::Line:
                last = (*pts)[pi++];
                sink.lineTo(last, true);
                break;
            case PathVerb::Quad: {
                const Point q[3] = {last, (*pts)[pi], (*pts)[pi + 1]};
                flat.quad(q);
                last = q[2];
                pi += 2;
                break;
            }
            case PathVerb::Conic: {
                const Point q[3] = {last, (*pts)[pi], (*pts)[pi + 1]};
                flat.conic(q, weights[wi++]);
                last = q[2];
                pi += 2;
                break;
            }
            case PathVerb::Cubic: {
                const Point c[4] = {last, (*pts)[pi], (*pts)[pi + 1], (*pts)[pi + 2]};
                flat.cubic(c);
                last = c[3];
                pi += 3;
                break;
            }
            case PathVerb::Close: sink.close(); break;
        }
    }
}

}  // namespace plix
