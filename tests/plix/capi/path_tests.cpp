// Paths, path builders, path walks, stored paths, round rects and colour spaces through the C API.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "geometry/PathData.h"
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

namespace {

std::vector<uint8_t> serialized(plix_handle path) {
    static const plix_wstreamadapter_procs write{[](void* c, const void* buf, size_t size) {
        auto* out = static_cast<std::vector<uint8_t>*>(c);
        out->insert(out->end(), static_cast<const uint8_t*>(buf), static_cast<const uint8_t*>(buf) + size);
        return true;
    }};
    plix_wstreamadapter_set_procs(&write);
    std::vector<uint8_t> out;
    plix_handle w = plix_wstreamadapter_create(&out);
    plix_path_serialize_to_stream(path, w);
    plix_wstreamadapter_destroy(w);
    return out;
}

plix::Path engineCopy(plix_handle h) { return *reinterpret_cast<const plix::Path*>(h); }

}  // namespace

// Stored paths read back identically: every verb kind, a conic weight, several contours, an
// unclosed last contour, a fill type and a NaN coordinate.
TEST(CapiPath, SerializedPathsReadBackIdentically) {
    const char* svgs[] = {"", "M1 2", "M0 0L10 0Q10 10 0 10ZM20 20C30 20 30 30 20 30L25 25",
                          "M-3.5 1e-7L1e30 -1e30Z M4 4Z"};
    for (const char* svg : svgs) {
        plix_handle p = plix_path_create2(svg);
        ASSERT_NE(p, 0u) << svg;
        const std::vector<uint8_t> bytes = serialized(p);
        plix::Path back;
        EXPECT_EQ(plix::readPathData(bytes.data(), bytes.size(), &back), bytes.size()) << svg;
        EXPECT_EQ(back, engineCopy(p)) << svg;
        plix_path_destroy(p);
    }
    plix::Path conic;
    conic.setFillType(plix::PathFillType::InverseEvenOdd);
    conic.moveTo({0, 0}).conicTo({5, 0}, {5, 5}, 0.5f).lineTo({NAN, 1});
    std::vector<uint8_t> bytes;
    plix::writePathData(conic, bytes);
    plix::Path back;
    ASSERT_EQ(plix::readPathData(bytes.data(), bytes.size(), &back), bytes.size());
    EXPECT_EQ(back.fillType(), plix::PathFillType::InverseEvenOdd);
    EXPECT_EQ(back.conicWeights(), conic.conicWeights());
    EXPECT_EQ(std::memcmp(back.points().data(), conic.points().data(), conic.points().size() * sizeof(plix::Point)), 0);

    // The stored form of "M1 2L3 4": header, counts, points, verbs padded to 4 bytes.
    plix_handle small = plix_path_create2("M1 2L3 4");
    const std::vector<uint8_t> got = serialized(small);
    ASSERT_EQ(got.size(), 16u + 2 * 8 + 4);
    EXPECT_EQ(got[0], 5);                          // version
    EXPECT_EQ(got[4], 2);                          // two points
    EXPECT_EQ(got[12], 2);                         // two verbs
    EXPECT_EQ(got[got.size() - 4], 0);             // move
    EXPECT_EQ(got[got.size() - 3], 1);             // line
    plix_path_destroy(small);
    // Null arguments write nothing.
    EXPECT_TRUE(serialized(0).empty());
    plix_handle p = plix_path_create2("M0 0");
    plix_path_serialize_to_stream(p, 0);
    plix_path_destroy(p);
}

// Truncated or damaged stored paths give 0 and leave the output alone; no byte of any prefix
// or single-byte change reads out of bounds.
TEST(CapiPath, DamagedStoredPathsAreRefused) {
    plix::Path src;
    src.moveTo({0, 0}).lineTo({4, 0}).conicTo({4, 4}, {0, 4}, 2).close();
    std::vector<uint8_t> good;
    plix::writePathData(src, good);
    const plix::Path sentinel = plix::Path().moveTo({9, 9});
    for (size_t n = 0; n < good.size(); ++n) {
        plix::Path out = sentinel;
        EXPECT_EQ(plix::readPathData(good.data(), n, &out), 0u) << "prefix " << n;
        EXPECT_EQ(out, sentinel);
    }
    struct Damage {
        const char* what;
        size_t at;
        uint8_t value;
    };
    const size_t verbs = good.size() - 4;
    const Damage damages[] = {
        {"version", 0, 4},          {"fill type bits", 1, 4},     {"point count", 4, 9},
        {"huge point count", 7, 0x7f}, {"conic count", 8, 0},     {"verb count", 12, 3},
        {"first verb not a move", verbs, 1}, {"unknown verb", verbs + 1, 6}, {"close as conic", verbs + 3, 3},
    };
    for (const Damage& d : damages) {
        if (d.at >= good.size()) continue;
        std::vector<uint8_t> bad = good;
        bad[d.at] = d.value;
        if (bad == good) continue;
        plix::Path out = sentinel;
        EXPECT_EQ(plix::readPathData(bad.data(), bad.size(), &out), 0u) << d.what;
        EXPECT_EQ(out, sentinel) << d.what;
    }
    // A line right after a close is not something a path stores (it would start with a move).
    plix::Path twoContours;
    twoContours.moveTo({0, 0}).lineTo({1, 0}).close().moveTo({0, 0}).lineTo({2, 2});
    std::vector<uint8_t> bytes;
    plix::writePathData(twoContours, bytes);
    plix::Path out;
    ASSERT_EQ(plix::readPathData(bytes.data(), bytes.size(), &out), bytes.size());
    std::vector<uint8_t> lineAfterClose = bytes, badPadding = bytes;
    lineAfterClose[bytes.size() - 8 + 3] = 1;  // the second move becomes a line
    badPadding.back() = 1;                      // five verbs, three bytes of padding
    EXPECT_EQ(plix::readPathData(lineAfterClose.data(), lineAfterClose.size(), &out), 0u);
    EXPECT_EQ(plix::readPathData(badPadding.data(), badPadding.size(), &out), 0u);
    EXPECT_EQ(plix::readPathData(nullptr, 16, &out), 0u);
    EXPECT_EQ(plix::readPathData(good.data(), good.size(), nullptr), 0u);
}

