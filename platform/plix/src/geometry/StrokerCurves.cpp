#include "geometry/StrokerCurves.h"

#include <cmath>

#include "geometry/PathGeometry.h"

namespace plix {

namespace {

constexpr int kMaxDepth = 10;  // at most 1024 pieces per side of a curve, whatever the input

Point perp(Point u) { return {-u.y, u.x}; }

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

class SideBuilder {
public:
    SideBuilder(const CurveSegment& c, float r, float tol, std::vector<OutlinePiece>& out)
        : fC(c), fR(r), fTol(tol), fOut(out) {}

    // The unit tangent at t, and the offset point there.
    bool at(float t, Point* u, Point* o) const {
        *u = fC.tangent(t);
        if (!u->normalize()) return false;
        *o = fC.eval(t) + perp(*u) * fR;
        return finite(*o);
    }

    void piece(float t0, float t1, int depth) {
        Point u0, o0, u1, o1;
        if (!at(t0, &u0, &o0) || !at(t1, &u1, &o1)) return;
        if (depth < kMaxDepth) {
            bool split = dot(u0, u1) < 0;  // turning by more than a right angle
            Point ctrl;
            bool quad = false;
            if (!split) quad = control(o0, u0, o1, u1, &ctrl), split = !fits(o0, ctrl, o1, quad, (t0 + t1) / 2);
            if (split) {
                const float tm = (t0 + t1) / 2;
                piece(t0, tm, depth + 1);
                piece(tm, t1, depth + 1);
                return;
            }
            emit(o1, ctrl, quad);
            return;
        }
        Point ctrl;
        const bool quad = control(o0, u0, o1, u1, &ctrl);
        emit(o1, ctrl, quad);
    }

private:
    // Where the tangent lines at the two ends meet; false (a line will do) when they are
    // parallel or meet behind an end.
    static bool control(Point o0, Point u0, Point o1, Point u1, Point* ctrl) {
        const float den = cross(u0, u1);
        if (std::fabs(den) < 1e-6f) return false;
        const float a = cross(o1 - o0, u1) / den;
        *ctrl = o0 + u0 * a;
        return finite(*ctrl);
    }

    // Whether the piece (a quad or a line) meets the normal at the middle of its parameter
    // range within the tolerance of the offset curve.
    bool fits(Point o0, Point ctrl, Point o1, bool quad, float tm) const {
        Point um, om;
        if (!at(tm, &um, &om)) return true;
        const Point pm = fC.eval(tm);
        const Point nm = perp(um);
        // The piece as p(x) = o0 + b x + a x^2; where it crosses the line through pm along nm.
        const Point c = quad ? ctrl : (o0 + o1) * 0.5f;
        const Point b = (c - o0) * 2, a = o0 - c * 2 + o1;
        const double ka = cross(a, nm), kb = cross(b, nm), kc = cross(o0 - pm, nm);
        double roots[2];
        int n = quadRootsUnit(ka, kb, kc, roots);
        double ends[2] = {0, 1};  // an end exactly on the normal counts too
        if (n == 0) {
            for (double e : ends)
                if (std::fabs(ka * e * e + kb * e + kc) < 1e-9 * (std::fabs(ka) + std::fabs(kb) + std::fabs(kc)))
                    roots[n++] = e;
        }
        for (int i = 0; i < n; ++i) {
            const float x = float(roots[i]);
            const Point hit = o0 + b * x + a * (x * x);
            if (distance(hit, om) <= fTol) return true;
        }
        return false;
    }

    void emit(Point end, Point ctrl, bool quad) { fOut.push_back({end, quad ? ctrl : end, quad}); }

    const CurveSegment& fC;
    float fR, fTol;
    std::vector<OutlinePiece>& fOut;
};

}  // namespace

Point CurveSegment::eval(float t) const {
    switch (verb) {
        case PathVerb::Quad: return evalQuad(p, t);
        case PathVerb::Conic: return evalConic(p, w, t);
        default: return evalCubic(p, t);
    }
}

Point CurveSegment::tangent(float t) const {
    switch (verb) {
        case PathVerb::Quad: return quadTangent(p, t);
        case PathVerb::Conic: return conicTangent(p, w, t);
        default: return cubicTangent(p, t);
    }
}

void offsetCurveSide(const CurveSegment& c, float r, float tol, std::vector<OutlinePiece>& out) {
    SideBuilder side(c, r, tol, out);
    double cuts[2];
    int n = 0;
    if (c.verb == PathVerb::Cubic) {
        // Inflections: where the derivative and the second derivative are parallel.
        const Point a = c.p[1] - c.p[0], b = c.p[2] - c.p[1] * 2 + c.p[0];
        const Point d = c.p[3] - c.p[2] * 3 + c.p[1] * 3 - c.p[0];
        n = quadRootsUnit(double(cross(b, d)), double(cross(a, d)), double(cross(a, b)), cuts);
    }
    float t0 = 0;
    for (int i = 0; i < n; ++i) {
        side.piece(t0, float(cuts[i]), 0);
        t0 = float(cuts[i]);
    }
    side.piece(t0, 1, 0);
}

}  // namespace plix
