// The surface, canvas, image, pixmap and paint families through the C API: results, ownership
// and refusals of bad arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas/Canvas.h"
#include "capi/Handles.h"
#include "capi/OwnedCanvases.h"
#include "plix/plix.h"
#include "raster/Shader.h"

namespace {

constexpr int32_t kRGBA8888 = 4, kBGRA8888 = 6, kPremul = 2, kUnpremul = 3, kOpaque = 1;

plix_imageinfo info(int w, int h, int32_t ct = kRGBA8888, int32_t at = kPremul, plix_handle cs = 0) {
    return {w, h, ct, at, cs};
}

uint32_t pixel(plix_handle surface, int x, int y) {
    plix_handle pm = plix_surface_peek_pixels(surface);
    uint32_t v = 0;
    std::memcpy(&v, plix_pixmap_get_pixel_addr(pm, x, y), 4);
    plix_pixmap_destroy(pm);
    return v;
}

}  // namespace

TEST(CapiSurface, RasterSurfacesDrawThroughTheirCanvas) {
    const plix_imageinfo ii = info(4, 3);
    plix_handle s = plix_surface_make_raster(&ii, 0, nullptr);
    ASSERT_NE(s, 0u);
    plix_handle c = plix_surface_get_canvas(s);
    ASSERT_NE(c, 0u);
    EXPECT_EQ(plix_surface_get_canvas(s), c);  // the surface's own canvas, every time
    plix_canvas_clear(c, 0xff0000ff);          // blue
    plix_handle paint = plix_paint_create();
    plix_paint_set_color(paint, 0xffff0000);
    const plix_rect r{1, 1, 3, 2};
    plix_canvas_draw_rect(c, &r, paint);
    EXPECT_EQ(pixel(s, 0, 0), 0xffff0000u);  // bytes r g b a = 0 0 255 255
    EXPECT_EQ(pixel(s, 1, 1), 0xff0000ffu);
    EXPECT_EQ(pixel(s, 3, 1), 0xffff0000u);

    // Reading into another format converts.
    std::vector<uint32_t> out(2, 0);
    const plix_imageinfo bgra = info(2, 1, kBGRA8888);
    plix_handle dst = plix_pixmap_create(&bgra, out.data(), 8);
    ASSERT_TRUE(plix_surface_read_pixels(s, dst, 0, 1));
    EXPECT_EQ(out[0], 0xff0000ffu);  // blue in BGRA: b g r a bytes = 255 0 0 255
    EXPECT_EQ(out[1], 0xffff0000u);  // red: 0 0 255 255
    EXPECT_FALSE(plix_surface_read_pixels(s, dst, 4, 0));
    EXPECT_FALSE(plix_surface_read_pixels(s, 0, 0, 0));
    EXPECT_FALSE(plix_surface_read_pixels(0, dst, 0, 0));
    plix_pixmap_destroy(dst);

    plix_handle snap = plix_surface_make_image_snapshot(s);
    ASSERT_NE(snap, 0u);
    plix_canvas_clear(c, 0xff000000);
    plix_handle spm = plix_image_peek_pixels(snap);
    EXPECT_EQ(plix_pixmap_get_color(spm, 1, 1), 0xffff0000u);  // the snapshot kept the red
    plix_pixmap_destroy(spm);
    const plix_irect b{2, 1, 10, 10};
    plix_handle part = plix_surface_make_image_snapshot2(s, &b);
    EXPECT_EQ(plix_image_get_width(part), 2);
    EXPECT_EQ(plix_image_get_height(part), 2);
    const plix_irect outside{5, 5, 6, 6};
    EXPECT_EQ(plix_surface_make_image_snapshot2(s, &outside), 0u);
    plix_refcnt_unref(part);
    plix_refcnt_unref(snap);
    plix_paint_destroy(paint);
    plix_refcnt_unref(s);
}

