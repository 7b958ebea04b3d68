// Hairline paths: contours walked segment by segment, curves cut into chords as the reference
// engine cuts them, caps lengthening the ends of open contours.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/PathGeometry.h"
#include "raster/Hairline.h"

namespace plix {

namespace {

// Quads are cut into at most 2^5 chords, cubics into at most 2^9.
constexpr int kMaxQuadLevel = 5;
constexpr int kMaxCubicLevel = 9;
// Conics become quads within this distance before they are cut.
constexpr float kConicTolerance = 0.25f;

// How far caps lengthen an end: half a pixel for square, pi/8 for round (the area of the cap).
float capOutset(StrokeCap cap) { return cap == StrokeCap::Square ? 0.5f : 0.39269908f; }

// Each level of halving brings a quad 4 times closer to its chords: levels enough for the
// control point's distance from the chord (in whole pixels, cheap length) to drop below one.
int quadLevel(const Point p[3]) {
    const float dx = std::fabs(p[0].x * 0.5f + p[2].x * 0.5f - p[1].x);
    const float dy = std::fabs(p[0].y * 0.5f + p[2].y * 0.5f - p[1].y);
    auto ceilToInt = [](float v) { return v < 2147483520.0f ? uint32_t(int32_t(std::ceil(v))) : uint32_t(INT32_MAX); };
    const uint32_t idx = ceilToInt(dx), idy = ceilToInt(dy);
    const uint32_t d = idx > idy ? idx + (idy >> 1) : idy + (idx >> 1);
    const int leadingZeros = d ? __builtin_clz(d) : 32;
    return std::min((33 - leadingZeros) >> 1, kMaxQuadLevel);
}

// Chords for a cubic: the control points' distance from the thirds of the chord against a
// tolerance of 1/8 pixel that grows 4 times per level.
int cubicLines(const Point p[4]) {
    const float third = 1.0f / 3, twoThirds = 2.0f / 3;
    const Point p13{third * p[3].x + twoThirds * p[0].x, third * p[3].y + twoThirds * p[0].y};
    const Point p23{third * p[0].x + twoThirds * p[3].x, third * p[0].y + twoThirds * p[3].y};
    const float diff = std::max({std::fabs(p[1].x - p13.x), std::fabs(p[1].y - p13.y), std::fabs(p[2].x - p23.x),
                                 std::fabs(p[2].y - p23.y)});
    float tol = 1.0f / 8;
    for (int i = 0; i < kMaxCubicLevel; ++i) {
        if (diff < tol) return 1 << i;
        tol *= 4;
    }
    return 1 << kMaxCubicLevel;
}

struct LineSink {
    const IRect& clip;
    bool antiAlias;
    Blitter& blitter;
    void operator()(const Point* pts, int count) const { hairLines(pts, count, clip, antiAlias, blitter); }
};

void hairQuad(const Point p[3], int level, const LineSink& lines) {
    const int n = 1 << level;
    Point tmp[(1 << kMaxQuadLevel) + 1];
    tmp[0] = p[0];
    // Power form, t stepped by adding dt, as the reference evaluates it.
    const Point A{p[2].x - 2 * p[1].x + p[0].x, p[2].y - 2 * p[1].y + p[0].y};
    const Point B{2 * (p[1].x - p[0].x), 2 * (p[1].y - p[0].y)};
    const float dt = 1.0f / float(n);
    float t = 0;
    for (int i = 1; i < n; ++i) {
        t = t + dt;
        tmp[i] = {(A.x * t + B.x) * t + p[0].x, (A.y * t + B.y) * t + p[0].y};
    }
    tmp[n] = p[2];
    lines(tmp, n + 1);
}

// The t in (0, 1) where the cubic's speed has an extremum (F'.F'' = 0), the points of greatest
// curvature the reference cuts cubics at before cutting them into chords; sorted, no repeats.
int maxCurvatureTs(const Point p[4], float ts[3]) {
    float coeff[4] = {0, 0, 0, 0};
    for (int axis = 0; axis < 2; ++axis) {
        auto v = [&](int i) { return axis ? p[i].y : p[i].x; };
        const float a = v(1) - v(0), b = v(2) - 2 * v(1) + v(0), c = v(3) + 3 * (v(1) - v(2)) - v(0);
        coeff[0] += c * c;
        coeff[1] += 3 * b * c;
        coeff[2] += 2 * b * b + c * a;
        coeff[3] += a * b;
    }
    float roots[3];
    int n = 0;
    if (std::fabs(coeff[0]) <= 1.0f / 4096) {
        double r[2];
        n = quadRootsUnit(coeff[1], coeff[2], coeff[3], r);
        for (int i = 0; i < n; ++i) roots[i] = float(r[i]);
    } else {
        // Monic cubic t^3 + a t^2 + b t + c, by the trigonometric or Cardano form.
        const float inv = 1 / coeff[0];
        const float a = coeff[1] * inv, b = coeff[2] * inv, c = coeff[3] * inv;
        const float q = (a * a - b * 3) / 9;
        const float r = (2 * a * a * a - 9 * a * b + 27 * c) / 54;
        const float q3 = q * q * q;
        const float aThird = a / 3;
        constexpr float kPi = 3.14159265f;
        if (r * r - q3 < 0) {
            const float theta = std::acos(std::clamp(r / std::sqrt(q3), -1.0f, 1.0f));
            const float m = -2 * std::sqrt(q);
            roots[0] = std::clamp(m * std::cos(theta / 3) - aThird, 0.0f, 1.0f);
            roots[1] = std::clamp(m * std::cos((theta + 2 * kPi) / 3) - aThird, 0.0f, 1.0f);
            roots[2] = std::clamp(m * std::cos((theta - 2 * kPi) / 3) - aThird, 0.0f, 1.0f);
            std::sort(roots, roots + 3);
            n = int(std::unique(roots, roots + 3) - roots);
        } else {
            float A = std::cbrt(std::fabs(r) + std::sqrt(r * r - q3));
            if (r > 0) A = -A;
            if (A != 0) A += q / A;
            roots[0] = std::clamp(A - aThird, 0.0f, 1.0f);
            n = 1;
        }
    }
    int count = 0;
    for (int i = 0; i < n; ++i)
        if (roots[i] > 0 && roots[i] < 1) ts[count++] = roots[i];
    return count;
}

// Cubics whose control points lie within 90 degrees of the chord at both ends are cut into
// chords whole; others are first split at their points of greatest curvature.
bool cubicIsNice(const Point p[4]) {
    auto within90 = [](Point a, Point pivot, Point b) { return dot(a - pivot, b - pivot) >= 0; };
    return within90(p[1], p[0], p[3]) && within90(p[2], p[0], p[3]) && within90(p[1], p[3], p[0]) &&
           within90(p[2], p[3], p[0]);
}

void hairCubicPiece(const Point p[4], const LineSink& lines);

void hairCubic(const Point p[4], const LineSink& lines) {
    float ts[3];
    const int n = cubicIsNice(p) ? 0 : maxCurvatureTs(p, ts);
    Point rest[4] = {p[0], p[1], p[2], p[3]};
    float done = 0;
    for (int i = 0; i < n; ++i) {
        const float t = (ts[i] - done) / (1 - done);
        if (!(t > 0 && t < 1)) break;
        Point halves[7];
        chopCubicAt(rest, t, halves);
        hairCubicPiece(halves, lines);
        std::copy(halves + 3, halves + 7, rest);
        done = ts[i];
    }
    hairCubicPiece(rest, lines);
}

void hairCubicPiece(const Point p[4], const LineSink& lines) {
    const int n = cubicLines(p);
    if (n == 1) {
        const Point tmp[2] = {p[0], p[3]};
        lines(tmp, 2);
        return;
    }
    std::vector<Point> tmp(size_t(n) + 1);
    tmp[0] = p[0];
    const Point A{p[3].x + 3 * (p[1].x - p[2].x) - p[0].x, p[3].y + 3 * (p[1].y - p[2].y) - p[0].y};
    const Point B{3 * (p[2].x - 2 * p[1].x + p[0].x), 3 * (p[2].y - 2 * p[1].y + p[0].y)};
    const Point C{3 * (p[1].x - p[0].x), 3 * (p[1].y - p[0].y)};
    const float dt = 1.0f / float(n);
    float t = 0;
    for (int i = 1; i < n; ++i) {
        t = t + dt;
        tmp[size_t(i)] = {((A.x * t + B.x) * t + C.x) * t + p[0].x, ((A.y * t + B.y) * t + C.y) * t + p[0].y};
        if (!tmp[size_t(i)].isFinite()) return;
    }
    tmp[size_t(n)] = p[3];
    lines(tmp.data(), n + 1);
}

// Moves the first point back along the segment's start direction (atStart) or the last point
// on along its end direction, by outset. Control points that coincide with the end move with
// it; a segment with no direction moves along x.
void extendEnd(Point* pts, int count, bool atStart, float outset) {
    const int step = atStart ? 1 : -1;
    Point* end = atStart ? pts : pts + count - 1;
    int controls = count - 1;
    Point* ctrl = end;
    Point tangent;
    do {
        ctrl += step;
        tangent = *end - *ctrl;
    } while (tangent == Point{} && --controls > 0);
    if (tangent == Point{}) {
        tangent = atStart ? Point{1, 0} : Point{-1, 0};
        controls = count - 1;
    } else if (!tangent.normalize()) {
        return;
    }
    do {
        end->x += tangent.x * outset;
        end->y += tangent.y * outset;
        end += step;
    } while (++controls < count);
}

// The verbs and points of one contour: [verb, verbEnd), points from pt.
struct Contour {
    size_t verb, verbEnd, pt;
    bool capped;  // open, or closed with every point the same
};

Contour scanContour(const Path& path, size_t verb, size_t pt) {
    const auto& verbs = path.verbs();
    const auto& pts = path.points();
    Contour c{verb, verb + 1, pt, true};
    bool closed = false, degenerate = true;
    size_t p = pt + 1;
    for (; c.verbEnd < verbs.size() && verbs[c.verbEnd] != PathVerb::Move; ++c.verbEnd) {
        const int n = verbPointCount(verbs[c.verbEnd]);
        for (int i = 0; i < n; ++i) degenerate &= pts[p + size_t(i)] == pts[pt];
        p += size_t(n);
        closed |= verbs[c.verbEnd] == PathVerb::Close;
    }
    c.capped = !closed || degenerate;
    return c;
}

}  // namespace

Path hairlineDevicePath(const Path& path, const Matrix& m) {
    if (!m.hasPerspective()) return path.makeTransform(m);
    // Under perspective a quad or conic maps exactly to a conic: its homogeneous control points
    // keep their w as the weight. Cubics are cut in four and their control points mapped.
    struct H {
        float x, y, w;
    };
    auto map = [&](Point p) {
        return H{m[0] * p.x + m[1] * p.y + m[2], m[3] * p.x + m[4] * p.y + m[5], m[6] * p.x + m[7] * p.y + m[8]};
    };
    auto project = [](H h) { return Point{h.x / h.w, h.y / h.w}; };
    Path out;
    const auto& verbs = path.verbs();
    const auto& pts = path.points();
    const auto& weights = path.conicWeights();
    size_t pi = 0, wi = 0;
    Point last{};
    for (const PathVerb v : verbs) {
        switch (v) {
            case PathVerb::Move: out.moveTo(m.mapPoint(pts[pi])); last = pts[pi]; ++pi; break;
            case PathVerb::Line: out.lineTo(m.mapPoint(pts[pi])); last = pts[pi]; ++pi; break;
            case PathVerb::Quad:
            case PathVerb::Conic: {
                const float w = v == PathVerb::Conic ? weights[wi++] : 1;
                const H h0 = map(last), h1 = map(pts[pi]), h2 = map(pts[pi + 1]);
                const float ends = h0.w * h2.w;
                if (ends > 0 && h1.w != 0) {
                    out.conicTo(project(h1), project(h2), w * h1.w / std::sqrt(ends));
                } else {
                    out.lineTo(m.mapPoint(pts[pi])).lineTo(m.mapPoint(pts[pi + 1]));
                }
                last = pts[pi + 1];
                pi += 2;
                break;
            }
            case PathVerb::Cubic: {
                // Halved twice, then each quarter's control points mapped, as the reference does.
                Point halves[7], quarters[13];
                const Point c[4] = {last, pts[pi], pts[pi + 1], pts[pi + 2]};
                chopCubicAt(c, 0.5f, halves);
                chopCubicAt(halves, 0.5f, quarters);
                chopCubicAt(halves + 3, 0.5f, quarters + 6);
                for (int k = 0; k < 12; k += 3)
                    out.cubicTo(m.mapPoint(quarters[k + 1]), m.mapPoint(quarters[k + 2]), m.mapPoint(quarters[k + 3]));
                last = pts[pi + 2];
                pi += 3;
                break;
            }
            case PathVerb::Close: out.close(); break;
        }
    }
    return out;
}

void hairPath(const Path& path, StrokeCap cap, const IRect& clip, bool antiAlias, Blitter& blitter) {
    if (clip.isEmpty() || !path.isFinite()) return;
    const LineSink lines{clip, antiAlias, blitter};
    const auto& verbs = path.verbs();
    const auto& pts = path.points();
    const auto& weights = path.conicWeights();
    const float outset = capOutset(cap);
    size_t pi = 0, wi = 0;
    size_t vi = 0;
    while (vi < verbs.size()) {
        if (verbs[vi] != PathVerb::Move) return;  // paths always start contours with a move
        const Contour c = scanContour(path, vi, pi);
        const bool caps = cap != StrokeCap::Butt && c.capped;
        Point first = pts[pi], last = first;
        PathVerb prev = PathVerb::Move;
        ++pi;
        for (vi = c.verb + 1; vi < c.verbEnd; ++vi) {
            const PathVerb verb = verbs[vi];
            const int n = verbPointCount(verb);
            const bool endsContour = vi + 1 == c.verbEnd || verbs[vi + 1] == PathVerb::Close;
            Point seg[4];
            seg[0] = last;
            for (int i = 0; i < n; ++i) seg[i + 1] = pts[pi + size_t(i)];
            pi += size_t(n);
            if (verb == PathVerb::Close) {
                seg[0] = last;
                seg[1] = first;
                if (caps && prev == PathVerb::Move) {
                    seg[0].x += outset;
                    seg[1].x -= outset;
                }
                lines(seg, 2);
                prev = verb;
                continue;
            }
            if (caps) {
                if (prev == PathVerb::Move) extendEnd(seg, n + 1, true, outset);
                if (endsContour) extendEnd(seg, n + 1, false, outset);
                // The start moved: a closing line goes to where the contour now begins.
                if (prev == PathVerb::Move) first = seg[0];
            }
            switch (verb) {
                case PathVerb::Line: lines(seg, 2); break;
                case PathVerb::Quad: hairQuad(seg, quadLevel(seg), lines); break;
                case PathVerb::Conic: {
                    Point quads[1 + 2 * 32];
                    const float w = weights[wi++];
                    const int pow2 = conicQuadPow2(seg[0], seg[1], seg[2], w, kConicTolerance);
                    const int count = conicToQuads(seg[0], seg[1], seg[2], w, quads, pow2);
                    for (int q = 0; q < count; ++q) hairQuad(&quads[2 * q], quadLevel(&quads[2 * q]), lines);
                    break;
                }
                case PathVerb::Cubic: hairCubic(seg, lines); break;
                default: break;
            }
            last = seg[n];
            prev = verb;
        }
    }
}

}  // namespace plix
