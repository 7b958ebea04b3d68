// Encoding images and pixmaps to files and caller streams, and decoding them back, through the
// C API; bad data gives 0.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "plix/plix.h"

namespace {

// A caller's stream: bytes and a position.
struct Bytes {
    std::vector<uint8_t> data;
    size_t pos = 0;
};

void registerProcs() {
    static const plix_streamadapter_procs read{
        [](void* c) { return static_cast<Bytes*>(c)->data.size(); },
        [](void* c) { return static_cast<Bytes*>(c)->pos; },
        [](void* c, void* buf, size_t size) {
            auto* b = static_cast<Bytes*>(c);
            const size_t n = std::min(size, b->data.size() - b->pos);
            std::memcpy(buf, b->data.data() + b->pos, n);
            b->pos += n;
            return n;
        },
        [](void* c, size_t p) {
            auto* b = static_cast<Bytes*>(c);
            if (p > b->data.size()) return false;
            b->pos = p;
            return true;
        }};
    static const plix_wstreamadapter_procs write{[](void* c, const void* buf, size_t size) {
        auto* b = static_cast<Bytes*>(c);
        b->data.insert(b->data.end(), static_cast<const uint8_t*>(buf), static_cast<const uint8_t*>(buf) + size);
        return true;
    }};
    plix_streamadapter_set_procs(&read);
    plix_wstreamadapter_set_procs(&write);
}

// A 3 x 2 surface: opaque red left column, half-transparent green elsewhere.
plix_handle testImage() {
    const plix_imageinfo ii{3, 2, 4, 2, 0};
    plix_handle s = plix_surface_make_raster(&ii, 0, nullptr);
    plix_handle c = plix_surface_get_canvas(s);
    plix_canvas_clear(c, 0x8000ff00);
    plix_handle p = plix_paint_create();
    plix_paint_set_color(p, 0xffff0000);
    const plix_rect r{0, 0, 1, 2};
    plix_canvas_draw_rect(c, &r, p);
    plix_paint_destroy(p);
    plix_handle img = plix_surface_make_image_snapshot(s);
    plix_refcnt_unref(s);
    return img;
}

uint32_t colorAt(plix_handle image, int x, int y) {
    plix_handle pm = plix_image_peek_pixels(image);
    const uint32_t c = plix_pixmap_get_color(pm, x, y);
    plix_pixmap_destroy(pm);
    return c;
}

}  // namespace

TEST(CapiEncoded, StreamsRoundTrip) {
    registerProcs();
    plix_handle img = testImage();
    for (int32_t format : {4, 6}) {  // PNG, lossless WebP
        Bytes out;
        plix_handle w = plix_wstreamadapter_create(&out);
        ASSERT_TRUE(plix_image_encode_to_stream(img, w, format, 100)) << format;
        plix_wstreamadapter_destroy(w);
        Bytes in{out.data, 0};
        plix_handle r = plix_streamadapter_create(&in);
        plix_handle back = plix_image_make_from_encoded_stream(r);
        plix_streamadapter_destroy(r);
        ASSERT_NE(back, 0u) << format;
        EXPECT_EQ(plix_image_get_width(back), 3);
        EXPECT_EQ(colorAt(back, 0, 1), 0xffff0000u);
        EXPECT_EQ(colorAt(back, 2, 0), 0x8000ff00u);
        plix_refcnt_unref(back);
    }
    Bytes out;
    plix_handle w = plix_wstreamadapter_create(&out);
    EXPECT_FALSE(plix_image_encode_to_stream(img, w, 0, 100));  // BMP is not written
    EXPECT_FALSE(plix_image_encode_to_stream(img, w, 1234, 100));
    EXPECT_FALSE(plix_image_encode_to_stream(img, 0, 4, 100));
    plix_wstreamadapter_destroy(w);
    EXPECT_TRUE(out.data.empty());
    Bytes junk{{0x89, 'P', 'N', 'G', 1, 2, 3}, 0};
    plix_handle r = plix_streamadapter_create(&junk);
    EXPECT_EQ(plix_image_make_from_encoded_stream(r), 0u);
    plix_streamadapter_destroy(r);
    EXPECT_EQ(plix_image_make_from_encoded_stream(0), 0u);
    plix_refcnt_unref(img);
}

