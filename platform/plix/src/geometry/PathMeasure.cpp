#include "geometry/PathMeasure.h"

#include <algorithm>
#include <cmath>

#include "geometry/PathGeometry.h"

namespace plix {

namespace {

// A piece is flat enough when the curve's middle lies within the tolerance of its chord's
// middle, measured along the larger axis (cheap, and what the distances are built on).
bool farApart(Point a, Point b, float tol) { return std::max(std::fabs(a.x - b.x), std::fabs(a.y - b.y)) > tol; }

// Parameter spans are halved down to 2^-20 at most.
bool spanSplittable(uint32_t span) { return (span >> 10) != 0; }

constexpr float kCheapDistLimit = 0.5f;

Point evalConicW(const Point p[3], float w, float t) { return evalConic(p, w, t); }

}  // namespace

void chopConicAt(const Point p[3], float w, float t, Point out[5], float* w1, float* w2) {
    // De Casteljau on the homogeneous quad (p0, 1), (p1 w, w), (p2, 1), then project back and
    // normalise the end weights of each half to 1.
    struct H { float x, y, z; };
    auto mix = [](H a, H b, float u) { return H{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u}; };
    const H a{p[0].x, p[0].y, 1}, b{p[1].x * w, p[1].y * w, w}, c{p[2].x, p[2].y, 1};
    const H ab = mix(a, b, t), bc = mix(b, c, t), m = mix(ab, bc, t);
    auto proj = [](H h) { return Point{h.x / h.z, h.y / h.z}; };
    out[0] = p[0], out[1] = proj(ab), out[2] = proj(m), out[3] = proj(bc), out[4] = p[2];
    const float rm = 1 / std::sqrt(m.z);
    *w1 = ab.z * rm;  // first half: ends 1 and m.z
    *w2 = bc.z * rm;  // second half: ends m.z and 1
}

PathMeasure::PathMeasure(const Path& path, bool forceClosed, float resScale)
    : fPath(path), fIter(fPath, forceClosed) {
    fTolerance = kCheapDistLimit / (resScale > 0 && std::isfinite(resScale) ? resScale : 1);
    nextContour();
}

float PathMeasure::addQuad(const Point p[3], float d, uint32_t t0, uint32_t t1, uint32_t idx, int depth) {
    const Point curveMid = (p[0] + p[1] * 2 + p[2]) * 0.25f;
    if (depth < 24 && spanSplittable(t1 - t0) && farApart(curveMid, (p[0] + p[2]) * 0.5f, fTolerance)) {
        Point h[5];
        chopQuadAt(p, 0.5f, h);
        const uint32_t tm = t0 + (t1 - t0) / 2;
        d = addQuad(h, d, t0, tm, idx, depth + 1);
        return addQuad(h + 2, d, tm, t1, idx, depth + 1);
    }
    const float nd = d + distance(p[0], p[2]);
    if (nd > d) addSeg(nd, idx, t1, Kind::Quad, 0);
    return nd > d ? nd : d;
}

float PathMeasure::addCubic(const Point p[4], float d, uint32_t t0, uint32_t t1, uint32_t idx, int depth) {
    const bool curvy = farApart(p[1], lerp(p[0], p[3], 1.0f / 3), fTolerance) ||
                       farApart(p[2], lerp(p[0], p[3], 2.0f / 3), fTolerance);
    if (depth < 24 && spanSplittable(t1 - t0) && curvy) {
        Point h[7];
        chopCubicAt(p, 0.5f, h);
        const uint32_t tm = t0 + (t1 - t0) / 2;
        d = addCubic(h, d, t0, tm, idx, depth + 1);
        return addCubic(h + 3, d, tm, t1, idx, depth + 1);
    }
    const float nd = d + distance(p[0], p[3]);
    if (nd > d) addSeg(nd, idx, t1, Kind::Cubic, 0);
    return nd > d ? nd : d;
}

float PathMeasure::addConic(const Point p[3], float w, Point a, Point b, float d, uint32_t t0, uint32_t t1,
                            uint32_t idx, int depth) {
    const uint32_t tm = t0 + (t1 - t0) / 2;
    const Point mid = evalConicW(p, w, float(tm) / kOneT);
    if (depth < 24 && spanSplittable(t1 - t0) && farApart(mid, (a + b) * 0.5f, fTolerance)) {
        d = addConic(p, w, a, mid, d, t0, tm, idx, depth + 1);
        return addConic(p, w, mid, b, d, tm, t1, idx, depth + 1);
    }
    const float nd = d + distance(a, b);
    if (nd > d) addSeg(nd, idx, t1, Kind::Conic, w);
    return nd > d ? nd : d;
}

bool PathMeasure::nextContour() {
    for (;;) {
        fSegs.clear();
        fPts.clear();
        fLength = 0;
        fClosed = false;
        Point pts[4];
        float w = 1;
        Path::Iter::Kind k;
        bool started = false;
        if (fFirstMovePending) {
            fPts.push_back(fPendingMove);
            fFirstMovePending = false;
            started = true;
        }
        float d = 0;
        while ((k = fIter.next(pts, &w)) != Path::Iter::kDone) {
            if (k == Path::Iter::kMove) {
                if (started) {
                    fPendingMove = pts[0];
                    fFirstMovePending = true;
                    break;
                }
                fPts.push_back(pts[0]);
                started = true;
                continue;
            }
            if (!started) fPts.push_back(pts[0]), started = true;
            const uint32_t idx = uint32_t(fPts.size() - 1);
            switch (k) {
                case Path::Iter::kLine:
                case Path::Iter::kClose: {
                    if (k == Path::Iter::kClose) fClosed = true;
                    const float nd = d + distance(pts[0], pts[1]);
                    if (nd > d) {
                        addSeg(nd, idx, kOneT, Kind::Line, 0);
                        d = nd;
                    }
                    fPts.push_back(pts[1]);
                    break;
                }
                case Path::Iter::kQuad:
                    d = addQuad(pts, d, 0, kOneT, idx, 0);
                    fPts.push_back(pts[1]), fPts.push_back(pts[2]);
                    break;
                case Path::Iter::kConic:
                    d = addConic(pts, w, pts[0], pts[2], d, 0, kOneT, idx, 0);
                    fPts.push_back(pts[1]), fPts.push_back(pts[2]);
                    break;
                case Path::Iter::kCubic:
                    d = addCubic(pts, d, 0, kOneT, idx, 0);
                    fPts.push_back(pts[1]), fPts.push_back(pts[2]), fPts.push_back(pts[3]);
                    break;
                default:
                    break;
            }
            if (!std::isfinite(d)) {
                fSegs.clear();
                break;
            }
        }
        if (!fSegs.empty()) {
            fLength = d;
            return true;
        }
        fClosed = false;
        if (!fFirstMovePending) return false;  // the path is done
    }
}

float PathMeasure::segStartT(const Seg* first, const Seg* s) {
    if (s == first || s[-1].ptIndex != s->ptIndex) return 0;
    return float(s[-1].t) / kOneT;
}

const PathMeasure::Seg* PathMeasure::find(float d, float* t) const {
    const Seg* first = fSegs.data();
    const Seg* s = std::lower_bound(first, first + fSegs.size(), d,
                                    [](const Seg& a, float v) { return a.distance < v; });
    if (s == first + fSegs.size()) --s;
    const float startD = s == first ? 0 : s[-1].distance;
    const float startT = segStartT(first, s), endT = float(s->t) / kOneT;
    const float span = s->distance - startD;
    *t = startT + (endT - startT) * (span > 0 ? (d - startD) / span : 0);
    return s;
}

static void posTanAt(const Point* p, int kind, float w, float t, Point* pos, Point* tan) {
    switch (kind) {
        case 0:  // line
            if (pos) *pos = lerp(p[0], p[1], t);
            if (tan) *tan = p[1] - p[0];
            break;
        case 1:
            if (pos) *pos = evalQuad(p, t);
            if (tan) *tan = quadTangent(p, t);
            break;
        case 2:
            if (pos) *pos = evalConic(p, w, t);
            if (tan) *tan = conicTangent(p, w, t);
            break;
        default:
            if (pos) *pos = evalCubic(p, t);
            if (tan) *tan = cubicTangent(p, t);
            break;
    }
    if (tan) tan->normalize();
}

bool PathMeasure::posTan(float d, Point* pos, Point* tangent) const {
    if (fSegs.empty() || std::isnan(d)) return false;
    d = std::clamp(d, 0.0f, fLength);
    float t;
    const Seg* s = find(d, &t);
    posTanAt(&fPts[s->ptIndex], int(s->kind), s->weight, t, pos, tangent);
    return true;
}

bool PathMeasure::getMatrix(float d, Matrix* m, uint32_t flags) const {
    Point pos, tan;
    if (!posTan(d, &pos, &tan)) return false;
    *m = Matrix();
    if (flags & kTangent) *m = Matrix::MakeAll(tan.x, -tan.y, 0, tan.y, tan.x, 0, 0, 0, 1);
    if (flags & kPosition) *m = Matrix::Translate(pos.x, pos.y) * *m;
    return true;
}

// Appends the curve of s between parameters t0 < t1 (the path's current point is its start).
void PathMeasure::emitPiece(const Seg& s, float t0, float t1, Path* dst) const {
    const Point* p = &fPts[s.ptIndex];
    if (t0 >= t1) return;
    switch (s.kind) {
        case Kind::Line:
            dst->lineTo(t1 >= 1 ? p[1] : lerp(p[0], p[1], t1));
            return;
        case Kind::Quad: {
            Point a[5], b[5];
            chopQuadAt(p, t0, a);
            chopQuadAt(a + 2, t0 < 1 ? (t1 - t0) / (1 - t0) : 1, b);
            dst->quadTo(b[1], t1 >= 1 ? p[2] : b[2]);
            return;
        }
        case Kind::Cubic: {
            Point a[7], b[7];
            chopCubicAt(p, t0, a);
            chopCubicAt(a + 3, t0 < 1 ? (t1 - t0) / (1 - t0) : 1, b);
            dst->cubicTo(b[1], b[2], t1 >= 1 ? p[3] : b[3]);
            return;
        }
        case Kind::Conic: {
            Point a[5], b[5];
            float w1, w2, v1, v2;
            chopConicAt(p, s.weight, t0, a, &w1, &w2);
            chopConicAt(a + 2, w2, t0 < 1 ? (t1 - t0) / (1 - t0) : 1, b, &v1, &v2);
            dst->conicTo(b[1], t1 >= 1 ? p[2] : b[2], v1);
            return;
        }
    }
}

bool PathMeasure::getSegment(float start, float stop, Path* dst, bool startWithMoveTo) const {
    if (fSegs.empty() || std::isnan(start) || std::isnan(stop)) return false;
    start = std::max(start, 0.0f);
    stop = std::min(stop, fLength);
    if (!(start <= stop)) return false;
    float t0, t1;
    const Seg* s0 = find(start, &t0);
    const Seg* s1 = find(stop, &t1);
    Point p0;
    posTanAt(&fPts[s0->ptIndex], int(s0->kind), s0->weight, t0, &p0, nullptr);
    if (startWithMoveTo) dst->moveTo(p0);
    if (s0->ptIndex == s1->ptIndex) {
        if (t0 < t1) emitPiece(*s0, t0, t1, dst);
        else dst->lineTo(p0);  // a zero-length piece still carries its caps
        return true;
    }
    // The rest of the first curve, every whole curve between, and the start of the last.
    emitPiece(*s0, t0, 1, dst);
    for (const Seg* s = s0 + 1; s < s1; ++s)
        if (s->ptIndex != s[-1].ptIndex && s->ptIndex != s1->ptIndex) emitPiece(*s, 0, 1, dst);
    emitPiece(*s1, 0, t1, dst);
    return true;
}

}  // namespace plix
