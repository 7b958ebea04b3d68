// Building paths: segments, closed shapes and arcs.
#include "geometry/Path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/PathGeometry.h"
#include "geometry/RRect.h"

namespace plix {

namespace {
constexpr float kRoot2Over2 = 0.707106781f;
constexpr double kPi = std::numbers::pi;

bool nearlyEqual(Point a, Point b) {
    const float tol = 1.0f / 4096;
    return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}
}  // namespace

Point Path::lastPointOr0() const { return fPts.empty() ? Point{} : fPts.back(); }

void Path::injectMoveToIfNeeded() {
    if (fContourOpen) return;
    // After a close the next contour starts where the last one did; on an empty path at 0,0.
    const Point p = fLastMoveIndex >= 0 ? fPts[size_t(fLastMoveIndex)] : (fPts.empty() ? Point{} : fPts.back());
    moveTo(p);
}

Path& Path::moveTo(Point p) {
    markEdited();
    if (!fVerbs.empty() && fVerbs.back() == PathVerb::Move) {
        // Consecutive moves collapse into the last one.
        fPts.back() = p;
    } else {
        fVerbs.push_back(PathVerb::Move);
        fPts.push_back(p);
    }
    fLastMoveIndex = int(fPts.size()) - 1;
    fContourOpen = true;
    return *this;
}

Path& Path::lineTo(Point p) {
    injectMoveToIfNeeded();
    markEdited();
    fVerbs.push_back(PathVerb::Line);
    fPts.push_back(p);
    return *this;
}

Path& Path::quadTo(Point p1, Point p2) {
    injectMoveToIfNeeded();
    markEdited();
    fVerbs.push_back(PathVerb::Quad);
    fPts.push_back(p1), fPts.push_back(p2);
    return *this;
}

Path& Path::conicTo(Point p1, Point p2, float w) {
    if (!(w > 0)) return lineTo(p2);  // degenerate weight (0, negative or NaN): a line
    if (std::isinf(w)) {
        lineTo(p1);
        return lineTo(p2);
    }
    if (w == 1) return quadTo(p1, p2);
    injectMoveToIfNeeded();
    markEdited();
    fVerbs.push_back(PathVerb::Conic);
    fPts.push_back(p1), fPts.push_back(p2);
    fWeights.push_back(w);
    return *this;
}

Path& Path::cubicTo(Point p1, Point p2, Point p3) {
    injectMoveToIfNeeded();
    markEdited();
    fVerbs.push_back(PathVerb::Cubic);
    fPts.push_back(p1), fPts.push_back(p2), fPts.push_back(p3);
    return *this;
}

Path& Path::close() {
    if (!fVerbs.empty() && fVerbs.back() != PathVerb::Close) {
        markEdited();
        fVerbs.push_back(PathVerb::Close);
    }
    fContourOpen = false;
    return *this;
}

Path& Path::rQuadTo(Point d1, Point d2) {
    const Point b = lastPointOr0();
    return quadTo(b + d1, b + d2);
}
Path& Path::rConicTo(Point d1, Point d2, float w) {
    const Point b = lastPointOr0();
    return conicTo(b + d1, b + d2, w);
}
Path& Path::rCubicTo(Point d1, Point d2, Point d3) {
    const Point b = lastPointOr0();
    return cubicTo(b + d1, b + d2, b + d3);
}

Path& Path::polylineTo(const Point pts[], int count) {
    if (!pts) return *this;
    for (int i = 0; i < count; ++i) lineTo(pts[i]);
    return *this;
}

void Path::reserve(int extraPoints, int extraVerbs) {
    if (extraPoints > 0 && extraPoints < (1 << 24)) fPts.reserve(fPts.size() + size_t(extraPoints));
    if (extraVerbs > 0 && extraVerbs < (1 << 24)) fVerbs.reserve(fVerbs.size() + size_t(extraVerbs));
}

void Path::offset(float dx, float dy) {
    for (Point& p : fPts) p += Point{dx, dy};
}

Path& Path::addRect(const Rect& r, PathDirection dir, unsigned start) {
    const bool wasEmpty = isEmpty();
    (void)wasEmpty;
    const Point pts[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    const int step = dir == PathDirection::CW ? 1 : 3;
    unsigned i = start % 4;
    moveTo(pts[i]);
    for (int k = 0; k < 3; ++k) {
        i = (i + unsigned(step)) % 4;
        lineTo(pts[i]);
    }
    return close();
}

Path& Path::addOval(const Rect& oval, PathDirection dir, unsigned start) {
    const bool wasEmpty = isEmpty();
    const Rect r = oval;
    const float cx = r.centerX(), cy = r.centerY();
    const Point pts[4] = {{cx, r.top}, {r.right, cy}, {cx, r.bottom}, {r.left, cy}};
    // corners[i] lies between pts[i] and pts[i + 1].
    const Point corners[4] = {{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}, {r.left, r.top}};
    unsigned i = start % 4;
    moveTo(pts[i]);
    for (int k = 0; k < 4; ++k) {
        if (dir == PathDirection::CW) {
            conicTo(corners[i], pts[(i + 1) % 4], kRoot2Over2);
            i = (i + 1) % 4;
        } else {
            const unsigned j = (i + 3) % 4;
            conicTo(corners[j], pts[j], kRoot2Over2);
            i = j;
        }
    }
    close();
    if (wasEmpty) {
        fShape = Shape::Oval;
        fShapeDir = dir;
        fShapeStart = start % 4;
    }
    return *this;
}

Path& Path::addCircle(float cx, float cy, float radius, PathDirection dir) {
    if (radius >= 0) addOval(Rect{cx - radius, cy - radius, cx + radius, cy + radius}, dir);
    return *this;
}

Path& Path::addRRect(const RRect& rr, PathDirection dir) {
    return addRRect(rr, dir, dir == PathDirection::CW ? 6 : 7);
}

Path& Path::addRRect(const RRect& rr, PathDirection dir, unsigned start) {
    const bool wasEmpty = isEmpty();
    if (rr.isEmpty() || rr.isRect()) {
        // An empty round rect still adds its (degenerate) rect, as a rect of zero area.
        return addRect(rr.rect(), dir, (start % 8 + 1) / 2 % 4);
    }
    if (rr.isOval()) return addOval(rr.rect(), dir, (start % 8) / 2);
    const Rect& r = rr.rect();
    const auto& rad = rr.radii();
    const Point pts[8] = {
        {r.left + rad[0].x, r.top},    {r.right - rad[1].x, r.top},    {r.right, r.top + rad[1].y},
        {r.right, r.bottom - rad[2].y}, {r.right - rad[2].x, r.bottom}, {r.left + rad[3].x, r.bottom},
        {r.left, r.bottom - rad[3].y}, {r.left, r.top + rad[0].y},
    };
    // The corner control point of the arc between pts[k] and pts[k + 1] for odd k.
    auto corner = [&](unsigned k) -> Point {
        switch (k) {
            case 1: return {r.right, r.top};
            case 3: return {r.right, r.bottom};
            case 5: return {r.left, r.bottom};
            default: return {r.left, r.top};
        }
    };
    unsigned i = start % 8;
    moveTo(pts[i]);
    for (int k = 0; k < 8; ++k) {
        const unsigned j = dir == PathDirection::CW ? (i + 1) % 8 : (i + 7) % 8;
        const unsigned lo = dir == PathDirection::CW ? i : j;  // segment lo -> lo + 1 in CW order
        const bool isArc = (lo & 1) != 0;
        if (isArc) {
            conicTo(corner(lo), pts[j], kRoot2Over2);
        } else if (k != 7) {
            lineTo(pts[j]);  // the last straight side is drawn by close
        }
        i = j;
    }
    close();
    if (wasEmpty) {
        fShape = Shape::RRect;
        fShapeRRect = rr;
        fShapeDir = dir;
        fShapeStart = start % 8;
    }
    return *this;
}

Path& Path::addPoly(const Point pts[], int count, bool closed) {
    if (!pts || count <= 0) return *this;
    moveTo(pts[0]);
    for (int i = 1; i < count; ++i) lineTo(pts[i]);
    if (closed) close();
    return *this;
}

Path& Path::addPath(const Path& src, const Matrix& m, bool extend) {
    if (src.isEmpty()) return *this;
    // Copy first: src may be this path.
    const Path copy = m.isIdentity() ? src : src.makeTransform(m);
    size_t pi = 0, wi = 0;
    bool first = true;
    for (PathVerb v : copy.fVerbs) {
        switch (v) {
            case PathVerb::Move:
                if (first && extend && fContourOpen && !fVerbs.empty())
                    lineTo(copy.fPts[pi]);
                else
                    moveTo(copy.fPts[pi]);
                pi += 1;
                break;
            case PathVerb::Line: lineTo(copy.fPts[pi]); pi += 1; break;
            case PathVerb::Quad: quadTo(copy.fPts[pi], copy.fPts[pi + 1]); pi += 2; break;
            case PathVerb::Conic: conicTo(copy.fPts[pi], copy.fPts[pi + 1], copy.fWeights[wi++]); pi += 2; break;
            case PathVerb::Cubic: cubicTo(copy.fPts[pi], copy.fPts[pi + 1], copy.fPts[pi + 2]); pi += 3; break;
            case PathVerb::Close: close(); break;
        }
        first = false;
    }
    return *this;
}

// ---- arcs ----

Path& Path::addConicArcPoints(const Rect& oval, float startDeg, float sweepDeg, bool forceMoveTo) {
    const double rx = oval.width() * 0.5, ry = oval.height() * 0.5;
    const double cx = oval.centerX(), cy = oval.centerY();
    const double a0 = startDeg * kPi / 180, sweep = sweepDeg * kPi / 180;
    auto at = [&](double a) { return Point{float(cx + rx * std::cos(a)), float(cy + ry * std::sin(a))}; };
    const Point start = at(a0);
    Point last;
    if (forceMoveTo || isEmpty()) {
        moveTo(start);
    } else if (!getLastPoint(&last) || !nearlyEqual(last, start) || !fContourOpen) {
        lineTo(start);
    }
    // Quarter turns while more than a quarter remains, then the rest, as the reference engine
    // builds arcs: strokes side each piece separately, so the split shows in their outlines.
    const double dir = sweep < 0 ? -1 : 1;
    double s = a0, left = std::fabs(sweep);
    do {
        const double step = std::min(left, kPi / 2);
        left -= step;
        if (left < 1e-9) left = 0;
        const double e = left > 0 ? s + dir * step : a0 + sweep;
        const double half = (e - s) / 2, mid = s + half;
        if (std::fabs(half) < 1e-9) {
            lineTo(at(e));
        } else {
            // Tangents at both ends meet at distance 1 / cos(half) along the middle direction.
            const double k = 1 / std::cos(half);
            const Point ctrl{float(cx + rx * std::cos(mid) * k), float(cy + ry * std::sin(mid) * k)};
            conicTo(ctrl, at(e), float(std::cos(half)));
        }
        s = e;
    } while (left > 0);
    return *this;
}

Path& Path::arcTo(const Rect& oval, float startDeg, float sweepDeg, bool forceMoveTo) {
    if (!(oval.width() >= 0 && oval.height() >= 0) || !oval.isFinite() || !std::isfinite(startDeg) ||
        !std::isfinite(sweepDeg))
        return *this;
    if (isEmpty()) forceMoveTo = true;
    if (oval.width() == 0 && oval.height() == 0) {
        const Point p{oval.left, oval.top};
        return forceMoveTo ? moveTo(p) : lineTo(p);
    }
    if (sweepDeg == 0) {
        const double a = startDeg * kPi / 180;
        const Point p{float(oval.centerX() + oval.width() * 0.5 * std::cos(a)),
                      float(oval.centerY() + oval.height() * 0.5 * std::sin(a))};
        Point last;
        if (forceMoveTo) return moveTo(p);
        if (!getLastPoint(&last) || !nearlyEqual(last, p)) lineTo(p);
        return *this;
    }
    sweepDeg = std::clamp(sweepDeg, -360.0f, 360.0f);
    return addConicArcPoints(oval, startDeg, sweepDeg, forceMoveTo);
}

Path& Path::addArc(const Rect& oval, float startDeg, float sweepDeg) {
    if (oval.isEmpty() || !std::isfinite(startDeg) || !std::isfinite(sweepDeg) || sweepDeg == 0) return *this;
    if (sweepDeg >= 360 || sweepDeg <= -360) {
        // A whole oval, starting at one of the oval's four points when the start angle is one.
        const float q = startDeg / 90;
        const float qi = std::round(q);
        if (std::fabs(q - qi) < 1e-4f) {
            const int k = ((int(qi) % 4) + 4) % 4;  // 0 deg is the right point (index 1)
            return addOval(oval, sweepDeg > 0 ? PathDirection::CW : PathDirection::CCW, unsigned(k + 1) % 4);
        }
    }
    return arcTo(oval, startDeg, sweepDeg, true);
}

Path& Path::arcTo(Point p1, Point p2, float radius) {
    injectMoveToIfNeeded();
    const Point p0 = fPts.back();
    if (!(radius > 0) || !std::isfinite(radius)) return lineTo(p1);
    Point v0 = p0 - p1, v1 = p2 - p1;
    if (!v0.normalize() || !v1.normalize()) return lineTo(p1);
    const double cosT = dot(v0, v1), sinT = std::fabs(double(cross(v0, v1)));
    if (sinT < 1e-7 || std::fabs(cosT) > 1 - 1e-7) return lineTo(p1);
    const double d = radius * (1 + cosT) / sinT;  // from p1 to the tangent points
    const Point a = p1 + v0 * float(d), b = p1 + v1 * float(d);
    const float w = float(std::sqrt((1 - cosT) / 2));
    lineTo(a);
    return conicTo(p1, b, w);
}

Path& Path::arcTo(Point radii, float xAxisRotateDeg, bool largeArc, bool sweepCW, Point end) {
    injectMoveToIfNeeded();
    const Point start = fPts.back();
    double rx = std::fabs(radii.x), ry = std::fabs(radii.y);
    if (!std::isfinite(rx) || !std::isfinite(ry) || !end.isFinite() || !std::isfinite(xAxisRotateDeg))
        return lineTo(end);
    if (rx == 0 || ry == 0) return lineTo(end);
    if (start == end) return lineTo(end);
    // Endpoint to centre parameterization: work in the frame where the ellipse is a unit circle.
    const double phi = xAxisRotateDeg * kPi / 180, cs = std::cos(phi), sn = std::sin(phi);
    const double dx2 = (start.x - end.x) / 2.0, dy2 = (start.y - end.y) / 2.0;
    const double x1p = cs * dx2 + sn * dy2, y1p = -sn * dx2 + cs * dy2;
    const double lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
    if (lambda > 1) {
        const double s = std::sqrt(lambda);
        rx *= s, ry *= s;
    }
    // Unit-circle positions of the two ends.
    auto toUnit = [&](Point p) {
        const double x = p.x, y = p.y;
        const double ux = (cs * x + sn * y) / rx, uy = (-sn * x + cs * y) / ry;
        return std::pair<double, double>{ux, uy};
    };
    auto [u0x, u0y] = toUnit(start);
    auto [u1x, u1y] = toUnit(end);
    const double dxu = u1x - u0x, dyu = u1y - u0y;
    const double d2 = dxu * dxu + dyu * dyu;
    double scale = 1 / d2 - 0.25;
    if (scale < 0) scale = 0;
    double sf = std::sqrt(scale);
    if (largeArc == sweepCW) sf = -sf;
    const double ccx = 0.5 * (u0x + u1x) - sf * dyu, ccy = 0.5 * (u0y + u1y) + sf * dxu;
    const double t0 = std::atan2(u0y - ccy, u0x - ccx);
    double t1 = std::atan2(u1y - ccy, u1x - ccx);
    double sweep = t1 - t0;
    if (sweep < 0 && sweepCW) sweep += 2 * kPi;
    else if (sweep > 0 && !sweepCW) sweep -= 2 * kPi;
    // Build conic pieces on the unit circle and map them back.
    auto back = [&](double ux, double uy) {
        const double x = ux * rx, y = uy * ry;
        return Point{float(cs * x - sn * y), float(sn * x + cs * y)};
    };
    const int pieces = std::max(1, int(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / pieces, half = step / 2;
    const float w = float(std::cos(half));
    for (int i = 0; i < pieces; ++i) {
        const double s = t0 + step * i, mid = s + half, e = s + step;
        const double k = 1 / std::cos(half);
        const Point ctrl = back(ccx + std::cos(mid) * k, ccy + std::sin(mid) * k);
        const Point to = i == pieces - 1 ? end : back(ccx + std::cos(e), ccy + std::sin(e));
        conicTo(ctrl, to, w);
    }
    return *this;
}

// ---- conic to quads ----

int conicQuadPow2(Point p0, Point p1, Point p2, float w, float tol) {
    if (!(tol > 0) || !(w > 0)) return 0;
    // Error of the quad with the same control points, shrinking by 4 with each halving.
    const float a = w - 1;
    const float k = a / (4 * (2 + a));
    const float x = k * (p0.x - 2 * p1.x + p2.x), y = k * (p0.y - 2 * p1.y + p2.y);
    float error = std::sqrt(x * x + y * y);
    int pow2 = 0;
    for (; pow2 < 5; ++pow2) {
        if (error <= tol) break;
        error *= 0.25f;
    }
    return pow2;
}

namespace {
Point* subdivideConic(const Point p[3], float w, Point* out, int level) {
    if (level == 0) {
        out[0] = p[1];
        out[1] = p[2];
        return out + 2;
    }
    Point halves[5];
    float w2;
    chopConicHalf(p, w, halves, &w2);
    out = subdivideConic(halves, w2, out, level - 1);
    return subdivideConic(halves + 2, w2, out, level - 1);
}
}  // namespace

int conicToQuads(Point p0, Point p1, Point p2, float w, Point out[], int pow2) {
    pow2 = std::clamp(pow2, 0, 5);
    const Point p[3] = {p0, p1, p2};
    out[0] = p0;
    subdivideConic(p, w, out + 1, pow2);
    const int quads = 1 << pow2;
    // Keep the results finite even for wild inputs.
    for (int i = 0; i < 1 + 2 * quads; ++i)
        if (!out[i].isFinite()) {
            for (int j = 1; j < 2 * quads; ++j) out[j] = p1;
            break;
        }
    return quads;
}

}  // namespace plix
