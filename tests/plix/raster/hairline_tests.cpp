// Hairline coverage worked out by hand, the thin-stroke rule, and bad input.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "geometry/Path.h"
#include "geometry/Stroker.h"
#include "raster/Draw.h"
#include "raster/Hairline.h"

using namespace plix;

namespace {

// Sums coverage into a w x h grid (a pixel drawn twice shows as the sum, capped); fails on
// writes outside the grid.
class SumBlitter final : public Blitter {
public:
    SumBlitter(int w, int h) : w(w), h(h), cov(size_t(w * h), 0) {}
    void blitH(int x, int y, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, 255);
    }
    void blitAntiH(int x, int y, const uint8_t* c, int n) override {
        for (int i = 0; i < n; ++i) put(x + i, y, c[i]);
    }
    std::string picture() const {  // '#' full, '+' partial, '.' none; rows joined by '|'
        std::string s;
        for (int y = 0; y < h; ++y) {
            if (y) s += '|';
            for (int x = 0; x < w; ++x) {
                const int c = cov[size_t(y * w + x)];
                s += c >= 255 ? '#' : c ? '+' : '.';
            }
        }
        return s;
    }
    int at(int x, int y) const { return cov[size_t(y * w + x)]; }
    int w, h;
    std::vector<int> cov;
    long calls = 0;

private:
    void put(int x, int y, int c) {
        ++calls;
        ASSERT_TRUE(x >= 0 && x < w && y >= 0 && y < h) << x << "," << y;
        int& v = cov[size_t(y * w + x)];
        v = std::min(255, v + c);
    }
};

Path line(Point a, Point b, bool close = false) {
    Path p;
    p.moveTo(a).lineTo(b);
    if (close) p.close();
    return p;
}

std::string draw(const Path& p, bool aa, StrokeCap cap = StrokeCap::Butt, int w = 8, int h = 8) {
    SumBlitter b(w, h);
    hairPath(p, cap, IRect::MakeWH(w, h), aa, b);
    return b.picture();
}

TEST(Hairline, AliasedLinesLightOnePixelPerStepWorkedByHand) {
    // Columns whose centres lie in (x0, x1] (1.5 .. 5.5); the row the line is in there.
    EXPECT_EQ(draw(line({1, 3}, {6, 3}), false),
              "........|........|........|.#####..|........|........|........|........");
    // On a pixel edge the line belongs to the pixel after it: x = 2 is column 2.
    EXPECT_EQ(draw(line({2, 1}, {2, 7}), false),
              "........|..#.....|..#.....|..#.....|..#.....|..#.....|..#.....|........");
    // 45 degrees, one pixel per row: at row centre y + 0.5 the line is at x = 6.5 - y.
    EXPECT_EQ(draw(line({7, 0}, {1, 6}), false),
              "......#.|.....#..|....#...|...#....|..#.....|.#......|........|........");
}

TEST(Hairline, AntiAliasedLineSplitsEachStepBetweenTwoPixels) {
    SumBlitter b(8, 4);
    // y = 2 lies on the edge between rows 1 and 2: half each (255 - 128 above, 128 below).
    // The end columns are covered by 1/2 (x 1.5 .. 2) and 1/4 (x 5 .. 5.25) of a step.
    hairLines(std::vector<Point>{{1.5f, 2}, {5.25f, 2}}.data(), 2, IRect::MakeWH(8, 4), true, b);
    EXPECT_EQ(b.at(1, 1), 127 * 32 / 64);
    EXPECT_EQ(b.at(1, 2), 128 * 32 / 64);
    for (int x = 2; x < 5; ++x) {
        EXPECT_EQ(b.at(x, 1), 127) << x;
        EXPECT_EQ(b.at(x, 2), 128) << x;
    }
    EXPECT_EQ(b.at(5, 1), 127 * 16 / 64);
    EXPECT_EQ(b.at(5, 2), 128 * 16 / 64);
    EXPECT_EQ(b.at(6, 1) + b.at(0, 1) + b.at(3, 0) + b.at(3, 3), 0);
}

TEST(Hairline, EachStepCarriesOnePixelOfInk) {
    // A 48-degree line: every row it crosses gets 255 in total over its two pixels, so the ink
    // is one pixel per step of the major axis (a band one pixel wide would carry 1/cos more).
    SumBlitter b(64, 64);
    const float a = 48 * 3.14159265f / 180;
    const Point p0{10.25f, 5.5f}, p1{p0.x + 40 * std::cos(a), p0.y + 40 * std::sin(a)};
    hairLines(std::vector<Point>{p0, p1}.data(), 2, IRect::MakeWH(64, 64), true, b);
    for (int y = int(p0.y) + 2; y < int(p1.y) - 2; ++y) {
        int sum = 0;
        for (int x = 0; x < 64; ++x) sum += b.at(x, y);
        EXPECT_EQ(sum, 255) << "row " << y;
    }
}

