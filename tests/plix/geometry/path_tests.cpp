#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/Path.h"
#include "geometry/PathFlatten.h"
#include "geometry/PathGeometry.h"

using namespace plix;

namespace {

using V = PathVerb;

TEST(Path, MovesCollapseAndSegmentsStartContours) {
    Path p;
    p.moveTo({1, 1}).moveTo({2, 2}).lineTo({3, 3});
    EXPECT_EQ(p.verbs(), (std::vector<V>{V::Move, V::Line}));
    EXPECT_EQ(p.points().front(), (Point{2, 2}));

    Path q;
    q.lineTo({5, 5});  // an empty path starts at the origin
    EXPECT_EQ(q.verbs(), (std::vector<V>{V::Move, V::Line}));
    EXPECT_EQ(q.points()[0], (Point{0, 0}));

    Path r;
    r.moveTo({1, 2}).lineTo({5, 5}).close().lineTo({7, 7});  // after close: from the contour start
    EXPECT_EQ(r.verbs(), (std::vector<V>{V::Move, V::Line, V::Close, V::Move, V::Line}));
    EXPECT_EQ(r.points()[2], (Point{1, 2}));
    EXPECT_TRUE(Path().moveTo({1, 1}).close().isLastContourClosed());
}

TEST(Path, ConicWeightsDegenerateToSimplerSegments) {
    Path p;
    p.moveTo({0, 0}).conicTo({1, 1}, {2, 0}, 1);
    EXPECT_EQ(p.verbs().back(), V::Quad);
    p.conicTo({3, 3}, {4, 0}, 0);
    EXPECT_EQ(p.verbs().back(), V::Line);
    p.conicTo({5, 5}, {6, 0}, NAN);
    EXPECT_EQ(p.verbs().back(), V::Line);
    EXPECT_EQ(p.segmentMasks(), uint32_t(kQuadSegment | kLineSegment));
}

TEST(Path, AddRectStartsAtTheCornerAndGoesTheWay) {
    struct Case { PathDirection dir; unsigned start; std::vector<Point> pts; };
    const Case cases[] = {
        {PathDirection::CW, 0, {{1, 2}, {5, 2}, {5, 8}, {1, 8}}},
        {PathDirection::CW, 2, {{5, 8}, {1, 8}, {1, 2}, {5, 2}}},
        {PathDirection::CCW, 0, {{1, 2}, {1, 8}, {5, 8}, {5, 2}}},
        {PathDirection::CCW, 1, {{5, 2}, {1, 2}, {1, 8}, {5, 8}}},
    };
    for (const Case& c : cases) {
        Path p;
        p.addRect({1, 2, 5, 8}, c.dir, c.start);
        EXPECT_EQ(p.points(), c.pts);
        EXPECT_EQ(p.verbs(), (std::vector<V>{V::Move, V::Line, V::Line, V::Line, V::Close}));
        Rect r;
        PathDirection d;
        ASSERT_TRUE(p.isRect(&r, nullptr, &d));
        EXPECT_EQ(r, (Rect{1, 2, 5, 8}));
        EXPECT_EQ(d, c.dir);
    }
}

TEST(Path, AddOvalIsFourQuarterConics) {
    Path p;
    p.addOval({0, 0, 20, 10});
    EXPECT_EQ(p.verbs(), (std::vector<V>{V::Move, V::Conic, V::Conic, V::Conic, V::Conic, V::Close}));
    EXPECT_EQ(p.points()[0], (Point{20, 5}));  // start index 1: the right point
    EXPECT_EQ(p.points()[1], (Point{20, 10}));  // clockwise: towards the bottom
    EXPECT_EQ(p.points()[2], (Point{10, 10}));
    EXPECT_NEAR(p.conicWeights()[0], std::sqrt(0.5f), 1e-6);
    Rect oval;
    EXPECT_TRUE(p.isOval(&oval));
    EXPECT_EQ(oval, (Rect{0, 0, 20, 10}));
    p.lineTo({1, 1});
    EXPECT_FALSE(p.isOval(nullptr));
}

TEST(Path, BoundsAndTightBounds) {
    struct Case { Path path; Rect bounds, tight; };
    Path quad, cubic, conic;
    quad.moveTo({0, 0}).quadTo({10, 20}, {20, 0});         // peak at t = 0.5: y = 10
    cubic.moveTo({0, 0}).cubicTo({0, 10}, {10, 10}, {10, 0});  // peak: 3/4 * 10 = 7.5
    conic.moveTo({0, 0}).conicTo({1, 2}, {2, 0}, 0.5f);     // peak: (2 * 0.5 * 0.25 * 2) / 0.75
    const Case cases[] = {
        {quad, {0, 0, 20, 20}, {0, 0, 20, 10}},
        {cubic, {0, 0, 10, 10}, {0, 0, 10, 7.5f}},
        {conic, {0, 0, 2, 2}, {0, 0, 2, 2 / 3.0f}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.path.bounds(), c.bounds);
        const Rect t = c.path.computeTightBounds();
        EXPECT_NEAR(t.left, c.tight.left, 1e-5);
        EXPECT_NEAR(t.top, c.tight.top, 1e-5);
        EXPECT_NEAR(t.right, c.tight.right, 1e-5);
        EXPECT_NEAR(t.bottom, c.tight.bottom, 1e-5);
    }
    EXPECT_TRUE(Path().bounds().isEmpty());
}

TEST(Path, ContainsFollowsTheFillType) {
    Path p;
    p.addRect({0, 0, 10, 10}).addRect({2, 2, 8, 8});  // both clockwise: winding 2 inside
    EXPECT_TRUE(p.contains(5, 5));
    EXPECT_TRUE(p.contains(1, 5));
    EXPECT_FALSE(p.contains(11, 5));
    p.setFillType(PathFillType::EvenOdd);
    EXPECT_FALSE(p.contains(5, 5));
    EXPECT_TRUE(p.contains(1, 5));
    p.setFillType(PathFillType::InverseEvenOdd);
    EXPECT_TRUE(p.contains(5, 5));
    EXPECT_TRUE(p.contains(50, 5));
    EXPECT_FALSE(p.contains(1, 5));
    Path circle;
    circle.addCircle(0, 0, 10);
    EXPECT_TRUE(circle.contains(7, 7));   // 9.9 from the centre
    EXPECT_FALSE(circle.contains(7.2f, 7.2f));  // 10.18
    EXPECT_FALSE(circle.contains(NAN, 0));
    Path empty;
    empty.setFillType(PathFillType::InverseWinding);
    EXPECT_TRUE(empty.contains(3, 3));  // an empty inverse path covers everything
}

TEST(Path, IsRectCases) {
    auto poly = [](std::vector<Point> pts, bool close) {
        Path p;
        p.addPoly(pts.data(), int(pts.size()), close);
        return p;
    };
    struct Case { Path path; bool rect; };
    const Case cases[] = {
        {poly({{0, 0}, {4, 0}, {4, 3}, {0, 3}}, true), true},
        {poly({{0, 0}, {4, 0}, {4, 3}, {0, 3}}, false), true},              // filled, it closes itself
        {poly({{0, 0}, {2, 0}, {4, 0}, {4, 3}, {0, 3}}, true), true},       // a point along a side
        {poly({{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0, 0}}, true), true},       // explicit closing point
        {poly({{0, 0}, {4, 0}, {4, 3}, {1, 3}}, true), false},              // not a rectangle
        {poly({{0, 0}, {4, 1}, {4, 3}, {0, 3}}, true), false},              // slanted side
        {poly({{0, 0}, {4, 0}, {4, 3}}, true), false},                      // triangle
        {Path().addRect({0, 0, 1, 1}).addRect({2, 2, 3, 3}), false},        // two contours
        {Path().addOval({0, 0, 4, 4}), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].path.isRect(nullptr), cases[i].rect) << i;
}

TEST(Path, Convexity) {
    Path tri, star, twoRects, line;
    const Point t[3] = {{0, 0}, {10, 0}, {5, 8}};
    tri.addPoly(t, 3, true);
    Point s[5];
    for (int i = 0; i < 5; ++i) {
        const double a = (i * 144 - 90) * 3.14159265358979 / 180;
        s[i] = {float(50 + 40 * std::cos(a)), float(50 + 40 * std::sin(a))};
    }
    star.addPoly(s, 5, true);
    twoRects.addRect({0, 0, 1, 1}).addRect({2, 2, 3, 3});
    line.moveTo({0, 0}).lineTo({5, 5});
    EXPECT_TRUE(tri.isConvex());
    EXPECT_TRUE(Path().addOval({0, 0, 30, 20}).isConvex());
    EXPECT_FALSE(star.isConvex());
    EXPECT_FALSE(twoRects.isConvex());
    EXPECT_TRUE(line.isConvex());
}

TEST(Path, TangentArcTo) {
    Path p;
    p.moveTo({0, 0}).arcTo(Point{10, 0}, Point{10, 10}, 5);
    EXPECT_EQ(p.verbs(), (std::vector<V>{V::Move, V::Line, V::Conic}));
    EXPECT_EQ(p.points()[1], (Point{5, 0}));
    EXPECT_EQ(p.points()[2], (Point{10, 0}));
    EXPECT_EQ(p.points()[3], (Point{10, 5}));
    EXPECT_NEAR(p.conicWeights()[0], std::sqrt(0.5f), 1e-6);
    Path q;
    q.moveTo({0, 0}).arcTo(Point{10, 0}, Point{20, 0}, 5);  // collinear: a line to p1
    EXPECT_EQ(q.verbs().back(), V::Line);
}

TEST(Path, AddArcOfWholeTurnIsAnOval) {
    Path p;
    p.addArc({0, 0, 10, 10}, 90, 360);
    EXPECT_TRUE(p.isOval(nullptr));
    EXPECT_EQ(p.points()[0], (Point{5, 10}));  // 90 degrees: the bottom point
    Path half;
    half.addArc({0, 0, 10, 10}, 0, 180);
    const Rect t = half.computeTightBounds();
    EXPECT_NEAR(t.top, 5, 1e-4);
    EXPECT_NEAR(t.bottom, 10, 1e-4);
    EXPECT_EQ(half.points().front(), (Point{10, 5}));
    EXPECT_NEAR(half.points().back().x, 0, 1e-5);
}

TEST(Path, SvgRoundTrip) {
    Path p;
    ASSERT_TRUE(Path::FromSVG("M10 20L30 40Q50 60 70 80C1 2 3 4 5 6Z", &p));
    EXPECT_EQ(p.toSVG(), "M10 20L30 40Q50 60 70 80C1 2 3 4 5 6Z");
    ASSERT_TRUE(Path::FromSVG("m10 10l5 0v5h-5z", &p));
    EXPECT_EQ(p.toSVG(), "M10 10L15 10L15 15L10 15Z");
    ASSERT_TRUE(Path::FromSVG("M1.5e1,2 3-4 .5.25", &p));  // implicit lines, compact numbers
    EXPECT_EQ(p.toSVG(), "M15 2L3 -4L0.5 0.25");
    ASSERT_TRUE(Path::FromSVG("M0 0Q10 10 20 0T40 0", &p));  // T reflects the control point
    EXPECT_EQ(p.points()[3], (Point{30, -10}));
    ASSERT_TRUE(Path::FromSVG("  ", &p));
    EXPECT_TRUE(p.isEmpty());
}

TEST(Path, SvgArcs) {
    Path p;
    // Clockwise half circle from (0,0) to (2,0): passes over the top at (1,-1) with y down.
    ASSERT_TRUE(Path::FromSVG("M0 0A1 1 0 0 1 2 0", &p));
    Rect t = p.computeTightBounds();
    EXPECT_NEAR(t.top, -1, 1e-4);
    EXPECT_NEAR(t.bottom, 0, 1e-4);
    ASSERT_TRUE(Path::FromSVG("M0 0A1 1 0 0 0 2 0", &p));
    t = p.computeTightBounds();
    EXPECT_NEAR(t.bottom, 1, 1e-4);
    // Radius 2, small clockwise arc: centre below the chord at (1, sqrt 3), arc above it.
    ASSERT_TRUE(Path::FromSVG("M0 0A2 2 0 0 1 2 0", &p));
    t = p.computeTightBounds();
    EXPECT_NEAR(t.top, std::sqrt(3.0f) - 2, 1e-4);
    // The large clockwise arc has its centre above the chord and goes over the top.
    ASSERT_TRUE(Path::FromSVG("M0 0A2 2 0 1 1 2 0", &p));
    t = p.computeTightBounds();
    EXPECT_NEAR(t.top, -std::sqrt(3.0f) - 2, 1e-4);
    EXPECT_NEAR(t.bottom, 0, 1e-4);
    ASSERT_TRUE(Path::FromSVG("M0 0a5 5 0 1010 0", &p));  // packed flags
    EXPECT_EQ(p.points().back(), (Point{10, 0}));
}

TEST(Path, SvgSyntaxErrorsAreRefused) {
    Path p;
    p.moveTo({1, 1});
    for (const char* bad : {"L10 10", "M10", "M1 2 X", "M0 0A1 1 0 2 1 3 3", "M1 2Z 3 4", "M1 2L"})
        EXPECT_FALSE(Path::FromSVG(bad, &p)) << bad;
    EXPECT_EQ(p.countVerbs(), 1);  // untouched
    EXPECT_FALSE(Path::FromSVG(nullptr, &p));
}

TEST(Path, InterpolateMixesPoints) {
    Path a, b, c, out;
    a.moveTo({0, 0}).lineTo({10, 10});
    b.moveTo({10, 20}).lineTo({30, 30});
    c.moveTo({0, 0}).quadTo({1, 1}, {2, 2});
    ASSERT_TRUE(a.interpolate(b, 0.25f, &out));  // 0.25 of a, 0.75 of b
    EXPECT_EQ(out.points()[0], (Point{7.5f, 15}));
    EXPECT_EQ(out.points()[1], (Point{25, 25}));
    EXPECT_FALSE(a.isInterpolatable(c));
    EXPECT_FALSE(a.interpolate(c, 0.5f, &out));
}

TEST(Path, IteratorHandsOutClosingLines) {
    Path p;
    p.moveTo({0, 0}).lineTo({4, 0}).lineTo({4, 4}).close().moveTo({9, 9}).lineTo({10, 9});
    struct Step { Path::Iter::Kind kind; Point a, b; };
    const Step want[] = {
        {Path::Iter::kMove, {0, 0}, {}},   {Path::Iter::kLine, {0, 0}, {4, 0}},
        {Path::Iter::kLine, {4, 0}, {4, 4}}, {Path::Iter::kLine, {4, 4}, {0, 0}},
        {Path::Iter::kClose, {0, 0}, {0, 0}}, {Path::Iter::kMove, {9, 9}, {}},
        {Path::Iter::kLine, {9, 9}, {10, 9}}, {Path::Iter::kLine, {10, 9}, {9, 9}},  // forced
        {Path::Iter::kClose, {9, 9}, {9, 9}}, {Path::Iter::kDone, {}, {}},
    };
    Path::Iter it(p, true);
    for (const Step& s : want) {
        Point pts[4];
        const auto k = it.next(pts);
        ASSERT_EQ(k, s.kind);
        if (k == Path::Iter::kDone) break;
        EXPECT_EQ(pts[0], s.a);
        if (k != Path::Iter::kMove) {
            EXPECT_EQ(pts[1], s.b);
        }
    }
}

TEST(Path, TransformKeepsRRectsUnderScale) {
    Path p;
    p.addRRect(RRect::MakeRectXY({0, 0, 10, 10}, 2, 2));
    RRect rr;
    ASSERT_TRUE(p.makeTransform(Matrix::Scale(2, 2)).isRRect(&rr));
    EXPECT_EQ(rr.rect(), (Rect{0, 0, 20, 20}));
    EXPECT_FALSE(p.makeTransform(Matrix::RotateDeg(20)).isRRect(&rr));
    const Path persp = p.makeTransform(Matrix::MakeAll(1, 0, 0, 0, 1, 0, 0.01f, 0, 1));
    EXPECT_EQ(persp.segmentMasks(), uint32_t(kLineSegment));
}

struct Recorder final : FlattenSink {
    std::vector<Point> pts;
    int moves = 0;
    void moveTo(Point p) override { pts.push_back(p), ++moves; }
    void lineTo(Point p, bool) override { pts.push_back(p); }
    void close() override {}
};

// Chords of a flattened circle stay within the tolerance of the true circle.
TEST(PathFlatten, StaysWithinTolerance) {
    for (float tol : {0.5f, 0.1f, 0.02f}) {
        Path p;
        p.addCircle(0, 0, 1);
        Recorder rec;
        flattenPath(p, Matrix::Scale(100, 100), tol, rec);
        ASSERT_EQ(rec.moves, 1);
        for (size_t i = 0; i + 1 < rec.pts.size(); ++i) {
            EXPECT_NEAR(rec.pts[i].length(), 100, 1e-3);
            const Point mid = (rec.pts[i] + rec.pts[i + 1]) * 0.5f;
            EXPECT_LE(100 - mid.length(), tol * 1.01f);
        }
        // and not needlessly fine: a circle of radius r needs about pi / acos(1 - tol / r) chords
        const double need = 3.14159265 / std::acos(1 - tol / 100.0);
        EXPECT_LT(rec.pts.size(), need * 2.5);
    }
}

TEST(PathGeometry, ConicToQuadsApproximatesTheArc) {
    // Quarter circle of radius 100.
    const Point p0{100, 0}, p1{100, 100}, p2{0, 100};
    const float w = std::sqrt(0.5f);
    const int pow2 = conicQuadPow2(p0, p1, p2, w, 0.25f);
    EXPECT_GE(pow2, 1);
    Point quads[1 + 2 * 32];
    const int n = conicToQuads(p0, p1, p2, w, quads, pow2);
    for (int i = 0; i < n; ++i) {
        const Point q[3] = {quads[2 * i], quads[2 * i + 1], quads[2 * i + 2]};
        for (float t : {0.25f, 0.5f, 0.75f}) EXPECT_NEAR(evalQuad(q, t).length(), 100, 0.25f);
    }
}

}  // namespace
