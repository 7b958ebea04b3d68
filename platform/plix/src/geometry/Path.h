// Paths: contours of lines, quadratic, conic (rational quadratic) and cubic segments, with a
// fill type. Stored as parallel arrays of verbs, points and conic weights. A verb's points
// follow the previous verb's last point: Move 1, Line 1, Quad 2, Conic 2 (+1 weight),
// Cubic 3, Close 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/Matrix.h"
#include "geometry/Point.h"
#include "geometry/RRect.h"
#include "geometry/Rect.h"

namespace plix {

enum class PathVerb : uint8_t { Move, Line, Quad, Conic, Cubic, Close };
enum class PathFillType : int32_t { Winding, EvenOdd, InverseWinding, InverseEvenOdd };
enum class PathDirection : int32_t { CW, CCW };

constexpr bool isInverseFill(PathFillType f) { return int(f) >= 2; }
constexpr bool isEvenOddFill(PathFillType f) { return (int(f) & 1) != 0; }
constexpr int verbPointCount(PathVerb v) {
    constexpr int k[] = {1, 1, 2, 2, 3, 0};
    return k[int(v)];
}

enum PathSegmentMask : uint32_t { kLineSegment = 1, kQuadSegment = 2, kConicSegment = 4, kCubicSegment = 8 };

class Path {
public:
    // ---- building ----
    Path& moveTo(Point p);
    Path& lineTo(Point p);
    Path& quadTo(Point p1, Point p2);
    Path& conicTo(Point p1, Point p2, float w);
    Path& cubicTo(Point p1, Point p2, Point p3);
    Path& close();
    // Relative forms: offsets from the last point.
    Path& rMoveTo(Point d) { return moveTo(lastPointOr0() + d); }
    Path& rLineTo(Point d) { return lineTo(lastPointOr0() + d); }
    Path& rQuadTo(Point d1, Point d2);
    Path& rConicTo(Point d1, Point d2, float w);
    Path& rCubicTo(Point d1, Point d2, Point d3);
    Path& polylineTo(const Point pts[], int count);

    // Closed shapes, each its own contour. startIndex picks the corner or point the contour
    // begins at (rect: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left; oval: 0 top,
    // 1 right, 2 bottom, 3 left; round rect: 0..7 around, starting with the top edge's left end).
    Path& addRect(const Rect& r, PathDirection dir = PathDirection::CW, unsigned startIndex = 0);
    Path& addOval(const Rect& r, PathDirection dir = PathDirection::CW, unsigned startIndex = 1);
    Path& addCircle(float cx, float cy, float radius, PathDirection dir = PathDirection::CW);
    Path& addRRect(const RRect& rr, PathDirection dir = PathDirection::CW);
    Path& addRRect(const RRect& rr, PathDirection dir, unsigned startIndex);
    Path& addPoly(const Point pts[], int count, bool close);
    // An arc of the oval as a new contour; a sweep of 360 degrees or more adds the whole oval.
    Path& addArc(const Rect& oval, float startDeg, float sweepDeg);
    // Appends path, mapped by m; extend joins its first contour to this path's last one.
    Path& addPath(const Path& path, const Matrix& m = Matrix(), bool extend = false);

    // Arc along the oval from startDeg by sweepDeg; a line joins it to the current point unless
    // forceMoveTo or the path is empty.
    Path& arcTo(const Rect& oval, float startDeg, float sweepDeg, bool forceMoveTo);
    // The tangent arc of the given radius touching the lines (last, p1) and (p1, p2).
    Path& arcTo(Point p1, Point p2, float radius);
    // The SVG elliptical arc to end.
    Path& arcTo(Point radii, float xAxisRotateDeg, bool largeArc, bool sweepCW, Point end);

    void setFillType(PathFillType f) { fFill = f; }
    PathFillType fillType() const { return fFill; }
    void toggleInverseFillType() { fFill = PathFillType(int(fFill) ^ 2); }
    void reset() { *this = Path(); }
    void reserve(int extraPoints, int extraVerbs);
    void offset(float dx, float dy);

