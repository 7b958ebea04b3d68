// Regions: sets of integer pixels kept as horizontal bands, each band a sorted list of disjoint
// x spans, the same in every row of the band; neighbouring bands with the same spans are merged,
// so equal sets have equal forms. Set operations sweep the bands of both operands together.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Path.h"
#include "geometry/Rect.h"

namespace plix {

enum class RegionOp : int32_t { Difference, Intersect, Union, XOR, ReverseDifference, Replace };
constexpr bool isValidRegionOp(int32_t op) { return op >= 0 && op <= int32_t(RegionOp::Replace); }

class Region {
public:
    struct Band {
        int32_t top, bottom;
        std::vector<int32_t> xs;  // left, right pairs, sorted, disjoint, not touching
        bool operator==(const Band&) const = default;
    };

    // Sets from more rectangles than this are refused: past it the sweep's cost grows without
    // a bound a caller could expect.
    static constexpr int kMaxRects = 1 << 16;

    Region() = default;
    explicit Region(const IRect& r) { setRect(r); }

    bool isEmpty() const { return fBands.empty(); }
    bool isRect() const { return fBands.size() == 1 && fBands[0].xs.size() == 2; }
    bool isComplex() const { return !isEmpty() && !isRect(); }
    const IRect& bounds() const { return fBounds; }
    const std::vector<Band>& bands() const { return fBands; }

    void setEmpty() { fBands.clear(), fBounds = {}; }
    bool setRect(const IRect& r);
    // The union of the rectangles; false (and empty) when empty or more than kMaxRects.
    bool setRects(const IRect* rects, int count);
    // Whole rows: runs[y - top] holds the (left, right) pairs of row y, sorted and disjoint.
    void setRows(int32_t top, const std::vector<std::vector<int32_t>>& runs);
    // Combines this with other; returns !isEmpty().
    bool op(const Region& other, RegionOp op);
    bool op(const IRect& r, RegionOp o) { return op(Region(r), o); }
    void translate(int32_t dx, int32_t dy);

    bool contains(int32_t x, int32_t y) const;
    bool contains(const IRect& r) const;
    bool contains(const Region& r) const;
    bool intersects(const IRect& r) const;
    bool intersects(const Region& r) const;
    // Only the bounds are checked: contains answers true only for a single rectangle.
    bool quickContains(const IRect& r) const { return isRect() && fBounds.contains(r); }
    bool quickReject(const IRect& r) const;
    bool quickReject(const Region& r) const;

    // The outline of the set as closed contours (one per maximal rectangle run, unioned).
    Path boundaryPath() const;
    // Every rectangle of the bands as its own contour, in band order (fills the set exactly).
    Path rectsPath() const;
    int rectCount() const;

    bool operator==(const Region& o) const { return fBands == o.fBands; }

private:
    void finish();  // merges equal neighbouring bands and computes the bounds
    std::vector<Band> fBands;
    IRect fBounds;
};

}  // namespace plix
