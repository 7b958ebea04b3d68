// Regions through the C API: set operations worked out by hand, paths scanned within a clip,
// the walks, regions as clips and as shapes on a canvas, and refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "plix/plix.h"

namespace {

// The rectangles of a region in walk order, as "l,t,r,b" joined by spaces.
std::string rects(plix_handle region) {
    std::string out;
    plix_handle it = plix_regioniterator_create(region);
    plix_irect r{};
    while (plix_regioniterator_move_next(it)) {
        plix_regioniterator_get_current(it, &r);
        out += (out.empty() ? "" : " ") + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom);
    }
    plix_regioniterator_destroy(it);
    return out;
}

plix_handle rectRegion(int l, int t, int r, int b) {
    plix_handle h = plix_region_create();
    const plix_irect ir{l, t, r, b};
    plix_region_set_rect(h, &ir);
    return h;
}

// Two overlapping squares, A = (0,0)-(4,4) and B = (2,2)-(6,6), under each operation.
TEST(CapiRegion, SetOperationsOfTwoSquares) {
    struct Case {
        int32_t op;
        const char* want;
    };
    const Case cases[] = {
        {0, "0,0,4,2 0,2,2,4"},                          // difference A - B
        {1, "2,2,4,4"},                                  // intersect
        {2, "0,0,4,2 0,2,6,4 2,4,6,6"},                  // union
        {3, "0,0,4,2 0,2,2,4 4,2,6,4 2,4,6,6"},          // xor
        {4, "4,2,6,4 2,4,6,6"},                          // reverse difference B - A
        {5, "2,2,6,6"},                                  // replace
    };
    for (const Case& c : cases) {
        plix_handle a = rectRegion(0, 0, 4, 4), b = rectRegion(2, 2, 6, 6);
        EXPECT_TRUE(plix_region_op(a, b, c.op));
        EXPECT_EQ(rects(a), c.want) << "op " << c.op;
        plix_region_destroy(a);
        plix_region_destroy(b);
    }
    plix_handle a = rectRegion(0, 0, 4, 4);
    EXPECT_FALSE(plix_region_op(a, a, 0));  // minus itself: empty
    EXPECT_TRUE(plix_region_is_empty(a));
    EXPECT_FALSE(plix_region_op(a, a, 6));  // no such operation
    plix_region_destroy(a);
}

TEST(CapiRegion, QueriesAndTranslate) {
    plix_handle a = rectRegion(0, 0, 4, 4), b = rectRegion(2, 2, 6, 6);
    plix_region_op(a, b, 2);
    EXPECT_TRUE(plix_region_is_complex(a));
    EXPECT_FALSE(plix_region_is_rect(a));
    plix_irect bounds{};
    plix_region_get_bounds(a, &bounds);
    EXPECT_EQ(bounds.left, 0); EXPECT_EQ(bounds.top, 0); EXPECT_EQ(bounds.right, 6); EXPECT_EQ(bounds.bottom, 6);
    EXPECT_TRUE(plix_region_contains3(a, 5, 5));
    EXPECT_FALSE(plix_region_contains3(a, 5, 1));
    const plix_irect in{1, 2, 5, 4}, across{3, 0, 6, 2}, outside{7, 7, 9, 9};
    EXPECT_TRUE(plix_region_contains2(a, &in));
    EXPECT_FALSE(plix_region_contains2(a, &across));
    EXPECT_TRUE(plix_region_intersects2(a, &across));
    EXPECT_FALSE(plix_region_intersects2(a, &outside));
    EXPECT_TRUE(plix_region_quick_reject2(a, &outside));
    EXPECT_FALSE(plix_region_quick_contains(a, &in));  // not a single rectangle
    EXPECT_TRUE(plix_region_contains(a, b));
    plix_handle copy = plix_region_create2(a);
    EXPECT_TRUE(plix_region_is_equal(copy, a));
    plix_region_translate(copy, 10, -2);
    EXPECT_EQ(rects(copy), "10,-2,14,0 10,0,16,2 12,2,16,4");
    EXPECT_FALSE(plix_region_is_equal(copy, a));
    EXPECT_FALSE(plix_region_intersects(copy, b));
    // Rectangles given at once merge into the same bands.
    const plix_irect parts[] = {{0, 0, 2, 4}, {2, 0, 4, 4}, {0, 4, 4, 6}};
    ASSERT_TRUE(plix_region_set_rects(copy, parts, 3));
    EXPECT_EQ(rects(copy), "0,0,4,6");
    EXPECT_TRUE(plix_region_is_rect(copy));
    plix_region_destroy(copy);
    plix_region_destroy(a);
    plix_region_destroy(b);
}

// A pixel is in the region when its centre is inside the path; the clip cuts it.
TEST(CapiRegion, SetPathCoversPixelCentresWithinTheClip) {
    plix_handle path = plix_path_create2("M0 0L8 0L0 8Z");
    plix_handle clip = rectRegion(0, 0, 6, 6);
    plix_handle r = plix_region_create();
    ASSERT_TRUE(plix_region_set_path(r, path, clip));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            // As aliased fills: a centre on a right edge (the diagonal here) is inside.
            const bool want = x < 6 && y < 6 && (x + 0.5f) + (y + 0.5f) <= 8;
            EXPECT_EQ(plix_region_contains3(r, x, y), want) << x << "," << y;
        }
    // The boundary encloses exactly those pixels.
    plix_handle outline = plix_region_get_boundary_path(r);
    ASSERT_NE(outline, 0u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(plix_path_contains(outline, x + 0.5f, y + 0.5f), plix_region_contains3(r, x, y)) << x << "," << y;
    plix_path_destroy(outline);
    plix_handle empty = plix_region_create();
    EXPECT_FALSE(plix_region_set_path(r, path, empty));
    EXPECT_TRUE(plix_region_is_empty(r));
    plix_region_destroy(empty);
    plix_region_destroy(r);
    plix_region_destroy(clip);
    plix_path_destroy(path);
}

