// Stroke outlines of curves against the reference engine's (fixtures/stroke_outlines.txt,
// written by tests/reference/stroke_outlines.mjs). Each side of a curve's stroke is made of
// quads: ours must be the reference's, piece for piece, within a thousandth of a unit; and the
// whole outline, round joins and caps (quarter-circle conics) included, must be its outline,
// contour by contour.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/Path.h"
#include "geometry/Stroker.h"

using namespace plix;

namespace {

constexpr float kTol = 1e-3f;

// "M x y L x y Q x y x y K x y x y w C x y x y x y Z" to a path.
Path parseVerbs(const std::string& text) {
    std::istringstream in(text);
    Path p;
    std::string v;
    auto pt = [&] {
        Point q;
        in >> q.x >> q.y;
        return q;
    };
    while (in >> v) {
        if (v == "M") p.moveTo(pt());
        else if (v == "L") p.lineTo(pt());
        else if (v == "Q") {
            const Point a = pt(), b = pt();
            p.quadTo(a, b);
        } else if (v == "K") {
            const Point a = pt(), b = pt();
            float w;
            in >> w;
            p.conicTo(a, b, w);
        } else if (v == "C") {
            const Point a = pt(), b = pt(), c = pt();
            p.cubicTo(a, b, c);
        } else if (v == "Z") p.close();
    }
    return p;
}

struct Case {
    std::string name;
    Path path, want;
    StrokeParams params;
    float res = 1;
    bool endsOnly = false;  // match=ends: only the lines between the sides (the caps) must match
};

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::vector<Case> loadCases() {
    std::ifstream f(PLIX_RASTER_FIXTURES "/stroke_outlines.txt");
    std::vector<Case> cases;
    std::string line;
    while (std::getline(f, line)) {
        std::vector<std::string> parts;
        std::stringstream ss(line);
        std::string part;
        while (std::getline(ss, part, '|')) parts.push_back(trim(part));
        if (parts.size() != 4) continue;
        Case c;
        c.name = parts[0];
        c.path = parseVerbs(parts[1]);
        c.want = parseVerbs(parts[3]);
        std::istringstream opts(parts[2]);
        std::string kv;
        while (opts >> kv) {
            const std::string k = kv.substr(0, kv.find('=')), v = kv.substr(kv.find('=') + 1);
            if (k == "width") c.params.width = std::stof(v);
            else if (k == "miter") c.params.miterLimit = std::stof(v);
            else if (k == "res") c.res = std::stof(v);
            else if (k == "match") c.endsOnly = v == "ends";
            else if (k == "cap")
                c.params.cap = v == "round" ? StrokeCap::Round : v == "square" ? StrokeCap::Square : StrokeCap::Butt;
            else if (k == "join")
                c.params.join = v == "round" ? StrokeJoin::Round : v == "bevel" ? StrokeJoin::Bevel : StrokeJoin::Miter;
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

struct Quad {
    Point p[3];
};

// The quads of a path, or its lines (as quads with the middle for control point).
std::vector<Quad> piecesOf(const Path& p, Path::Iter::Kind kind) {
    std::vector<Quad> q;
    Path::Iter it(p, false);
    Point pts[4];
    for (Path::Iter::Kind k; (k = it.next(pts)) != Path::Iter::kDone;) {
        if (k != kind) continue;
        if (kind == Path::Iter::kQuad) q.push_back({{pts[0], pts[1], pts[2]}});
        else q.push_back({{pts[0], (pts[0] + pts[1]) * 0.5f, pts[1]}});
    }
    return q;
}

bool near(Point a, Point b) { return distance(a, b) <= kTol; }

bool sameQuad(const Quad& a, const Quad& b) {
    return near(a.p[1], b.p[1]) && ((near(a.p[0], b.p[0]) && near(a.p[2], b.p[2])) ||
                                     (near(a.p[0], b.p[2]) && near(a.p[2], b.p[0])));
}

// A contour as its points in order, control points marked, without the closing repeat.
struct Loop {
    std::vector<Point> pts;
    std::vector<bool> ctrl;
};

std::vector<Loop> loopsOf(const Path& p) {
    std::vector<Loop> loops;
    Path::Iter it(p, false);
    Point pts[4];
    for (Path::Iter::Kind k; (k = it.next(pts)) != Path::Iter::kDone;) {
        if (k == Path::Iter::kMove) loops.push_back({{pts[0]}, {false}});
        else if (k == Path::Iter::kLine) loops.back().pts.push_back(pts[1]), loops.back().ctrl.push_back(false);
        else if (k == Path::Iter::kQuad || k == Path::Iter::kConic) {
            loops.back().pts.insert(loops.back().pts.end(), {pts[1], pts[2]});
            loops.back().ctrl.insert(loops.back().ctrl.end(), {true, false});
        }
    }
    for (Loop& l : loops)
        if (l.pts.size() > 1 && near(l.pts.back(), l.pts.front())) l.pts.pop_back(), l.ctrl.pop_back();
    return loops;
}

// The same loop, starting anywhere and running either way.
bool sameLoop(const Loop& a, const Loop& b) {
    const size_t n = a.pts.size();
    if (b.pts.size() != n) return false;
    for (size_t s = 0; s < n; ++s)
        for (int dir : {1, -1}) {
            bool ok = true;
            for (size_t i = 0; i < n && ok; ++i) {
                const size_t j = (s + n + dir * long(i) % long(n)) % n;
                ok = a.ctrl[i] == b.ctrl[j] && near(a.pts[i], b.pts[j]);
            }
            if (ok) return true;
        }
    return false;
}

TEST(StrokeOutline, CurvesAreSidedByTheReferencesQuads) {
    const std::vector<Case> cases = loadCases();
    ASSERT_GE(cases.size(), 20u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Path got;
        ASSERT_TRUE(strokePath(c.path, c.params, c.res, &got));
        if (c.endsOnly) {
            const std::vector<Quad> ours = piecesOf(got, Path::Iter::kLine);
            for (const Quad& w : piecesOf(c.want, Path::Iter::kLine)) {
                bool found = false;
                for (const Quad& o : ours) found |= sameQuad(o, w);
                EXPECT_TRUE(found) << "missing line " << w.p[0].x << "," << w.p[0].y << " " << w.p[2].x << ","
                                   << w.p[2].y;
            }
            continue;
        }
        const std::vector<Quad> want = piecesOf(c.want, Path::Iter::kQuad);
        const std::vector<Quad> ours = piecesOf(got, Path::Iter::kQuad);
        EXPECT_EQ(ours.size(), want.size());
        for (const Quad& w : want) {
            bool found = false;
            for (const Quad& o : ours) found |= sameQuad(o, w);
            EXPECT_TRUE(found) << "missing quad " << w.p[0].x << "," << w.p[0].y << " " << w.p[1].x << ","
                               << w.p[1].y << " " << w.p[2].x << "," << w.p[2].y;
        }
        const std::vector<Loop> a = loopsOf(got), b = loopsOf(c.want);
        ASSERT_EQ(a.size(), b.size());
        for (const Loop& l : b) {
            bool found = false;
            for (const Loop& m : a) found |= sameLoop(m, l);
            EXPECT_TRUE(found) << "a contour of " << l.pts.size() << " points differs";
        }
    }
}

// Curves the offsetting must survive: every outline finite and of bounded size, at resolution
// scales where the tolerance all but vanishes too.
TEST(StrokeOutline, DegenerateAndHugeCurvesStayBounded) {
    struct Bad {
        const char* name;
        const char* path;
        float width;
    };
    const Bad bad[] = {
        {"cusp", "M 0 0 C 100 100 0 100 100 0", 4},
        {"all_controls_on_the_start", "M 5 5 C 5 5 5 5 90 40", 4},
        {"quad_control_on_the_end", "M 5 5 Q 90 40 90 40 L 10 60", 4},
        {"quad_running_back_on_a_line", "M 10 10 Q 100 100 10 10 L 60 0", 4},
        {"cubic_along_a_line_turning_back", "M 0 0 C 60 0 -20 0 40 0 L 40 30", 3},
        {"huge_coordinates", "M -1e30 0 Q 0 1e30 1e30 0 C 1e30 -1e30 -1e30 1e30 0 0", 4},
        {"huge_width", "M 0 0 Q 50 30 100 0", 1e30f},
        {"tiny_width", "M 0 0 C 30 60 70 -60 100 0", 1e-30f},
        {"tiny_curve", "M 0 0 Q 1e-6 1e-6 2e-6 0", 4},
        {"tight_conic", "M 0 0 A 1 1 0 1 1 0.001 0", 40},
    };
    for (const Bad& b : bad)
        for (float res : {1.0f, 1e6f}) {
            SCOPED_TRACE(std::string(b.name) + " res " + std::to_string(res));
            Path src;
            ASSERT_TRUE(Path::FromSVG(b.path, &src));
            StrokeParams sp;
            sp.width = b.width;
            for (StrokeJoin j : {StrokeJoin::Miter, StrokeJoin::Round}) {
                sp.join = j;
                Path got;
                if (!strokePath(src, sp, res, &got)) continue;
                EXPECT_TRUE(got.isFinite());
                EXPECT_LT(got.countPoints(), 200000);
            }
        }
    Path nan;
    nan.moveTo({0, 0});
    nan.quadTo({NAN, 1}, {2, 2});
    Path out;
    EXPECT_FALSE(strokePath(nan, StrokeParams(), 1, &out));
    EXPECT_TRUE(out.isEmpty());
}

}  // namespace
