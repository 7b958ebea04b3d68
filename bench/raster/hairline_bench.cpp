// Hairlines drawn by the fixed-point line walker against the band they replaced (the device
// path stroked one pixel wide and filled), on a 1024x768 RGBA8888 surface with a solid paint:
// compare Walker/... with Band/... for 2,000 random lines (anti-aliased and aliased), 300
// random quads and cubics, and 100 polylines of 50 segments.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "geometry/Stroker.h"
#include "raster/Draw.h"

using namespace plix;

namespace {

constexpr int W = 1024, H = 768;

enum Scene { kLines, kCurves, kPolylines };

std::vector<Path> scenePaths(Scene scene) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> x(0, W), y(0, H);
    std::vector<Path> paths;
    if (scene == kLines) {
        for (int i = 0; i < 2000; ++i) paths.push_back(Path().moveTo({x(rng), y(rng)}).lineTo({x(rng), y(rng)}));
    } else if (scene == kCurves) {
        for (int i = 0; i < 300; ++i) {
            Path p;
            p.moveTo({x(rng), y(rng)});
            if (i % 2) p.quadTo({x(rng), y(rng)}, {x(rng), y(rng)});
            else p.cubicTo({x(rng), y(rng)}, {x(rng), y(rng)}, {x(rng), y(rng)});
            paths.push_back(p);
        }
    } else {
        std::uniform_real_distribution<float> step(-20, 20);
        for (int i = 0; i < 100; ++i) {
            Point q{x(rng), y(rng)};
            Path p;
            p.moveTo(q);
            for (int k = 0; k < 50; ++k) p.lineTo(q += Point{step(rng), step(rng)});
            paths.push_back(p);
        }
    }
    return paths;
}

struct Surface {
    std::vector<uint8_t> px = std::vector<uint8_t>(size_t(W) * H * 4, 255);
    Pixmap pm;
    DrawTarget target() {
        pm.reset(ImageInfo::Make(W, H, ColorType::RGBA8888, AlphaType::Premul), px.data(), size_t(W) * 4);
        return {pm, IRect::MakeWH(W, H), nullptr};
    }
};

Paint paintOf(bool aa, PaintStyle style) {
    Paint p;
    p.setColor(0xff204080);
    p.antiAlias = aa;
    p.style = style;
    p.strokeWidth = 0;
    return p;
}

void Walker(benchmark::State& state) {
    const auto paths = scenePaths(Scene(state.range(0)));
    const Paint paint = paintOf(state.range(1) != 0, PaintStyle::Stroke);
    Surface s;
    const DrawTarget t = s.target();
    for (auto _ : state)
        for (const Path& p : paths) drawPath(t, p, Matrix(), paint);
}

// What hairlines were before: the outline of a one-pixel stroke, filled.
void Band(benchmark::State& state) {
    const auto paths = scenePaths(Scene(state.range(0)));
    const Paint paint = paintOf(state.range(1) != 0, PaintStyle::Fill);
    Surface s;
    const DrawTarget t = s.target();
    for (auto _ : state)
        for (const Path& p : paths) {
            Path outline;
            if (strokePath(p, {1, 4, StrokeCap::Butt, StrokeJoin::Miter}, 1, &outline)) drawPath(t, outline, Matrix(), paint);
        }
}

// Arguments: scene (lines, curves, polylines), anti-aliased.
#define HAIRLINE_ARGS ArgsProduct({{kLines, kCurves, kPolylines}, {1, 0}})->Unit(benchmark::kMillisecond)
BENCHMARK(Walker)->HAIRLINE_ARGS;
BENCHMARK(Band)->HAIRLINE_ARGS;

}  // namespace

BENCHMARK_MAIN();
