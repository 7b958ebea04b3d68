// Axis-aligned rectangles: float (left, top, right, bottom) and integer device rectangles.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "geometry/Point.h"

namespace plix {

struct IRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    static constexpr IRect MakeWH(int32_t w, int32_t h) { return {0, 0, w, h}; }
    static constexpr IRect MakeXYWH(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }
    constexpr int64_t width64() const { return int64_t(right) - left; }
    constexpr int64_t height64() const { return int64_t(bottom) - top; }
    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr bool isEmpty() const { return !(left < right && top < bottom); }
    constexpr bool contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    constexpr bool contains(const IRect& r) const {
        return !r.isEmpty() && !isEmpty() && left <= r.left && top <= r.top && right >= r.right && bottom >= r.bottom;
    }
    // Sets this to the overlap; false (unchanged) when they do not overlap.
    bool intersect(const IRect& o) {
        const IRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        if (r.isEmpty()) return false;
        *this = r;
        return true;
    }
    void join(const IRect& o) {
        if (o.isEmpty()) return;
        if (isEmpty()) { *this = o; return; }
        left = std::min(left, o.left), top = std::min(top, o.top);
        right = std::max(right, o.right), bottom = std::max(bottom, o.bottom);
    }
    constexpr bool operator==(const IRect&) const = default;
};

struct Rect {
    float left = 0, top = 0, right = 0, bottom = 0;

    static constexpr Rect MakeWH(float w, float h) { return {0, 0, w, h}; }
    static constexpr Rect MakeXYWH(float x, float y, float w, float h) { return {x, y, x + w, y + h}; }
    static constexpr Rect Make(const IRect& r) { return {float(r.left), float(r.top), float(r.right), float(r.bottom)}; }
    constexpr float width() const { return right - left; }
    constexpr float height() const { return bottom - top; }
    constexpr float centerX() const { return left * 0.5f + right * 0.5f; }
    constexpr float centerY() const { return top * 0.5f + bottom * 0.5f; }
    // Empty when not (left < right and top < bottom): NaN edges make a rect empty.
    constexpr bool isEmpty() const { return !(left < right && top < bottom); }
    bool isFinite() const {
        return std::isfinite(left) && std::isfinite(top) && std::isfinite(right) && std::isfinite(bottom);
    }
    constexpr bool contains(float x, float y) const { return x >= left && x < right && y >= top && y < bottom; }
    constexpr bool contains(const Rect& r) const {
        return !r.isEmpty() && !isEmpty() && left <= r.left && top <= r.top && right >= r.right && bottom >= r.bottom;
    }
    Rect makeSorted() const {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    Rect makeOffset(float dx, float dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect makeOutset(float dx, float dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    bool intersect(const Rect& o) {
        const Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        if (r.isEmpty()) return false;
        *this = r;
        return true;
    }
    bool intersects(const Rect& o) const { Rect r = *this; return r.intersect(o); }
    void join(const Rect& o) {
        if (o.isEmpty()) return;
        if (isEmpty()) { *this = o; return; }
        left = std::min(left, o.left), top = std::min(top, o.top);
        right = std::max(right, o.right), bottom = std::max(bottom, o.bottom);
    }
    // The smallest rect holding the points; false (and empty) when there are none or one is
    // not finite.
    bool setBounds(const Point pts[], int count);
    // Integer rect holding every pixel the rect touches (floor / ceil); saturates to int range.
    IRect roundOut() const;
    // Rounds each edge to the nearest integer.
    IRect round() const;
    constexpr bool operator==(const Rect&) const = default;
};

inline int32_t saturateToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= float(INT32_MAX / 2)) return INT32_MAX / 2;
    if (v <= float(INT32_MIN / 2)) return INT32_MIN / 2;
    return int32_t(v);
}

inline IRect Rect::roundOut() const {
    return {saturateToInt(std::floor(left)), saturateToInt(std::floor(top)), saturateToInt(std::ceil(right)),
            saturateToInt(std::ceil(bottom))};
}

inline IRect Rect::round() const {
    return {saturateToInt(std::floor(left + 0.5f)), saturateToInt(std::floor(top + 0.5f)),
            saturateToInt(std::floor(right + 0.5f)), saturateToInt(std::floor(bottom + 0.5f))};
}

inline bool Rect::setBounds(const Point pts[], int count) {
    if (count <= 0) { *this = {}; return false; }
    float l = pts[0].x, t = pts[0].y, r = l, b = t;
    bool finite = true;
    for (int i = 0; i < count; ++i) {
        finite &= pts[i].isFinite();
        l = std::min(l, pts[i].x), t = std::min(t, pts[i].y);
        r = std::max(r, pts[i].x), b = std::max(b, pts[i].y);
    }
    if (!finite) { *this = {}; return false; }
    *this = {l, t, r, b};
    return true;
}

}  // namespace plix
