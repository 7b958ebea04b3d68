// The scenes of fixtures/scenes.txt (gradients in every tile mode, noise, image sampling,
// colour filters) drawn by our engine against the reference engine's images.
#include <gtest/gtest.h>

#include "../SceneList.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "TestImages.h"
#include "raster/Draw.h"
#include "shaders/ColorFilters.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

using test::blendByName;
using test::hex;
using test::Scene;

std::vector<Scene> loadScenes() { return test::LoadScenes(std::string(PLIX_SHADER_FIXTURES) + "/scenes.txt"); }

std::vector<float> nums(const std::string& s) {
    std::vector<float> v;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ',')) v.push_back(std::stof(item));
    return v;
}

TileMode tileByName(const std::string& n) {
    if (n == "repeat") return TileMode::Repeat;
    if (n == "mirror") return TileMode::Mirror;
    if (n == "decal") return TileMode::Decal;
    return TileMode::Clamp;
}

std::optional<Matrix> localOf(std::map<std::string, std::string>& o) {
    if (!o.count("local")) return std::nullopt;
    const auto m = nums(o["local"]);
    return Matrix::MakeAll(m[0], m[1], m[2], m[3], m[4], m[5], 0, 0, 1);
}

sp<Shader> makeShader(std::map<std::string, std::string>& o) {
    std::vector<Color4f> colors;
    {
        std::stringstream ss(o["colors"]);
        std::string c;
        while (std::getline(ss, c, ',')) colors.push_back(colorFromARGB(hex(c)));
    }
    std::vector<float> pos = o.count("pos") ? nums(o["pos"]) : std::vector<float>{};
    sp<ColorSpace> space;
    if (o["space"] == "p3") space = ColorSpace::MakeRGB(named::kSRGB, named::kDisplayP3Gamut);
    const GradientStops stops{colors.data(), pos.empty() ? nullptr : pos.data(), int(colors.size()), space};
    const TileMode tile = tileByName(o.count("tile") ? o["tile"] : "clamp");
    const auto local = localOf(o);
    const Matrix* lm = local ? &*local : nullptr;
    const std::string kind = o["shader"];
    if (kind == "linear") {
        const auto p = nums(o["pts"]);
        return MakeLinearGradient({p[0], p[1]}, {p[2], p[3]}, stops, tile, lm);
    }
    if (kind == "blend") {
        const float w = std::stof(o["_w"]), h = std::stof(o["_h"]);
        auto dst = MakeLinearGradient({0, 0}, {w, 0}, GradientStops(colors.data(), nullptr, 2), TileMode::Clamp);
        auto src = MakeLinearGradient({0, 0}, {0, h}, GradientStops(colors.data() + 2, nullptr, 2), TileMode::Clamp);
        return MakeBlendShader(blendByName(o["mode"]), dst, src);
    }
    if (kind == "radial") {
        const auto c = nums(o["center"]);
        return MakeRadialGradient({c[0], c[1]}, std::stof(o["radius"]), stops, tile, lm);
    }
    if (kind == "sweep") {
        const auto c = nums(o["center"]);
        const auto a = o.count("angles") ? nums(o["angles"]) : std::vector<float>{0, 360};
        return MakeSweepGradient({c[0], c[1]}, a[0], a[1], stops, tile, lm);
    }
    if (kind == "conical") {
        const auto p = nums(o["pts"]), r = nums(o["radii"]);
        return MakeTwoPointConicalGradient({p[0], p[1]}, r[0], {p[2], p[3]}, r[1], stops, tile, lm);
    }
    if (kind == "noise" || kind == "turbulence") {
        const auto f = nums(o["freq"]);
        const auto t = o.count("tilesize") ? nums(o["tilesize"]) : std::vector<float>{0, 0};
        return MakePerlinNoiseShader(kind == "noise", f[0], f[1], std::stoi(o["octaves"]), std::stof(o["seed"]), int(t[0]),
                                     int(t[1]));
    }
    if (kind == "image") {
        const std::string txy = o.count("tilexy") ? o["tilexy"] : "clamp,clamp";
        const size_t comma = txy.find(',');
        const std::string smp = o.count("sampling") ? o["sampling"] : "nearest";
        SamplingOptions so;
        if (smp.rfind("cubic:", 0) == 0) {
            const auto bc = nums(smp.substr(6));
            so = SamplingOptions(CubicResampler{bc[0], bc[1]});
        } else {
            so.filter = smp.rfind("linear", 0) == 0 ? FilterMode::Linear : FilterMode::Nearest;
            if (smp.find("+mipnearest") != std::string::npos) so.mipmap = MipmapMode::Nearest;
            if (smp.find("+miplinear") != std::string::npos) so.mipmap = MipmapMode::Linear;
        }
        return MakeImageShader(test::makeTestImage(o["image"]), tileByName(txy.substr(0, comma)),
                               tileByName(txy.substr(comma + 1)), so, lm);
    }
    ADD_FAILURE() << "unknown shader " << kind;
    return nullptr;
}

