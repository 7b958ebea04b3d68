#include "raster/LineClipper.h"

#include <algorithm>
#include <cmath>

namespace plix {

namespace {

double pinUnsorted(double v, double a, double b) {
    if (a > b) std::swap(a, b);
    return std::clamp(v, a, b);
}

bool nearlyZero(float v) { return std::fabs(v) <= 1.0f / 4096; }

// x where the line crosses the horizontal y.
float crossHorizontal(const Point s[2], float y) {
    const float dy = s[0].y - s[1].y;
    if (nearlyZero(dy)) return s[0].x * 0.5f + s[1].x * 0.5f;
    const double x0 = s[0].x, y0 = s[0].y, x1 = s[1].x, y1 = s[1].y;
    return float(pinUnsorted(x0 + (double(y) - y0) * (x1 - x0) / (y1 - y0), x0, x1));
}

// y where the line crosses the vertical x.
float crossVertical(const Point s[2], float x) {
    const float dx = s[0].x - s[1].x;
    if (nearlyZero(dx)) return s[0].y * 0.5f + s[1].y * 0.5f;
    const double x0 = s[0].x, y0 = s[0].y, x1 = s[1].x, y1 = s[1].y;
    return float(pinUnsorted(y0 + (double(x) - x0) * (y1 - y0) / (x1 - x0), y0, y1));
}

// a < b, except that a line of zero extent may touch (a == b).
bool before(float a, float b, float extent) { return extent > 0 ? a <= b : a < b; }

}  // namespace

bool intersectLine(const Point src[2], const Rect& clip, Point dst[2]) {
    const Rect bounds{std::min(src[0].x, src[1].x), std::min(src[0].y, src[1].y), std::max(src[0].x, src[1].x),
                      std::max(src[0].y, src[1].y)};
    if (bounds.left >= clip.left && bounds.top >= clip.top && bounds.right <= clip.right &&
        bounds.bottom <= clip.bottom) {
        if (dst != src) dst[0] = src[0], dst[1] = src[1];
        return true;
    }
    if (before(bounds.right, clip.left, bounds.width()) || before(clip.right, bounds.left, bounds.width()) ||
        before(bounds.bottom, clip.top, bounds.height()) || before(clip.bottom, bounds.top, bounds.height()))
        return false;
    Point t[2] = {src[0], src[1]};
    int i0 = src[0].y < src[1].y ? 0 : 1, i1 = 1 - i0;
    if (t[i0].y < clip.top) t[i0] = {crossHorizontal(src, clip.top), clip.top};
    if (t[i1].y > clip.bottom) t[i1] = {crossHorizontal(src, clip.bottom), clip.bottom};
    i0 = t[0].x < t[1].x ? 0 : 1, i1 = 1 - i0;
    // Chopping in y may have left nothing inside in x.
    if ((t[i1].x <= clip.left || t[i0].x >= clip.right) && t[i0].x < t[i1].x) return false;
    if (t[i0].x < clip.left) t[i0] = {clip.left, crossVertical(src, clip.left)};
    if (t[i1].x > clip.right) t[i1] = {clip.right, crossVertical(src, clip.right)};
    dst[0] = t[0], dst[1] = t[1];
    return true;
}

}  // namespace plix
