// The value records of the object layer: image info and its colour-type table, sampling options,
// surface properties, rotation-scale matrices, lattices, and how records cross to the C API.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "Raised.h"
#include "Spy.h"
#include "Skia/ImageInfo.h"
#include "Skia/Lattice.h"
#include "Skia/Marshal.h"
#include "Skia/RotationScaleMatrix.h"
#include "Skia/Sampling.h"
#include "Skia/SurfaceProperties.h"
#include "Skia/Utf16.h"

using namespace Skia;
namespace API = Skia::API;
using CT = TSkColorType;
using AT = TSkAlphaType;

namespace {

// ---- image info ----

TEST(SkImageInfo, TheTwoNumberFormIsBGRAPremultipliedWithoutColorSpace) {
    const TSkImageInfo info(100, 50);
    EXPECT_EQ(info.ColorType, CT::BGRA8888);
    EXPECT_EQ(info.AlphaType, AT::Premul);
    EXPECT_FALSE(info.ColorSpace);
    EXPECT_EQ(info.MinRowBytes(), 400u);
    EXPECT_EQ(info.MinByteSize(), 20000u);
    EXPECT_EQ(info.ByteSize(512), 25600u);
}

TEST(SkImageInfo, TheColorTypeTableSizesPixelsAndDecidesTheAlphaTypes) {
    // Bytes per pixel and the alpha types each colour type accepts (O opaque, P premul,
    // U unpremul), as the colour types define them.
    const struct {
        CT type;
        int bytes, shift;
        const char* alphas;
    } table[] = {
        {CT::Unknown, 0, 0, ""},         {CT::Alpha8, 1, 0, "OP"},        {CT::RGB565, 2, 1, "O"},
        {CT::ARGB4444, 2, 1, "OPU"},     {CT::RGBA8888, 4, 2, "OPU"},     {CT::RGB888X, 4, 2, "O"},
        {CT::BGRA8888, 4, 2, "OPU"},     {CT::RGBA1010102, 4, 2, "OPU"},  {CT::BGRA1010102, 4, 2, "OPU"},
        {CT::RGB101010X, 4, 2, "O"},     {CT::BGR101010X, 4, 2, "O"},     {CT::Gray8, 1, 0, "O"},
        {CT::RGBAF16, 8, 3, "OPU"},      {CT::RGBAF16Clamped, 8, 3, "OPU"}, {CT::RGBAF32, 16, 4, "OPU"},
        {CT::RG88, 2, 1, "O"},           {CT::AlphaF16, 2, 1, "OP"},      {CT::RGF16, 4, 2, "O"},
        {CT::Alpha16, 2, 1, "OP"},       {CT::RG1616, 4, 2, "O"},         {CT::RGBA16161616, 8, 3, "OPU"},
        {CT::SRGBA8888, 4, 2, "OPU"},    {CT::R8, 1, 0, "OPU"},
    };
    ASSERT_EQ(std::size(table), 23u);
    for (const auto& row : table) {
        SCOPED_TRACE(static_cast<int>(row.type));
        TSkImageInfo info(3, 2, row.type, AT::Unknown);
        EXPECT_EQ(info.BytesPerPixel(), row.bytes);
        EXPECT_EQ(info.ShiftPerPixel(), row.shift);
        EXPECT_EQ(1 << info.ShiftPerPixel(), row.bytes == 0 ? 1 : row.bytes);
        EXPECT_EQ(info.MinRowBytes(), size_t(3 * row.bytes));
        EXPECT_FALSE(info.IsValid());  // Unknown alpha is never valid
        EXPECT_EQ(info.MakeAlphaType(AT::Opaque).IsValid(), std::strchr(row.alphas, 'O') != nullptr);
        EXPECT_EQ(info.MakeAlphaType(AT::Premul).IsValid(), std::strchr(row.alphas, 'P') != nullptr);
        EXPECT_EQ(info.MakeAlphaType(AT::Unpremul).IsValid(), std::strchr(row.alphas, 'U') != nullptr);
    }
}

TEST(SkImageInfo, IsValidRefusesEmptyAndOversizedImages) {
    const struct {
        int w, h;
        bool valid;
    } cases[] = {{536870911, 1, true}, {536870912, 1, false}, {1, 536870912, false}, {0, 5, false},
                 {5, -1, false},       {1, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        EXPECT_EQ(TSkImageInfo(c.w, c.h, CT::RGB565, AT::Opaque).IsValid(), c.valid);
    }
    EXPECT_FALSE(TSkImageInfo(4, 4, CT::RGB565, AT::Premul).IsValid());
}

TEST(SkImageInfo, RowBytesMustHoldARowOfWholePixels) {
    const TSkImageInfo info(10, 1, CT::RGBAF16, AT::Premul);
    EXPECT_TRUE(info.IsValidRowBytes(80));
    EXPECT_TRUE(info.IsValidRowBytes(88));
    EXPECT_FALSE(info.IsValidRowBytes(84));  // not a multiple of 8
    EXPECT_FALSE(info.IsValidRowBytes(72));  // below the minimum
}

TEST(SkImageInfo, BadNumbersGiveSafeAnswers) {
    const TSkImageInfo stray(4, 4, static_cast<CT>(99), AT::Premul);
    EXPECT_EQ(stray.BytesPerPixel(), 0);
    EXPECT_FALSE(stray.IsValid());
    EXPECT_FALSE(TSkImageInfo(4, 4, CT::RGBA8888, static_cast<AT>(40)).IsValid());
    EXPECT_EQ(TSkImageInfo(-3, 4).MinRowBytes(), 0u);
    EXPECT_EQ(TSkImageInfo(4, -4).ByteSize(16), 0u);
    EXPECT_EQ(TSkImageInfo(4, 1 << 20).ByteSize(std::numeric_limits<size_t>::max() / 2),
              std::numeric_limits<size_t>::max());
}

TEST(SkImageInfo, MakeReplacesOnePart) {
    FakeReleases releases;
    Ref<ISkColorSpace> colorSpace = Wrap<TSkColorSpace>(0xC5);
    const TSkImageInfo info(8, 6, CT::RGBA8888, AT::Opaque);
    EXPECT_EQ(info.MakeAlphaType(AT::Unpremul).AlphaType, AT::Unpremul);
    EXPECT_EQ(info.MakeColorType(CT::Gray8).ColorType, CT::Gray8);
    EXPECT_EQ(info.MakeColorSpace(colorSpace).ColorSpace, colorSpace);
    const TSkImageInfo resized = info.MakeDimensions(3, 4);
    EXPECT_EQ(resized.Width, 3);
    EXPECT_EQ(resized.Height, 4);
    EXPECT_EQ(resized.ColorType, CT::RGBA8888);
    EXPECT_TRUE(info.IsOpaque());
    EXPECT_TRUE(TSkImageInfo(0, 6).IsEmpty());
}

TEST(SkImageInfo, EqualityAsksTheNativeSideOnlyWhenBothHaveAColorSpace) {
    FakeReleases releases;
    static bool equal;
    Spy<&API::plix_colorspace_is_equal> isEqual([](plix_handle a, plix_handle b) {
        EXPECT_EQ(a, 0xC1u);
        EXPECT_EQ(b, 0xC2u);
        return equal;
    });
    const TSkImageInfo none(4, 4);
    const TSkImageInfo first = none.MakeColorSpace(Wrap<TSkColorSpace>(0xC1));
    const TSkImageInfo second = none.MakeColorSpace(Wrap<TSkColorSpace>(0xC2));
    EXPECT_TRUE(none == TSkImageInfo(4, 4));
    EXPECT_FALSE(none == first);
    EXPECT_FALSE(first == none);
    EXPECT_TRUE(none != first);
    EXPECT_EQ(decltype(isEqual)::Calls(), 0);
    equal = true;
    EXPECT_TRUE(first == second);
    equal = false;
    EXPECT_FALSE(first == second);
    EXPECT_EQ(decltype(isEqual)::Calls(), 2);
    EXPECT_FALSE(first == second.MakeDimensions(4, 5));
    EXPECT_EQ(decltype(isEqual)::Calls(), 2);
}

TEST(SkImageInfo, CrossesAsFourNumbersAndAColorSpaceHandle) {
    FakeReleases releases;
    {
        const TSkImageInfo info(14, 14, CT::RGBAF32, AT::Unpremul, Wrap<TSkColorSpace>(0xC5));
        const plix_imageinfo native = info.ToNative();
        EXPECT_EQ(native.width, 14);
        EXPECT_EQ(native.height, 14);
        EXPECT_EQ(native.color_type, 14);
        EXPECT_EQ(native.alpha_type, 3);
        EXPECT_EQ(native.color_space, 0xC5u);
    }
    // A native result carries a colour space reference of its own, which the record takes over.
    {
        const TSkImageInfo back = TSkImageInfo::FromNative({7, 9, 2, 1, 0xC6});
        EXPECT_EQ(back.Width, 7);
        EXPECT_EQ(back.Height, 9);
        EXPECT_EQ(back.ColorType, CT::RGB565);
        EXPECT_EQ(back.AlphaType, AT::Opaque);
        ASSERT_TRUE(back.ColorSpace);
        EXPECT_EQ(back.ColorSpace->GetHandle(), 0xC6u);
        EXPECT_FALSE(TSkImageInfo::FromNative({1, 1, 6, 2, 0}).ColorSpace);
    }
    EXPECT_EQ(FakeReleases::Balance(0xC6), -1);  // the result's reference, given back once
    EXPECT_EQ(FakeReleases::Refs(0xC6), 0);
}

// ---- sampling ----

TEST(SkSampling, PresetsAndConstructors) {
    const TSkSamplingOptions none;
    EXPECT_EQ(none, TSkSamplingOptions(TSkFilterMode::Nearest, TSkMipmapMode::None));
    EXPECT_EQ(TSkSamplingOptions(0).MaxAnisotropic, 1);
    EXPECT_EQ(TSkSamplingOptions(1).MaxAnisotropic, 1);
    EXPECT_EQ(TSkSamplingOptions(-5).MaxAnisotropic, 1);
    EXPECT_EQ(TSkSamplingOptions(16).MaxAnisotropic, 16);
    EXPECT_EQ(TSkSamplingOptions::High(), TSkSamplingOptions(TSkCubicResampler::Mitchell()));
    EXPECT_TRUE(TSkSamplingOptions::High().UseCubic);
    EXPECT_EQ(TSkSamplingOptions::Medium(), TSkSamplingOptions(TSkFilterMode::Linear, TSkMipmapMode::Nearest));
    EXPECT_EQ(TSkSamplingOptions::Low().Filter, TSkFilterMode::Nearest);
    EXPECT_FALSE(TSkSamplingOptions::Low() == none);  // differs in the mipmap mode only
    EXPECT_EQ(TSkSamplingOptions::Low().Mipmap, TSkMipmapMode::Nearest);
    EXPECT_EQ(TSkCubicResampler::CatmullRom().B, 0.0f);
    EXPECT_EQ(TSkCubicResampler::CatmullRom().C, 0.5f);
    EXPECT_FALSE(TSkCubicResampler::CatmullRom() == TSkCubicResampler::Mitchell());
    EXPECT_FALSE(TSkSamplingOptions(TSkCubicResampler(0, 0.5f)) == TSkSamplingOptions(TSkCubicResampler(0, 0.51f)));
}

TEST(SkSampling, CrossesInTheNativeLayout) {
    const TSkSamplingOptions options(TSkCubicResampler(0.25f, 0.75f));
    const plix_sampling_options native = options.ToNative();
    EXPECT_EQ(native.max_anisotropic, 0);
    EXPECT_TRUE(native.use_cubic);
    EXPECT_EQ(native.cubic.b, 0.25f);
    EXPECT_EQ(native.cubic.c, 0.75f);
    const plix_sampling_options linear = TSkSamplingOptions::Medium().ToNative();
    EXPECT_EQ(linear.filter, 1);
    EXPECT_EQ(linear.mipmap, 1);
    EXPECT_FALSE(linear.use_cubic);
}

// ---- surface properties ----

TEST(SkSurfaceProperties, FlagsCrossAsBitsThenTheGeometry) {
    const TSkSurfaceProperties props({TSkSurfacePropertiesFlag::DynamicMSAA}, TSkPixelGeometry::BGRVertical);
    const plix_surface_props native = props.ToNative();
    EXPECT_EQ(native.flags, 2u);
    EXPECT_EQ(native.pixel_geometry, 4);
    EXPECT_EQ(TSkSurfaceProperties::FromNative(native), props);
    EXPECT_FALSE(TSkSurfaceProperties::FromNative({3, 4}) == props);
    EXPECT_EQ(TSkSurfaceProperties::FromNative({1, 0}).Flags,
              TSkSurfacePropertiesFlags{TSkSurfacePropertiesFlag::UseDeviceIndependentFonts});
}

// ---- rotation-scale matrices ----

TEST(SkRotationScaleMatrix, DegreesNinetyMapsTheXAxisOntoTheYAxis) {
    const Ui::TMatrix m = TSkRotationScaleMatrix::CreateDegrees(1, 90, 0, 0, 0, 0).ToMatrix();
    EXPECT_NEAR(m.m11, 0, 1e-6);
    EXPECT_NEAR(m.m12, 1, 1e-6);
    EXPECT_NEAR(m.m21, -1, 1e-6);
    const Ui::TPointF p = m.Transform({1, 0});
    EXPECT_NEAR(p.X, 0, 1e-6);
    EXPECT_NEAR(p.Y, 1, 1e-6);
}

TEST(SkRotationScaleMatrix, TheAnchorLandsOnTheTranslation) {
    // Scale 2, no turn, anchor (1, 1) to (10, 20): the translation is (10 - 2, 20 - 2).
    const TSkRotationScaleMatrix r = TSkRotationScaleMatrix::CreateRadians(2, 0, 10, 20, 1, 1);
    EXPECT_EQ(r, TSkRotationScaleMatrix(2, 0, 8, 18));
    const TSkRotationScaleMatrix turned = TSkRotationScaleMatrix::CreateRadians(3, 0.7f, 5, -4, 2, 6);
    const Ui::TPointF anchor = turned.ToMatrix().Transform({2, 6});
    EXPECT_NEAR(anchor.X, 5, 1e-5);
    EXPECT_NEAR(anchor.Y, -4, 1e-5);
    EXPECT_EQ(TSkRotationScaleMatrix::Identity(), TSkRotationScaleMatrix(1, 0, 0, 0));
    EXPECT_FALSE(TSkRotationScaleMatrix(1, 0, 0, 0) == TSkRotationScaleMatrix(1, 0, 0, 1e-3f));
}

// ---- lattices ----

TEST(SkLattice, ChecksTheArraysInOrder) {
    const std::vector<int32_t> one{10}, none;
    const std::vector<TSkLatticeRectType> threeTypes(3), fourTypes(4);
    const std::vector<Ui::TAlphaColor> threeColors(3), fourColors(4);
    const std::vector<TSkLatticeRectType> noTypes;
    const std::vector<Ui::TAlphaColor> noColors;
    EXPECT_NO_THROW(TSkLattice(one, one, noTypes, noColors));
    EXPECT_NO_THROW(TSkLattice(one, one, fourTypes, fourColors));
    const struct {
        const char* what;
        std::function<void()> make;
        const char* message;
    } cases[] = {
        {"no x divisions", [&] { TSkLattice(none, none, threeTypes, noColors); }, "Parameter AXDivs cannot be empty"},
        {"no y divisions", [&] { TSkLattice(one, none); }, "Parameter AYDivs cannot be empty"},
        {"3 rect types for 4 cells", [&] { TSkLattice(one, one, threeTypes, threeColors); },
         "Parameter ARectTypes size mismatch"},
        {"3 colours for 4 rect types", [&] { TSkLattice(one, one, Ui::TRect{0, 0, 5, 5}, fourTypes, threeColors); },
         "Parameter AColors size mismatch"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.make), c.message);
    }
}

TEST(SkLattice, NativeFormPointsIntoTheLattice) {
    const std::vector<int32_t> xs{4, 8}, ys{3};
    const std::vector<TSkLatticeRectType> types(6, TSkLatticeRectType::FixedColor);
    const std::vector<Ui::TAlphaColor> colors(6, 0xFF00FF00);
    const TSkLattice bounded(xs, ys, Ui::TRect{1, 2, 30, 40}, types, colors);
    plix_irect storage;
    plix_lattice native = bounded.ToNative(storage);
    EXPECT_EQ(native.x_count, 2);
    EXPECT_EQ(native.y_count, 1);
    EXPECT_EQ(native.x_divs[1], 8);
    EXPECT_EQ(native.y_divs[0], 3);
    ASSERT_NE(native.rect_types, nullptr);
    EXPECT_EQ(native.rect_types[5], 2);
    ASSERT_NE(native.colors, nullptr);
    EXPECT_EQ(native.colors[0], 0xFF00FF00u);
    ASSERT_NE(native.bounds, nullptr);
    EXPECT_EQ(native.bounds->right, 30);

    TSkLattice plain(xs, ys);
    plain.Colors = colors;  // colours without rect types mean nothing and stay home
    native = plain.ToNative(storage);
    EXPECT_EQ(native.bounds, nullptr);
    EXPECT_EQ(native.rect_types, nullptr);
    EXPECT_EQ(native.colors, nullptr);
}

// ---- marshalling ----

TEST(SkMarshal, MatricesCrossTransposed) {
    Ui::TMatrix m;
    m.m11 = 1; m.m12 = 2; m.m13 = 3;
    m.m21 = 4; m.m22 = 5; m.m23 = 6;
    m.m31 = 7; m.m32 = 8; m.m33 = 9;
    const plix_matrix n = Marshal::ToNative(m);
    EXPECT_EQ(n.scale_x, 1);
    EXPECT_EQ(n.skew_x, 4);
    EXPECT_EQ(n.trans_x, 7);
    EXPECT_EQ(n.skew_y, 2);
    EXPECT_EQ(n.scale_y, 5);
    EXPECT_EQ(n.trans_y, 8);
    EXPECT_EQ(n.persp_0, 3);
    EXPECT_EQ(n.persp_1, 6);
    EXPECT_EQ(n.persp_2, 9);
    EXPECT_EQ(Marshal::FromNative(n), m);
    EXPECT_EQ(Marshal::FromNative(n).m23, 6);

    Ui::TMatrix3D m3;
    m3.m41 = 10; m3.m42 = 20; m3.m43 = 30; m3.m14 = 0.5f;
    const plix_matrix44 n3 = Marshal::ToNative(m3);
    EXPECT_EQ(n3.m[3], 10);   // translation x: row 0, column 3
    EXPECT_EQ(n3.m[7], 20);
    EXPECT_EQ(n3.m[11], 30);
    EXPECT_EQ(n3.m[12], 0.5f);  // perspective: row 3, column 0
    EXPECT_EQ(Marshal::FromNative(n3), m3);
}

// ---- UTF-16 ----

TEST(SkUtf16, ConvertsAndReplacesMalformedSequences) {
    const struct {
        const char* what;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"ASCII", "AB", u"AB"},
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
        {"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"stray continuation", "a\x80" "b", u"a\uFFFDb"},
        {"truncated", "\xE2\x82", u"\uFFFD"},
        {"truncated then ASCII", "\xC3" "A", u"\uFFFDA"},
        {"overlong", "\xC0\xAF", u"\uFFFD"},
        {"surrogate", "\xED\xA0\x80", u"\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
        {"invalid lead", "\xFF", u"\uFFFD"},
        {"empty", "", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    }
}

}  // namespace
