// Our raster engine against cairo on the same scenes, on a 1024x768 BGRA8888 premultiplied
// surface: compare the Plix/... and Cairo/... times of each case. Scenes: 1,000 anti-aliased
// stars and ellipses, 10,000 small opaque rectangles, 3,000 translucent rectangles up to 128
// pixels wide, 500 stroked outlines with round joins, a full-surface linear gradient, and a
// 1024x1024 picture scaled to 640x347 with bilinear filtering. Each case runs several times,
// the two engines' runs interleaved in random order (the machine may be shared), and the end
// prints the median times and ours/cairo per scene.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/Image.h"
#include "raster/Draw.h"
#include "shaders/Shaders.h"

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

// Translucent rectangles at whole pixels: SrcOver of a solid colour over full runs, the 8-bit
// kernels' commonest work.
std::vector<Rect> translucentRects() {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(0, 1);
    std::vector<Rect> rects;
    for (int i = 0; i < 3000; ++i)
        rects.push_back(Rect::MakeXYWH(std::floor(u(rng) * (W - 130)), std::floor(u(rng) * (H - 130)),
                                       8 + std::floor(u(rng) * 120), 8 + std::floor(u(rng) * 120)));
    return rects;
}
uint32_t translucentColor(size_t i) { return uint32_t(0x20 + i % 0xc0) << 24 | uint32_t(i * 2654435761u >> 8 & 0xffffff); }

void Plix_TranslucentRects(benchmark::State& st) {
    Surface s;
    const std::vector<Rect> rects = translucentRects();
    for (auto _ : st) {
        for (size_t i = 0; i < rects.size(); ++i) {
            Paint p;
            p.setColor(translucentColor(i));
            drawRect(s.target, rects[i], Matrix(), p);
        }
    }
}

void Cairo_TranslucentRects(benchmark::State& st) {
    Surface s;
    cairo_surface_t* cs = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.px.data()),
                                                              CAIRO_FORMAT_ARGB32, W, H, W * 4);
    cairo_t* cr = cairo_create(cs);
    const std::vector<Rect> rects = translucentRects();
    for (auto _ : st) {
        for (size_t i = 0; i < rects.size(); ++i) {
            setCairoColor(cr, translucentColor(i));
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

// A full-surface linear gradient of two opaque colours along the diagonal.
void Plix_LinearGradient(benchmark::State& st) {
    Surface s;
    const Color4f colors[2] = {{0.1f, 0.3f, 0.8f, 1}, {0.9f, 0.7f, 0.1f, 1}};
    Paint p;
    p.shader = MakeLinearGradient({0, 0}, {float(W), float(H)}, GradientStops(colors, nullptr, 2), TileMode::Clamp);
    for (auto _ : st) drawRect(s.target, Rect::MakeWH(W, H), Matrix(), p);
}

void Cairo_LinearGradient(benchmark::State& st) {
    Surface s;
    cairo_surface_t* cs = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.px.data()),
                                                              CAIRO_FORMAT_ARGB32, W, H, W * 4);
    cairo_t* cr = cairo_create(cs);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, W, H);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.1, 0.3, 0.8, 1);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.9, 0.7, 0.1, 1);
    for (auto _ : st) {
        cairo_set_source(cr, g);
        cairo_rectangle(cr, 0, 0, W, H);
        cairo_fill(cr);
        cairo_surface_flush(cs);
    }
    cairo_pattern_destroy(g);
    cairo_destroy(cr);
    cairo_surface_destroy(cs);
}

// A 1024 x 1024 picture (smooth ramps and a grid), premultiplied BGRA.
std::vector<uint32_t> picture() {
    std::vector<uint32_t> px(1024 * 1024);
    for (uint32_t y = 0; y < 1024; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            const uint32_t grid = (x % 64 < 3 || y % 64 < 3) ? 0 : 255;
            px[y * 1024 + x] = 0xff000000u | (x / 4) << 16 | (y / 4 & grid) << 8 | ((x ^ y) & 255);
        }
    return px;
}

// The picture scaled to 640 x 347 with bilinear filtering.
void Plix_ImageScale(benchmark::State& st) {
    Surface s;
    auto src = picture();
    Pixmap pm(ImageInfo::MakeN32Premul(1024, 1024), src.data(), 1024 * 4);
    const Matrix scale = Matrix::Scale(640.0f / 1024, 347.0f / 1024);
    Paint p;
    p.shader = MakeImageShader(Image::MakeRasterCopy(pm), TileMode::Clamp, TileMode::Clamp,
                               SamplingOptions(FilterMode::Linear), &scale);
    for (auto _ : st) drawRect(s.target, Rect::MakeWH(640, 347), Matrix(), p);
}

void Cairo_ImageScale(benchmark::State& st) {
    Surface s;
    auto src = picture();
    cairo_surface_t* cs = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.px.data()),
                                                              CAIRO_FORMAT_ARGB32, W, H, W * 4);
    cairo_surface_t* img = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(src.data()),
                                                               CAIRO_FORMAT_ARGB32, 1024, 1024, 1024 * 4);
    cairo_t* cr = cairo_create(cs);
    for (auto _ : st) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, 0, 640, 347);
        cairo_scale(cr, 640.0 / 1024, 347.0 / 1024);
        cairo_set_source_surface(cr, img, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_surface_flush(cs);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(img);
    cairo_surface_destroy(cs);
}

}  // namespace

BENCHMARK(Plix_AAPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_AAPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_SmallRects)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_SmallRects)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_TranslucentRects)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_TranslucentRects)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_StrokedPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_StrokedPaths)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_LinearGradient)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_LinearGradient)->Unit(benchmark::kMillisecond);
BENCHMARK(Plix_ImageScale)->Unit(benchmark::kMillisecond);
BENCHMARK(Cairo_ImageScale)->Unit(benchmark::kMillisecond);
namespace {

// Collects every repetition's times and prints the medians side by side at the end.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // The repetitions' own runs, or (when only aggregates are reported) their median.
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            Times& t = fTimes[r.run_name.function_name];
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                t.real.clear(), t.cpu.clear();
                t.fromMedian = true;
            } else if (r.run_type != Run::RT_Iteration || t.fromMedian) {
                continue;
            }
            t.real.push_back(r.GetAdjustedRealTime());
            t.cpu.push_back(r.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        // The CPU-time ratio counts the calling thread only: our large fills may run on several.
        std::printf("\n%-16s %10s %10s %7s %12s\n", "scene (median)", "ours ms", "cairo ms", "ratio", "ratio (cpu)");
        for (const auto& [name, ours] : fTimes) {
            if (name.rfind("Plix_", 0) != 0) continue;
            const auto it = fTimes.find("Cairo_" + name.substr(5));
            if (it == fTimes.end()) continue;
            const double a = median(ours.real), b = median(it->second.real);
            std::printf("%-16s %10.3f %10.3f %7.2f %12.2f\n", name.substr(5).c_str(), a, b, a / b,
                        median(ours.cpu) / median(it->second.cpu));
        }
    }

private:
    struct Times {
        std::vector<double> real, cpu;  // per repetition, in the benchmark's unit (ms)
        bool fromMedian = false;
    };
    static double median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    std::map<std::string, Times> fTimes;
};

}  // namespace

int main(int argc, char** argv) {
    // Defaults first, so that flags given on the command line override them.
    std::vector<char*> args{argv[0]};
    char reps[] = "--benchmark_repetitions=7", interleave[] = "--benchmark_enable_random_interleaving=true",
         aggregates[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.end(), {reps, interleave, aggregates});
    args.insert(args.end(), argv + 1, argv + argc);
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
