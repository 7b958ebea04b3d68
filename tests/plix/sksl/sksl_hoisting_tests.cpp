// Work that is the same for every pixel moves to a prologue that runs once per runner: it must
// still give every pixel what the reference gives, and run again when the children change.
// Work after every lane has returned is skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sksl/Effect.h"

using namespace plix;
using namespace plix::sksl;

namespace {

// Layout from uniforms only (the cell size and origin of a board), temporaries reused across
// branches, and a child read at a fixed point beside one at the pixel.
const char* kProgram = R"(
    uniform float2 res;
    uniform shader state;
    float cell(float2 r) { return max(1.0, floor(min(r.y * 0.92 / 14.0, r.x / 24.0))); }
    half4 main(float2 p) {
        float cs = cell(res);
        float2 org = floor((res - float2(10, 14) * cs) * 0.5);
        float2 q = (p - org) / cs;
        half4 pinned = state.eval(float2(10.5, 0.5));
        float v = 0;
        if (q.x < 3) {
            float k = floor(res.x / 7) * 0.01;
            v = k + q.y * 0.001;
        } else {
            float k = floor(res.y / 5) * 0.02;
            v = k - q.x * 0.002;
        }
        half4 here = state.eval(floor(q) + 0.5);
        return half4(v, pinned.g + here.r, cs / 64, org.x / 640);
    })";

// A child that reports where it was read (and which child it is, by its scale).
void Child(void* context, int n, const float* const* in, float* const* out) {
    const float scale = *static_cast<const float*>(context);
    for (int i = 0; i < n; ++i) {
        out[0][i] = in[0][i] * scale;
        out[1][i] = in[1][i] * scale + in[0][i];
        out[2][i] = 0;
        out[3][i] = 1;
    }
}

struct Result {
    std::vector<float> c[4];
    explicit Result(int n) {
        for (auto& v : c) v.assign(size_t(n), 0);
    }
    void attach(ExecArgs& a, int start = 0) {
        for (int k = 0; k < 4; ++k) a.out[k] = c[k].data() + start;
    }
};

TEST(SkslHoisting, UniformOnlyWorkMovesToThePrologueAndPixelsMatchTheReference) {
    std::string errors;
    sp<Effect> e = Effect::Make(kProgram, ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    const SlotProgram& code = e->code();
    ASSERT_FALSE(code.prologue.empty());
    bool childUpFront = false, floorUpFront = false;
    for (const Inst& in : code.prologue) {
        childUpFront |= in.op == Op::child_shader;
        floorUpFront |= in.op == Op::floor_f;
    }
    EXPECT_TRUE(childUpFront);  // the read at (10.5, 0.5)
    EXPECT_TRUE(floorUpFront);  // the cell size

    const int n = 3 * kLanes + 11;
    std::vector<float> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) x[size_t(i)] = float(i % 97) * 6.5f + 0.5f, y[size_t(i)] = float(i / 7) * 3 + 0.5f;
    const float res[2] = {640, 347};
    float scale = 0.25f;
    const ChildEval children[1] = {{Child, &scale}};
    ExecArgs args;
    args.count = n;
    args.x = x.data();
    args.y = y.data();
    args.uniforms = res;
    args.children = children;
    Result reference(n), fast(n);
    reference.attach(args);
    RunReference(e->program(), args, ReferenceMath::FastMath);
    // In uneven calls through one runner, as a draw makes them.
    auto runner = e->makeRunner(res);
    for (int start = 0, step = 5; start < n; start += step, step = step * 7 % 61 + 1) {
        ExecArgs part = args;
        part.count = std::min(step, n - start);
        part.x = x.data() + start;
        part.y = y.data() + start;
        fast.attach(part, start);
        runner->run(part);
    }
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i) ASSERT_EQ(fast.c[k][size_t(i)], reference.c[k][size_t(i)]) << k << " " << i;
}

