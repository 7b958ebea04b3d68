#include "geometry/Stroker.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/PathFlatten.h"
#include "geometry/StrokerCurves.h"

namespace plix {

namespace {

constexpr float kRoot2Over2 = 0.707106781f;

struct Vertex {
    Point p;
    bool corner;  // a true vertex of the path (joins apply) rather than a step along a curve
};

struct Contour {
    std::vector<Vertex> pts;
    bool closed = false;
};

struct Collector final : FlattenSink {
    std::vector<Contour> contours;
    void moveTo(Point p) override { contours.push_back({{{p, true}}, false}); }
    void lineTo(Point p, bool corner) override { contours.back().pts.push_back({p, corner}); }
    void close() override {
        if (!contours.empty()) contours.back().closed = true;
    }
};

Point perp(Point u) { return {-u.y, u.x}; }  // a quarter turn clockwise on screen (y down)

// One side of an outline: its start point, then lines and quads.
struct Side {
    std::vector<OutlinePiece> v;
    // A line to p unless the side is there already.
    void push_back(Point p) {
        if (v.empty() || !(v.back().end == p)) v.push_back({p, p, false});
    }
    void lineTo(Point p) { push_back(p); }
    Point back() const { return v.back().end; }
    Point front() const { return v.front().end; }
    void pop_back() { v.pop_back(); }
    size_t size() const { return v.size(); }
    // Appends other run backwards, from its second-to-last point to its start (its last point
    // being where this side is now).
    void appendReversed(const Side& other) {
        for (size_t i = other.v.size(); i-- > 1;) {
            if (other.v[i].quad) v.push_back({other.v[i - 1].end, other.v[i].ctrl, true, other.v[i].w});
            else push_back(other.v[i - 1].end);
        }
    }
};

// A segment of a contour: a line (p[0] to p[1]) or a curve.
struct Segment {
    CurveSegment c;
    bool corner = true;  // joins apply where it starts (false: a step along a flattened curve)
    bool line() const { return c.verb == PathVerb::Line; }
    Point start() const { return c.p[0]; }
    Point end() const { return line() ? c.p[1] : c.end(); }
    Point startDir() const { return dirOf(line() ? c.p[1] - c.p[0] : c.tangent(0)); }
    Point endDir() const { return dirOf(line() ? c.p[1] - c.p[0] : c.tangent(1)); }
    float length() const { return distance(start(), end()); }
    static Point dirOf(Point d) {
        d.normalize();
        return d;
    }
};

class Builder {
public:
    Builder(const StrokeParams& s, Path* out) : fS(s), fR(s.width / 2), fOut(out) {}

    void stroke(Contour c) {
        // Drop repeated points, keeping the corner flag of the survivor.
        std::vector<Vertex> v;
        for (const Vertex& x : c.pts) {
            if (!v.empty() && v.back().p == x.p) {
                v.back().corner |= x.corner;
                continue;
            }
            v.push_back(x);
        }
        if (c.closed && v.size() > 1 && v.back().p == v.front().p) v.pop_back();
        if (v.size() == 1) {
            // A contour of zero length (a point that is closed or drawn to) shows as a dot when
            // the cap has extent; a lone move draws nothing.
            if (c.pts.size() > 1 || c.closed) drawDot(v[0].p);
            return;
        }
        if (v.empty()) return;
        if (collinearContour(v, c.closed)) return;
        // Closed contours join at every vertex, also when the closing segment runs straight back
        // over the only other one.
        if (c.closed)
            closedContour(v);
        else
            openContour(v);
    }

private:
    void drawDot(Point p) {
        if (fS.cap == StrokeCap::Round) fOut->addCircle(p.x, p.y, fR);
        else if (fS.cap == StrokeCap::Square) fOut->addRect({p.x - fR, p.y - fR, p.x + fR, p.y + fR});
    }

    static Point dir(Point a, Point b) {
        Point d = b - a;
        d.normalize();
        return d;
    }

