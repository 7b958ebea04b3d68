// Path effect scenes of fixtures/scenes.txt drawn by our engine against the reference engine's
// images (tests/reference/pathfx_golden.mjs).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "../SceneList.h"
#include "../raster/RasterScenes.h"
#include "pathfx/PathEffect.h"
#include "raster/Draw.h"

using namespace plix;

namespace {

std::vector<test::Scene> loadScenes() {
    return test::LoadScenes(std::string(PLIX_PATHFX_FIXTURES) + "/scenes.txt");
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string part; std::getline(in, part, sep);) out.push_back(part);
    return out;
}

Matrix lattice(float s, float deg) {
    const float r = deg * 3.14159265f / 180, c = std::cos(r) * s, n = std::sin(r) * s;
    return Matrix::MakeAll(c, -n, 0, n, c, 0, 0, 0, 1);
}

// The fx=KIND:ARGS option of the scene list.
sp<PathEffect> makeEffect(const std::string& spec) {
    const std::vector<std::string> a = split(spec, ':');
    if (a[0] == "dash") {
        std::vector<float> iv;
        for (const std::string& v : split(a[1], ',')) iv.push_back(std::stof(v));
        return makeDashEffect(iv.data(), int(iv.size()), std::stof(a[2]));
    }
    if (a[0] == "corner") return makeCornerEffect(std::stof(a[1]));
    if (a[0] == "path1d") {
        Path stamp;
        Path::FromSVG("M-4 -3L4 0L-4 3Z", &stamp);
        const Path1DStyle style = a[3] == "translate" ? Path1DStyle::Translate
                                  : a[3] == "rotate"  ? Path1DStyle::Rotate
                                                      : Path1DStyle::Morph;
        return makePath1DEffect(stamp, std::stof(a[1]), std::stof(a[2]), style);
    }
    if (a[0] == "line2d") return makeLine2DEffect(std::stof(a[1]), lattice(std::stof(a[2]), std::stof(a[3])));
    if (a[0] == "path2d") {
        Path dot;
        dot.addCircle(0, 0, 2.5f);
        return makePath2DEffect(lattice(std::stof(a[1]), std::stof(a[2])), dot);
    }
    ADD_FAILURE() << "unknown effect " << spec;
    return nullptr;
}

class PathEffectGolden : public ::testing::TestWithParam<test::Scene> {};

// Within 3 levels on 99 % of the pixels (premultiplied RGBA), or, where the outlines of curves and
// slanted edges differ by their coverage alone (the raster golden tests bound the same thing for
// plain strokes), every pixel where the reference is flat within kFlat and the outline pixels
// within kEdgeMean on average. A misplaced dash, corner or stamp moves ink into flat areas.
constexpr int kFlat = 3;
constexpr int kFlatOutliers = 0;
constexpr double kEdgeMean = 6.0;

TEST_P(PathEffectGolden, MatchesTheReferenceImage) {
    const test::Scene& s = GetParam();
    std::vector<uint8_t> px(size_t(s.w) * size_t(s.h) * 4, 0);
    Pixmap pm;
    ASSERT_TRUE(pm.reset(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul), px.data(), size_t(s.w) * 4));
    const DrawTarget t{pm, IRect::MakeWH(s.w, s.h), nullptr};
    for (const std::string& line : s.lines)
        test::drawLine(t, line, [](Paint& p, const std::string& k, const std::string& v) {
            if (k != "fx") return false;
            p.pathEffect = makeEffect(v);
            EXPECT_TRUE(p.pathEffect) << v;
            return true;
        });
    int w = 0, h = 0;
    std::vector<uint8_t> want;
    ASSERT_TRUE(test::readPng(std::string(PLIX_PATHFX_FIXTURES) + "/" + s.name + ".png", &w, &h, &want));
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
    int off = 0, worst = 0, flatOver = 0, edgeWorst = 0, edgeCount = 0;
    double edgeSum = 0;
    for (const test::PixelDiff& p : test::compareImages(px.data(), want.data(), w, h)) {
        off += p.worst() > 3;
        worst = std::max(worst, p.worst());
        if (p.flat) {
            flatOver += p.worst() > kFlat;
        } else {
            edgeWorst = std::max(edgeWorst, p.worst());
            for (const int d : p.channel) edgeSum += d, ++edgeCount;
        }
    }
    const double share = double(off) / (w * h), edgeMean = edgeCount ? edgeSum / edgeCount : 0;
    std::printf("%-24s beyond 3 levels: %4d of %5d pixels (%5.2f %%); flat pixels off %d; outline worst %3d mean %.2f\n",
                s.name.c_str(), off, w * h, 100 * share, flatOver, edgeWorst, edgeMean);
    const bool ok = (share <= 0.01 && flatOver <= kFlatOutliers) || (flatOver <= kFlatOutliers && edgeMean <= kEdgeMean);
    if (!ok) test::saveForReview(PLIX_GOLDEN_OUT, s.name, s.w, s.h, px.data());
    EXPECT_TRUE(ok) << s.name << ": ours is in " << PLIX_GOLDEN_OUT;
}

INSTANTIATE_TEST_SUITE_P(Scenes, PathEffectGolden, ::testing::ValuesIn(loadScenes()),
                         [](const ::testing::TestParamInfo<test::Scene>& info) { return info.param.name; });

}  // namespace
