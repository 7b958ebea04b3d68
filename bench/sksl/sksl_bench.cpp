// Our SkSL CPU back end against the same shaders written by hand in scalar C++, on a 640 x 347
// RGBA8888 surface. Each shader is drawn through the real engine path (a runtime shader on a
// paint filling a raster surface) on one thread and on two, and by a hand-written loop that
// computes the same colours and stores the same bytes. Shaders:
//   plasma  a sum of four sines of the coordinates and time
//   loop8   an 8-step loop over a sine hash, with floor, sin and cos
//   grid    a 14 x 14 board of rounded, bevelled cells read from a half-float image at nearest
//           sampling, with smoothstep, length and mix
// Runs are repeated and interleaved (the machine may be shared); the end prints the medians, ours
// over the hand-written time (the target is at most 0.75 on one thread), and the speed-up of two
// threads over one. `sksl_bench --isa sse2|avx2|avx512` forces the executor's instruction set.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/Surface.h"
#include "core/Half.h"
#include "core/WorkerPool.h"
#include "effects/RuntimeEffects.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

constexpr int W = 640, H = 347;
constexpr float kTime = 1.7f;

uint8_t toByte(float v) { return uint8_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

// ---- plasma ----
const char* kPlasma = R"(
    uniform float t;
    half4 main(float2 p) {
        float2 q = p * 0.02;
        float v = sin(q.x * 10 + t) + sin(10 * (q.x * 0.6 + q.y * 0.8) + t) +
                  sin(length(q - 5) * 3 + t) + sin(q.y * 7 - t);
        return half4(0.5 + 0.125 * v, 0.5 - 0.125 * v, 0.25 * abs(v), 1);
    })";

void plasmaCpp(uint8_t* out) {
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x, out += 4) {
            const float qx = (x + 0.5f) * 0.02f, qy = (y + 0.5f) * 0.02f;
            const float dx = qx - 5, dy = qy - 5;
            const float v = std::sin(qx * 10 + kTime) + std::sin(10 * (qx * 0.6f + qy * 0.8f) + kTime) +
                            std::sin(std::sqrt(dx * dx + dy * dy) * 3 + kTime) + std::sin(qy * 7 - kTime);
            out[0] = toByte(0.5f + 0.125f * v);
            out[1] = toByte(0.5f - 0.125f * v);
            out[2] = toByte(0.25f * std::fabs(v));
            out[3] = 255;
        }
    }
}

// ---- loop8 ----
const char* kLoop8 = R"(
    uniform float t;
    float hash(float2 p) { return fract(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453); }
    half4 main(float2 p) {
        float2 q = floor(p / 4);
        float acc = 0;
        for (int i = 0; i < 8; i++) {
            float h = hash(q + float(i));
            acc += sin(h * 6.2831 + t) * cos(float(i) * 0.7 - t);
        }
        acc = 0.5 + acc / 16;
        return half4(acc, acc * acc, 1 - acc, 1);
    })";

void loop8Cpp(uint8_t* out) {
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x, out += 4) {
            const float qx = std::floor((x + 0.5f) / 4), qy = std::floor((y + 0.5f) / 4);
            float acc = 0;
            for (int i = 0; i < 8; ++i) {
                const float s = std::sin((qx + float(i)) * 12.9898f + (qy + float(i)) * 78.233f) * 43758.5453f;
                const float h = s - std::floor(s);
                acc += std::sin(h * 6.2831f + kTime) * std::cos(float(i) * 0.7f - kTime);
            }
            acc = 0.5f + acc / 16;
            out[0] = toByte(acc);
            out[1] = toByte(acc * acc);
            out[2] = toByte(1 - acc);
            out[3] = 255;
        }
    }
}

