// Embedded ICC profiles: files carrying one decode into its colour space (and draw converted on
// an sRGB surface), images of another space than sRGB are written with theirs, and damaged
// profiles leave the image decoding as sRGB. Profiles and one PNG are made with Little CMS
// and libpng's own writer, so the tests do not check our codecs against themselves alone.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/PixelConvert.h"
#include "canvas/Surface.h"
#include "codec/Codec.h"
#include "codec/PngIcc.h"
#include "core/IccProfile.h"

using namespace plix;

namespace {

std::vector<uint8_t> saved(cmsHPROFILE h) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(h, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(h, bytes.data(), &size);
    return bytes;
}

// Display P3 (D65 white, sRGB curve) as Little CMS writes it; the handle stays open for
// transforms.
cmsHPROFILE displayP3() {
    const cmsCIExyY white{0.3127, 0.3290, 1};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE h = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return h;
}

sp<ColorSpace> displayP3Space() { return ColorSpace::MakeRGB(named::kSRGB, named::kDisplayP3Gamut); }

// An opaque RGB PNG written by libpng itself, with the profile in its iCCP chunk (none when
// the profile is empty).
std::vector<uint8_t> libpngFile(const std::vector<uint8_t>& rgb, int w, int h, const std::vector<uint8_t>& icc) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the file";
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!icc.empty()) png_set_iCCP(png, info, "Display P3", 0, icc.data(), png_uint_32(icc.size()));
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + size_t(y * w * 3));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A 4 x 2 opaque picture of strong and middle colours.
const std::vector<uint8_t> kPicture = {255, 0, 0,   0, 255, 0,   0, 0, 255,   200, 120, 40,
                                   30, 160, 90, 128, 128, 128, 250, 250, 250, 10, 20, 30};

// The image drawn onto an sRGB RGBA8888 surface, read back.
std::vector<uint8_t> drawnOnSRGB(const Image& image) {
    auto surface = Surface::MakeRaster(ImageInfo::Make(image.width(), image.height(), ColorType::RGBA8888,
                                                       AlphaType::Premul, ColorSpace::MakeSRGB()),
                                       0, nullptr);
    EXPECT_TRUE(surface);
    if (!surface) return {};
    surface->canvas()->drawImage(image, 0, 0, SamplingOptions(), nullptr);
    std::vector<uint8_t> px(size_t(image.width() * image.height() * 4));
    EXPECT_TRUE(surface->readPixels(Pixmap(ImageInfo::Make(image.width(), image.height(), ColorType::RGBA8888,
                                                           AlphaType::Premul, ColorSpace::MakeSRGB()),
                                           px.data(), size_t(image.width()) * 4),
                                    0, 0));
    return px;
}

std::vector<uint8_t> unpremulRGBA(const Image& image) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(toRGBA(image.pixmap(), false, out));
    return out;
}

}  // namespace

// A PNG with a Display P3 profile decodes as Display P3; drawn on an sRGB surface its colours
// are what Little CMS makes of them (relative colorimetric, out-of-gamut values clipped).
TEST(CodecIcc, EmbeddedProfileConvertsWhenDrawnToSRGB) {
    cmsHPROFILE p3 = displayP3();
    const std::vector<uint8_t> file = libpngFile(kPicture, 4, 2, saved(p3));
    sp<Image> image = decodeImage(file.data(), file.size());
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->colorSpace());
    EXPECT_TRUE(image->colorSpace()->equals(*displayP3Space()));

    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM xform = cmsCreateTransform(p3, TYPE_RGB_8, srgb, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC,
                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_TRUE(xform);
    std::vector<uint8_t> want(kPicture.size());
    cmsDoTransform(xform, kPicture.data(), want.data(), 8);
    cmsDeleteTransform(xform);
    cmsCloseProfile(srgb);
    cmsCloseProfile(p3);

    const std::vector<uint8_t> got = drawnOnSRGB(*image);
    ASSERT_EQ(got.size(), 32u);
    for (size_t i = 0; i < 8; ++i) {
        for (size_t c = 0; c < 3; ++c)
            EXPECT_NEAR(got[i * 4 + c], want[i * 3 + c], 2) << "pixel " << i << " channel " << c;
        EXPECT_EQ(got[i * 4 + 3], 255);
    }
    // The strong P3 red is outside sRGB: the conversion really happened.
    EXPECT_EQ(got[0], 255);
    EXPECT_LT(got[1], 10);
}

