#include "geometry/Region.h"

#include <algorithm>
#include <climits>

#include "geometry/PathOps.h"

namespace plix {

namespace {

// The spans of a and b combined by op (each a sorted list of disjoint left, right pairs).
void combineSpans(const std::vector<int32_t>& a, const std::vector<int32_t>& b, RegionOp op,
                  std::vector<int32_t>* out) {
    out->clear();
    // Sweep the edges of both; inside-ness of each operand flips at its edges.
    size_t i = 0, j = 0;
    bool inA = false, inB = false, inside = false;
    auto keep = [op](bool x, bool y) {
        switch (op) {
            case RegionOp::Difference: return x && !y;
            case RegionOp::Intersect: return x && y;
            case RegionOp::Union: return x || y;
            case RegionOp::XOR: return x != y;
            case RegionOp::ReverseDifference: return y && !x;
            case RegionOp::Replace: return y;
        }
        return false;
    };
    while (i < a.size() || j < b.size()) {
        const int64_t xa = i < a.size() ? a[i] : INT64_MAX, xb = j < b.size() ? b[j] : INT64_MAX;
        const int32_t x = int32_t(std::min(xa, xb));
        if (xa == x) inA = !inA, ++i;
        if (xb == x) inB = !inB, ++j;
        const bool now = keep(inA, inB);
        if (now != inside) {
            if (!now && !out->empty() && out->back() == x) out->pop_back();  // an empty span
            else out->push_back(x);
            inside = now;
        }
    }
}

const std::vector<int32_t>* spansAt(const std::vector<Region::Band>& bands, size_t* k, int32_t y) {
    while (*k < bands.size() && bands[*k].bottom <= y) ++*k;
    if (*k < bands.size() && bands[*k].top <= y) return &bands[*k].xs;
    return nullptr;
}

}  // namespace

bool Region::setRect(const IRect& r) {
    setEmpty();
    if (r.isEmpty()) return false;
    fBands.push_back({r.top, r.bottom, {r.left, r.right}});
    fBounds = r;
    return true;
}

bool Region::setRects(const IRect* rects, int count) {
    setEmpty();
    if (!rects || count <= 0 || count > kMaxRects) return false;
    // Divide and conquer: unions of halves keep each sweep's operands balanced.
    std::vector<Region> parts;
    parts.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        if (!rects[i].isEmpty()) parts.emplace_back(rects[i]);
    while (parts.size() > 1) {
        std::vector<Region> next;
        next.reserve(parts.size() / 2 + 1);
        for (size_t i = 0; i + 1 < parts.size(); i += 2) {
            parts[i].op(parts[i + 1], RegionOp::Union);
            next.push_back(std::move(parts[i]));
        }
        if (parts.size() % 2) next.push_back(std::move(parts.back()));
        parts = std::move(next);
    }
    if (!parts.empty()) *this = std::move(parts[0]);
    return !isEmpty();
}

void Region::setRows(int32_t top, const std::vector<std::vector<int32_t>>& runs) {
    setEmpty();
    for (size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].empty()) continue;
        const int32_t y = top + int32_t(i);
        fBands.push_back({y, y + 1, runs[i]});
    }
    finish();
}

bool Region::op(const Region& other, RegionOp op) {
    if (op == RegionOp::Replace) {
        *this = other;
        return !isEmpty();
    }
    // Every y where either operand's bands start or end splits the sweep.
    std::vector<int32_t> ys;
    ys.reserve((fBands.size() + other.fBands.size()) * 2);
    for (const Band& b : fBands) ys.push_back(b.top), ys.push_back(b.bottom);
    for (const Band& b : other.fBands) ys.push_back(b.top), ys.push_back(b.bottom);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<Band> out;
    size_t ka = 0, kb = 0;
    static const std::vector<int32_t> kNone;
    std::vector<int32_t> spans;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int32_t y = ys[i];
        const std::vector<int32_t>* a = spansAt(fBands, &ka, y);
        const std::vector<int32_t>* b = spansAt(other.fBands, &kb, y);
        combineSpans(a ? *a : kNone, b ? *b : kNone, op, &spans);
        if (spans.empty()) continue;
        if (!out.empty() && out.back().bottom == y && out.back().xs == spans) out.back().bottom = ys[i + 1];
        else out.push_back({y, ys[i + 1], spans});
    }
    fBands = std::move(out);
    finish();
    return !isEmpty();
}

