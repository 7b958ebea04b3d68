#include "geometry/RRect.h"

#include <algorithm>
#include <cmath>

namespace plix {

namespace {
bool finiteRect(const Rect& r) { return r.isFinite(); }
}  // namespace

void RRect::setRect(const Rect& r) {
    if (!finiteRect(r)) { setEmpty(); return; }
    fRect = r.makeSorted();
    fRadii = {};
    classify();
}

void RRect::setOval(const Rect& r) {
    if (!finiteRect(r)) { setEmpty(); return; }
    fRect = r.makeSorted();
    const Point rad{fRect.width() / 2, fRect.height() / 2};
    fRadii = {rad, rad, rad, rad};
    classify();
}

void RRect::setRectXY(const Rect& r, float rx, float ry) {
    if (!finiteRect(r) || !std::isfinite(rx) || !std::isfinite(ry)) { setEmpty(); return; }
    fRect = r.makeSorted();
    if (rx <= 0 || ry <= 0) rx = ry = 0;
    const float w = fRect.width(), h = fRect.height();
    if (rx > 0 && (w < rx + rx || h < ry + ry)) {
        const float scale = std::min(w / (rx + rx), h / (ry + ry));
        rx *= scale, ry *= scale;
    }
    fRadii = {Point{rx, ry}, Point{rx, ry}, Point{rx, ry}, Point{rx, ry}};
    classify();
}

void RRect::setNinePatch(const Rect& r, float l, float t, float rr, float b) {
    const Point radii[4] = {{l, t}, {rr, t}, {rr, b}, {l, b}};
    setRectRadii(r, radii);
}

void RRect::setRectRadii(const Rect& r, const Point radii[4]) {
    if (!finiteRect(r)) { setEmpty(); return; }
    fRect = r.makeSorted();
    for (int i = 0; i < 4; ++i) {
        Point p = radii[i];
        if (!p.isFinite() || p.x <= 0 || p.y <= 0) p = {0, 0};
        fRadii[i] = p;
    }
    scaleRadiiAndClassify();
}

void RRect::scaleRadiiAndClassify() {
    // The largest scale at which each side's two radii still fit along it.
    double scale = 1;
    auto fit = [&](double len, double r1, double r2) {
        if (r1 + r2 > len && r1 + r2 > 0) scale = std::min(scale, len / (r1 + r2));
    };
    const double w = fRect.width(), h = fRect.height();
    fit(w, fRadii[kUpperLeft].x, fRadii[kUpperRight].x);
    fit(h, fRadii[kUpperRight].y, fRadii[kLowerRight].y);
    fit(w, fRadii[kLowerRight].x, fRadii[kLowerLeft].x);
    fit(h, fRadii[kLowerLeft].y, fRadii[kUpperLeft].y);
    if (scale < 1)
        for (Point& p : fRadii) p = {float(p.x * scale), float(p.y * scale)};
    classify();
}

void RRect::classify() {
    if (fRect.isEmpty()) {
        // An empty rect keeps its position but no radii.
        fRadii = {};
        fType = Type::Empty;
        return;
    }
    for (Point& p : fRadii)
        if (p.x <= 0 || p.y <= 0) p = {0, 0};
    bool allZero = true, allSame = true;
    for (const Point& p : fRadii) {
        allZero &= p.x == 0 && p.y == 0;
        allSame &= p == fRadii[0];
    }
    if (allZero) { fType = Type::Rect; return; }
    const float hw = fRect.width() / 2, hh = fRect.height() / 2;
    if (allSame) {
        fType = fRadii[0].x >= hw && fRadii[0].y >= hh ? Type::Oval : Type::Simple;
        return;
    }
    const bool nine = fRadii[kUpperLeft].x == fRadii[kLowerLeft].x && fRadii[kUpperRight].x == fRadii[kLowerRight].x &&
                      fRadii[kUpperLeft].y == fRadii[kUpperRight].y && fRadii[kLowerLeft].y == fRadii[kLowerRight].y;
    fType = nine ? Type::NinePatch : Type::Complex;
}

void RRect::inset(float dx, float dy) {
    Rect r{fRect.left + dx, fRect.top + dy, fRect.right - dx, fRect.bottom - dy};
    if (!(r.left < r.right && r.top < r.bottom)) {
        // Collapsed: keep the centre as an empty rrect.
        const float cx = fRect.centerX(), cy = fRect.centerY();
        fRect = {cx, cy, cx, cy};
        fRadii = {};
        fType = Type::Empty;
        return;
    }
    Point radii[4];
    for (int i = 0; i < 4; ++i) {
        radii[i] = fRadii[i];
        if (radii[i].x != 0) radii[i].x -= dx;
        if (radii[i].y != 0) radii[i].y -= dy;
    }
    setRectRadii(r, radii);
}

void RRect::offset(float dx, float dy) { fRect = fRect.makeOffset(dx, dy); }

bool RRect::containsPoint(float x, float y) const {
    if (isEmpty() || !(x >= fRect.left && x <= fRect.right && y >= fRect.top && y <= fRect.bottom)) return false;
    // Which corner's ellipse governs the point, if any.
    struct C { float cx, cy; Point r; bool in; };
    const C corners[4] = {
        {fRect.left + fRadii[0].x, fRect.top + fRadii[0].y, fRadii[0], x < fRect.left + fRadii[0].x && y < fRect.top + fRadii[0].y},
        {fRect.right - fRadii[1].x, fRect.top + fRadii[1].y, fRadii[1], x > fRect.right - fRadii[1].x && y < fRect.top + fRadii[1].y},
        {fRect.right - fRadii[2].x, fRect.bottom - fRadii[2].y, fRadii[2], x > fRect.right - fRadii[2].x && y > fRect.bottom - fRadii[2].y},
        {fRect.left + fRadii[3].x, fRect.bottom - fRadii[3].y, fRadii[3], x < fRect.left + fRadii[3].x && y > fRect.bottom - fRadii[3].y},
    };
    for (const C& c : corners) {
        if (!c.in || c.r.x <= 0 || c.r.y <= 0) continue;
        const double nx = (x - c.cx) / c.r.x, ny = (y - c.cy) / c.r.y;
        return nx * nx + ny * ny <= 1.0 + 1e-6;
    }
    return true;
}

bool RRect::contains(const Rect& r) const {
    if (r.isEmpty() || !fRect.contains(r)) return false;
    if (isRect()) return true;
    return containsPoint(r.left, r.top) && containsPoint(r.right, r.top) && containsPoint(r.right, r.bottom) &&
           containsPoint(r.left, r.bottom);
}

bool RRect::isValid() const {
    if (!fRect.isFinite()) return false;
    if (!(fRect.left <= fRect.right && fRect.top <= fRect.bottom)) return false;
    for (const Point& p : fRadii)
        if (!p.isFinite() || p.x < 0 || p.y < 0) return false;
    const float w = fRect.width(), h = fRect.height();
    const float eps = 1e-5f * std::max(1.0f, std::max(w, h));
    return fRadii[0].x + fRadii[1].x <= w + eps && fRadii[3].x + fRadii[2].x <= w + eps &&
           fRadii[0].y + fRadii[3].y <= h + eps && fRadii[1].y + fRadii[2].y <= h + eps;
}

bool RRect::transform(const Matrix& m, RRect* dst) const {
    if (m.isIdentity()) { *dst = *this; return true; }
    if (!m.rectStaysRect() || !m.isFinite()) return false;
    const Rect r = m.mapRect(fRect);
    // Which source corner lands at each destination corner.
    const bool swapXY = m[Matrix::kSX] == 0;  // a quarter turn: x radii become y radii
    Point radii[4];
    for (int i = 0; i < 4; ++i) {
        Point p = fRadii[i];
        if (swapXY) std::swap(p.x, p.y);
        radii[i] = {std::fabs(p.x * (swapXY ? m[Matrix::kKX] : m[Matrix::kSX])),
                    std::fabs(p.y * (swapXY ? m[Matrix::kKY] : m[Matrix::kSY]))};
    }
    // Corner positions: map each source corner's position and find where it lands.
    const Point src[4] = {{fRect.left, fRect.top}, {fRect.right, fRect.top}, {fRect.right, fRect.bottom},
                          {fRect.left, fRect.bottom}};
    Point out[4];
    for (int i = 0; i < 4; ++i) {
        const Point p = m.mapPoint(src[i]);
        const bool right = std::fabs(p.x - r.right) < std::fabs(p.x - r.left);
        const bool bottom = std::fabs(p.y - r.bottom) < std::fabs(p.y - r.top);
        const int corner = bottom ? (right ? kLowerRight : kLowerLeft) : (right ? kUpperRight : kUpperLeft);
        out[corner] = radii[i];
    }
    dst->setRectRadii(r, out);
    return true;
}

}  // namespace plix
