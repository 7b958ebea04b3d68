// Strokes with round joins and caps against their exact coverage: such a stroke is the set of
// points within half the width of the centre line; its area in each pixel, and the area of the
// stroker's outline under the winding rule, are integrated here exactly across and on many
// lines down. Tight curves, short segments and sharp turns are where
// a stroker's inner side can fold over and cut notches out of the stroke.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "geometry/Path.h"
#include "geometry/PathGeometry.h"
#include "geometry/Stroker.h"
#include "raster/EdgeBuilder.h"
#include "raster/ScanConverter.h"

using namespace plix;

namespace {

constexpr int W = 64, H = 64;

class Grid final : public Blitter {
public:
    void blitH(int x, int y, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, 255);
    }
    void blitAntiH(int x, int y, const uint8_t* c, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, c[i]);
    }
    std::vector<uint8_t> cov = std::vector<uint8_t>(size_t(W * H), 0);
    bool twice = false;

private:
    std::vector<bool> fHit = std::vector<bool>(size_t(W * H), false);
    void put(int x, int y, uint8_t c) {
        ASSERT_TRUE(x >= 0 && x < W && y >= 0 && y < H) << x << "," << y;
        twice |= fHit[size_t(y * W + x)];
        fHit[size_t(y * W + x)] = true;
        cov[size_t(y * W + x)] = c;
    }
};

// The x extent where the line at height y crosses the points within r of segment a-b, if any
// (the union of a rectangle and two discs, which is convex); discA, discB: whether the disc at
// that end is included (not at the butt ends of a line).
bool capsuleSpan(Point a, Point b, float r, double y, bool discA, bool discB, double* lo, double* hi) {
    *lo = 1e30, *hi = -1e30;
    for (Point c : {a, b}) {
        if (!(c == a ? discA : discB)) continue;
        const double dy = y - c.y;
        if (std::fabs(dy) <= r) {
            const double dx = std::sqrt(double(r) * r - dy * dy);
            *lo = std::min(*lo, c.x - dx), *hi = std::max(*hi, c.x + dx);
        }
    }
    Point n = {a.y - b.y, b.x - a.x};
    if (n.setLength(r)) {
        const Point q[4] = {a + n, b + n, b - n, a - n};
        for (int i = 0; i < 4; ++i) {
            const Point p0 = q[i], p1 = q[(i + 1) % 4];
            if ((p0.y - y) * (p1.y - y) > 0 || p0.y == p1.y) continue;
            const double x = p0.x + (y - p0.y) * (double(p1.x) - p0.x) / (double(p1.y) - p0.y);
            *lo = std::min(*lo, x), *hi = std::max(*hi, x);
        }
    }
    return *lo <= *hi;
}

constexpr int kLines = 64;  // integration lines per pixel row

// Adds the length of [lo, hi) within each pixel of row y, weighted for one integration line.
void addSpan(std::vector<double>& cov, int y, double lo, double hi) {
    lo = std::max(lo, 0.0), hi = std::min(hi, double(W));
    for (int x = int(lo); x < W && x < hi; ++x)
        cov[size_t(y * W + x)] += (std::min(hi, x + 1.0) - std::max(lo, double(x))) * 255.0 / kLines;
}

// Exact coverage (0..255) of the points within r of the polyline, closed or open; butt: an
// open line ends square at its end points.
std::vector<double> capsuleCoverage(const std::vector<Point>& line, bool closed, float r, bool butt = false) {
    std::vector<double> cov(size_t(W * H), 0);
    const size_t segs = closed ? line.size() : line.size() - 1;
    std::vector<std::vector<size_t>> rows(H);  // the segments reaching each pixel row
    for (size_t i = 0; i < segs; ++i) {
        const Point a = line[i], b = line[(i + 1) % line.size()];
        const int y0 = std::max(0, int(std::floor(std::min(a.y, b.y) - r)));
        const int y1 = std::min(H - 1, int(std::floor(std::max(a.y, b.y) + r)));
        for (int y = y0; y <= y1; ++y) rows[size_t(y)].push_back(i);
    }
    std::vector<std::pair<double, double>> spans;
    for (int y = 0; y < H; ++y)
        for (int k = 0; k < kLines; ++k) {
            const double sy = y + (k + 0.5) / kLines;
            spans.clear();
            for (size_t i : rows[size_t(y)]) {
                double lo, hi;
                const bool discA = !butt || closed || i > 0, discB = !butt || closed || i + 1 < segs;
                if (capsuleSpan(line[i], line[(i + 1) % line.size()], r, sy, discA, discB, &lo, &hi))
                    spans.push_back({lo, hi});
            }
            std::sort(spans.begin(), spans.end());
            for (size_t i = 0; i < spans.size();) {
                const double lo = spans[i].first;
                double hi = spans[i].second;
                for (++i; i < spans.size() && spans[i].first <= hi; ++i) hi = std::max(hi, spans[i].second);
                addSpan(cov, y, lo, hi);
            }
        }
    return cov;
}

