// Shaders, colour filters and blenders: hand-worked pixels, degenerate and bad input, and
// every shader's fast stages against the reference interpreter on seeded random matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "TestImages.h"
#include "core/Half.h"
#include "raster/Draw.h"
#include "raster/Pipeline.h"
#include "raster/PipelineBlitter.h"
#include "shaders/Blenders.h"
#include "shaders/ColorFilters.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

constexpr Color4f kBlack{0, 0, 0, 1}, kWhite{1, 1, 1, 1}, kRed{1, 0, 0, 1}, kBlue{0, 0, 1, 1};

// Draws the paint over a w x h RGBA8888 premultiplied surface filled with bg.
std::vector<uint32_t> render(const Paint& paint, int w, int h, uint32_t bg = 0, const Matrix& ctm = Matrix()) {
    std::vector<uint32_t> px(size_t(w * h), bg);
    Pixmap pm;
    EXPECT_TRUE(pm.reset(ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul), px.data(), size_t(w) * 4));
    Matrix inv;
    Rect all{0, 0, float(w), float(h)};
    if (ctm.invert(&inv)) all = inv.mapRect(all);
    drawRect({pm, IRect::MakeWH(w, h), nullptr}, all, ctm, paint);
    return px;
}

int channel(uint32_t px, int c) { return int(px >> (8 * c)) & 255; }

Paint withShader(sp<Shader> s) {
    Paint p;
    p.shader = std::move(s);
    return p;
}

// Black to white over x in [0, 4]: pixel centres at t = 1/8, 3/8, 5/8, 7/8.
TEST(Gradients, LinearWorkedByHand) {
    const Color4f c[2] = {kBlack, kWhite};
    const auto px = render(withShader(MakeLinearGradient({0, 0}, {4, 0}, {c, nullptr, 2}, TileMode::Clamp)), 4, 1);
    const int want[4] = {32, 96, 159, 223};  // 255 t, rounded
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(channel(px[size_t(i)], 0), want[i]) << i;
        EXPECT_EQ(channel(px[size_t(i)], 3), 255) << i;
    }
}

// Each tile mode past the end: t = 1.25 at x = 5 (segment [0, 4]).
TEST(Gradients, TileModesPastTheEnd) {
    const Color4f c[2] = {kBlack, kWhite};
    struct Case {
        TileMode tile;
        int want;  // red at x = 5.5 (t = 11/8)
    };
    // clamp: 1; repeat: 3/8; mirror: 2 - 11/8 = 5/8; decal: transparent.
    const Case cases[] = {{TileMode::Clamp, 255}, {TileMode::Repeat, 96}, {TileMode::Mirror, 159}, {TileMode::Decal, 0}};
    for (const Case& k : cases) {
        const auto px = render(withShader(MakeLinearGradient({0, 0}, {4, 0}, {c, nullptr, 2}, k.tile)), 6, 1);
        EXPECT_EQ(channel(px[5], 0), k.want) << int(k.tile);
        EXPECT_EQ(channel(px[5], 3), k.tile == TileMode::Decal ? 0 : 255) << int(k.tile);
    }
}

// Hard stop: positions 0.5, 0.5 switch from red to blue exactly at the middle.
TEST(Gradients, HardStopAndPositions) {
    const Color4f c[4] = {kRed, kRed, kBlue, kBlue};
    const float pos[4] = {0, 0.5f, 0.5f, 1};
    const auto px = render(withShader(MakeLinearGradient({0, 0}, {8, 0}, {c, pos, 4}, TileMode::Clamp)), 8, 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(channel(px[size_t(i)], 0), i < 4 ? 255 : 0) << i;
        EXPECT_EQ(channel(px[size_t(i)], 2), i < 4 ? 0 : 255) << i;
    }
}