TEST(Hairline, CapsLengthenOpenContoursOnly) {
    // Square caps add half a pixel at each end: centres in (1.5, 6.5], columns 2 .. 6 (aliased).
    const Path open = line({2, 4}, {6, 4});
    EXPECT_EQ(draw(open, false, StrokeCap::Butt), "........|........|........|........|..####..|........|........|........");
    EXPECT_EQ(draw(open, false, StrokeCap::Square), "........|........|........|........|..#####.|........|........|........");
    // A closed contour has no ends to cap.
    Path box;
    box.addRect({1.5f, 1.5f, 5.5f, 5.5f});
    EXPECT_EQ(draw(box, false, StrokeCap::Square), draw(box, false, StrokeCap::Butt));
}

TEST(Hairline, ZeroLengthLinesDrawOnlyWithCaps) {
    const Path dot = line({3.5f, 3.5f}, {3.5f, 3.5f});
    EXPECT_EQ(draw(dot, true, StrokeCap::Butt), "........|........|........|........|........|........|........|........");
    // Square: a pixel-long line along x centred on the point covers exactly pixel (3, 3).
    SumBlitter sq(8, 8);
    hairPath(dot, StrokeCap::Square, IRect::MakeWH(8, 8), true, sq);
    EXPECT_EQ(sq.at(3, 3), 255);
    EXPECT_EQ(sq.picture(), "........|........|........|...#....|........|........|........|........");
    // Round: about pi/4 of a pixel, the area of the cap's circle (51/64 once the ends are in 1/64).
    SumBlitter round(8, 8);
    hairPath(dot, StrokeCap::Round, IRect::MakeWH(8, 8), true, round);
    EXPECT_EQ(round.at(3, 3), 255 * 51 / 64);
}

TEST(Hairline, SegmentsAreBlendedEachOnTheirOwn) {
    // Two segments meeting mid-pixel: the shared pixel gets half a step from each, blended
    // separately (the sum here), as the reference blends them.
    SumBlitter b(12, 3);
    Path p;
    p.moveTo({1, 1.5f}).lineTo({5.5f, 1.5f}).lineTo({10, 1.5f});
    hairPath(p, StrokeCap::Butt, IRect::MakeWH(12, 3), true, b);
    EXPECT_EQ(b.at(4, 1), 255);
    EXPECT_EQ(b.at(5, 1), 2 * (255 * 32 / 64));
}

TEST(Hairline, NeverWritesOutsideTheClip) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-40, 80);
    const IRect clip{5, 7, 29, 23};
    for (int i = 0; i < 400; ++i) {
        SumBlitter b(40, 40);
        Path p;
        p.moveTo({coord(rng), coord(rng)}).lineTo({coord(rng), coord(rng)});
        p.quadTo({coord(rng), coord(rng)}, {coord(rng), coord(rng)});
        p.cubicTo({coord(rng), coord(rng)}, {coord(rng), coord(rng)}, {coord(rng), coord(rng)});
        hairPath(p, StrokeCap(i % 3), clip, i % 2 == 0, b);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if (!clip.contains(x, y)) {
                    ASSERT_EQ(b.at(x, y), 0) << x << "," << y;
                }
    }
}

