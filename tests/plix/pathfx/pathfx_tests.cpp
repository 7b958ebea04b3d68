// Path measuring against the reference engine's figures, path effects against drawing the shapes
// they stand for, and absurd arguments.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "geometry/PathMeasure.h"
#include "pathfx/PathEffect.h"
#include "raster/Draw.h"

using namespace plix;

namespace {

Path svg(const char* s) {
    Path p;
    EXPECT_TRUE(Path::FromSVG(s, &p)) << s;
    return p;
}

// Figures printed by the reference engine's ContourMeasureIter (tests/reference/pathmeasure_figures.mjs):
// per contour its length, closedness, and position and tangent at 0, 1/4, 1/2 and all of it.
struct ContourFigures {
    float length;
    bool closed;
    float posTan[4][4];
};
struct MeasureCase {
    const char* svg;
    std::vector<ContourFigures> contours;
};

const MeasureCase kMeasureCases[] = {
    {"M10 10L110 10L110 60",
     {{150, false, {{10, 10, 1, 0}, {47.5f, 10, 1, 0}, {85, 10, 1, 0}, {110, 60, 0, 1}}}}},
    {"M10 10Q60 90 110 10",
     {{133.28218f, false,
       {{10, 10, 0.53f, 0.848f}, {30.61652f, 36.18578f, 0.72853f, 0.68502f}, {60, 50, 1, 0}, {110, 10, 0.53f, -0.848f}}}}},
    {"M10 10C40 90 80 -60 110 40",
     {{143.06624f, false,
       {{10, 10, 0.35112f, 0.93633f},
        {32.80778f, 34.50945f, 0.99788f, -0.06513f},
        {62.50423f, 15.37686f, 0.76722f, -0.64138f},
        {110, 40, 0.28735f, 0.95783f}}}}},
    {"M0 0L30 40Z M50 50L60 50",
     {{100, true, {{0, 0, 0.6f, 0.8f}, {15, 20, 0.6f, 0.8f}, {30, 40, 0.6f, 0.8f}, {0, 0, -0.6f, -0.8f}}},
      {10, false, {{50, 50, 1, 0}, {52.5f, 50, 1, 0}, {55, 50, 1, 0}, {60, 50, 1, 0}}}}},
};

TEST(PathMeasure, MatchesTheReferenceFigures) {
    for (const MeasureCase& c : kMeasureCases) {
        PathMeasure m(svg(c.svg), false, 1);
        for (const ContourFigures& f : c.contours) {
            ASSERT_TRUE(m.hasContour()) << c.svg;
            EXPECT_NEAR(m.length(), f.length, 1e-3) << c.svg;
            EXPECT_EQ(m.isClosed(), f.closed) << c.svg;
            const float at[4] = {0, f.length / 4, f.length / 2, f.length};
            for (int i = 0; i < 4; ++i) {
                Point p, t;
                ASSERT_TRUE(m.posTan(at[i], &p, &t));
                EXPECT_NEAR(p.x, f.posTan[i][0], 1e-3) << c.svg << " at " << at[i];
                EXPECT_NEAR(p.y, f.posTan[i][1], 1e-3) << c.svg << " at " << at[i];
                EXPECT_NEAR(t.x, f.posTan[i][2], 1e-3) << c.svg << " at " << at[i];
                EXPECT_NEAR(t.y, f.posTan[i][3], 1e-3) << c.svg << " at " << at[i];
            }
            m.nextContour();
        }
        EXPECT_FALSE(m.hasContour()) << c.svg;
    }
}

TEST(PathMeasure, SegmentsMatrixAndBadDistances) {
    PathMeasure m(svg("M10 10L110 10L110 60"), false, 1);
    Path piece;
    ASSERT_TRUE(m.getSegment(90, 120, &piece, true));
    EXPECT_EQ(piece, svg("M100 10L110 10L110 30"));
    Path none;
    EXPECT_FALSE(m.getSegment(50, 40, &none, true));
    EXPECT_FALSE(m.getSegment(std::nanf(""), 40, &none, true));
    EXPECT_TRUE(none.isEmpty());
    Matrix mx;
    ASSERT_TRUE(m.getMatrix(125, &mx, PathMeasure::kPosition | PathMeasure::kTangent));
    EXPECT_EQ(mx.mapPoint({0, 0}), (Point{110, 35}));
    EXPECT_EQ(mx.mapPoint({1, 0}), (Point{110, 36}));  // turned to run down the second line
    Point p, t;
    EXPECT_FALSE(m.posTan(std::nanf(""), &p, &t));
    ASSERT_TRUE(m.posTan(1e9f, &p, &t));  // clamped to the end
    EXPECT_EQ(p, (Point{110, 60}));
    PathMeasure empty(Path(), false, 1);
    EXPECT_FALSE(empty.hasContour());
    EXPECT_FALSE(empty.posTan(0, &p, &t));
    EXPECT_FALSE(empty.nextContour());
}

// Pixels of path drawn with paint on a 64 x 64 transparent surface.
std::vector<uint8_t> render(const Path& path, const Paint& paint) {
    std::vector<uint8_t> px(64 * 64 * 4, 0);
    Pixmap pm;
    pm.reset(ImageInfo::Make(64, 64, ColorType::RGBA8888, AlphaType::Premul), px.data(), 64 * 4);
    drawPath(DrawTarget{pm, IRect::MakeWH(64, 64), nullptr}, path, Matrix(), paint);
    return px;
}

Paint stroke(float width) {
    Paint p;
    p.antiAlias = true;
    p.style = PaintStyle::Stroke;
    p.strokeWidth = width;
    return p;
}

// Each effect drawn equals drawing by hand the shape it stands for.
TEST(PathEffects, DrawWhatTheyStandFor) {
    const Path line = svg("M4 32L60 32");
    struct Case {
        const char* name;
        sp<PathEffect> effect;
        Path src, expected;
        Paint paint, expectedPaint;
    };
    const float dash[] = {10, 6};
    Paint fill;
    fill.antiAlias = true;
    Path stroked;
    strokePath(svg("M8 8L56 56"), StrokeParams{6, 4, StrokeCap::Round, StrokeJoin::Round}, 1, &stroked);
    std::vector<Case> cases;
    cases.push_back({"dash", makeDashEffect(dash, 2, 0), line, svg("M4 32L14 32M20 32L30 32M36 32L46 32M52 32L60 32"),
                     stroke(4), stroke(4)});
    cases.push_back({"translate", makeTranslateEffect(3, -5), line, svg("M7 27L63 27"), stroke(4), stroke(4)});
    cases.push_back({"matrix", makeMatrixEffect(Matrix::Scale(0.5f, 1)), line, svg("M2 32L30 32"), stroke(4), stroke(4)});
    cases.push_back({"trim", makeTrimEffect(0.25f, 0.75f, TrimMode::Normal), line, svg("M18 32L46 32"), stroke(4), stroke(4)});
    cases.push_back({"trim inverted", makeTrimEffect(0.25f, 0.75f, TrimMode::Inverted), line,
                     svg("M4 32L18 32M46 32L60 32"), stroke(4), stroke(4)});
    cases.push_back({"stroke", makeStrokeEffect(6, StrokeJoin::Round, StrokeCap::Round, 4), svg("M8 8L56 56"), stroked,
                     fill, fill});
    cases.push_back({"compose", makeComposeEffect(makeTranslateEffect(0, 10), makeDashEffect(dash, 2, 0)), line,
                     svg("M4 42L14 42M20 42L30 42M36 42L46 42M52 42L60 42"), stroke(4), stroke(4)});
    cases.push_back({"sum", makeSumEffect(makeTranslateEffect(0, -10), makeTranslateEffect(0, 10)), line,
                     svg("M4 22L60 22M4 42L60 42"), stroke(4), stroke(4)});
    Paint sf = stroke(6);
    sf.style = PaintStyle::StrokeAndFill;
    cases.push_back({"stroke and fill", makeStrokeAndFillEffect(), svg("M10 10L50 10L30 50Z"),
                     svg("M10 10L50 10L30 50Z"), stroke(6), sf});
    for (Case& c : cases) {
        ASSERT_TRUE(c.effect) << c.name;
        c.paint.pathEffect = c.effect;
        EXPECT_EQ(render(c.src, c.paint), render(c.expected, c.expectedPaint)) << c.name;
    }
}

TEST(PathEffects, RefuseAbsurdArguments) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float zeros[] = {0, 0}, negative[] = {-1, 5}, nans[] = {nan, 5}, infs[] = {inf, 5}, odd[] = {4, 2, 3};
    EXPECT_FALSE(makeDashEffect(zeros, 2, 0));
    EXPECT_FALSE(makeDashEffect(negative, 2, 0));
    EXPECT_FALSE(makeDashEffect(nans, 2, 0));
    EXPECT_FALSE(makeDashEffect(infs, 2, 0));
    EXPECT_FALSE(makeDashEffect(odd, 3, 0));
    EXPECT_FALSE(makeDashEffect(nullptr, 2, 0));
    EXPECT_FALSE(makeCornerEffect(0));
    EXPECT_FALSE(makeCornerEffect(nan));
    EXPECT_FALSE(makeDiscreteEffect(0, 1, 0));
    EXPECT_FALSE(makePath1DEffect(Path(), 5, 0, Path1DStyle::Translate));
    EXPECT_FALSE(makePath1DEffect(svg("M0 0L1 1"), 0, 0, Path1DStyle::Translate));
    EXPECT_FALSE(makeLine2DEffect(1, Matrix::Scale(0, 1)));
    EXPECT_FALSE(makePath2DEffect(Matrix::Scale(nan, 1), svg("M0 0L1 1")));
    EXPECT_FALSE(makeComposeEffect(nullptr, makeCornerEffect(1)));
    EXPECT_FALSE(makeMergeEffect(makeCornerEffect(1), makeCornerEffect(1), 9));
    EXPECT_FALSE(makeStrokeEffect(-1, StrokeJoin::Miter, StrokeCap::Butt, 4));
    EXPECT_FALSE(makeTrimEffect(nan, 1, TrimMode::Normal));
    EXPECT_FALSE(makeTranslateEffect(inf, 0));
}

