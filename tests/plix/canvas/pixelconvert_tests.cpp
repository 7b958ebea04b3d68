// Pixel conversion between formats, alpha types and colour spaces, partial reads, resampling
// and erasing, on tiny hand-computed cases.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas/PixelConvert.h"

using namespace plix;

namespace {

Pixmap pm(std::vector<uint8_t>& px, int w, int h, ColorType ct, AlphaType at, sp<ColorSpace> cs = nullptr) {
    const ImageInfo info = ImageInfo::Make(w, h, ct, at, std::move(cs));
    px.assign(info.computeMinByteSize(), 0);
    return Pixmap(info, px.data(), info.minRowBytes());
}

}  // namespace

TEST(PixelConvert, FormatAndAlphaTable) {
    // One source pixel (RGBA8888 bytes r g b a) and its expected bytes in the destination format.
    const struct {
        AlphaType srcAlpha;
        uint8_t src[4];
        ColorType dstType;
        AlphaType dstAlpha;
        std::vector<uint8_t> want;
    } cases[] = {
        {AlphaType::Premul, {10, 20, 30, 40}, ColorType::BGRA8888, AlphaType::Premul, {30, 20, 10, 40}},
        // 255 at alpha 128 premultiplies to 128.
        {AlphaType::Unpremul, {255, 0, 64, 128}, ColorType::RGBA8888, AlphaType::Premul, {128, 0, 32, 128}},
        // 50 / 200 = 0.25 of full: 63.75 rounds to 64.
        {AlphaType::Premul, {50, 0, 200, 200}, ColorType::RGBA8888, AlphaType::Unpremul, {64, 0, 255, 200}},
        // Opaque destinations keep the premultiplied colour and drop alpha.
        {AlphaType::Premul, {100, 50, 0, 128}, ColorType::RGBA8888, AlphaType::Opaque, {100, 50, 0, 255}},
        // 565: 5/6/5 bits, little-endian 16-bit value 0xF800 for pure red.
        {AlphaType::Opaque, {255, 0, 0, 255}, ColorType::RGB565, AlphaType::Opaque, {0x00, 0xF8}},
        // Gray keeps Rec. 709 luminance: 0.2126 * 255 = 54.2.
        {AlphaType::Opaque, {255, 0, 0, 255}, ColorType::Gray8, AlphaType::Opaque, {54}},
        {AlphaType::Premul, {9, 9, 9, 77}, ColorType::Alpha8, AlphaType::Premul, {77}},
        // An opaque source ignores whatever its alpha byte holds.
        {AlphaType::Opaque, {1, 2, 3, 0}, ColorType::RGBA8888, AlphaType::Premul, {1, 2, 3, 255}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> s, d;
        Pixmap src = pm(s, 1, 1, ColorType::RGBA8888, c.srcAlpha);
        std::memcpy(s.data(), c.src, 4);
        Pixmap dst = pm(d, 1, 1, c.dstType, c.dstAlpha);
        ASSERT_TRUE(convertPixels(dst, src)) << int(c.dstType);
        EXPECT_EQ(d, c.want) << "to colour type " << int(c.dstType) << " alpha " << int(c.dstAlpha);
    }
}

TEST(PixelConvert, ColourSpaces) {
    std::vector<uint8_t> s, d;
    Pixmap src = pm(s, 2, 1, ColorType::RGBA8888, AlphaType::Premul, ColorSpace::MakeSRGB());
    const uint8_t in[8] = {128, 255, 0, 255, 64, 0, 0, 128};
    std::memcpy(s.data(), in, 8);
    Pixmap dst = pm(d, 2, 1, ColorType::RGBA8888, AlphaType::Premul, ColorSpace::MakeSRGBLinear());
    ASSERT_TRUE(convertPixels(dst, src));
    // sRGB 128/255 is linear 0.2159 (55.04 of 255).
    EXPECT_EQ(d[0], 55);
    EXPECT_EQ(d[1], 255);
    // Premultiplied half-transparent: 64 at alpha 128 is 127.5 unpremultiplied (0.21 linear),
    // times alpha: 0.2140 * 128 = 27.4.
    EXPECT_NEAR(d[4], 27, 1);
    EXPECT_EQ(d[7], 128);
    // Untagged on either side converts nothing.
    Pixmap untagged = pm(d, 2, 1, ColorType::RGBA8888, AlphaType::Premul);
    ASSERT_TRUE(convertPixels(untagged, src));
    EXPECT_EQ(d[0], 128);
}

TEST(PixelConvert, ReadAtOffsetsWritesOnlyTheOverlap) {
    std::vector<uint8_t> s, d;
    Pixmap src = pm(s, 3, 3, ColorType::Alpha8, AlphaType::Premul);
    for (int i = 0; i < 9; ++i) s[size_t(i)] = uint8_t(10 * (i + 1));  // 10 20 30 / 40 50 60 / 70 80 90
    Pixmap dst = pm(d, 2, 2, ColorType::Alpha8, AlphaType::Premul);
    std::fill(d.begin(), d.end(), 1);
    ASSERT_TRUE(readPixelsAt(src, dst, 2, -1));
    EXPECT_EQ(d, (std::vector<uint8_t>{1, 1, 30, 1}));
    ASSERT_TRUE(readPixelsAt(src, dst, 1, 1));
    EXPECT_EQ(d, (std::vector<uint8_t>{50, 60, 80, 90}));
    EXPECT_FALSE(readPixelsAt(src, dst, 3, 0));
    EXPECT_FALSE(readPixelsAt(src, dst, -2, 0));
    EXPECT_FALSE(readPixelsAt(src, dst, INT32_MAX, 0));
}

TEST(PixelConvert, RejectsBadPixmaps) {
    std::vector<uint8_t> s, d;
    Pixmap src = pm(s, 2, 2, ColorType::RGBA8888, AlphaType::Premul);
    Pixmap small = pm(d, 1, 2, ColorType::RGBA8888, AlphaType::Premul);
    EXPECT_FALSE(convertPixels(small, src));  // sizes differ
    EXPECT_FALSE(convertPixels(Pixmap(), src));
    EXPECT_FALSE(convertPixels(Pixmap(ImageInfo::Make(2, 2, ColorType::Unknown, AlphaType::Premul), d.data(), 8), src));
    EXPECT_FALSE(convertPixels(Pixmap(ImageInfo::Make(2, 2, ColorType(99), AlphaType::Premul), d.data(), 8), src));
}

TEST(PixelConvert, ScaleNearestAndLinear) {
    std::vector<uint8_t> s, d;
    Pixmap src = pm(s, 2, 1, ColorType::Alpha8, AlphaType::Premul);
    s = {0, 240};
    src = Pixmap(src.info(), s.data(), 2);
    Pixmap dst = pm(d, 4, 1, ColorType::Alpha8, AlphaType::Premul);
    ASSERT_TRUE(scalePixels(dst, src, SamplingOptions()));
    EXPECT_EQ(d, (std::vector<uint8_t>{0, 0, 240, 240}));
    // Centres of the four outputs fall at -0.25, 0.25, 0.75, 1.25 source pixels from the first
    // centre: clamped, then a quarter and three quarters of the way.
    ASSERT_TRUE(scalePixels(dst, src, SamplingOptions(FilterMode::Linear)));
    EXPECT_EQ(d, (std::vector<uint8_t>{0, 60, 180, 240}));
    // A 2x2 box down to 1x1 with linear filtering averages all four.
    std::vector<uint8_t> s4 = {0, 40, 80, 120}, d1(1);
    Pixmap src4(ImageInfo::Make(2, 2, ColorType::Alpha8, AlphaType::Premul), s4.data(), 2);
    ASSERT_TRUE(scalePixels(Pixmap(src4.info().makeWH(1, 1), d1.data(), 1), src4, SamplingOptions(FilterMode::Linear)));
    EXPECT_EQ(d1[0], 60);
    // A cubic filter reproduces a constant.
    std::vector<uint8_t> flat(4, 99), out(9);
    Pixmap srcFlat(ImageInfo::Make(2, 2, ColorType::Alpha8, AlphaType::Premul), flat.data(), 2);
    ASSERT_TRUE(scalePixels(Pixmap(srcFlat.info().makeWH(3, 3), out.data(), 3), srcFlat,
                            SamplingOptions(CubicResampler{1.0f / 3, 1.0f / 3})));
    EXPECT_EQ(out, std::vector<uint8_t>(9, 99));
}

TEST(PixelConvert, EraseFillsTheClippedSubset) {
    std::vector<uint8_t> d;
    Pixmap dst = pm(d, 3, 2, ColorType::RGBA8888, AlphaType::Premul);
    const float half[4] = {1, 0, 0, 0.5f};
    const IRect subset{1, -5, 9, 1};
    ASSERT_TRUE(erasePixels(dst, half, nullptr, &subset));
    // Premultiplied: red 0.5 of 255 = 127.5, rounded to 128.
    const std::vector<uint8_t> want = {0, 0, 0, 0, 128, 0, 0, 128, 128, 0, 0, 128,
                                       0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(d, want);
    const IRect outside{5, 5, 6, 6};
    EXPECT_FALSE(erasePixels(dst, half, nullptr, &outside));
}
