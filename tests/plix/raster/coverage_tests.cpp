#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/Path.h"
#include "raster/EdgeBuilder.h"
#include "raster/ScanConverter.h"

using namespace plix;

namespace {

// Records coverage into a w x h byte grid; fails the test on writes outside it or overlaps.
class GridBlitter final : public Blitter {
public:
    GridBlitter(int w, int h) : w(w), h(h), cov(size_t(w * h), 0), hits(size_t(w * h), 0) {}
    void blitH(int x, int y, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, 255);
    }
    void blitAntiH(int x, int y, const uint8_t* c, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, c[i]);
    }
    uint8_t at(int x, int y) const { return cov[size_t(y * w + x)]; }
    std::vector<uint8_t> rows() const { return cov; }

    int w, h;
    std::vector<uint8_t> cov;
    std::vector<int> hits;

private:
    void put(int x, int y, uint8_t c) {
        ASSERT_TRUE(x >= 0 && x < w && y >= 0 && y < h) << x << "," << y;
        ASSERT_EQ(hits[size_t(y * w + x)], 0) << "pixel written twice " << x << "," << y;
        hits[size_t(y * w + x)] = 1;
        cov[size_t(y * w + x)] = c;
    }
};

std::vector<uint8_t> fill(const Path& p, int w, int h, bool aa, const Matrix& m = Matrix(),
                          CoverageModel model = CoverageModel::Reference) {
    GridBlitter g(w, h);
    fillPath(p, m, IRect::MakeWH(w, h), aa, g, model);
    return g.cov;
}

Path poly(std::vector<Point> pts) {
    Path p;
    p.addPoly(pts.data(), int(pts.size()), true);
    return p;
}

TEST(Coverage, TriangleWorkedByHand) {
    // x + y < 3: pixels on the diagonal are half covered, those above it fully.
    const std::vector<uint8_t> want = {255, 255, 128,  //
                                       255, 128, 0,    //
                                       128, 0, 0};
    EXPECT_EQ(fill(poly({{0, 0}, {3, 0}, {0, 3}}), 3, 3, true), want);
    // Reversed direction gives the same coverage.
    EXPECT_EQ(fill(poly({{0, 0}, {0, 3}, {3, 0}}), 3, 3, true), want);
}

TEST(Coverage, HalfPixelRectWorkedByHand) {
    // drawRect: 256 x area, at most 255.
    const std::vector<uint8_t> rect = {64, 128, 64,  //
                                       128, 255, 128,  //
                                       64, 128, 64};
    GridBlitter g(3, 3);
    fillRect({0.5f, 0.5f, 2.5f, 2.5f}, IRect::MakeWH(3, 3), true, g);
    EXPECT_EQ(g.cov, rect);
    // The same rect as a small path: one level less on partial pixels, as the reference fills
    // small paths; the exact area is the drawRect one.
    const std::vector<uint8_t> smallPath = {63, 127, 63,  //
                                            127, 255, 127,  //
                                            63, 127, 63};
    Path p;
    p.addRect({0.5f, 0.5f, 2.5f, 2.5f});
    EXPECT_EQ(fill(p, 3, 3, true), smallPath);
    EXPECT_EQ(fill(p, 3, 3, true, Matrix(), CoverageModel::ExactArea), rect);
}

TEST(Coverage, FillRulesOnOverlappingSquares) {
    Path p;
    p.addRect({0, 0, 3, 3}).addRect({1, 1, 4, 4});
    const std::vector<uint8_t> nonzero = {255, 255, 255, 0,    //
                                          255, 255, 255, 255,  //
                                          255, 255, 255, 255,  //
                                          0, 255, 255, 255};
    const std::vector<uint8_t> evenodd = {255, 255, 255, 0,  //
                                          255, 0, 0, 255,    //
                                          255, 0, 0, 255,    //
                                          0, 255, 255, 255};
    for (bool aa : {true, false}) {
        p.setFillType(PathFillType::Winding);
        EXPECT_EQ(fill(p, 4, 4, aa), nonzero) << aa;
        p.setFillType(PathFillType::EvenOdd);
        EXPECT_EQ(fill(p, 4, 4, aa), evenodd) << aa;
        p.setFillType(PathFillType::InverseEvenOdd);
        std::vector<uint8_t> inv = evenodd;
        for (auto& c : inv) c = uint8_t(255 - c);
        EXPECT_EQ(fill(p, 4, 4, aa), inv) << aa;
    }
    // A counter-clockwise inner square cancels the winding: a hole under both rules.
    Path hole;
    hole.addRect({0, 0, 4, 4}).addRect({1, 1, 3, 3}, PathDirection::CCW);
    const auto c = fill(hole, 4, 4, true);
    EXPECT_EQ(c[5], 0);
    EXPECT_EQ(c[0], 255);
}

