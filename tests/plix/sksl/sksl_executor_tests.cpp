// The CPU back end: hand-worked results, the fast executor against the reference on seeded
// random programs, batches of every length, children, instruction sets, and threads.
#include "CorpusFile.h"
#include "EffectRunner.h"
#include "ProgramGenerator.h"
#include "sksl/Effect.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>

namespace plix::sksl::test {
namespace {

sp<Effect> make(const std::string& src, ProgramKind kind = ProgramKind::Shader) {
    std::string errors;
    sp<Effect> e = Effect::Make(src, kind, &errors);
    EXPECT_TRUE(e) << errors << "\n" << src;
    return e;
}

struct Outputs {
    std::vector<float> c[4];
    explicit Outputs(int n, float fill = 0) {
        for (auto& v : c) v.assign(n, fill);
    }
    void attach(ExecArgs& a) {
        for (int k = 0; k < 4; ++k) a.out[k] = c[k].data();
    }
};

// Same value, counting every NaN as equal to every NaN and +0 as equal to -0.
bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// A 3 x 3 grid of pixel centres worked out by hand.
TEST(SkslExecutor, HandWorkedGrid) {
    sp<Effect> e = make(R"(
        half4 main(float2 p) {
            float2 q = floor(p);              // 0, 1, 2
            float r = q.x / 2;                // 0, 0.5, 1
            float g = q.x * q.y;              // 0 .. 4
            float b = q.y > 0 ? 1 : 0;
            return half4(r, g, b, 1);
        })");
    ASSERT_TRUE(e);
    std::vector<float> x, y;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            x.push_back(i + 0.5f);
            y.push_back(j + 0.5f);
        }
    }
    Outputs out(9);
    ExecArgs args;
    args.count = 9;
    args.x = x.data();
    args.y = y.data();
    out.attach(args);
    e->run(args);
    const float r[9] = {0, 0.5f, 1, 0, 0.5f, 1, 0, 0.5f, 1};
    const float g[9] = {0, 0, 0, 0, 1, 2, 0, 2, 4};
    const float b[9] = {0, 0, 0, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(out.c[0][i], r[i]) << i;
        EXPECT_EQ(out.c[1][i], g[i]) << i;
        EXPECT_EQ(out.c[2][i], b[i]) << i;
        EXPECT_EQ(out.c[3][i], 1.0f) << i;
    }
}

// Batches of every length up to a few batches: each pixel is computed from its own
// coordinates (so a mix-up between lanes shows), nothing is written past the count, and the
// loop and branch masks work in the last, partial batch.
TEST(SkslExecutor, EveryBatchLength) {
    sp<Effect> e = make(R"(
        half4 main(float2 p) {
            float s = 0;
            for (int i = 0; i < 8; i++) {
                if (float(i) > p.x) break;
                s += 1;
            }
            if (p.y < 0) return half4(-1);
            return half4(p.x, p.y, s, 1);
        })");
    ASSERT_TRUE(e);
    for (int n = 1; n <= 3 * kLanes + 1; ++n) {
        std::vector<float> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = static_cast<float>(i % 9);
            y[i] = (i % 3 == 2) ? -1.0f : static_cast<float>(i);
        }
        Outputs out(n + 5, 123.0f);  // five canaries past the end
        ExecArgs args;
        args.count = n;
        args.x = x.data();
        args.y = y.data();
        out.attach(args);
        e->run(args);
        for (int i = 0; i < n; ++i) {
            if (y[i] < 0) {
                EXPECT_EQ(out.c[0][i], -1.0f) << "n " << n << " pixel " << i;
                continue;
            }
            EXPECT_EQ(out.c[0][i], x[i]) << "n " << n << " pixel " << i;
            EXPECT_EQ(out.c[1][i], y[i]) << "n " << n << " pixel " << i;
            EXPECT_EQ(out.c[2][i], std::min(8.0f, std::floor(x[i]) + 1)) << "n " << n << " pixel " << i;
        }
        for (int i = n; i < n + 5; ++i) {
            for (int k = 0; k < 4; ++k) EXPECT_EQ(out.c[k][i], 123.0f) << "canary n " << n;
        }
    }
}

// A positive whole number from the environment, or the fallback when unset or malformed.
int envCount(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*end || v < 1 || v > 100000000) {
        ADD_FAILURE() << name << " must be a whole number from 1 up, not \"" << text << "\"";
        return fallback;
    }
    return static_cast<int>(v);
}

