// Reading paths: bounds, containment, shape queries, interpolation, transforms, iteration.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/Path.h"
#include "geometry/PathFlatten.h"
#include "geometry/PathGeometry.h"

namespace plix {

bool Path::isFinite() const {
    for (const Point& p : fPts)
        if (!p.isFinite()) return false;
    return true;
}

bool Path::getLastPoint(Point* p) const {
    if (fPts.empty()) {
        if (p) *p = {};
        return false;
    }
    if (p) *p = fPts.back();
    return true;
}

uint32_t Path::segmentMasks() const {
    uint32_t m = 0;
    for (PathVerb v : fVerbs) {
        switch (v) {
            case PathVerb::Line: m |= kLineSegment; break;
            case PathVerb::Quad: m |= kQuadSegment; break;
            case PathVerb::Conic: m |= kConicSegment; break;
            case PathVerb::Cubic: m |= kCubicSegment; break;
            default: break;
        }
    }
    return m;
}

bool Path::isLastContourClosed() const { return !fVerbs.empty() && fVerbs.back() == PathVerb::Close; }

Rect Path::bounds() const {
    Rect r;
    if (!r.setBounds(fPts.data(), int(fPts.size()))) return Rect{};
    return r;
}

Rect Path::computeTightBounds() const {
    if (fPts.empty()) return {};
    std::vector<Point> extrema;
    size_t pi = 0, wi = 0;
    Point last{};
    for (PathVerb v : fVerbs) {
        switch (v) {
            case PathVerb::Move:
            case PathVerb::Line:
                last = fPts[pi++];
                extrema.push_back(last);
                break;
            case PathVerb::Quad: {
                const Point q[3] = {last, fPts[pi], fPts[pi + 1]};
                extrema.push_back(q[2]);
                // B'(t) = 0 per axis: t = (p0 - p1) / (p0 - 2 p1 + p2)
                for (int axis = 0; axis < 2; ++axis) {
                    const double a = axis ? q[0].y : q[0].x, b = axis ? q[1].y : q[1].x, c = axis ? q[2].y : q[2].x;
                    const double den = a - 2 * b + c;
                    if (den != 0) {
                        const double t = (a - b) / den;
                        if (t > 0 && t < 1) extrema.push_back(evalQuad(q, float(t)));
                    }
                }
                last = q[2];
                pi += 2;
                break;
            }
            case PathVerb::Conic: {
                const Point q[3] = {last, fPts[pi], fPts[pi + 1]};
                const double w = fWeights[wi++];
                extrema.push_back(q[2]);
                // The numerator of the derivative of N / D is a quadratic in t per axis.
                for (int axis = 0; axis < 2; ++axis) {
                    const double p0 = axis ? q[0].y : q[0].x, p1 = axis ? q[1].y : q[1].x, p2 = axis ? q[2].y : q[2].x;
                    // N' D - N D' has no cubic term, so three samples give its coefficients.
                    auto f = [&](double t) {
                        const double mt = 1 - t;
                        const double N = p0 * mt * mt + 2 * w * p1 * t * mt + p2 * t * t;
                        const double D = mt * mt + 2 * w * t * mt + t * t;
                        const double dN = -2 * mt * p0 + 2 * w * (1 - 2 * t) * p1 + 2 * t * p2;
                        const double dD = -2 * mt + 2 * w * (1 - 2 * t) + 2 * t;
                        return dN * D - N * dD;
                    };
                    const double f0 = f(0), fh = f(0.5), f1 = f(1);
                    const double qa = 2 * (f0 - 2 * fh + f1), qb = -3 * f0 + 4 * fh - f1, qc = f0;
                    double roots[2];
                    const int n = quadRootsUnit(qa, qb, qc, roots);
                    for (int i = 0; i < n; ++i) extrema.push_back(evalConic(q, float(w), float(roots[i])));
                }
                last = q[2];
                pi += 2;
                break;
            }
            case PathVerb::Cubic: {
                const Point c[4] = {last, fPts[pi], fPts[pi + 1], fPts[pi + 2]};
                extrema.push_back(c[3]);
                for (int axis = 0; axis < 2; ++axis) {
                    const double p0 = axis ? c[0].y : c[0].x, p1 = axis ? c[1].y : c[1].x, p2 = axis ? c[2].y : c[2].x,
                                 p3 = axis ? c[3].y : c[3].x;
                    // B'(t)/3 = a t^2 + b t + c
                    const double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), cc = p1 - p0;
                    double roots[2];
                    const int n = quadRootsUnit(a, b, cc, roots);
                    for (int i = 0; i < n; ++i) extrema.push_back(evalCubic(c, float(roots[i])));
                }
                last = c[3];
                pi += 3;
                break;
            }
            case PathVerb::Close: break;
        }
    }
    Rect r;
    if (!r.setBounds(extrema.data(), int(extrema.size()))) return Rect{};
    return r;
}

