// Colour spaces from primaries through the C API.
#include <gtest/gtest.h>

#include <cmath>

#include "core/ColorSpace.h"
#include "plix/plix.h"

namespace {

void expectGamut(const plix_colorspace_xyz& got, const plix::Matrix3& want, float tolerance) {
    const float g[9] = {got.m11, got.m12, got.m13, got.m21, got.m22, got.m23, got.m31, got.m32, got.m33};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(g[i], want.m[size_t(i)], tolerance) << "entry " << i;
}

}  // namespace

// The primaries and D65 white of sRGB and Display P3 give their D50-adapted gamuts; whatever the
// white, RGB white lands on the D50 white.
TEST(CapiColorSpacePrimaries, GiveTheD50Gamut) {
    const plix_colorspace_primaries srgb{0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f};
    const plix_colorspace_primaries p3{0.680f, 0.320f, 0.265f, 0.690f, 0.150f, 0.060f, 0.3127f, 0.3290f};
    plix_colorspace_xyz xyz{};
    ASSERT_TRUE(plix_colorspaceprimaries_to_xyz(&srgb, &xyz));
    expectGamut(xyz, plix::named::kSRGBGamut, 2e-4f);
    ASSERT_TRUE(plix_colorspaceprimaries_to_xyz(&p3, &xyz));
    expectGamut(xyz, plix::named::kDisplayP3Gamut, 2e-4f);

    const plix_colorspace_primaries warm{0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.4476f, 0.4074f};
    ASSERT_TRUE(plix_colorspaceprimaries_to_xyz(&warm, &xyz));
    EXPECT_NEAR(xyz.m11 + xyz.m12 + xyz.m13, 0.96422f, 1e-4);
    EXPECT_NEAR(xyz.m21 + xyz.m22 + xyz.m23, 1.0f, 1e-4);
    EXPECT_NEAR(xyz.m31 + xyz.m32 + xyz.m33, 0.82521f, 1e-4);
}

TEST(CapiColorSpacePrimaries, DegeneratePrimariesAreRefused) {
    struct Case {
        const char* what;
        plix_colorspace_primaries p;
    };
    const Case cases[] = {
        {"collinear primaries", {0.2f, 0.2f, 0.4f, 0.4f, 0.6f, 0.6f, 0.3127f, 0.3290f}},
        {"two equal primaries", {0.64f, 0.33f, 0.64f, 0.33f, 0.15f, 0.06f, 0.3127f, 0.3290f}},
        {"white with y = 0", {0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0}},
        {"negative value", {-0.1f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f}},
        {"above one", {0.64f, 1.5f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f}},
        {"not a number", {0.64f, 0.33f, NAN, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f}},
        {"infinite", {0.64f, 0.33f, 0.30f, INFINITY, 0.15f, 0.06f, 0.3127f, 0.3290f}},
    };
    for (const Case& c : cases) {
        plix_colorspace_xyz xyz{1, 2, 3, 4, 5, 6, 7, 8, 9};
        EXPECT_FALSE(plix_colorspaceprimaries_to_xyz(&c.p, &xyz)) << c.what;
        EXPECT_EQ(xyz.m11, 1) << c.what << ": output untouched";
    }
    plix_colorspace_xyz xyz{};
    const plix_colorspace_primaries srgb{0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f};
    EXPECT_FALSE(plix_colorspaceprimaries_to_xyz(nullptr, &xyz));
    EXPECT_FALSE(plix_colorspaceprimaries_to_xyz(&srgb, nullptr));
}