TEST(CapiEncoded, FilesAndPixmaps) {
    plix_handle img = testImage();
    const std::string path = (std::filesystem::temp_directory_path() / "plix_capi_encoded.jpg").string();
    ASSERT_TRUE(plix_image_encode_to_file(img, path.c_str(), 3, 100));
    plix_handle back = plix_image_make_from_encoded_file(path.c_str());
    ASSERT_NE(back, 0u);
    EXPECT_EQ(plix_image_get_alpha_type(back), 1);  // JPEG: opaque
    plix_refcnt_unref(back);

    plix_handle pm = plix_image_peek_pixels(img);
    ASSERT_TRUE(plix_imageencoder_encode_to_file(path.c_str(), pm, 4, 0));
    back = plix_image_make_from_encoded_file(path.c_str());
    ASSERT_NE(back, 0u);
    EXPECT_EQ(colorAt(back, 1, 1), 0x8000ff00u);
    plix_refcnt_unref(back);
    std::remove(path.c_str());
    EXPECT_EQ(plix_image_make_from_encoded_file(path.c_str()), 0u);
    EXPECT_EQ(plix_image_make_from_encoded_file(nullptr), 0u);
    EXPECT_FALSE(plix_imageencoder_encode_to_file(nullptr, pm, 4, 0));
    EXPECT_FALSE(plix_imageencoder_encode_to_file(path.c_str(), 0, 4, 0));
    plix_pixmap_destroy(pm);
    plix_refcnt_unref(img);
}

TEST(CapiEncoded, CodecsDecodeOnceAndConvertOnRequest) {
    registerProcs();
    plix_handle img = testImage();
    Bytes png;
    plix_handle w = plix_wstreamadapter_create(&png);
    ASSERT_TRUE(plix_image_encode_to_stream(img, w, 4, 100));
    plix_wstreamadapter_destroy(w);
    plix_refcnt_unref(img);

    plix_handle codec = plix_codec_make_with_copy(png.data.data(), png.data.size());
    ASSERT_NE(codec, 0u);
    plix_isize size{};
    plix_codec_get_dimensions(codec, &size);
    EXPECT_EQ(size.width, 3);
    EXPECT_EQ(size.height, 2);
    EXPECT_EQ(plix_codec_get_encoded_image_format(codec), 4);
    // Unpremultiplied RGBA: the half-transparent green comes back as stored.
    plix_handle un = plix_codec_get_image(codec, 4, 3, 0);
    ASSERT_NE(un, 0u);
    plix_handle pm = plix_image_peek_pixels(un);
    const uint8_t* p = static_cast<const uint8_t*>(plix_pixmap_get_pixel_addr(pm, 2, 0));
    EXPECT_EQ(p[1], 255);
    EXPECT_EQ(p[3], 128);
    plix_pixmap_destroy(pm);
    plix_refcnt_unref(un);
    std::vector<uint32_t> bgra(6);
    ASSERT_TRUE(plix_codec_get_pixels(codec, bgra.data(), 12, 6, 2, 0));
    EXPECT_EQ(bgra[0], 0xffff0000u);
    EXPECT_EQ(bgra[1], 0x80008000u);  // premultiplied green at half
    EXPECT_FALSE(plix_codec_get_pixels(codec, bgra.data(), 8, 6, 2, 0));  // row bytes too small
    EXPECT_EQ(plix_codec_get_image(codec, 2, 2, 0), 0u);                  // 565 cannot be premultiplied
    EXPECT_EQ(plix_codec_get_image(codec, 0, 2, 0), 0u);
    plix_codec_destroy(codec);

    Bytes in{png.data, 0};
    codec = plix_codec_make_from_stream(plix_streamadapter_create(&in));  // the codec takes the adapter
    ASSERT_NE(codec, 0u);
    plix_codec_destroy(codec);
    Bytes cut{std::vector<uint8_t>(png.data.begin(), png.data.begin() + 20), 0};
    EXPECT_EQ(plix_codec_make_from_stream(plix_streamadapter_create(&cut)), 0u);  // taken and freed too
    EXPECT_EQ(plix_codec_make_with_copy(png.data.data(), 10), 0u);
    EXPECT_EQ(plix_codec_make_with_copy(nullptr, 10), 0u);
    EXPECT_EQ(plix_codec_make_from_file("/no/such/file.png"), 0u);
    EXPECT_EQ(plix_codec_get_encoded_image_format(0), 0);
}