    // Side s of the stroke at pivot (+1 left of the direction of travel as seen on screen, -1
    // right), turning from direction u0 to u1, appended to out: from the end of the offset of the
    // segment before (length `before`) to the start of the offset of the one after (`after`).
    // Points that lie on those offset lines between their neighbours are left out: they add
    // nothing to the outline but edges.
    void join(Side& out, Point pivot, Point u0, Point u1, float s, bool corner, float before,
              float after) {
        const Point n0 = perp(u0) * (fR * s), n1 = perp(u1) * (fR * s);
        const float turn = cross(u0, u1) * s;  // < 0: this side is the outer one
        const float cosA = std::clamp(dot(u0, u1), -1.0f, 1.0f);
        if (std::fabs(turn) < 1e-6f && cosA > 0) {  // straight on
            out.push_back(pivot + n1);
            return;
        }
        // Straight back: the left side takes the join round the end, the right one the inside.
        const bool back = std::fabs(turn) < 1e-6f;
        if (back ? s < 0 : turn >= 0) {
            innerJoin(out, pivot, n0, n1, turn, cosA, std::min(before, after));
            return;
        }
        StrokeJoin j = fS.join;
        if (!corner) j = cosA > 0.9f ? StrokeJoin::Miter : StrokeJoin::Round;
        const float cosHalf = std::sqrt((1 + cosA) / 2);
        if (j == StrokeJoin::Miter) {
            const bool within = corner ? (cosHalf > 0 && 1 / cosHalf <= fS.miterLimit) : true;
            if (within && cosHalf > 1e-6f) {
                Point mid = n0 + n1;
                if (mid.setLength(fR / cosHalf)) {
                    out.push_back(pivot + mid);  // both offset lines run through it
                    return;
                }
            }
            j = StrokeJoin::Bevel;
        }
        out.push_back(pivot + n0);
        if (j == StrokeJoin::Bevel) {
            out.push_back(pivot + n1);
            return;
        }
        if (back) {  // half a circle through the point ahead, as a round cap
            arc(out, pivot, n0, u0 * fR, s);
            arc(out, pivot, u0 * fR, n1, s);
            return;
        }
        arc(out, pivot, n0, n1, s);
    }

    // The inner side of a turn of angle a (turn = sin a). Its two offset lines meet at
    // r tan(a/2) from the pivot along both segments; while that stays within half of the shorter
    // segment, no neighbouring vertex's meeting point is passed, so the side simply turns there
    // and the outline stays simple (which the scan converter covers exactly and quickly).
    // Otherwise (sharp turns, short segments against the width) the side goes through the pivot
    // and back, so that no notch is cut out of the stroke; the overlap this makes is covered
    // under the winding rule.
    void innerJoin(Side& out, Point pivot, Point n0, Point n1, float turn, float cosA,
                   float shorter) {
        if (cosA > -0.5f && fR * turn / (1 + cosA) <= 0.5f * shorter) {
            Point mid = n0 + n1;
            if (mid.setLength(fR / std::sqrt((1 + cosA) / 2))) {
                out.push_back(pivot + mid);
                return;
            }
        }
        out.push_back(pivot + n0);
        out.push_back(pivot);
        out.push_back(pivot + n1);
    }

    // The circular arc around c from c + n0 to c + n1 (the short way) as conics: quarter circles
    // while more than a quarter remains, then the rest, as the reference engine draws round
    // joins and caps. The start point is assumed already in out.
    void arc(Side& out, Point c, Point n0, Point n1, float) {
        const double a0 = std::atan2(n0.y, n0.x);
        double a1 = std::atan2(n1.y, n1.x);
        double sweep = a1 - a0;
        while (sweep > M_PI) sweep -= 2 * M_PI;
        while (sweep < -M_PI) sweep += 2 * M_PI;
        const double dir = sweep < 0 ? -1 : 1;
        double from = a0, left = std::fabs(sweep);
        while (left > 1e-6) {
            const double step = std::min(left, M_PI / 2);
            left -= step;
            const double to = left > 1e-6 ? from + dir * step : a0 + sweep;
            const double mid = (from + to) / 2, half = step / 2;
            const Point end = left > 1e-6 ? Point{float(c.x + fR * std::cos(to)), float(c.y + fR * std::sin(to))} : c + n1;
            const float reach = float(fR / std::cos(half));
            out.v.push_back({end, {float(c.x + reach * std::cos(mid)), float(c.y + reach * std::sin(mid))}, true,
                             float(std::cos(half))});
            from = to;
        }
    }

    // Cap at end point e travelling in direction u, from e + n to e - n (n = left normal).
    void cap(Side& out, Point e, Point u) { cap(out, e, u, fS.cap); }
    void cap(Side& out, Point e, Point u, StrokeCap kind) {
        const Point n = perp(u) * fR, t = u * fR;
        switch (kind) {
            case StrokeCap::Butt: out.push_back(e - n); break;
            case StrokeCap::Square:
                out.push_back(e + n + t);
                out.push_back(e - n + t);
                out.push_back(e - n);
                break;
            case StrokeCap::Round: {
                // Half circle through e + t: two quarter arcs.
                arc(out, e, n, t, 1);
                arc(out, e, t, -n, 1);
                break;
            }
        }
    }