// A million dashes per pixel, a phase of NaN, stamps finer than a pixel: bounded time, and the
// reference engine's outcome (nothing for the dash; the plain path for the rest).
TEST(PathEffects, AbsurdDensitiesStayBounded) {
    const float tiny[] = {1e-6f, 1e-6f};
    Paint p = stroke(4);
    p.pathEffect = makeDashEffect(tiny, 2, std::nanf(""));
    ASSERT_TRUE(p.pathEffect);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(render(svg("M2 32L62 32"), p), render(Path(), stroke(4)));
    p.pathEffect = makeDiscreteEffect(1e-6f, 3, 1);
    EXPECT_EQ(render(svg("M2 32L62 32"), p), render(svg("M2 32L62 32"), stroke(4)));
    p.pathEffect = makePath1DEffect(svg("M0 0L1 0L0 1Z"), 1e-6f, 0, Path1DStyle::Rotate);
    EXPECT_EQ(render(svg("M2 32L62 32"), p), render(svg("M2 32L62 32"), stroke(4)));
    p.pathEffect = makePath2DEffect(Matrix::Scale(1e-4f, 1e-4f), svg("M0 0L1 0L0 1Z"));
    EXPECT_EQ(render(svg("M2 2L62 2L62 62Z"), p), render(svg("M2 2L62 2L62 62Z"), stroke(4)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