// Radial: t = distance / radius; sweep: t = angle / 360 clockwise from +x; conical with one
// centre: t = (distance - r0) / (r1 - r0).
TEST(Gradients, RadialSweepConicalWorkedByHand) {
    const Color4f c[2] = {kBlack, kWhite};
    const auto radial = render(withShader(MakeRadialGradient({0, 0}, 8, {c, nullptr, 2}, TileMode::Clamp)), 8, 8);
    const auto sweep = render(withShader(MakeSweepGradient({4, 4}, 0, 360, {c, nullptr, 2}, TileMode::Clamp)), 8, 8);
    const auto conical = render(withShader(MakeTwoPointConicalGradient({0, 0}, 2, {0, 0}, 6, {c, nullptr, 2}, TileMode::Clamp)), 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f, d = std::hypot(fx, fy);
            const float tr = std::min(d / 8, 1.0f), tc = std::clamp((d - 2) / 4, 0.0f, 1.0f);
            float ts = std::atan2(fy - 4, fx - 4) / (2 * 3.14159265f);
            if (ts < 0) ts += 1;
            EXPECT_NEAR(channel(radial[size_t(y * 8 + x)], 0), 255 * tr, 0.51f) << x << "," << y;
            EXPECT_NEAR(channel(sweep[size_t(y * 8 + x)], 0), 255 * ts, 0.51f) << x << "," << y;
            EXPECT_NEAR(channel(conical[size_t(y * 8 + x)], 0), 255 * tc, 0.51f) << x << "," << y;
        }
}

// Points on no circle of a two-point conical gradient are transparent: circles growing to the
// right from a point cover only a cone.
TEST(Gradients, ConicalOutsideTheConeIsTransparent) {
    const Color4f c[2] = {kRed, kBlue};
    const auto px = render(withShader(MakeTwoPointConicalGradient({2, 4}, 0, {6, 4}, 1, {c, nullptr, 2}, TileMode::Clamp)), 8, 8);
    EXPECT_EQ(channel(px[size_t(4 * 8 + 0)], 3), 0);   // behind the start point
    EXPECT_EQ(channel(px[size_t(4 * 8 + 5)], 3), 255);  // on the axis, inside the cone
}

// Zero-length gradients give what they tend to: the last colour when clamped, the mean when
// repeated or mirrored, nothing when decal.
TEST(Gradients, DegenerateGeometry) {
    const Color4f c[2] = {kBlack, kWhite};
    const GradientStops st{c, nullptr, 2};
    auto at0 = [](sp<Shader> s) { return render(withShader(std::move(s)), 1, 1, 0xff0000ffu)[0]; };
    EXPECT_EQ(channel(at0(MakeLinearGradient({3, 3}, {3, 3}, st, TileMode::Clamp)), 0), 255);
    EXPECT_EQ(channel(at0(MakeLinearGradient({3, 3}, {3, 3}, st, TileMode::Repeat)), 0), 128);
    EXPECT_EQ(at0(MakeLinearGradient({3, 3}, {3, 3}, st, TileMode::Decal)), 0xff0000ffu);  // unchanged
    EXPECT_EQ(channel(at0(MakeRadialGradient({3, 3}, 0, st, TileMode::Mirror)), 0), 128);
    EXPECT_EQ(channel(at0(MakeTwoPointConicalGradient({1, 1}, 2, {1, 1}, 2, st, TileMode::Repeat)), 0), 128);
    // One colour is that colour.
    EXPECT_EQ(at0(MakeLinearGradient({0, 0}, {1, 0}, {c + 1, nullptr, 1}, TileMode::Decal)), 0xffffffffu);
}

TEST(Gradients, BadArgumentsMakeNothing) {
    const Color4f c[2] = {kBlack, kWhite};
    const Color4f nan[2] = {kBlack, {NAN, 0, 0, 1}};
    const GradientStops st{c, nullptr, 2};
    EXPECT_FALSE(MakeLinearGradient({0, 0}, {1, 0}, {c, nullptr, 0}, TileMode::Clamp));
    EXPECT_FALSE(MakeLinearGradient({0, 0}, {1, 0}, {nullptr, nullptr, 2}, TileMode::Clamp));
    EXPECT_FALSE(MakeLinearGradient({0, 0}, {1, 0}, {nan, nullptr, 2}, TileMode::Clamp));
    EXPECT_FALSE(MakeLinearGradient({NAN, 0}, {1, 0}, st, TileMode::Clamp));
    EXPECT_FALSE(MakeRadialGradient({0, 0}, -1, st, TileMode::Clamp));
    EXPECT_FALSE(MakeRadialGradient({0, 0}, INFINITY, st, TileMode::Clamp));
    EXPECT_FALSE(MakeSweepGradient({0, 0}, 90, 10, st, TileMode::Clamp));
    EXPECT_FALSE(MakeTwoPointConicalGradient({0, 0}, -1, {1, 1}, 2, st, TileMode::Clamp));
    EXPECT_FALSE(MakePerlinNoiseShader(true, -0.1f, 0.1f, 2, 0));
    EXPECT_FALSE(MakePerlinNoiseShader(true, 0.1f, 0.1f, 256, 0));
    EXPECT_FALSE(MakeImageShader(nullptr, TileMode::Clamp, TileMode::Clamp, {}));
    // Positions out of order, NaN or outside [0, 1] are mended, not refused.
    const float pos[2] = {NAN, -3};
    EXPECT_TRUE(MakeLinearGradient({0, 0}, {1, 0}, {c, pos, 2}, TileMode::Clamp));
}