    void emit(const Side& s) {
        if (s.size() < 2) return;
        fOut->moveTo(s.v[0].end);
        for (size_t i = 1; i < s.size(); ++i) {
            if (s.v[i].quad && s.v[i].w != 1) fOut->conicTo(s.v[i].ctrl, s.v[i].end, s.v[i].w);
            else if (s.v[i].quad) fOut->quadTo(s.v[i].ctrl, s.v[i].end);
            else fOut->lineTo(s.v[i].end);
        }
        fOut->close();
    }

    // A contour whose vertices all lie on one line (a stroke drawn forth and back over itself)
    // covers one band from its lowest to its highest point along the line, ended at each side by
    // the largest shape that vertices there bring: the cap of an end point, or the join of a
    // turn straight back (round joins a half disc, miter and bevel ones nothing). It is drawn as
    // that one outline: the general outline would run over the band twice, and partly covered
    // pixels along its sides would be covered twice. False (nothing drawn) when the vertices are
    // not on one line, or a turn inside the band reaches past its ends.
    bool collinearContour(const std::vector<Vertex>& v, bool closed) {
        const Point o = v[0].p;
        Point d = v[1].p - o;
        if (!d.normalize()) return false;
        const size_t n = v.size();
        std::vector<float> t(n);
        for (size_t i = 0; i < n; ++i) {
            const Point q = v[i].p - o;
            if (std::fabs(cross(d, q)) > 1e-5f * std::max(1.0f, q.length())) return false;
            t[i] = dot(d, q);
        }
        const float lo = *std::min_element(t.begin(), t.end()), hi = *std::max_element(t.begin(), t.end());
        const StrokeCap turn = fS.join == StrokeJoin::Round ? StrokeCap::Round : StrokeCap::Butt;
        auto reach = [&](StrokeCap k) { return k == StrokeCap::Butt ? 0.0f : fR; };
        StrokeCap atLo = StrokeCap::Butt, atHi = StrokeCap::Butt;
        std::vector<std::pair<float, StrokeCap>> inside;  // shapes of vertices within the band
        for (size_t i = 0; i < n; ++i) {
            const bool end = !closed && (i == 0 || i + 1 == n);
            StrokeCap k = end ? fS.cap : StrokeCap::Butt;
            if (!end) {
                const float before = t[(i + n - 1) % n], after = t[(i + 1) % n];
                // Turning back: a curve that does so rounds its tip whatever the join.
                if ((before - t[i]) * (after - t[i]) > 0) k = std::max(k, v[i].corner ? turn : StrokeCap::Round);
            }
            if (t[i] == lo) atLo = std::max(atLo, k);
            else if (t[i] == hi) atHi = std::max(atHi, k);
            else if (k != StrokeCap::Butt) inside.push_back({t[i], k});
        }
        for (const auto& [at, k] : inside)
            if (at - reach(k) < lo - reach(atLo) || at + reach(k) > hi + reach(atHi)) return false;
        const Point a = o + d * lo, b = o + d * hi, nrm = perp(d) * fR;
        Side outline;
        outline.push_back(a + nrm);
        outline.push_back(b + nrm);
        cap(outline, b, d, atHi);
        outline.push_back(a - nrm);
        cap(outline, a, -d, atLo);
        if (outline.back() == outline.front() && !outline.v.back().quad) outline.pop_back();
        emit(outline);
        return true;
    }

    void openContour(const std::vector<Vertex>& v) {
        const size_t n = v.size();
        Side left, right;  // right is built forward and appended reversed
        Point u = dir(v[0].p, v[1].p);
        left.push_back(v[0].p + perp(u) * fR);
        right.push_back(v[0].p - perp(u) * fR);
        for (size_t i = 1; i + 1 < n; ++i) {
            const Point u1 = dir(v[i].p, v[i + 1].p);
            const float before = distance(v[i - 1].p, v[i].p), after = distance(v[i].p, v[i + 1].p);
            join(left, v[i].p, u, u1, 1, v[i].corner, before, after);
            join(right, v[i].p, u, u1, -1, v[i].corner, before, after);
            u = u1;
        }
        left.push_back(v[n - 1].p + perp(u) * fR);
        Side outline = left;
        cap(outline, v[n - 1].p, u);
        right.push_back(v[n - 1].p - perp(u) * fR);
        // Back along the right side (its last point is where the cap ended).
        outline.appendReversed(right);
        // Start cap, travelling backwards from v[0].
        const Point u0 = dir(v[0].p, v[1].p);
        cap(outline, v[0].p, -u0);
        emit(outline);
    }

