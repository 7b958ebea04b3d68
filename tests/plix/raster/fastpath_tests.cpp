// The fast stages of every instruction set the CPU has, and the solid-colour blitter, against
// the scalar reference on seeded random input.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "raster/LowpKernels.h"
#include "raster/Pipeline.h"
#include "raster/PipelineBlitter.h"
#include "raster/SolidBlitter.h"
#include "SupportedIsas.h"

using namespace plix;

namespace {

using test::supportedIsas;

const char* isaName(Isa isa) { return isa == Isa::SSE2 ? "sse2" : isa == Isa::AVX2 ? "avx2" : "avx512"; }

struct ForcedIsa {
    explicit ForcedIsa(Isa isa) { forceIsa(isa); }
    ~ForcedIsa() { clearForcedIsa(); }
};

void randomPremul(std::mt19937& rng, float* c) {
    std::uniform_int_distribution<int> byte(0, 255);
    auto pick = [&] {
        const int k = byte(rng);
        return k < 20 ? 0.0f : k > 235 ? 1.0f : byte(rng) / 255.0f;
    };
    c[3] = pick();
    for (int i = 0; i < 3; ++i) c[i] = std::round(pick() * c[3] * 255) / 255;
}

void fillRandom(Batch& bt, std::mt19937& rng, int n) {
    std::uniform_real_distribution<float> pos(-300, 300);
    bt.n = n;
    bt.dx = int(rng() % 100), bt.dy = int(rng() % 100);
    for (int i = 0; i < n; ++i) {
        float s[4], d[4];
        randomPremul(rng, s);
        randomPremul(rng, d);
        bt.r[i] = s[0], bt.g[i] = s[1], bt.b[i] = s[2], bt.a[i] = s[3];
        bt.dr[i] = d[0], bt.dg[i] = d[1], bt.db[i] = d[2], bt.da[i] = d[3];
        bt.c[i] = std::uniform_int_distribution<int>(0, 255)(rng) / 255.0f;
        bt.x[i] = pos(rng), bt.y[i] = pos(rng);
    }
}

// Every stage that needs no memory, alone, in every build: the same as the reference.
TEST(FastStages, EveryInstructionSetMatchesTheReference) {
    const float m23[6] = {1.5f, -0.25f, 3, 0.5f, 2, -7};
    const float m33[9] = {1, 0.2f, 3, -0.1f, 1, 2, 0.001f, 0.002f, 1};
    const float color[4] = {0.2f, 0.3f, 0.1f, 0.5f};
    const float scale = 0.7f, rate = 1 / 255.0f;
    TransferFn srgb = named::kSRGB;
    Matrix3 gamut;
    gamut.m = {0.9f, 0.1f, 0, 0.05f, 0.9f, 0.05f, 0, 0.2f, 0.8f};
    struct Case {
        Op op;
        const void* ctx;
    };
    std::vector<Case> cases = {
        {Op::seed_shader, nullptr}, {Op::matrix_2x3, m23}, {Op::matrix_perspective, m33},
        {Op::constant_color, color}, {Op::premul, nullptr}, {Op::unpremul, nullptr},
        {Op::premul_dst, nullptr}, {Op::force_opaque, nullptr}, {Op::force_opaque_dst, nullptr},
        {Op::clamp_01, nullptr}, {Op::clamp_a, nullptr}, {Op::scale_1_float, &scale},
        {Op::scale_coverage, nullptr}, {Op::lerp_coverage, nullptr}, {Op::dither, &rate},
        {Op::transfer_fn, &srgb}, {Op::gamut, &gamut}, {Op::swap_src_dst, nullptr},
    };
    // Shading stages: t from coordinates, tiling, stops, colour filters, the arithmetic blend.
    const ConicalCtx focal{40, 10, -35}, wide{20, 5, 80};
    const float ts[3] = {0, 0.4f, 1};
    const float f[4][4] = {{0, 1, -2, 0}, {0, -1, 0.5f, 0}, {0, 2, 1, 0}, {0, 0, 0, 0}};
    const float b[4][4] = {{0.1f, 0, 1.5f, 1}, {0.7f, 1, 0.3f, 0}, {0, 0, 0.2f, 0.5f}, {1, 1, 0.5f, 0.25f}};
    const GradientCtx grad{3, ts, {f[0], f[1], f[2], f[3]}, {b[0], b[1], b[2], b[3]}};
    const float sb[2] = {0.01f, 0.3f};
    const float m45[20] = {0.5f, 0.2f, 0, 0.1f, 0.05f, 0, 1, 0, 0, 0, 0.3f, 0.3f, 0.3f, 0, 0, 0, 0, 0, 0.8f, 0.1f};
    uint8_t tableBytes[1024];
    for (int i = 0; i < 1024; ++i) tableBytes[i] = uint8_t(i * 7 + 3);
    float overdrawColors[24];
    for (int i = 0; i < 24; ++i) overdrawColors[i] = float(i % 5) / 4;
    const ArithmeticCtx arith{{0.5f, 0.25f, 0.75f, -0.1f}, true};
    for (Case c : std::initializer_list<Case>{
             {Op::xy_to_linear, nullptr}, {Op::xy_to_radius, nullptr}, {Op::xy_to_unit_angle, nullptr},
             {Op::xy_to_2pt_conical, &focal}, {Op::xy_to_2pt_conical, &wide}, {Op::t_scale_bias, sb},
             {Op::tile_t_clamp, nullptr}, {Op::tile_t_repeat, nullptr}, {Op::tile_t_mirror, nullptr},
             {Op::tile_t_decal, nullptr}, {Op::gradient, &grad}, {Op::mask_y, nullptr}, {Op::matrix_4x5, m45},
             {Op::table, tableBytes}, {Op::overdraw, overdrawColors}, {Op::arithmetic, &arith}})
        cases.push_back(c);
    for (int m = 0; m < kBlendModeCount; ++m) cases.push_back({blendOp(BlendMode(m)), nullptr});
    std::mt19937 rng(77);
    for (Isa isa : supportedIsas()) {
        ForcedIsa forced(isa);
        for (const Case& c : cases) {
            Pipeline p;
            p.append(c.op, c.ctx);
            for (int round = 0; round < 20; ++round) {
                Batch fast;
                fillRandom(fast, rng, 1 + int(rng() % kBatch));
                Batch ref = fast;
                p.run(fast);
                p.runReference(ref);
                for (int i = 0; i < fast.n; ++i) {
                    const float got[6] = {fast.r[i], fast.g[i], fast.b[i], fast.a[i], fast.x[i], fast.y[i]};
                    const float want[6] = {ref.r[i], ref.g[i], ref.b[i], ref.a[i], ref.x[i], ref.y[i]};
                    for (int k = 0; k < 6; ++k)
                        ASSERT_NEAR(got[k], want[k], 2e-4f * std::max(1.0f, std::fabs(want[k])))
                            << isaName(isa) << " " << opName(c.op) << " pixel " << i << " register " << k;
                }
            }
        }
    }
}

// The solid-colour blitter on random colours (transparent, opaque and between) with SrcOver and
// Src into random RGBA and BGRA pixels, through full runs, coverage runs and rectangles of random
// lengths: SrcOver to the byte against the scalar 8-bit rules (LowpKernels.h), Src against the
// general pipeline run by the reference interpreter, within a level.
TEST(SolidBlitter, MatchesTheEightBitRulesAndThePipelineReference) {
    std::mt19937 rng(4242);
    constexpr int W = 53, H = 9;
    for (Isa isa : supportedIsas()) {
        ForcedIsa forced(isa);
        for (int round = 0; round < 300; ++round) {
            const ColorType ct = round % 2 ? ColorType::BGRA8888 : ColorType::RGBA8888;
            const AlphaType at = round % 7 == 0 ? AlphaType::Opaque : AlphaType::Premul;
            std::vector<uint32_t> a(size_t(W * H)), b;
            for (auto& px : a) {
                float c[4];
                randomPremul(rng, c);
                px = uint32_t(c[0] * 255 + 0.5f) | uint32_t(c[1] * 255 + 0.5f) << 8 |
                     uint32_t(c[2] * 255 + 0.5f) << 16 | uint32_t(c[3] * 255 + 0.5f) << 24;
            }
            b = a;
            Pixmap pa, pb;
            ASSERT_TRUE(pa.reset(ImageInfo::Make(W, H, ct, at), a.data(), W * 4));
            ASSERT_TRUE(pb.reset(ImageInfo::Make(W, H, ct, at), b.data(), W * 4));
            Paint paint;
            const int alphaPick = int(rng() % 4);
            paint.color = {float(rng() % 256) / 255, float(rng() % 256) / 255, float(rng() % 256) / 255,
                           alphaPick == 0 ? 0.0f : alphaPick == 1 ? 1.0f : float(rng() % 256) / 255};
            const bool src = rng() % 3 == 0;
            if (src) paint.setBlendMode(BlendMode::Src);
            // The colour as the 8-bit rules take it: premultiplied, rounded, in pixel order.
            const float pa8 = paint.color[3];
            const uint32_t c8[3] = {uint32_t(paint.color[0] * pa8 * 255 + 0.5f), uint32_t(paint.color[1] * pa8 * 255 + 0.5f),
                                    uint32_t(paint.color[2] * pa8 * 255 + 0.5f)};
            const uint32_t color = (ct == ColorType::BGRA8888 ? c8[2] | c8[1] << 8 | c8[0] << 16
                                                               : c8[0] | c8[1] << 8 | c8[2] << 16) |
                                   uint32_t(pa8 * 255 + 0.5f) << 24;
            SolidBlitter fast;
            ASSERT_TRUE(fast.init(pa, paint));
            auto ref = PipelineBlitter::Make(pb, paint, Matrix());
            ASSERT_TRUE(ref);
            ref->useReference(true);
            for (int k = 0; k < 6; ++k) {
                const int y = int(rng() % H), x = int(rng() % W), n = 1 + int(rng() % (W - x));
                std::vector<uint8_t> cov(static_cast<size_t>(n), 0);
                for (auto& c : cov) c = uint8_t(rng() % 4 == 0 ? 255 : rng() % 256);
                const int h = k % 3 == 2 ? 1 + int(rng() % (H - y)) : 1;
                switch (k % 3) {
                    case 0: fast.blitH(x, y, n); break;
                    case 1: fast.blitAntiH(x, y, cov.data(), n); break;
                    default: fast.blitRect(x, y, n, h);
                }
                if (src) {
                    switch (k % 3) {
                        case 0: ref->blitH(x, y, n); break;
                        case 1: ref->blitAntiH(x, y, cov.data(), n); break;
                        default: ref->blitRect(x, y, n, h);
                    }
                    continue;
                }
                for (int j = y; j < y + h; ++j)
                    for (int i = x; i < x + n; ++i) {
                        uint32_t& d = b[size_t(j * W + i)];
                        const uint32_t c = k % 3 == 1 ? cov[size_t(i - x)] : 255;
                        d = lowp::perChannel(color, d, [c](uint32_t s, uint32_t dd, uint32_t sa) {
                            return lowp::srcOverCoverage(s, dd, sa, c);
                        });
                    }
            }
            for (size_t i = 0; i < a.size(); ++i)
                for (int ch = 0; ch < 4; ++ch) {
                    const int va = (a[i] >> (8 * ch)) & 255, vb = (b[i] >> (8 * ch)) & 255;
                    ASSERT_LE(std::abs(va - vb), src ? 1 : 0) << isaName(isa) << " round " << round << " pixel " << i
                                                              << " channel " << ch;
                }
        }
    }
}

TEST(SolidBlitter, DeclinesWhatItCannotDraw) {
    uint32_t px[4] = {};
    Pixmap unpremul, f16, rgba;
    ASSERT_TRUE(unpremul.reset(ImageInfo::Make(1, 1, ColorType::RGBA8888, AlphaType::Unpremul), px, 4));
    ASSERT_TRUE(f16.reset(ImageInfo::Make(1, 1, ColorType::RGBAF16, AlphaType::Premul), px, 8));
    ASSERT_TRUE(rgba.reset(ImageInfo::Make(1, 1, ColorType::RGBA8888, AlphaType::Premul), px, 4));
    Paint plain;
    SolidBlitter b;
    EXPECT_FALSE(b.init(unpremul, plain));
    EXPECT_FALSE(b.init(f16, plain));
    EXPECT_TRUE(b.init(rgba, plain));
    Paint multiply;
    multiply.setBlendMode(BlendMode::Multiply);
    EXPECT_FALSE(b.init(rgba, multiply));
}

// Reusing a pipeline keeps its storage: contexts made after a reset land where earlier ones
// were.
TEST(Pipeline, ResetKeepsTheStorage) {
    Pipeline p;
    const float* first = p.make(1.0f);
    p.makeArray<float>(3000);  // spills into a second block
    p.reset();
    EXPECT_EQ(p.make(2.0f), first);
    EXPECT_TRUE(p.empty());
}

}  // namespace
