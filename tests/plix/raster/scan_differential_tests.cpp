// The anti-aliased fill against its plain reference (every row with an end point or a shared
// cell worked in sub-rows), on seeded random outlines, and hand-worked rows where the winding
// changes inside a row.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/Path.h"
#include "geometry/Stroker.h"
#include "raster/EdgeBuilder.h"
#include "raster/ScanConverter.h"

using namespace plix;

namespace {

// Coverage into a w x h grid; every pixel may be written once.
class Grid final : public Blitter {
public:
    Grid(int w, int h) : w(w), h(h), cov(size_t(w * h), 0), hits(size_t(w * h), 0) {}
    void blitH(int x, int y, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, 255);
    }
    void blitAntiH(int x, int y, const uint8_t* c, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, c[i]);
    }
    int w, h;
    std::vector<uint8_t> cov;
    std::vector<int> hits;
    bool twice = false, outside = false;

private:
    void put(int x, int y, uint8_t c) {
        if (x < 0 || x >= w || y < 0 || y >= h) {
            outside = true;
            return;
        }
        twice |= hits[size_t(y * w + x)]++ > 0;
        cov[size_t(y * w + x)] = c;
    }
};

struct Filled {
    std::vector<uint8_t> fast, ref;
};

Filled fillBoth(const Path& path, PathFillType fill, int w, int h, const IRect& clip) {
    EdgeBuilder eb;
    eb.build(path, Matrix(), clip, kCurveTolerance);
    Grid a(w, h), b(w, h);
    fillEdges(eb.edges().data(), int(eb.edges().size()), fill, clip, true, a);
    fillEdgesAAReference(eb.edges().data(), int(eb.edges().size()), fill, clip, b);
    EXPECT_FALSE(a.twice || a.outside);
    EXPECT_FALSE(b.twice || b.outside);
    return {a.cov, b.cov};
}

constexpr PathFillType kFills[] = {PathFillType::Winding, PathFillType::EvenOdd, PathFillType::InverseWinding,
                                   PathFillType::InverseEvenOdd};

// Random polygons (self-crossing, partly outside the clip), ovals, several contours in one
// path, and stroke outlines (whose joins and inner sides overlap): the fast fill agrees with
// the reference to one level everywhere.
TEST(ScanDifferential, FastFillMatchesTheReferenceOnRandomOutlines) {
    std::mt19937 rng(20240601);
    std::uniform_real_distribution<float> u(-6, 70);
    constexpr int W = 64, H = 64;
    int worst = 0;
    for (int round = 0; round < 400; ++round) {
        Path p;
        const int kind = round % 4;
        const int contours = 1 + int(rng() % 3);
        for (int c = 0; c < contours; ++c) {
            if (kind == 1) {
                const float x = u(rng), y = u(rng);
                p.addOval({x, y, x + 2 + u(rng) * 0.5f, y + 2 + u(rng) * 0.4f});
            } else {
                const int n = 3 + int(rng() % 10);
                for (int k = 0; k < n; ++k) {
                    // Snap some vertices to pixel and half-pixel rows, where rows change.
                    float x = u(rng), y = u(rng);
                    if (rng() % 4 == 0) y = std::round(y * 2) / 2;
                    k ? p.lineTo({x, y}) : p.moveTo({x, y});
                }
                p.close();
            }
        }
        if (kind == 3) {
            Path stroked;
            const StrokeParams sp{1 + u(rng) / 10, 4, StrokeCap(rng() % 3), StrokeJoin(rng() % 3)};
            ASSERT_TRUE(strokePath(p, sp, 1, &stroked));
            p = stroked;
        }
        const IRect clip = round % 5 == 0 ? IRect{7, 3, 50, 61} : IRect::MakeWH(W, H);
        for (PathFillType fill : kFills) {
            const Filled f = fillBoth(p, fill, W, H, clip);
            for (size_t i = 0; i < f.fast.size(); ++i) {
                const int d = std::abs(int(f.fast[i]) - int(f.ref[i]));
                worst = std::max(worst, d);
                ASSERT_LE(d, 1) << "round " << round << " fill " << int(fill) << " pixel " << i % W << "," << i / W;
            }
        }
    }
    RecordProperty("worst", worst);
}