namespace {

// Collects flattened contours for winding computations.
struct Polygons final : FlattenSink {
    std::vector<std::vector<Point>> contours;
    void moveTo(Point p) override { contours.push_back({p}); }
    void lineTo(Point p, bool) override { contours.back().push_back(p); }
    void close() override {}
};

bool onSegment(Point p, Point a, Point b, float tol) {
    const Point ab = b - a, ap = p - a;
    const float len2 = dot(ab, ab);
    float t = len2 > 0 ? dot(ap, ab) / len2 : 0;
    t = std::clamp(t, 0.0f, 1.0f);
    const Point q = a + ab * t;
    return distance(p, q) <= tol;
}

}  // namespace

bool Path::contains(float x, float y) const {
    const bool inverse = isInverseFill(fFill);
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    if (isEmpty()) return inverse;
    const Rect b = bounds();
    if (!(x >= b.left && x <= b.right && y >= b.top && y <= b.bottom)) return inverse;
    const float size = std::max(b.width(), b.height());
    const float tol = std::max(size * 1e-5f, 1e-6f);
    Polygons poly;
    flattenPath(*this, Matrix(), tol, poly);
    const Point p{x, y};
    int winding = 0;
    for (const auto& c : poly.contours) {
        const size_t n = c.size();
        for (size_t i = 0; i < n; ++i) {
            const Point a = c[i], bb = c[(i + 1) % n];
            // A point on the outline counts as inside.
            if (onSegment(p, a, bb, tol * 4)) return !inverse;
            if (a.y <= y && bb.y > y) {
                if (cross(bb - a, p - a) > 0) ++winding;
            } else if (bb.y <= y && a.y > y) {
                if (cross(bb - a, p - a) < 0) --winding;
            }
        }
    }
    const bool in = isEvenOddFill(fFill) ? (winding & 1) != 0 : winding != 0;
    return in != inverse;
}

bool Path::isLine(Point line[2]) const {
    if (fVerbs.size() != 2 || fVerbs[0] != PathVerb::Move || fVerbs[1] != PathVerb::Line) return false;
    if (line) line[0] = fPts[0], line[1] = fPts[1];
    return true;
}

