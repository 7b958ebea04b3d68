// The glyph cache: shared by threads drawing at once (the same pixels as one thread draws), its
// counters, limits and purge.
#include <thread>
#include <vector>

#include "TextFixtures.h"

namespace {

std::vector<uint32_t> drawText(plix_handle font, float x) {
    std::vector<uint32_t> px(96 * 24, 0);
    const plix_imageinfo ii{96, 24, 4, 2, 0};
    plix_handle pm = plix_pixmap_create(&ii, px.data(), 96 * 4);
    plix_handle surface = plix_surface_make_raster_direct(pm, nullptr, nullptr, nullptr);
    plix_handle paint = plix_paint_create();
    plix_canvas_draw_simple_text(plix_surface_get_canvas(surface), "Cache me", 8, 0, x, 17, font, paint);
    plix_paint_destroy(paint);
    plix_refcnt_unref(surface);
    plix_pixmap_destroy(pm);
    return px;
}

}  // namespace

TEST(TextGlyphCache, ThreadsShareItAndCountersFollow) {
    REQUIRE_FONT("DejaVuSans.ttf");
    plix_handle tf = plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), 0);
    plix_handle font = plix_font_create(tf, 15, 1, 0);
    plix_font_set_subpixel(font, true);
    plix_graphics_purge_font_cache();
    EXPECT_EQ(plix_graphics_get_font_cache_count_used(), 0);
    EXPECT_EQ(plix_graphics_get_font_cache_used(), 0u);
    // Each thread draws at the four subpixel phases, from a cold cache, all at once.
    std::vector<std::vector<uint32_t>> got(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] { got[size_t(i)] = drawText(font, 2 + 0.25f * float(i % 4)); });
    for (auto& t : threads) t.join();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(got[size_t(i)], drawText(font, 2 + 0.25f * float(i % 4))) << i;
    EXPECT_NE(got[0], got[1]);  // the phases differ
    EXPECT_GE(plix_graphics_get_font_cache_count_used(), 1);
    EXPECT_GT(plix_graphics_get_font_cache_used(), 0u);

    // Limits trim the cache; the previous limit comes back.
    const int32_t countLimit = plix_graphics_get_font_cache_count_limit();
    plix_handle big = plix_font_create(tf, 40, 1, 0);
    drawText(big, 1);
    EXPECT_GE(plix_graphics_get_font_cache_count_used(), 2);
    EXPECT_EQ(plix_graphics_set_font_cache_count_limit(1), countLimit);
    EXPECT_LE(plix_graphics_get_font_cache_count_used(), 1);
    EXPECT_EQ(plix_graphics_set_font_cache_count_limit(countLimit), 1);
    const size_t byteLimit = plix_graphics_get_font_cache_limit();
    EXPECT_EQ(plix_graphics_set_font_cache_limit(0), byteLimit);
    EXPECT_LE(plix_graphics_get_font_cache_count_used(), 1);
    plix_graphics_set_font_cache_limit(byteLimit);
    // Drawing still works after a purge.
    const std::vector<uint32_t> before = drawText(font, 2);
    plix_graphics_purge_font_cache();
    EXPECT_EQ(drawText(font, 2), before);
    plix_font_destroy(big);
    plix_font_destroy(font);
    plix_refcnt_unref(tf);
}