// Huge, NaN and infinite coordinates through every kind of shader draw something or nothing,
// and return.
TEST(Shaders, ExtremeMatricesNeitherCrashNorHang) {
    const Color4f c[3] = {kRed, kWhite, kBlue};
    const GradientStops st{c, nullptr, 3};
    std::vector<sp<Shader>> shaders = {
        MakeLinearGradient({0, 0}, {5, 1}, st, TileMode::Repeat), MakeRadialGradient({1, 1}, 3, st, TileMode::Mirror),
        MakeSweepGradient({1, 1}, 10, 300, st, TileMode::Decal),
        MakeTwoPointConicalGradient({0, 0}, 1, {3, 0}, 2, st, TileMode::Clamp),
        MakePerlinNoiseShader(false, 0.5f, 0.5f, 255, 3, 7, 7),
        MakeImageShader(test::makeTestImage("checker"), TileMode::Repeat, TileMode::Mirror, SamplingOptions(FilterMode::Linear)),
        MakeImageShader(test::makeTestImage("ramp"), TileMode::Decal, TileMode::Clamp, SamplingOptions(CubicResampler{0, 0.5f})),
        MakeImageShader(test::makeTestImage("ramp"), TileMode::Repeat, TileMode::Repeat,
                        SamplingOptions(FilterMode::Linear, MipmapMode::Linear)),
    };
    const Matrix matrices[] = {Matrix::Scale(1e30f, 1e-30f), Matrix::Translate(-3e9f, 7e8f), Matrix::Scale(1e-20f, 1e-20f),
                               Matrix::MakeAll(1, 0, 0, 0, 1, 0, 0.5f, -0.5f, 1)};
    for (const auto& s : shaders) {
        ASSERT_TRUE(s);
        for (const Matrix& m : matrices) {
            const auto px = render(withShader(MakeLocalMatrixShader(s, m)), 9, 5);
            EXPECT_EQ(px.size(), 45u);
        }
    }
}