TEST(Coverage, AliasedFillSamplesPixelCentres) {
    // Centres (x + 0.5, y + 0.5) with x + y + 1 <= 3 are inside: the centres on the diagonal
    // lie on a right side of the triangle, which keeps them (as the reference engine does).
    const std::vector<uint8_t> want = {255, 255, 255,  //
                                       255, 255, 0,    //
                                       255, 0, 0};
    EXPECT_EQ(fill(poly({{0, 0}, {3, 0}, {0, 3}}), 3, 3, false), want);
    GridBlitter g(4, 4);
    fillRect({0.4f, 0.6f, 2.6f, 2.4f}, IRect::MakeWH(4, 4), false, g);  // rounds to (0, 1, 3, 2)
    const std::vector<uint8_t> rect = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(g.cov, rect);
}

TEST(Coverage, ClipLimitsEverything) {
    Path p;
    p.addRect({-5, -5, 20, 20});
    GridBlitter g(10, 10);
    fillPath(p, Matrix(), IRect{2, 3, 6, 7}, true, g);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(g.at(x, y), (x >= 2 && x < 6 && y >= 3 && y < 7) ? 255 : 0);
    // A shape partly left of the clip keeps its winding inside the clip.
    Path tri = poly({{-20, 0}, {8, 0}, {8, 8}});
    GridBlitter g2(10, 10);
    fillPath(tri, Matrix(), IRect{0, 0, 10, 10}, true, g2);
    const auto full = fill(tri, 10, 10, true);
    EXPECT_EQ(g2.cov, full);
    EXPECT_EQ(g2.at(7, 1), 255);
}

TEST(Coverage, BadInputDrawsNothingAndReturns) {
    const float inf = INFINITY;
    const std::vector<Path> bad = {
        poly({{0, 0}, {NAN, 1}, {2, 2}}),
        poly({{0, 0}, {inf, 1}, {2, 2}}),
        Path(),
        poly({{1, 1}, {1, 1}, {1, 1}}),
    };
    for (const Path& p : bad) {
        const auto c = fill(p, 8, 8, true);
        for (uint8_t v : c) EXPECT_EQ(v, 0);
    }
    // Huge but finite coordinates finish quickly and fill the clip.
    const auto big = fill(poly({{-1e30f, -1e30f}, {1e30f, -1e30f}, {1e30f, 1e30f}, {-1e30f, 1e30f}}), 8, 8, true);
    for (uint8_t v : big) EXPECT_EQ(v, 255);
    const auto bigCurve = fill(Path().moveTo({-3e38f, 0}).cubicTo({3e38f, 3e38f}, {-3e38f, 3e38f}, {3e38f, 0}), 8, 8, true);
    (void)bigCurve;
    GridBlitter g(4, 4);
    fillPath(poly({{0, 0}, {4, 0}, {4, 4}}), Matrix::MakeAll(NAN, 0, 0, 0, 1, 0, 0, 0, 1), IRect::MakeWH(4, 4), true, g);
    for (uint8_t v : g.cov) EXPECT_EQ(v, 0);
    GridBlitter g2(4, 4);
    fillPath(poly({{0, 0}, {4, 0}, {4, 4}}), Matrix(), IRect{3, 3, 3, 9}, true, g2);  // empty clip
    for (uint8_t v : g2.cov) EXPECT_EQ(v, 0);
}

// ---- exact reference: polygon clipped to each pixel, shoelace area ----

