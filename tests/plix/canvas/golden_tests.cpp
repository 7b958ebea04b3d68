// Canvas scenes of fixtures/scenes.txt drawn by our canvas against the reference engine's
// images, on surfaces of several colour types and on an unpremultiplied one, read back as
// premultiplied RGBA8888.
#include <gtest/gtest.h>

#include "../GoldenImages.h"
#include "../GoldenStrict.h"
#include "../SceneList.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/Surface.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

using test::blendByName;
using test::hex;
using test::Scene;

std::vector<Scene> loadScenes() { return test::LoadScenes(std::string(PLIX_CANVAS_FIXTURES) + "/scenes.txt"); }

// The test images, made as the reference script makes them.
sp<Image> testImage(const std::string& name) {
    if (name == "mask8") {
        std::vector<uint8_t> a(64);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) a[size_t(y * 8 + x)] = uint8_t((x ^ y) & 1 ? 255 : 28 * x + 8 * y);
        return Image::MakeRasterCopy(Pixmap(ImageInfo::Make(8, 8, ColorType::Alpha8, AlphaType::Premul), a.data(), 8));
    }
    const int n = name == "nine9" ? 9 : 8;
    std::vector<uint8_t> px(size_t(n * n * 4));
    const uint32_t cells[9] = {0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0xff00ff, 0x00ffff, 0x804000, 0x008080, 0x404040};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            uint8_t* p = &px[size_t((y * n + x) * 4)];
            if (name == "grad8") {
                p[0] = uint8_t(36 * x), p[1] = uint8_t(36 * y), p[2] = 200, p[3] = 255;
            } else if (name == "ramp8") {
                p[0] = 255, p[1] = uint8_t(32 * x), p[2] = 0, p[3] = uint8_t(255 - 32 * y);
            } else {
                const uint32_t v = cells[(y / 3) * 3 + x / 3];
                p[0] = uint8_t(v >> 16), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v), p[3] = 255;
            }
        }
    return Image::MakeRasterCopy(Pixmap(
        ImageInfo::Make(n, n, ColorType::RGBA8888, AlphaType::Unpremul, ColorSpace::MakeSRGB()), px.data(), size_t(n) * 4));
}

struct Options {
    std::map<std::string, std::string> kv;
    bool has(const char* k) const { return kv.count(k) != 0; }
    std::string get(const char* k, const char* def = "") const { return has(k) ? kv.at(k) : def; }
};

Paint paintOf(const Options& o) {
    Paint p;
    p.setColor(hex(o.get("color", "ff000000")));
    if (o.has("alpha")) p.setAlpha(std::stoi(o.get("alpha")) / 255.0f);
    p.antiAlias = o.get("aa") == "1";
    if (o.get("style") == "stroke") p.style = PaintStyle::Stroke;
    if (o.has("width")) p.strokeWidth = std::stof(o.get("width"));
    const std::string cap = o.get("cap"), join = o.get("join");
    if (cap == "round") p.cap = StrokeCap::Round;
    if (cap == "square") p.cap = StrokeCap::Square;
    if (join == "round") p.join = StrokeJoin::Round;
    if (join == "bevel") p.join = StrokeJoin::Bevel;
    if (o.has("blend")) p.setBlendMode(blendByName(o.get("blend")));
    if (o.get("shader") == "grad") {
        const Color4f colors[2] = {{1, 0, 0, 1}, {0, 0, 1, 1}};
        p.shader = MakeLinearGradient({0, 0}, {64, 64}, GradientStops{colors, nullptr, 2}, TileMode::Clamp);
    }
    return p;
}

Path pathOf(const std::string& svg, const Options& o) {
    Path p;
    EXPECT_TRUE(Path::FromSVG(svg.c_str(), &p)) << svg;
    p.setFillType(o.get("fill") == "evenodd" ? PathFillType::EvenOdd : PathFillType::Winding);
    return p;
}

