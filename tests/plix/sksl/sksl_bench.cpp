// Compares the fast executor with hand-written scalar C++ doing the same work, side by side in
// one run, on three shader shapes: a plasma of four sines, an eight-step loop over a sine hash,
// and a grid of cells drawn with length/smoothstep/mix. Prints times and ratios.
//   sksl_bench [pixels-per-side [sse2|avx2|avx512]]
//   sksl_bench --file program.sksl [width height]   times one shader: uniforms 0.5 (ints 1),
//                                                    float2 uniforms the image size, children
//                                                    a colour made from the coordinates
#include "sksl/Effect.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace plix;
using namespace plix::sksl;

namespace {

struct Image {
    int n;
    std::vector<float> x, y, r, g, b, a;
    explicit Image(int side) : n(side * side), x(n), y(n), r(n), g(n), b(n), a(n) {
        for (int j = 0; j < side; ++j) {
            for (int i = 0; i < side; ++i) {
                x[j * side + i] = i + 0.5f;
                y[j * side + i] = j + 0.5f;
            }
        }
    }
};

double bestOf(int repeats, const std::function<void()>& fn) {
    double best = 1e30;
    for (int k = 0; k < repeats; ++k) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

const float kTime = 1.7f;

const char* kPlasma = R"(
    uniform float t;
    half4 main(float2 p) {
        float2 q = p * 0.02;
        float v = sin(q.x * 10 + t) + sin(10 * (q.x * 0.6 + q.y * 0.8) + t) +
                  sin(length(q - 5) * 3 + t) + sin(q.y * 7 - t);
        return half4(0.5 + 0.125 * v, 0.5 - 0.125 * v, 0.25 * abs(v), 1);
    })";

void plasmaCpp(Image& im) {
    for (int i = 0; i < im.n; ++i) {
        float qx = im.x[i] * 0.02f, qy = im.y[i] * 0.02f;
        float dx = qx - 5, dy = qy - 5;
        float v = std::sin(qx * 10 + kTime) + std::sin(10 * (qx * 0.6f + qy * 0.8f) + kTime) +
                  std::sin(std::sqrt(dx * dx + dy * dy) * 3 + kTime) + std::sin(qy * 7 - kTime);
        im.r[i] = 0.5f + 0.125f * v;
        im.g[i] = 0.5f - 0.125f * v;
        im.b[i] = 0.25f * std::fabs(v);
        im.a[i] = 1;
    }
}

const char* kHashLoop = R"(
    float hash(float2 p) { return fract(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453); }
    half4 main(float2 p) {
        float acc = 0;
        for (int i = 0; i < 8; i++) {
            acc += hash(p + float(i) * 0.37);
        }
        acc /= 8;
        return half4(acc, acc * acc, 1 - acc, 1);
    })";

float hashCpp(float x, float y) {
    float s = std::sin(x * 12.9898f + y * 78.233f) * 43758.5453f;
    return s - std::floor(s);
}

void hashLoopCpp(Image& im) {
    for (int i = 0; i < im.n; ++i) {
        float acc = 0;
        for (int k = 0; k < 8; ++k) acc += hashCpp(im.x[i] + k * 0.37f, im.y[i] + k * 0.37f);
        acc /= 8;
        im.r[i] = acc;
        im.g[i] = acc * acc;
        im.b[i] = 1 - acc;
        im.a[i] = 1;
    }
}

const char* kCells = R"(
    half4 main(float2 p) {
        float2 cell = fract(p / 32) - 0.5;
        float d = length(cell);
        float m = smoothstep(0.3, 0.28, d);
        float ring = smoothstep(0.05, 0.0, abs(d - 0.4));
        float3 c = mix(float3(0.1, 0.2, 0.3), float3(0.9, 0.8, 0.2), m);
        c = mix(c, float3(1), ring);
        return half4(c, 1);
    })";

