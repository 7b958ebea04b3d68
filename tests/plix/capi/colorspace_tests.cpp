// Colour spaces from primaries and from ICC profiles, and profiles written from colour spaces,
// through the C API. Profiles of the tests' own are written with Little CMS.
#include <gtest/gtest.h>

#include <lcms2.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/ColorSpace.h"
#include "core/IccProfile.h"
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

namespace {

std::vector<uint8_t> saved(cmsHPROFILE h) {
    cmsUInt32Number size = 0;
    EXPECT_TRUE(cmsSaveProfileToMem(h, nullptr, &size));
    std::vector<uint8_t> bytes(size);
    EXPECT_TRUE(cmsSaveProfileToMem(h, bytes.data(), &size));
    cmsCloseProfile(h);
    return bytes;
}

// Display P3 as Little CMS builds it: P3 primaries, D65 white, the sRGB curve.
std::vector<uint8_t> displayP3Profile(cmsToneCurve* curve = nullptr) {
    const cmsCIExyY white{0.3127, 0.3290, 1};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* own = curve ? nullptr : cmsBuildParametricToneCurve(nullptr, 4, srgb);
    cmsToneCurve* c = curve ? curve : own;
    cmsToneCurve* curves[3] = {c, c, c};
    std::vector<uint8_t> bytes = saved(cmsCreateRGBProfile(&white, &primaries, curves));
    if (own) cmsFreeToneCurve(own);
    return bytes;
}

uint32_t be(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Where the tag table entry (signature, offset, size) of a tag begins.
size_t tagEntry(const std::vector<uint8_t>& b, const char* sig) {
    for (size_t i = 0, n = be(b, 128); i < n; ++i)
        if (std::memcmp(&b[132 + 12 * i], sig, 4) == 0) return 132 + 12 * i;
    ADD_FAILURE() << "no tag " << sig;
    return 0;
}

plix_handle parse(const std::vector<uint8_t>& bytes) {
    return plix_colorspaceiccprofile_make_with_parse(bytes.data(), bytes.size());
}

}  // namespace

// Colour space -> profile -> colour space gives the same space: the named ones exactly, any
// other within the precision of the profile's fixed-point numbers. The profile's bytes parse
// again to the same gamut.
TEST(CapiColorSpaceIcc, RoundTripsThroughAProfile) {
    const plix_colorspace_transfer_fn srgbFn{2.4f, 1 / 1.055f, 0.055f / 1.055f, 1 / 12.92f, 0.04045f, 0, 0};
    const plix_colorspace_transfer_fn gamma18{1.8f, 1, 0, 0, 0, 0, 0};
    plix_colorspace_xyz p3{}, srgbGamut{};
    const plix_colorspace_primaries p3Primaries{0.680f, 0.320f, 0.265f, 0.690f, 0.150f, 0.060f, 0.3127f, 0.3290f};
    ASSERT_TRUE(plix_colorspaceprimaries_to_xyz(&p3Primaries, &p3));
    plix_handle srgb = plix_colorspace_make_srgb();
    ASSERT_TRUE(plix_colorspace_to_xyz(srgb, &srgbGamut));
    plix_colorspace_xyz p3Named{};
    {
        const plix::Matrix3& m = plix::named::kDisplayP3Gamut;
        p3Named = {m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5], m.m[6], m.m[7], m.m[8]};
    }
    struct Case {
        const char* what;
        plix_handle space;
        bool exact;
    };
    const Case cases[] = {
        {"sRGB", plix_colorspace_make_srgb(), true},
        {"linear sRGB", plix_colorspace_make_srgb_linear(), true},
        {"Display P3", plix_colorspace_make_rgb(&srgbFn, &p3Named), true},
        {"gamma 1.8 over P3 primaries", plix_colorspace_make_rgb(&gamma18, &p3), false},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.space, 0u) << c.what;
        plix_handle profile = plix_colorspace_to_profile(c.space);
        ASSERT_NE(profile, 0u) << c.what;
        size_t size = 0;
        const uint8_t* bytes = plix_colorspaceiccprofile_get_buffer(profile, &size);
        ASSERT_NE(bytes, nullptr);
        EXPECT_GE(size, 132u);
        EXPECT_EQ(std::memcmp(bytes + 36, "acsp", 4), 0) << c.what;
        plix_handle back = plix_colorspace_make(profile);
        ASSERT_NE(back, 0u) << c.what;
        if (c.exact) {
            EXPECT_TRUE(plix_colorspace_is_equal(back, c.space)) << c.what;
        } else {
            plix_colorspace_transfer_fn want{}, got{};
            plix_colorspace_xyz wantXyz{}, gotXyz{};
            plix_colorspace_is_numerical_transfer_fn(c.space, &want);
            plix_colorspace_is_numerical_transfer_fn(back, &got);
            EXPECT_NEAR(got.g, want.g, 1e-4) << c.what;
            plix_colorspace_to_xyz(c.space, &wantXyz);
            plix_colorspace_to_xyz(back, &gotXyz);
            EXPECT_NEAR(gotXyz.m11, wantXyz.m11, 1e-4) << c.what;
            EXPECT_NEAR(gotXyz.m32, wantXyz.m32, 1e-4) << c.what;
        }
        plix_colorspace_xyz fromProfile{};
        ASSERT_TRUE(plix_colorspaceiccprofile_to_xyz(profile, &fromProfile));
        plix_handle again = plix_colorspaceiccprofile_make_with_parse(bytes, size);
        ASSERT_NE(again, 0u);
        plix_handle backAgain = plix_colorspace_make(again);
        EXPECT_TRUE(plix_colorspace_is_equal(backAgain, back)) << c.what;
        for (plix_handle h : {back, backAgain, c.space}) plix_colorspace_unref(h);
        plix_colorspaceiccprofile_destroy(again);
        plix_colorspaceiccprofile_destroy(profile);
    }
    // A gamut beyond the numbers a profile holds still gives a profile (of the nearest space).
    const plix_colorspace_xyz huge{1e6f, 0, 0, 0, 1e6f, 0, 0, 0, 1e6f};
    plix_handle big = plix_colorspace_make_rgb(&srgbFn, &huge);
    ASSERT_NE(big, 0u);
    plix_handle bigProfile = plix_colorspace_to_profile(big);
    ASSERT_NE(bigProfile, 0u);
    plix_colorspace_xyz clamped{};
    ASSERT_TRUE(plix_colorspaceiccprofile_to_xyz(bigProfile, &clamped));
    EXPECT_NEAR(clamped.m11, 32768, 1);
    plix_colorspaceiccprofile_destroy(bigProfile);
    plix_colorspace_unref(big);
    plix_colorspace_unref(srgb);
}

