// libFuzzer target for the compiler and both executors. An input is program text; a
// "// kind: colorfilter" or "// kind: blender" line picks the kind, as in the corpus. Programs
// that compile run on a few pixels through the fast executor and the reference (with the
// same math), which must agree exactly: a difference aborts, so the fuzzer finds wrong code
// as well as crashes. Programs whose fast run alone is slow are not compared (see below).
#include "sksl/Effect.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace plix;
using namespace plix::sksl;

namespace {

void child(void*, int n, const float* const* in, float* const* out) {
    for (int i = 0; i < n; ++i) {
        out[0][i] = in[0][i] * 0.5f;
        out[1][i] = in[1][i];
        out[2][i] = 0.25f;
        out[3][i] = 1;
    }
}

bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string source(reinterpret_cast<const char*>(data), size);
    ProgramKind kind = ProgramKind::Shader;
    if (source.find("// kind: colorfilter") != std::string::npos) kind = ProgramKind::ColorFilter;
    if (source.find("// kind: blender") != std::string::npos) kind = ProgramKind::Blender;
    std::string errors;
    sp<Effect> effect = Effect::Make(source, kind, &errors);
    if (!effect) {
        if (errors.rfind("error: ", 0) != 0) std::abort();  // every failure explains itself
        return 0;
    }
    constexpr int kPixels = 7;
    float x[kPixels], y[kPixels], c[4][kPixels], d[4][kPixels];
    for (int i = 0; i < kPixels; ++i) {
        x[i] = i * 1.5f - 3;
        y[i] = 2 - i * 0.75f;
        for (int k = 0; k < 4; ++k) {
            c[k][i] = 0.125f * (i + k);
            d[k][i] = 0.5f - 0.0625f * (i + k);
        }
    }
    std::vector<float> uniforms(effect->reflection().uniformSize / 4 + 1);
    for (size_t i = 0; i < uniforms.size(); ++i) uniforms[i] = 0.5f + static_cast<float>(i);
    std::vector<ChildEval> children(effect->reflection().children.size(), ChildEval{child, nullptr});
    float fast[4][kPixels], ref[4][kPixels];
    ExecArgs args;
    args.count = kPixels;
    args.x = x;
    args.y = y;
    for (int k = 0; k < 4; ++k) {
        args.color[k] = c[k];
        args.dst[k] = d[k];
    }
    args.uniforms = uniforms.data();
    args.children = children.data();
    for (int k = 0; k < 4; ++k) args.out[k] = fast[k];
    const std::clock_t start = std::clock();
    effect->run(args);
    // The reference walks the IR pixel by pixel, some hundred times slower: on a program near
    // the compiler's cost limit it would take a minute under the sanitizers and read as a hang.
    // Programs that heavy are run, not compared.
    if (double(std::clock() - start) / CLOCKS_PER_SEC > 0.02) return 0;
    for (int k = 0; k < 4; ++k) args.out[k] = ref[k];
    effect->runReference(args, ReferenceMath::FastMath);
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < kPixels; ++i) {
            if (!same(fast[k][i], ref[k][i])) {
                std::fprintf(stderr, "executors disagree at pixel %d channel %d: %g vs %g\n", i, k,
                             fast[k][i], ref[k][i]);
                std::abort();
            }
        }
    }
    return 0;
}