// The fast executor computes exactly what the reference computes with the same math, on
// random programs and random pixels; run on 37 pixels so the last batch is partial.
// SKSL_RANDOM_PROGRAMS sets how many programs (300 by default) and SKSL_FIRST_PROGRAM the
// first seed (1), for longer local runs in pieces.
TEST(SkslExecutor, RandomProgramsMatchTheReference) {
    const int kPrograms = envCount("SKSL_RANDOM_PROGRAMS", 300);
    const int first = envCount("SKSL_FIRST_PROGRAM", 1);
    constexpr int kPixels = 37;
    int compiled = 0;
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> coord(-20, 20);
    for (int seed = 1; seed < first + kPrograms; ++seed) {
        // The pixels come from one stream drawn for every seed, so a program gets the same
        // pixels whatever the first seed of the run.
        std::vector<float> x(kPixels), y(kPixels);
        for (int i = 0; i < kPixels; ++i) {
            x[i] = coord(rng);
            y[i] = coord(rng);
        }
        float u[4] = {coord(rng), coord(rng), coord(rng), coord(rng)};
        if (seed < first) continue;
        ProgramGenerator gen(static_cast<uint32_t>(seed));
        std::string src = gen.shader();
        std::string errors;
        sp<Effect> e = Effect::Make(src, ProgramKind::Shader, &errors);
        if (!e) {
            ADD_FAILURE() << "generated program " << seed << " does not compile:\n" << errors << src;
            continue;
        }
        ++compiled;
        // The child: colour from the coordinates, as a pure function.
        ChildEval child{[](void*, int n, const float* const* in, float* const* out) {
                            for (int i = 0; i < n; ++i) {
                                out[0][i] = std::sin(in[0][i]);
                                out[1][i] = in[1][i] * 0.5f;
                                out[2][i] = in[0][i] - in[1][i];
                                out[3][i] = 1;
                            }
                        },
                        nullptr};
        Outputs fast(kPixels), ref(kPixels);
        ExecArgs args;
        args.count = kPixels;
        args.x = x.data();
        args.y = y.data();
        args.uniforms = u;
        args.children = &child;
        fast.attach(args);
        e->run(args);
        ref.attach(args);
        e->runReference(args, ReferenceMath::FastMath);
        int mismatches = 0;
        for (int i = 0; i < kPixels && mismatches < 3; ++i) {
            for (int k = 0; k < 4; ++k) {
                if (!same(fast.c[k][i], ref.c[k][i])) {
                    ++mismatches;
                    ADD_FAILURE() << "program " << seed << " pixel " << i << " channel " << k
                                  << ": fast " << fast.c[k][i] << ", reference " << ref.c[k][i]
                                  << "\n" << (mismatches == 1 ? src : "");
                }
            }
        }
    }
    EXPECT_EQ(compiled, kPrograms);
}

// Each instruction set the machine has computes the same bits.
TEST(SkslExecutor, InstructionSetsAgree) {
    const char* isas[] = {"sse2", "avx2", "avx512"};
    for (int seed = 1; seed <= 60; ++seed) {
        ProgramGenerator gen(static_cast<uint32_t>(1000 + seed));
        sp<Effect> e = make(gen.shader());
        if (!e) continue;
        const int n = 21;
        std::vector<float> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = i * 0.7f - 5;
            y[i] = 3 - i * 0.3f;
        }
        float u[4] = {0.5f, -1.25f, 2, 7};
        std::vector<Outputs> results;
        for (const char* isa : isas) {
            if (!ForceFastExecutorIsa(isa)) continue;
            results.emplace_back(n);
            ExecArgs args;
            args.count = n;
            args.x = x.data();
            args.y = y.data();
            args.uniforms = u;
            results.back().attach(args);
            e->run(args);
        }
        ForceFastExecutorIsa(nullptr);
        for (size_t r = 1; r < results.size(); ++r) {
            for (int k = 0; k < 4; ++k) {
                for (int i = 0; i < n; ++i) {
                    ASSERT_TRUE(same(results[0].c[k][i], results[r].c[k][i]))
                            << "seed " << seed << " pixel " << i;
                }
            }
        }
    }
    EXPECT_FALSE(ForceFastExecutorIsa("mmx"));
}