void run(Canvas& c, const std::string& line, std::map<std::string, sp<Image>>& images) {
    const size_t bar = line.find('|');
    std::istringstream head(line.substr(0, bar));
    std::string cmd, args;
    head >> cmd;
    std::getline(head, args);
    args.erase(0, args.find_first_not_of(' '));
    args.erase(args.find_last_not_of(' ') + 1);
    Options o;
    if (bar != std::string::npos) {
        std::istringstream opts(line.substr(bar + 1));
        std::string kv;
        while (opts >> kv) {
            const size_t eq = kv.find('=');
            o.kv[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
    }
    std::vector<float> n;
    std::vector<std::string> words;
    {
        std::istringstream ss(args);
        std::string w;
        while (ss >> w) {
            words.push_back(w);
            char* end = nullptr;
            const float v = std::strtof(w.c_str(), &end);
            n.push_back(end && *end == 0 ? v : NAN);
        }
    }
    const ClipOp op = o.get("op") == "difference" ? ClipOp::Difference : ClipOp::Intersect;
    const bool aa = o.get("aa") == "1";
    const Paint paint = paintOf(o);
    const SamplingOptions sampling(o.get("filter") == "linear" ? FilterMode::Linear : FilterMode::Nearest);
    auto image = [&](const std::string& name) -> const Image& {
        if (!images[name]) images[name] = testImage(name);
        return *images[name];
    };
    n.resize(std::max<size_t>(n.size(), 12), NAN);  // short lines read NaN, never past the end
    auto rect = [&](size_t i) { return Rect{n[i], n[i + 1], n[i + 2], n[i + 3]}; };
    if (cmd == "clear") {
        Paint p;
        p.setColor(hex(args));
        c.clear(p.color);
    } else if (cmd == "save") c.save();
    else if (cmd == "restore") c.restore();
    else if (cmd == "savelayeralpha") c.saveLayerAlpha(nullptr, uint8_t(n[0]));
    else if (cmd == "savelayer") {
        const Rect b = args == "-" ? Rect() : rect(0);
        c.saveLayer(args == "-" ? nullptr : &b, &paint);
    } else if (cmd == "translate") c.translate(n[0], n[1]);
    else if (cmd == "scale") c.scale(n[0], n[1]);
    else if (cmd == "rotate") words.size() >= 3 ? c.rotate(n[0], n[1], n[2]) : c.rotate(n[0]);
    else if (cmd == "skew") c.skew(n[0], n[1]);
    else if (cmd == "concat") c.concat(Matrix::MakeAll(n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8]));
    else if (cmd == "cliprect") c.clipRect(rect(0), op, aa);
    else if (cmd == "cliprrect") c.clipRRect(RRect::MakeRectXY(rect(0), n[4], n[5]), op, aa);
    else if (cmd == "clippath") c.clipPath(pathOf(args, o), op, aa);
    else if (cmd == "rect") c.drawRect(rect(0), paint);
    else if (cmd == "oval") c.drawOval(rect(0), paint);
    else if (cmd == "rrect") c.drawRRect(RRect::MakeRectXY(rect(0), n[4], n[5]), paint);
    else if (cmd == "circle") c.drawCircle({n[0], n[1]}, n[2], paint);
    else if (cmd == "arc") c.drawArc(rect(0), n[4], n[5], n[6] == 1, paint);
    else if (cmd == "drrect")
        c.drawDRRect(RRect::MakeRectXY(rect(0), n[4], n[5]), RRect::MakeRectXY(rect(6), n[10], n[11]), paint);
    else if (cmd == "path") c.drawPath(pathOf(args, o), paint);
    else if (cmd == "points") {
        const PointMode mode = words[0] == "points" ? PointMode::Points : words[0] == "lines" ? PointMode::Lines
                                                                                             : PointMode::Polygon;
        std::vector<Point> pts;
        for (size_t i = 1; i + 1 < words.size(); i += 2) pts.push_back({n[i], n[i + 1]});
        c.drawPoints(mode, pts.size(), pts.data(), paint);
    } else if (cmd == "image") {
        c.drawImage(image(words[0]), n[1], n[2], SamplingOptions(), o.has("color") || o.has("alpha") || o.has("shader") ? &paint : nullptr);
    } else if (cmd == "imagerect") {
        c.drawImageRect(image(words[0]), rect(1), rect(5), sampling, &paint,
                        o.get("strict") == "1" ? SrcRectConstraint::Strict : SrcRectConstraint::Fast);
    } else if (cmd == "nine") {
        const IRect center{int(n[1]), int(n[2]), int(n[3]), int(n[4])};
        c.drawImageNine(image(words[0]), center, rect(5), sampling.filter, &paint);
    } else {
        ADD_FAILURE() << "unknown command " << cmd;
    }
}

// Every scene is held to the strict rule (GoldenStrict.h), with the destination format's
// quantization as slack, except scenes of hairlines and strokes thinner than a pixel, drawn by
// their own converter, which keep the loose rule below until it gives the reference's pictures:
//   flat pixels (no neighbour differs by more than 3): every channel within kFlat (+ slack);
//   other pixels: mean difference within kEdgeMean, at most kOutliers pixels beyond kEdge.
constexpr int kFlat = 3;
constexpr int kEdge = 64;
constexpr double kEdgeMean = 8.0;
constexpr int kOutliers = 6;

bool isHairlineScene(const std::string& scene) { return scene == "points"; }

// Scenes that do not meet the strict rule yet, each held to the number of pixels beyond the
// levels it reaches today in RGBA8888 (plus the other formats' slack): curves and rounded
// rects (the reference's curve chord points, see the raster golden tests), stroke outlines,
// and image sampling (images).
int pixelsAllowedPastTheLevels(const std::string& scene) {
    static const std::map<std::string, int> kToday = {
        {"clip_rrect_and_path", 99}, {"images", 136}, {"layer_alpha", 54}, {"matrices", 144}, {"shapes", 303}};
    const auto it = kToday.find(scene);
    return it == kToday.end() ? -1 : it->second;
}

struct Format {
    const char* name;
    ColorType ct;
    AlphaType at;
    int slack;  // quantization of the format, in 8-bit levels
};

void checkScene(const Scene& s, const Format& f) {
    auto surface = Surface::MakeRaster(ImageInfo::Make(s.w, s.h, f.ct, f.at), 0, nullptr);
    ASSERT_TRUE(surface);
    std::map<std::string, sp<Image>> images;
    for (const std::string& line : s.lines) run(*surface->canvas(), line, images);
    ASSERT_EQ(surface->canvas()->saveCount(), 1) << "unbalanced scene";
    std::vector<uint8_t> got(size_t(s.w * s.h * 4));
    ASSERT_TRUE(surface->readPixels(
        Pixmap(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul), got.data(), size_t(s.w) * 4), 0, 0));

    int w = 0, h = 0;
    std::vector<uint8_t> want;
    ASSERT_TRUE(test::readPng(std::string(PLIX_CANVAS_FIXTURES) + "/" + s.name + ".png", &w, &h, &want)) << s.name;
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
    const test::StrictResult strict = test::compareStrict(got.data(), want.data(), w, h, f.slack);
    std::printf("strict %s %s %s: %s\n", strict.pass() ? "MATCH" : "miss", s.name.c_str(), f.name,
                strict.describe().c_str());
    const int today = pixelsAllowedPastTheLevels(s.name);
    if (today >= 0) {
        EXPECT_LE(strict.total - strict.within, today) << s.name << ": " << strict.describe();
    } else if (!isHairlineScene(s.name)) {
        EXPECT_TRUE(strict.pass()) << s.name << ": " << strict.describe();
    } else {
        int outliers = 0, edgeCount = 0;
        double edgeSum = 0;
        for (const test::PixelDiff& p : test::compareImages(got.data(), want.data(), w, h)) {
            const int worst = p.worst();
            if (p.flat) {
                EXPECT_LE(worst, kFlat + f.slack) << s.name << " flat pixel " << p.x << "," << p.y;
            } else {
                ++edgeCount;
                edgeSum += worst;
                if (worst > kEdge + f.slack) ++outliers;
            }
        }
        EXPECT_LE(outliers, kOutliers) << s.name;
        if (edgeCount) {
            EXPECT_LE(edgeSum / edgeCount, kEdgeMean + f.slack) << s.name;
        }
    }
    if (::testing::Test::HasFailure()) {
        const std::string out =
            test::saveForReview(PLIX_CANVAS_GOLDEN_OUT, s.name + "_" + f.name, w, h, got.data());
        ADD_FAILURE() << "our image: " << out;
    }
}

const Format kFormats[] = {
    {"rgba8888", ColorType::RGBA8888, AlphaType::Premul, 0},
    {"bgra8888", ColorType::BGRA8888, AlphaType::Premul, 0},
    {"rgbaf16", ColorType::RGBAF16, AlphaType::Premul, 1},
    {"rgbaf32", ColorType::RGBAF32, AlphaType::Premul, 1},
    {"rgba16161616", ColorType::RGBA16161616, AlphaType::Premul, 1},
    {"unpremul", ColorType::RGBA8888, AlphaType::Unpremul, 2},
};

class CanvasGolden : public ::testing::TestWithParam<Scene> {};

TEST_P(CanvasGolden, MatchesTheReferenceInEveryFormat) {
    for (const Format& f : kFormats) {
        SCOPED_TRACE(f.name);
        checkScene(GetParam(), f);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, CanvasGolden, ::testing::ValuesIn(loadScenes()),
                         [](const ::testing::TestParamInfo<Scene>& i) { return i.param.name; });

}  // namespace
