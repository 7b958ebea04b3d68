#include "raster/ScanConverter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "raster/EdgeBuilder.h"

namespace plix {

uint8_t coverageToAlpha(float v, bool evenOdd) {
    v = std::fabs(v);
    if (evenOdd) {
        v = v - 2.0f * std::floor(v * 0.5f);
        if (v > 1) v = 2 - v;
    } else if (v > 1) {
        v = 1;
    }
    if (!(v > 0)) return 0;
    return uint8_t(v * 255.0f + 0.5f);
}

namespace {

// Emits one row of coverage bytes as runs: full runs as blitH, partial runs as blitAntiH.
void emitRow(Blitter& blitter, int x0, int y, const uint8_t* cov, int n) {
    int i = 0;
    while (i < n) {
        const uint8_t c = cov[i];
        int j = i + 1;
        if (c == 0) {
            while (j < n && cov[j] == 0) ++j;
        } else if (c == 255) {
            while (j < n && cov[j] == 255) ++j;
            blitter.blitH(x0 + i, y, j - i);
        } else {
            while (j < n && cov[j] != 0 && cov[j] != 255) ++j;
            blitter.blitAntiH(x0 + i, y, cov + i, j - i);
        }
        i = j;
    }
}

// Accumulates the area of the edge piece (x0, y0) -> (x1, y1), all in cell units of one row
// (0 <= y0 < y1 <= 1, 0 <= x <= width), into acc: each cell gets dy * (1 - mean x in cell) and
// the next one the rest, so a running sum over the row gives the covered fraction.
inline void accumulate(float* acc, float x0, float y0, float x1, float y1, float w, int& lo, int& hi) {
    const float dy = (y1 - y0) * w;
    auto add = [&](int c, float h, float mid) {
        acc[c] += h * (1 - mid);
        acc[c + 1] += h * mid;
    };
    float xl = std::min(x0, x1), xr = std::max(x0, x1);
    const int c0 = int(xl), c1 = std::max(c0, int(std::ceil(xr)) - 1);
    lo = std::min(lo, c0);
    hi = std::max(hi, c1 + 1);
    if (c0 == c1 || xr - xl < 1e-6f) {
        add(c0, dy, (xl + xr) * 0.5f - float(c0));
        return;
    }
    const float dydx = dy / (xr - xl);
    // first cell
    float xn = float(c0 + 1);
    add(c0, (xn - xl) * dydx, (xl + xn) * 0.5f - float(c0));
    for (int c = c0 + 1; c < c1; ++c) add(c, dydx, 0.5f);
    const float xs = float(c1);
    add(c1, (xr - xs) * dydx, (xs + xr) * 0.5f - xs);
}

constexpr int kSubRows = 4;

struct ActiveEdge {
    float x0, y0, x1, y1, dxdy;
    float w;
};

void fillEdgesAA(const LineEdge* edges, int count, PathFillType fill, const IRect& clip, Blitter& blitter) {
    const bool inverse = isInverseFill(fill), evenOdd = isEvenOddFill(fill);
    const int W = clip.width();
    if (W <= 0 || clip.height() <= 0) return;
    std::vector<const LineEdge*> sorted;
    sorted.reserve(size_t(count));
    float top = float(clip.bottom), bottom = float(clip.top);
    for (int i = 0; i < count; ++i) {
        sorted.push_back(&edges[i]);
        top = std::min(top, edges[i].y0);
        bottom = std::max(bottom, edges[i].y1);
    }
    std::sort(sorted.begin(), sorted.end(), [](const LineEdge* a, const LineEdge* b) { return a->y0 < b->y0; });
    int y0 = std::max(clip.top, int(std::floor(top)));
    int y1 = std::min(clip.bottom, int(std::ceil(bottom)));
    if (inverse) {
        // Rows above and below the shape are fully covered.
        if (count == 0 || y0 >= y1) {
            blitter.blitRect(clip.left, clip.top, W, clip.height());
            return;
        }
        if (y0 > clip.top) blitter.blitRect(clip.left, clip.top, W, y0 - clip.top);
        if (y1 < clip.bottom) blitter.blitRect(clip.left, y1, W, clip.bottom - y1);
    }
    if (count == 0 || y0 >= y1) return;

    std::vector<float> acc(size_t(W) + 2, 0.0f);
    std::vector<float> rowCov(size_t(W) + 1, 0.0f);
    std::vector<uint8_t> cov(size_t(W) + 1);
    std::vector<ActiveEdge> active;
    struct Piece {
        float xa, ya, xb, yb, w;  // within the row: cells and fractions of the row height
        int lo, hi;               // cells touched
    };
    std::vector<Piece> pieces;
    size_t next = 0;
    const float left = float(clip.left);
    for (int y = y0; y < y1; ++y) {
        const float fy = float(y), fy1 = fy + 1;
        while (next < sorted.size() && sorted[next]->y0 < fy1) {
            const LineEdge& e = *sorted[next++];
            if (e.y1 <= fy) continue;
            const float dxdy = (e.x1 - e.x0) / (e.y1 - e.y0);
            active.push_back({e.x0 - left, e.y0, e.x1 - left, e.y1, dxdy, float(e.winding)});
        }
        pieces.clear();
        int lo = W + 1, hi = -1;
        for (const ActiveEdge& e : active) {
            const float ya = std::max(e.y0, fy), yb = std::min(e.y1, fy1);
            if (!(yb > ya)) continue;
            float xa = ya == e.y0 ? e.x0 : e.x0 + (ya - e.y0) * e.dxdy;
            float xb = yb == e.y1 ? e.x1 : e.x0 + (yb - e.y0) * e.dxdy;
            xa = std::clamp(xa, 0.0f, float(W));
            xb = std::clamp(xb, 0.0f, float(W));
            const int plo = int(std::min(xa, xb)), phi = int(std::max(xa, xb));
            pieces.push_back({xa, ya - fy, xb, yb - fy, e.w, plo, phi});
            lo = std::min(lo, plo);
            hi = std::max(hi, phi + 1);
        }
        active.erase(std::remove_if(active.begin(), active.end(), [&](const ActiveEdge& e) { return e.y1 <= fy1; }),
                     active.end());
        if (pieces.empty()) {
            if (inverse) blitter.blitH(clip.left, y, W);
            continue;
        }
        hi = std::min(hi, W);
        // The fill rule can be applied to a pixel's summed coverage only when the winding left
        // of each edge is the same over the pixel's height and no two edges share the pixel;
        // otherwise regions of different winding may meet inside one pixel. Such rows are
        // worked in sub-rows, which confines the mixing to much smaller areas.
        std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.lo < b.lo; });
        bool shared = false;
        for (const Piece& pc : pieces) shared |= pc.ya > 0 || pc.yb < 1;
        for (size_t i = 1, reach = size_t(pieces[0].hi); i < pieces.size() && !shared; ++i) {
            shared = size_t(pieces[i].lo) <= reach;
            reach = std::max(reach, size_t(pieces[i].hi));
        }
        const int subRows = shared ? kSubRows : 1;
        const float subH = 1.0f / float(subRows);
        std::fill(rowCov.begin() + lo, rowCov.begin() + hi + 1, 0.0f);
        float tailSum = 0;
        for (int sr = 0; sr < subRows; ++sr) {
            const float s0 = sr * subH, s1 = s0 + subH;
            int l2 = W + 1, h2 = -1;
            for (const Piece& pc : pieces) {
                const float ya = std::max(pc.ya, s0), yb = std::min(pc.yb, s1);
                if (!(yb > ya)) continue;
                const float t = pc.yb - pc.ya;
                const float xa = ya == pc.ya ? pc.xa : pc.xa + (pc.xb - pc.xa) * ((ya - pc.ya) / t);
                const float xb = yb == pc.yb ? pc.xb : pc.xa + (pc.xb - pc.xa) * ((yb - pc.ya) / t);
                // Heights in units of the sub-row, so a full sub-row covers 1.
                accumulate(acc.data(), xa, (ya - s0) * subRows, xb, (yb - s0) * subRows, pc.w, l2, h2);
            }
            float sum = 0;
            for (int x = lo; x <= hi; ++x) {
                sum += acc[size_t(x)];
                float v = std::fabs(sum);
                if (evenOdd) {
                    v = v - 2.0f * std::floor(v * 0.5f);
                    if (v > 1) v = 2 - v;
                } else if (v > 1) {
                    v = 1;
                }
                rowCov[size_t(x)] += v * subH;
            }
            if (h2 >= 0) std::fill(acc.begin() + std::min(l2, lo), acc.begin() + std::min(h2 + 2, W + 2), 0.0f);
            tailSum += sum * subH;
        }
        for (int x = lo; x <= hi; ++x) {
            const float v = std::min(rowCov[size_t(x)], 1.0f);
            const uint8_t a = v > 0 ? uint8_t(v * 255.0f + 0.5f) : 0;
            cov[size_t(x)] = inverse ? uint8_t(255 - a) : a;
        }
        if (inverse && lo > 0) blitter.blitH(clip.left, y, lo);
        const int end = std::min(hi + 1, W);
        emitRow(blitter, clip.left + lo, y, cov.data() + lo, end - lo);
        if (inverse && end < W) {
            // Past the last touched cell the winding is whatever the row ends with (0 for
            // closed outlines).
            if (coverageToAlpha(tailSum, evenOdd) == 0) blitter.blitH(clip.left + end, y, W - end);
        }
    }
}