// ---- grid ----
const char* kGrid = R"(
    uniform float2 res;
    uniform shader board;
    half4 main(float2 p) {
        float cs = floor(min(res.x, res.y) / 14);
        float2 org = floor((res - 14 * cs) * 0.5);
        float2 q = (p - org) / cs;
        float2 cell = floor(q);
        float2 f = q - cell - 0.5;
        half4 c = board.eval(clamp(cell, 0, 13) + 0.5);
        float d = length(max(abs(f) - 0.32, 0)) - 0.1;
        float inside = smoothstep(0.04, -0.04, d);
        float bevel = smoothstep(-0.5, 0.5, -(f.x + f.y));
        float3 bg = mix(float3(0.05, 0.06, 0.1), float3(0.1, 0.1, 0.18), p.y / res.y);
        float3 tile = c.rgb * (0.7 + 0.5 * bevel);
        float onBoard = step(0, q.x) * step(0, q.y) * step(q.x, 14) * step(q.y, 14);
        return half4(mix(bg, tile, inside * c.a * onBoard), 1);
    })";

constexpr int kCells = 14;

// The board image: half floats, premultiplied, some cells empty.
std::vector<uint16_t> boardTexels() {
    std::vector<uint16_t> t(kCells * kCells * 4);
    for (int i = 0; i < kCells * kCells; ++i) {
        const bool empty = (i * 7) % 5 == 0;
        const float a = empty ? 0 : 1;
        const float rgb[3] = {float(i % 7) / 6, float(i % 5) / 4, float(i % 3) / 2};
        for (int c = 0; c < 3; ++c) t[size_t(i) * 4 + size_t(c)] = floatToHalf(rgb[c] * a);
        t[size_t(i) * 4 + 3] = floatToHalf(a);
    }
    return t;
}

float smoothstepCpp(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

float stepCpp(float edge, float x) { return x >= edge ? 1.0f : 0.0f; }

void gridCpp(uint8_t* out) {
    static const std::vector<uint16_t> texels = boardTexels();
    const float cs = std::floor(std::min(float(W), float(H)) / 14);
    const float ox = std::floor((W - 14 * cs) * 0.5f), oy = std::floor((H - 14 * cs) * 0.5f);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x, out += 4) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float qx = (px - ox) / cs, qy = (py - oy) / cs;
            const float cx = std::floor(qx), cy = std::floor(qy);
            const float fx = qx - cx - 0.5f, fy = qy - cy - 0.5f;
            const int tx = int(std::clamp(cx, 0.0f, 13.0f)), ty = int(std::clamp(cy, 0.0f, 13.0f));
            const uint16_t* texel = &texels[size_t(ty * kCells + tx) * 4];
            float c[4];
            for (int k = 0; k < 4; ++k) c[k] = halfToFloat(texel[k]);
            const float ax = std::max(std::fabs(fx) - 0.32f, 0.0f), ay = std::max(std::fabs(fy) - 0.32f, 0.0f);
            const float d = std::sqrt(ax * ax + ay * ay) - 0.1f;
            const float inside = smoothstepCpp(0.04f, -0.04f, d);
            const float bevel = smoothstepCpp(-0.5f, 0.5f, -(fx + fy));
            const float v = py / H;
            const float bg[3] = {0.05f + 0.05f * v, 0.06f + 0.04f * v, 0.1f + 0.08f * v};
            const float onBoard = stepCpp(0, qx) * stepCpp(0, qy) * stepCpp(qx, 14) * stepCpp(qy, 14);
            const float m = inside * c[3] * onBoard;
            for (int k = 0; k < 3; ++k) {
                const float tile = c[k] * (0.7f + 0.5f * bevel);
                out[k] = toByte(bg[k] + (tile - bg[k]) * m);
            }
            out[3] = 255;
        }
    }
}

// ---- the engine side ----

struct Scene {
    const char* name;
    const char* program;
    void (*cpp)(uint8_t*);
};

const Scene kScenes[] = {{"plasma", kPlasma, plasmaCpp}, {"loop8", kLoop8, loop8Cpp}, {"grid", kGrid, gridCpp}};

sp<Shader> makeShader(const Scene& s) {
    std::string errors;
    sp<sksl::Effect> effect = sksl::Effect::Make(s.program, sksl::ProgramKind::Shader, &errors);
    if (!effect) {
        std::fprintf(stderr, "%s: %s\n", s.name, errors.c_str());
        return nullptr;
    }
    RuntimeChildren children;
    std::vector<float> uniforms(effect->reflection().uniformSize / 4, kTime);
    if (std::strcmp(s.name, "grid") == 0) {
        uniforms = {float(W), float(H)};
        std::vector<uint16_t> texels = boardTexels();
        sp<Image> board = Image::MakeRasterCopy(
            Pixmap(ImageInfo::Make(kCells, kCells, ColorType::RGBAF16, AlphaType::Premul), texels.data(), kCells * 8));
        children.push_back(MakeImageShader(board, TileMode::Clamp, TileMode::Clamp, SamplingOptions(FilterMode::Nearest)));
    }
    return MakeRuntimeShader(effect, uniforms.data(), children);
}

