// Stroke and fill of paths whose own fill rule leaves holes, inverse fill types, and the
// strokefault_* scenes of fixtures/scenes.txt (turns back, zero-length contours, miter limit
// edges) held strictly to the reference engine's images: flat pixels within 3 levels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "../SceneList.h"
#include "RasterScenes.h"
#include "raster/Draw.h"

using namespace plix;

namespace {

// A pentagram drawn in one contour: its centre has winding number 2.
Path pentagram(PathFillType fill) {
    Path p;
    p.moveTo({16, 2});
    p.lineTo({25, 28});
    p.lineTo({2, 12});
    p.lineTo({30, 12});
    p.lineTo({7, 28});
    p.close();
    p.setFillType(fill);
    return p;
}

struct Canvas32 {
    std::vector<uint32_t> px = std::vector<uint32_t>(32 * 32, 0);
    Pixmap pm{ImageInfo::Make(32, 32, ColorType::RGBA8888, AlphaType::Premul), px.data(), 32 * 4};
    DrawTarget target() const { return {pm, IRect::MakeWH(32, 32), nullptr}; }
    uint32_t at(int x, int y) const { return px[size_t(y * 32 + x)]; }
};

Paint strokeAndFill() {
    Paint p;
    p.setColor(0xff000000);
    p.style = PaintStyle::StrokeAndFill;
    p.strokeWidth = 2;
    return p;
}

TEST(StrokeAndFill, FillsWithTheWindingRuleWhateverThePathsRule) {
    // Centre (16, 17) is inside the inner pentagon: even-odd leaves it out of the fill, but
    // stroke and fill covers it. Corners (0, 0) stay empty.
    for (const PathFillType fill : {PathFillType::EvenOdd, PathFillType::Winding}) {
        Canvas32 c;
        drawPath(c.target(), pentagram(fill), Matrix(), strokeAndFill());
        EXPECT_EQ(c.at(16, 17), 0xff000000u);
        EXPECT_EQ(c.at(0, 0), 0u);
        Path out;
        ASSERT_TRUE(fillPathOf(pentagram(fill), strokeAndFill(), 1, &out));
        EXPECT_TRUE(out.contains(16.5f, 17.5f));
        EXPECT_TRUE(out.contains(16, 1.5f));  // the stroke past the top point
        EXPECT_FALSE(out.contains(0.5f, 0.5f));
    }
}

TEST(StrokeAndFill, InverseFillTypesCoverWhatTheUnionLeaves) {
    for (const PathFillType fill : {PathFillType::InverseEvenOdd, PathFillType::InverseWinding}) {
        Canvas32 c;
        drawPath(c.target(), pentagram(fill), Matrix(), strokeAndFill());
        EXPECT_EQ(c.at(16, 17), 0u);
        EXPECT_EQ(c.at(16, 2), 0u);  // under the stroke
        EXPECT_EQ(c.at(0, 0), 0xff000000u);
        EXPECT_EQ(c.at(31, 31), 0xff000000u);
        Path out;
        ASSERT_TRUE(fillPathOf(pentagram(fill), strokeAndFill(), 1, &out));
        EXPECT_FALSE(out.contains(16.5f, 17.5f));
        EXPECT_TRUE(out.contains(0.5f, 0.5f));
    }
}

TEST(StrokeAndFill, InversePathsStrokeEverythingOutsideTheStroke) {
    Canvas32 c;
    Paint p = strokeAndFill();
    p.style = PaintStyle::Stroke;
    drawPath(c.target(), pentagram(PathFillType::InverseEvenOdd), Matrix(), p);
    EXPECT_EQ(c.at(16, 2), 0u);               // on the stroke
    EXPECT_EQ(c.at(16, 17), 0xff000000u);     // inside, away from the stroke
    EXPECT_EQ(c.at(0, 0), 0xff000000u);
}

// ---- the strokefault_* scenes against the reference engine's images ----

std::vector<test::Scene> strokeFaultScenes() { return test::scenesIn(PLIX_RASTER_FIXTURES, "strokefault_"); }

// Flat pixels of the reference (no neighbour differs by more than 3) within 3 levels; outline
// channels within 64 levels, 6 on average, with at most 4 pixels beyond.
class StrokeFaultGolden : public ::testing::TestWithParam<test::Scene> {};

TEST_P(StrokeFaultGolden, MatchesTheReferenceStrictly) {
    const test::Scene& s = GetParam();
    std::vector<uint8_t> px, want;
    ASSERT_NO_FATAL_FAILURE(test::renderScene(PLIX_RASTER_FIXTURES, s, &px, &want));
    const int w = s.w, h = s.h;
    int flatOver = 0, outliers = 0, edgeChannels = 0;
    double edgeSum = 0;
    for (const test::PixelDiff& p : test::compareImages(px.data(), want.data(), w, h)) {
        if (p.flat) {
            if (p.worst() > 3 && ++flatOver <= 5)
                ADD_FAILURE() << s.name << " flat pixel " << p.x << "," << p.y << " off by " << p.worst();
            continue;
        }
        for (const int d : p.channel) edgeSum += d, ++edgeChannels;
        outliers += p.worst() > 64;
    }
    EXPECT_EQ(flatOver, 0) << s.name;
    EXPECT_LE(outliers, 4) << s.name;
    if (edgeChannels) {
        EXPECT_LE(edgeSum / edgeChannels, 6.0) << s.name;
    }
    if (::testing::Test::HasFailure())
        ADD_FAILURE() << "our image: " << test::saveForReview(PLIX_GOLDEN_OUT, s.name + "_strict", w, h, px.data());
}

INSTANTIATE_TEST_SUITE_P(Scenes, StrokeFaultGolden, ::testing::ValuesIn(strokeFaultScenes()),
                         [](const ::testing::TestParamInfo<test::Scene>& i) { return i.param.name; });

}  // namespace