std::vector<uint8_t> fastFill(const Path& p, PathFillType fill, int w, int h) {
    Path q = p;
    q.setFillType(fill);
    Grid g(w, h);
    fillPath(q, Matrix(), IRect::MakeWH(w, h), true, g);
    return g.cov;
}

// Two identical rectangles in one path, bottoms at y = 3.5: in row 3 the winding is 2 above
// y = 3.5 and 0 below it, on either side of no edge at all. Non-zero covers half of the row's
// pixels (128), even-odd none of them.
TEST(ScanDifferential, WindingThatChangesInsideARowBetweenEdges) {
    Path p;
    p.addRect({2, 1, 8, 3.5f});
    p.addRect({2, 1, 8, 3.5f});
    const auto nz = fastFill(p, PathFillType::Winding, 10, 5);
    const auto eo = fastFill(p, PathFillType::EvenOdd, 10, 5);
    for (int x = 0; x < 10; ++x) {
        const bool in = x >= 2 && x < 8;
        EXPECT_EQ(nz[size_t(2 * 10 + x)], in ? 255 : 0) << x;
        EXPECT_EQ(nz[size_t(3 * 10 + x)], in ? 128 : 0) << x;
        EXPECT_EQ(eo[size_t(2 * 10 + x)], 0) << x;
        EXPECT_EQ(eo[size_t(3 * 10 + x)], 0) << x;
    }
    // One rectangle inside a larger one of opposite direction, bottoms at y = 3.5: the inner
    // one's area has winding 0 above 3.5 and 1 below, the rest 1 throughout.
    Path q;
    q.addRect({0, 0, 10, 5});
    q.addRect({2, 1, 8, 3.5f}, PathDirection::CCW);
    const auto hole = fastFill(q, PathFillType::Winding, 10, 5);
    EXPECT_EQ(hole[size_t(2 * 10 + 4)], 0);
    EXPECT_EQ(hole[size_t(3 * 10 + 4)], 128);
    EXPECT_EQ(hole[size_t(3 * 10 + 0)], 255);
}

// A rectangle ending at y = 0.5 (winding -1 above) with another of opposite direction crossing
// it (winding +1): in row 0 the pixel at x 4..5 holds winding -1 upper left, 0 upper right, 0
// lower left and +1 lower right. Summing windings there would cancel to 0; the coverage is
// half. Every pixel from 2 to 7 is half covered.
TEST(ScanDifferential, OppositeWindingsAboveAndBelowAnEnd) {
    Path p;
    p.addRect({2, -1, 8, 0.5f});
    p.addRect({4.5f, -1, 6, 2}, PathDirection::CCW);
    const auto c = fastFill(p, PathFillType::Winding, 10, 2);
    const int want[10] = {0, 0, 128, 128, 128, 128, 128, 128, 0, 0};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(c[size_t(x)], want[x]) << x;
}

// A polygon vertex inside a row (a V lying across pixel boundaries) is one chain: the exact
// area. The triangle (0,0) (4,2) (8,0) covers, in row 0, cells by the area under x/2 ... worked
// per pixel: pixel i spans x in [i, i+1]; the triangle's height at x is x/2 left of 4 and
// (8-x)/2 right of it, clipped to the row (height 1 at most).
TEST(ScanDifferential, VertexInsideARowGivesTheExactArea) {
    const auto c = fastFill([] {
        Path p;
        p.moveTo({0, 0}), p.lineTo({4, 2}), p.lineTo({8, 0}), p.close();
        return p;
    }(), PathFillType::Winding, 8, 2);
    // Row 0: area of min(h(x), 1) over each pixel: 0.25, 0.75, 1, 1, 1, 1, 0.75, 0.25.
    const int want0[8] = {64, 191, 255, 255, 255, 255, 191, 64};
    // Row 1: area of max(h(x) - 1, 0): 0, 0, 0.25, 0.75, 0.75, 0.25, 0, 0.
    const int want1[8] = {0, 0, 64, 191, 191, 64, 0, 0};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(c[size_t(x)], want0[x]) << x;
        EXPECT_EQ(c[size_t(8 + x)], want1[x]) << x;
    }
}

}  // namespace