// The fast stages of every shader kind against the reference interpreter, on random local
// matrices: within one level.
TEST(ShaderDifferential, FastMatchesReferenceOnRandomMatrices) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<float> u(-1, 1);
    const Color4f c[4] = {kRed, {0, 1, 0, 0.5f}, kBlue, {1, 1, 0, 0.8f}};
    const float pos[4] = {0, 0.3f, 0.3f, 0.9f};
    const GradientStops st{c, pos, 4};
    const TileMode tiles[] = {TileMode::Clamp, TileMode::Repeat, TileMode::Mirror, TileMode::Decal};
    std::vector<sp<Shader>> shaders;
    for (TileMode t : tiles) {
        shaders.push_back(MakeLinearGradient({3, 2}, {20, 9}, st, t));
        shaders.push_back(MakeRadialGradient({10, 8}, 7, st, t));
        shaders.push_back(MakeSweepGradient({12, 6}, 20, 250, st, t));
        shaders.push_back(MakeTwoPointConicalGradient({4, 4}, 2, {14, 9}, 6, st, t));
        shaders.push_back(MakeTwoPointConicalGradient({4, 4}, 6, {9, 6}, 1, st, t));
        for (const char* img : {"checker", "ramp"})
            for (FilterMode f : {FilterMode::Nearest, FilterMode::Linear})
                shaders.push_back(MakeImageShader(test::makeTestImage(img), t, tiles[(int(t) + 1) % 4], SamplingOptions(f)));
    }
    shaders.push_back(MakePerlinNoiseShader(true, 0.2f, 0.1f, 3, 5));
    shaders.push_back(MakeBlendShader(BlendMode::Multiply, shaders[0], shaders[5]));
    shaders.push_back(MakeColorFilterShader(shaders[1], MakeHSLAMatrixColorFilter(std::array<float, 20>{
        1, 0, 0, 0, 0.1f, 0, 0.8f, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0}.data())));
    for (size_t k = 0; k < shaders.size(); ++k) {
        ASSERT_TRUE(shaders[k]) << k;
        for (int round = 0; round < 4; ++round) {
            const Matrix m = Matrix::MakeAll(1 + u(rng), u(rng), 5 * u(rng), u(rng), 1 + u(rng), 5 * u(rng), 0, 0, 1);
            constexpr int W = 24, H = 16;
            std::vector<uint32_t> fast(size_t(W * H), 0xff808080u), ref = fast;
            Pixmap pf, pr;
            ASSERT_TRUE(pf.reset(ImageInfo::Make(W, H, ColorType::RGBA8888, AlphaType::Premul), fast.data(), W * 4));
            ASSERT_TRUE(pr.reset(ImageInfo::Make(W, H, ColorType::RGBA8888, AlphaType::Premul), ref.data(), W * 4));
            Paint paint = withShader(MakeLocalMatrixShader(shaders[k], m));
            auto bf = PipelineBlitter::Make(pf, paint, Matrix());
            auto br = PipelineBlitter::Make(pr, paint, Matrix());
            ASSERT_TRUE(bf && br);
            br->useReference(true);
            bf->blitRect(0, 0, W, H);
            br->blitRect(0, 0, W, H);
            for (size_t i = 0; i < fast.size(); ++i)
                for (int ch = 0; ch < 4; ++ch)
                    ASSERT_LE(std::abs(channel(fast[i], ch) - channel(ref[i], ch)), 1)
                        << "shader " << k << " round " << round << " pixel " << i % W << "," << i / W << " channel " << ch;
        }
    }
}

// A blend shader is the two shaders blended: red over 50% blue with Src and SrcOver.
TEST(Shaders, BlendColorLocalMatrixAndFilter) {
    auto red = MakeColorShader({1, 0, 0, 0.5f}), blue = MakeColorShader(kBlue);
    const uint32_t over = render(withShader(MakeBlendShader(BlendMode::SrcOver, blue, red)), 1, 1)[0];
    EXPECT_EQ(channel(over, 0), 128);
    EXPECT_EQ(channel(over, 2), 128);
    EXPECT_EQ(channel(over, 3), 255);
    EXPECT_EQ(MakeBlendShader(BlendMode::Src, blue, red).get(), red.get());
    EXPECT_FALSE(MakeBlendShader(BlendMode::SrcOver, nullptr, red));
    // Colour shader in a wide gamut space lands in the destination's space (untagged: as is).
    const uint32_t p3 = render(withShader(MakeColorShader({0.2f, 0.4f, 0.6f, 1}, ColorSpace::MakeSRGBLinear())), 1, 1)[0];
    EXPECT_EQ(channel(p3, 0), 51);
    // Colour filter on a shader: red through an inverting table.
    uint8_t inv[256];
    for (int i = 0; i < 256; ++i) inv[i] = uint8_t(255 - i);
    const uint32_t f = render(withShader(MakeColorFilterShader(MakeColorShader(kRed), MakeTableColorFilter(nullptr, inv, inv, inv))), 1, 1)[0];
    EXPECT_EQ(f, 0xffffff00u);  // cyan: R 0, G 255, B 255, A 255
}

