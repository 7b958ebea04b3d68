// Paths, path builders, path walks, round rects and colour spaces through the C API.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plix/plix.h"

TEST(CapiPath, BuildWalkAndQuery) {
    plix_handle b = plix_pathbuilder_create();
    const plix_point p0{0, 0}, p1{10, 0}, c1{10, 10}, c2{0, 10};
    plix_pathbuilder_move_to(b, &p0);
    plix_pathbuilder_line_to(b, &p1);
    plix_pathbuilder_quad_to(b, &c1, &c2);
    plix_pathbuilder_close(b);
    plix_pathbuilder_set_filltype(b, 1);
    plix_handle snap = plix_pathbuilder_snapshot(b);
    plix_handle path = plix_pathbuilder_detach(b);
    plix_rect after{};
    plix_pathbuilder_get_bounds(b, &after);  // detached: the builder is empty again
    EXPECT_EQ(after.right, 0);
    EXPECT_EQ(plix_pathbuilder_get_fill_type(b), 0);
    ASSERT_NE(path, 0u);
    EXPECT_EQ(plix_path_get_fill_type(path), 1);
    EXPECT_EQ(plix_path_get_segment_masks(path), 1u | 2u);
    EXPECT_TRUE(plix_path_is_last_contour_closed(path));
    EXPECT_TRUE(plix_path_contains(path, 5, 2));
    EXPECT_FALSE(plix_path_contains(path, 11, 2));

    // The walk gives each segment with its start point.
    const struct {
        int32_t verb;
        int points;
        float x, y;  // last point
    } want[] = {{0, 1, 0, 0}, {1, 2, 10, 0}, {2, 3, 0, 10}, {1, 2, 0, 0}, {5, 0, 0, 0}};
    plix_handle it = plix_pathiterator_create(path, false);
    plix_path_iterator_elem e{};
    for (const auto& w : want) {
        ASSERT_TRUE(plix_pathiterator_next(it, &e));
        EXPECT_EQ(e.verb, w.verb);
        if (w.points) {
            EXPECT_EQ(e.points[w.points - 1].x, w.x);
            EXPECT_EQ(e.points[w.points - 1].y, w.y);
        }
    }
    // A close draws the closing line first (the verb list above), then the walk ends.
    EXPECT_FALSE(plix_pathiterator_next(it, &e));
    EXPECT_EQ(e.verb, 6);
    plix_pathiterator_destroy(it);

    plix_handle svg = plix_path_to_svg(snap);
    EXPECT_EQ(std::string(plix_string_get_text(svg)), "M0 0L10 0Q10 10 0 10Z");
    plix_string_destroy(svg);
    const plix_matrix shift{1, 0, 5, 0, 2, 0, 0, 0, 1};
    plix_handle moved = plix_path_transform(snap, &shift);
    plix_rect r{};
    plix_path_get_bounds(moved, &r);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 15);
    EXPECT_EQ(r.bottom, 20);
    plix_path_destroy(moved);
    plix_path_destroy(snap);
    plix_path_destroy(path);
    plix_pathbuilder_destroy(b);

    EXPECT_EQ(plix_path_create2("M0 0 L"), 0u);
    EXPECT_EQ(plix_path_create2(nullptr), 0u);
    plix_handle parsed = plix_path_create2("M1 2h3v4h-3z");
    plix_rect pr{};
    EXPECT_TRUE(plix_path_is_rect(parsed, &pr));
    EXPECT_EQ(pr.right, 4);
    EXPECT_EQ(pr.bottom, 6);
    plix_path_destroy(parsed);
    EXPECT_TRUE(plix_path_is_empty(0));
    EXPECT_FALSE(plix_pathiterator_next(0, &e));
}