sp<ColorFilter> makeFilter(const std::string& desc) {
    const size_t colon = desc.find(':');
    const std::string kind = desc.substr(0, colon), args = colon == std::string::npos ? "" : desc.substr(colon + 1);
    if (kind == "matrix") return MakeMatrixColorFilter(nums(args).data());
    if (kind == "blend") {
        const size_t comma = args.find(',');
        return MakeBlendColorFilter(colorFromARGB(hex(args.substr(0, comma))), nullptr, blendByName(args.substr(comma + 1)));
    }
    if (kind == "luma") return MakeLumaColorFilter();
    if (kind == "lin2srgb") return MakeLinearToSRGBGammaColorFilter();
    if (kind == "srgb2lin") return MakeSRGBToLinearGammaColorFilter();
    ADD_FAILURE() << "unknown filter " << kind;
    return nullptr;
}

void drawLine(const DrawTarget& t, const std::string& line, int w, int h) {
    const size_t bar = line.find('|');
    std::istringstream head(line.substr(0, bar));
    std::string cmd;
    head >> cmd;
    if (cmd == "clear") {
        std::string c;
        head >> c;
        Paint clear;
        clear.setColor(hex(c));
        clear.setBlendMode(BlendMode::Src);
        drawPaint(t, clear);
        return;
    }
    ASSERT_EQ(cmd, "rect");
    float n[4];
    head >> n[0] >> n[1] >> n[2] >> n[3];
    std::map<std::string, std::string> o;
    std::istringstream opts(line.substr(bar + 1));
    std::string kv;
    while (opts >> kv) {
        const size_t eq = kv.find('=');
        o[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    o["_w"] = std::to_string(w), o["_h"] = std::to_string(h);
    Paint paint;
    paint.setColor(o.count("color") ? hex(o["color"]) : 0xff000000);
    if (o.count("alpha")) paint.setAlpha(std::stof(o["alpha"]));
    if (o.count("shader")) {
        paint.shader = makeShader(o);
        ASSERT_TRUE(paint.shader) << line;
    }
    if (o.count("cf")) {
        paint.colorFilter = makeFilter(o["cf"]);
        ASSERT_TRUE(paint.colorFilter) << line;
    }
    if (o.count("blend")) paint.setBlendMode(blendByName(o["blend"]));
    Matrix ctm;
    if (o.count("matrix")) {
        const auto m = nums(o["matrix"]);
        ctm = Matrix::MakeAll(m[0], m[1], m[2], m[3], m[4], m[5], 0, 0, 1);
    }
    drawRect(t, {n[0], n[1], n[2], n[3]}, ctm, paint);
}

// Every channel within kTolerance of the reference; a few channels may stray further (to
// kLoose) where the reference's lower-precision stages round differently (steep colour steps
// at hard stops and tile seams).
constexpr int kTolerance = 2;
constexpr int kLoose = 8;

// Scenes where the reference strays further, with what it does:
//   noise_scaled: under a scaling matrix the reference's leftmost device column differs by up
//   to 10 levels from the noise at any single sample point near it (searched from local
//   x = -3 to 1), while every other column matches within 2; the scene allows that column.
struct Allowance {
    const char* scene;
    int worst, over;
};
constexpr Allowance kAllowances[] = {{"noise_scaled", 10, 64}};

class ShaderGolden : public ::testing::TestWithParam<Scene> {};

TEST_P(ShaderGolden, MatchesTheReferenceImage) {
    const Scene& s = GetParam();
    std::vector<uint8_t> px(size_t(s.w) * size_t(s.h) * 4, 0);
    Pixmap pm;
    // sRGB like the reference engine's surface: colours given in sRGB are not converted.
    ASSERT_TRUE(pm.reset(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul, ColorSpace::MakeSRGB()),
                         px.data(), size_t(s.w) * 4));
    const DrawTarget t{pm, IRect::MakeWH(s.w, s.h), nullptr};
    for (const std::string& line : s.lines) drawLine(t, line, s.w, s.h);

    int w = 0, h = 0;
    std::vector<uint8_t> want;
    ASSERT_TRUE(test::readPng(std::string(PLIX_SHADER_FIXTURES) + "/" + s.name + ".png", &w, &h, &want)) << s.name;
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
    int worst = 0, over = 0, wx = 0, wy = 0;
    for (const test::PixelDiff& p : test::compareImages(px.data(), want.data(), w, h))
        for (const int d : p.channel) {
            if (d > worst) worst = d, wx = p.x, wy = p.y;
            over += d > kTolerance;
        }
    int maxWorst = kLoose, maxOver = int(px.size()) / 200;
    for (const Allowance& a : kAllowances)
        if (s.name == a.scene) maxWorst = a.worst, maxOver = a.over;
    const bool ok = worst <= maxWorst && over <= maxOver;
    if (!ok) test::saveForReview(PLIX_GOLDEN_OUT, s.name, s.w, s.h, px.data());
    EXPECT_TRUE(ok) << s.name << ": worst " << worst << " at " << wx << "," << wy << ", " << over
                    << " channels over " << kTolerance << "; ours is in " << PLIX_GOLDEN_OUT;
}

INSTANTIATE_TEST_SUITE_P(Scenes, ShaderGolden, ::testing::ValuesIn(loadScenes()),
                         [](const ::testing::TestParamInfo<Scene>& info) { return info.param.name; });

}  // namespace
