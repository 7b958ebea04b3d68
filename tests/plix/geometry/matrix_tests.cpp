#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Matrix.h"

using namespace plix;

namespace {

void expectPoint(Point p, float x, float y) {
    EXPECT_NEAR(p.x, x, 1e-5);
    EXPECT_NEAR(p.y, y, 1e-5);
}

TEST(Matrix, ConcatAppliesTheRightOperandFirst) {
    // Scale then translate: (1, 1) -> (2, 3) -> (12, 23)
    const Matrix m = Matrix::Translate(10, 20) * Matrix::Scale(2, 3);
    expectPoint(m.mapPoint({1, 1}), 12, 23);
    Matrix n = Matrix::Translate(10, 20);
    n.preScale(2, 3);
    EXPECT_EQ(m, n);
}

TEST(Matrix, QuarterTurnsAreExact) {
    const Matrix r = Matrix::RotateDeg(90);
    EXPECT_EQ(r[Matrix::kSX], 0.0f);
    EXPECT_EQ(r[Matrix::kKY], 1.0f);
    expectPoint(r.mapPoint({1, 0}), 0, 1);  // y points down: +90 turns x onto y
    EXPECT_TRUE(r.rectStaysRect());
    EXPECT_FALSE(Matrix::RotateDeg(30).rectStaysRect());
    expectPoint(Matrix::RotateDeg(180, {5, 5}).mapPoint({6, 5}), 4, 5);
}

TEST(Matrix, InvertRoundTripsAndRefusesSingular) {
    const Matrix m = Matrix::MakeAll(2, 1, 5, -1, 3, 7, 0.001f, 0.002f, 1);
    Matrix inv;
    ASSERT_TRUE(m.invert(&inv));
    const Point p{3, -4};
    const Point q = inv.mapPoint(m.mapPoint(p));
    EXPECT_NEAR(q.x, p.x, 1e-4);
    EXPECT_NEAR(q.y, p.y, 1e-4);
    EXPECT_FALSE(Matrix::Scale(0, 1).invert(&inv));
    EXPECT_FALSE(Matrix::MakeAll(NAN, 0, 0, 0, 1, 0, 0, 0, 1).invert(&inv));
}

TEST(Matrix, PerspectiveDividesByW) {
    // w = 0.5 x + 1: (2, 4) -> (2, 4) / 2
    const Matrix m = Matrix::MakeAll(1, 0, 0, 0, 1, 0, 0.5f, 0, 1);
    EXPECT_TRUE(m.hasPerspective());
    expectPoint(m.mapPoint({2, 4}), 1, 2);
}

TEST(Matrix, MapRectGivesTheBoundsOfTheCorners) {
    const Rect r = Matrix::RotateDeg(45).mapRect({0, 0, 2, 2});
    const float s = std::sqrt(2.0f);
    EXPECT_NEAR(r.left, -s, 1e-5);
    EXPECT_NEAR(r.top, 0, 1e-5);
    EXPECT_NEAR(r.right, s, 1e-5);
    EXPECT_NEAR(r.bottom, 2 * s, 1e-5);
    EXPECT_EQ(Matrix::Scale(-1, 2).mapRect({1, 1, 3, 2}), (Rect{-3, 2, -1, 4}));
}

TEST(Matrix, StretchBounds) {
    EXPECT_NEAR(Matrix::Scale(2, 3).maxScale(), 3, 1e-6);
    EXPECT_NEAR(Matrix::Scale(2, 3).minScale(), 2, 1e-6);
    EXPECT_NEAR((Matrix::RotateDeg(33) * Matrix::Scale(4, 4)).maxScale(), 4, 1e-5);
    EXPECT_EQ(Matrix::MakeAll(1, 0, 0, 0, 1, 0, 1, 0, 1).maxScale(), -1);
}

TEST(Matrix44, InvertAndReduceTo3x3) {
    const float v[16] = {2, 0, 0, 5, 0, 3, 0, 7, 0, 0, 4, 1, 0, 0, 0, 1};
    const Matrix44 m = Matrix44::FromRowMajor(v);
    Matrix44 inv;
    ASSERT_TRUE(m.invert(&inv));
    const Matrix44 id = m * inv;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(id.rc(r, c), r == c ? 1 : 0, 1e-6);
    const Matrix m3 = m.to3x3();
    expectPoint(m3.mapPoint({1, 1}), 7, 10);
    EXPECT_EQ(Matrix44::From3x3(m3).to3x3(), m3);
}

}  // namespace