bool Path::isRect(Rect* rect, bool* closedOut, PathDirection* dirOut) const {
    // One contour of lines only (trailing moves allowed).
    std::vector<Point> pts;
    bool closed = false, seenMove = false;
    size_t pi = 0;
    for (size_t i = 0; i < fVerbs.size(); ++i) {
        const PathVerb v = fVerbs[i];
        if (v == PathVerb::Move) {
            if (seenMove && (pts.size() > 1 || closed)) {
                // A later contour: only moves may follow.
                for (size_t j = i; j < fVerbs.size(); ++j)
                    if (fVerbs[j] != PathVerb::Move) return false;
                break;
            }
            seenMove = true;
            pts.assign(1, fPts[pi++]);
        } else if (v == PathVerb::Line) {
            if (closed) return false;
            pts.push_back(fPts[pi++]);
        } else if (v == PathVerb::Close) {
            closed = true;
        } else {
            return false;
        }
    }
    // Drop repeated points and points that continue a straight side.
    std::vector<Point> corners;
    for (const Point& p : pts) {
        if (!corners.empty() && corners.back() == p) continue;
        if (corners.size() >= 2) {
            const Point a = corners[corners.size() - 2], b = corners.back();
            if (cross(b - a, p - b) == 0 && dot(b - a, p - b) > 0) {
                corners.back() = p;
                continue;
            }
        }
        corners.push_back(p);
    }
    if (corners.size() >= 2 && corners.back() == corners.front()) corners.pop_back();
    if (corners.size() == 5) {
        // The closing side may continue the first one.
        const Point a = corners[3], b = corners[4], c = corners[0], d = corners[1];
        if (cross(b - a, c - b) == 0 || cross(c - b, d - c) == 0) return false;
        return false;
    }
    if (corners.size() != 4) return false;
    for (int i = 0; i < 4; ++i) {
        const Point a = corners[size_t(i)], b = corners[size_t((i + 1) % 4)];
        const bool horizontal = a.y == b.y && a.x != b.x, vertical = a.x == b.x && a.y != b.y;
        if (!horizontal && !vertical) return false;
        // Sides alternate between horizontal and vertical.
        const Point c = corners[size_t((i + 2) % 4)];
        const bool nextHorizontal = b.y == c.y;
        if (horizontal == nextHorizontal) return false;
    }
    Rect r;
    r.setBounds(corners.data(), 4);
    if (rect) *rect = r;
    if (closedOut) *closedOut = closed;
    if (dirOut) {
        const float area = cross(corners[1] - corners[0], corners[2] - corners[1]);
        *dirOut = area > 0 ? PathDirection::CW : PathDirection::CCW;
    }
    return true;
}

bool Path::isOval(Rect* oval) const {
    if (fShape != Shape::Oval) return false;
    if (oval) *oval = bounds();
    return true;
}

bool Path::isRRect(RRect* rr) const {
    if (fShape != Shape::RRect) return false;
    if (rr) *rr = fShapeRRect;
    return true;
}

bool Path::isConvex() const {
    // One contour whose turns all go the same way and whose direction winds once.
    std::vector<Point> pts;
    size_t pi = 0;
    for (PathVerb v : fVerbs) {
        const int n = verbPointCount(v);
        for (int i = 0; i < n; ++i) pts.push_back(fPts[pi + size_t(i)]);
        pi += size_t(n);
    }
    // Count contours with at least one segment.
    int contours = 0;
    {
        bool inContour = false;
        for (PathVerb v : fVerbs) {
            if (v == PathVerb::Move) inContour = false;
            else if (v != PathVerb::Close && !inContour) { inContour = true; ++contours; }
        }
    }
    if (contours > 1) return false;
    if (!isFinite()) return false;
    // Drop repeats, including a closing point equal to the first.
    std::vector<Point> q;
    for (const Point& p : pts)
        if (q.empty() || !(q.back() == p)) q.push_back(p);
    while (q.size() > 1 && q.back() == q.front()) q.pop_back();
    if (q.size() < 3) return true;  // a point or a line is convex
    const size_t n = q.size();
    int sign = 0;
    double angleSum = 0;
    for (size_t i = 0; i < n; ++i) {
        const Point a = q[i], b = q[(i + 1) % n], c = q[(i + 2) % n];
        const Point e0 = b - a, e1 = c - b;
        const double cr = double(e0.x) * e1.y - double(e0.y) * e1.x;
        const double dt = double(e0.x) * e1.x + double(e0.y) * e1.y;
        const double scale = std::max(1e-30, double(e0.length()) * double(e1.length()));
        if (std::fabs(cr) / scale > 1e-6) {
            const int s = cr > 0 ? 1 : -1;
            if (sign == 0) sign = s;
            else if (s != sign) return false;
        } else if (dt < 0) {
            return false;  // doubles back on itself
        }
        angleSum += std::atan2(cr, dt);
    }
    // The direction turns exactly once around (not twice, as a star would).
    return std::fabs(std::fabs(angleSum) - 2 * 3.14159265358979) < 1e-3 || sign == 0;
}

bool Path::isInterpolatable(const Path& o) const {
    return fVerbs == o.fVerbs && fWeights == o.fWeights && fPts.size() == o.fPts.size();
}

