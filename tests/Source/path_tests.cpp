// Paths, their walks, path builders and round rects against stand-in entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Raised.h"
#include "Spy.h"
#include "Skia/OpBuilder.h"
#include "Skia/Path.h"
#include "Skia/PathBuilder.h"
#include "Skia/PathMeasure.h"
#include "Skia/RoundRect.h"

using namespace Skia;
namespace API = Skia::API;
using Ui::TPointF;
using Ui::TRectF;

namespace {

constexpr plix_handle PathHandle = 0x7A00;
constexpr plix_handle BuilderHandle = 0x7B00;
constexpr plix_handle IteratorHandle = 0x7C00;
constexpr plix_handle RoundRectHandle = 0x8800;

class SkPaths : public ::testing::Test {
protected:
    FakeReleases releases;
};

TEST_F(SkPaths, AWalkGivesTheElementsAndKeepsItsPathAlive) {
    // A triangle: move, two lines, close.
    static int step;
    step = 0;
    Spy<&API::plix_pathiterator_create> create([](plix_handle path, bool forceClose) {
        EXPECT_EQ(path, PathHandle);
        EXPECT_TRUE(forceClose);
        return IteratorHandle;
    });
    Spy<&API::plix_pathiterator_next> next([](plix_handle self, plix_path_iterator_elem* e) {
        EXPECT_EQ(self, IteratorHandle);
        const plix_path_iterator_elem elems[] = {
            {0, {{0, 0}}, 0}, {1, {{0, 0}, {10, 0}}, 0}, {3, {{10, 0}, {10, 10}, {0, 10}}, 0.5f}, {5, {}, 0}};
        if (step == 4) return false;
        *e = elems[step++];
        return true;
    });
    std::vector<TSkPathIteratorElem> seen;
    {
        Ref<ISkPath> path = Wrap<TSkPath>(PathHandle);
        Ref<ISkPathIterator> walk = path->GetIterator(true);
        path = nullptr;
        EXPECT_EQ(FakeReleases::Destroys(PathHandle), 0);  // the walk holds it
        for (const TSkPathIteratorElem& elem : walk->GetEnumerator()) seen.push_back(elem);
    }
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].Verb, TSkPathVerb::Move);
    EXPECT_EQ(seen[1].Points[1], TPointF(10, 0));
    EXPECT_EQ(seen[2].Verb, TSkPathVerb::Conic);
    EXPECT_EQ(seen[2].ConicWeight, 0.5f);
    EXPECT_EQ(seen[2].Points[2], TPointF(0, 10));
    EXPECT_EQ(seen[3].Verb, TSkPathVerb::Close);
    // The walk goes first, then the path it held.
    EXPECT_EQ(FakeReleases::log, (std::vector<std::string>{FakeReleases::Name("destroy", IteratorHandle),
                                                           FakeReleases::Name("destroy", PathHandle)}));
}

TEST_F(SkPaths, QueriesAndResults) {
    Ref<ISkPath> path = Wrap<TSkPath>(PathHandle);
    Spy<&API::plix_path_get_last_point> last([](plix_handle, plix_point* p) {
        *p = {3, 4};
        return true;
    });
    Spy<&API::plix_path_is_rect> isRect([](plix_handle, plix_rect* r) {
        *r = {1, 2, 3, 4};
        return true;
    });
    Spy<&API::plix_path_is_line> isLine([](plix_handle, plix_point* p) {
        if (p) {
            p[0] = {1, 1};
            p[1] = {2, 2};
        }
        return true;
    });
    Spy<&API::plix_path_get_segment_masks> masks([](plix_handle) { return uint32_t{0b1001}; });
    EXPECT_EQ(path->GetLastPoint(), TPointF(3, 4));
    TRectF rect;
    EXPECT_TRUE(path->IsRect(rect));
    EXPECT_EQ(rect, TRectF(1, 2, 3, 4));
    TPointF a, b;
    EXPECT_TRUE(path->IsLine());
    EXPECT_TRUE(path->IsLine(a, b));
    EXPECT_EQ(b, TPointF(2, 2));
    EXPECT_EQ(path->GetSegmentMasks(), (TSkSegmentMasks{TSkSegmentMask::Line, TSkSegmentMask::Cubic}));

    Spy<&API::plix_path_to_svg> toSvg([](plix_handle) { return plix_handle{0x57}; });
    Spy<&API::plix_string_get_text> text([](plix_handle s) {
        EXPECT_EQ(s, 0x57u);
        return "M0 0L10 0Z";
    });
    Spy<&API::plix_string_destroy> stringDestroy;
    EXPECT_EQ(path->ToSVG(), "M0 0L10 0Z");
    EXPECT_EQ(decltype(stringDestroy)::Calls(), 1);  // the native string is the wrapper's to free
}

