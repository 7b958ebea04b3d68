// Accuracy of the fast executor's math against the C library, through compiled programs, on
// every instruction set the machine has. Tolerances are stated per function.
#include "sksl/Effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace plix::sksl::test {
namespace {

// Runs "half4 main(float2 p) { return half4(EXPR, 0, 0, 0); }" over (x[i], y[i]).
std::vector<float> evaluate(const std::string& expr, const std::vector<float>& x,
                            const std::vector<float>& y) {
    std::string errors;
    sp<Effect> e = Effect::Make("half4 main(float2 p) { return half4(" + expr + ", 0, 0, 0); }",
                                ProgramKind::Shader, &errors);
    EXPECT_TRUE(e) << errors;
    std::vector<float> out(x.size());
    if (!e) return out;
    ExecArgs args;
    args.count = static_cast<int>(x.size());
    args.x = x.data();
    args.y = y.data();
    args.out[0] = out.data();
    e->run(args);
    return out;
}

std::vector<float> sweep(float lo, float hi, int n) {
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = lo + (hi - lo) * static_cast<float>(i) / (n - 1);
    return v;
}

struct Accuracy {
    const char* expr;
    std::function<double(double, double)> exact;
    float xlo, xhi, ylo, yhi;
    double absTol, relTol;  // error must be <= absTol + relTol * |exact|
};

const char* kIsas[] = {"sse2", "avx2", "avx512"};

TEST(SkslMath, AccuracyAgainstTheCLibrary) {
    const Accuracy cases[] = {
        {"sin(p.x)", [](double x, double) { return std::sin(x); }, -100, 100, 0, 0, 2e-7, 0},
        {"cos(p.x)", [](double x, double) { return std::cos(x); }, -100, 100, 0, 0, 2e-7, 0},
        {"sin(p.x)", [](double x, double) { return std::sin(x); }, -60000, 60000, 0, 0, 1e-6, 0},
        {"sin(p.x)", [](double x, double) { return std::sin(x); }, 1e5, 1e7, 0, 0, 1e-6, 0},
        {"tan(p.x)", [](double x, double) { return std::tan(x); }, -1.4f, 1.4f, 0, 0, 0, 1e-6},
        {"asin(p.x)", [](double x, double) { return std::asin(x); }, -1, 1, 0, 0, 4e-7, 0},
        {"acos(p.x)", [](double x, double) { return std::acos(x); }, -1, 1, 0, 0, 4e-7, 0},
        {"atan(p.x)", [](double x, double) { return std::atan(x); }, -50, 50, 0, 0, 3e-7, 0},
        {"atan(p.y, p.x)", [](double x, double y) { return std::atan2(y, x); }, -3, 3, -2, 2, 5e-7, 0},
        {"exp(p.x)", [](double x, double) { return std::exp(x); }, -80, 80, 0, 0, 0, 1e-5},
        {"exp2(p.x)", [](double x, double) { return std::exp2(x); }, -120, 120, 0, 0, 0, 5e-7},
        {"log(p.x)", [](double x, double) { return std::log(x); }, 1e-6f, 1e6f, 0, 0, 2e-7, 2e-7},
        {"log2(p.x)", [](double x, double) { return std::log2(x); }, 1e-6f, 1e6f, 0, 0, 3e-7, 3e-7},
        {"pow(p.x, p.y)", [](double x, double y) { return std::pow(x, y); }, 0.01f, 20, -3, 3, 0, 1e-5},
        {"sqrt(p.x)", [](double x, double) { return std::sqrt(x); }, 0, 1e4, 0, 0, 0, 1.2e-7},
        {"inversesqrt(p.x)", [](double x, double) { return 1 / std::sqrt(x); }, 1e-3f, 1e4, 0, 0, 0, 2.4e-7},
        {"toLinearSrgb(half3(p.x)).r",
         [](double x, double) { return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4); },
         0, 1, 0, 0, 1e-6, 1e-5},
        {"fromLinearSrgb(half3(p.x)).r",
         [](double x, double) { return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055; },
         0, 1, 0, 0, 1e-6, 1e-5},
    };
    for (const char* isa : kIsas) {
        if (!ForceFastExecutorIsa(isa)) continue;
        for (const Accuracy& c : cases) {
            const int n = 20001;
            std::vector<float> x = sweep(c.xlo, c.xhi, n), y = sweep(c.ylo, c.yhi, n);
            std::vector<float> got = evaluate(c.expr, x, y);
            double worst = 0;
            int worstAt = 0;
            for (int i = 0; i < n; ++i) {
                double want = c.exact(x[i], y[i]);
                double err = std::fabs(got[i] - want) / (c.absTol + c.relTol * std::fabs(want));
                if (!(err <= worst)) {
                    worst = err;
                    worstAt = i;
                }
            }
            EXPECT_LE(worst, 1.0) << isa << " " << c.expr << " at x = " << x[worstAt]
                                  << ", y = " << y[worstAt] << ": " << got[worstAt] << " vs "
                                  << c.exact(x[worstAt], y[worstAt]);
        }
    }
    ForceFastExecutorIsa(nullptr);
}

