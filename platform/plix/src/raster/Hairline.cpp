#include "raster/Hairline.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "raster/LineClipper.h"

namespace plix {

namespace {

// 26.6 fixed point for end points, 16.16 for the walk.
using FDot6 = int32_t;
using Fixed = int32_t;
constexpr Fixed kFixedHalf = 1 << 15;

// Lines are chopped to this box first so that every coordinate fits the fixed-point walk.
constexpr float kMaxCoord = 32767;
const Rect kFixedBounds{-kMaxCoord, -kMaxCoord, kMaxCoord, kMaxCoord};

// Truncates toward zero, as the reference converts.
FDot6 toFDot6(float v) { return FDot6(v * 64); }
int floorDot6(FDot6 v) { return v >> 6; }
int ceilDot6(FDot6 v) { return (v + 63) >> 6; }
int roundDot6(FDot6 v) { return (v + 32) >> 6; }

// a / b in 16.16 (|a| <= |b| here, so it fits).
Fixed fixedDiv(int32_t a, int32_t b) { return Fixed((int64_t(a) << 16) / b); }

// Anti-aliased lines longer than this (in 26.6) are drawn as two halves, as the reference does.
constexpr int32_t kMaxAntiSpan = 511 * 64;

// Collects the two-pixel steps of an x-major line into runs along each row, so the blitter is
// called once per run rather than once per pixel. The line's rows move by at most one per
// column and never come back, so two open runs are enough.
class RowPairRuns {
public:
    RowPairRuns(Blitter& b, const IRect& clip) : fBlitter(b), fClip(clip) {}
    ~RowPairRuns() {
        flush(fRun[0]);
        flush(fRun[1]);
    }
    // Column x: coverage upper on row y, lower on row y + 1.
    void put(int x, int y, uint8_t upper, uint8_t lower) {
        Run& top = fRun[fTop];
        Run& bottom = fRun[fTop ^ 1];
        if (top.y == y) {
        } else if (top.y + 1 == y && top.n) {  // moving down: the top row is done
            flush(top);
            fTop ^= 1;
            start(fRun[fTop ^ 1], y + 1, x);
        } else if (top.y - 1 == y && top.n) {  // moving up: the bottom row is done
            flush(bottom);
            start(bottom, y, x);
            fTop ^= 1;
        } else {
            flush(top);
            flush(bottom);
            start(top, y, x);
            start(bottom, y + 1, x);
        }
        append(fRun[fTop], x, upper);
        append(fRun[fTop ^ 1], x, lower);
    }

private:
    static constexpr int kRunMax = 256;
    struct Run {
        int y = INT_MIN / 2;
        int x = 0;  // first column
        int n = 0;
        uint8_t cov[kRunMax];
    };
    void start(Run& r, int y, int x) {
        r.y = y;
        r.x = x;
        r.n = 0;
    }
    void append(Run& r, int x, uint8_t c) {
        if (r.n == kRunMax || (r.n && r.x + r.n != x)) {
            flush(r);
            r.x = x;
        } else if (!r.n) {
            r.x = x;
        }
        r.cov[r.n++] = c;
    }
    void flush(Run& r) {
        if (!r.n) return;
        const int n = r.n;
        r.n = 0;
        if (r.y < fClip.top || r.y >= fClip.bottom) return;
        const int x0 = std::max(r.x, fClip.left), x1 = std::min(r.x + n, fClip.right);
        if (x0 < x1) fBlitter.blitAntiH(x0, r.y, r.cov + (x0 - r.x), x1 - x0);
    }
    Blitter& fBlitter;
    IRect fClip;
    Run fRun[2];
    int fTop = 0;
};

// Two horizontally adjacent pixels of a y-major step.
void putColumnPair(Blitter& b, const IRect& clip, int x, int y, uint8_t left, uint8_t right) {
    if (y < clip.top || y >= clip.bottom) return;
    uint8_t cov[2] = {left, right};
    int x0 = x, n = 2, skip = 0;
    if (x0 < clip.left) skip = clip.left - x0;
    if (x0 + n > clip.right) n = clip.right - x0;
    if (skip >= n) return;
    b.blitAntiH(x0 + skip, y, cov + skip, n - skip);
}

uint8_t scaleDot6(int value, int dot6) { return uint8_t((value * dot6) >> 6); }

// One anti-aliased line in 26.6 fixed point.
void antiLine(FDot6 x0, FDot6 y0, FDot6 x1, FDot6 y1, const IRect& clip, Blitter& b) {
    if (std::abs(x1 - x0) > kMaxAntiSpan || std::abs(y1 - y0) > kMaxAntiSpan) {
        // Each half shifted on its own: the reference's midpoint, rounding included.
        const FDot6 hx = (x0 >> 1) + (x1 >> 1), hy = (y0 >> 1) + (y1 >> 1);
        antiLine(x0, y0, hx, hy, clip, b);
        antiLine(hx, hy, x1, y1, clip, b);
        return;
    }
    const bool xMajor = std::abs(x1 - x0) > std::abs(y1 - y0);
    // Walk along the major axis u with the minor axis v; a pixel step covers 64 of u.
    FDot6 u0 = xMajor ? x0 : y0, v0 = xMajor ? y0 : x0, u1 = xMajor ? x1 : y1, v1 = xMajor ? y1 : x1;
    if (u0 > u1) {
        std::swap(u0, u1);
        std::swap(v0, v1);
    }
    const int istart = floorDot6(u0), istop = ceilDot6(u1);
    if (istop <= istart || u0 == u1) return;
    Fixed fv = v0 << 10;  // the minor position at the centre of the first pixel step
    Fixed slope = 0;
    if (v0 != v1) {
        slope = fixedDiv(v1 - v0, u1 - u0);
        fv += Fixed((int64_t(slope) * (32 - (u0 & 63)) + 32) >> 6);
    }
    int scaleStart, scaleStop;
    if (istop - istart == 1) {
        scaleStart = u1 - u0;
        scaleStop = 0;
    } else {
        scaleStart = 64 - (u0 & 63);
        scaleStop = u1 & 63;
    }
    // Columns (or rows) outside the clip are stepped over exactly as if drawn.
    const int clipLo = xMajor ? clip.left : clip.top, clipHi = xMajor ? clip.right : clip.bottom;
    const int first = std::max(istart, clipLo), last = std::min(istop, clipHi);  // [first, last)
    if (first >= last) return;
    fv += Fixed(int64_t(slope) * (first - istart));
    RowPairRuns rows(b, clip);
    for (int i = first; i < last; ++i, fv += slope) {
        int scale = 64;
        if (i == istart) scale = scaleStart;
        else if (i == istop - 1 && scaleStop) scale = scaleStop;
        const Fixed f = fv + kFixedHalf;
        const int lower = f >> 16;
        const int a = (f >> 8) & 0xFF;
        const uint8_t c0 = scale == 64 ? uint8_t(255 - a) : scaleDot6(255 - a, scale);
        const uint8_t c1 = scale == 64 ? uint8_t(a) : scaleDot6(a, scale);
        if (xMajor) rows.put(i, lower - 1, c0, c1);
        else putColumnPair(b, clip, lower - 1, i, c0, c1);
    }
}

// Runs of one row for aliased x-major lines.
class RowRuns {
public:
    RowRuns(Blitter& b, const IRect& clip) : fBlitter(b), fClip(clip) {}
    ~RowRuns() { flush(); }
    void put(int x, int y) {
        if (y != fY || x != fX + fN) {
            flush();
            fY = y, fX = x;
        }
        ++fN;
    }

private:
    void flush() {
        const int n = fN;
        fN = 0;
        if (!n || fY < fClip.top || fY >= fClip.bottom) return;
        const int x0 = std::max(fX, fClip.left), x1 = std::min(fX + n, fClip.right);
        if (x0 < x1) fBlitter.blitH(x0, fY, x1 - x0);
    }
    Blitter& fBlitter;
    IRect fClip;
    int fX = 0, fY = 0, fN = 0;
};

// One aliased line: a pixel per step of the major axis, the one the centre line passes through
// at the step's middle; the steps run between the end points rounded to whole pixels.
void aliasedLine(FDot6 x0, FDot6 y0, FDot6 x1, FDot6 y1, const IRect& clip, Blitter& b) {
    const bool xMajor = std::abs(x1 - x0) > std::abs(y1 - y0);
    FDot6 u0 = xMajor ? x0 : y0, v0 = xMajor ? y0 : x0, u1 = xMajor ? x1 : y1, v1 = xMajor ? y1 : x1;
    if (u0 > u1) {
        std::swap(u0, u1);
        std::swap(v0, v1);
    }
    const int istart = roundDot6(u0), istop = roundDot6(u1);
    if (istart == istop) return;
    const Fixed slope = fixedDiv(v1 - v0, u1 - u0);
    Fixed fv = (v0 << 10) + Fixed((int64_t(slope) * ((32 - u0) & 63)) >> 6);
    const int clipLo = xMajor ? clip.left : clip.top, clipHi = xMajor ? clip.right : clip.bottom;
    const int first = std::max(istart, clipLo), last = std::min(istop, clipHi);
    if (first >= last) return;
    fv += Fixed(int64_t(slope) * (first - istart));
    if (xMajor) {
        RowRuns runs(b, clip);
        for (int x = first; x < last; ++x, fv += slope) runs.put(x, fv >> 16);
        return;
    }
    for (int y = first; y < last; ++y, fv += slope) {
        const int x = fv >> 16;
        if (x >= clip.left && x < clip.right) b.blitH(x, y, 1);
    }
}

}  // namespace

void hairLines(const Point pts[], int count, const IRect& clip, bool antiAlias, Blitter& blitter) {
    if (clip.isEmpty()) return;
    // Anti-aliased lines reach half a pixel past their ends and sides: clip a pixel wider.
    Rect bounds = Rect::Make(clip);
    if (antiAlias) bounds = {bounds.left - 1, bounds.top - 1, bounds.right + 1, bounds.bottom + 1};
    for (int i = 0; i + 1 < count; ++i) {
        Point seg[2];
        if (!pts[i].isFinite() || !pts[i + 1].isFinite()) continue;
        if (!intersectLine(&pts[i], kFixedBounds, seg)) continue;
        if (!intersectLine(seg, bounds, seg)) continue;
        const FDot6 x0 = toFDot6(seg[0].x), y0 = toFDot6(seg[0].y);
        const FDot6 x1 = toFDot6(seg[1].x), y1 = toFDot6(seg[1].y);
        if (antiAlias) antiLine(x0, y0, x1, y1, clip, blitter);
        else aliasedLine(x0, y0, x1, y1, clip, blitter);
    }
}

bool strokeDrawsAsHairline(float width, const Matrix& ctm, float* coverage) {
    if (width == 0) {
        *coverage = 1;
        return true;
    }
    if (!(width > 0) || ctm.hasPerspective()) return false;
    // The reference's cheap length: the longer side plus half the shorter.
    auto cheapLength = [](Point v) {
        const float ax = std::fabs(v.x), ay = std::fabs(v.y);
        return ax > ay ? ax + ay * 0.5f : ay + ax * 0.5f;
    };
    const Point dx = ctm.mapVector({width, 0}), dy = ctm.mapVector({0, width});
    const float len0 = cheapLength(dx), len1 = cheapLength(dy);
    if (!(len0 <= 1 && len1 <= 1)) return false;
    *coverage = (len0 + len1) * 0.5f;
    return true;
}

}  // namespace plix