// Exact coverage (0..255) of a stroke outline under the winding rule: the area a filler
// should find.
std::vector<double> outlineCoverage(const Path& outline) {
    EdgeBuilder eb;
    eb.build(outline, Matrix(), IRect::MakeWH(W, H), kCurveTolerance);
    std::vector<std::vector<const LineEdge*>> rows(H);
    for (const LineEdge& e : eb.edges())
        for (int y = int(e.y0); y < H && y < e.y1; ++y) rows[size_t(y)].push_back(&e);
    std::vector<double> cov(size_t(W * H), 0);
    std::vector<std::pair<double, int>> xs;
    for (int y = 0; y < H; ++y)
        for (int k = 0; k < kLines; ++k) {
            const double sy = y + (k + 0.5) / kLines;
            xs.clear();
            for (const LineEdge* e : rows[size_t(y)])
                if (e->y0 <= sy && sy < e->y1)
                    xs.push_back({e->x0 + (sy - e->y0) * (double(e->x1) - e->x0) / (double(e->y1) - e->y0), e->winding});
            std::sort(xs.begin(), xs.end());
            int w = 0;
            for (size_t i = 0; i + 1 < xs.size(); ++i) {
                w += xs[i].second;
                if (w != 0) addSpan(cov, y, xs[i].first, xs[i + 1].first);
            }
        }
    return cov;
}

struct Case {
    const char* name;
    Path path;                  // what is stroked
    std::vector<Point> centre;  // the same centre line, finely flattened
    bool closed;
    float width;
    bool simple;  // the outline does not overlap itself
    // Curves: the reference engine's outline of the stroke in fixtures/stroke_outlines.txt, by
    // name. Its sides are quads up to a quarter pixel off the exact offset curves, so the area
    // to match there is that outline's rather than the exact stroke's.
    const char* reference = nullptr;
};

std::vector<Point> cubic(Point a, Point b, Point c, Point d) {
    const Point p[4] = {a, b, c, d};
    std::vector<Point> v;
    for (int i = 0; i <= 800; ++i) v.push_back(evalCubic(p, float(i) / 800));
    return v;
}

std::vector<Point> quad(Point a, Point b, Point c) {
    const Point p[3] = {a, b, c};
    std::vector<Point> v;
    for (int i = 0; i <= 800; ++i) v.push_back(evalQuad(p, float(i) / 800));
    return v;
}

std::vector<Point> ellipse(float cx, float cy, float rx, float ry) {
    std::vector<Point> v;
    for (int i = 0; i < 800; ++i) {
        const double a = 2 * M_PI * i / 800;
        v.push_back({float(cx + rx * std::cos(a)), float(cy + ry * std::sin(a))});
    }
    return v;
}

Path polyline(const std::vector<Point>& v, bool closed) {
    Path p;
    p.addPoly(v.data(), int(v.size()), closed);
    return p;
}

std::vector<Case> cases() {
    std::vector<Case> c;
    // Segments shorter than the width, sharp and gentle turns both ways.
    const std::vector<Point> zigzag = {{4, 40}, {10, 20}, {13, 44}, {16, 22}, {28, 27}, {31, 25},
                                       {34, 26}, {38, 44}, {44, 12}, {46, 50}, {58, 30}, {60, 31}};
    c.push_back({"zigzag", polyline(zigzag, false), zigzag, false, 5, false});
    c.push_back({"zigzag_wider_than_its_short_segments", polyline(zigzag, false), zigzag, false, 9, false});
    // Straight back on itself: the round join is a half circle past the turning point.
    const std::vector<Point> back = {{10, 20}, {40, 20}, {20, 20}, {20, 50}, {20, 30}};
    c.push_back({"turning_straight_back", polyline(back, false), back, false, 8, false});
    // A closed contour whose closing segment runs straight back: a half disc at both turns.
    Path closedBack;
    closedBack.moveTo({10, 50});
    closedBack.lineTo({30, 50});
    closedBack.close();
    c.push_back({"closing_straight_back", closedBack, {{10, 50}, {30, 50}}, true, 8, true});
    // Forth and back along the same slanted line, narrower than a pixel: half a pixel wide, not
    // covered twice where its sides cross pixels.
    const std::vector<Point> sliver = {{4, 20}, {40, 31}, {4, 20}};
    c.push_back({"sliver_forth_and_back", polyline(sliver, false), sliver, false, 0.5f, true});
    // A polygon with many short sides turning gently: inner sides meet between the vertices.
    std::vector<Point> ngon;
    for (int i = 0; i < 24; ++i)
        ngon.push_back({float(32 + 20 * std::cos(i * M_PI / 12)), float(32 + 20 * std::sin(i * M_PI / 12))});
    c.push_back({"polygon", polyline(ngon, true), ngon, true, 9, true});
    Path loop;
    loop.moveTo({8, 54});
    loop.cubicTo({70, 0}, {-6, 0}, {56, 54});
    c.push_back({"cubic_with_a_loop", loop, cubic({8, 54}, {70, 0}, {-6, 0}, {56, 54}), false, 8, false});
    Path tight;
    tight.moveTo({10, 8});
    tight.quadTo({32, 100}, {54, 8});
    c.push_back({"quad_tighter_than_the_width", tight, quad({10, 8}, {32, 100}, {54, 8}), false, 12, false});
    Path small;
    small.addOval({28, 28, 36, 36});
    c.push_back({"circle_smaller_than_the_width", small, ellipse(32, 32, 4, 4), true, 11, false});
    Path thin;
    thin.addOval({6, 20, 58, 44});
    c.push_back({"ellipse", thin, ellipse(32, 32, 26, 12), true, 4, true, "cover_ellipse"});
    return c;
}

