#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/ColorType.h"
#include "core/Half.h"
#include "core/ImageInfo.h"
#include "raster/PixelFormats.h"

using namespace plix;

namespace {

TEST(ColorTypeTable, SizesAndShiftsFollowTheOrdinals) {
    struct Row { ColorType ct; int bytes; int shift; };
    const Row rows[] = {
        {ColorType::Unknown, 0, 0},       {ColorType::Alpha8, 1, 0},       {ColorType::RGB565, 2, 1},
        {ColorType::ARGB4444, 2, 1},      {ColorType::RGBA8888, 4, 2},     {ColorType::RGB888X, 4, 2},
        {ColorType::BGRA8888, 4, 2},      {ColorType::RGBA1010102, 4, 2},  {ColorType::BGRA1010102, 4, 2},
        {ColorType::RGB101010X, 4, 2},    {ColorType::BGR101010X, 4, 2},   {ColorType::Gray8, 1, 0},
        {ColorType::RGBAF16, 8, 3},       {ColorType::RGBAF16Clamped, 8, 3}, {ColorType::RGBAF32, 16, 4},
        {ColorType::RG88, 2, 1},          {ColorType::AlphaF16, 2, 1},     {ColorType::RGF16, 4, 2},
        {ColorType::Alpha16, 2, 1},       {ColorType::RG1616, 4, 2},       {ColorType::RGBA16161616, 8, 3},
        {ColorType::SRGBA8888, 4, 2},     {ColorType::R8, 1, 0},
    };
    ASSERT_EQ(std::size(rows), size_t(kColorTypeCount));
    for (int i = 0; i < kColorTypeCount; ++i) {
        EXPECT_EQ(int(rows[i].ct), i);
        EXPECT_EQ(bytesPerPixel(rows[i].ct), rows[i].bytes) << kColorTypeInfo[i].name;
        EXPECT_EQ(shiftPerPixel(rows[i].ct), rows[i].shift) << kColorTypeInfo[i].name;
    }
}

TEST(ColorTypeTable, AlphaTypeRules) {
    struct Row { ColorType ct; bool opaque, premul, unpremul; };
    const Row rows[] = {
        {ColorType::Unknown, false, false, false}, {ColorType::Alpha8, true, true, false},
        {ColorType::RGB565, true, false, false},   {ColorType::ARGB4444, true, true, true},
        {ColorType::Gray8, true, false, false},    {ColorType::AlphaF16, true, true, false},
        {ColorType::Alpha16, true, true, false},   {ColorType::RG1616, true, false, false},
        {ColorType::RGBA16161616, true, true, true}, {ColorType::R8, true, true, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(colorTypeAccepts(r.ct, AlphaType::Opaque), r.opaque) << int(r.ct);
        EXPECT_EQ(colorTypeAccepts(r.ct, AlphaType::Premul), r.premul) << int(r.ct);
        EXPECT_EQ(colorTypeAccepts(r.ct, AlphaType::Unpremul), r.unpremul) << int(r.ct);
        EXPECT_FALSE(colorTypeAccepts(r.ct, AlphaType::Unknown));
    }
}

TEST(ImageInfo, SizesAndValidity) {
    const ImageInfo n32 = ImageInfo::MakeN32Premul(100, 50);
    EXPECT_EQ(n32.minRowBytes(), 400u);
    EXPECT_EQ(n32.computeMinByteSize(), 20000u);
    EXPECT_TRUE(n32.isValid());

    const ImageInfo f16 = ImageInfo::Make(10, 1, ColorType::RGBAF16, AlphaType::Premul);
    EXPECT_TRUE(f16.validRowBytes(80));
    EXPECT_FALSE(f16.validRowBytes(84));  // not a multiple of 8
    EXPECT_FALSE(f16.validRowBytes(72));  // below the minimum

    EXPECT_FALSE(ImageInfo::Make(4, 4, ColorType::RGB565, AlphaType::Premul).isValid());
    EXPECT_TRUE(ImageInfo::Make(4, 4, ColorType::RGB565, AlphaType::Opaque).isValid());
    EXPECT_FALSE(ImageInfo::MakeN32Premul(536870912, 1).isValid());
    EXPECT_TRUE(ImageInfo::MakeN32Premul(536870911, 1).isValid());
    EXPECT_FALSE(ImageInfo::MakeN32Premul(0, 5).isValid());
    EXPECT_FALSE(ImageInfo::MakeN32Premul(-3, 5).isValid());
    EXPECT_EQ(ImageInfo::MakeN32Premul(-3, 5).minRowBytes(), 0u);
    EXPECT_FALSE(ImageInfo::Make(4, 4, ColorType(99), AlphaType::Premul).isValid());
}

TEST(ImageInfo, EqualityLooksAtTheColorSpace) {
    const ImageInfo a = ImageInfo::MakeN32Premul(8, 8);
    const ImageInfo b = a.makeColorSpace(ColorSpace::MakeSRGB());
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(b == a);
    EXPECT_TRUE(b == a.makeColorSpace(ColorSpace::MakeRGB(named::kSRGB, named::kSRGBGamut)));
    EXPECT_FALSE(b == a.makeColorSpace(ColorSpace::MakeSRGBLinear()));
}

TEST(Pixmap, ResetRejectsBadInput) {
    uint32_t px[16];
    Pixmap pm;
    EXPECT_TRUE(pm.reset(ImageInfo::MakeN32Premul(4, 4), px, 16));
    EXPECT_FALSE(pm.reset(ImageInfo::MakeN32Premul(4, 4), px, 12));  // row bytes below minimum
    EXPECT_FALSE(pm.valid());
    EXPECT_FALSE(pm.reset(ImageInfo::MakeN32Premul(4, 4), nullptr, 16));
    EXPECT_FALSE(pm.reset(ImageInfo::MakeN32Premul(0, 4), px, 16));
}

TEST(Half, KnownValues) {
    struct Row { float f; uint16_t h; };
    const Row rows[] = {
        {1.0f, 0x3C00}, {0.5f, 0x3800}, {-2.0f, 0xC000}, {0.25f, 0x3400}, {65504.0f, 0x7BFF},
        {65520.0f, 0x7C00}, {1e9f, 0x7C00}, {5.9604645e-8f, 0x0001}, {0.0f, 0x0000}, {-0.0f, 0x8000},
        {1.0f / 3.0f, 0x3555}, {INFINITY, 0x7C00}, {6.1035156e-5f, 0x0400},
        // halfway between 1 and the next half (1 + 2^-11): ties to even gives 1
        {1.00048828125f, 0x3C00}, {1.00146484375f, 0x3C02},
    };
    for (const Row& r : rows) EXPECT_EQ(floatToHalf(r.f), r.h) << r.f;
    EXPECT_TRUE(std::isnan(halfToFloat(floatToHalf(NAN))));
}

TEST(Half, EveryHalfSurvivesARoundTrip) {
    for (uint32_t h = 0; h < 0x10000; ++h) {
        const float f = halfToFloat(uint16_t(h));
        if (std::isnan(f)) continue;
        ASSERT_EQ(floatToHalf(f), h) << std::hex << h;
    }
}

struct StoreCase {
    ColorType ct;
    float r, g, b, a;
    std::vector<uint8_t> bytes;
};

// Expected bytes worked out by hand: value * (2^bits - 1) rounded to nearest, little endian.
const StoreCase kStoreCases[] = {
    {ColorType::Alpha8, 0.3f, 0.3f, 0.3f, 0.5f, {128}},
    {ColorType::RGB565, 1, 0.5f, 0, 1, {0x00, 0xFC}},                 // 31<<11 | 32<<5 | 0
    {ColorType::ARGB4444, 1, 0, 0.2f, 0.6f, {0x39, 0xF0}},            // F,0,3,9
    {ColorType::RGBA8888, 1, 0.5f, 0.25f, 0.75f, {255, 128, 64, 191}},
    {ColorType::RGB888X, 1, 0.5f, 0.25f, 0.75f, {255, 128, 64, 255}},
    {ColorType::BGRA8888, 1, 0.5f, 0.25f, 0.75f, {64, 128, 255, 191}},
    {ColorType::RGBA1010102, 1, 0.5f, 0, 1, {0xFF, 0x03, 0x08, 0xC0}},  // 1023 | 512<<10 | 3<<30
    {ColorType::BGRA1010102, 1, 0.5f, 0, 1, {0x00, 0x00, 0xF8, 0xFF}},  // 512<<10 | 1023<<20 | 3<<30
    {ColorType::RGB101010X, 1, 0.5f, 0, 0.2f, {0xFF, 0x03, 0x08, 0xC0}},
    {ColorType::BGR101010X, 1, 0.5f, 0, 0.2f, {0x00, 0x00, 0xF8, 0xFF}},
    {ColorType::Gray8, 1, 0, 0, 1, {54}},                            // 0.2126 * 255
    {ColorType::RGBAF16, 1, 0.5f, -2, 0.25f, {0x00, 0x3C, 0x00, 0x38, 0x00, 0xC0, 0x00, 0x34}},
    {ColorType::RGBAF16Clamped, 1.5f, 0.5f, -2, 0.25f, {0x00, 0x3C, 0x00, 0x38, 0x00, 0x00, 0x00, 0x34}},
    {ColorType::RG88, 0.25f, 1, 0.7f, 0.1f, {64, 255}},
    {ColorType::AlphaF16, 0, 0, 0, 0.5f, {0x00, 0x38}},
    {ColorType::RGF16, 1, -2, 0, 1, {0x00, 0x3C, 0x00, 0xC0}},
    {ColorType::Alpha16, 0, 0, 0, 0.5f, {0x00, 0x80}},
    {ColorType::RG1616, 1, 0.25f, 0, 1, {0xFF, 0xFF, 0x00, 0x40}},
    {ColorType::RGBA16161616, 0, 1, 0.5f, 1, {0, 0, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0xFF}},
    {ColorType::SRGBA8888, 0.5f, 0.2f, 1, 0.5f, {188, 124, 255, 128}},
    {ColorType::R8, 0.5f, 1, 1, 1, {128}},
};

TEST(PixelFormats, StoreOneColorOfEachType) {
    for (const StoreCase& c : kStoreCases) {
        StoreFn store = storeFn(c.ct);
        ASSERT_NE(store, nullptr);
        std::vector<uint8_t> out(bytesPerPixel(c.ct), 0xAB);
        store(out.data(), 1, &c.r, &c.g, &c.b, &c.a);
        EXPECT_EQ(out, c.bytes) << kColorTypeInfo[int(c.ct)].name;
    }
    EXPECT_EQ(storeFn(ColorType::Unknown), nullptr);
    EXPECT_EQ(loadFn(ColorType(77)), nullptr);
}

TEST(PixelFormats, StoreClampsAndMapsNaNToZero) {
    const float r = 2, g = -1, b = NAN, a = 1;
    uint8_t out[4];
    storeFn(ColorType::RGBA8888)(out, 1, &r, &g, &b, &a);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
}

TEST(PixelFormats, LoadFillsMissingChannels) {
    struct Case { ColorType ct; std::vector<uint8_t> bytes; float r, g, b, a; };
    const Case cases[] = {
        {ColorType::Alpha8, {51}, 0, 0, 0, 0.2f},
        {ColorType::Gray8, {51}, 0.2f, 0.2f, 0.2f, 1},
        {ColorType::R8, {51}, 0.2f, 0, 0, 1},
        {ColorType::RG88, {51, 102}, 0.2f, 0.4f, 0, 1},
        {ColorType::RGB888X, {51, 102, 153, 7}, 0.2f, 0.4f, 0.6f, 1},
        {ColorType::RGB565, {0x00, 0xFC}, 1, 32 / 63.0f, 0, 1},
        {ColorType::RGB101010X, {0xFF, 0x03, 0x08, 0x00}, 1, 512 / 1023.0f, 0, 1},
        {ColorType::SRGBA8888, {128, 10, 255, 51}, 0.2158605f, 0.0030353f, 1, 0.2f},
        {ColorType::Alpha16, {0x00, 0x80}, 0, 0, 0, 32768 / 65535.0f},
        {ColorType::RGF16, {0x00, 0x3C, 0x00, 0xC0}, 1, -2, 0, 1},
    };
    for (const Case& c : cases) {
        float r = 9, g = 9, b = 9, a = 9;
        loadFn(c.ct)(c.bytes.data(), 1, &r, &g, &b, &a);
        const char* name = kColorTypeInfo[int(c.ct)].name;
        EXPECT_NEAR(r, c.r, 1e-6) << name;
        EXPECT_NEAR(g, c.g, 1e-6) << name;
        EXPECT_NEAR(b, c.b, 1e-6) << name;
        EXPECT_NEAR(a, c.a, 1e-6) << name;
    }
}

// Every stored value loads back within half a step of the format's precision.
TEST(PixelFormats, LoadOfStoreIsWithinOneQuantum) {
    struct Precision { ColorType ct; float step; };
    const Precision ps[] = {
        {ColorType::RGBA8888, 1 / 255.0f}, {ColorType::BGRA8888, 1 / 255.0f},
        {ColorType::ARGB4444, 1 / 15.0f},  {ColorType::RGBA1010102, 1 / 3.0f},  // alpha has 2 bits
        {ColorType::RGBAF16, 1 / 1024.0f}, {ColorType::RGBAF16Clamped, 1 / 1024.0f},
        {ColorType::RGBAF32, 0},           {ColorType::RGBA16161616, 1 / 65535.0f},
        {ColorType::SRGBA8888, 0.02f},
    };
    constexpr int n = 37;
    float r[n], g[n], b[n], a[n];
    for (int i = 0; i < n; ++i) r[i] = i / 36.0f, g[i] = 1 - i / 36.0f, b[i] = (i * 7 % 37) / 36.0f, a[i] = (i % 5) / 4.0f;
    for (const Precision& p : ps) {
        std::vector<uint8_t> mem(size_t(n) * bytesPerPixel(p.ct));
        storeFn(p.ct)(mem.data(), n, r, g, b, a);
        float R[n], G[n], B[n], A[n];
        loadFn(p.ct)(mem.data(), n, R, G, B, A);
        for (int i = 0; i < n; ++i) {
            const float tol = p.step / 2 + 1e-6f;
            EXPECT_NEAR(R[i], r[i], tol) << kColorTypeInfo[int(p.ct)].name << " " << i;
            EXPECT_NEAR(G[i], g[i], tol);
            EXPECT_NEAR(B[i], b[i], tol);
            EXPECT_NEAR(A[i], a[i], p.ct == ColorType::RGBA1010102 ? 1 / 6.0f + 1e-6f : tol);
        }
    }
}

}  // namespace
