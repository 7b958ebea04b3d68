// The spare lanes of a short batch (fewer pixels than a batch holds) must not make a branch run
// that none of the real pixels takes, nor change what the real pixels get.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sksl/Effect.h"

using namespace plix;
using namespace plix::sksl;

namespace {

// Every pixel reads the child once at its point. The two guarded reads are taken by no real
// pixel (x >= 0.5 and the child gives 0.5), so a run reads exactly one point per pixel unless
// lanes without a pixel enter them.
const char* kProgram = R"(
    uniform shader c;
    float edge(float2 p) {
        if (p.x < 0.25) return c.eval(p * 3).g;  // left of every pixel
        return 0.75;
    }
    half4 main(float2 p) {
        half4 k = c.eval(p);
        if (k.r < 0.25) return c.eval(p * 2);  // darker than the child ever is
        float e = edge(p);
        return half4(k.r * e, p.x / 128, p.y / 16, 1);
    })";

// Gives 0.5 everywhere and counts the points it is asked for.
void CountingChild(void* context, int n, const float* const*, float* const* out) {
    *static_cast<int*>(context) += n;
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < n; ++i) out[c][i] = 0.5f;
}

struct Channels {
    std::vector<float> c[4];
    explicit Channels(int n) {
        for (auto& v : c) v.assign(size_t(n), -1);
    }
    void attach(ExecArgs& a, int start = 0) {
        for (int k = 0; k < 4; ++k) a.out[k] = c[k].data() + start;
    }
};

TEST(SkslLanes, ShortBatchesSkipBranchesNoPixelTakesAndMatchTheReference) {
    std::string errors;
    sp<Effect> e = Effect::Make(kProgram, ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    for (const char* isa : {"avx512", "avx2", "sse2"}) {
        if (!ForceFastExecutorIsa(isa)) continue;  // not on this machine
        for (int width = 1; width <= 2 * kLanes + 6; ++width) {
            SCOPED_TRACE(testing::Message() << isa << " " << width);
            std::vector<float> x(static_cast<size_t>(width)), y(static_cast<size_t>(width));
            for (int i = 0; i < width; ++i) {
                x[size_t(i)] = float(i) + 0.5f;
                y[size_t(i)] = float(i % 5) + 0.5f;
            }
            int points = 0;
            const ChildEval child[1] = {{CountingChild, &points}};
            ExecArgs args;
            args.count = width;
            args.x = x.data();
            args.y = y.data();
            args.children = child;

            Channels reference(width), whole(width), rows(width);
            reference.attach(args);
            RunReference(e->program(), args, ReferenceMath::FastMath);
            points = 0;

            // One call (a full batch and a short one past kLanes).
            whole.attach(args);
            e->run(args);
            EXPECT_EQ(points, width);

            // Rows of the width through one runner, as a draw into a small image makes them.
            points = 0;
            auto runner = e->makeRunner(nullptr);
            for (int start = 0; start < width; start += 14) {
                ExecArgs row = args;
                row.count = std::min(14, width - start);
                row.x = x.data() + start;
                row.y = y.data() + start;
                rows.attach(row, start);
                runner->run(row);
            }
            EXPECT_EQ(points, width);

            for (int k = 0; k < 4; ++k) {
                for (int i = 0; i < width; ++i) {
                    ASSERT_EQ(whole.c[k][size_t(i)], reference.c[k][size_t(i)]) << k << " " << i;
                    ASSERT_EQ(rows.c[k][size_t(i)], reference.c[k][size_t(i)]) << k << " " << i;
                }
            }
        }
    }
    ForceFastExecutorIsa(nullptr);
}

// A branch that only some real pixels of a short batch take still gives each pixel its own
// side, whichever pixel is last in the batch.
TEST(SkslLanes, BranchesSplitInsideAShortBatchGiveEachPixelItsSide) {
    std::string errors;
    sp<Effect> e = Effect::Make(R"(
        uniform shader c;
        half4 main(float2 p) {
            if (p.x > 6) return half4(c.eval(p).r, 0, 0, 1);
            return half4(0, p.x, 0, 1);
        })",
                                 ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    for (int width : {1, 6, 7, 13, 63, 64, 65}) {
        for (bool rising : {true, false}) {
            SCOPED_TRACE(testing::Message() << width << (rising ? " rising" : " falling"));
            std::vector<float> x(static_cast<size_t>(width)), y(static_cast<size_t>(width), 0.5f);
            for (int i = 0; i < width; ++i) x[size_t(i)] = float(rising ? i : width - 1 - i) + 0.5f;
            int points = 0;
            const ChildEval child[1] = {{CountingChild, &points}};
            ExecArgs args;
            args.count = width;
            args.x = x.data();
            args.y = y.data();
            args.children = child;
            Channels out(width);
            out.attach(args);
            e->run(args);
            for (int i = 0; i < width; ++i) {
                const bool right = x[size_t(i)] > 6;
                EXPECT_EQ(out.c[0][size_t(i)], right ? 0.5f : 0.0f) << i;
                EXPECT_EQ(out.c[1][size_t(i)], right ? 0.0f : x[size_t(i)]) << i;
            }
        }
    }
}

}  // namespace
