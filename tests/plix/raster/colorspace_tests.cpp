#include <gtest/gtest.h>

#include <cmath>

#include "core/ColorSpace.h"

using namespace plix;

namespace {

TEST(TransferFn, SRGBCurveAtKnownPoints) {
    // 0.5 encoded is 0.2140 linear; below the break the curve is x / 12.92.
    EXPECT_NEAR(named::kSRGB.eval(0.5f), 0.214041f, 1e-5);
    EXPECT_NEAR(named::kSRGB.eval(0.02f), 0.02f / 12.92f, 1e-7);
    EXPECT_NEAR(named::kSRGB.eval(1.0f), 1.0f, 1e-5);
    EXPECT_NEAR(named::kSRGB.eval(-0.5f), -0.214041f, 1e-5);  // sign carried over
}

TEST(TransferFn, InverseUndoesTheCurve) {
    const TransferFn fns[] = {named::kSRGB, named::k2Dot2, named::kLinear, named::kRec2020,
                              {3.0f, 0.8f, 0.2f, 0.2f, 0.1f, 0.0f, 0.00195f}};
    for (const TransferFn& fn : fns) {
        TransferFn inv;
        ASSERT_TRUE(fn.invert(&inv));
        for (int i = 0; i <= 64; ++i) {
            const float x = i / 64.0f;
            EXPECT_NEAR(inv.eval(fn.eval(x)), x, 2e-4) << "g=" << fn.g << " x=" << x;
        }
    }
}

TEST(TransferFn, UnusableCurvesAreRefused) {
    TransferFn inv;
    EXPECT_FALSE((TransferFn{NAN, 1, 0, 0, 0, 0, 0}).invert(&inv));
    EXPECT_FALSE((TransferFn{0, 1, 0, 0, 0, 0, 0}).invert(&inv));   // g = 0: flat
    EXPECT_FALSE((TransferFn{2, -1, 0, 0, 0, 0, 0}).invert(&inv));  // decreasing
    EXPECT_FALSE(ColorSpace::MakeRGB({0, 1, 0, 0, 0, 0, 0}, named::kSRGBGamut));
    Matrix3 singular;
    singular.m = {1, 2, 3, 2, 4, 6, 0, 0, 1};
    EXPECT_FALSE(ColorSpace::MakeRGB(named::kSRGB, singular));
}

TEST(ColorSpace, NamedSpacesAndEquality) {
    auto srgb = ColorSpace::MakeSRGB();
    auto lin = ColorSpace::MakeSRGBLinear();
    EXPECT_TRUE(srgb->isSRGB());
    EXPECT_TRUE(srgb->gammaCloseToSRGB());
    EXPECT_FALSE(lin->isSRGB());
    EXPECT_TRUE(lin->gammaIsLinear());
    EXPECT_FALSE(lin->gammaCloseToSRGB());
    EXPECT_TRUE(srgb->makeLinearGamma()->equals(*lin));
    EXPECT_TRUE(lin->makeSRGBGamma()->equals(*srgb));
    EXPECT_TRUE(ColorSpace::Equals(nullptr, nullptr));
    EXPECT_FALSE(ColorSpace::Equals(srgb.get(), nullptr));
    EXPECT_FALSE(ColorSpace::Equals(nullptr, srgb.get()));
}

TEST(ColorSpaceXform, UntaggedAndEqualSpacesConvertNothing) {
    auto srgb = ColorSpace::MakeSRGB();
    EXPECT_TRUE(ColorSpaceXform(nullptr, srgb.get()).isIdentity());
    EXPECT_TRUE(ColorSpaceXform(srgb.get(), nullptr).isIdentity());
    EXPECT_TRUE(ColorSpaceXform(srgb.get(), ColorSpace::MakeRGB(named::kSRGB, named::kSRGBGamut).get()).isIdentity());
}

TEST(ColorSpaceXform, SRGBToLinearAndBack) {
    auto srgb = ColorSpace::MakeSRGB();
    auto lin = ColorSpace::MakeSRGBLinear();
    float c[4] = {0.5f, 1.0f, 0.0f, 0.7f};
    ColorSpaceXform(srgb.get(), lin.get()).apply(c);
    EXPECT_NEAR(c[0], 0.214041f, 1e-5);
    EXPECT_NEAR(c[1], 1.0f, 1e-5);
    EXPECT_NEAR(c[2], 0.0f, 1e-6);
    EXPECT_EQ(c[3], 0.7f);  // alpha untouched
    ColorSpaceXform(lin.get(), srgb.get()).apply(c);
    EXPECT_NEAR(c[0], 0.5f, 1e-4);
}

TEST(ColorSpaceXform, WideGamutRedIsOutsideSRGB) {
    auto p3 = ColorSpace::MakeRGB(named::kSRGB, named::kDisplayP3Gamut);
    auto srgb = ColorSpace::MakeSRGB();
    float c[4] = {1, 0, 0, 1};
    ColorSpaceXform(p3.get(), srgb.get()).apply(c);
    // Display P3 red is about (1.093, -0.227, -0.150) in extended sRGB.
    EXPECT_NEAR(c[0], 1.093f, 0.01f);
    EXPECT_NEAR(c[1], -0.227f, 0.01f);
    EXPECT_NEAR(c[2], -0.150f, 0.01f);
}

}  // namespace