TEST(CapiRegion, CliperatorAndSpanerator) {
    plix_handle a = rectRegion(0, 0, 4, 4), b = rectRegion(2, 2, 6, 6);
    plix_region_op(a, b, 3);  // xor: rows 2..4 hold two spans
    const plix_irect clip{1, 1, 5, 3};
    plix_handle it = plix_regioncliperator_create(a, &clip);
    std::vector<std::vector<int>> got;
    plix_irect r{};
    while (plix_regioncliperator_move_next(it)) {
        plix_regioncliperator_get_current(it, &r);
        got.push_back({r.left, r.top, r.right, r.bottom});
    }
    plix_regioncliperator_destroy(it);
    EXPECT_EQ(got, (std::vector<std::vector<int>>{{1, 1, 4, 2}, {1, 2, 2, 3}, {4, 2, 5, 3}}));
    plix_handle sp = plix_regionspanerator_create(a, 3, 1, 5);
    plix_ipoint span{};
    ASSERT_TRUE(plix_regionspanerator_next(sp, &span));
    EXPECT_EQ(span.x, 1); EXPECT_EQ(span.y, 2);
    ASSERT_TRUE(plix_regionspanerator_next(sp, &span));
    EXPECT_EQ(span.x, 4); EXPECT_EQ(span.y, 5);
    EXPECT_FALSE(plix_regionspanerator_next(sp, &span));
    plix_regionspanerator_destroy(sp);
    plix_region_destroy(a);
    plix_region_destroy(b);
}

uint32_t pixel(plix_handle surface, int x, int y) {
    plix_handle pm = plix_surface_peek_pixels(surface);
    uint32_t v = 0;
    std::memcpy(&v, plix_pixmap_get_pixel_addr(pm, x, y), 4);
    plix_pixmap_destroy(pm);
    return v;
}

// A region clips in device pixels whatever the matrix, and draws as a shape under the matrix.
TEST(CapiRegion, ClipsAndDrawsOnACanvas) {
    const plix_imageinfo ii{8, 8, 4, 2, 0};
    plix_handle s = plix_surface_make_raster(&ii, 0, nullptr);
    plix_handle c = plix_surface_get_canvas(s);
    plix_canvas_clear(c, 0);
    plix_handle a = rectRegion(0, 0, 4, 4), b = rectRegion(2, 2, 6, 6);
    plix_region_op(a, b, 3);
    plix_handle paint = plix_paint_create();
    plix_paint_set_color(paint, 0xffff0000);
    plix_canvas_save(c);
    plix_canvas_translate(c, 1, 1);  // ignored by the clip
    plix_canvas_clip_region(c, a, 1);
    plix_canvas_draw_paint(c, paint);
    plix_canvas_restore(c);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(pixel(s, x, y), plix_region_contains3(a, x, y) ? 0xff0000ffu : 0u) << x << "," << y;
    plix_canvas_clear(c, 0);
    plix_canvas_translate(c, 2, 0);  // moves the drawn region
    plix_canvas_draw_region(c, b, paint);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(pixel(s, x, y), x >= 4 && y >= 2 && y < 6 ? 0xff0000ffu : 0u) << x << "," << y;
    plix_canvas_draw_region(c, 0, paint);
    plix_canvas_clip_region(c, a, 7);
    plix_paint_destroy(paint);
    plix_region_destroy(a);
    plix_region_destroy(b);
    plix_refcnt_unref(s);
}

// A million rectangles are refused at once, leaving the region empty.
TEST(CapiRegion, AMillionRectanglesAreRefusedQuickly) {
    std::vector<plix_irect> many(1000000);
    for (size_t i = 0; i < many.size(); ++i) {
        const int x = int(i % 1000) * 2, y = int(i / 1000) * 2;
        many[i] = {x, y, x + 1, y + 1};
    }
    plix_handle r = rectRegion(0, 0, 1, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(plix_region_set_rects(r, many.data(), int32_t(many.size())));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(plix_region_is_empty(r));
    EXPECT_FALSE(plix_region_set_rects(r, nullptr, 3));
    EXPECT_FALSE(plix_region_set_rects(r, many.data(), -1));
    // A few thousand scattered pixels stay within reach.
    EXPECT_TRUE(plix_region_set_rects(r, many.data(), 4000));
    plix_irect bounds{};
    plix_region_get_bounds(r, &bounds);
    EXPECT_EQ(bounds.right, 1999); EXPECT_EQ(bounds.bottom, 7);
    plix_region_destroy(r);
}

TEST(CapiRegion, NullArgumentsAreRefused) {
    EXPECT_EQ(plix_region_create2(0), 0u);
    EXPECT_EQ(plix_region_get_boundary_path(0), 0u);
    EXPECT_TRUE(plix_region_is_empty(0));
    EXPECT_FALSE(plix_region_contains3(0, 0, 0));
    EXPECT_FALSE(plix_region_op(0, 0, 1));
    EXPECT_FALSE(plix_region_set_path(0, 0, 0));
    EXPECT_EQ(plix_regioniterator_create(0), 0u);
    EXPECT_EQ(plix_regioncliperator_create(0, nullptr), 0u);
    EXPECT_EQ(plix_regionspanerator_create(0, 0, 0, 1), 0u);
    EXPECT_FALSE(plix_regioniterator_move_next(0));
    EXPECT_FALSE(plix_regionspanerator_next(0, nullptr));
    plix_region_destroy(0);
}

}  // namespace