TEST(CapiPath, ShapesAndRoundRects) {
    plix_handle rr = plix_rrect_create();
    const plix_rect box{0, 0, 20, 10};
    plix_rrect_set_rect2(rr, &box, 4, 3);
    EXPECT_TRUE(plix_rrect_is_simple(rr));
    plix_vector rad{};
    plix_rrect_get_radii(rr, 2, &rad);
    EXPECT_EQ(rad.x, 4);
    EXPECT_EQ(rad.y, 3);
    plix_rrect_get_radii(rr, 9, &rad);  // no such corner
    EXPECT_EQ(rad.x, 0);
    const plix_rect inside{4, 3, 16, 7}, corner{0, 0, 1, 1};
    EXPECT_TRUE(plix_rrect_contains(rr, &inside));
    EXPECT_FALSE(plix_rrect_contains(rr, &corner));
    plix_rrect_deflate(rr, 1, 1);
    EXPECT_EQ(plix_rrect_get_width(rr), 18);
    const plix_matrix turn{0, -1, 0, 1, 0, 0, 0, 0, 1};  // a quarter turn keeps a round rect
    plix_handle turned = plix_rrect_transform(rr, &turn);
    ASSERT_NE(turned, 0u);
    EXPECT_EQ(plix_rrect_get_height(turned), 18);
    const plix_matrix skew{1, 0.5f, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(plix_rrect_transform(rr, &skew), 0u);

    plix_handle b = plix_pathbuilder_create();
    plix_pathbuilder_add_rrect(b, turned, 0, 0);
    plix_handle p = plix_pathbuilder_detach(b);
    plix_handle back = plix_rrect_create();
    EXPECT_TRUE(plix_path_is_rrect(p, back));
    EXPECT_TRUE(plix_rrect_is_equal(back, turned));
    plix_path_destroy(p);
    plix_pathbuilder_add_circle(b, 5, 5, 2, 3);  // no such direction: ignored
    plix_pathbuilder_add_circle(b, 5, 5, 2, 1);
    p = plix_pathbuilder_detach(b);
    plix_rect oval{};
    EXPECT_TRUE(plix_path_is_oval(p, &oval));
    EXPECT_EQ(oval.left, 3);
    plix_path_destroy(p);
    plix_pathbuilder_destroy(b);
    plix_rrect_destroy(back);
    plix_rrect_destroy(turned);
    plix_rrect_destroy(rr);
}

TEST(CapiColorSpace, MakeCompareAndCount) {
    plix_handle srgb = plix_colorspace_make_srgb(), lin = plix_colorspace_make_srgb_linear();
    EXPECT_TRUE(plix_colorspace_is_srgb(srgb));
    EXPECT_FALSE(plix_colorspace_is_srgb(lin));
    EXPECT_TRUE(plix_colorspace_gamma_is_linear(lin));
    plix_handle lin2 = plix_colorspace_make_linear_gamma(srgb);
    EXPECT_TRUE(plix_colorspace_is_equal(lin, lin2));
    EXPECT_FALSE(plix_colorspace_is_equal(lin, 0));
    plix_colorspace_transfer_fn fn{};
    ASSERT_TRUE(plix_colorspace_is_numerical_transfer_fn(srgb, &fn));
    EXPECT_FLOAT_EQ(fn.g, 2.4f);
    // The sRGB curve at 0.5 and back.
    const float v = plix_colorspacetransferfn_transform(&fn, 0.5f);
    EXPECT_NEAR(v, 0.21404f, 1e-4);
    plix_colorspace_transfer_fn inv{};
    ASSERT_TRUE(plix_colorspacetransferfn_invert(&fn, &inv));
    EXPECT_NEAR(plix_colorspacetransferfn_transform(&inv, v), 0.5f, 1e-5);
    plix_colorspace_xyz xyz{};
    ASSERT_TRUE(plix_colorspace_to_xyz(srgb, &xyz));
    plix_handle again = plix_colorspace_make_rgb(&fn, &xyz);
    EXPECT_TRUE(plix_colorspace_is_equal(again, srgb));
    const plix_colorspace_xyz singular{};
    EXPECT_EQ(plix_colorspace_make_rgb(&fn, &singular), 0u);
    plix_colorspace_ref(again);
    plix_colorspace_unref(again);
    for (plix_handle h : {srgb, lin, lin2, again}) plix_colorspace_unref(h);
}