    // ---- reading ----
    const std::vector<PathVerb>& verbs() const { return fVerbs; }
    const std::vector<Point>& points() const { return fPts; }
    const std::vector<float>& conicWeights() const { return fWeights; }
    int countPoints() const { return int(fPts.size()); }
    int countVerbs() const { return int(fVerbs.size()); }
    bool isEmpty() const { return fVerbs.empty(); }
    bool isFinite() const;
    bool getLastPoint(Point* p) const;
    uint32_t segmentMasks() const;
    bool isLastContourClosed() const;

    // Bounds of all points (control points included), empty for an empty path.
    Rect bounds() const;
    // Bounds of the curves themselves.
    Rect computeTightBounds() const;

    // True when (x, y) is inside under the fill type.
    bool contains(float x, float y) const;

    bool isLine(Point line[2]) const;
    bool isRect(Rect* rect, bool* closed = nullptr, PathDirection* dir = nullptr) const;
    bool isOval(Rect* oval) const;
    bool isRRect(RRect* rr) const;
    bool isConvex() const;

    bool isInterpolatable(const Path& other) const;
    // this * weight + ending * (1 - weight), point by point; false when not interpolatable.
    bool interpolate(const Path& ending, float weight, Path* out) const;

    Path makeTransform(const Matrix& m) const;
    void transform(const Matrix& m) { *this = makeTransform(m); }

    // SVG path data of the path ("M10 20L30 40Z"); conics become quads.
    std::string toSVG() const;
    // Parses SVG path data; false (and out untouched) on a syntax error.
    static bool FromSVG(const char* text, Path* out);

    bool operator==(const Path& o) const {
        return fFill == o.fFill && fVerbs == o.fVerbs && fPts == o.fPts && fWeights == o.fWeights;
    }

    // Walks the segments. Each segment carries its start point, so lines have 2 points, quads
    // and conics 3, cubics 4. With forceClose, open contours get a closing line too.
    class Iter {
    public:
        enum Kind { kMove, kLine, kQuad, kConic, kCubic, kClose, kDone };
        Iter(const Path& path, bool forceClose);
        // Points in pts[0..]; for kClose, pts[0] is the last point and pts[1] the contour start
        // (the closing line, possibly of zero length).
        Kind next(Point pts[4], float* weight = nullptr);

    private:
        const Path& fPath;
        bool fForceClose;
        size_t fVerb = 0, fPt = 0, fWeight = 0;
        Point fStart, fLast;
        bool fNeedClose = false;  // an open contour is pending a forced close
        bool fInContour = false;
    };

    // The special shapes this path was built as (cleared by any other edit).
    enum class Shape : uint8_t { None, Oval, RRect };

private:
    void injectMoveToIfNeeded();
    Point lastPointOr0() const;
    void markEdited() { fShape = Shape::None; }
    Path& addConicArcPoints(const Rect& oval, float startDeg, float sweepDeg, bool forceMoveTo);

    std::vector<Point> fPts;
    std::vector<PathVerb> fVerbs;
    std::vector<float> fWeights;
    PathFillType fFill = PathFillType::Winding;
    int fLastMoveIndex = -1;  // point index of the current contour's move, -1 after close
    bool fContourOpen = false;
    Shape fShape = Shape::None;
    PathDirection fShapeDir = PathDirection::CW;
    unsigned fShapeStart = 0;
    RRect fShapeRRect;  // when fShape is RRect
};

// Splits a conic into 2^pow2 quads: writes 1 + 2 * 2^pow2 points (shared ends); pow2 <= 5.
int conicToQuads(Point p0, Point p1, Point p2, float w, Point out[], int pow2);
// The power of two of quads approximating the conic within tol.
int conicQuadPow2(Point p0, Point p1, Point p2, float w, float tol);

}  // namespace plix