double clippedArea(const std::vector<Point>& poly, double x0, double y0) {
    std::vector<std::pair<double, double>> pts;
    for (const Point& p : poly) pts.push_back({p.x, p.y});
    auto clip = [&](auto inside, auto intersect) {
        std::vector<std::pair<double, double>> out;
        for (size_t i = 0; i < pts.size(); ++i) {
            const auto a = pts[i], b = pts[(i + 1) % pts.size()];
            const bool ia = inside(a), ib = inside(b);
            if (ia) out.push_back(a);
            if (ia != ib) out.push_back(intersect(a, b));
        }
        pts = out;
    };
    auto atX = [](double x) {
        return [x](std::pair<double, double> a, std::pair<double, double> b) {
            const double t = (x - a.first) / (b.first - a.first);
            return std::pair<double, double>{x, a.second + t * (b.second - a.second)};
        };
    };
    auto atY = [](double y) {
        return [y](std::pair<double, double> a, std::pair<double, double> b) {
            const double t = (y - a.second) / (b.second - a.second);
            return std::pair<double, double>{a.first + t * (b.first - a.first), y};
        };
    };
    clip([&](auto p) { return p.first >= x0; }, atX(x0));
    clip([&](auto p) { return p.first <= x0 + 1; }, atX(x0 + 1));
    clip([&](auto p) { return p.second >= y0; }, atY(y0));
    clip([&](auto p) { return p.second <= y0 + 1; }, atY(y0 + 1));
    double area = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const auto a = pts[i], b = pts[(i + 1) % pts.size()];
        area += a.first * b.second - b.first * a.second;
    }
    return std::fabs(area) / 2;
}

// Random star-shaped polygons (simple, so winding never exceeds one): the scan converter's area must match the exact
// area of each pixel within rounding (the exact-area model, the oracle of the reference edges).
TEST(CoverageDifferential, SimplePolygonsMatchExactArea) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(0, 1);
    constexpr int W = 24, H = 24;
    for (int round = 0; round < 60; ++round) {
        const int n = 3 + round % 9;
        const float cx = 4 + u(rng) * 16, cy = 4 + u(rng) * 16;
        // One angle in each slot, jittered over half of it: no gap reaches half a turn, so the
        // centre stays in the polygon's kernel and the polygon is simple.
        std::vector<float> angles;
        for (int i = 0; i < n; ++i) angles.push_back((float(i) + 0.5f * u(rng)) * 6.2831853f / float(n));
        std::vector<Point> pts;
        for (float a : angles) {
            const float r = 1 + u(rng) * 11;
            pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        const auto got = fill(poly(pts), W, H, true, Matrix(), CoverageModel::ExactArea);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const double want = std::min(1.0, clippedArea(pts, x, y)) * 255;
                ASSERT_NEAR(got[size_t(y * W + x)], want, 1.01) << "round " << round << " at " << x << "," << y
                                                                 << " polygon " << poly(pts).toSVG();
            }
    }
}

// The rect fast path against the exact area of the rect's path (anti-aliased: 256 x area,
// truncated, against 255 x area, rounded; one level less in a rect within one row), and
// against the reference edges' centre sampling (aliased).
TEST(CoverageDifferential, RectFastPathMatchesPathFill) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-3, 19);
    for (int round = 0; round < 200; ++round) {
        const Rect r = Rect{u(rng), u(rng), u(rng), u(rng)}.makeSorted();
        for (bool aa : {true, false}) {
            GridBlitter fast(16, 16);
            fillRect(r, IRect::MakeWH(16, 16), aa, fast);
            Path p;
            p.addRect(r);
            const auto slow = fill(p, 16, 16, aa, Matrix(), aa ? CoverageModel::ExactArea : CoverageModel::Reference);
            for (size_t i = 0; i < slow.size(); ++i) {
                if (aa) {
                    ASSERT_NEAR(fast.cov[i], slow[i], 2) << round << " pixel " << i;
                } else if (fast.cov[i] != slow[i]) {
                    // Paths take coordinates in 1/64 pixel units, rects as given: they may differ
                    // only where an edge lies within 1/128 of a pixel centre.
                    const int x = int(i % 16), y = int(i / 16);
                    auto near = [](float e, int c) { return std::fabs(e - (float(c) + 0.5f)) <= 1.0f / 128; };
                    const bool onCentre = near(r.left, x) || near(r.right, x) || near(r.top, y) || near(r.bottom, y);
                    ASSERT_TRUE(onCentre) << round << " pixel " << x << "," << y;
                }
            }
        }
    }
}

}  // namespace
