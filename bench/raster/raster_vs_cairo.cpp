// Our raster engine against cairo on the same scenes, on a 1024x768 BGRA8888 premultiplied
// surface: compare the Plix/... and Cairo/... times of each case.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <random>
#include <vector>

#include "raster/Draw.h"

using namespace plix;

namespace {

constexpr int W = 1024, H = 768;

struct Shape {
    bool star;
    float cx, cy, r;
    uint32_t color;
};

std::vector<Shape> shapes(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(0, 1);
    std::vector<Shape> v;
    for (int i = 0; i < n; ++i)
        v.push_back({i % 2 == 0, u(rng) * W, u(rng) * H, 10 + u(rng) * 90, 0x80000000u | uint32_t(rng() & 0xffffff)});
    return v;
}

Path shapePath(const Shape& s) {
    Path p;
    if (s.star) {
        for (int k = 0; k < 10; ++k) {
            const float a = float(k) * 3.14159265f / 5, r = k % 2 ? s.r * 0.45f : s.r;
            const Point q{s.cx + r * std::cos(a), s.cy + r * std::sin(a)};
            k ? p.lineTo(q) : p.moveTo(q);
        }
        p.close();
    } else {
        p.addOval({s.cx - s.r, s.cy - s.r * 0.6f, s.cx + s.r, s.cy + s.r * 0.6f});
    }
    return p;
}

void cairoShape(cairo_t* cr, const Shape& s) {
    if (s.star) {
        for (int k = 0; k < 10; ++k) {
            const double a = k * M_PI / 5, r = k % 2 ? s.r * 0.45 : s.r;
            k ? cairo_line_to(cr, s.cx + r * std::cos(a), s.cy + r * std::sin(a))
              : cairo_move_to(cr, s.cx + r * std::cos(a), s.cy + r * std::sin(a));
        }
        cairo_close_path(cr);
    } else {
        cairo_save(cr);
        cairo_translate(cr, s.cx, s.cy);
        cairo_scale(cr, s.r, s.r * 0.6);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
    }
}

void setCairoColor(cairo_t* cr, uint32_t c) {
    cairo_set_source_rgba(cr, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0, (c >> 24) / 255.0);
}

struct Surface {
    std::vector<uint32_t> px = std::vector<uint32_t>(size_t(W) * H, 0xffffffff);
    Pixmap pm{ImageInfo::MakeN32Premul(W, H), px.data(), size_t(W) * 4};
    DrawTarget target{pm, IRect::MakeWH(W, H), nullptr};
};

void Plix_AAPaths(benchmark::State& st) {
    Surface s;
    std::vector<Path> paths;
    const auto sh = shapes(1000, 1);
    for (const Shape& x : sh) paths.push_back(shapePath(x));
    for (auto _ : st) {
        for (size_t i = 0; i < paths.size(); ++i) {
            Paint p;
            p.setColor(sh[i].color);
            p.antiAlias = true;
            drawPath(s.target, paths[i], Matrix(), p);
        }
    }
}

void Cairo_AAPaths(benchmark::State& st) {
    Surface s;
    cairo_surface_t* cs = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.px.data()),
                                                              CAIRO_FORMAT_ARGB32, W, H, W * 4);
    cairo_t* cr = cairo_create(cs);
    const auto sh = shapes(1000, 1);
    for (auto _ : st) {
        for (const Shape& x : sh) {
            setCairoColor(cr, x.color);
            cairoShape(cr, x);
            cairo_fill(cr);
        }
        cairo_surface_flush(cs);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(cs);
}

void Plix_SmallRects(benchmark::State& st) {
    Surface s;
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> u(0, 1);
    std::vector<Rect> rects;
    for (int i = 0; i < 10000; ++i) rects.push_back(Rect::MakeXYWH(std::floor(u(rng) * (W - 20)), std::floor(u(rng) * (H - 20)), 4 + std::floor(u(rng) * 16), 4 + std::floor(u(rng) * 16)));
    for (auto _ : st) {
        for (size_t i = 0; i < rects.size(); ++i) {
            Paint p;
            p.setColor(0xff000000u | uint32_t(i * 2654435761u >> 8));
            drawRect(s.target, rects[i], Matrix(), p);
        }
    }
}

void Cairo_SmallRects(benchmark::State& st) {
    Surface s;
    cairo_surface_t* cs = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.px.data()),
                                                              CAIRO_FORMAT_ARGB32, W, H, W * 4);
    cairo_t* cr = cairo_create(cs);
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> u(0, 1);
    std::vector<Rect> rects;
    for (int i = 0; i < 10000; ++i) rects.push_back(Rect::MakeXYWH(std::floor(u(rng) * (W - 20)), std::floor(u(rng) * (H - 20)), 4 + std::floor(u(rng) * 16), 4 + std::floor(u(rng) * 16)));
    for (auto _ : st) {
        for (size_t i = 0; i < rects.size(); ++i) {
            setCairoColor(cr, 0xff000000u | uint32_t(i * 2654435761u >> 8));
            cairo_rectangle(cr, rects[i].left, rects[i].top, rects[i].width(), rects[i].height());
            cairo_fill(cr);
        }
        cairo_surface_flush(cs);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(cs);
}

void Plix_StrokedPaths(benchmark::State& st) {
    Surface s;
    const auto sh = shapes(500, 3);
    std::vector<Path> paths;
    for (const Shape& x : sh) paths.push_back(shapePath(x));
    for (auto _ : st) {
        for (size_t i = 0; i < paths.size(); ++i) {
            Paint p;
            p.setColor(sh[i].color | 0xff000000u);
            p.antiAlias = true;
            p.style = PaintStyle::Stroke;
            p.strokeWidth = 4;
            p.join = StrokeJoin::Round;
            drawPath(s.target, paths[i], Matrix(), p);
        }
    }
}

void Cairo_StrokedPaths(benchmark::State& st) {
    Surface s;
    cairo_surface_t* cs = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.px.data()),
                                                              CAIRO_FORMAT_ARGB32, W, H, W * 4);
    cairo_t* cr = cairo_create(cs);
    cairo_set_line_width(cr, 4);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const auto sh = shapes(500, 3);
    for (auto _ : st) {
        for (const Shape& x : sh) {
            setCairoColor(cr, x.color | 0xff000000u);
            cairoShape(cr, x);
            cairo_stroke(cr);
        }
        cairo_surface_flush(cs);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(cs);
}

}  // namespace

BENCHMARK(Plix_AAPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_AAPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_SmallRects)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_SmallRects)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_StrokedPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_StrokedPaths)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