// A blend shader of two colours, for every blend mode, is the mode applied to the colours
// (computed by the reference interpreter's unpremultiplied formulas).
TEST(Shaders, BlendShaderOfEveryMode) {
    const Color4f src{0.9f, 0.3f, 0.1f, 0.7f}, dst{0.2f, 0.5f, 0.8f, 0.6f};
    for (int m = 0; m < kBlendModeCount; ++m) {
        Paint p = withShader(MakeBlendShader(BlendMode(m), MakeColorShader(dst), MakeColorShader(src)));
        ASSERT_TRUE(p.shader) << m;
        p.setBlendMode(BlendMode::Src);
        const uint32_t got = render(p, 1, 1, 0xff00ff00u)[0];
        Pipeline ref;
        ref.append(blendOp(BlendMode(m)));
        Batch b;
        b.n = 1;
        b.r[0] = src.r * src.a, b.g[0] = src.g * src.a, b.b[0] = src.b * src.a, b.a[0] = src.a;
        b.dr[0] = dst.r * dst.a, b.dg[0] = dst.g * dst.a, b.db[0] = dst.b * dst.a, b.da[0] = dst.a;
        ref.runReference(b);
        const float want[4] = {b.r[0], b.g[0], b.b[0], b.a[0]};
        for (int ch = 0; ch < 4; ++ch) {
            const float v = std::clamp(want[ch], 0.0f, std::clamp(want[3], 0.0f, 1.0f));
            EXPECT_NEAR(channel(got, ch), (ch == 3 ? std::clamp(want[3], 0.0f, 1.0f) : v) * 255, 1.0f)
                << opName(blendOp(BlendMode(m))) << " channel " << ch;
        }
    }
}

// Raw image shaders hand on the stored values of unpremultiplied pixels; the plain ones
// premultiply them.
TEST(ImageShader, RawKeepsStoredValues) {
    uint32_t stored = 0x80ff4020u;  // R 0x20, G 0x40, B 0xff, A 0x80, unpremultiplied
    Pixmap pm;
    ASSERT_TRUE(pm.reset(ImageInfo::Make(1, 1, ColorType::RGBA8888, AlphaType::Unpremul), &stored, 4));
    auto img = Image::MakeRasterCopy(pm);
    Paint raw = withShader(MakeImageShader(img, TileMode::Clamp, TileMode::Clamp, {}, nullptr, true));
    raw.setBlendMode(BlendMode::Src);
    Paint plain = withShader(MakeImageShader(img, TileMode::Clamp, TileMode::Clamp, {}));
    plain.setBlendMode(BlendMode::Src);
    // The pipeline keeps premultiplied values within alpha, so the raw blue (0xff > 0x80)
    // stops at alpha; the others pass unchanged.
    const uint32_t r = render(raw, 1, 1)[0], p = render(plain, 1, 1)[0];
    EXPECT_EQ(channel(r, 0), 0x20);
    EXPECT_EQ(channel(r, 1), 0x40);
    EXPECT_EQ(channel(r, 3), 0x80);
    EXPECT_EQ(channel(p, 0), 0x10);  // 0x20 * 128 / 255 = 16.06
    EXPECT_EQ(channel(p, 1), 0x20);  // 0x40 * 128 / 255 = 32.13
    EXPECT_EQ(channel(p, 2), 0x80);
}

// A nearest read whose coordinate lies exactly on the boundary between two pixels takes the one
// before it, the reference engine's choice, in every tile mode; Repeat wraps first, so a seam
// between tiles reads the first pixel. Both the 32-bit vector read and the plain one (half floats).
TEST(ImageShader, NearestTiesReadThePixelBefore) {
    struct Case {
        TileMode tile;
        float u;   // the coordinate the pixel centre maps to
        int want;  // the pixel read, -1 none
    };
    const Case cases[] = {
        {TileMode::Clamp, 3, 2},   {TileMode::Clamp, 2.25f, 2}, {TileMode::Clamp, 0, 0},   {TileMode::Clamp, 5, 4},
        {TileMode::Repeat, 3, 2},  {TileMode::Repeat, 5, 0},    {TileMode::Repeat, 0, 0},  {TileMode::Repeat, -5, 0},
        {TileMode::Repeat, -3, 1}, {TileMode::Repeat, 7, 1},    {TileMode::Repeat, 6.5f, 1},
        {TileMode::Mirror, 3, 2},  {TileMode::Mirror, -3, 3},   {TileMode::Mirror, 0, 0},  {TileMode::Mirror, 5, 4},
        {TileMode::Mirror, 7, 3},  {TileMode::Mirror, 10, 0},   {TileMode::Mirror, -5, 4},
        {TileMode::Decal, 0, -1},  {TileMode::Decal, 0.25f, 0}, {TileMode::Decal, 5, 4},   {TileMode::Decal, 5.25f, -1},
        {TileMode::Decal, 2, 1},
    };
    // 5 x 1 opaque: red 10 + 40 i at pixel i.
    uint32_t px8[5];
    uint16_t px16[5 * 4];
    for (int i = 0; i < 5; ++i) {
        px8[i] = 0xff000000u | uint32_t(10 + 40 * i);
        px16[i * 4] = floatToHalf(float(10 + 40 * i) / 255), px16[i * 4 + 1] = px16[i * 4 + 2] = floatToHalf(0);
        px16[i * 4 + 3] = floatToHalf(1);
    }
    Pixmap pm8, pm16;
    ASSERT_TRUE(pm8.reset(ImageInfo::Make(5, 1, ColorType::RGBA8888, AlphaType::Premul), px8, sizeof(px8)));
    ASSERT_TRUE(pm16.reset(ImageInfo::Make(5, 1, ColorType::RGBAF16, AlphaType::Premul), px16, sizeof(px16)));
    for (const Pixmap* pm : {&pm8, &pm16}) {
        auto img = Image::MakeRasterCopy(*pm);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(int(c.tile)) + " at " + std::to_string(c.u) + (pm == &pm8 ? " 8888" : " f16"));
            const Matrix local = Matrix::Translate(0.5f - c.u, 0);
            Paint paint = withShader(MakeImageShader(img, c.tile, TileMode::Clamp, {}, &local));
            paint.setBlendMode(BlendMode::Src);
            const uint32_t got = render(paint, 1, 1)[0];
            if (c.want < 0) {
                EXPECT_EQ(got, 0u);
            } else {
                EXPECT_EQ(channel(got, 3), 255);
                EXPECT_EQ(channel(got, 0), 10 + 40 * c.want);
            }
        }
    }
}

