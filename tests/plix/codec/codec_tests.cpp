// Round trips through each format, and bad input that must give null without crashing.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/Codec.h"

using namespace plix;

namespace {

// A w x h unpremultiplied RGBA8888 test picture: a gradient with an alpha ramp.
std::vector<uint8_t> picture(int w, int h, bool opaque) {
    std::vector<uint8_t> px(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[size_t(y * w + x) * 4];
            p[0] = uint8_t(x * 255 / std::max(w - 1, 1));
            p[1] = uint8_t(y * 255 / std::max(h - 1, 1));
            p[2] = 128;
            p[3] = opaque ? 255 : uint8_t(255 - (x + y) * 8);
        }
    return px;
}

Pixmap pixmapOf(std::vector<uint8_t>& px, int w, int h, AlphaType at) {
    return Pixmap(ImageInfo::Make(w, h, ColorType::RGBA8888, at), px.data(), size_t(w) * 4);
}

// The image's pixels as unpremultiplied RGBA8888.
std::vector<uint8_t> rgbaOf(const Image& img) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(toRGBA(img.pixmap(), false, out));
    return out;
}

int maxDiff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 1000;
    int d = 0;
    for (size_t i = 0; i < a.size(); ++i) d = std::max(d, std::abs(int(a[i]) - int(b[i])));
    return d;
}

std::vector<uint8_t> encoded(EncodedFormat f, std::vector<uint8_t>& px, int w, int h, bool opaque, int q = 90) {
    VectorWriteStream out;
    EXPECT_TRUE(encodeImage(out, pixmapOf(px, w, h, opaque ? AlphaType::Opaque : AlphaType::Unpremul), f, q));
    return out.bytes();
}

}  // namespace

TEST(Codec, PngRoundTripIsExactForUnpremultipliedBytes) {
    const int w = 7, h = 5;
    auto px = picture(w, h, false);
    const auto bytes = encoded(EncodedFormat::PNG, px, w, h, false);
    EncodedFormat f;
    ASSERT_TRUE(sniffFormat(bytes.data(), bytes.size(), &f));
    EXPECT_EQ(f, EncodedFormat::PNG);
    sp<Image> img = decodeImage(bytes.data(), bytes.size());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width(), w);
    EXPECT_EQ(img->height(), h);
    EXPECT_EQ(img->alphaType(), AlphaType::Premul);
    ASSERT_TRUE(img->colorSpace());
    EXPECT_TRUE(img->colorSpace()->isSRGB());
    // Stored premultiplied, so colours at low alpha come back within the rounding of alpha.
    const auto back = rgbaOf(*img);
    for (size_t i = 0; i < px.size(); i += 4) {
        EXPECT_EQ(back[i + 3], px[i + 3]);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[i + c], px[i + c], 255.0 / px[i + 3] + 1) << i;
    }
    auto opaquePx = picture(w, h, true);
    const auto opaqueBytes = encoded(EncodedFormat::PNG, opaquePx, w, h, true);
    sp<Image> o = decodeImage(opaqueBytes.data(), opaqueBytes.size());
    ASSERT_TRUE(o);
    EXPECT_EQ(o->alphaType(), AlphaType::Opaque);
    EXPECT_EQ(rgbaOf(*o), opaquePx);
}

TEST(Codec, JpegAndWebpRoundTrips) {
    const int w = 16, h = 16;
    auto px = picture(w, h, true);
    const auto jpeg = encoded(EncodedFormat::JPEG, px, w, h, true, 95);
    sp<Image> j = decodeImage(jpeg.data(), jpeg.size());
    ASSERT_TRUE(j);
    EXPECT_EQ(j->alphaType(), AlphaType::Opaque);
    EXPECT_LE(maxDiff(rgbaOf(*j), px), 12);  // lossy, smooth picture

    auto alphaPx = picture(w, h, false);
    const auto lossless = encoded(EncodedFormat::WEBP, alphaPx, w, h, false, 100);
    sp<Image> wl = decodeImage(lossless.data(), lossless.size());
    ASSERT_TRUE(wl);
    EXPECT_EQ(wl->alphaType(), AlphaType::Premul);
    const auto back = rgbaOf(*wl);
    for (size_t i = 0; i < alphaPx.size(); i += 4) {
        EXPECT_EQ(back[i + 3], alphaPx[i + 3]);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[i + c], alphaPx[i + c], 255.0 / alphaPx[i + 3] + 1);
    }
    const auto lossy = encoded(EncodedFormat::WEBP, px, w, h, true, 90);
    sp<Image> wq = decodeImage(lossy.data(), lossy.size());
    ASSERT_TRUE(wq);
    EXPECT_LE(maxDiff(rgbaOf(*wq), px), 24);
    EXPECT_LT(encoded(EncodedFormat::JPEG, px, w, h, true, 5).size(), jpeg.size());  // quality matters
}

