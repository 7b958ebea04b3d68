#include "raster/ScanConverter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
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
//
// steps: the reference engine's positions for an edge that crosses a whole row within one
// pixel: its ends' offsets in the pixel are taken in sixteenths (rounded with a small bias
// each), so its mean position, and the pixel's coverage, moves in 32nds of a pixel.
inline void accumulate(float* acc, float x0, float y0, float x1, float y1, float w, int& lo, int& hi,
                       bool steps = false) {
    const float dy = (y1 - y0) * w;
    auto add = [&](int c, float h, float mid) {
        acc[c] += h * (1 - mid);
        acc[c + 1] += h * mid;
    };
    float xl = std::min(x0, x1), xr = std::max(x0, x1);
    // Cell positions are never negative here, so truncation is floor (and ceil is one more
    // unless whole): no library call for the rounding.
    const int xri = int(xr);
    const int c0 = int(xl), c1 = std::max(c0, (float(xri) < xr ? xri + 1 : xri) - 1);
    lo = std::min(lo, c0);
    hi = std::max(hi, c1 + 1);
    if (c0 == c1 || xr - xl < 1e-6f) {
        if (steps && y0 == 0 && y1 == 1 && xr > xl) {
            const float top = std::floor((x0 - float(c0)) * 16.0f + 11.0f / 32), bottom = std::floor((x1 - float(c0)) * 16.0f + 25.0f / 64);
            add(c0, dy, (top + bottom) * (1.0f / 32));
            return;
        }
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

// The part of an edge inside one pixel row.
struct Piece {
    float xa, ya, xb, yb, w;  // within the row: cells and fractions of the row height, ya < yb
    int lo, hi;               // cells touched (hi may be the one past the clip)
    int edge;                 // index of its active edge
};

// The buffers of a fill, kept per thread so that fills allocate nothing once grown. The
// accumulation row stays all zero between rows (every row clears the cells it used).
struct FillScratch {
    std::vector<float> acc, rowCov;
    std::vector<uint8_t> cov;
    std::vector<const LineEdge*> sorted;
    std::vector<ActiveEdge> active, activeNext;
    std::vector<Piece> pieces;
    std::vector<int> parent;
    bool busy = false;
};
thread_local FillScratch tFillScratch;

// Anti-aliased filling, row by row. A row's pieces are joined into chains where they share an
// end point. When no two chains share a cell, every pixel is crossed by at most one chain, so
// its winding takes two neighbouring values and the summed area is exact under either rule:
// the row is then worked once, cell runs between chains filled as constant spans. Rows where
// chains share cells are worked in sub-rows (see ScanConverter.h). The reference mode works
// every row that has any end point or shared cell in sub-rows, the plain way.
class AAFiller {
public:
    AAFiller(PathFillType fill, const IRect& clip, Blitter& blitter, bool reference, CoverageModel model)
        : fInverse(isInverseFill(fill)), fEvenOdd(isEvenOddFill(fill)), fClip(clip), fW(clip.width()),
          fBlitter(blitter), fReference(reference), fSteps(model == CoverageModel::Reference),
          fS(tFillScratch.busy ? *(fOwn = std::make_unique<FillScratch>()) : tFillScratch),
          fAcc(fS.acc), fRowCov(fS.rowCov), fCov(fS.cov), fPieces(fS.pieces), fParent(fS.parent) {
        fS.busy = true;
    }
    ~AAFiller() {
        if (!fOwn) tFillScratch.busy = false;
    }

    void fill(const LineEdge* edges, int count);

private:
    float ruled(float sum) const {
        float v = std::fabs(sum);
        if (fEvenOdd) {
            const float h = v * 0.5f;  // >= 0: truncation is floor
            v = h < 1e9f ? v - 2.0f * float(int(h)) : 0.0f;
            if (v > 1) v = 2 - v;
        } else if (v > 1) {
            v = 1;
        }
        return v;
    }
    uint8_t toByte(float v) const {  // v: ruled coverage in [0, 1]
        const uint8_t a = v > 0 ? uint8_t(std::min(v, 1.0f) * 255.0f + 0.5f) : 0;
        return fInverse ? uint8_t(255 - a) : a;
    }
    // Pixels [from, to) of row y at one coverage.
    void constantRun(int y, int from, int to, uint8_t c) {
        to = std::min(to, fW);
        if (from >= to || c == 0) return;
        if (c == 255) {
            fBlitter.blitH(fClip.left + from, y, to - from);
        } else {
            std::fill(fCov.begin() + from, fCov.begin() + to, c);
            fBlitter.blitAntiH(fClip.left + from, y, fCov.data() + from, to - from);
        }
    }
    bool chainsShareCells(size_t i, size_t j);
    void sparseRow(int y);
    void denseRow(int y);

    const bool fInverse, fEvenOdd;
    const IRect fClip;
    const int fW;
    Blitter& fBlitter;
    const bool fReference;
    const bool fSteps;  // steep edges at the reference engine's positions
    std::unique_ptr<FillScratch> fOwn;  // when the thread's buffers are taken
    FillScratch& fS;
    std::vector<float>& fAcc;
    std::vector<float>& fRowCov;
    std::vector<uint8_t>& fCov;
    std::vector<Piece>& fPieces;
    std::vector<int>& fParent;
    struct Chain {
        int pieces, turns;
    };
    std::vector<Chain> fChain;
    std::vector<uint8_t> fEnds;   // per piece: bit 0 top, bit 1 bottom end inside the row, not continued
    std::vector<int> fPartner;    // per chain root: the chain it shares cells with
};

void AAFiller::fill(const LineEdge* edges, int count) {
    const int W = fW;
    if (W <= 0 || fClip.height() <= 0) return;
    std::vector<const LineEdge*>& sorted = fS.sorted;
    sorted.clear();
    float top = float(fClip.bottom), bottom = float(fClip.top);
    for (int i = 0; i < count; ++i) {
        sorted.push_back(&edges[i]);
        top = std::min(top, edges[i].y0);
        bottom = std::max(bottom, edges[i].y1);
    }
    std::sort(sorted.begin(), sorted.end(), [](const LineEdge* a, const LineEdge* b) { return a->y0 < b->y0; });
    const int y0 = std::max(fClip.top, int(std::floor(top)));
    const int y1 = std::min(fClip.bottom, int(std::ceil(bottom)));
    if (fInverse) {
        // Rows above and below the shape are fully covered.
        if (count == 0 || y0 >= y1) {
            fBlitter.blitRect(fClip.left, fClip.top, W, fClip.height());
            return;
        }
        if (y0 > fClip.top) fBlitter.blitRect(fClip.left, fClip.top, W, y0 - fClip.top);
        if (y1 < fClip.bottom) fBlitter.blitRect(fClip.left, y1, W, fClip.bottom - y1);
    }
    if (count == 0 || y0 >= y1) return;

    // Grown cells come zeroed; the rest are zero already.
    if (fAcc.size() < size_t(W) + 2) fAcc.resize(size_t(W) + 2, 0.0f);
    if (fRowCov.size() < size_t(W) + 2) fRowCov.resize(size_t(W) + 2);
    if (fCov.size() < size_t(W) + 2) fCov.resize(size_t(W) + 2);
    std::vector<ActiveEdge>& active = fS.active;
    active.clear();
    size_t next = 0;
    const float left = float(fClip.left);
    for (int y = y0; y < y1; ++y) {
        const float fy = float(y), fy1 = fy + 1;
        while (next < sorted.size() && sorted[next]->y0 < fy1) {
            const LineEdge& e = *sorted[next++];
            if (e.y1 <= fy) continue;
            const float dxdy = (e.x1 - e.x0) / (e.y1 - e.y0);
            active.push_back({e.x0 - left, e.y0, e.x1 - left, e.y1, dxdy, float(e.winding)});
        }
        fPieces.clear();
        for (size_t ei = 0; ei < active.size(); ++ei) {
            const ActiveEdge& e = active[ei];
            const float ya = std::max(e.y0, fy), yb = std::min(e.y1, fy1);
            if (!(yb > ya)) continue;
            float xa = ya == e.y0 ? e.x0 : e.x0 + (ya - e.y0) * e.dxdy;
            float xb = yb == e.y1 ? e.x1 : e.x0 + (yb - e.y0) * e.dxdy;
            xa = std::clamp(xa, 0.0f, float(W));
            xb = std::clamp(xb, 0.0f, float(W));
            const int plo = int(std::min(xa, xb)), phi = int(std::max(xa, xb));
            fPieces.push_back({xa, ya - fy, xb, yb - fy, e.w, plo, phi, int(ei)});
        }
        // Insertion sort: the active edges are kept in the order of the row before, so the
        // pieces come nearly sorted.
        for (size_t k = 1; k < fPieces.size(); ++k) {
            const Piece pc = fPieces[k];
            size_t m = k;
            for (; m > 0 && fPieces[m - 1].lo > pc.lo; --m) fPieces[m] = fPieces[m - 1];
            fPieces[m] = pc;
        }
        // The edges that go on, in their pieces' order.
        std::vector<ActiveEdge>& next2 = fS.activeNext;
        next2.clear();
        for (const Piece& pc : fPieces)
            if (active[size_t(pc.edge)].y1 > fy1) next2.push_back(active[size_t(pc.edge)]);
        active.swap(next2);
        if (fPieces.empty()) {
            if (fInverse) fBlitter.blitH(fClip.left, y, W);
            continue;
        }
        if (fReference)
            denseRow(y);
        else
            sparseRow(y);
    }
}

// Whether pieces [i, j) (sorted by lo) may mix more than two winding values in a pixel:
// pieces of one outline meeting at a point are joined into chains first, then chains that may
// cross themselves, and two pieces of different chains in one cell, are looked for.
bool AAFiller::chainsShareCells(size_t i, size_t j) {
    if (j - i < 2) return false;
    const size_t n = j - i;
    if (fParent.size() < n) fParent.resize(n);
    if (fChain.size() < n) fChain.resize(n);
    for (size_t k = 0; k < n; ++k) fParent[k] = int(k), fChain[k] = {1, 0};
    auto find = [&](int k) {
        while (fParent[size_t(k)] != k) k = fParent[size_t(k)] = fParent[size_t(fParent[size_t(k)])];
        return k;
    };
    // Consecutive edges of an outline: one continues where the other ends in the same
    // direction (1), or both leave or reach one point in opposite directions (2, a turn),
    // inside the row. Two edges of different outlines lying on each other are not joined.
    // Points on the row's top or bottom are not used: edges clamped to the clip's sides meet
    // there by chance.
    auto joined = [](const Piece& a, const Piece& b) {
        auto same = [](float x0, float y0, float x1, float y1) {
            return x0 == x1 && y0 == y1 && y0 > 0 && y0 < 1;
        };
        if (a.w == b.w) return same(a.xb, a.yb, b.xa, b.ya) || same(a.xa, a.ya, b.xb, b.yb) ? 1 : 0;
        return same(a.xa, a.ya, b.xa, b.ya) || same(a.xb, a.yb, b.xb, b.yb) ? 2 : 0;
    };
    const Piece* p = fPieces.data() + i;
    // Two pieces that meet are one chain that runs one way or turns once: the commonest case
    // (an outline's vertex inside the row).
    if (n == 2 && joined(p[0], p[1])) return false;
    // Ends inside the row that no other piece continues (a horizontal edge was there): the
    // winding right of such a piece differs above and below that end.
    if (fEnds.size() < n) fEnds.resize(n);
    for (size_t k = 0; k < n; ++k) fEnds[k] = uint8_t((p[k].ya > 0 ? 1 : 0) | (p[k].yb < 1 ? 2 : 0));
    auto meets = [](float x0, float y0, float x1, float y1) { return x0 == x1 && y0 == y1; };
    for (size_t a = 0; a < n; ++a)
        for (size_t b = a + 1; b < n && p[b].lo <= p[a].hi; ++b) {
            const int how = joined(p[a], p[b]);
            if (!how) continue;
            for (const auto& [i1, i2] : {std::pair{a, b}, std::pair{b, a}}) {
                if (meets(p[i1].xa, p[i1].ya, p[i2].xa, p[i2].ya) || meets(p[i1].xa, p[i1].ya, p[i2].xb, p[i2].yb))
                    fEnds[i1] &= uint8_t(~1);
                if (meets(p[i1].xb, p[i1].yb, p[i2].xa, p[i2].ya) || meets(p[i1].xb, p[i1].yb, p[i2].xb, p[i2].yb))
                    fEnds[i1] &= uint8_t(~2);
            }
            const int ra = find(int(a)), rb = find(int(b));
            Chain& c = fChain[size_t(ra)];
            if (ra != rb) {
                c.pieces += fChain[size_t(rb)].pieces;
                c.turns += fChain[size_t(rb)].turns;
                fParent[size_t(rb)] = ra;
            }
            c.turns += how == 2;
        }
    // Segments (a, b) and (c, d) touch or cross when each straddles the other's line.
    auto side = [](float ax, float ay, float bx, float by, float cx, float cy) {
        return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    };
    auto meet = [&](const Piece& u, const Piece& v) {
        const float s1 = side(u.xa, u.ya, u.xb, u.yb, v.xa, v.ya), s2 = side(u.xa, u.ya, u.xb, u.yb, v.xb, v.yb);
        const float s3 = side(v.xa, v.ya, v.xb, v.yb, u.xa, u.ya), s4 = side(v.xa, v.ya, v.xb, v.yb, u.xb, u.yb);
        return !(s1 * s2 > 0) && !(s3 * s4 > 0);
    };
    // A chain keeps each pixel to two neighbouring winding values when it runs one way (a
    // function of y cannot cross itself), or turns once (two arms that each run one way from the
    // turning point) without touching itself away from its joints. A chain that folds back
    // more often can enclose a third value.
    bool longTurn = false;
    for (size_t k = 0; k < n; ++k) {
        const Chain& c = fChain[size_t(find(int(k)))];
        if (c.turns > 1) return true;
        longTurn |= c.turns == 1 && c.pieces > 2;
    }
    if (longTurn)
        for (size_t a = 0; a < n; ++a)
            for (size_t b = a + 1; b < n && p[b].lo <= p[a].hi; ++b)
                if (find(int(a)) == find(int(b)) && fChain[size_t(find(int(a)))].turns == 1 && !joined(p[a], p[b]) &&
                    meet(p[a], p[b]))
                    return true;
    bool dangling = false;
    for (size_t k = 0; k < n; ++k) dangling |= fEnds[k] != 0;
    // Several chains: only when every chain crosses the whole row, or turns back to the side it
    // came from (otherwise the winding between chains differs above and below an end, and a
    // pixel could see three values). Then a pixel crossed by one chain sees two values; chains
    // that share cells must come in pairs running one way each in opposite directions that do
    // not cross (a band between an outline and its inner side), the winding stepping up at one
    // and back down at the other, each sharing cells with no third chain.
    int rootA = -1, rootB = -1, chains = 0;
    for (size_t k = 0; k < n; ++k) {
        const int r = find(int(k));
        if (r == rootA || r == rootB) continue;
        if (rootA < 0) rootA = r, chains = 1;
        else if (rootB < 0) rootB = r, chains = 2;
        else chains = 3;
    }
    if (chains == 1) return false;
    if (dangling) return true;
    // The partner of each chain that shares cells with another (-1: none yet).
    if (fPartner.size() < n) fPartner.resize(n);
    for (size_t k = 0; k < n; ++k) fPartner[k] = -1;
    for (size_t a = 0; a < n; ++a)
        for (size_t b = a + 1; b < n && p[b].lo <= p[a].hi; ++b) {
            const int ra = find(int(a)), rb = find(int(b));
            if (ra == rb) continue;
            int& pa = fPartner[size_t(ra)];
            int& pb = fPartner[size_t(rb)];
            if ((pa >= 0 && pa != rb) || (pb >= 0 && pb != ra)) return true;  // a third chain in reach
            if (fChain[size_t(ra)].turns || fChain[size_t(rb)].turns || p[a].w != -p[b].w) return true;
            if (meet(p[a], p[b])) return true;
            pa = rb, pb = ra;
        }
    return false;
}

// The row as clusters of cells that pieces reach, with the winding carried between them per
// sub-row (pieces ending inside the row make it differ from one sub-row to the next). A
// cluster is summed over the whole row height when its chains keep each pixel to two
// neighbouring winding values and the winding reaching it is the same in every sub-row: the
// summed area is then exact under either rule. Other clusters are summed sub-row by sub-row.
// Runs between clusters are constant spans.
void AAFiller::sparseRow(int y) {
    float* acc = fAcc.data();
    // The reference takes a row at once only when no edge ends inside it.
    bool wholeRow = true;
    for (const Piece& pc : fPieces) wholeRow &= pc.ya == 0 && pc.yb == 1;
    float carry[kSubRows] = {};
    constexpr float subH = 1.0f / kSubRows;
    auto spanCoverage = [&] {
        bool uniform = true;
        for (int s = 1; s < kSubRows; ++s) uniform &= std::fabs(carry[s] - carry[0]) < 1e-4f;
        if (uniform) return toByte(ruled(carry[0]));
        float v = 0;
        for (int s = 0; s < kSubRows; ++s) v += ruled(carry[s]) * subH;
        return toByte(v);
    };
    int x = 0;  // first pixel not yet handed on
    const size_t n = fPieces.size();
    for (size_t i = 0; i < n;) {
        const int a = fPieces[i].lo;
        int b = fPieces[i].hi + 1;  // last cell a piece's area can reach
        size_t j = i + 1;
        for (; j < n && fPieces[j].lo <= b; ++j) b = std::max(b, fPieces[j].hi + 1);
        constantRun(y, x, a, spanCoverage());
        bool uniform = true;
        for (int s = 1; s < kSubRows; ++s) uniform &= std::fabs(carry[s] - carry[0]) < 1e-4f;
        if (uniform && !chainsShareCells(i, j)) {
            float sum = carry[0];  // the winding reaching the cluster
            int l2 = fW + 1, h2 = -1;
            for (size_t k = i; k < j; ++k) {
                const Piece& pc = fPieces[k];
                accumulate(acc, pc.xa, pc.ya, pc.xb, pc.yb, pc.w, l2, h2, fSteps && wholeRow);
                for (int s = 0; s < kSubRows; ++s) {
                    const float h = std::min(pc.yb, (s + 1) * subH) - std::max(pc.ya, s * subH);
                    if (h > 0) carry[s] += pc.w * h * kSubRows;
                }
            }
            for (int c = a; c <= b; ++c) {
                sum += acc[c];
                acc[c] = 0;
                fCov[size_t(c)] = toByte(ruled(sum));
            }
        } else {
            std::fill(fRowCov.begin() + a, fRowCov.begin() + b + 1, 0.0f);
            for (int s = 0; s < kSubRows; ++s) {
                const float s0 = s * subH, s1 = s0 + subH;
                int l2 = fW + 1, h2 = -1;
                for (size_t k = i; k < j; ++k) {
                    const Piece& pc = fPieces[k];
                    const float ya = std::max(pc.ya, s0), yb = std::min(pc.yb, s1);
                    if (!(yb > ya)) continue;
                    const float dxdy = (pc.xb - pc.xa) / (pc.yb - pc.ya);
                    const float xa = ya == pc.ya ? pc.xa : pc.xa + (ya - pc.ya) * dxdy;
                    const float xb = yb == pc.yb ? pc.xb : pc.xa + (yb - pc.ya) * dxdy;
                    accumulate(acc, xa, (ya - s0) * kSubRows, xb, (yb - s0) * kSubRows, pc.w, l2, h2);
                }
                float sum = carry[s];
                for (int c = a; c <= b; ++c) {
                    sum += acc[c];
                    acc[c] = 0;
                    fRowCov[size_t(c)] += ruled(sum) * subH;
                }
                carry[s] = sum;
            }
            for (int c = a; c <= b; ++c) fCov[size_t(c)] = toByte(fRowCov[size_t(c)]);
        }
        const int end = std::min(b + 1, fW);
        if (end > a) emitRow(fBlitter, fClip.left + a, y, fCov.data() + a, end - a);
        x = b + 1;
        i = j;
    }
    constantRun(y, x, fW, spanCoverage());
}

// The row in sub-rows when pieces may meet inside a pixel (the fill rule is applied to each
// sub-row's summed coverage, which confines the mixing of regions of different winding to much
// smaller areas); at once otherwise.
void AAFiller::denseRow(int y) {
    const int W = fW;
    int lo = W + 1, hi = -1;
    for (const Piece& pc : fPieces) {
        lo = std::min(lo, pc.lo);
        hi = std::max(hi, pc.hi + 1);
    }
    hi = std::min(hi, W);
    bool shared = false;
    for (const Piece& pc : fPieces) shared |= pc.ya > 0 || pc.yb < 1;
    for (size_t i = 1, reach = size_t(fPieces[0].hi); i < fPieces.size() && !shared; ++i) {
        shared = size_t(fPieces[i].lo) <= reach;
        reach = std::max(reach, size_t(fPieces[i].hi));
    }
    const int subRows = shared ? kSubRows : 1;
    const float subH = 1.0f / float(subRows);
    float* acc = fAcc.data();
    std::fill(fRowCov.begin() + lo, fRowCov.begin() + hi + 1, 0.0f);
    float tailSum = 0;
    for (int sr = 0; sr < subRows; ++sr) {
        const float s0 = sr * subH, s1 = s0 + subH;
        int l2 = W + 1, h2 = -1;
        for (const Piece& pc : fPieces) {
            const float ya = std::max(pc.ya, s0), yb = std::min(pc.yb, s1);
            if (!(yb > ya)) continue;
            const float t = pc.yb - pc.ya;
            const float xa = ya == pc.ya ? pc.xa : pc.xa + (pc.xb - pc.xa) * ((ya - pc.ya) / t);
            const float xb = yb == pc.yb ? pc.xb : pc.xa + (pc.xb - pc.xa) * ((yb - pc.ya) / t);
            // Heights in units of the sub-row, so a full sub-row covers 1.
            accumulate(acc, xa, (ya - s0) * subRows, xb, (yb - s0) * subRows, pc.w, l2, h2, fSteps && subRows == 1);
        }
        float sum = 0;
        for (int x = lo; x <= hi; ++x) {
            sum += acc[size_t(x)];
            fRowCov[size_t(x)] += ruled(sum) * subH;
        }
        if (h2 >= 0) std::fill(fAcc.begin() + std::min(l2, lo), fAcc.begin() + std::min(h2 + 2, W + 2), 0.0f);
        tailSum += sum * subH;
    }
    for (int x = lo; x <= hi; ++x) fCov[size_t(x)] = toByte(fRowCov[size_t(x)]);
    constantRun(y, 0, lo, toByte(0));
    const int end = std::min(hi + 1, W);
    emitRow(fBlitter, fClip.left + lo, y, fCov.data() + lo, end - lo);
    // Past the last touched cell the winding is whatever the row ends with (0 for closed
    // outlines).
    constantRun(y, end, W, toByte(ruled(tailSum)));
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
        // An edge crosses row y when y0 < centre <= y1.
        const float ys = float(y) + 0.5f;
        while (next < sorted.size() && sorted[next]->y0 < ys) active.push_back(sorted[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [&](const LineEdge* e) { return e->y1 < ys; }),
                     active.end());
        if (active.empty() && !inverse) {
            if (next >= sorted.size()) break;
            continue;
        }
        xs.clear();
        for (const LineEdge* e : active) {
            if (e->y0 < ys && ys <= e->y1) {
                const float x = e->x0 + (ys - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0);
                xs.push_back({x, e->winding});
            }
        }
        std::sort(xs.begin(), xs.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        // Pixels whose centres lie in (start, end] of an inside interval.
        int w = 0;
        int cursor = clip.left;  // for inverse fills: first pixel not yet emitted
        float start = 0;
        auto pixel = [&](float x) { return std::clamp(int(std::floor(x + 0.5f)), clip.left, clip.right); };
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

namespace {
bool fitsReferenceMask(const Rect& bounds);

// Whether the outline through the path's points (control points included) is one convex loop:
// every turn the same way and y turning back at most twice. Stops at the first sign that it is
// not, so stroke outlines cost a few points; allocates nothing.
bool isConvexOutline(const Path& path) {
    const auto& pts = path.points();
    const auto& verbs = path.verbs();
    if (pts.size() < 3) return true;
    size_t segments = 0;
    for (const PathVerb v : verbs) {
        if (v == PathVerb::Move && segments > 0) return false;  // a second contour
        if (v != PathVerb::Move && v != PathVerb::Close) ++segments;
    }
    Point prev{};
    bool havePrev = false;
    int turn = 0, ySign = 0, yFlips = 0;
    const size_t n = pts.size();
    for (size_t i = 0; i <= n; ++i) {
        const Point d = pts[(i + 1) % n] - pts[i % n];
        if (d.x == 0 && d.y == 0) continue;
        if (havePrev) {
            const float cross = prev.x * d.y - prev.y * d.x;
            const float scale = std::fabs(prev.x) + std::fabs(prev.y) + std::fabs(d.x) + std::fabs(d.y);
            if (std::fabs(cross) > 1e-6f * scale * scale) {
                const int s = cross > 0 ? 1 : -1;
                if (turn != 0 && s != turn) return false;
                turn = s;
            } else if (prev.x * d.x + prev.y * d.y < 0) {
                return false;  // doubles back
            }
        }
        if (d.y != 0) {
            const int s = d.y > 0 ? 1 : -1;
            if (ySign != 0 && s != ySign && ++yFlips > 2) return false;
            ySign = s;
        }
        prev = d, havePrev = true;
    }
    return true;
}
void fillRectLevels(const Rect& r0, const IRect& clip, bool smallPath, Blitter& blitter);
}  // namespace

void fillEdges(const LineEdge* edges, int count, PathFillType fill, const IRect& clip, bool antiAlias,
               Blitter& blitter, CoverageModel model) {
    if (clip.isEmpty()) return;
    if (antiAlias)
        AAFiller(fill, clip, blitter, false, model).fill(edges, count);
    else
        fillEdgesAliased(edges, count, fill, clip, blitter);
}

void fillEdgesAAReference(const LineEdge* edges, int count, PathFillType fill, const IRect& clip,
                          Blitter& blitter, CoverageModel model) {
    if (!clip.isEmpty()) AAFiller(fill, clip, blitter, true, model).fill(edges, count);
}

void fillPath(const Path& path, const Matrix& m, const IRect& clip, bool antiAlias, Blitter& blitter,
              CoverageModel model) {
    if (clip.isEmpty() || !m.isFinite()) return;
    if (!path.isFinite()) return;
    thread_local EdgeBuilder tBuilder;  // its edge list keeps its storage from fill to fill
    EdgeBuilder local;
    EdgeBuilder& builder = tFillScratch.busy ? local : tBuilder;
    Rect rect;
    if (model == CoverageModel::Reference && antiAlias && !isInverseFill(path.fillType()) && m.rectStaysRect() &&
        path.isRect(&rect)) {
        const Rect dev = m.mapRect(rect.makeSorted());
        if (fitsReferenceMask(dev)) return fillRectLevels(dev, clip, true, blitter);
    }
    if (model == CoverageModel::ExactArea)
        builder.build(path, m, clip, kCurveTolerance);
    else
        builder.buildReference(path, m, clip, antiAlias);
    if (!builder.finite()) return;
    const auto& e = builder.edges();
    // The reference walks convex outlines a row at a time, with its steep-edge positions; other
    // outlines get the exact area of its edges.
    const bool steps = model == CoverageModel::Reference && antiAlias && !isInverseFill(path.fillType()) &&
                       isConvexOutline(path);
    fillEdges(e.data(), int(e.size()), path.fillType(), clip, antiAlias, blitter,
              steps ? CoverageModel::Reference : CoverageModel::ExactArea);
}

namespace {

// The reference engine fills small paths (those whose pixel bounds fit the mask it
// supersamples them in: at most 32 pixels wide, and at most 1024 bytes of rows padded to 4) by
// a path of their own: a rectangle among them is covered as drawRect covers it, less one level
// on every partial pixel, which also turns slivers of 1/64 pixel or less to nothing or full.
bool fitsReferenceMask(const Rect& bounds) {
    const IRect ir = bounds.roundOut();
    const long long w = (long long)ir.right - ir.left, h = (long long)ir.bottom - ir.top;
    return w > 0 && h > 0 && w <= 32 && ((w + 3) & ~3LL) * h <= 1024;
}

}  // namespace

void fillRect(const Rect& r0, const IRect& clip, bool antiAlias, Blitter& blitter) {
    if (!antiAlias) {
        if (!r0.isFinite() || clip.isEmpty()) return;
        IRect ir = r0.makeSorted().round();
        if (ir.intersect(clip)) blitter.blitRect(ir.left, ir.top, ir.width(), ir.height());
        return;
    }
    fillRectLevels(r0, clip, false, blitter);
}

namespace {

void fillRectLevels(const Rect& r0, const IRect& clip, bool smallPath, Blitter& blitter) {
    if (!r0.isFinite() || clip.isEmpty()) return;
    Rect r = r0.makeSorted();
    if (!r.intersect(Rect::Make(clip))) return;
    const int L = int(std::floor(r.left)), T = int(std::floor(r.top));
    const int R = int(std::ceil(r.right)), B = int(std::ceil(r.bottom));
    // Coverage of the columns and rows at the rect's sides.
    auto span = [](float a, float b, int i) {  // overlap of [i, i+1] with [a, b]
        return std::max(0.0f, std::min(b, float(i + 1)) - std::max(a, float(i)));
    };
    // 256 x area, truncated, at most 255; a rectangle within one row loses one level more, and
    // so does every partial pixel of a small path.
    const int less = (B - T == 1 || smallPath) ? 1 : 0;
    auto level = [less, smallPath](float area) {
        int v = int(area * 256.0f) - less;
        if (smallPath && v >= 251) v = 255;
        if (smallPath && v < 8) v = 0;
        return uint8_t(std::clamp(v, 0, 255));
    };
    const int w = R - L;
    std::vector<uint8_t> row(static_cast<size_t>(w));
    auto partialRow = [&](int y, float cy) {
        for (int i = 0; i < w; ++i) row[size_t(i)] = level(span(r.left, r.right, L + i) * cy);
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
    const uint8_t cl = level(span(r.left, r.right, L));
    const uint8_t cr = level(span(r.left, r.right, R - 1));
    for (int y = fullT; y < fullB && L < fullL; ++y)
        if (cl) blitter.blitAntiH(L, y, &cl, 1);
    blitter.blitRect(fullL, fullT, fullR - fullL, fullB - fullT);
    for (int y = fullT; y < fullB && fullR < R; ++y)
        if (cr) blitter.blitAntiH(fullR, y, &cr, 1);
    if (fullB < B) partialRow(fullB, span(r.top, r.bottom, fullB));
}

}  // namespace

}  // namespace plix