// Exact functions are exact, and special values come out as the reference executor defines
// them (the int conversions, NaN in min, max, clamp and step as the reference engine gives them).
TEST(SkslMath, ExactFunctionsAndSpecialValues) {
    const float inf = INFINITY, nan = NAN;
    struct Case {
        const char* expr;
        float x, y, want;  // NaN: want NaN
    } cases[] = {
        {"floor(p.x)", -0.0f, 0, -0.0f}, {"floor(p.x)", -2.5f, 0, -3},
        {"floor(p.x)", 8388609.0f, 0, 8388609.0f}, {"floor(p.x)", -1e30f, 0, -1e30f},
        {"ceil(p.x)", -0.25f, 0, -0.0f}, {"ceil(p.x)", 2.0001f, 0, 3},
        {"fract(p.x)", -1.25f, 0, 0.75f}, {"mod(p.x, p.y)", -1, 3, 2},
        {"sqrt(p.x)", -1, 0, nan}, {"log(p.x)", 0, 0, -inf}, {"log(p.x)", -1, 0, nan},
        {"log2(p.x)", inf, 0, inf}, {"exp(p.x)", 1000, 0, inf}, {"exp(p.x)", -1000, 0, 0},
        {"exp2(p.x)", nan, 0, nan}, {"pow(p.x, p.y)", -2, 2, nan}, {"pow(p.x, p.y)", 0, 2, 0},
        {"asin(p.x)", 1.5f, 0, nan}, {"sin(p.x)", nan, 0, nan}, {"sin(p.x)", inf, 0, nan},
        {"sin(p.x)", 1e20f, 0, 0}, {"atan(p.y, p.x)", 0, 0, 0},
        {"atan(p.y, p.x)", -0.0f, 1, 1.5707964f}, {"sign(p.x)", -0.0f, 0, 0},
        {"float(int(p.x))", nan, 0, 0}, {"float(int(p.x))", 3e9f, 0, 2147483648.0f},
        {"float(int(p.x))", -3e9f, 0, -2147483648.0f},
        // A NaN operand of min and max loses, so clamp, saturate and smoothstep give a bound;
        // step(e, x) is x >= e.
        {"clamp(p.x / p.y, 0.0, 1.0)", 0, 0, 0}, {"saturate(p.x / p.y)", 0, 0, 0},
        {"max(p.x / p.y, 0.5)", 0, 0, 0.5f}, {"min(0.5, p.x / p.y)", 0, 0, 0.5f},
        {"smoothstep(p.x, p.x, p.y)", 2, 2, 0}, {"step(p.x / p.y, 1.0)", 0, 0, 0},
        {"step(1.0, p.x / p.y)", 0, 0, 0},
        {"float(int(p.x))", -2.9f, 0, -2}, {"float(int(p.x) / int(p.y))", 7, 0, -7},
        {"float(int(p.x) / int(p.y))", -3, 0, 3},
        {"float(int(p.x) / int(p.y))", -2147483648.0f, -1, -2147483648.0f},
    };
    for (const char* isa : kIsas) {
        if (!ForceFastExecutorIsa(isa)) continue;
        for (const Case& c : cases) {
            std::vector<float> got = evaluate(c.expr, {c.x}, {c.y});
            if (std::isnan(c.want)) {
                EXPECT_TRUE(std::isnan(got[0])) << isa << " " << c.expr << " at " << c.x << ": " << got[0];
            } else {
                EXPECT_EQ(got[0], c.want) << isa << " " << c.expr << " at " << c.x << ", " << c.y;
                EXPECT_EQ(std::signbit(got[0]), std::signbit(c.want)) << isa << " " << c.expr << " at " << c.x;
            }
        }
    }
    ForceFastExecutorIsa(nullptr);
}

}  // namespace
}  // namespace plix::sksl::test