TEST(Codec, EncodingRefusals) {
    std::vector<uint8_t> px(16);
    VectorWriteStream out;
    EXPECT_FALSE(encodeImage(out, pixmapOf(px, 2, 2, AlphaType::Premul), EncodedFormat::BMP, 90));
    EXPECT_FALSE(encodeImage(out, Pixmap(), EncodedFormat::PNG, 90));
    EXPECT_FALSE(encodeImage(out, pixmapOf(px, 2, 2, AlphaType::Premul), EncodedFormat(99), 90));
    EXPECT_TRUE(out.bytes().empty());
    EXPECT_FALSE(encodeImageFile("", pixmapOf(px, 2, 2, AlphaType::Premul), EncodedFormat::PNG, 90));
    EXPECT_FALSE(encodeImageFile("/no/such/dir/x.png", pixmapOf(px, 2, 2, AlphaType::Premul), EncodedFormat::PNG, 90));
}

TEST(Codec, FilesAndStreams) {
    auto px = picture(4, 3, false);
    const std::string path = (std::filesystem::temp_directory_path() / "plix_codec_test.webp").string();
    ASSERT_TRUE(encodeImageFile(path.c_str(), pixmapOf(px, 4, 3, AlphaType::Unpremul), EncodedFormat::WEBP, 100));
    sp<Image> f = decodeImageFile(path.c_str());
    std::remove(path.c_str());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->width(), 4);
    EXPECT_FALSE(decodeImageFile(path.c_str()));  // gone
    EXPECT_FALSE(decodeImageFile(nullptr));
    const auto bytes = encoded(EncodedFormat::PNG, px, 4, 3, false);
    MemoryReadStream in(bytes.data(), bytes.size());
    sp<Image> s = decodeImage(in);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->height(), 3);
}

namespace {

void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 3; i >= 0; --i) v.push_back(uint8_t(x >> (8 * i)));
}

// A PNG signature and an IHDR chunk with a valid CRC, for the given size.
std::vector<uint8_t> pngHeader(uint32_t w, uint32_t h) {
    std::vector<uint8_t> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    put32(v, 13);
    const size_t start = v.size();
    v.insert(v.end(), {'I', 'H', 'D', 'R'});
    put32(v, w);
    put32(v, h);
    v.insert(v.end(), {8, 6, 0, 0, 0});
    put32(v, uint32_t(crc32(0, v.data() + start, uInt(v.size() - start))));
    return v;
}

}  // namespace

TEST(Codec, BadInputGivesNull) {
    auto px = picture(16, 16, false);
    const auto png = encoded(EncodedFormat::PNG, px, 16, 16, false);
    const auto jpeg = encoded(EncodedFormat::JPEG, px, 16, 16, true);
    auto bigPx = picture(64, 64, true);
    const auto bigJpeg = encoded(EncodedFormat::JPEG, bigPx, 64, 64, true);
    const auto webp = encoded(EncodedFormat::WEBP, px, 16, 16, false, 80);
    auto cut = [](const std::vector<uint8_t>& v, size_t n) { return std::vector<uint8_t>(v.begin(), v.begin() + long(n)); };
    auto flip = [](std::vector<uint8_t> v, size_t from) {
        for (size_t i = from; i < v.size(); i += 3) v[i] ^= 0x5a;
        return v;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"png signature only", cut(png, 8)},
        {"png cut in half, before its first row", cut(png, png.size() / 2)},
        {"png data scrambled", flip(png, 40)},
        {"png 100000 x 100000", pngHeader(100000, 100000)},
        {"png 0 x 5", pngHeader(0, 5)},
        {"jpeg start marker only", cut(jpeg, 3)},
        {"jpeg cut in half", cut(jpeg, jpeg.size() / 2)},
        {"jpeg data scrambled", flip(jpeg, 20)},
        {"webp header only", cut(webp, 12)},
        {"webp cut in half", cut(webp, webp.size() / 2)},
        {"webp data scrambled", flip(webp, 30)},
        {"riff of something else", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"text", {'h', 'e', 'l', 'l', 'o'}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(decodeImage(c.bytes.data(), c.bytes.size())) << c.name;
        MemoryReadStream in(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(decodeImage(in)) << c.name;
    }
    EXPECT_FALSE(decodeImage(nullptr, 10));

    // Files cut part way give the rows before the cut and leave the rest transparent, as the
    // reference decoder does (decode_fault_tests checks the rows against it).
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } truncated[] = {
        {"png missing the end of its data", cut(png, png.size() - 20)},
        {"jpeg missing its last scan lines", cut(bigJpeg, bigJpeg.size() * 3 / 4)},
    };
    for (const auto& c : truncated) {
        const sp<Image> image = decodeImage(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(image) << c.name << ": " << decodeStatusName(lastDecodeStatus()) << ", " << c.bytes.size() << " bytes";
        EXPECT_EQ(lastDecodeStatus(), DecodeStatus::Incomplete) << c.name;
        EXPECT_NE(image->alphaType(), AlphaType::Opaque) << c.name;
        const std::vector<uint8_t> rgba = rgbaOf(*image);
        EXPECT_EQ(rgba.back(), 0) << c.name << ": the last row is not transparent";
        EXPECT_GT(rgba[3], 0) << c.name << ": the first row is missing";
    }
}