TEST_F(SkPaths, OperationsOnTwoPathsNeedTheSecond) {
    Ref<ISkPath> path = Wrap<TSkPath>(PathHandle);
    Spy<&API::plix_path_op> op([](plix_handle self, plix_handle other, int32_t o) {
        EXPECT_EQ(self, PathHandle);
        EXPECT_EQ(other, 0x7A01u);
        EXPECT_EQ(o, 4);
        return plix_handle{0};
    });
    EXPECT_EQ(Raised<ESkArgumentException>([&] { path->Op(nullptr, TSkPathOp::Union); }), "Parameter APath cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { path->Interpolate(nullptr, 0.5f); }), "Parameter AEnding cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { path->IsInterpolatable(nullptr); }), "Parameter APath cannot be nil");
    EXPECT_FALSE(path->Op(Wrap<TSkPath>(0x7A01), TSkPathOp::ReverseDifference));  // a failed op is nil
}

TEST_F(SkPaths, ConicsSplitIntoAtMostThirtyTwoQuads) {
    static int32_t power;
    Spy<&API::plix_path_convert_conic_to_quads>
        convert([](const plix_point*, const plix_point*, const plix_point* p3, float, plix_point* points, int32_t p2) {
            power = p2;
            const int32_t quads = 1 << p2;
            for (int32_t i = 0; i < 1 + 2 * quads; ++i) points[i] = {float(i), 0};
            points[2 * quads] = *p3;
            return quads;
        });
    const auto points = TSkPath::ConvertConicToQuads({0, 0}, {1, 1}, {2, 0}, 0.7f, 1);
    EXPECT_EQ(power, 1);
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[4], TPointF(2, 0));
    EXPECT_EQ(TSkPath::ConvertConicToQuads({0, 0}, {1, 1}, {2, 0}, 0.7f, 5).size(), 65u);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkPath::ConvertConicToQuads({}, {}, {}, 1, 6); }),
              "Parameter APower2 out of range (6). Must be >= 0 and < 6");
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkPath::ConvertConicToQuads({}, {}, {}, 1, -1); }),
              "Parameter APower2 out of range (-1). Must be >= 0 and < 6");
    EXPECT_EQ(decltype(convert)::Calls(), 2);
}

TEST_F(SkPaths, IsRoundRectFillsANewRoundRect) {
    Spy<&API::plix_rrect_create> create([] { return RoundRectHandle; });
    static bool answer;
    Spy<&API::plix_path_is_rrect> isRoundRect([](plix_handle, plix_handle rrect) {
        EXPECT_TRUE(rrect == 0 || rrect == RoundRectHandle);
        return answer;
    });
    Ref<ISkPath> path = Wrap<TSkPath>(PathHandle);
    Ref<ISkRoundRect> roundRect = Wrap<TSkRoundRect>(0x8801);
    answer = false;
    EXPECT_FALSE(path->IsRoundRect(roundRect));
    EXPECT_FALSE(roundRect);
    EXPECT_EQ(FakeReleases::Destroys(RoundRectHandle), 1);  // the unused one is freed
    answer = true;
    EXPECT_TRUE(path->IsRoundRect());
    EXPECT_TRUE(path->IsRoundRect(roundRect));
    ASSERT_TRUE(roundRect);
    EXPECT_EQ(roundRect->GetHandle(), RoundRectHandle);
}

// ---- builders ----

