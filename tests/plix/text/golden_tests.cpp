// Text scenes against the reference engine's images (fixtures/scenes.txt, drawn by
// tests/reference/text_golden.mjs with the same font files). Each scene reports how close it is:
// the worst level difference of any channel and the share of pixels within 3 levels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "TextFixtures.h"

namespace {

struct Scene {
    std::string name, op, text;
    int w = 0, h = 0;
    uint32_t background = 0;
    float x = 0, y = 0, size = 0;
    std::map<std::string, std::string> options;
    std::string opt(const std::string& k, const std::string& d = "") const {
        auto it = options.find(k);
        return it == options.end() ? d : it->second;
    }
};

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::vector<Scene> readScenes() {
    std::vector<Scene> scenes;
    std::ifstream in(std::string(PLIX_TEXT_FIXTURES) + "/scenes.txt");
    for (std::string line; std::getline(in, line);) {
        if (trim(line).empty() || line[0] == '#') continue;
        const size_t bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
        Scene s;
        std::istringstream head(line.substr(0, bar1));
        std::string bg;
        head >> s.name >> s.w >> s.h >> bg >> s.op >> s.x >> s.y >> s.size;
        s.background = uint32_t(std::stoul(bg, nullptr, 16));
        std::istringstream opts(line.substr(bar1 + 1, bar2 - bar1 - 1));
        for (std::string kv; opts >> kv;) {
            const size_t eq = kv.find('=');
            s.options[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        s.text = trim(line.substr(bar2 + 1));
        scenes.push_back(s);
    }
    return scenes;
}

// Draws the scene as the reference script does; returns the premultiplied RGBA bytes.
std::vector<uint8_t> draw(const Scene& s) {
    std::vector<uint8_t> px(size_t(s.w) * size_t(s.h) * 4, 0);
    const plix_imageinfo ii{s.w, s.h, 4, 2, 0};
    plix_handle pm = plix_pixmap_create(&ii, px.data(), size_t(s.w) * 4);
    plix_handle surface = plix_surface_make_raster_direct(pm, nullptr, nullptr, nullptr);
    plix_handle canvas = plix_surface_get_canvas(surface);
    plix_canvas_clear(canvas, s.background);
    if (!s.opt("scale").empty()) plix_canvas_scale(canvas, std::stof(s.opt("scale")), std::stof(s.opt("scale")));
    if (!s.opt("rotate").empty()) plix_canvas_rotate2(canvas, std::stof(s.opt("rotate")), s.x, s.y);

    plix_handle tf = plix_typeface_make_from_file(plix::test::fontPath(s.opt("font", "DejaVuSans.ttf")).c_str(), 0);
    plix_handle font = plix_font_create(tf, s.size, 1, 0);
    const std::map<std::string, int32_t> edging{{"alias", 0}, {"aa", 1}, {"subpixel", 2}};
    const std::map<std::string, int32_t> hinting{{"none", 0}, {"slight", 1}, {"normal", 2}, {"full", 3}};
    plix_font_set_edging(font, edging.at(s.opt("edging", "aa")));
    plix_font_set_hinting(font, hinting.at(s.opt("hinting", "normal")));
    plix_font_set_subpixel(font, s.opt("subpixel") == "1");
    plix_font_set_embolden(font, s.opt("embolden") == "1");
    if (!s.opt("scalex").empty()) plix_font_set_scale_x(font, std::stof(s.opt("scalex")));
    if (!s.opt("skewx").empty()) plix_font_set_skew_x(font, std::stof(s.opt("skewx")));

    plix_handle paint = plix_paint_create();
    plix_paint_set_color(paint, uint32_t(std::stoul(s.opt("color", "ff000000"), nullptr, 16)));
    plix_paint_set_antialias(paint, true);
    if (!s.opt("stroke").empty()) {  // 0: a hairline
        plix_paint_set_style(paint, 1);
        plix_paint_set_stroke_width(paint, std::stof(s.opt("stroke")));
    }
    if (s.opt("shader") == "grad") {
        const plix_point pts[2] = {{0, 0}, {float(s.w), 0}};
        const plix_color4f colors[2] = {{0.9f, 0.1f, 0.1f, 1}, {0.1f, 0.2f, 0.9f, 1}};
        plix_handle shader = plix_shader_make_gradient_linear2(pts, colors, 0, nullptr, 2, 0, nullptr);
        plix_paint_set_shader(paint, shader);
        plix_refcnt_unref(shader);
    }

    const int32_t n = plix_font_get_glyphs_count(font, s.text.data(), s.text.size(), 0);
    std::vector<uint16_t> glyphs(size_t(std::max(n, 0)));
    plix_font_get_glyphs(font, s.text.data(), s.text.size(), 0, glyphs.data(), n);
    std::vector<float> widths(glyphs.size());
    plix_font_get_widths_bounds(font, glyphs.data(), n, widths.data(), nullptr, 0);
    if (s.op == "text") {
        plix_canvas_draw_simple_text(canvas, s.text.data(), s.text.size(), 0, s.x, s.y, font, paint);
    } else if (s.op == "glyphs") {
        std::vector<plix_point> pos;
        float x = 0;
        for (int32_t i = 0; i < n; ++i) {
            pos.push_back({x, -float(i) * std::stof(s.opt("dy"))});
            x += widths[size_t(i)];
        }
        const plix_point origin{s.x, s.y};
        plix_canvas_draw_glyphs(canvas, n, glyphs.data(), pos.data(), &origin, font, paint);
    } else if (s.op == "rsx") {
        std::vector<plix_rsxform> xf;
        float x = s.x;
        for (int32_t i = 0; i < n; ++i) {
            const double a = i * std::stod(s.opt("rot")) * M_PI / 180;
            xf.push_back({float(std::cos(a)), float(std::sin(a)), x, s.y});
            x += widths[size_t(i)];
        }
        plix_handle blob = plix_textblob_make_from_text_transform(glyphs.data(), glyphs.size() * 2, xf.data(), font, 3);
        plix_canvas_draw_text_blob(canvas, blob, 0, 0, paint);
        plix_textblob_unref(blob);
    } else if (s.op == "blob") {
        plix_handle blob = plix_textblob_make_from_text(s.text.data(), s.text.size(), font, 0);
        plix_canvas_draw_text_blob(canvas, blob, s.x, s.y, paint);
        plix_textblob_unref(blob);
    }
    plix_paint_destroy(paint);
    plix_font_destroy(font);
    plix_refcnt_unref(tf);
    plix_refcnt_unref(surface);
    plix_pixmap_destroy(pm);
    return px;
}

}  // namespace

TEST(TextGolden, ScenesMatchTheReference) {
    REQUIRE_FONT("DejaVuSans.ttf");
    const std::vector<Scene> scenes = readScenes();
    ASSERT_GE(scenes.size(), 20u);
    for (const Scene& s : scenes) {
        SCOPED_TRACE(s.name);
        int w = 0, h = 0;
        std::vector<uint8_t> want;
        ASSERT_TRUE(plix::test::readPng(std::string(PLIX_TEXT_FIXTURES) + "/" + s.name + ".png", &w, &h, &want));
        ASSERT_EQ(w, s.w);
        ASSERT_EQ(h, s.h);
        const std::vector<uint8_t> got = draw(s);
        int worst = 0;
        size_t close = 0;
        const auto diffs = plix::test::compareImages(got.data(), want.data(), w, h);
        for (const auto& d : diffs) {
            worst = std::max(worst, d.worst());
            if (d.worst() <= 3) ++close;
        }
        const double share = double(close) / double(diffs.size());
        std::printf("%-14s worst %3d  within 3: %6.2f%%\n", s.name.c_str(), worst, share * 100);
        if (share < 1) plix::test::saveForReview(PLIX_TEXT_GOLDEN_OUT, s.name, w, h, got.data());
        // Reachable now (the fill rasterizer's coverage rules are changing beside this work):
        // glyph shapes, positions and hinting match; edge levels differ by the contrast table's fit
        // (black13 94.8%, white13 95.6%, alias16 100%, subpos16 98.3%, red20 97.2%), and more where
        // the reference's outlines differ a little: embolden16 86.6%, stroke30 89.2%, hairline24
        // 89.9%, skewfont20 91%, subpixel16 90.3%.
        EXPECT_GE(share, 0.80);
    }
}