    void closedContour(const std::vector<Vertex>& v) {
        const size_t n = v.size();
        Side left, right;
        for (size_t i = 0; i < n; ++i) {
            const Point prev = v[(i + n - 1) % n].p, cur = v[i].p, next = v[(i + 1) % n].p;
            const Point u0 = dir(prev, cur), u1 = dir(cur, next);
            const float before = distance(prev, cur), after = distance(cur, next);
            join(left, cur, u0, u1, 1, v[i].corner, before, after);
            join(right, cur, u0, u1, -1, v[i].corner, before, after);
        }
        emit(left);
        emitReversed(right);
    }

    void emitReversed(const Side& s) {
        if (s.size() < 2) return;
        Side rev;
        rev.push_back(s.back());
        rev.appendReversed(s);
        emit(rev);
    }

public:
    // A contour of lines and curves that do not all lie on one line: lines as above, curves
    // sided by quadratic pieces.
    void strokeSegments(const std::vector<Segment>& g, bool closed) {
        if (closed) {
            Side left, right;
            const size_t m = g.size();
            for (size_t i = 0; i < m; ++i) {
                joinSegments(left, right, g[(i + m - 1) % m], g[i]);
                side(left, right, g[i]);
            }
            emit(left);
            emitReversed(right);
            return;
        }
        Side left, right;
        const Point u0 = g.front().startDir(), s0 = g.front().start();
        left.push_back(s0 + perp(u0) * fR);
        right.push_back(s0 - perp(u0) * fR);
        for (size_t i = 0; i < g.size(); ++i) {
            if (i) joinSegments(left, right, g[i - 1], g[i]);
            side(left, right, g[i]);
        }
        const Point u = g.back().endDir(), e = g.back().end();
        left.lineTo(e + perp(u) * fR);
        Side outline = left;
        cap(outline, e, u);
        right.lineTo(e - perp(u) * fR);
        outline.appendReversed(right);
        cap(outline, s0, -u0);
        emit(outline);
    }

    float fCurveTol = 0.25f;  // how far a side's quad may miss the offset curve

private:
    void joinSegments(Side& left, Side& right, const Segment& a, const Segment& b) {
        const Point u0 = a.endDir(), u1 = b.startDir();
        if (!(a.line() && b.line()) && dot(u0, u1) > 0.99999f) {
            // Curves meeting smoothly (to float precision): the sides run on.
            left.lineTo(b.start() + perp(u1) * fR);
            right.lineTo(b.start() - perp(u1) * fR);
            return;
        }
        // Next to a curve the inner side always goes through the pivot.
        const float before = a.line() ? a.length() : 0, after = b.line() ? b.length() : 0;
        join(left, b.start(), u0, u1, 1, b.corner, before, after);
        join(right, b.start(), u0, u1, -1, b.corner, before, after);
    }

    // A segment's share of both sides: nothing for a line (the joins place its ends), quads for
    // a curve, from its start offset points on.
    void side(Side& left, Side& right, const Segment& g) {
        if (g.line()) return;
        const Point n = perp(g.startDir()) * fR, s = g.start();
        left.lineTo(s + n);
        right.lineTo(s - n);
        offsetCurveSide(g.c, fR, fCurveTol, left.v);
        offsetCurveSide(g.c, -fR, fCurveTol, right.v);
    }


private:
    StrokeParams fS;
    float fR;
    Path* fOut;
};

// Whether the points all lie on one line (or on one point).
bool onOneLine(const Point* p, size_t n) {
    Point far = p[0];
    float best = 0;
    for (size_t i = 1; i < n; ++i)
        if (distance(p[i], p[0]) > best) best = distance(p[i], p[0]), far = p[i];
    Point d = far - p[0];
    if (!d.normalize()) return true;
    for (size_t i = 1; i < n; ++i)
        if (std::fabs(cross(d, p[i] - p[0])) > 1e-5f * std::max(1.0f, distance(p[i], p[0]))) return false;
    return true;
}

// Strokes contours one at a time: those that lie on one line go through the flattened
// stroker (which draws them as one band), the others are stroked segment by segment, their
// curves offset as quads.
class ContourStroker {
public:
    ContourStroker(Builder& b, float tol, float r) : fB(b), fTol(tol), fR(r) {}