TEST(CapiSurface, RefusesBadInfosAndRowBytes) {
    const struct {
        plix_imageinfo ii;
        size_t rowBytes;
    } bad[] = {
        {info(0, 4), 0},       {info(4, -1), 0},          {info(4, 4, 0), 0},        {info(4, 4, 99), 0},
        {info(4, 4, 4, 0), 0}, {info(4, 4, 4, 7), 0},     {info(4, 4, 2, kPremul), 0},  // 565 must be opaque
        {info(4, 4), 15},      {info(4, 4), 17},          {info(1 << 20, 1 << 20), 0},
        {info(0x20000000, 1), 0},
    };
    for (const auto& c : bad) EXPECT_EQ(plix_surface_make_raster(&c.ii, c.rowBytes, nullptr), 0u);
    EXPECT_EQ(plix_surface_make_raster(nullptr, 0, nullptr), 0u);
    const plix_imageinfo ok = info(4, 4, 2, kOpaque);
    plix_handle s = plix_surface_make_raster(&ok, 0, nullptr);
    EXPECT_NE(s, 0u);
    plix_refcnt_unref(s);
}

TEST(CapiSurface, DirectSurfacesReleaseExactlyOnce) {
    std::vector<uint32_t> mem(4);
    struct Log {
        int calls = 0;
        void* pixels = nullptr;
    } log;
    auto proc = [](void* pixels, void* ctx) {
        auto* l = static_cast<Log*>(ctx);
        ++l->calls;
        l->pixels = pixels;
    };
    const plix_imageinfo ii = info(2, 2);
    plix_handle pm = plix_pixmap_create(&ii, mem.data(), 8);
    ASSERT_NE(pm, 0u);
    const plix_surface_props props{1, 3};
    plix_handle s = plix_surface_make_raster_direct(pm, proc, &log, &props);
    plix_pixmap_destroy(pm);  // the surface keeps its own description of the pixels
    ASSERT_NE(s, 0u);
    plix_surface_props got{};
    plix_surface_get_props(s, &got);
    EXPECT_EQ(got.flags, 1u);
    EXPECT_EQ(got.pixel_geometry, 3);
    plix_canvas_clear(plix_surface_get_canvas(s), 0xff00ff00);
    EXPECT_EQ(mem[3], 0xff00ff00u);
    plix_handle snap = plix_surface_make_image_snapshot(s);
    plix_refcnt_unref(s);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.pixels, mem.data());
    plix_refcnt_unref(snap);  // a copy: releasing it touches nothing of the caller's
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(plix_surface_make_raster_direct(0, proc, &log, nullptr), 0u);
    EXPECT_EQ(log.calls, 1);
}

TEST(CapiPixmap, InfoColoursAndAddresses) {
    // Unpremultiplied pixels read back as they are; premultiplied ones are unpremultiplied.
    std::vector<uint8_t> px = {255, 0, 0, 128, 64, 0, 0, 128};
    plix_handle cs = plix_colorspace_make_srgb();
    const plix_imageinfo ii = info(1, 2, kRGBA8888, kPremul, cs);
    plix_handle pm = plix_pixmap_create(&ii, px.data(), 4);
    ASSERT_NE(pm, 0u);
    plix_imageinfo back{};
    plix_pixmap_get_image_info(pm, &back);
    EXPECT_EQ(back.width, 1);
    EXPECT_EQ(back.height, 2);
    ASSERT_NE(back.color_space, 0u);
    EXPECT_TRUE(plix_colorspace_is_srgb(back.color_space));
    plix_colorspace_unref(back.color_space);
    EXPECT_EQ(plix_pixmap_get_color(pm, 0, 1), 0x80800000u);  // 64 / 128 * 255 = 127.5 -> 128
    EXPECT_NEAR(plix_pixmap_get_alpha(pm, 0, 1), 128 / 255.0f, 1e-6);
    EXPECT_EQ(plix_pixmap_get_pixel_addr(pm, 0, 1), px.data() + 4);
    EXPECT_EQ(plix_pixmap_get_pixel_addr(pm, 1, 0), nullptr);
    EXPECT_EQ(plix_pixmap_get_pixel_addr(pm, 0, -1), nullptr);
    EXPECT_EQ(plix_pixmap_get_color(pm, 5, 5), 0u);
    EXPECT_EQ(plix_pixmap_get_row_bytes(pm), 4u);
    ASSERT_TRUE(plix_pixmap_erase(pm, 0x80ff0000, nullptr));
    EXPECT_EQ(px[0], 128);  // premultiplied
    EXPECT_EQ(px[7], 128);
    plix_pixmap_destroy(pm);
    plix_colorspace_unref(cs);

    EXPECT_EQ(plix_pixmap_get_width(0), 0);
    plix_pixmap_destroy(0);
}