// Display P3 images are written in their own space with its profile, in every format, and read
// back as the same space with the same pixels (JPEG and lossy WebP, on a flat picture, within
// their loss); sRGB images carry no profile.
TEST(CodecIcc, NonSRGBImagesEmbedTheirProfile) {
    std::vector<uint8_t> varied, flat;
    for (size_t i = 0; i < 8; ++i)
        for (size_t c = 0; c < 4; ++c) varied.push_back(c < 3 ? kPicture[i * 3 + c] : 255);
    for (size_t i = 0; i < 8; ++i) flat.insert(flat.end(), {200, 120, 40, 255});
    const struct {
        EncodedFormat format;
        int quality, tolerance;
        std::vector<uint8_t>* rgba;
    } formats[] = {{EncodedFormat::PNG, 100, 0, &varied}, {EncodedFormat::WEBP, 100, 0, &varied},
                   {EncodedFormat::JPEG, 95, 4, &flat}, {EncodedFormat::WEBP, 90, 6, &flat}};
    for (const auto& f : formats) {
        SCOPED_TRACE(int(f.format));
        const Pixmap p3(ImageInfo::Make(4, 2, ColorType::RGBA8888, AlphaType::Opaque, displayP3Space()),
                        f.rgba->data(), 16);
        const Pixmap srgb(ImageInfo::Make(4, 2, ColorType::RGBA8888, AlphaType::Opaque, ColorSpace::MakeSRGB()),
                          f.rgba->data(), 16);
        VectorWriteStream out;
        ASSERT_TRUE(encodeImage(out, p3, f.format, f.quality));
        sp<Image> back = decodeImage(out.bytes().data(), out.bytes().size());
        ASSERT_TRUE(back);
        ASSERT_TRUE(back->colorSpace());
        EXPECT_TRUE(back->colorSpace()->equals(*displayP3Space()));
        // The stored values are the P3 values themselves.
        std::vector<uint8_t> raw(32);
        ASSERT_TRUE(convertPixels(Pixmap(ImageInfo::Make(4, 2, ColorType::RGBA8888, AlphaType::Unpremul,
                                                         displayP3Space()),
                                         raw.data(), 16),
                                  back->pixmap()));
        for (size_t i = 0; i < raw.size(); ++i) EXPECT_NEAR(raw[i], (*f.rgba)[i], f.tolerance) << i;

        VectorWriteStream plain;
        ASSERT_TRUE(encodeImage(plain, srgb, f.format, f.quality));
        sp<Image> plainBack = decodeImage(plain.bytes().data(), plain.bytes().size());
        ASSERT_TRUE(plainBack);
        EXPECT_TRUE(plainBack->colorSpace()->isSRGB());
        EXPECT_LT(plain.bytes().size() + 200, out.bytes().size()) << "the profile adds its bytes";
    }
}

// Damaged, unusable or oddly stored profiles never fail the decode: the image is sRGB with its
// pixels intact.
TEST(CodecIcc, DamagedProfilesDecodeAsSRGB) {
    cmsHPROFILE p3 = displayP3();
    const std::vector<uint8_t> good = saved(p3);
    cmsCloseProfile(p3);
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE grayProfile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    const std::vector<uint8_t> gray = saved(grayProfile);
    cmsCloseProfile(grayProfile);
    cmsFreeToneCurve(linear);
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
    auto scrambled = [&] {
        std::vector<uint8_t> b = good;
        for (size_t i = 128; i < b.size(); i += 5) b[i] ^= 0x3c;
        return b;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> profile;
    } cases[] = {
        {"profile cut to its header", cut(128)},
        {"profile cut in half", cut(good.size() / 2)},
        {"tags scrambled", scrambled()},
        {"not a profile", std::vector<uint8_t>(300, 0x41)},
        {"a grey profile", gray},
    };
    const std::vector<uint8_t> plainFile = libpngFile(kPicture, 4, 2, {});
    sp<Image> plain = decodeImage(plainFile.data(), plainFile.size());
    ASSERT_TRUE(plain);
    for (const auto& c : cases) {
        // Written into the PNG by hand: libpng would refuse to store some of these.
        std::vector<uint8_t> file = plainFile;
        ASSERT_TRUE(insertPngIccProfile(file, c.profile)) << c.what;
        sp<Image> image = decodeImage(file.data(), file.size());
        ASSERT_TRUE(image) << c.what;
        EXPECT_TRUE(image->colorSpace()->isSRGB()) << c.what;
        EXPECT_EQ(unpremulRGBA(*image), unpremulRGBA(*plain)) << c.what;
    }
    // An iCCP chunk whose compressed stream is broken or cut.
    std::vector<uint8_t> file = plainFile;
    ASSERT_TRUE(insertPngIccProfile(file, good));
    const size_t body = 8 + 25 + 8 + sizeof("ICC profile") + 1;
    for (size_t at : {body, body + 2, body + 40}) {
        std::vector<uint8_t> broken = file;
        broken[at] ^= 0xff;
        sp<Image> image = decodeImage(broken.data(), broken.size());
        if (image) {
            EXPECT_TRUE(image->colorSpace()->isSRGB() || image->colorSpace()->equals(*displayP3Space()));
        }
        EXPECT_TRUE(readPngIccProfile(broken.data(), broken.size()).empty() ||
                    readPngIccProfile(broken.data(), broken.size()) == good);
    }
    EXPECT_TRUE(readPngIccProfile(file.data(), body + 10).empty());
    EXPECT_EQ(readPngIccProfile(file.data(), file.size()), good);
    EXPECT_TRUE(readPngIccProfile(nullptr, 100).empty());
    std::vector<uint8_t> notPng = {1, 2, 3};
    EXPECT_FALSE(insertPngIccProfile(notPng, good));
}