// The reference engine's outline of a case of fixtures/stroke_outlines.txt ("NAME | PATH |
// OPTIONS | OUTLINE", outlines as verbs and points: M x y, L x y, Q x y x y, K x y x y w, Z).
Path referenceOutline(const std::string& name) {
    std::ifstream f(PLIX_RASTER_FIXTURES "/stroke_outlines.txt");
    std::string line;
    while (std::getline(f, line)) {
        if (line.compare(0, name.size() + 3, name + " | ") != 0) continue;
        std::istringstream in(line.substr(line.rfind('|') + 1));
        Path p;
        std::string v;
        Point a, b;
        float w;
        while (in >> v) {
            if (v == "M") in >> a.x >> a.y, p.moveTo(a);
            else if (v == "L") in >> a.x >> a.y, p.lineTo(a);
            else if (v == "Q") in >> a.x >> a.y >> b.x >> b.y, p.quadTo(a, b);
            else if (v == "K") in >> a.x >> a.y >> b.x >> b.y >> w, p.conicTo(a, b, w);
            else if (v == "Z") p.close();
        }
        return p;
    }
    ADD_FAILURE() << "no reference outline " << name;
    return Path();
}

struct Worst {
    double diff = 0, mean = 0;
    int x = 0, y = 0;
};

template <class A, class B>
Worst compare(const A& got, const B& want) {
    Worst w;
    for (int i = 0; i < W * H; ++i) {
        const double d = std::fabs(double(got[size_t(i)]) - double(want[size_t(i)]));
        w.mean += d / (W * H);
        if (d > w.diff) w.diff = d, w.x = i % W, w.y = i / W;
    }
    return w;
}

// The outline covers exactly the stroke's area, to the flattening tolerance (1/40 of a pixel
// of the outline's length through a pixel, at most 7 levels); and the fill covers the outline's
// area to a level wherever the outline does not overlap itself (polygon, ellipse, and strokes
// running back over themselves along one line).
TEST(StrokeCoverage, RoundStrokeOutlinesCoverTheStrokesArea) {
    for (const Case& k : cases()) {
        SCOPED_TRACE(k.name);
        Path outline;
        StrokeParams sp;
        sp.width = k.width;
        sp.join = StrokeJoin::Round;
        // Closed contours have no caps: butt ones there make sure the joins alone close them.
        sp.cap = k.closed ? StrokeCap::Butt : StrokeCap::Round;
        ASSERT_TRUE(strokePath(k.path, sp, 1, &outline));
        const std::vector<double> area = outlineCoverage(outline);
        const Worst s = compare(area, k.reference ? outlineCoverage(referenceOutline(k.reference))
                                                  : capsuleCoverage(k.centre, k.closed, k.width / 2));
        EXPECT_LE(s.diff, 7) << "outline against the stroke at " << s.x << "," << s.y;
        EXPECT_LE(s.mean, 0.2);
        if (!k.simple) continue;
        Grid g;
        fillPath(outline, Matrix(), IRect::MakeWH(W, H), true, g, CoverageModel::ExactArea);
        EXPECT_FALSE(g.twice);
        const Worst f = compare(g.cov, area);
        EXPECT_LE(f.diff, 1) << "fill against the outline at " << f.x << "," << f.y;
    }
}

}  // namespace
