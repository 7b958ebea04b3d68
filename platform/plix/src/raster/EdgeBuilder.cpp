#include "raster/EdgeBuilder.h"

#include <algorithm>
#include <cmath>

#include "geometry/PathFlatten.h"

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

void EdgeBuilder::build(const Path& path, const Matrix& m, const IRect& clip, float tol) {
    fEdges.clear();
    fClip = Rect::Make(clip);
    fBounds = {};
    fHasBounds = false;
    fFinite = true;
    Sink sink;
    sink.builder = this;
    flattenPath(path, m, tol, sink);
    sink.close();
    if (!fFinite) fEdges.clear();
}

void EdgeBuilder::addLine(Point a, Point b) {
    if (!a.isFinite() || !b.isFinite()) {
        fFinite = false;
        return;
    }
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
    auto push = [&](Point p, Point q) {
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
