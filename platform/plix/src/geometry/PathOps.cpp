#include "geometry/PathOps.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>

#include "geometry/PathFlatten.h"

namespace plix {

namespace {

namespace CL = ClipperLib;

// Collects the flattened contours as integer polygons.
class PolygonSink final : public FlattenSink {
public:
    PolygonSink(double scale, double ox, double oy) : fScale(scale), fOx(ox), fOy(oy) {}
    void moveTo(Point p) override {
        fPolys.emplace_back();
        add(p);
    }
    void lineTo(Point p, bool) override {
        if (fPolys.empty()) fPolys.emplace_back();
        add(p);
    }
    void close() override {}
    CL::Paths& polygons() { return fPolys; }

private:
    void add(Point p) {
        fPolys.back().emplace_back(CL::cInt(std::llround((p.x - fOx) * fScale)),
                                   CL::cInt(std::llround((p.y - fOy) * fScale)));
    }
    double fScale, fOx, fOy;
    CL::Paths fPolys;
};

// Whether a point belongs to the result, given whether it is inside each operand's area.
bool opTable(PathOp op, bool a, bool b) {
    switch (op) {
        case PathOp::Difference: return a && !b;
        case PathOp::Intersect: return a && b;
        case PathOp::Union: return a || b;
        case PathOp::XOR: return a != b;
        case PathOp::ReverseDifference: return b && !a;
    }
    return false;
}

// The areas run as fine as this fraction of the paths' extent ...
constexpr double kRelativeTolerance = 1e-4;
// ... over this many integer steps.
constexpr double kIntegerExtent = double(int64_t(1) << 40);

}  // namespace

bool pathOp(const Path& one, const Path& two, PathOp op, Path* out) {
    if (!out || !one.isFinite() || !two.isFinite()) return false;
    // Each operand's area is its shape, or the shape's complement for inverse fills. With a and
    // b the points inside the shapes, the result is some function r(a, b); when r(false, false)
    // holds the result is unbounded: the complement of the shape where r does not hold.
    const bool invA = isInverseFill(one.fillType()), invB = isInverseFill(two.fillType());
    auto r = [&](bool a, bool b) { return opTable(op, a != invA, b != invB); };
    const bool inverse = r(false, false);
    auto keep = [&](bool a, bool b) { return r(a, b) != inverse; };
    const bool both = keep(true, true), onlyA = keep(true, false), onlyB = keep(false, true);

    // Bounds of both, lines of no width or height included.
    Rect bounds = one.isEmpty() ? two.bounds() : one.bounds();
    if (!one.isEmpty() && !two.isEmpty()) {
        const Rect b2 = two.bounds();
        bounds = {std::min(bounds.left, b2.left), std::min(bounds.top, b2.top), std::max(bounds.right, b2.right),
                  std::max(bounds.bottom, b2.bottom)};
    }
    Path result;
    result.setFillType(inverse ? PathFillType::InverseWinding : PathFillType::Winding);
    if (!(both || onlyA || onlyB) || (one.isEmpty() && two.isEmpty())) {
        *out = std::move(result);
        return true;
    }
    const double extent = std::max({double(bounds.width()), double(bounds.height()), 1e-30});
    const double scale = kIntegerExtent / extent;
    const double ox = bounds.left, oy = bounds.top;
    if (!std::isfinite(scale) || !std::isfinite(ox) || !std::isfinite(oy)) return false;
    auto polygons = [&](const Path& p) {
        PolygonSink sink(scale, ox, oy);
        flattenPath(p, Matrix(), float(extent * kRelativeTolerance), sink);
        return std::move(sink.polygons());
    };
    const CL::Paths a = polygons(one), b = polygons(two);
    const auto fill = [](const Path& p) { return isEvenOddFill(p.fillType()) ? CL::pftEvenOdd : CL::pftNonZero; };

    // Which of the shapes' regions to keep, as one Clipper operation.
    CL::Clipper clipper;
    CL::ClipType type;
    const CL::Paths *subject = &a, *clip = &b;
    CL::PolyFillType subjectFill = fill(one), clipFill = fill(two);
    if (both && onlyA && onlyB) type = CL::ctUnion;
    else if (both && !onlyA && !onlyB) type = CL::ctIntersection;
    else if (!both && onlyA && onlyB) type = CL::ctXor;
    else if (!both && onlyA) type = CL::ctDifference;
    else if (!both && onlyB) type = CL::ctDifference, std::swap(subject, clip), std::swap(subjectFill, clipFill);
    else if (onlyA) type = CL::ctUnion, clip = nullptr;  // all of the first shape
    else type = CL::ctUnion, subject = &b, subjectFill = clipFill, clip = nullptr;  // all of the second
    CL::Paths solution;
    try {
        clipper.AddPaths(*subject, CL::ptSubject, true);
        if (clip) clipper.AddPaths(*clip, CL::ptClip, true);
        if (!clipper.Execute(type, solution, subjectFill, clip ? clipFill : subjectFill)) return false;
    } catch (const CL::clipperException&) {
        return false;
    }
    for (const CL::Path& poly : solution) {
        if (poly.size() < 3) continue;
        for (size_t i = 0; i < poly.size(); ++i) {
            const Point p{float(double(poly[i].X) / scale + ox), float(double(poly[i].Y) / scale + oy)};
            if (i == 0) result.moveTo(p);
            else result.lineTo(p);
        }
        result.close();
    }
    *out = std::move(result);
    return true;
}

}  // namespace plix
