// Files that once decoded wrongly, too slowly or not at all, through the C API's codec: 16-bit
// PNGs, truncated PNGs and JPEGs, four-component JPEGs, headers that promise more than the data
// holds, and the decode budget. Expected pixels are the reference engine's (tests/reference/
// codec_probe.mjs); the PNG fixtures are made here, the JPEGs are in fixtures/.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "codec/Codec.h"
#include "plix/plix.h"

using namespace plix;

namespace {

constexpr int32_t kRGBA8888 = 4, kRGBA16161616 = 20, kPremul = 2, kUnpremul = 3;
using Bytes = std::vector<uint8_t>;
using Rgba = std::array<int, 4>;

void put32(Bytes& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}

void chunk(Bytes& png, const char* type, const Bytes& data) {
    put32(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32(png, uint32_t(crc32(0, png.data() + start, uInt(png.size() - start))));
}

// A PNG of the given header whose IDAT holds the rows (filter bytes included) deflated at level.
Bytes makePng(uint32_t w, uint32_t h, int depth, int colorType, const Bytes& filteredRows, int level = 9) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes header;
    put32(header, w);
    put32(header, h);
    header.insert(header.end(), {uint8_t(depth), uint8_t(colorType), 0, 0, 0});
    chunk(png, "IHDR", header);
    uLongf size = compressBound(uLong(filteredRows.size()));
    Bytes deflated(size);
    compress2(deflated.data(), &size, filteredRows.data(), uLong(filteredRows.size()), level);
    deflated.resize(size);
    chunk(png, "IDAT", deflated);
    chunk(png, "IEND", {});
    return png;
}

// One row of 16-bit samples: the filter byte (none), then the samples big-endian.
Bytes row16(std::initializer_list<uint16_t> samples) {
    Bytes out = {0};
    for (uint16_t s : samples) out.insert(out.end(), {uint8_t(s >> 8), uint8_t(s)});
    return out;
}

Bytes readFixture(const char* name) {
    std::ifstream in(std::string(PLIX_CODEC_FIXTURES) + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string s = ss.str();
    EXPECT_FALSE(s.empty()) << name;
    return Bytes(s.begin(), s.end());
}

// A codec over the bytes, destroyed with its scope; null when the engine refuses them.
struct Codec {
    plix_handle h;
    explicit Codec(const Bytes& bytes) : h(plix_codec_make_with_copy(bytes.data(), bytes.size())) {}
    ~Codec() { plix_codec_destroy(h); }
    plix_isize size() const {
        plix_isize s{};
        plix_codec_get_dimensions(h, &s);
        return s;
    }
    // 8-bit pixels (unpremultiplied unless asked), row by row.
    std::vector<Rgba> pixels8(int32_t alphaType = kUnpremul) const {
        const plix_isize s = size();
        Bytes px(size_t(s.width) * size_t(s.height) * 4);
        EXPECT_TRUE(plix_codec_get_pixels(h, px.data(), size_t(s.width) * 4, kRGBA8888, alphaType, 0));
        std::vector<Rgba> out;
        for (size_t i = 0; i < px.size(); i += 4) out.push_back({px[i], px[i + 1], px[i + 2], px[i + 3]});
        return out;
    }
    // The first pixel of each row.
    std::vector<Rgba> column() const {
        const std::vector<Rgba> all = pixels8();
        std::vector<Rgba> out;
        for (int y = 0; y < size().height; ++y) out.push_back(all[size_t(y) * size_t(size().width)]);
        return out;
    }
};

TEST(DecodeFaults, SixteenBitPngKeepsTheTopByteInEightBitsAndAllSixteenInSixteen) {
    const Bytes rgb = makePng(2, 1, 16, 2, row16({20479, 12602, 1850, 65535, 257, 32768}));
    const Codec codec(rgb);
    ASSERT_TRUE(codec.h);
    EXPECT_EQ(lastDecodeStatus(), DecodeStatus::Ok);
    EXPECT_EQ(codec.pixels8(), (std::vector<Rgba>{{79, 49, 7, 255}, {255, 1, 128, 255}}));
    uint16_t wide[8] = {};
    ASSERT_TRUE(plix_codec_get_pixels(codec.h, wide, sizeof wide, kRGBA16161616, kUnpremul, 0));
    EXPECT_EQ(std::vector<uint16_t>(wide, wide + 8),
              (std::vector<uint16_t>{20479, 12602, 1850, 65535, 65535, 257, 32768, 65535}));

    // With alpha: premultiplied 8-bit pixels as the reference reads them; 16 bits unchanged.
    const Codec alpha(makePng(1, 1, 16, 6, row16({20479, 12602, 1850, 0x8000})));
    ASSERT_TRUE(alpha.h);
    EXPECT_EQ(alpha.pixels8(kPremul), (std::vector<Rgba>{{40, 25, 4, 128}}));
    ASSERT_TRUE(plix_codec_get_pixels(alpha.h, wide, 8, kRGBA16161616, kUnpremul, 0));
    EXPECT_EQ(std::vector<uint16_t>(wide, wide + 4), (std::vector<uint16_t>{20479, 12602, 1850, 0x8000}));
}

TEST(DecodeFaults, ATruncatedPngGivesTheRowsItHeldAndTheRestTransparent) {
    // 8 x 8 RGB, each row its own colour, stored without compression so a cut falls in row 3.
    Bytes rows;
    for (int y = 0; y < 8; ++y) {
        rows.push_back(0);
        for (int x = 0; x < 8; ++x) rows.insert(rows.end(), {uint8_t(y * 30), uint8_t(255 - y * 30), 100});
    }
    const Bytes full = makePng(8, 8, 8, 2, rows, 0);
    const size_t idatData = 8 + 25 + 8;  // signature, IHDR chunk, IDAT length and type
    const Bytes cut(full.begin(), full.begin() + ptrdiff_t(idatData + 2 + 5 + 25 * 3 + 10));
    const Codec codec(cut);
    ASSERT_TRUE(codec.h);
    EXPECT_EQ(lastDecodeStatus(), DecodeStatus::Incomplete);
    EXPECT_EQ(codec.column(), (std::vector<Rgba>{{0, 255, 100, 255}, {30, 225, 100, 255}, {60, 195, 100, 255},
                                                 {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}));
    // Cut before any row: nothing to show.
    const Codec empty(Bytes(full.begin(), full.begin() + ptrdiff_t(idatData + 4)));
    EXPECT_FALSE(empty.h);
    EXPECT_EQ(lastDecodeStatus(), DecodeStatus::Damaged);
}

TEST(DecodeFaults, APngHeaderPromisingMoreThanItsDataHoldsCostsLittle) {
    // 68 bytes declaring 23170 x 23170 RGBA: 2 GiB of pixels that cannot be in the file.
    Bytes png = makePng(23170, 23170, 8, 6, Bytes(16, 0));
    ASSERT_LT(png.size(), 80u);
    const auto start = std::chrono::steady_clock::now();
    const Codec codec(png);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(codec.h);
    EXPECT_EQ(lastDecodeStatus(), DecodeStatus::TooLarge);
    EXPECT_LT(took, std::chrono::milliseconds(200));
}

TEST(DecodeFaults, AFourComponentAdobeJpegDecodesAsTheReferenceDoes) {
    const Codec codec(readFixture("cmyk_adobe_gradient.jpg"));
    ASSERT_TRUE(codec.h);
    EXPECT_EQ(lastDecodeStatus(), DecodeStatus::Ok);
    const std::vector<Rgba> expected = {{250, 180, 20, 255}, {177, 140, 61, 255}, {103, 99, 100, 255}, {30, 60, 139, 255}};
    const std::vector<Rgba> got = codec.column();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t y = 0; y < got.size(); ++y)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(got[y][c], expected[y][c], 1) << "row " << y << " channel " << c;
}

TEST(DecodeFaults, ATruncatedJpegGivesTheRowsItHeldAndTheRestTransparent) {
    const Bytes full = readFixture("gradient_16x32.jpg");
    const Codec whole(full);
    ASSERT_TRUE(whole.h);
    const std::vector<Rgba> complete = whole.column();
    // Cut in the middle of the scan data.
    size_t scan = 0;
    while (scan + 1 < full.size() && !(full[scan] == 0xFF && full[scan + 1] == 0xDA)) ++scan;
    const Codec codec(Bytes(full.begin(), full.begin() + ptrdiff_t(scan + (full.size() - scan) / 2)));
    ASSERT_TRUE(codec.h);
    EXPECT_EQ(lastDecodeStatus(), DecodeStatus::Incomplete);
    const std::vector<Rgba> got = codec.column();
    ASSERT_EQ(got.size(), 32u);
    // The reference shows the first 8 rows (one row of blocks) and leaves the rest transparent.
    for (size_t y = 0; y < 32; ++y) EXPECT_EQ(got[y], y < 8 ? complete[y] : (Rgba{0, 0, 0, 0})) << "row " << y;
}

// An animated WebP whose canvas is w x h, with one 16 x 1 frame at its top left.
Bytes animatedWebp(uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(16 * 4, 200);
    std::vector<uint8_t> still;
    EXPECT_TRUE(encodeWebp(still, Pixmap(ImageInfo::Make(16, 1, ColorType::RGBA8888, AlphaType::Unpremul), px.data(), 64), 100));
    const Bytes frame(still.begin() + 12, still.end());  // the VP8L chunk
    auto le = [](Bytes& v, uint32_t x, int bytes) {
        for (int i = 0; i < bytes; ++i) v.push_back(uint8_t(x >> (8 * i)));
    };
    Bytes body = {'W', 'E', 'B', 'P', 'V', 'P', '8', 'X'};
    le(body, 10, 4);
    body.insert(body.end(), {0x02, 0, 0, 0});  // animation
    le(body, w - 1, 3);
    le(body, h - 1, 3);
    body.insert(body.end(), {'A', 'N', 'I', 'M'});
    le(body, 6, 4);
    le(body, 0, 4);
    le(body, 0, 2);
    body.insert(body.end(), {'A', 'N', 'M', 'F'});
    le(body, uint32_t(16 + frame.size()), 4);
    le(body, 0, 3);
    le(body, 0, 3);
    le(body, 15, 3);
    le(body, 0, 3);
    le(body, 100, 3);
    body.push_back(0);
    body.insert(body.end(), frame.begin(), frame.end());
    Bytes file = {'R', 'I', 'F', 'F'};
    le(file, uint32_t(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// The budget set for one test, restored after it.
struct Budget {
    uint64_t saved;
    explicit Budget(uint64_t pixels) : saved(setDecodePixelLimit(pixels)) {}
    ~Budget() { setDecodePixelLimit(saved); }
};

TEST(DecodeFaults, TheDecodeBudgetRefusesPicturesPastIt) {
    EXPECT_EQ(decodePixelLimit(), uint64_t(1) << 28);
    {
        // A tiny file whose animation canvas is 16 x 3342348: 214 MB of pixels.
        const Budget budget(uint64_t(1) << 24);
        const Bytes webp = animatedWebp(16, 3342348);
        ASSERT_LT(webp.size(), 1000u);
        const Codec codec(webp);
        EXPECT_FALSE(codec.h);
        EXPECT_EQ(lastDecodeStatus(), DecodeStatus::TooLarge);
    }
    {
        const Codec small(animatedWebp(16, 4));
        ASSERT_TRUE(small.h);
        EXPECT_EQ(small.pixels8()[0], (Rgba{200, 200, 200, 200}));
        EXPECT_EQ(small.pixels8()[16], (Rgba{0, 0, 0, 0}));
    }
    // Exactly at the budget decodes; one pixel less refuses, whatever the format.
    const Bytes rows(8 * (1 + 8 * 3), 0);
    const Bytes png = makePng(8, 8, 8, 2, rows);
    const Bytes jpeg = readFixture("cmyk_adobe_gradient.jpg");  // 8 x 4
    const std::pair<const Bytes*, uint64_t> cases[] = {{&png, 64}, {&jpeg, 32}};
    for (const auto& [bytes, pixels] : cases) {
        {
            const Budget budget(pixels);
            EXPECT_TRUE(Codec(*bytes).h);
        }
        const Budget budget(pixels - 1);
        EXPECT_FALSE(Codec(*bytes).h);
        EXPECT_EQ(lastDecodeStatus(), DecodeStatus::TooLarge);
    }
}

TEST(DecodeFaults, EveryRefusalKnowsItsReason) {
    const Bytes png = makePng(4, 4, 8, 2, Bytes(4 * 13, 0));
    Bytes badCrc = png;
    badCrc[8 + 8 + 4] ^= 1;  // a byte of the IHDR data: its CRC no longer holds
    const std::pair<Bytes, DecodeStatus> cases[] = {
        {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, DecodeStatus::UnknownFormat},
        {Bytes(png.begin(), png.begin() + 20), DecodeStatus::Damaged},
        {badCrc, DecodeStatus::Damaged},
        {Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16}, DecodeStatus::Damaged},
        {Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'E', 'B', 'P'}, DecodeStatus::Damaged},
        {png, DecodeStatus::Ok},
    };
    for (const auto& [bytes, status] : cases) {
        SCOPED_TRACE(decodeStatusName(status));
        const Codec codec(bytes);
        EXPECT_EQ(codec.h != 0, status == DecodeStatus::Ok);
        EXPECT_EQ(lastDecodeStatus(), status) << decodeStatusName(lastDecodeStatus());
    }
}

}  // namespace