    void moveTo(Point p) {
        finish();
        fStart = p;
        fPts.assign(1, p);
        fPath.reset();
        fPath.moveTo(p);
        fActive = true;
    }
    void line(Point a, Point b) {
        fPath.lineTo(b);
        fPts.push_back(b);
        if (!(a == b)) fSegs.push_back({{PathVerb::Line, {a, b, b, b}, 1}, true});
    }
    void curve(PathVerb v, const Point p[4], float w) {
        const int n = v == PathVerb::Cubic ? 4 : 3;
        if (v == PathVerb::Quad) fPath.quadTo(p[1], p[2]);
        else if (v == PathVerb::Conic) fPath.conicTo(p[1], p[2], w);
        else fPath.cubicTo(p[1], p[2], p[3]);
        fPts.insert(fPts.end(), p + 1, p + n);
        bool moves = false;
        for (int i = 1; i < n; ++i) moves |= !(p[i] == p[0]);
        if (!moves) return;
        if (onOneLine(p, size_t(n))) {
            // A curve along a line (turning back on it, perhaps): its flattened steps.
            Path single;
            single.moveTo(p[0]);
            if (v == PathVerb::Quad) single.quadTo(p[1], p[2]);
            else if (v == PathVerb::Conic) single.conicTo(p[1], p[2], w);
            else single.cubicTo(p[1], p[2], p[3]);
            Collector c;
            flattenPath(single, Matrix(), fTol, c);
            if (c.contours.empty()) return;
            Point last = p[0];
            bool first = true;
            for (const Vertex& x : c.contours[0].pts) {
                if (x.p == last) continue;
                fSegs.push_back({{PathVerb::Line, {last, x.p, x.p, x.p}, 1}, first});
                first = false;
                last = x.p;
            }
            return;
        }
        CurveSegment c;
        c.verb = v;
        for (int i = 0; i < 4; ++i) c.p[i] = p[std::min(i, n - 1)];
        c.w = w;
        fTight |= tighterThanStroke(c);
        fSegs.push_back({c, true});
    }
    void close(Point last) {
        line(last, fStart);
        fPath.close();
        fClosed = true;
        finish();
    }

    void finish() {
        if (!fActive) return;
        fActive = false;
        // Curves bending tighter than the stroke's half width fold their inner offset over;
        // those contours are stroked flattened, which covers them exactly.
        if (fSegs.empty() || fTight || onOneLine(fPts.data(), fPts.size())) {
            Collector c;
            flattenPath(fPath, Matrix(), fTol, c);
            for (Contour& k : c.contours) fB.stroke(std::move(k));
        } else {
            fB.strokeSegments(fSegs, fClosed);
        }
        fSegs.clear();
        fClosed = false;
        fTight = false;
    }

    // Whether the curve's radius of curvature falls below the stroke's half width somewhere
    // (sampled: the turn between neighbouring samples against the distance between them).
    bool tighterThanStroke(const CurveSegment& c) const {
        constexpr int kSamples = 32;
        Point prevU = c.tangent(0), prevP = c.start();
        prevU.normalize();
        for (int i = 1; i <= kSamples; ++i) {
            const float t = float(i) / kSamples;
            Point u = c.tangent(t);
            const Point q = c.eval(t);
            u.normalize();
            const float turn = std::acos(std::clamp(dot(prevU, u), -1.0f, 1.0f));
            if (turn * fR >= distance(prevP, q)) return true;
            prevU = u, prevP = q;
        }
        return false;
    }

private:
    Builder& fB;
    float fTol, fR;
    Point fStart;
    std::vector<Point> fPts;
    std::vector<Segment> fSegs;
    Path fPath;
    bool fClosed = false, fActive = false, fTight = false;
};

}  // namespace

bool strokePath(const Path& src, const StrokeParams& params, float resScale, Path* dst) {
    if (!dst || !(params.width > 0) || !std::isfinite(params.width) || !std::isfinite(params.miterLimit))
        return false;
    if (!(resScale > 0) || !std::isfinite(resScale)) resScale = 1;
    if (!src.isFinite()) return false;
    const float tol = 0.025f / resScale;
    Path out;
    Builder b(params, &out);
    b.fCurveTol = 0.25f / resScale;
    ContourStroker cs(b, tol, params.width / 2);
    Path::Iter it(src, false);
    Point p[4];
    float w = 1;
    for (;;) {
        const Path::Iter::Kind k = it.next(p, &w);
        if (k == Path::Iter::kDone) break;
        switch (k) {
            case Path::Iter::kMove: cs.moveTo(p[0]); break;
            case Path::Iter::kLine: cs.line(p[0], p[1]); break;
            case Path::Iter::kQuad: cs.curve(PathVerb::Quad, p, 1); break;
            case Path::Iter::kConic: cs.curve(PathVerb::Conic, p, w); break;
            case Path::Iter::kCubic: cs.curve(PathVerb::Cubic, p, 1); break;
            case Path::Iter::kClose: cs.close(p[0]); break;
            default: break;
        }
    }
    cs.finish();
    dst->addPath(out);
    return true;
}

}  // namespace plix