struct FilterCase {
    const char* name;
    sp<ColorFilter> filter;
    uint32_t in, want;  // premultiplied RGBA8888 as stored (R in the low byte)
};

// Filters on one colour, worked by hand.
TEST(ColorFilters, WorkedByHand) {
    const float identity[20] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    const float swapRB[20] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    const float halfAlpha[20] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0.5f, 0};
    const uint32_t overdraw[6] = {0x00000000, 0xff0000ff, 0xff00ff00, 0xffff0000, 0xffffff00, 0xffffffff};
    const FilterCase cases[] = {
        {"identity matrix", MakeMatrixColorFilter(identity), 0x80402010u, 0x80402010u},
        {"swap red and blue", MakeMatrixColorFilter(swapRB), 0xff0000ffu, 0xffff0000u},
        // Unpremultiplied (0.5, 0.25, 0.125) at half alpha: (32, 16, 8) at 64.
        {"half alpha", MakeMatrixColorFilter(halfAlpha), 0x80204080u, 0x40102040u},
        // Lighting: red x 0.5 + add 0x20 green.
        {"lighting", MakeLightingColorFilter(0xff808080u, 0x00002000u), 0xff0000ffu, 0xff002080u},
        // Luma of opaque pure green: 0.7152 * 255 = 182.4.
        {"luma", MakeLumaColorFilter(), 0xff00ff00u, 0xb6000000u},
        // Blend: the colour as source over the input with Src is the colour; DstOver keeps an
        // opaque input.
        {"blend src", MakeBlendColorFilter({0, 0, 1, 1}, nullptr, BlendMode::Src), 0xff00ff00u, 0xffff0000u},
        {"blend dstover", MakeBlendColorFilter({0, 0, 1, 1}, nullptr, BlendMode::DstOver), 0xff00ff00u, 0xff00ff00u},
        // Overdraw: alpha 2 / 255 is a count of 2: green.
        {"overdraw", MakeOverdrawColorFilter(overdraw), 0x02000000u, 0xff00ff00u},
        // sRGB curve: linear 0.5 encodes to 0.7354 (188); 188 decodes back to 0.5 (128 within one).
        {"to sRGB", MakeLinearToSRGBGammaColorFilter(), 0xff808080u, 0xffbcbcbcu},
        // High contrast, grey and inverted brightness, no contrast change: opaque white -> black.
        {"high contrast", MakeHighContrastColorFilter(true, 1, 0), 0xffffffffu, 0xff000000u},
    };
    for (const FilterCase& k : cases) {
        ASSERT_TRUE(k.filter) << k.name;
        Paint p;
        p.colorFilter = k.filter;
        p.shader = nullptr;
        // The input colour comes from a colour shader of the unpremultiplied value.
        const float a = channel(k.in, 3) / 255.0f;
        p.shader = MakeColorShader({a ? channel(k.in, 0) / 255.0f / a : 0, a ? channel(k.in, 1) / 255.0f / a : 0,
                                    a ? channel(k.in, 2) / 255.0f / a : 0, a});
        p.setBlendMode(BlendMode::Src);
        const uint32_t got = render(p, 1, 1)[0];
        for (int ch = 0; ch < 4; ++ch) EXPECT_NEAR(channel(got, ch), channel(k.want, ch), 1) << k.name << " channel " << ch;
    }
    // Compose runs the inner filter first: half alpha, then swap.
    Paint p;
    p.shader = MakeColorShader(kRed);
    p.colorFilter = MakeComposeColorFilter(MakeMatrixColorFilter(swapRB), MakeMatrixColorFilter(halfAlpha));
    p.setBlendMode(BlendMode::Src);
    EXPECT_EQ(render(p, 1, 1)[0], 0x80800000u);
}

