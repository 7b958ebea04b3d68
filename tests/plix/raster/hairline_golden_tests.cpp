// The hairline and thin-stroke scenes of fixtures/scenes.txt (names starting "hairline_" or
// "thin_") held tightly to the reference engine's images: hairlines are walked in the same
// fixed point as the reference, so nearly every pixel must agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "../SceneList.h"
#include "RasterScenes.h"

using namespace plix;

namespace {

// Compared premultiplied, channel by channel.
constexpr int kClose = 3;           // levels
constexpr double kCloseShare = 0.99;  // of the pixels at least
constexpr int kWorst = 32;          // levels, any pixel

std::vector<test::Scene> hairlineScenes() {
    std::vector<test::Scene> out = test::scenesIn(PLIX_RASTER_FIXTURES, "hairline_");
    for (test::Scene& s : test::scenesIn(PLIX_RASTER_FIXTURES, "thin_")) out.push_back(std::move(s));
    return out;
}

class HairlineGolden : public ::testing::TestWithParam<test::Scene> {};

TEST_P(HairlineGolden, MatchesTheReferenceClosely) {
    const test::Scene& s = GetParam();
    std::vector<uint8_t> px, want;
    ASSERT_NO_FATAL_FAILURE(test::renderScene(PLIX_RASTER_FIXTURES, s, &px, &want));
    const int w = s.w, h = s.h;
    int close = 0, worst = 0, worstX = 0, worstY = 0;
    for (const test::PixelDiff& d : test::compareImages(px.data(), want.data(), w, h)) {
        close += d.worst() <= kClose;
        if (d.worst() > worst) worst = d.worst(), worstX = d.x, worstY = d.y;
    }
    const double share = double(close) / (double(w) * h);
    const bool ok = share >= kCloseShare && worst <= kWorst;
    if (!ok) test::saveForReview(PLIX_GOLDEN_OUT, s.name, s.w, s.h, px.data());
    EXPECT_TRUE(ok) << s.name << ": " << (w * h - close) << " pixels off by more than " << kClose << " (share within "
                    << share << "), worst " << worst << " at " << worstX << "," << worstY << "; ours is in "
                    << PLIX_GOLDEN_OUT;
}

INSTANTIATE_TEST_SUITE_P(Scenes, HairlineGolden, ::testing::ValuesIn(hairlineScenes()),
                         [](const ::testing::TestParamInfo<test::Scene>& info) { return info.param.name; });

}  // namespace
