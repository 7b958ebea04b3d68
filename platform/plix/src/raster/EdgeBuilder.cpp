#include "raster/EdgeBuilder.h"

#include <algorithm>
#include <cmath>

#include "geometry/PathFlatten.h"
#include "geometry/PathFlattenFill.h"

namespace plix {

namespace {

struct Sink final : FlattenSink {
    EdgeBuilder* builder;
    Point start{}, last{};
    bool open = false;
    void moveTo(Point p) override {
        close();
        start = last = p;
        open = true;
    }
    void lineTo(Point p, bool) override {
        builder->addLine(last, p);
        last = p;
    }
    void close() override {
        // Filling closes every contour.
        if (open && !(last == start)) builder->addLine(last, start);
        last = start;
    }
};

}  // namespace

namespace {

// The nearest quarter pixel, halves going down (to the larger y). The reference engine works in
// 16.16 fixed point, where a point computed a hair short of a half (6.62499 for 6.625) is a
// half: the bias of 2^-15 quarters does that.
inline float snapToQuarter(float y) { return std::floor(y * 4.0f + (0.5f + 1.0f / 32768)) * 0.25f; }

inline Point toSixty4ths(Point p) { return {std::round(p.x * 64.0f) / 64.0f, std::round(p.y * 64.0f) / 64.0f}; }

}  // namespace

void EdgeBuilder::reset(const IRect& clip, Snap snap) {
    fEdges.clear();
    fClip = Rect::Make(clip);
    fBounds = {};
    fHasBounds = false;
    fFinite = true;
    fSnap = snap;
}

void EdgeBuilder::finish() {
    if (!fFinite) fEdges.clear();
    fSnap = Snap::None;
}

void EdgeBuilder::build(const Path& path, const Matrix& m, const IRect& clip, float tol) {
    reset(clip, Snap::None);
    Sink sink;
    sink.builder = this;
    flattenPath(path, m, tol, sink);
    sink.close();
    finish();
}

void EdgeBuilder::buildReference(const Path& path, const Matrix& m, const IRect& clip, bool antiAlias) {
    reset(clip, antiAlias ? Snap::QuarterY : Snap::Sixty4th);
    Sink sink;
    sink.builder = this;
    flattenPathForFill(path, m, antiAlias ? 2 : 0, sink);
    sink.close();
    finish();
}

void EdgeBuilder::addLine(Point a, Point b) {
    if (!a.isFinite() || !b.isFinite()) {
        fFinite = false;
        return;
    }
    if (fSnap == Snap::Sixty4th) a = toSixty4ths(a), b = toSixty4ths(b);
    if (!fHasBounds) {
        fBounds = {a.x, a.y, a.x, a.y};
        fHasBounds = true;
    }
    fBounds = {std::min({fBounds.left, a.x, b.x}), std::min({fBounds.top, a.y, b.y}),
               std::max({fBounds.right, a.x, b.x}), std::max({fBounds.bottom, a.y, b.y})};
    if (a.y == b.y) return;  // horizontal edges add no winding
    int winding = 1;
    if (a.y > b.y) {
        std::swap(a, b);
        winding = -1;
    }
    // Keep the rows of the clip.
    if (b.y <= fClip.top || a.y >= fClip.bottom) return;
    const double dxdy = (double(b.x) - a.x) / (double(b.y) - a.y);
    if (a.y < fClip.top) {
        a.x = float(a.x + (fClip.top - a.y) * dxdy);
        a.y = fClip.top;
    }
    if (b.y > fClip.bottom) {
        b.x = float(b.x - (b.y - fClip.bottom) * dxdy);
        b.y = fClip.bottom;
    }
    if (!(a.y < b.y)) return;
    // Clamp horizontally, splitting where the edge crosses the clip's sides.
    const float L = fClip.left, R = fClip.right;
    const bool snapY = fSnap == Snap::QuarterY;
    auto push = [&](Point p, Point q) {
        if (snapY) p.y = snapToQuarter(p.y), q.y = snapToQuarter(q.y);
        if (q.y > p.y && p.isFinite() && q.isFinite()) fEdges.push_back({p.x, p.y, q.x, q.y, winding});
    };
    auto yAt = [&](float x) { return float(a.y + (x - a.x) / dxdy); };
    std::vector<float> cuts;
    const float lo = std::min(a.x, b.x), hi = std::max(a.x, b.x);
    if (lo < L && hi > L) cuts.push_back(yAt(L));
    if (lo < R && hi > R) cuts.push_back(yAt(R));
    std::sort(cuts.begin(), cuts.end());
    Point p = a;
    auto clampX = [&](Point q) { return Point{std::clamp(q.x, L, R), q.y}; };
    for (float cy : cuts) {
        cy = std::clamp(cy, p.y, b.y);
        const Point q{float(a.x + (cy - a.y) * dxdy), cy};
        push(clampX(p), clampX(q));
        p = q;
    }
    push(clampX(p), clampX(b));
}

}  // namespace plix