TEST(CapiPixmap, UnusableDescriptionsMakePixmapsThatRefuseEverything) {
    // The object layer wraps whatever plix_pixmap_create returns, so a bad description still
    // gives an object; everything that would touch its pixels then fails.
    std::vector<uint8_t> px(64, 0);
    const plix_imageinfo small = info(4, 1), bad = info(4, 1, 77), none = info(0, 0);
    const struct {
        const plix_imageinfo* ii;
        void* pixels;
        size_t rowBytes;
    } cases[] = {{&small, px.data(), 8}, {&small, nullptr, 16}, {&bad, px.data(), 16}, {&none, px.data(), 0},
                 {nullptr, px.data(), 16}};
    const plix_imageinfo okInfo = info(2, 2);
    plix_handle ok = plix_pixmap_create(&okInfo, px.data(), 8);
    for (const auto& c : cases) {
        plix_handle pm = plix_pixmap_create(c.ii, c.pixels, c.rowBytes);
        ASSERT_NE(pm, 0u);
        EXPECT_EQ(plix_pixmap_get_pixel_addr(pm, 0, 0), nullptr);
        EXPECT_FALSE(plix_pixmap_erase(pm, 0xffffffff, nullptr));
        EXPECT_FALSE(plix_pixmap_read_pixels(ok, pm, 0, 0));
        EXPECT_FALSE(plix_pixmap_read_pixels(pm, ok, 0, 0));
        EXPECT_FALSE(plix_pixmap_scale_pixels(pm, ok, nullptr));
        EXPECT_EQ(plix_pixmap_get_color(pm, 0, 0), 0u);
        EXPECT_EQ(plix_surface_make_raster_direct(pm, nullptr, nullptr, nullptr), 0u);
        EXPECT_EQ(plix_image_make_raster_copy(pm), 0u);
        EXPECT_EQ(plix_image_make_from_raster(pm, nullptr, nullptr), 0u);
        plix_pixmap_destroy(pm);
    }
    EXPECT_EQ(px, std::vector<uint8_t>(64, 0));
    plix_pixmap_destroy(ok);
}

TEST(CapiImage, FromRasterAndCopies) {
    std::vector<uint8_t> px(16, 7);
    int released = 0;
    auto proc = [](void*, void* ctx) { ++*static_cast<int*>(ctx); };
    const plix_imageinfo ii = info(2, 2, kRGBA8888, kUnpremul);
    plix_handle pm = plix_pixmap_create(&ii, px.data(), 8);
    plix_handle shared = plix_image_make_from_raster(pm, proc, &released);
    plix_handle copy = plix_image_make_raster_copy(pm);
    plix_pixmap_destroy(pm);
    ASSERT_NE(shared, 0u);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(plix_image_get_unique_id(shared), plix_image_get_unique_id(copy));
    EXPECT_EQ(plix_image_get_alpha_type(copy), kUnpremul);
    EXPECT_FALSE(plix_image_is_texture_backed(copy));
    px[0] = 99;
    plix_handle spm = plix_image_peek_pixels(shared), cpm = plix_image_peek_pixels(copy);
    EXPECT_EQ(static_cast<uint8_t*>(plix_pixmap_get_pixels(spm))[0], 99);
    EXPECT_EQ(static_cast<uint8_t*>(plix_pixmap_get_pixels(cpm))[0], 7);
    plix_pixmap_destroy(spm);
    plix_pixmap_destroy(cpm);
    plix_handle again = plix_image_make_raster_image(shared);
    EXPECT_EQ(again, shared);
    plix_refcnt_unref(again);
    const plix_irect sub{1, 0, 2, 2};
    plix_handle subset = plix_image_make_subset(shared, &sub, 0);
    ASSERT_NE(subset, 0u);
    plix_refcnt_unref(shared);
    EXPECT_EQ(released, 0);
    plix_refcnt_unref(subset);
    EXPECT_EQ(released, 1);
    plix_refcnt_unref(copy);
    EXPECT_EQ(plix_image_make_from_raster(0, proc, &released), 0u);
    EXPECT_EQ(released, 1);
}

namespace {
class FlatShader final : public plix::Shader {
public:
    bool appendStages(const plix::StageRec&, const plix::Matrix&) const override { return false; }
};
}  // namespace