TEST(Hairline, BadCoordinatesNeitherCrashNorHang) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const Point bad[][2] = {{{nan, 1}, {5, 5}}, {{1, 1}, {inf, 5}}, {{-inf, -inf}, {inf, inf}},
                            {{-1e9f, 3}, {1e9f, 5}}, {{1e9f, 1e9f}, {-1e9f, -1e9f}}, {{3e38f, 2}, {-3e38f, 6}}};
    const auto start = std::chrono::steady_clock::now();
    for (const auto& seg : bad)
        for (int aa = 0; aa < 2; ++aa) {
            SumBlitter b(16, 16);
            hairLines(seg, 2, IRect::MakeWH(16, 16), aa, b);
            // A huge line through the surface still draws its visible part, a pixel per step.
            if (std::isfinite(seg[0].x + seg[1].x + seg[0].y + seg[1].y) && std::fabs(seg[0].y) < 16) {
                int sum = 0;
                for (int v : b.cov) sum += v;
                EXPECT_NEAR(sum, 16 * 255, 255) << seg[0].x;
            }
        }
    // Curves far out or overflowing draw their visible chords at most, each cut into a bounded
    // number of chords.
    for (const float big : {1e9f, 1e30f, 3e38f})
        for (int aa = 0; aa < 2; ++aa) {
            Path curves;
            curves.moveTo({-big, 8}).quadTo({big, -big}, {big, 8});
            curves.moveTo({-big, -big}).cubicTo({big, big}, {-big, big}, {big, -big});
            curves.moveTo({0, 0}).conicTo({big, 0}, {big, big}, 0.7f);
            SumBlitter b(16, 16);
            hairPath(curves, StrokeCap::Round, IRect::MakeWH(16, 16), aa, b);
            EXPECT_LT(b.calls, 16 * 16 * 64) << big;
        }
    // Non-finite paths draw nothing.
    Path p;
    p.moveTo({1, 1}).lineTo({nan, 4});
    EXPECT_EQ(draw(p, true), draw(Path(), true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(Hairline, ThinStrokeRule) {
    // Widths measured against the reference: mapped width at most one pixel along both axes,
    // by the cheap length (longer side plus half the shorter).
    struct Case {
        float width;
        Matrix m;
        bool hairline;
        float coverage;
    } cases[] = {
        {0, Matrix(), true, 1},
        {0.5f, Matrix(), true, 0.5f},
        {1, Matrix(), true, 1},
        {1.001f, Matrix(), false, 0},
        {2, Matrix::Scale(0.4f, 0.4f), true, 0.8f},
        {2, Matrix::Scale(0.4f, 0.6f), false, 0},
        {0.94f, Matrix::RotateDeg(45), true, 0.94f * (0.70710678f + 0.35355339f)},
        {0.95f, Matrix::RotateDeg(45), false, 0},
        {0.5f, Matrix::MakeAll(1, 0, 0, 0, 1, 0, 0.001f, 0, 1), false, 0},
    };
    for (const Case& c : cases) {
        float coverage = -1;
        EXPECT_EQ(strokeDrawsAsHairline(c.width, c.m, &coverage), c.hairline) << c.width;
        if (c.hairline) {
            EXPECT_NEAR(coverage, c.coverage, 1e-5f) << c.width;
        }
    }
    // The alpha scale, measured: width 0.1 draws with 24 of 255, 0.5 with 127, 0.7 with 178.
    EXPECT_EQ(thinStrokeAlpha(255, 0.1f), 24);
    EXPECT_EQ(thinStrokeAlpha(255, 0.5f), 127);
    EXPECT_EQ(thinStrokeAlpha(255, 0.7f), 178);
    EXPECT_EQ(thinStrokeAlpha(77, 0.7f), 53);
    EXPECT_EQ(thinStrokeAlpha(255, 1), 255);
}

// A thin anti-aliased stroke is a hairline only where coverage can stand for alpha (SrcOver and
// the like); under other blend modes it keeps its width and is filled as a stroke outline.
TEST(Hairline, ThinStrokesAreHairlinesOnlyWhereCoverageActsAsAlpha) {
    const Path diagonal = line({2.3f, 3.1f}, {13.6f, 11.7f});
    auto render = [](auto&& drawInto) {
        std::vector<uint8_t> px(16 * 16 * 4, 0);
        Pixmap pm;
        EXPECT_TRUE(pm.reset(ImageInfo::Make(16, 16, ColorType::RGBA8888, AlphaType::Premul), px.data(), 16 * 4));
        drawInto(DrawTarget{pm, IRect::MakeWH(16, 16), nullptr});
        return px;
    };
    Paint thin;
    thin.antiAlias = true;
    thin.style = PaintStyle::Stroke;
    thin.strokeWidth = 0.5f;
    Paint hair = thin;
    hair.strokeWidth = 0;
    hair.setAlpha(127 / 255.0f);  // 255 * int(0.5 * 256) >> 8
    EXPECT_EQ(render([&](const DrawTarget& t) { drawPath(t, diagonal, Matrix(), thin); }),
              render([&](const DrawTarget& t) { drawPath(t, diagonal, Matrix(), hair); }));

    thin.setBlendMode(BlendMode::Src);
    Path outline;
    ASSERT_TRUE(strokePath(diagonal, {0.5f, 4, StrokeCap::Butt, StrokeJoin::Miter}, 1, &outline));
    Paint fill = thin;
    fill.style = PaintStyle::Fill;
    EXPECT_EQ(render([&](const DrawTarget& t) { drawPath(t, diagonal, Matrix(), thin); }),
              render([&](const DrawTarget& t) { drawPath(t, outline, Matrix(), fill); }));
}

}  // namespace
