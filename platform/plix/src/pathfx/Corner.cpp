// Rounded corners: where two lines meet, each is cut back by the radius (or half its length when
// shorter) and a quadratic with the corner as its control point joins the cut ends. Curves keep
// their shape and meet their neighbours at their true ends.
#include <cmath>
#include <vector>

#include "pathfx/PathEffect.h"

namespace plix {

namespace {

struct Edge {
    Path::Iter::Kind kind;
    Point pts[4];
    float weight;
    bool isLine() const { return kind == Path::Iter::kLine || kind == Path::Iter::kClose; }
};

class CornerEffect final : public PathEffect {
public:
    explicit CornerEffect(float radius) : fRadius(radius) {}

    bool filterPath(Path* dst, const Path& src, StrokeRec*, const Matrix&) const override {
        dst->reset();
        Path::Iter it(src, false);
        Point pts[4];
        float w = 1;
        std::vector<Edge> edges;
        bool closed = false;
        auto flush = [&] {
            emitContour(edges, closed, dst);
            edges.clear();
            closed = false;
        };
        for (Path::Iter::Kind k; (k = it.next(pts, &w)) != Path::Iter::kDone;) {
            if (k == Path::Iter::kMove) {
                flush();
                edges.push_back({k, {pts[0]}, 1});
                continue;
            }
            if (k == Path::Iter::kClose) {
                closed = true;
                if (!(pts[0] == pts[1])) edges.push_back({k, {pts[0], pts[1]}, 1});
                continue;
            }
            if (edges.empty()) edges.push_back({Path::Iter::kMove, {pts[0]}, 1});
            Edge e{k, {}, w};
            for (int i = 0; i < 4; ++i) e.pts[i] = pts[i];
            if (e.isLine() && e.pts[0] == e.pts[1]) continue;
            edges.push_back(e);
        }
        flush();
        return true;
    }

private:
    // The point radius (or half the line) in from the line's end at `from`.
    Point stepIn(const Edge& e, bool fromStart) const {
        const Point a = fromStart ? e.pts[0] : e.pts[1], b = fromStart ? e.pts[1] : e.pts[0];
        const float len = distance(a, b);
        const float step = std::fmin(fRadius, len / 2);
        return lerp(a, b, len > 0 ? step / len : 0);
    }

    void emitContour(const std::vector<Edge>& all, bool closed, Path* dst) const {
        if (all.empty()) return;
        const Point start = all[0].pts[0];
        const Edge* e = all.data() + 1;
        const size_t n = all.size() - 1;
        if (n == 0) {
            dst->moveTo(start);
            if (closed) dst->close();
            return;
        }
        // Corner i sits at the start of edge i; corner 0 only exists when the contour closes.
        auto rounded = [&](size_t i) {
            const size_t prev = i == 0 ? n - 1 : i - 1;
            if (i == 0 && !closed) return false;
            return e[prev].isLine() && e[i].isLine() && n > 1;
        };
        dst->moveTo(rounded(0) ? stepIn(e[0], true) : start);
        for (size_t i = 0; i < n; ++i) {
            const Edge& c = e[i];
            const size_t next = i + 1 == n ? 0 : i + 1;
            const bool endRounded = (i + 1 < n || closed) && rounded(next);
            switch (c.kind) {
                case Path::Iter::kQuad: dst->quadTo(c.pts[1], c.pts[2]); break;
                case Path::Iter::kConic: dst->conicTo(c.pts[1], c.pts[2], c.weight); break;
                case Path::Iter::kCubic: dst->cubicTo(c.pts[1], c.pts[2], c.pts[3]); break;
                default:
                    if (endRounded) {
                        dst->lineTo(stepIn(c, false));
                        dst->quadTo(c.pts[1], stepIn(e[next], true));
                    } else {
                        dst->lineTo(c.pts[1]);
                    }
                    break;
            }
        }
        if (closed) dst->close();
    }

    float fRadius;
};

}  // namespace

// A positive, finite radius.
sp<PathEffect> makeCornerEffect(float radius) {
    if (!(radius > 0) || !std::isfinite(radius)) return nullptr;
    return make_sp<CornerEffect>(radius);
}

}  // namespace plix
