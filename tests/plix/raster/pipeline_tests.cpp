#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "raster/Pipeline.h"

using namespace plix;

namespace {

// A premultiplied colour with 8-bit channels, as pixels really are.
void randomPremul(std::mt19937& rng, float& r, float& g, float& b, float& a) {
    std::uniform_int_distribution<int> byte(0, 255);
    // Include the edges often: transparent, opaque, black, white.
    auto pick = [&] {
        const int k = byte(rng);
        return k < 20 ? 0.0f : k > 235 ? 1.0f : byte(rng) / 255.0f;
    };
    a = pick();
    r = std::round(pick() * a * 255) / 255;
    g = std::round(pick() * a * 255) / 255;
    b = std::round(pick() * a * 255) / 255;
}

void fillRandom(Batch& bt, std::mt19937& rng, int n) {
    bt.n = n;
    bt.dx = 3, bt.dy = 5;
    for (int i = 0; i < n; ++i) {
        randomPremul(rng, bt.r[i], bt.g[i], bt.b[i], bt.a[i]);
        randomPremul(rng, bt.dr[i], bt.dg[i], bt.db[i], bt.da[i]);
        bt.c[i] = std::uniform_int_distribution<int>(0, 255)(rng) / 255.0f;
        bt.x[i] = float(i), bt.y[i] = 0;
    }
}

void expectBatchesNear(const Batch& a, const Batch& b, float tol, const char* what) {
    for (int i = 0; i < a.n; ++i) {
        ASSERT_NEAR(a.r[i], b.r[i], tol) << what << " pixel " << i;
        ASSERT_NEAR(a.g[i], b.g[i], tol) << what << " pixel " << i;
        ASSERT_NEAR(a.b[i], b.b[i], tol) << what << " pixel " << i;
        ASSERT_NEAR(a.a[i], b.a[i], tol) << what << " pixel " << i;
    }
}

// Fast stages against the scalar reference on seeded random pixels, for every blend mode, with
// and without coverage. The reference blends through the unpremultiplied W3C formulas, so this
// also checks the premultiplied rewriting of each mode.
TEST(PipelineDifferential, EveryBlendModeMatchesTheReference) {
    std::mt19937 rng(1234);
    for (int m = 0; m < kBlendModeCount; ++m) {
        for (bool coverage : {false, true}) {
            Pipeline p;
            if (coverage && blendSupportsCoverageAsAlpha(BlendMode(m))) p.append(Op::scale_coverage);
            p.append(blendOp(BlendMode(m)));
            if (coverage && !blendSupportsCoverageAsAlpha(BlendMode(m))) p.append(Op::lerp_coverage);
            for (int round = 0; round < 40; ++round) {
                Batch fast;
                fillRandom(fast, rng, 1 + round % kBatch);
                Batch ref = fast;
                p.run(fast);
                p.runReference(ref);
                expectBatchesNear(fast, ref, 2e-4f, opName(blendOp(BlendMode(m))));
            }
        }
    }
}

struct BlendCase {
    BlendMode mode;
    float s[4], d[4], out[4];
};

// Worked by hand from the definitions, premultiplied.
const BlendCase kBlendCases[] = {
    // half-transparent red over opaque blue
    {BlendMode::SrcOver, {0.5f, 0, 0, 0.5f}, {0, 0, 1, 1}, {0.5f, 0, 0.5f, 1}},
    {BlendMode::DstOver, {0.5f, 0, 0, 0.5f}, {0, 0, 0.5f, 0.5f}, {0.25f, 0, 0.5f, 0.75f}},
    {BlendMode::SrcIn, {0.8f, 0.4f, 0, 0.8f}, {0, 0, 0.5f, 0.5f}, {0.4f, 0.2f, 0, 0.4f}},
    {BlendMode::DstOut, {0.8f, 0.4f, 0, 0.8f}, {0, 0, 0.5f, 0.5f}, {0, 0, 0.1f, 0.1f}},
    {BlendMode::Xor, {0.5f, 0, 0, 0.5f}, {0, 0.5f, 0, 0.5f}, {0.25f, 0.25f, 0, 0.5f}},
    {BlendMode::Plus, {0.75f, 0.5f, 0, 0.75f}, {0.5f, 0.25f, 0, 0.5f}, {1, 0.75f, 0, 1}},
    {BlendMode::Modulate, {0.5f, 1, 0, 1}, {0.5f, 0.5f, 1, 1}, {0.25f, 0.5f, 0, 1}},
    {BlendMode::Screen, {0.5f, 0, 0, 1}, {0.5f, 0, 0, 1}, {0.75f, 0, 0, 1}},
    // opaque: multiply is the product, darken / lighten the min / max per channel
    {BlendMode::Multiply, {0.5f, 1, 0.2f, 1}, {0.5f, 0.4f, 1, 1}, {0.25f, 0.4f, 0.2f, 1}},
    {BlendMode::Darken, {0.5f, 1, 0.2f, 1}, {0.6f, 0.4f, 1, 1}, {0.5f, 0.4f, 0.2f, 1}},
    {BlendMode::Lighten, {0.5f, 1, 0.2f, 1}, {0.6f, 0.4f, 1, 1}, {0.6f, 1, 1, 1}},
    {BlendMode::Difference, {0.5f, 1, 0.2f, 1}, {0.6f, 0.4f, 1, 1}, {0.1f, 0.6f, 0.8f, 1}},
    {BlendMode::Exclusion, {0.5f, 1, 0, 1}, {0.5f, 0.25f, 1, 1}, {0.5f, 0.75f, 1, 1}},
    // hard light with s <= 0.5 multiplies by 2s, above screens with 2s - 1
    {BlendMode::HardLight, {0.25f, 0.75f, 0, 1}, {0.5f, 0.5f, 1, 1}, {0.25f, 0.75f, 0, 1}},
    {BlendMode::Overlay, {0.5f, 0.5f, 1, 1}, {0.25f, 0.75f, 0, 1}, {0.25f, 0.75f, 0, 1}},
    // colour dodge: 0.5 / (1 - 0.5) = 1; burn: 1 - (1 - 0.75) / 0.5 = 0.5
    {BlendMode::ColorDodge, {0.5f, 0, 1, 1}, {0.5f, 0.3f, 0, 1}, {1, 0.3f, 0, 1}},
    {BlendMode::ColorBurn, {0.5f, 0, 1, 1}, {0.75f, 0.3f, 1, 1}, {0.5f, 0, 1, 1}},
    // soft light, s = 0.25 (dark): d - (1 - 2s) d (1 - d) = 0.5 - 0.5 * 0.25 = 0.375
    //             s = 0.75, d = 0.64 (light dst): d + 0.5 (sqrt(d) - d) = 0.64 + 0.5 * 0.16 = 0.72
    {BlendMode::SoftLight, {0.25f, 0.75f, 0, 1}, {0.5f, 0.64f, 0, 1}, {0.375f, 0.72f, 0, 1}},
    // luminosity of grey 0.5 onto pure red: red keeps its hue, lum moves 0.3 -> 0.5, then clipped
    // into range: (1.2, 0.2, 0.2) clips to l + (c - l)(1 - l)/(max - l) = (1, 0.2+..., ...)
    {BlendMode::Luminosity, {0.5f, 0.5f, 0.5f, 1}, {1, 0, 0, 1}, {1, 0.2857143f, 0.2857143f, 1}},
    // colour of pure green onto grey 0.5: (0, 1, 0) moved to lum 0.5 -> (-0.09, 0.91, ... ) clip
    {BlendMode::Clear, {0.5f, 0.5f, 0.5f, 1}, {1, 0, 0, 1}, {0, 0, 0, 0}},
};

TEST(Pipeline, BlendModesOnHandWorkedColors) {
    for (const BlendCase& c : kBlendCases) {
        Pipeline p;
        p.append(blendOp(c.mode));
        Batch bt;
        bt.n = 1;
        bt.r[0] = c.s[0], bt.g[0] = c.s[1], bt.b[0] = c.s[2], bt.a[0] = c.s[3];
        bt.dr[0] = c.d[0], bt.dg[0] = c.d[1], bt.db[0] = c.d[2], bt.da[0] = c.d[3];
        Batch ref = bt;
        p.run(bt);
        p.runReference(ref);
        const float got[4] = {bt.r[0], bt.g[0], bt.b[0], bt.a[0]};
        const float gotRef[4] = {ref.r[0], ref.g[0], ref.b[0], ref.a[0]};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(got[k], c.out[k], 1e-5) << opName(blendOp(c.mode)) << " channel " << k;
            EXPECT_NEAR(gotRef[k], c.out[k], 1e-5) << "reference " << opName(blendOp(c.mode)) << " channel " << k;
        }
    }
}

