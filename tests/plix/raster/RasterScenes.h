// The drawing lines of fixtures/scenes.txt run on our raster layer, as
// tests/reference/raster_golden.mjs runs them on the reference engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "../SceneList.h"
#include "raster/Draw.h"

namespace plix::test {

// Options a suite adds to the paint: true when it took (key, value).
using ExtraPaintOption = std::function<bool(Paint&, const std::string&, const std::string&)>;

// Draws one scene line into t.
inline void drawLine(const DrawTarget& t, const std::string& line, const ExtraPaintOption& extra = {}) {
    const size_t bar = line.find('|');
    std::istringstream head(line.substr(0, bar));
    std::string cmd;
    head >> cmd;
    std::string args;
    std::getline(head, args);
    Paint paint;
    Matrix m;
    PathFillType fill = PathFillType::Winding;
    if (bar != std::string::npos) {
        std::istringstream opts(line.substr(bar + 1));
        std::string kv;
        while (opts >> kv) {
            const size_t eq = kv.find('=');
            const std::string k = kv.substr(0, eq), v = kv.substr(eq + 1);
            if (k == "color") paint.setColor(hex(v));
            else if (k == "aa") paint.antiAlias = v == "1";
            else if (k == "style") paint.style = v == "fill" ? PaintStyle::Fill : v == "stroke" ? PaintStyle::Stroke : PaintStyle::StrokeAndFill;
            else if (k == "width") paint.strokeWidth = std::stof(v);
            else if (k == "cap") paint.cap = v == "butt" ? StrokeCap::Butt : v == "round" ? StrokeCap::Round : StrokeCap::Square;
            else if (k == "join") paint.join = v == "miter" ? StrokeJoin::Miter : v == "round" ? StrokeJoin::Round : StrokeJoin::Bevel;
            else if (k == "miter") paint.strokeMiter = std::stof(v);
            else if (k == "fill") fill = v == "evenodd"          ? PathFillType::EvenOdd
                                         : v == "inversewinding" ? PathFillType::InverseWinding
                                         : v == "inverseevenodd" ? PathFillType::InverseEvenOdd
                                                                 : PathFillType::Winding;
            else if (k == "blend") paint.setBlendMode(blendByName(v));
            else if (k == "matrix") {
                float a[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // the perspective row is optional
                std::sscanf(v.c_str(), "%f,%f,%f,%f,%f,%f,%f,%f,%f", &a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6],
                            &a[7], &a[8]);
                m = Matrix::MakeAll(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
            } else if (!extra || !extra(paint, k, v)) ADD_FAILURE() << "unknown option " << k;
        }
    }
    if (cmd == "clear") {
        Paint clear;
        clear.setColor(hex(args.substr(args.find_first_not_of(' '))));
        clear.setBlendMode(BlendMode::Src);
        drawPaint(t, clear);
        return;
    }
    if (cmd == "path") {
        Path p;
        ASSERT_TRUE(Path::FromSVG(args.c_str(), &p)) << args;
        p.setFillType(fill);
        drawPath(t, p, m, paint);
        return;
    }
    float n[6] = {};
    std::sscanf(args.c_str(), "%f %f %f %f %f %f", &n[0], &n[1], &n[2], &n[3], &n[4], &n[5]);
    const Rect r{n[0], n[1], n[2], n[3]};
    if (cmd == "rect") drawRect(t, r, m, paint);
    else if (cmd == "oval") drawOval(t, r, m, paint);
    else if (cmd == "rrect") drawRRect(t, RRect::MakeRectXY(r, n[4], n[5]), m, paint);
    else ADD_FAILURE() << "unknown command " << cmd;
}

// The scenes of fixtures/scenes.txt whose names start with prefix.
inline std::vector<Scene> scenesIn(const std::string& fixtures, const std::string& prefix = "") {
    std::vector<Scene> out;
    for (Scene& s : LoadScenes(fixtures + "/scenes.txt"))
        if (s.name.rfind(prefix, 0) == 0) out.push_back(std::move(s));
    return out;
}

// The scene drawn by our engine into premultiplied RGBA8888 (*ours) beside the reference's
// image of it in fixtures (*reference), both w x h.
inline void renderScene(const std::string& fixtures, const Scene& s, std::vector<uint8_t>* ours,
                        std::vector<uint8_t>* reference) {
    ours->assign(size_t(s.w) * size_t(s.h) * 4, 0);
    Pixmap pm;
    ASSERT_TRUE(pm.reset(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul), ours->data(), size_t(s.w) * 4));
    const DrawTarget t{pm, IRect::MakeWH(s.w, s.h), nullptr};
    for (const std::string& line : s.lines) drawLine(t, line);
    int w = 0, h = 0;
    ASSERT_TRUE(readPng(fixtures + "/" + s.name + ".png", &w, &h, reference)) << s.name;
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
}

}  // namespace plix::test
