#include <gtest/gtest.h>

#include "geometry/RRect.h"

using namespace plix;

namespace {

TEST(RRect, TypesFollowTheRadii) {
    EXPECT_TRUE(RRect::MakeRectXY({0, 0, 10, 10}, 0, 0).isRect());
    EXPECT_TRUE(RRect::MakeRectXY({0, 0, 10, 10}, 2, 2).isSimple());
    EXPECT_TRUE(RRect::MakeRectXY({0, 0, 10, 10}, 5, 5).isOval());
    EXPECT_TRUE(RRect::MakeOval({0, 0, 10, 4}).isOval());
    EXPECT_TRUE(RRect::MakeRectXY({0, 0, 0, 10}, 2, 2).isEmpty());
    RRect nine;
    nine.setNinePatch({0, 0, 20, 20}, 1, 2, 3, 4);
    EXPECT_TRUE(nine.isNinePatch());
    RRect complex;
    const Point radii[4] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}};
    complex.setRectRadii({0, 0, 20, 20}, radii);
    EXPECT_TRUE(complex.isComplex());
    EXPECT_TRUE(RRect().isEmpty());
    EXPECT_TRUE(RRect::MakeRectXY({0, 0, NAN, 10}, 1, 1).isEmpty());
}

TEST(RRect, OversizedRadiiShrinkTogether) {
    // Width 10 needs 2 * 8 = 16: everything scales by 10 / 16.
    const RRect rr = RRect::MakeRectXY({0, 0, 10, 40}, 8, 4);
    EXPECT_FLOAT_EQ(rr.simpleRadii().x, 5);
    EXPECT_FLOAT_EQ(rr.simpleRadii().y, 2.5f);
    RRect r2;
    const Point radii[4] = {{30, 30}, {10, 10}, {0, 0}, {0, 0}};
    r2.setRectRadii({0, 0, 20, 100}, radii);  // top side: 40 > 20, scale 0.5
    EXPECT_FLOAT_EQ(r2.radii(RRect::kUpperLeft).x, 15);
    EXPECT_FLOAT_EQ(r2.radii(RRect::kUpperRight).y, 5);
    EXPECT_TRUE(r2.isValid());
}

TEST(RRect, ContainsChecksTheCorners) {
    const RRect rr = RRect::MakeRectXY({0, 0, 10, 10}, 4, 4);
    EXPECT_TRUE(rr.contains({3, 3, 7, 7}));
    EXPECT_FALSE(rr.contains({0, 0, 2, 2}));  // the corner cut away by the radius
    EXPECT_TRUE(rr.contains({4, 0, 6, 10}));
    EXPECT_FALSE(rr.contains({-1, 4, 5, 6}));
}

TEST(RRect, InsetMovesRadii) {
    RRect rr = RRect::MakeRectXY({0, 0, 20, 20}, 5, 5);
    rr.inset(2, 2);
    EXPECT_EQ(rr.rect(), (Rect{2, 2, 18, 18}));
    EXPECT_FLOAT_EQ(rr.simpleRadii().x, 3);
    rr.outset(4, 4);
    EXPECT_EQ(rr.rect(), (Rect{-2, -2, 22, 22}));
    EXPECT_FLOAT_EQ(rr.simpleRadii().x, 7);
    rr.inset(30, 30);
    EXPECT_TRUE(rr.isEmpty());
}

TEST(RRect, TransformKeepsOnlyAxisAlignedMaps) {
    RRect rr;
    const Point radii[4] = {{1, 2}, {0, 0}, {0, 0}, {0, 0}};
    rr.setRectRadii({0, 0, 10, 20}, radii);
    RRect out;
    ASSERT_TRUE(rr.transform(Matrix::Scale(2, 3), &out));
    EXPECT_EQ(out.rect(), (Rect{0, 0, 20, 60}));
    EXPECT_EQ(out.radii(RRect::kUpperLeft), (Point{2, 6}));
    // A quarter turn: the upper-left corner goes to the upper right, x and y radii swap.
    ASSERT_TRUE(rr.transform(Matrix::RotateDeg(90), &out));
    EXPECT_EQ(out.rect(), (Rect{-20, 0, 0, 10}));
    EXPECT_EQ(out.radii(RRect::kUpperRight), (Point{2, 1}));
    EXPECT_FALSE(rr.transform(Matrix::RotateDeg(10), &out));
}

}  // namespace