void fillEdgesAliased(const LineEdge* edges, int count, PathFillType fill, const IRect& clip, Blitter& blitter) {
    const bool inverse = isInverseFill(fill), evenOdd = isEvenOddFill(fill);
    auto inside = [&](int w) { return evenOdd ? (w & 1) != 0 : w != 0; };
    struct Crossing {
        float x;
        int w;
    };
    std::vector<Crossing> xs;
    std::vector<const LineEdge*> sorted;
    for (int i = 0; i < count; ++i) sorted.push_back(&edges[i]);
    std::sort(sorted.begin(), sorted.end(), [](const LineEdge* a, const LineEdge* b) { return a->y0 < b->y0; });
    std::vector<const LineEdge*> active;
    size_t next = 0;
    for (int y = clip.top; y < clip.bottom; ++y) {
        const float ys = float(y) + 0.5f;
        while (next < sorted.size() && sorted[next]->y0 <= ys) active.push_back(sorted[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [&](const LineEdge* e) { return e->y1 <= ys; }),
                     active.end());
        if (active.empty() && !inverse) {
            if (next >= sorted.size()) break;
            continue;
        }
        xs.clear();
        for (const LineEdge* e : active) {
            if (e->y0 <= ys && ys < e->y1) {
                const float x = e->x0 + (ys - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0);
                xs.push_back({x, e->winding});
            }
        }
        std::sort(xs.begin(), xs.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        // Pixels whose centres lie in [start, end) of an inside interval.
        int w = 0;
        int cursor = clip.left;  // for inverse fills: first pixel not yet emitted
        float start = 0;
        auto pixel = [&](float x) { return std::clamp(int(std::ceil(x - 0.5f)), clip.left, clip.right); };
        for (const Crossing& c : xs) {
            const bool was = inside(w);
            w += c.w;
            const bool now = inside(w);
            if (!was && now) start = c.x;
            if (was && !now) {
                const int a = pixel(start), b = pixel(c.x);
                if (inverse) {
                    if (a > cursor) blitter.blitH(cursor, y, a - cursor);
                    cursor = std::max(cursor, b);
                } else if (b > a) {
                    blitter.blitH(a, y, b - a);
                }
            }
        }
        if (inverse && cursor < clip.right) blitter.blitH(cursor, y, clip.right - cursor);
    }
}

}  // namespace

