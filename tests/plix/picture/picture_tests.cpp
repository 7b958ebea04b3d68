// Pictures: playing a recording draws the same bytes as the calls drawn directly (through our
// engine, so the comparison is exact); nested pictures, matrices and paints, shaders and images
// made from pictures; the stored form round trips, and every truncated or damaged form is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capi/Handles.h"
#include "picture/PictureFormat.h"
#include "plix/plix.h"

namespace {

constexpr int kW = 64, kH = 48;

plix_handle makeSurface() {
    const plix_imageinfo ii{kW, kH, 4, 2, 0};
    return plix_surface_make_raster(&ii, 0, nullptr);
}

std::vector<uint8_t> pixels(plix_handle surface) {
    std::vector<uint8_t> out(size_t(kW) * kH * 4);
    const plix_imageinfo ii{kW, kH, 4, 2, 0};
    plix_handle pm = plix_pixmap_create(&ii, out.data(), kW * 4);
    EXPECT_TRUE(plix_surface_read_pixels(surface, pm, 0, 0));
    plix_pixmap_destroy(pm);
    return out;
}

// A scene of state, clip and draw calls of every kind a picture keeps.
void drawScene(plix_handle c) {
    plix_handle paint = plix_paint_create();
    plix_paint_set_antialias(paint, true);
    plix_paint_set_color(paint, 0xff2050c0);
    plix_handle star = plix_path_create2("M32 4L48.5 44L5.2 17.5L58.8 17.5L15.5 44Z");
    plix_canvas_draw_path(c, star, paint);
    plix_canvas_save(c);
    const plix_rect clip{4, 4, 40, 30};
    plix_canvas_clip_rect(c, &clip, 1, true);
    plix_canvas_rotate2(c, 20, 32, 24);
    plix_paint_set_color(paint, 0xc0c03020);
    const plix_rect oval{10, 8, 50, 36};
    plix_canvas_draw_oval(c, &oval, paint);
    plix_canvas_restore(c);
    plix_canvas_save_layer_alpha(c, nullptr, 128);
    plix_paint_set_style(paint, 1);
    plix_paint_set_stroke_width(paint, 3);
    plix_paint_set_color(paint, 0xff208040);
    const plix_point pts[] = {{4, 40}, {30, 30}, {60, 44}};
    plix_canvas_draw_points(c, 2, 3, pts, paint);
    plix_canvas_restore(c);
    plix_canvas_draw_annotation(c, &clip, "link", "x", 1);
    plix_path_destroy(star);
    plix_paint_destroy(paint);
}

plix_handle recordScene(plix_handle recorder) {
    const plix_rect bounds{0, 0, kW, kH};
    plix_handle c = plix_picturerecorder_begin_recording(recorder, &bounds);
    EXPECT_NE(c, 0u);
    drawScene(c);
    return plix_picturerecorder_finish_recording(recorder);
}

TEST(Picture, PlaybackDrawsTheSameBytesAsDrawingDirectly) {
    plix_handle direct = makeSurface(), played = makeSurface();
    drawScene(plix_surface_get_canvas(direct));
    plix_handle recorder = plix_picturerecorder_create();
    plix_handle picture = recordScene(recorder);
    ASSERT_NE(picture, 0u);
    EXPECT_EQ(plix_picture_approximate_op_count(picture, false), 10);  // the calls of drawScene, one each
    plix_rect cull{};
    plix_picture_get_cull_rect(picture, &cull);
    EXPECT_EQ(cull.right, kW);
    plix_picture_playback(picture, plix_surface_get_canvas(played));
    EXPECT_EQ(pixels(played), pixels(direct));

    // Nested, and drawn under a matrix with a paint: as the same calls inside a layer.
    plix_handle viaNest = makeSurface(), byHand = makeSurface();
    const plix_rect bounds{0, 0, kW, kH};
    plix_handle outer = plix_picturerecorder_begin_recording(recorder, &bounds);
    const plix_matrix shift{1, 0, 5, 0, 1, 3, 0, 0, 1};
    plix_handle half = plix_paint_create();
    plix_paint_set_alpha(half, 100);
    plix_canvas_draw_picture(outer, picture, &shift, half);
    plix_handle nest = plix_picturerecorder_finish_recording(recorder);
    EXPECT_EQ(plix_picture_approximate_op_count(nest, false), 1);
    EXPECT_EQ(plix_picture_approximate_op_count(nest, true), 11);
    plix_canvas_draw_picture(plix_surface_get_canvas(viaNest), nest, nullptr, 0);
    plix_handle hc = plix_surface_get_canvas(byHand);
    plix_canvas_save(hc);
    plix_canvas_concat2(hc, &shift);
    plix_canvas_save_layer(hc, &bounds, half, 0, 0);
    drawScene(hc);
    plix_canvas_restore(hc);
    plix_canvas_restore(hc);
    EXPECT_EQ(pixels(viaNest), pixels(byHand));

    // An image made from the picture holds the same pixels.
    const plix_isize size{kW, kH};
    plix_handle image = plix_image_make_from_picture(picture, &size, nullptr, 0, 0, nullptr);
    ASSERT_NE(image, 0u);
    plix_handle fromImage = makeSurface();
    plix_canvas_draw_image(plix_surface_get_canvas(fromImage), image, 0, 0, nullptr, 0);
    EXPECT_EQ(pixels(fromImage), pixels(direct));

    for (plix_handle h : {direct, played, viaNest, byHand, fromImage, picture, nest, image}) plix_refcnt_unref(h);
    plix_paint_destroy(half);
    plix_picturerecorder_destroy(recorder);
}

// A repeating picture shader covers the surface with the tile, as drawing the picture at every
// tile position does.
TEST(Picture, AShaderRepeatsTheTile) {
    plix_handle recorder = plix_picturerecorder_create();
    const plix_rect tile{0, 0, 16, 12};
    plix_handle c = plix_picturerecorder_begin_recording(recorder, &tile);
    plix_handle paint = plix_paint_create();
    plix_paint_set_color(paint, 0xffc03020);
    const plix_rect r{2, 2, 10, 7};
    plix_canvas_draw_rect(c, &r, paint);
    plix_handle picture = plix_picturerecorder_finish_recording(recorder);
    plix_handle shader = plix_picture_make_shader(picture, 1, 1, 0, nullptr, nullptr);
    ASSERT_NE(shader, 0u);
    plix_handle viaShader = makeSurface(), byHand = makeSurface();
    plix_handle fill = plix_paint_create();
    plix_paint_set_shader(fill, shader);
    plix_canvas_draw_paint(plix_surface_get_canvas(viaShader), fill);
    plix_handle hc = plix_surface_get_canvas(byHand);
    for (int y = 0; y < kH; y += 12)
        for (int x = 0; x < kW; x += 16) {
            const plix_matrix at{1, 0, float(x), 0, 1, float(y), 0, 0, 1};
            plix_canvas_draw_picture(hc, picture, &at, 0);
        }
    EXPECT_EQ(pixels(viaShader), pixels(byHand));
    EXPECT_EQ(plix_picture_make_shader(picture, 7, 1, 0, nullptr, nullptr), 0u);
    const plix_rect huge{0, 0, 1e9f, 1e9f};
    EXPECT_EQ(plix_picture_make_shader(picture, 1, 1, 0, nullptr, &huge), 0u);
    for (plix_handle h : {picture, shader, viaShader, byHand}) plix_refcnt_unref(h);
    plix_paint_destroy(paint);
    plix_paint_destroy(fill);
    plix_picturerecorder_destroy(recorder);
}

std::vector<uint8_t> storedScene() {
    plix_handle recorder = plix_picturerecorder_create();
    plix_handle picture = recordScene(recorder);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(plix::writePicture(*plix::capi::from<plix::Picture>(picture), bytes));
    plix_refcnt_unref(picture);
    plix_picturerecorder_destroy(recorder);
    return bytes;
}

TEST(PictureStoredForm, RoundTripsToTheSamePixels) {
    const std::vector<uint8_t> bytes = storedScene();
    plix::sp<plix::Picture> back = plix::readPicture(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->approximateOpCount(false), 10);
    std::vector<uint8_t> again;
    ASSERT_TRUE(plix::writePicture(*back, again));
    EXPECT_EQ(again, bytes);
    plix_handle direct = makeSurface(), played = makeSurface();
    drawScene(plix_surface_get_canvas(direct));
    plix_picture_playback(plix::capi::to(back.get()), plix_surface_get_canvas(played));
    EXPECT_EQ(pixels(played), pixels(direct));
    plix_refcnt_unref(direct);
    plix_refcnt_unref(played);
}

TEST(PictureStoredForm, RefusesEveryPrefixAndEveryDamagedByte) {
    const std::vector<uint8_t> bytes = storedScene();
    for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(plix::readPicture(bytes.data(), n)) << "prefix " << n;
    std::vector<uint8_t> damaged = bytes;
    for (size_t i = 0; i < bytes.size(); ++i)
        for (const uint8_t flip : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
            damaged[i] ^= flip;
            EXPECT_FALSE(plix::readPicture(damaged.data(), damaged.size())) << "byte " << i << " ^ " << int(flip);
            damaged[i] = bytes[i];
        }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(plix::readPicture(longer.data(), longer.size()));
    EXPECT_FALSE(plix::readPicture(nullptr, 0));
}

TEST(Picture, BadArgumentsAreRefused) {
    EXPECT_EQ(plix_picturerecorder_finish_recording(0), 0u);
    plix_handle recorder = plix_picturerecorder_create();
    EXPECT_EQ(plix_picturerecorder_finish_recording(recorder), 0u);  // not recording
    EXPECT_EQ(plix_picturerecorder_begin_recording(recorder, nullptr), 0u);
    plix_picturerecorder_destroy(recorder);
    EXPECT_EQ(plix_picture_approximate_op_count(0, true), 0);
    EXPECT_EQ(plix_picture_make_from_stream(0), 0u);
    EXPECT_EQ(plix_image_make_from_picture(0, nullptr, nullptr, 0, 0, nullptr), 0u);
    plix_canvas_draw_picture(0, 0, nullptr, 0);
    plix_picture_playback(0, 0);
    // Annotations draw nothing on pixels.
    plix_handle s = makeSurface();
    const std::vector<uint8_t> before = pixels(s);
    const plix_rect r{0, 0, 10, 10};
    plix_canvas_draw_annotation(plix_surface_get_canvas(s), &r, "key", "value", 5);
    plix_canvas_draw_annotation(plix_surface_get_canvas(s), &r, nullptr, nullptr, 3);
    EXPECT_EQ(pixels(s), before);
    plix_refcnt_unref(s);
}

// The fuzzer's seeds are bodies written by hand from the format's description: wrapped in a
// header and checksum computed here, they read as the pictures they describe.
TEST(PictureStoredForm, ReadsHandWrittenBodies) {
    auto crc32 = [](const std::vector<uint8_t>& b) {
        uint32_t c = 0xFFFFFFFFu;
        for (uint8_t v : b) {
            c ^= v;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return c ^ 0xFFFFFFFFu;
    };
    struct Seed {
        const char* file;
        int ops, nestedOps;
    };
    for (const Seed& seed : {Seed{"rect_body.bin", 3, 3}, Seed{"clip_oval_nested_body.bin", 3, 4}}) {
        std::ifstream in(std::string(PLIX_PICTURE_CORPUS) + "/" + seed.file, std::ios::binary);
        const std::vector<uint8_t> body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(body.empty()) << seed.file;
        std::vector<uint8_t> whole = {'P', 'L', 'X', 'P', 1, 0, 0, 0};
        const uint32_t length = uint32_t(body.size()), crc = crc32(body);
        whole.insert(whole.end(), reinterpret_cast<const uint8_t*>(&length), reinterpret_cast<const uint8_t*>(&length) + 4);
        whole.insert(whole.end(), body.begin(), body.end());
        whole.insert(whole.end(), reinterpret_cast<const uint8_t*>(&crc), reinterpret_cast<const uint8_t*>(&crc) + 4);
        const plix::sp<plix::Picture> p = plix::readPicture(whole.data(), whole.size());
        ASSERT_TRUE(p) << seed.file;
        EXPECT_EQ(p->approximateOpCount(false), seed.ops) << seed.file;
        EXPECT_EQ(p->approximateOpCount(true), seed.nestedOps) << seed.file;
    }
}

}  // namespace
