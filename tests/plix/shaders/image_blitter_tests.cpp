// The scaled-image blitter (bilinear, scale and translate, 8888 onto 8888) against the general
// pipeline run by the reference interpreter, on seeded random images, matrices and runs.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "raster/ImageBlitter.h"
#include "raster/Pipeline.h"
#include "raster/PipelineBlitter.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

int channel(uint32_t px, int c) { return int(px >> (8 * c)) & 255; }

uint32_t randomPremul(std::mt19937& rng) {
    const uint32_t a = rng() % 4 == 0 ? 255 : rng() % 256;
    uint32_t px = a << 24;
    for (int c = 0; c < 3; ++c) px |= (a ? uint32_t(rng() % (a + 1)) : 0) << (8 * c);
    return px;
}

// Every instruction set the CPU has (the wide registers take groups of four pixels).
TEST(ScaledImageBlitter, MatchesThePipelineReference) {
    std::mt19937 rng(8086);
    std::uniform_real_distribution<float> u(0, 1);
    struct Unforce {
        ~Unforce() { clearForcedIsa(); }
    } unforce;
    for (int round = 0; round < 240; ++round) {
        const Isa isas[] = {Isa::SSE2, Isa::AVX2, Isa::AVX512};
        forceIsa(isas[round % 3]);
        const ColorType ct = round % 2 ? ColorType::BGRA8888 : ColorType::RGBA8888;
        const int iw = 2 + int(rng() % 30), ih = 2 + int(rng() % 30);
        std::vector<uint32_t> img(size_t(iw * ih));
        for (auto& p : img) p = randomPremul(rng);
        Pixmap ipm;
        ASSERT_TRUE(ipm.reset(ImageInfo::Make(iw, ih, ct, AlphaType::Premul), img.data(), size_t(iw) * 4));
        // Scales from a quarter to four times, moved by up to ten pixels either way.
        const Matrix local = Matrix::MakeAll(0.25f + 3.75f * u(rng), 0, 20 * u(rng) - 10, 0, 0.25f + 3.75f * u(rng),
                                             20 * u(rng) - 10, 0, 0, 1);
        Paint paint;
        paint.shader = MakeImageShader(Image::MakeRasterCopy(ipm), TileMode::Clamp, TileMode::Clamp,
                                       SamplingOptions(FilterMode::Linear), &local);
        if (rng() % 3 == 0) paint.setBlendMode(BlendMode::Src);
        constexpr int W = 40, H = 12;
        std::vector<uint32_t> fast(size_t(W * H)), ref;
        for (auto& p : fast) p = randomPremul(rng);
        ref = fast;
        Pixmap pf, pr;
        ASSERT_TRUE(pf.reset(ImageInfo::Make(W, H, ct, AlphaType::Premul), fast.data(), W * 4));
        ASSERT_TRUE(pr.reset(ImageInfo::Make(W, H, ct, AlphaType::Premul), ref.data(), W * 4));
        ScaledImageBlitter b;
        ASSERT_TRUE(b.init(pf, paint, Matrix())) << round;
        auto r = PipelineBlitter::Make(pr, paint, Matrix());
        ASSERT_TRUE(r);
        r->useReference(true);
        for (int k = 0; k < 5; ++k) {
            const int y = int(rng() % H), x = int(rng() % W), n = 1 + int(rng() % (W - x));
            std::vector<uint8_t> cov(static_cast<size_t>(n), 0);
            for (auto& c : cov) c = uint8_t(rng() % 256);
            if (k == 0) {
                b.blitRect(0, 0, W, H), r->blitRect(0, 0, W, H);
            } else if (k % 2) {
                b.blitH(x, y, n), r->blitH(x, y, n);
            } else {
                b.blitAntiH(x, y, cov.data(), n), r->blitAntiH(x, y, cov.data(), n);
            }
        }
        for (size_t i = 0; i < fast.size(); ++i)
            for (int c = 0; c < 4; ++c)
                ASSERT_LE(std::abs(channel(fast[i], c) - channel(ref[i], c)), 2)
                    << "round " << round << " pixel " << i % W << "," << i / W << " channel " << c;
    }
}

TEST(ScaledImageBlitter, DeclinesWhatItCannotDraw) {
    uint32_t px[16] = {};
    Pixmap img, dst, f16;
    ASSERT_TRUE(img.reset(ImageInfo::Make(4, 4, ColorType::RGBA8888, AlphaType::Premul), px, 16));
    ASSERT_TRUE(dst.reset(ImageInfo::Make(4, 4, ColorType::RGBA8888, AlphaType::Premul), px, 16));
    ASSERT_TRUE(f16.reset(ImageInfo::Make(2, 4, ColorType::RGBAF16, AlphaType::Premul), px, 16));
    auto image = Image::MakeRasterCopy(img);
    auto paintWith = [&](TileMode t, SamplingOptions s, const Matrix& m) {
        Paint p;
        p.shader = MakeImageShader(image, t, t, s, &m);
        return p;
    };
    ScaledImageBlitter b;
    const SamplingOptions linear(FilterMode::Linear);
    EXPECT_TRUE(b.init(dst, paintWith(TileMode::Clamp, linear, Matrix::Scale(2, 3)), Matrix()));
    EXPECT_FALSE(b.init(dst, paintWith(TileMode::Repeat, linear, Matrix::Scale(2, 3)), Matrix()));
    EXPECT_FALSE(b.init(dst, paintWith(TileMode::Clamp, SamplingOptions(), Matrix::Scale(2, 3)), Matrix()));
    EXPECT_FALSE(b.init(dst, paintWith(TileMode::Clamp, linear, Matrix::RotateDeg(30)), Matrix()));
    EXPECT_FALSE(b.init(dst, paintWith(TileMode::Clamp, linear, Matrix::Scale(-1, 1)), Matrix()));
    EXPECT_FALSE(b.init(f16, paintWith(TileMode::Clamp, linear, Matrix()), Matrix()));
    Paint half = paintWith(TileMode::Clamp, linear, Matrix());
    half.setAlpha(0.5f);
    EXPECT_FALSE(b.init(dst, half, Matrix()));
}

}  // namespace