// A child sampled in some pixels only: it is asked for the batch's live pixels and sees zero
// coordinates (not junk) in the lanes that skip it.
TEST(SkslExecutor, ChildSeesCleanInputs) {
    sp<Effect> e = make(R"(
        uniform shader tex;
        half4 main(float2 p) {
            float junk = sqrt(-p.x);                 // NaN everywhere
            return p.x < 2 ? tex.eval(float2(p.x, junk)) : half4(0.5);
        })");
    ASSERT_TRUE(e);
    struct Seen {
        std::vector<int> counts;
        std::vector<float> xs;
        bool sawNaNInSkippedLane = false;
    } seen;
    ChildEval child{[](void* ctx, int n, const float* const* in, float* const* out) {
                        auto* s = static_cast<Seen*>(ctx);
                        s->counts.push_back(n);
                        for (int i = 0; i < n; ++i) {
                            s->xs.push_back(in[0][i]);
                            if (in[0][i] >= 2 && std::isnan(in[1][i])) s->sawNaNInSkippedLane = true;
                            for (int k = 0; k < 4; ++k) out[k][i] = in[0][i];
                        }
                    },
                    &seen};
    const int n = kLanes + 3;
    std::vector<float> x(n), y(n, 0);
    for (int i = 0; i < n; ++i) x[i] = static_cast<float>(i % 4);
    Outputs out(n);
    ExecArgs args;
    args.count = n;
    args.x = x.data();
    args.y = y.data();
    args.children = &child;
    out.attach(args);
    e->run(args);
    EXPECT_EQ(seen.counts, (std::vector<int>{kLanes, 3}));
    EXPECT_FALSE(seen.sawNaNInSkippedLane);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(out.c[0][i], x[i] < 2 ? x[i] : 0.5f) << i;
        // lanes that skip the child pass 0 for x
        if (x[i] >= 2) {
            EXPECT_EQ(seen.xs[i], 0.0f) << i;
        }
    }
}

// One effect run from several threads at once gives each the same result.
TEST(SkslExecutor, ConcurrentRuns) {
    ProgramGenerator gen(77);
    sp<Effect> e = make(gen.shader());
    ASSERT_TRUE(e);
    const int n = 500;
    std::vector<float> x(n), y(n);
    for (int i = 0; i < n; ++i) {
        x[i] = i * 0.01f;
        y[i] = -i * 0.02f;
    }
    float u[4] = {1, 2, 3, 4};
    auto runOnce = [&](Outputs& o) {
        ExecArgs args;
        args.count = n;
        args.x = x.data();
        args.y = y.data();
        args.uniforms = u;
        o.attach(args);
        e->run(args);
    };
    Outputs expected(n);
    runOnce(expected);
    std::vector<Outputs> results(4, Outputs(n));
    std::vector<std::thread> threads;
    for (auto& r : results) threads.emplace_back([&] { for (int k = 0; k < 20; ++k) runOnce(r); });
    for (auto& t : threads) t.join();
    for (auto& r : results) {
        for (int k = 0; k < 4; ++k) {
            for (int i = 0; i < n; ++i) ASSERT_TRUE(same(r.c[k][i], expected.c[k][i]));
        }
    }
}

// A runner made once gives, call after call, what one big run gives; it keeps the uniform
// values it was made with.
TEST(SkslExecutor, BatchRunnerMatchesOneRun) {
    ProgramGenerator gen(4242);
    sp<Effect> e = make(gen.shader());
    ASSERT_TRUE(e);
    const int n = 5 * kLanes + 7;
    std::vector<float> x(n), y(n);
    for (int i = 0; i < n; ++i) {
        x[i] = std::sin(i * 0.3f) * 9;
        y[i] = i * 0.05f;
    }
    float u[4] = {0.25f, 3, -2, 1};
    Outputs whole(n), pieces(n);
    ExecArgs args;
    args.count = n;
    args.x = x.data();
    args.y = y.data();
    args.uniforms = u;
    whole.attach(args);
    e->run(args);
    auto runner = e->makeRunner(u);
    u[0] = 99;  // the runner took its own copy
    for (int start = 0, step = 1; start < n; start += step, step = step * 3 % 97 + 1) {
        ExecArgs part;
        part.count = std::min(step, n - start);
        part.x = x.data() + start;
        part.y = y.data() + start;
        for (int k = 0; k < 4; ++k) part.out[k] = pieces.c[k].data() + start;
        runner->run(part);
    }
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < n; ++i) ASSERT_TRUE(same(whole.c[k][i], pieces.c[k][i])) << i;
    }
}

// An empty batch and null outputs are harmless.
TEST(SkslExecutor, EmptyAndPartialArguments) {
    sp<Effect> e = make("half4 main(float2 p) { return half4(p, 0, 1); }");
    ASSERT_TRUE(e);
    ExecArgs args;  // count 0, no arrays
    e->run(args);
    e->runReference(args);
    float x = 3, y = 4, r = 0;
    args.count = 1;
    args.x = &x;
    args.y = &y;
    args.out[0] = &r;  // only red wanted
    e->run(args);
    EXPECT_EQ(r, 3.0f);
}

}  // namespace
}  // namespace plix::sksl::test