TEST_F(SkPaths, BuildersPassPointsAndGiveOwnedPaths) {
    Spy<&API::plix_pathbuilder_create> create([] { return BuilderHandle; });
    static std::vector<std::string> calls;
    calls.clear();
    auto point = [](const char* what, const plix_point* p) {
        calls.push_back(std::string(what) + " " + std::to_string(int(p->x)) + "," + std::to_string(int(p->y)));
    };
    static decltype(point) record = point;
    Spy<&API::plix_pathbuilder_move_to> moveTo([](plix_handle, const plix_point* p) { record("move", p); });
    Spy<&API::plix_pathbuilder_line_to> lineTo([](plix_handle, const plix_point* p) { record("line", p); });
    Spy<&API::plix_pathbuilder_r_line_to> rLineTo([](plix_handle, const plix_point* p) { record("rline", p); });
    Spy<&API::plix_pathbuilder_cubic_to>
        cubicTo([](plix_handle, const plix_point* a, const plix_point*, const plix_point* c) {
            record("cubic", a);
            record("to", c);
        });
    Spy<&API::plix_pathbuilder_add_polygon>
        polygon([](plix_handle, const plix_point* p, int32_t n, bool closed) {
            calls.push_back("polygon " + std::to_string(n) + (closed ? " closed" : ""));
            if (n) record("first", p);
        });
    Spy<&API::plix_pathbuilder_detach> detach([](plix_handle) { return plix_handle{0x7D00}; });
    {
        Ref<ISkPathBuilder> builder = TSkPathBuilder::Create();
        builder->MoveTo(1, 2);
        builder->LineTo(TPointF(3, 4));
        builder->RLineTo(5, 6);
        builder->CubicTo(1, 1, 2, 2, 3, 3);
        const std::vector<TPointF> triangle{{7, 8}, {9, 9}, {7, 9}};
        builder->AddPolygon(triangle, true);
        builder->AddPolygon({}, false);
        Ref<ISkPath> path = builder->Detach();
        EXPECT_EQ(path->GetHandle(), 0x7D00u);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"move 1,2", "line 3,4", "rline 5,6", "cubic 1,1", "to 3,3",
                                               "polygon 3 closed", "first 7,8", "polygon 0"}));
    EXPECT_EQ(FakeReleases::Destroys(0x7D00), 1);
    EXPECT_EQ(FakeReleases::Destroys(BuilderHandle), 1);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkPathBuilder::Create(Ref<ISkPath>()); }),
              "Parameter APath cannot be nil");
}

TEST_F(SkPaths, BuilderShapesNeedTheirObjects) {
    Ref<ISkPathBuilder> builder = Wrap<TSkPathBuilder>(BuilderHandle);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { builder->AddPath(nullptr); }), "Parameter APath cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { builder->AddRoundRect(nullptr); }),
              "Parameter ARoundRect cannot be nil");
    static int32_t direction;
    static uint32_t start;
    Spy<&API::plix_pathbuilder_add_oval>
        oval([](plix_handle, const plix_rect*, int32_t d, uint32_t s) {
            direction = d;
            start = s;
        });
    builder->AddOval(TRectF(0, 0, 4, 4), TSkPathDirection::CCW, 3);
    EXPECT_EQ(direction, 1);
    EXPECT_EQ(start, 3u);
    static int32_t largeArc, sweep;
    Spy<&API::plix_pathbuilder_arc_to>
        arc([](plix_handle, const plix_point*, float, int32_t l, int32_t s, const plix_point* p) {
            largeArc = l;
            sweep = s;
            EXPECT_EQ(p->x, 9);
        });
    builder->ArcTo(TPointF(2, 2), 0, TSkPathArcSize::Large, TSkPathDirection::CCW, TPointF(9, 0));
    EXPECT_EQ(largeArc, 1);
    EXPECT_EQ(sweep, 1);
}

TEST_F(SkPaths, OpBuildersCombineAddedPaths) {
    Spy<&API::plix_opbuilder_create> create([] { return plix_handle{0x0B}; });
    static std::vector<std::pair<plix_handle, int32_t>> added;
    Spy<&API::plix_opbuilder_add>
        add([](plix_handle self, plix_handle path, int32_t op) {
            EXPECT_EQ(self, 0x0Bu);
            added.emplace_back(path, op);
        });
    Spy<&API::plix_opbuilder_detach> detach([](plix_handle) { return plix_handle{0}; });
    {
        Ref<ISkOpBuilder> builder = TSkOpBuilder::Create();
        EXPECT_EQ(Raised<ESkArgumentException>([&] { builder->Add(nullptr, TSkPathOp::Union); }),
                  "Parameter APath cannot be nil");
        builder->Add(Wrap<TSkPath>(0x7A01), TSkPathOp::Union);
        builder->Add(Wrap<TSkPath>(0x7A02), TSkPathOp::Xor);
        EXPECT_FALSE(builder->Detach());  // the operations failed
    }
    EXPECT_EQ(added, (std::vector<std::pair<plix_handle, int32_t>>{{0x7A01, 2}, {0x7A02, 3}}));
    EXPECT_EQ(FakeReleases::Destroys(0x0B), 1);
}

