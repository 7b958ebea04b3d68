#include "geometry/PathFlatten.h"

#include <algorithm>
#include <vector>

#include "geometry/PathGeometry.h"

namespace plix {

namespace {

// Largest stretch of m around the path's bounds (for perspective: sampled numerically).
float stretchOf(const Matrix& m, const Rect& b) {
    if (!m.hasPerspective()) return std::max(m.maxScale(), 1e-6f);
    float s = 1e-6f;
    const Point corners[4] = {{b.left, b.top}, {b.right, b.top}, {b.right, b.bottom}, {b.left, b.bottom}};
    for (const Point& c : corners) {
        const Point p = m.mapPoint(c), px = m.mapPoint(c + Point{1, 0}), py = m.mapPoint(c + Point{0, 1});
        s = std::max({s, distance(p, px), distance(p, py)});
    }
    return s;
}

}  // namespace

void flattenPath(const Path& path, const Matrix& m, float tol, FlattenSink& sink) {
    const bool persp = m.hasPerspective();
    const auto& verbs = path.verbs();
    const auto& src = path.points();
    const auto& weights = path.conicWeights();
    // Flatten in mapped space (affine), or in local space with a scaled tolerance (perspective).
    float localTol = tol;
    if (persp) localTol = tol / stretchOf(m, path.bounds());
    auto map = [&](Point p) { return persp ? m.mapPoint(p) : p; };
    std::vector<Point> mapped;
    const std::vector<Point>* pts = &src;
    if (!persp && !m.isIdentity()) {
        mapped.resize(src.size());
        m.mapPoints(mapped.data(), src.data(), int(src.size()));
        pts = &mapped;
    }
    size_t pi = 0, wi = 0;
    Point last{};
    for (PathVerb v : verbs) {
        switch (v) {
            case PathVerb::Move:
                last = (*pts)[pi++];
                sink.moveTo(map(last));
                break;
            case PathVerb::Line:
                last = (*pts)[pi++];
                sink.lineTo(map(last), true);
                break;
            case PathVerb::Quad: {
                const Point q[3] = {last, (*pts)[pi], (*pts)[pi + 1]};
                const int n = quadSegments(q, localTol);
                for (int i = 1; i < n; ++i) sink.lineTo(map(evalQuad(q, float(i) / n)), false);
                sink.lineTo(map(q[2]), true);
                last = q[2];
                pi += 2;
                break;
            }
            case PathVerb::Conic: {
                const Point q[3] = {last, (*pts)[pi], (*pts)[pi + 1]};
                const float w = weights[wi++];
                const int n = conicSegments(q, w, localTol);
                for (int i = 1; i < n; ++i) sink.lineTo(map(evalConic(q, w, float(i) / n)), false);
                sink.lineTo(map(q[2]), true);
                last = q[2];
                pi += 2;
                break;
            }
            case PathVerb::Cubic: {
                const Point c[4] = {last, (*pts)[pi], (*pts)[pi + 1], (*pts)[pi + 2]};
                const int n = cubicSegments(c, localTol);
                for (int i = 1; i < n; ++i) sink.lineTo(map(evalCubic(c, float(i) / n)), false);
                sink.lineTo(map(c[3]), true);
                last = c[3];
                pi += 3;
                break;
            }
            case PathVerb::Close: sink.close(); break;
        }
    }
}

}  // namespace plix