TEST(CapiPaint, DefaultsSettersAndAttachedObjects) {
    plix_handle p = plix_paint_create();
    EXPECT_EQ(plix_paint_get_color(p), 0xff000000u);
    EXPECT_EQ(plix_paint_get_style(p), 0);
    EXPECT_EQ(plix_paint_get_stroke_width(p), 0.0f);
    EXPECT_EQ(plix_paint_get_stroke_miter(p), 4.0f);
    EXPECT_EQ(plix_paint_get_stroke_cap(p), 0);
    EXPECT_EQ(plix_paint_get_stroke_join(p), 0);
    EXPECT_FALSE(plix_paint_get_anti_alias(p));
    EXPECT_FALSE(plix_paint_get_dither(p));
    EXPECT_EQ(plix_paint_get_shader(p), 0u);

    plix_paint_set_argb(p, 0x80, 1, 2, 3);
    EXPECT_EQ(plix_paint_get_color(p), 0x80010203u);
    EXPECT_EQ(plix_paint_get_alpha(p), 0x80);
    plix_paint_set_alphaf(p, 2.0f);
    EXPECT_EQ(plix_paint_get_alpha(p), 255);
    plix_paint_set_stroke_width(p, -3);  // ignored
    plix_paint_set_style(p, 7);          // ignored
    plix_paint_set_stroke_cap(p, 2);
    EXPECT_EQ(plix_paint_get_stroke_width(p), 0.0f);
    EXPECT_EQ(plix_paint_get_style(p), 0);
    EXPECT_EQ(plix_paint_get_stroke_cap(p), 2);
    const plix_color4f half{0.5f, 0.25f, 1, 0.5f};
    plix_paint_set_colorf(p, &half, 0);
    plix_color4f got{};
    plix_paint_get_colorf(p, &got);
    EXPECT_EQ(got.g, 0.25f);
    EXPECT_EQ(got.a, 0.5f);

    auto* shader = new FlatShader();
    const plix_handle sh = plix::capi::to(shader);
    plix_paint_set_shader(p, sh);
    EXPECT_EQ(shader->refCount(), 2);  // the paint holds its own
    plix_handle copy = plix_paint_create2(p);
    EXPECT_EQ(shader->refCount(), 3);
    const plix_handle got1 = plix_paint_get_shader(copy);
    EXPECT_EQ(got1, sh);
    EXPECT_EQ(shader->refCount(), 4);
    plix_refcnt_unref(got1);
    plix_paint_destroy(copy);
    plix_paint_set_shader(p, 0);
    EXPECT_EQ(shader->refCount(), 1);
    plix_refcnt_unref(sh);

    plix_paint_reset(p);
    EXPECT_EQ(plix_paint_get_color(p), 0xff000000u);
    EXPECT_EQ(plix_paint_get_stroke_cap(p), 0);
    plix_paint_destroy(p);
    plix_paint_set_color(0, 1);  // null handles are ignored
    EXPECT_EQ(plix_paint_create2(0), 0u);
}

TEST(CapiPaint, FillPathOfAStrokedLine) {
    plix_handle b = plix_pathbuilder_create();
    const plix_point a{1, 5}, c{9, 5};
    plix_pathbuilder_move_to(b, &a);
    plix_pathbuilder_line_to(b, &c);
    plix_handle line = plix_pathbuilder_detach(b);
    plix_handle p = plix_paint_create();
    plix_paint_set_style(p, 1);
    EXPECT_EQ(plix_paint_get_fill_path(p, line, nullptr, 1), 0u);  // hairline: no outline to fill
    plix_paint_set_stroke_width(p, 4);
    plix_paint_set_stroke_cap(p, 2);  // square: half the width past each end
    plix_handle fill = plix_paint_get_fill_path(p, line, nullptr, 1);
    ASSERT_NE(fill, 0u);
    plix_rect r{};
    plix_path_get_bounds(fill, &r);
    EXPECT_FLOAT_EQ(r.left, -1);
    EXPECT_FLOAT_EQ(r.top, 3);
    EXPECT_FLOAT_EQ(r.right, 11);
    EXPECT_FLOAT_EQ(r.bottom, 7);
    EXPECT_TRUE(plix_path_contains(fill, 10.5f, 6.5f));
    plix_path_destroy(fill);
    plix_path_destroy(line);
    plix_paint_destroy(p);
    plix_pathbuilder_destroy(b);
}