bool Path::interpolate(const Path& ending, float weight, Path* out) const {
    if (!isInterpolatable(ending)) return false;
    Path r = *this;
    for (size_t i = 0; i < fPts.size(); ++i)
        r.fPts[i] = fPts[i] * weight + ending.fPts[i] * (1 - weight);
    r.fShape = Shape::None;
    *out = std::move(r);
    return true;
}

Path Path::makeTransform(const Matrix& m) const {
    Path r;
    if (m.hasPerspective()) {
        // Curves do not survive perspective: replace them by their flattening.
        struct Sink final : FlattenSink {
            Path* p;
            void moveTo(Point q) override { p->moveTo(q); }
            void lineTo(Point q, bool) override { p->lineTo(q); }
            void close() override { p->close(); }
        } sink;
        sink.p = &r;
        const float tol = 0.05f;
        flattenPath(*this, m, tol, sink);
        r.fFill = fFill;
        return r;
    }
    r = *this;
    m.mapPoints(r.fPts.data(), fPts.data(), int(fPts.size()));
    if (r.fShape != Shape::None) {
        RRect mapped;
        if (!m.rectStaysRect()) {
            r.fShape = Shape::None;
        } else if (r.fShape == Shape::RRect && fShapeRRect.transform(m, &mapped)) {
            r.fShapeRRect = mapped;
        } else if (r.fShape == Shape::RRect) {
            r.fShape = Shape::None;
        }
    }
    return r;
}

// ---- iteration ----

Path::Iter::Iter(const Path& path, bool forceClose) : fPath(path), fForceClose(forceClose) {}

Path::Iter::Kind Path::Iter::next(Point pts[4], float* weight) {
    const auto& verbs = fPath.fVerbs;
    const auto& P = fPath.fPts;
    if (fNeedClose) {
        // The closing line was handed out; now the close itself.
        fNeedClose = false;
        fLast = fStart;
        pts[0] = fLast, pts[1] = fStart;
        fInContour = false;
        return kClose;
    }
    while (fVerb < verbs.size()) {
        const PathVerb v = verbs[fVerb];
        if (v == PathVerb::Move && fForceClose && fInContour) {
            // Close the open contour before the next one starts.
            if (!(fLast == fStart)) {
                pts[0] = fLast, pts[1] = fStart;
                fNeedClose = true;
                return kLine;
            }
            pts[0] = fLast, pts[1] = fStart;
            fInContour = false;
            return kClose;
        }
        ++fVerb;
        switch (v) {
            case PathVerb::Move:
                fStart = fLast = P[fPt++];
                fInContour = false;
                pts[0] = fStart;
                return kMove;
            case PathVerb::Line:
                pts[0] = fLast, pts[1] = P[fPt];
                fLast = P[fPt++];
                fInContour = true;
                return kLine;
            case PathVerb::Quad:
                pts[0] = fLast, pts[1] = P[fPt], pts[2] = P[fPt + 1];
                fLast = P[fPt + 1];
                fPt += 2;
                fInContour = true;
                return kQuad;
            case PathVerb::Conic:
                pts[0] = fLast, pts[1] = P[fPt], pts[2] = P[fPt + 1];
                if (weight) *weight = fPath.fWeights[fWeight];
                ++fWeight;
                fLast = P[fPt + 1];
                fPt += 2;
                fInContour = true;
                return kConic;
            case PathVerb::Cubic:
                pts[0] = fLast, pts[1] = P[fPt], pts[2] = P[fPt + 1], pts[3] = P[fPt + 2];
                fLast = P[fPt + 2];
                fPt += 3;
                fInContour = true;
                return kCubic;
            case PathVerb::Close:
                if (!(fLast == fStart)) {
                    pts[0] = fLast, pts[1] = fStart;
                    fNeedClose = true;
                    return kLine;
                }
                pts[0] = fLast, pts[1] = fStart;
                fInContour = false;
                return kClose;
        }
    }
    if (fForceClose && fInContour) {
        if (!(fLast == fStart)) {
            pts[0] = fLast, pts[1] = fStart;
            fNeedClose = true;
            return kLine;
        }
        pts[0] = fLast, pts[1] = fStart;
        fInContour = false;
        return kClose;
    }
    return kDone;
}

}  // namespace plix
