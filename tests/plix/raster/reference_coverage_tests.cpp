// The reference engine's coverage rules, from tables read off its pictures (printed by
// tests/reference/coverage_tables.mjs): quarter-pixel rows across horizontal edges, its
// positions of steep edges, and which side a pixel centre on an aliased edge belongs to.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "geometry/Path.h"
#include "raster/ScanConverter.h"

using namespace plix;

namespace {

class Grid final : public Blitter {
public:
    Grid(int w, int h) : w(w), cov(size_t(w * h), 0) {}
    void blitH(int x, int y, int n) override {
        for (int i = 0; i < n; ++i) cov[size_t(y * w + x + i)] = 255;
    }
    void blitAntiH(int x, int y, const uint8_t* c, int n) override {
        for (int i = 0; i < n; ++i) cov[size_t(y * w + x + i)] = c[i];
    }
    int w;
    std::vector<uint8_t> cov;
};

std::vector<uint8_t> fill(const std::string& svg, int w, int h, bool aa, PathFillType type = PathFillType::Winding) {
    Path p;
    EXPECT_TRUE(Path::FromSVG(svg.c_str(), &p)) << svg;
    p.setFillType(type);
    Grid g(w, h);
    fillPath(p, Matrix(), IRect::MakeWH(w, h), aa, g);
    return g.cov;
}

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

// A wide bar whose top edge moves down in 1/16 pixel steps: the covered part of its first row
// goes in quarters, each quarter row counted when the edge is at or above its middle.
TEST(ReferenceCoverage, HorizontalEdgesCoverQuarterRows) {
    const int want[17] = {255, 255, 191, 191, 191, 191, 128, 128, 128, 128, 64, 64, 64, 64, 0, 0, 0};
    for (int k = 0; k <= 16; ++k) {
        const std::string y = num(2 + k / 16.0);
        const auto c = fill("M-30 " + y + "L34 " + y + "L34 20L-30 20Z", 4, 6, true);
        EXPECT_EQ(c[2 * 4 + 1], want[k]) << "top edge at " << y;
    }
}

// An edge that crosses a whole row within one pixel, moved right in 1/64 pixel steps: its
// pixel's coverage moves in 32nds (8 levels), at the reference's own positions.
TEST(ReferenceCoverage, SteepEdgesMoveInThirtySecondsOfAPixel) {
    struct Case {
        double slope, x;  // edge through (x + k/64, 6) with dx/dy = slope
        int want[17];
    };
    const Case cases[] = {
        {0.1, 3, {248, 240, 240, 232, 232, 224, 224, 216, 216, 208, 208, 200, 200, 192, 192, 184, 184}},
        {-0.15, 3.5, {152, 144, 144, 136, 136, 128, 128, 120, 120, 112, 112, 104, 104, 96, 96, 88, 88}},
    };
    for (const Case& c : cases)
        for (int k = 0; k <= 16; ++k) {
            const double X = c.x + k / 64.0;
            const std::string x0 = num(X - c.slope * 46), x1 = num(X + c.slope * 54);
            const auto cov = fill("M" + x0 + " -40L" + x1 + " 60L200 60L200 -40Z", 8, 12, true);
            // Our coverage is 255ths of the reference's 256ths: a level apart at most.
            EXPECT_NEAR(cov[6 * 8 + 3], c.want[k], 1) << "slope " << c.slope << " step " << k;
        }
}

// Aliased: a pixel centre exactly on an edge is inside when the edge is a right or bottom side;
// an inverse even-odd fill through centres gives those pixels to the other side.
TEST(ReferenceCoverage, AliasedCentresOnEdgesGoRightAndDown) {
    const std::vector<uint8_t> want = {
        255, 255, 255, 255, 255, 255, 255, 255,  //
        255, 255, 255, 255, 255, 255, 255, 255,  //
        255, 255, 0,   0,   0,   0,   0,   255,  //
        255, 255, 0,   0,   255, 0,   0,   255,  //
        255, 255, 0,   0,   255, 0,   0,   255,  //
        255, 255, 0,   0,   0,   0,   0,   255,  //
        255, 255, 0,   0,   0,   0,   0,   255,  //
        255, 255, 255, 255, 255, 255, 255, 255,
    };
    EXPECT_EQ(fill("M1.5 1.5L6.5 1.5L6.5 6.5L1.5 6.5ZM3.5 2.5L5.5 2.5L4.5 5.5Z", 8, 8, false,
                   PathFillType::InverseEvenOdd),
              want);
}

}  // namespace