// Draws the scene's shader over the whole surface, replacing its pixels as the hand-written
// loop does.
struct EngineScene {
    sp<Surface> surface = Surface::MakeRaster(ImageInfo::Make(W, H, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    Paint paint;
    explicit EngineScene(const Scene& s) {
        paint.shader = makeShader(s);
        paint.blender = make_sp<ModeBlender>(BlendMode::Src);
    }
    void draw() { surface->canvas()->drawPaint(paint); }
    const uint8_t* pixels() const { return static_cast<const uint8_t*>(surface->peekPixels().addr()); }
};

void Ours(benchmark::State& st, const Scene* s, int threads) {
    EngineScene e(*s);
    if (!e.paint.shader) return st.SkipWithError("the shader does not compile");
    SetWorkerLimit(threads);
    for (auto _ : st) e.draw();
    SetWorkerLimit(0);
}

void Cpp(benchmark::State& st, const Scene* s) {
    std::vector<uint8_t> out(size_t(W) * H * 4);
    for (auto _ : st) {
        s->cpp(out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

// The largest difference of a channel between the engine's picture and the hand-written one.
int maxDifference(const Scene& s) {
    EngineScene e(s);
    if (!e.paint.shader) return -1;
    e.draw();
    std::vector<uint8_t> out(size_t(W) * H * 4);
    s.cpp(out.data());
    int worst = 0;
    for (size_t i = 0; i < out.size(); ++i) worst = std::max(worst, std::abs(int(out[i]) - int(e.pixels()[i])));
    return worst;
}

// Collects every repetition's times and prints the medians side by side at the end.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred) continue;
            std::vector<double>& t = fTimes[r.run_name.function_name];
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") t = {r.GetAdjustedRealTime()}, fFromMedian = true;
            else if (r.run_type == Run::RT_Iteration && !fFromMedian) t.push_back(r.GetAdjustedRealTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nfast executor: %s; medians in ms; ratio = ours / hand-written C++\n", sksl::FastExecutorIsa());
        std::printf("%-8s %9s %9s %7s %9s %7s %9s %9s\n", "shader", "C++", "1 thread", "ratio", "2 threads",
                    "ratio", "speed-up", "max diff");
        for (const Scene& s : kScenes) {
            const double cpp = median("Cpp/" + std::string(s.name));
            const double one = median("Ours/" + std::string(s.name) + "/1thread");
            const double two = median("Ours/" + std::string(s.name) + "/2threads");
            if (cpp <= 0 || one <= 0 || two <= 0) continue;  // filtered out
            std::printf("%-8s %9.2f %9.2f %7.2f %9.2f %7.2f %8.2fx %9d\n", s.name, cpp, one, one / cpp, two, two / cpp,
                        one / two, maxDifference(s));
        }
    }

private:
    double median(const std::string& name) {
        std::vector<double> v = fTimes[name];
        if (v.empty()) return 0;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> fTimes;
    bool fFromMedian = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args{argv[0]};
    char reps[] = "--benchmark_repetitions=7", interleave[] = "--benchmark_enable_random_interleaving=true",
         aggregates[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.end(), {reps, interleave, aggregates});
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--isa") == 0 && i + 1 < argc) {
            if (!sksl::ForceFastExecutorIsa(argv[++i])) {
                std::fprintf(stderr, "this machine cannot run %s\n", argv[i]);
                return 1;
            }
        } else {
            args.push_back(argv[i]);
        }
    }
    for (const Scene& s : kScenes) {
        const std::string name = s.name;
        benchmark::RegisterBenchmark(("Cpp/" + name).c_str(), Cpp, &s)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("Ours/" + name + "/1thread").c_str(), Ours, &s, 1)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("Ours/" + name + "/2threads").c_str(), Ours, &s, 2)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