// A Display P3 profile made by another writer gives the engine's Display P3 space exactly, with
// its curve parametric or as a 1024-entry table; a table of gamma 1.8 fits that power.
TEST(CapiColorSpaceIcc, ProfilesOfAnotherWriter) {
    const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* parametric = cmsBuildParametricToneCurve(nullptr, 4, srgb);
    std::vector<cmsUInt16Number> table(1024), gamma(1024);
    for (size_t i = 0; i < table.size(); ++i) {
        const float x = float(i) / 1023;
        table[i] = cmsUInt16Number(std::lround(cmsEvalToneCurveFloat(parametric, x) * 65535));
        gamma[i] = cmsUInt16Number(std::lround(std::pow(x, 1.8) * 65535));
    }
    cmsToneCurve* tabulated = cmsBuildTabulatedToneCurve16(nullptr, 1024, table.data());
    cmsToneCurve* gammaTable = cmsBuildTabulatedToneCurve16(nullptr, 1024, gamma.data());

    plix_handle p3 = plix_colorspace_make_srgb();
    plix_colorspace_xyz named{};
    {
        const plix::Matrix3& m = plix::named::kDisplayP3Gamut;
        named = {m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5], m.m[6], m.m[7], m.m[8]};
        plix_colorspace_transfer_fn fn{};
        plix_colorspace_is_numerical_transfer_fn(p3, &fn);
        plix_colorspace_unref(p3);
        p3 = plix_colorspace_make_rgb(&fn, &named);
    }
    for (cmsToneCurve* curve : {parametric, tabulated}) {
        plix_handle profile = parse(displayP3Profile(curve));
        ASSERT_NE(profile, 0u);
        plix_colorspace_xyz xyz{};
        ASSERT_TRUE(plix_colorspaceiccprofile_to_xyz(profile, &xyz));
        EXPECT_NEAR(xyz.m11, named.m11, 5e-4);
        plix_handle space = plix_colorspace_make(profile);
        ASSERT_NE(space, 0u);
        EXPECT_TRUE(plix_colorspace_is_equal(space, p3));
        plix_colorspace_unref(space);
        plix_colorspaceiccprofile_destroy(profile);
    }
    plix_handle profile = parse(displayP3Profile(gammaTable));
    plix_handle space = plix_colorspace_make(profile);
    ASSERT_NE(space, 0u);
    plix_colorspace_transfer_fn fn{};
    ASSERT_TRUE(plix_colorspace_is_numerical_transfer_fn(space, &fn));
    for (float x : {0.0f, 0.05f, 0.25f, 0.5f, 0.9f, 1.0f})
        EXPECT_NEAR(plix_colorspacetransferfn_transform(&fn, x), std::pow(x, 1.8f), 1.0f / 255) << x;
    plix_colorspace_unref(space);
    plix_colorspaceiccprofile_destroy(profile);
    plix_colorspace_unref(p3);
    for (cmsToneCurve* c : {parametric, tabulated, gammaTable}) cmsFreeToneCurve(c);
}