// Destroy frees canvases handed to the caller, once; a surface's canvas is not the caller's and
// keeps drawing.
TEST(CapiCanvas, DestroyFreesOnlyCanvasesTheCallerOwns) {
    const plix_imageinfo ii = info(2, 2);
    plix_handle surface = plix_surface_make_raster(&ii, 0, nullptr);
    plix_handle own = plix_surface_get_canvas(surface);
    plix_canvas_destroy(own);
    plix_canvas_destroy(0);
    plix_canvas_clear(own, 0xff0000ff);
    EXPECT_EQ(pixel(surface, 1, 1), 0xffff0000u);  // RGBA bytes of opaque blue

    std::vector<uint8_t> px(16);
    int destroyed = 0;
    auto* canvas = new plix::Canvas(plix::Pixmap(plix::ImageInfo::Make(2, 2, plix::ColorType::RGBA8888,
                                                                        plix::AlphaType::Premul),
                                                 px.data(), 8));
    plix_handle h = plix::capi::adoptCallerCanvas(canvas, [&] {
        ++destroyed;
        delete canvas;
    });
    ASSERT_NE(h, 0u);
    plix_canvas_clear(h, 0xffffffff);
    EXPECT_EQ(px[0], 255);
    plix_canvas_destroy(h);
    plix_canvas_destroy(h);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(plix::capi::adoptCallerCanvas(nullptr, [] {}), 0u);
    plix_refcnt_unref(surface);
}

TEST(CapiCanvas, StateClipAndMatrixGetters) {
    const plix_imageinfo ii = info(10, 10);
    plix_handle s = plix_surface_make_raster(&ii, 0, nullptr);
    plix_handle c = plix_surface_get_canvas(s);
    EXPECT_EQ(plix_canvas_get_save_count(c), 1);
    EXPECT_EQ(plix_canvas_save(c), 1);
    plix_canvas_translate(c, 2, 3);
    plix_matrix m{};
    plix_canvas_get_local_to_device_as_3x3(c, &m);
    EXPECT_EQ(m.trans_x, 2);
    EXPECT_EQ(m.trans_y, 3);
    plix_matrix44 m44{};
    plix_canvas_get_local_to_device(c, &m44);
    EXPECT_EQ(m44.m[3], 2);
    EXPECT_EQ(m44.m[7], 3);
    const plix_rect clip{0, 0, 4, 4};
    plix_canvas_clip_rect(c, &clip, 1, false);
    plix_canvas_clip_rect(c, &clip, 9, false);  // no such operation: ignored
    plix_irect dev{};
    plix_canvas_get_device_clip_bounds(c, &dev);
    EXPECT_EQ(dev.left, 2);
    EXPECT_EQ(dev.top, 3);
    EXPECT_EQ(dev.right, 6);
    EXPECT_EQ(dev.bottom, 7);
    const plix_rect far{20, 20, 30, 30};
    EXPECT_TRUE(plix_canvas_quick_reject(c, &far));
    EXPECT_FALSE(plix_canvas_quick_reject(c, &clip));
    EXPECT_EQ(plix_canvas_save_layer_alpha(c, nullptr, 100), 2);
    plix_canvas_restore_to_count(c, 1);
    EXPECT_EQ(plix_canvas_get_save_count(c), 1);
    plix_canvas_get_device_clip_bounds(c, &dev);
    EXPECT_EQ(dev.right, 10);
    const plix_imageinfo sub = info(3, 2);
    plix_handle made = plix_canvas_make_surface(c, &sub, nullptr);
    EXPECT_NE(made, 0u);
    plix_refcnt_unref(made);
    // Null and bad arguments do nothing.
    plix_canvas_draw_rect(c, &clip, 0);
    plix_canvas_draw_rect(0, &clip, 0);
    plix_canvas_draw_color(c, 0xffffffff, 99);
    plix_canvas_draw_points(c, 5, 1, nullptr, 0);
    plix_canvas_draw_image(c, 0, 0, 0, nullptr, 0);
    EXPECT_EQ(plix_canvas_save(0), 0);
    plix_refcnt_unref(s);
}