TEST(Pipeline, DitherMatchesTheReferenceAndStaysWithinHalfAStep) {
    Pipeline p;
    const float rate = 1 / 255.0f;
    p.append(Op::dither, &rate);
    for (int y = 0; y < 8; ++y) {
        Batch bt;
        bt.n = 8, bt.dx = 0, bt.dy = y;
        for (int i = 0; i < 8; ++i) bt.r[i] = bt.g[i] = bt.b[i] = 0.5f, bt.a[i] = 1;
        Batch ref = bt;
        p.run(bt);
        p.runReference(ref);
        for (int i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(bt.r[i], ref.r[i]) << i << "," << y;
            EXPECT_LT(std::fabs(bt.r[i] - 0.5f), 0.5f * rate);
        }
    }
    // Over the 8x8 tile the offsets average to zero: every matrix value appears once.
    double sum = 0;
    for (int y = 0; y < 8; ++y) {
        Batch bt;
        bt.n = 8, bt.dy = y;
        for (int i = 0; i < 8; ++i) bt.r[i] = 0.5f, bt.a[i] = 1;
        p.run(bt);
        for (int i = 0; i < 8; ++i) sum += bt.r[i] - 0.5;
    }
    EXPECT_NEAR(sum, 0, 1e-6);
}

TEST(Pipeline, LoadBlendStoreOnMemoryMatchesTheReference) {
    std::mt19937 rng(99);
    constexpr int w = 67;
    std::vector<uint32_t> a(w), b(w);
    for (int i = 0; i < w; ++i) a[i] = b[i] = rng();
    MemoryCtx ma{a.data(), sizeof(uint32_t) * w, 4, loadFn(ColorType::RGBA8888), storeFn(ColorType::RGBA8888)};
    MemoryCtx mb = ma;
    mb.pixels = b.data();
    const float color[4] = {0.2f, 0.4f, 0.1f, 0.6f};
    Pipeline pa, pb;
    for (auto [p, m] : {std::pair{&pa, &ma}, std::pair{&pb, &mb}}) {
        p->append(Op::constant_color, color);
        p->append(Op::load_dst, m);
        p->append(Op::blend_Multiply);
        p->append(Op::lerp_coverage);
        p->append(Op::store, m);
    }
    for (int x = 0; x < w; x += kBatch) {
        Batch fast;
        fast.n = std::min(kBatch, w - x), fast.dx = x, fast.dy = 0;
        for (int i = 0; i < fast.n; ++i) fast.c[i] = (i * 37 % 256) / 255.0f;
        Batch ref = fast;
        pa.run(fast);
        pb.runReference(ref);
    }
    for (int i = 0; i < w; ++i) {
        for (int k = 0; k < 4; ++k) {
            const int ca = (a[i] >> (8 * k)) & 255, cb = (b[i] >> (8 * k)) & 255;
            EXPECT_LE(std::abs(ca - cb), 1) << "pixel " << i << " channel " << k;
        }
    }
}

TEST(Pipeline, ContextsLiveWithThePipeline) {
    Pipeline p;
    float* big = p.makeArray<float>(10000);
    for (int i = 0; i < 10000; ++i) big[i] = float(i);
    const float* c = p.make(std::array<float, 4>{1, 2, 3, 4})->data();
    EXPECT_EQ(big[9999], 9999.0f);
    EXPECT_EQ(c[3], 4.0f);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p.make<double>(1.0)) % alignof(double), 0u);
}

}  // namespace