float smoothstepCpp(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

void cellsCpp(Image& im) {
    for (int i = 0; i < im.n; ++i) {
        float cx = im.x[i] / 32, cy = im.y[i] / 32;
        cx = cx - std::floor(cx) - 0.5f;
        cy = cy - std::floor(cy) - 0.5f;
        float d = std::sqrt(cx * cx + cy * cy);
        float m = smoothstepCpp(0.3f, 0.28f, d);
        float ring = smoothstepCpp(0.05f, 0.0f, std::fabs(d - 0.4f));
        float c[3] = {0.1f + (0.9f - 0.1f) * m, 0.2f + (0.8f - 0.2f) * m, 0.3f + (0.2f - 0.3f) * m};
        for (float& v : c) v = v + (1 - v) * ring;
        im.r[i] = c[0];
        im.g[i] = c[1];
        im.b[i] = c[2];
        im.a[i] = 1;
    }
}

void compare(const char* name, const char* src, void (*cpp)(Image&), int side) {
    std::string errors;
    sp<Effect> effect = Effect::Make(src, ProgramKind::Shader, &errors);
    if (!effect) {
        std::printf("%s: %s\n", name, errors.c_str());
        return;
    }
    Image a(side), b(side);
    ExecArgs args;
    args.count = a.n;
    args.x = a.x.data();
    args.y = a.y.data();
    args.uniforms = &kTime;
    args.out[0] = a.r.data();
    args.out[1] = a.g.data();
    args.out[2] = a.b.data();
    args.out[3] = a.a.data();
    const int repeats = 7;
    double tEffect = bestOf(repeats, [&] { effect->run(args); });
    // As a draw runs it: one runner, then one call per 64-pixel batch.
    auto runner = effect->makeRunner(&kTime);
    double tBatches = bestOf(repeats, [&] {
        ExecArgs part = args;
        for (int start = 0; start < a.n; start += 64) {
            part.count = std::min(64, a.n - start);
            part.x = a.x.data() + start;
            part.y = a.y.data() + start;
            part.out[0] = a.r.data() + start;
            part.out[1] = a.g.data() + start;
            part.out[2] = a.b.data() + start;
            part.out[3] = a.a.data() + start;
            runner->run(part);
        }
    });
    double tCpp = bestOf(repeats, [&] { cpp(b); });
    double maxDiff = 0;
    for (int i = 0; i < a.n; ++i) {
        maxDiff = std::max({maxDiff, double(std::fabs(a.r[i] - b.r[i])),
                            double(std::fabs(a.g[i] - b.g[i])), double(std::fabs(a.b[i] - b.b[i]))});
    }
    std::printf("%-10s effect %7.2f ms (in 64-pixel calls %7.2f ms)   scalar C++ %7.2f ms   "
                "C++/effect %5.2fx   max diff %.2g   (%d instructions)\n",
                name, tEffect, tBatches, tCpp, tCpp / std::max(tEffect, tBatches), maxDiff,
                static_cast<int>(effect->code().code.size()));
}

}  // namespace

void timeFile(const char* path, int width, int height) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::printf("cannot read %s\n", path);
        return;
    }
    std::string src;
    char buf[4096];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) src.append(buf, got);
    std::fclose(f);
    std::string errors;
    auto t0 = std::chrono::steady_clock::now();
    sp<Effect> effect = Effect::Make(src, ProgramKind::Shader, &errors);
    double compileMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (!effect) {
        std::printf("%s", errors.c_str());
        return;
    }
    std::vector<uint32_t> uniforms(effect->reflection().uniformSize / 4 + 1);
    for (const UniformInfo& u : effect->reflection().uniforms) {
        for (size_t k = 0; k < u.size / 4; ++k) {
            float v = u.type == UniformType::Float2 ? (k == 0 ? float(width) : float(height)) : 0.5f;
            int32_t iv = 1;
            std::memcpy(&uniforms[u.offset / 4 + k], u.type >= UniformType::Int ? (void*)&iv : (void*)&v, 4);
        }
    }
    ChildEval child{[](void*, int n, const float* const* in, float* const* out) {
                        for (int i = 0; i < n; ++i) {
                            out[0][i] = in[0][i] / 16;
                            out[1][i] = in[1][i] / 16;
                            out[2][i] = 0.5f;
                            out[3][i] = 1;
                        }
                    },
                    nullptr};
    std::vector<ChildEval> children(effect->reflection().children.size(), child);
    Image im(1);
    im = Image(std::max(width, height));
    const int n = width * height;
    std::vector<float> x(n), y(n);
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            x[j * width + i] = i + 0.5f;
            y[j * width + i] = j + 0.5f;
        }
    }
    auto runner = effect->makeRunner(uniforms.data());
    double ms = bestOf(5, [&] {
        ExecArgs part;
        part.children = children.data();
        for (int start = 0; start < n; start += 64) {
            part.count = std::min(64, n - start);
            part.x = x.data() + start;
            part.y = y.data() + start;
            part.out[0] = im.r.data() + start;
            part.out[1] = im.g.data() + start;
            part.out[2] = im.b.data() + start;
            part.out[3] = im.a.data() + start;
            runner->run(part);
        }
    });
    std::printf("%s: compiled in %.1f ms (%d instructions, %d slots); %d x %d pixels in %.2f ms\n",
                path, compileMs, static_cast<int>(effect->code().code.size()),
                effect->code().slotCount, width, height, ms);
}

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--file") {
        timeFile(argv[2], argc > 4 ? std::atoi(argv[3]) : 640, argc > 4 ? std::atoi(argv[4]) : 347);
        return 0;
    }
    int side = argc > 1 ? std::atoi(argv[1]) : 512;
    if (argc > 2 && !ForceFastExecutorIsa(argv[2])) {
        std::printf("this machine cannot run %s\n", argv[2]);
        return 1;
    }
    std::printf("%d x %d pixels, fast executor on %s, %d lanes\n", side, side, FastExecutorIsa(), kLanes);
    compare("plasma", kPlasma, plasmaCpp, side);
    compare("hash-loop", kHashLoop, hashLoopCpp, side);
    compare("cells", kCells, cellsCpp, side);
    return 0;
}