TEST(SkslHoisting, NewChildrenRunThePrologueAgain) {
    std::string errors;
    sp<Effect> e = Effect::Make(kProgram, ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    const float res[2] = {640, 347};
    float first = 0.25f, second = 2;
    const ChildEval one[1] = {{Child, &first}}, two[1] = {{Child, &second}};
    const float x = 300.5f, y = 100.5f;
    auto runner = e->makeRunner(res);
    float g = 0;
    ExecArgs args;
    args.count = 1;
    args.x = &x;
    args.y = &y;
    args.out[1] = &g;
    args.children = one;
    runner->run(args);
    const float withFirst = g;
    args.children = two;
    runner->run(args);
    // pinned.g + here.r: the fixed read is 0.5 * scale + 10.5, so the second child adds more.
    float expected = 0;
    ExecArgs ref = args;
    ref.uniforms = res;
    ref.out[1] = &expected;
    RunReference(e->program(), ref, ReferenceMath::FastMath);
    EXPECT_EQ(g, expected);
    EXPECT_NE(g, withFirst);
}

// Uniform work inside branches, loops and called functions, with temporaries that the branches
// share: the part that depends on uniforms only moves up front (sqrt appears only there), and
// values that differ between the branches or iterations stay put.
TEST(SkslHoisting, UniformWorkInsideBranchesAndCalledFunctionsMovesUpFront) {
    std::string errors;
    sp<Effect> e = Effect::Make(R"(
        uniform float2 res;
        uniform float t;
        float panel(float2 p, float2 r) {
            float w = sqrt(r.x * 0.25 + r.y);       // uniform
            if (p.x < w) return floor(r.y / 3) + p.y;  // uniform plus per pixel
            return p.x - w * 0.5;
        }
        half4 main(float2 p) {
            float v = 0;
            if (p.y < 7) {
                v = panel(p, res);
            } else {
                float k = floor(res.x / 9);          // same temporaries, other values
                v = k * 0.01 + (p.x < k ? 0.5 : 0.25);
            }
            float acc = 0;
            for (int i = 0; i < 3; ++i) {
                acc += floor(t * float(i + 1)) * 0.1;  // changes with i: stays in the loop
                if (acc > p.x) break;
            }
            return half4(v / 100, acc, p.x < 20 ? t : res.y / 400, 1);
        })",
                                 ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    const SlotProgram& code = e->code();
    auto has = [](const std::vector<Inst>& list, Op op) {
        return std::any_of(list.begin(), list.end(), [&](const Inst& in) { return in.op == op; });
    };
    EXPECT_TRUE(has(code.prologue, Op::sqrt_f));
    EXPECT_FALSE(has(code.code, Op::sqrt_f));

    const int n = 2 * kLanes + 30;
    std::vector<float> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) x[size_t(i)] = float(i % 41) + 0.5f, y[size_t(i)] = float(i % 13) + 0.5f;
    const float uniforms[3] = {640, 347, 2.75f};
    ExecArgs args;
    args.count = n;
    args.x = x.data();
    args.y = y.data();
    args.uniforms = uniforms;
    Result reference(n), fast(n);
    reference.attach(args);
    RunReference(e->program(), args, ReferenceMath::FastMath);
    auto runner = e->makeRunner(uniforms);
    for (int start = 0; start < n; start += 14) {
        ExecArgs part = args;
        part.count = std::min(14, n - start);
        part.x = x.data() + start;
        part.y = y.data() + start;
        fast.attach(part, start);
        runner->run(part);
    }
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < n; ++i) ASSERT_EQ(fast.c[k][size_t(i)], reference.c[k][size_t(i)]) << k << " " << i;
}

// Counts the points a child is asked for.
void CountingChild(void* context, int n, const float* const*, float* const* out) {
    *static_cast<int*>(context) += n;
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < n; ++i) out[c][i] = 0.5f;
}

TEST(SkslSkipping, NothingRunsInAFunctionOnceEveryLaneHasReturned) {
    std::string errors;
    sp<Effect> e = Effect::Make(R"(
        uniform shader c;
        float f(float2 p) {
            if (p.x < 1000) return 0.25;
            return c.eval(p).r;  // no pixel of the batch gets here
        }
        half4 main(float2 p) {
            if (p.y > 1000) return half4(0);
            return half4(f(p), c.eval(p).g, 0, 1);  // every pixel reads the child once here
        })",
                                 ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    int points = 0;
    const ChildEval child[1] = {{CountingChild, &points}};
    std::vector<float> x(40, 3.5f), y(40, 2.5f), r(40), g(40);
    ExecArgs args;
    args.count = 40;
    args.x = x.data();
    args.y = y.data();
    args.children = child;
    args.out[0] = r.data();
    args.out[1] = g.data();
    e->run(args);
    EXPECT_EQ(points, 40);
    EXPECT_EQ(r[0], 0.25f);
    EXPECT_EQ(g[39], 0.5f);
}

}  // namespace