// Profiles that parse but describe no RGB matrix space give no colour space; damaged ones do
// not parse at all. Nothing crashes, and null arguments are refused.
TEST(CapiColorSpaceIcc, UnusableAndDamagedProfiles) {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    const std::vector<uint8_t> gray = saved(cmsCreateGrayProfile(cmsD50_xyY(), linear));
    const std::vector<uint8_t> lab = saved(cmsCreateLab4Profile(nullptr));
    cmsFreeToneCurve(linear);
    for (const auto* bytes : {&gray, &lab}) {
        plix_handle profile = parse(*bytes);
        ASSERT_NE(profile, 0u);
        plix_colorspace_xyz xyz{};
        EXPECT_FALSE(plix_colorspaceiccprofile_to_xyz(profile, &xyz));
        EXPECT_EQ(plix_colorspace_make(profile), 0u);
        plix_colorspaceiccprofile_destroy(profile);
    }
    // Red and green TRCs that differ: the engine has one curve for all channels.
    {
        cmsToneCurve* g22 = cmsBuildGamma(nullptr, 2.2);
        cmsToneCurve* g10 = cmsBuildGamma(nullptr, 1.0);
        const cmsCIExyY white{0.3127, 0.3290, 1};
        const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
        cmsToneCurve* curves[3] = {g22, g10, g22};
        plix_handle profile = parse(saved(cmsCreateRGBProfile(&white, &primaries, curves)));
        ASSERT_NE(profile, 0u);
        plix_colorspace_xyz xyz{};
        EXPECT_TRUE(plix_colorspaceiccprofile_to_xyz(profile, &xyz));
        EXPECT_EQ(plix_colorspace_make(profile), 0u);
        plix_colorspaceiccprofile_destroy(profile);
        cmsFreeToneCurve(g22);
        cmsFreeToneCurve(g10);
    }

    const std::vector<uint8_t> good = displayP3Profile();
    ASSERT_NE(good.size(), 0u);
    auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[at] = value;
        return b;
    };
    struct Damage {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Damage> damages = {
        {"empty", {}},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 128)},
        {"truncated tag data", std::vector<uint8_t>(good.begin(), good.end() - 20)},
        {"declared size beyond the data", with(0, 0x7f)},
        {"declared size below a header", [&] { auto b = good; b[0] = b[1] = b[2] = 0, b[3] = 16; return b; }()},
        {"no acsp signature", with(36, 'x')},
        {"tag count huge", [&] { auto b = good; b[128] = b[129] = 0xff; return b; }()},
        {"red colorant past the end", [&] { auto b = good; b[tagEntry(b, "rXYZ") + 4] = 0x7f; return b; }()},
        {"red curve of an unknown type", [&] { auto b = good; b[be(b, tagEntry(b, "rTRC") + 4)] = 'q'; return b; }()},
        {"red curve past the end", [&] { auto b = good; b[tagEntry(b, "rTRC") + 4] = 0x7f; return b; }()},
        {"green colorant of another type", [&] { auto b = good; b[be(b, tagEntry(b, "gXYZ") + 4)] = 'q'; return b; }()},
        {"zeros", std::vector<uint8_t>(good.size(), 0)},
    };
    for (const Damage& d : damages) {
        plix_handle profile = plix_colorspaceiccprofile_make_with_parse(d.bytes.data(), d.bytes.size());
        // Either refused outright, or parsed into something that yields no usable space.
        if (profile) {
            plix_handle space = plix_colorspace_make(profile);
            EXPECT_EQ(space, 0u) << d.what;
            plix_colorspace_unref(space);
            plix_colorspaceiccprofile_destroy(profile);
        }
    }
    EXPECT_EQ(plix_colorspaceiccprofile_make_with_parse(nullptr, 200), 0u);
    EXPECT_EQ(plix_colorspaceiccprofile_make_with_parse(good.data(), 0), 0u);
    EXPECT_EQ(plix_colorspace_make(0), 0u);
    EXPECT_EQ(plix_colorspace_to_profile(0), 0u);
    size_t size = 7;
    EXPECT_EQ(plix_colorspaceiccprofile_get_buffer(0, &size), nullptr);
    EXPECT_EQ(size, 0u);
    plix_colorspace_xyz xyz{};
    EXPECT_FALSE(plix_colorspaceiccprofile_to_xyz(0, &xyz));
    plix_colorspaceiccprofile_destroy(0);
}

