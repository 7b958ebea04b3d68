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
    std::vector<test::Scene> out;
    for (test::Scene& s : test::LoadScenes(std::string(PLIX_RASTER_FIXTURES) + "/scenes.txt"))
        if (s.name.rfind("hairline_", 0) == 0 || s.name.rfind("thin_", 0) == 0) out.push_back(std::move(s));
    return out;
}

class HairlineGolden : public ::testing::TestWithParam<test::Scene> {};

TEST_P(HairlineGolden, MatchesTheReferenceClosely) {
    const test::Scene& s = GetParam();
    std::vector<uint8_t> px(size_t(s.w) * size_t(s.h) * 4, 0);
    Pixmap pm;
    ASSERT_TRUE(pm.reset(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul), px.data(), size_t(s.w) * 4));
    const DrawTarget t{pm, IRect::MakeWH(s.w, s.h), nullptr};
    for (const std::string& line : s.lines) test::drawLine(t, line);

    int w = 0, h = 0;
    std::vector<uint8_t> want;
    ASSERT_TRUE(test::readPng(std::string(PLIX_RASTER_FIXTURES) + "/" + s.name + ".png", &w, &h, &want)) << s.name;
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
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
