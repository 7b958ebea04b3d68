// Rounded rectangles: a sorted rect and an elliptical radius per corner. Radii that do not fit
// are scaled down together so that opposite corners never overlap.
#pragma once

#include <array>

#include "geometry/Matrix.h"
#include "geometry/Point.h"
#include "geometry/Rect.h"

namespace plix {

class RRect {
public:
    enum Corner { kUpperLeft, kUpperRight, kLowerRight, kLowerLeft };
    enum class Type { Empty, Rect, Oval, Simple, NinePatch, Complex };

    void setEmpty() { *this = RRect(); }
    void setRect(const Rect& r);
    void setOval(const Rect& r);
    void setRectXY(const Rect& r, float rx, float ry);
    void setNinePatch(const Rect& r, float leftRad, float topRad, float rightRad, float bottomRad);
    void setRectRadii(const Rect& r, const Point radii[4]);

    static RRect MakeRect(const Rect& r) { RRect rr; rr.setRect(r); return rr; }
    static RRect MakeOval(const Rect& r) { RRect rr; rr.setOval(r); return rr; }
    static RRect MakeRectXY(const Rect& r, float rx, float ry) { RRect rr; rr.setRectXY(r, rx, ry); return rr; }

    Type type() const { return fType; }
    bool isEmpty() const { return fType == Type::Empty; }
    bool isRect() const { return fType == Type::Rect; }
    bool isOval() const { return fType == Type::Oval; }
    bool isSimple() const { return fType == Type::Simple; }
    bool isNinePatch() const { return fType == Type::NinePatch; }
    bool isComplex() const { return fType == Type::Complex; }

    const Rect& rect() const { return fRect; }
    float width() const { return fRect.width(); }
    float height() const { return fRect.height(); }
    Point radii(Corner c) const { return fRadii[c]; }
    const std::array<Point, 4>& radii() const { return fRadii; }
    Point simpleRadii() const { return fRadii[kUpperLeft]; }

    // The rect shrunk (or grown, for negative d) with the radii following.
    void inset(float dx, float dy);
    void outset(float dx, float dy) { inset(-dx, -dy); }
    void offset(float dx, float dy);
    // True when every point of r is inside.
    bool contains(const Rect& r) const;
    bool containsPoint(float x, float y) const;
    // Finite, sorted, radii non-negative and fitting.
    bool isValid() const;
    // Only scale, translate and quarter turns keep a round rect; false otherwise.
    bool transform(const Matrix& m, RRect* dst) const;

    bool operator==(const RRect& o) const { return fRect == o.fRect && fRadii == o.fRadii; }

private:
    void scaleRadiiAndClassify();
    void classify();

    Rect fRect;
    std::array<Point, 4> fRadii{};
    Type fType = Type::Empty;
};

}  // namespace plix