TEST(ColorFilters, BadArgumentsMakeNothing) {
    const float nanM[20] = {NAN};
    EXPECT_FALSE(MakeMatrixColorFilter(nullptr));
    EXPECT_FALSE(MakeMatrixColorFilter(nanM));
    EXPECT_FALSE(MakeHSLAMatrixColorFilter(nanM));
    EXPECT_FALSE(MakeHighContrastColorFilter(false, 3, 0));
    EXPECT_FALSE(MakeHighContrastColorFilter(false, 0, NAN));
    EXPECT_FALSE(MakeOverdrawColorFilter(nullptr));
    EXPECT_FALSE(MakeBlendColorFilter({NAN, 0, 0, 1}, nullptr, BlendMode::Src));
    EXPECT_FALSE(MakeBlendColorFilter(kRed, nullptr, BlendMode(99)));
}

// Arithmetic: k1 s d + k2 s + k3 d + k4 per channel, clamped, and kept premultiplied.
TEST(Blenders, ArithmeticWorkedByHand) {
    struct Case {
        float k[4];
        bool premul;
        uint32_t want;
    };
    // Source 50% grey (0x80 premul at alpha 0x80... opaque here): s = (0.5, 0.5, 0.5, 1);
    // destination opaque (0.2, 0.4, 1.0).
    const Case cases[] = {
        {{0, 1, 0, 0}, true, 0xff808080u},   // the source
        {{0, 0, 1, 0}, true, 0xffff6633u},   // the destination
        {{1, 0, 0, 0}, true, 0xff803319u},   // product: 0.1, 0.2, 0.5 -> 26 (25.5 rounds up), 51, 128
        {{0, 1, 1, -0.5f}, true, 0xffff6633u + 0},  // s + d - 0.5 = d
        {{0, 0, 0, 2}, true, 0xffffffffu},   // clamped to 1
    };
    for (const Case& k : cases) {
        auto b = MakeArithmeticBlender(k.k[0], k.k[1], k.k[2], k.k[3], k.premul);
        ASSERT_TRUE(b);
        Paint p;
        p.setColor(0xff808080u);
        p.blender = b;
        const uint32_t got = render(p, 1, 1, 0xffff6633u)[0];
        for (int ch = 0; ch < 4; ++ch) EXPECT_NEAR(channel(got, ch), channel(k.want, ch), 1) << k.k[0] << k.k[1] << k.k[2] << k.k[3];
    }
    EXPECT_FALSE(MakeArithmeticBlender(NAN, 0, 0, 0, true));
    // Premultiplied enforcement: colour above alpha comes down to alpha.
    Paint p;
    p.setColor(0x00000000);
    p.blender = MakeArithmeticBlender(0, 0, 0, 0.75f, true);  // every channel 0.75 ...
    EXPECT_EQ(render(p, 1, 1)[0], 0xbfbfbfbfu);
    p.blender = MakeArithmeticBlender(0, 0, 1, 0, true);  // ... the destination, alpha 0
    EXPECT_EQ(render(p, 1, 1, 0x00ffffffu)[0], 0u);
    EXPECT_TRUE(MakeModeBlender(BlendMode::Multiply));
    EXPECT_FALSE(MakeModeBlender(BlendMode(29)));
}

}  // namespace