// Every prefix and every single-byte change of a good profile parses or fails without
// crashing; a usable result is always the undamaged space or another valid one.
TEST(CapiColorSpaceIcc, EveryPrefixAndByteFlipIsSafe) {
    const std::vector<uint8_t> good = displayP3Profile();
    for (size_t n = 0; n < good.size(); n += 7) {
        plix_handle profile = plix_colorspaceiccprofile_make_with_parse(good.data(), n);
        if (profile) {
            plix_colorspace_unref(plix_colorspace_make(profile));
            plix_colorspaceiccprofile_destroy(profile);
        }
    }
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0xa5;
        plix_handle profile = plix_colorspaceiccprofile_make_with_parse(bad.data(), bad.size());
        if (profile) {
            plix_colorspace_unref(plix_colorspace_make(profile));
            plix_colorspaceiccprofile_destroy(profile);
        }
    }
}

// Table curves of no named or power form are fitted by the full form within one 8-bit level;
// tables no curve of that form follows (falling, jumping) are refused.
TEST(CapiColorSpaceIcc, TableCurvesFitTheParametricForm) {
    const plix::TransferFn shapes[] = {{2.6f, 0.95f, 0.05f, 0.08f, 0.06f, 0, 0}, {1.5f, 1, 0, 0.5f, 0.1f, 0, 0}};
    for (const plix::TransferFn& want : shapes) {
        float y[256];
        for (int i = 0; i < 256; ++i) y[i] = want.eval(i / 255.0f);
        plix::TransferFn got;
        ASSERT_TRUE(plix::fitTransferFn(y, 256, 1.0f / 255, &got));
        for (int i = 0; i < 256; ++i) EXPECT_NEAR(got.eval(i / 255.0f), y[i], 1.0f / 255) << i;
    }
    float falling[64], step[64];
    for (int i = 0; i < 64; ++i) falling[i] = 1 - i / 63.0f, step[i] = i < 32 ? 0.0f : 1.0f;
    plix::TransferFn out;
    EXPECT_FALSE(plix::fitTransferFn(falling, 64, 1.0f / 255, &out));
    EXPECT_FALSE(plix::fitTransferFn(step, 64, 1.0f / 255, &out));
    EXPECT_FALSE(plix::fitTransferFn(step, 1, 1.0f / 255, &out));
}