namespace {

plix_handle svgPath(const char* svg, int32_t fill) {
    plix_handle p = plix_path_create2(svg);
    plix_handle b = plix_pathbuilder_create2(p);
    plix_pathbuilder_set_filltype(b, fill);
    plix_handle out = plix_pathbuilder_detach(b);
    plix_pathbuilder_destroy(b);
    plix_path_destroy(p);
    return out;
}

}  // namespace

// Every operation on every pair of fill types: a point lies in the result exactly when the
// operation's truth table says so for the operands (sampled on a grid away from the outlines).
TEST(CapiPath, OperationsFollowTheirTruthTables) {
    // A circle and an overlapping square with a square hole (the hole is filled under winding:
    // both contours turn the same way).
    const char* circle = "M30 10C41 10 50 19 50 30C50 41 41 50 30 50C19 50 10 41 10 30C10 19 19 10 30 10Z";
    const char* framed = "M25 25L60 25L60 60L25 60ZM35 35L50 35L50 50L35 50Z";
    auto opOf = [](int32_t op, bool a, bool b) {
        switch (op) {
            case 0: return a && !b;
            case 1: return a && b;
            case 2: return a || b;
            case 3: return a != b;
            default: return b && !a;
        }
    };
    for (int32_t fillA : {0, 1, 2, 3})
        for (int32_t fillB : {0, 1, 2, 3}) {
            plix_handle a = svgPath(circle, fillA), b = svgPath(framed, fillB);
            for (int32_t op = 0; op <= 4; ++op) {
                plix_handle r = plix_path_op(a, b, op);
                ASSERT_NE(r, 0u) << op;
                int wrong = 0;
                for (float y = 1.25f; y < 70; y += 2.5f)
                    for (float x = 1.25f; x < 70; x += 2.5f) {
                        const bool want = opOf(op, plix_path_contains(a, x, y), plix_path_contains(b, x, y));
                        if (plix_path_contains(r, x, y) != want) ++wrong;
                    }
                // Points within the flattening tolerance of the circle may land either way.
                EXPECT_LE(wrong, 2) << "op " << op << " fills " << fillA << "," << fillB;
                plix_path_destroy(r);
            }
            plix_path_destroy(a);
            plix_path_destroy(b);
        }
}

TEST(CapiPath, OperationsOnEmptyAndBadOperands) {
    plix_handle empty = plix_path_create(), square = plix_path_create2("M0 0L10 0L10 10L0 10Z");
    plix_handle union1 = plix_path_op(empty, square, 2), sect = plix_path_op(empty, square, 1);
    ASSERT_NE(union1, 0u);
    ASSERT_NE(sect, 0u);
    EXPECT_TRUE(plix_path_contains(union1, 5, 5));
    EXPECT_TRUE(plix_path_is_empty(sect));
    plix_rect r{};
    plix_path_get_bounds(union1, &r);
    EXPECT_FLOAT_EQ(r.left, 0);
    EXPECT_FLOAT_EQ(r.right, 10);
    plix_handle nan = plix_path_create2("M0 0L10 0L10 10Z");
    {
        plix_handle b = plix_pathbuilder_create2(nan);
        const plix_point bad{NAN, 3};
        plix_pathbuilder_line_to(b, &bad);
        plix_path_destroy(nan);
        nan = plix_pathbuilder_detach(b);
        plix_pathbuilder_destroy(b);
    }
    EXPECT_EQ(plix_path_op(nan, square, 2), 0u);
    EXPECT_EQ(plix_path_op(square, square, 5), 0u);
    EXPECT_EQ(plix_path_op(square, square, -1), 0u);
    EXPECT_EQ(plix_path_op(0, square, 2), 0u);
    EXPECT_EQ(plix_path_op(square, 0, 2), 0u);
    for (plix_handle h : {empty, square, union1, sect, nan}) plix_path_destroy(h);
}
