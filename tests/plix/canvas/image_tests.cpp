// Images: ownership of shared and copied pixels, subsets, ids.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "core/Image.h"

using namespace plix;

namespace {

struct ReleaseLog {
    int calls = 0;
    void* pixels = nullptr;
    static void proc(void* pixels, void* ctx) {
        auto* log = static_cast<ReleaseLog*>(ctx);
        ++log->calls;
        log->pixels = pixels;
    }
};

ImageInfo rgba(int w, int h) { return ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul); }

}  // namespace

TEST(Image, FromRasterReleasesOnceWhenTheLastImageGoes) {
    std::vector<uint32_t> px(4 * 3, 0x11223344);
    ReleaseLog log;
    sp<Image> img = Image::MakeFromRaster(Pixmap(rgba(4, 3), px.data(), 16), &ReleaseLog::proc, &log);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixmap().addr(), px.data());  // shared, not copied
    sp<Image> sub = img->makeSubset({1, 1, 3, 3});
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->pixmap().addr(), &px[4 + 1]);
    img.reset();
    EXPECT_EQ(log.calls, 0);  // the subset still reads the pixels
    sub.reset();
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.pixels, px.data());
}

TEST(Image, FailedFactoriesNeverCallTheRelease) {
    std::vector<uint32_t> px(16);
    ReleaseLog log;
    const struct {
        ImageInfo info;
        void* addr;
        size_t rowBytes;
    } bad[] = {
        {rgba(4, 4), nullptr, 16},                                                   // no pixels
        {rgba(4, 4), px.data(), 12},                                                 // row bytes too small
        {rgba(0, 4), px.data(), 16},                                                 // empty
        {ImageInfo::Make(4, 4, ColorType::Unknown, AlphaType::Premul), px.data(), 16},
        {ImageInfo::Make(4, 4, ColorType::RGB565, AlphaType::Premul), px.data(), 16},  // 565 is opaque only
        {rgba(4, 4), px.data(), 18},                                                 // not a multiple of 4
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(Image::MakeFromRaster(Pixmap(b.info, b.addr, b.rowBytes), &ReleaseLog::proc, &log));
        EXPECT_FALSE(Image::MakeRasterCopy(Pixmap(b.info, b.addr, b.rowBytes)));
    }
    EXPECT_EQ(log.calls, 0);
}

TEST(Image, RasterCopyIsIndependentOfTheSource) {
    // Rows padded to 24 bytes; the copy packs them.
    std::vector<uint8_t> px(24 * 2, 0);
    for (int i = 0; i < 16; ++i) px[size_t(i)] = uint8_t(i + 1), px[size_t(24 + i)] = uint8_t(100 + i);
    sp<Image> img = Image::MakeRasterCopy(Pixmap(rgba(4, 2), px.data(), 24));
    ASSERT_TRUE(img);
    std::fill(px.begin(), px.end(), 0);
    EXPECT_EQ(img->pixmap().rowBytes(), 16u);
    const uint8_t* row1 = img->pixmap().row<uint8_t>(1);
    EXPECT_EQ(img->pixmap().row<uint8_t>(0)[15], 16);
    EXPECT_EQ(row1[0], 100);
    EXPECT_EQ(row1[15], 115);
}

TEST(Image, SubsetsMustLieInside) {
    std::vector<uint32_t> px(16);
    sp<Image> img = Image::MakeFromRaster(Pixmap(rgba(4, 4), px.data(), 16), nullptr, nullptr);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->makeSubset({0, 0, 4, 4}).get(), img.get());
    EXPECT_FALSE(img->makeSubset({2, 2, 2, 3}));   // empty
    EXPECT_FALSE(img->makeSubset({-1, 0, 2, 2}));  // sticks out
    EXPECT_FALSE(img->makeSubset({3, 3, 5, 4}));
    sp<Image> sub = img->makeSubset({1, 2, 4, 3});
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->width(), 3);
    EXPECT_EQ(sub->height(), 1);
    EXPECT_NE(sub->uniqueID(), img->uniqueID());
}

TEST(Image, IdsAreUniqueAndNotZero) {
    std::vector<uint32_t> px(1);
    std::set<uint32_t> ids;
    std::vector<sp<Image>> keep;
    for (int i = 0; i < 100; ++i) {
        keep.push_back(Image::MakeRasterCopy(Pixmap(rgba(1, 1), px.data(), 4)));
        ASSERT_TRUE(keep.back());
        EXPECT_NE(keep.back()->uniqueID(), 0u);
        ids.insert(keep.back()->uniqueID());
    }
    EXPECT_EQ(ids.size(), 100u);
}