TEST_F(SkPaths, AMeasureHoldsItsPathAndMarshalsItsQuestions) {
    Spy<&API::plix_pathmeasure_create> create([](plix_handle path, bool forceClosed, float resScale) {
        EXPECT_EQ(path, PathHandle);
        EXPECT_FALSE(forceClosed);
        EXPECT_EQ(resScale, 1.0f);
        return plix_handle{0x3E};
    });
    static uint32_t flags;
    Spy<&API::plix_pathmeasure_get_matrix>
        getMatrix([](plix_handle, float distance, plix_matrix* m, uint32_t f) {
            flags = f;
            *m = {1, 0, distance, 0, 1, 0, 0, 0, 1};
            return true;
        });
    Spy<&API::plix_pathmeasure_get_segment> segment;
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkPathMeasure::Create(nullptr); }), "Parameter APath cannot be nil");
    {
        Ref<ISkPathMeasure> measure = TSkPathMeasure::Create(Wrap<TSkPath>(PathHandle));
        EXPECT_EQ(FakeReleases::Destroys(PathHandle), 0);  // held by the measure
        Ui::TMatrix m;
        EXPECT_TRUE(measure->GetMatrix(7, m));
        EXPECT_EQ(flags, 3u);
        EXPECT_EQ(m.m31, 7);  // the engine's translation, in the framework's place
        measure->GetMatrix(7, m, {TSkPathMeasureMatrixFlag::GetTangent});
        EXPECT_EQ(flags, 2u);
        EXPECT_EQ(Raised<ESkArgumentException>([&] { measure->GetSegment(0, 1, nullptr, true); }),
                  "Parameter ADest cannot be nil");
        EXPECT_EQ(decltype(segment)::Calls(), 0);
    }
    EXPECT_EQ(FakeReleases::log, (std::vector<std::string>{FakeReleases::Name("destroy", 0x3E),
                                                           FakeReleases::Name("destroy", PathHandle)}));
}

// ---- round rects ----

TEST_F(SkPaths, RoundRectsCheckTheirCornerAndPassTheirRadii) {
    Spy<&API::plix_rrect_create> create([] { return RoundRectHandle; });
    static std::vector<plix_point> radii;
    Spy<&API::plix_rrect_set_rect3> setRect([](plix_handle, const plix_rect* r, const plix_vector* v) {
        EXPECT_EQ(r->right, 10);
        radii.assign(v, v + 4);
    });
    Spy<&API::plix_rrect_get_radii> getRadii([](plix_handle, int32_t corner, plix_vector* v) {
        *v = {float(corner), float(corner * 2)};
    });
    Ref<ISkRoundRect> roundRect =
        TSkRoundRect::Create(TRectF(0, 0, 10, 10), TSkRoundRectRadii{TPointF(1, 1), TPointF(2, 2), TPointF(3, 3), TPointF(4, 4)});
    ASSERT_EQ(radii.size(), 4u);
    EXPECT_EQ(radii[3].x, 4);
    EXPECT_EQ(roundRect->GetRadii(TSkRoundRectCorner::LowerLeft), TPointF(3, 6));
    EXPECT_EQ(Raised<ESkArgumentException>([&] { roundRect->GetRadii(static_cast<TSkRoundRectCorner>(4)); }),
              "Parameter ACorner out of range (4). Must be >= 0 and < 4");
    EXPECT_EQ(decltype(getRadii)::Calls(), 1);
    EXPECT_FALSE(roundRect->IsEqual(nullptr));
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkRoundRect::Create(Ref<ISkRoundRect>()); }),
              "Parameter ARoundRect cannot be nil");
    Spy<&API::plix_rrect_transform> transform([](plix_handle, const plix_matrix* m) {
        return m->skew_x == 0 ? plix_handle{0x8802} : plix_handle{0};
    });
    EXPECT_TRUE(roundRect->Transform(Ui::TMatrix::CreateScaling(2, 2)));
    Ui::TMatrix skewed;
    skewed.m21 = 0.5f;
    EXPECT_FALSE(roundRect->Transform(skewed));
}

}  // namespace