void fillEdges(const LineEdge* edges, int count, PathFillType fill, const IRect& clip, bool antiAlias,
               Blitter& blitter) {
    if (clip.isEmpty()) return;
    if (antiAlias)
        fillEdgesAA(edges, count, fill, clip, blitter);
    else
        fillEdgesAliased(edges, count, fill, clip, blitter);
}

void fillPath(const Path& path, const Matrix& m, const IRect& clip, bool antiAlias, Blitter& blitter) {
    if (clip.isEmpty() || !m.isFinite()) return;
    if (!path.isFinite()) return;
    EdgeBuilder builder;
    builder.build(path, m, clip, kCurveTolerance);
    if (!builder.finite()) return;
    const auto& e = builder.edges();
    fillEdges(e.data(), int(e.size()), path.fillType(), clip, antiAlias, blitter);
}

void fillRect(const Rect& r0, const IRect& clip, bool antiAlias, Blitter& blitter) {
    if (!r0.isFinite() || clip.isEmpty()) return;
    Rect r = r0.makeSorted();
    if (!antiAlias) {
        IRect ir = r.round();
        if (ir.intersect(clip)) blitter.blitRect(ir.left, ir.top, ir.width(), ir.height());
        return;
    }
    if (!r.intersect(Rect::Make(clip))) return;
    const int L = int(std::floor(r.left)), T = int(std::floor(r.top));
    const int R = int(std::ceil(r.right)), B = int(std::ceil(r.bottom));
    // Coverage of the columns and rows at the rect's sides.
    auto span = [](float a, float b, int i) {  // overlap of [i, i+1] with [a, b]
        return std::max(0.0f, std::min(b, float(i + 1)) - std::max(a, float(i)));
    };
    const int w = R - L;
    std::vector<uint8_t> row(static_cast<size_t>(w));
    auto partialRow = [&](int y, float cy) {
        for (int i = 0; i < w; ++i) {
            const float c = span(r.left, r.right, L + i) * cy;
            row[size_t(i)] = uint8_t(c * 255 + 0.5f);
        }
        emitRow(blitter, L, y, row.data(), w);
    };
    // Fully covered rows and columns.
    const int fullT = int(std::ceil(r.top)), fullB = int(std::floor(r.bottom));
    const int fullL = int(std::ceil(r.left)), fullR = int(std::floor(r.right));
    if (fullT >= fullB || fullL >= fullR) {
        for (int y = T; y < B; ++y) partialRow(y, span(r.top, r.bottom, y));
        return;
    }
    if (T < fullT) partialRow(T, span(r.top, r.bottom, T));
    const uint8_t cl = uint8_t(span(r.left, r.right, L) * 255 + 0.5f);
    const uint8_t cr = uint8_t(span(r.left, r.right, R - 1) * 255 + 0.5f);
    for (int y = fullT; y < fullB && L < fullL; ++y)
        if (cl) blitter.blitAntiH(L, y, &cl, 1);
    blitter.blitRect(fullL, fullT, fullR - fullL, fullB - fullT);
    for (int y = fullT; y < fullB && fullR < R; ++y)
        if (cr) blitter.blitAntiH(fullR, y, &cr, 1);
    if (fullB < B) partialRow(fullB, span(r.top, r.bottom, fullB));
}

}  // namespace plix