void Region::finish() {
    std::vector<Band> merged;
    merged.reserve(fBands.size());
    for (Band& b : fBands) {
        if (b.xs.empty() || b.top >= b.bottom) continue;
        if (!merged.empty() && merged.back().bottom == b.top && merged.back().xs == b.xs) merged.back().bottom = b.bottom;
        else merged.push_back(std::move(b));
    }
    fBands = std::move(merged);
    fBounds = {};
    if (fBands.empty()) return;
    fBounds = {INT32_MAX, fBands.front().top, INT32_MIN, fBands.back().bottom};
    for (const Band& b : fBands) fBounds.left = std::min(fBounds.left, b.xs.front()), fBounds.right = std::max(fBounds.right, b.xs.back());
}

void Region::translate(int32_t dx, int32_t dy) {
    if (isEmpty()) return;
    // Refuse moves that would wrap around the integer range.
    const int64_t l = int64_t(fBounds.left) + dx, r = int64_t(fBounds.right) + dx;
    const int64_t t = int64_t(fBounds.top) + dy, b = int64_t(fBounds.bottom) + dy;
    if (l < INT32_MIN || r > INT32_MAX || t < INT32_MIN || b > INT32_MAX) return;
    for (Band& band : fBands) {
        band.top += dy, band.bottom += dy;
        for (int32_t& x : band.xs) x += dx;
    }
    fBounds = {int32_t(l), int32_t(t), int32_t(r), int32_t(b)};
}

bool Region::contains(int32_t x, int32_t y) const {
    if (!fBounds.contains(x, y)) return false;
    for (const Band& b : fBands) {
        if (y < b.top || y >= b.bottom) continue;
        for (size_t i = 0; i < b.xs.size(); i += 2)
            if (x >= b.xs[i] && x < b.xs[i + 1]) return true;
        return false;
    }
    return false;
}

bool Region::contains(const IRect& r) const {
    if (r.isEmpty() || !fBounds.contains(r)) return false;
    Region rest(r);
    rest.op(*this, RegionOp::Difference);
    return rest.isEmpty();
}

bool Region::contains(const Region& r) const {
    if (r.isEmpty() || isEmpty()) return false;
    Region rest = r;
    rest.op(*this, RegionOp::Difference);
    return rest.isEmpty();
}

bool Region::intersects(const IRect& r) const { return intersects(Region(r)); }

bool Region::intersects(const Region& r) const {
    IRect b = fBounds;
    if (isEmpty() || r.isEmpty() || !b.intersect(r.fBounds)) return false;
    Region both = *this;
    return both.op(r, RegionOp::Intersect);
}

bool Region::quickReject(const IRect& r) const {
    IRect b = fBounds;
    return isEmpty() || r.isEmpty() || !b.intersect(r);
}

bool Region::quickReject(const Region& r) const { return r.isEmpty() || quickReject(r.fBounds); }

int Region::rectCount() const {
    size_t n = 0;
    for (const Band& b : fBands) n += b.xs.size() / 2;
    return int(std::min<size_t>(n, INT_MAX));
}

Path Region::rectsPath() const {
    Path p;
    for (const Band& b : fBands)
        for (size_t i = 0; i < b.xs.size(); i += 2)
            p.addRect(Rect::Make(IRect{b.xs[i], b.top, b.xs[i + 1], b.bottom}));
    return p;
}

Path Region::boundaryPath() const {
    Path rects = rectsPath();
    if (rects.isEmpty()) return rects;
    // Disjoint rectangles merged by the path union leave only the outline.
    Path outline;
    if (!pathOp(rects, Path(), PathOp::Union, &outline)) return rects;
    return outline;
}

}  // namespace plix
