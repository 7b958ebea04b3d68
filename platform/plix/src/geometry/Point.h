// Points and vectors in float device or local space.
#pragma once

#include <cmath>

namespace plix {

struct Point {
    float x = 0, y = 0;

    constexpr Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(Point o) const { return {x - o.x, y - o.y}; }
    constexpr Point operator-() const { return {-x, -y}; }
    constexpr Point operator*(float s) const { return {x * s, y * s}; }
    Point& operator+=(Point o) { x += o.x, y += o.y; return *this; }
    Point& operator-=(Point o) { x -= o.x, y -= o.y; return *this; }
    constexpr bool operator==(const Point&) const = default;

    float length() const { return std::sqrt(x * x + y * y); }
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y); }
    // Scales to the given length; false (and unchanged) when too short to have a direction.
    bool setLength(float len);
    bool normalize() { return setLength(1); }
};

constexpr float dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
constexpr float cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }
inline float distance(Point a, Point b) { return (a - b).length(); }
constexpr Point lerp(Point a, Point b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

inline bool Point::setLength(float len) {
    const double l = std::sqrt(double(x) * x + double(y) * y);
    if (!(l > 1e-30) || !std::isfinite(l)) return false;
    const double s = len / l;
    x = float(x * s), y = float(y * s);
    return true;
}

}  // namespace plix
