// TPathData: a path as a list of points, each with the kind of segment that ends at it. A
// curve takes three CurveTo points (two control points, then the end point).
#pragma once

#include <vector>

#include "ui/Types.h"

namespace Ui {

enum class TPathPointKind { MoveTo, LineTo, CurveTo, Close };

struct TPathPoint {
    TPathPointKind Kind;
    TPointF Point;
};

enum class TCorner { TopLeft, TopRight, BottomLeft, BottomRight };
using TCorners = TSet<TCorner>;
inline constexpr TCorners AllCorners{TCorner::TopLeft, TCorner::TopRight, TCorner::BottomLeft, TCorner::BottomRight};

class TPathData {
public:
    void MoveTo(TPointF p);
    void LineTo(TPointF p);
    void CurveTo(TPointF control1, TPointF control2, TPointF end);
    void ClosePath();
    void Clear() { fPoints.clear(); }

    // A closed ellipse inscribed in r, from four cubic arcs starting at its leftmost point.
    void AddEllipse(const TRectF& r);
    // A closed rectangle; with radii, the listed corners are rounded.
    void AddRectangle(const TRectF& r, float xRadius = 0, float yRadius = 0, TCorners corners = AllCorners);
    // An open elliptic arc about center with the given radii; angles in degrees, clockwise
    // on screen.
    void AddArc(TPointF center, TPointF radius, float startAngle, float sweepAngle);

    int Count() const { return static_cast<int>(fPoints.size()); }
    bool IsEmpty() const { return fPoints.empty(); }
    const std::vector<TPathPoint>& Points() const { return fPoints; }
    // The box of every point, control points included; empty for an empty path.
    TRectF GetBounds() const;
    void ApplyMatrix(const TMatrix& m);
    // The point the next segment starts from: the last point, or the start of the last
    // contour after a close.
    TPointF LastPoint() const;

private:
    std::vector<TPathPoint> fPoints;
};

}  // namespace Ui
