#include <algorithm>
#include <vector>

#include "capi/Convert.h"
#include "geometry/Region.h"
#include "plix/plix.h"
#include "raster/RegionPath.h"

using namespace plix;
using namespace plix::capi;

namespace {

Region* rg(plix_handle h) { return from<Region>(h); }

// Walks the rectangles of a region (band by band, left to right), optionally clipped: move
// first, then read.
struct RegionWalk {
    RegionWalk(const Region* r, const IRect& c, bool isClipped) : region(r), clip(c), clipped(isClipped) {}
    const Region* region;
    IRect clip;
    bool clipped;
    size_t band = 0, span = 0;
    bool started = false;
    IRect current;

    bool next() {
        const auto& bands = region->bands();
        for (;;) {
            if (started) span += 2;
            started = true;
            while (band < bands.size() && span >= bands[band].xs.size()) ++band, span = 0;
            if (band >= bands.size()) return false;
            const Region::Band& b = bands[band];
            current = {b.xs[span], b.top, b.xs[span + 1], b.bottom};
            if (!clipped || current.intersect(clip)) return true;
        }
    }
};

// The spans of one row between left and right.
struct SpanWalk {
    std::vector<int32_t> xs;  // already clipped
    size_t at = 0;
};

}  // namespace

bool plix_region_contains(plix_handle self, plix_handle region) {
    return self && region && rg(self)->contains(*rg(region));
}
bool plix_region_contains2(plix_handle self, const plix_irect* rect) {
    return self && rect && rg(self)->contains(toIRect(*rect));
}
bool plix_region_contains3(plix_handle self, int32_t x, int32_t y) { return self && rg(self)->contains(x, y); }

plix_handle plix_region_create(void) {
    return guard<plix_handle>(0, [] { return to(new Region()); });
}
plix_handle plix_region_create2(plix_handle region) {
    if (!region) return 0;
    return guard<plix_handle>(0, [&] { return to(new Region(*rg(region))); });
}
void plix_region_destroy(plix_handle self) { delete rg(self); }

plix_handle plix_region_get_boundary_path(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(new Path(rg(self)->boundaryPath())); });
}
void plix_region_get_bounds(plix_handle self, plix_irect* result) {
    if (self && result) *result = fromIRect(rg(self)->bounds());
}
bool plix_region_intersects(plix_handle self, plix_handle region) {
    return self && region && guard(false, [&] { return rg(self)->intersects(*rg(region)); });
}
bool plix_region_intersects2(plix_handle self, const plix_irect* rect) {
    return self && rect && guard(false, [&] { return rg(self)->intersects(toIRect(*rect)); });
}
bool plix_region_is_complex(plix_handle self) { return self && rg(self)->isComplex(); }
bool plix_region_is_empty(plix_handle self) { return !self || rg(self)->isEmpty(); }
bool plix_region_is_equal(plix_handle self, plix_handle region) {
    return self && region && *rg(self) == *rg(region);
}
bool plix_region_is_rect(plix_handle self) { return self && rg(self)->isRect(); }

bool plix_region_op(plix_handle self, plix_handle region, int32_t op) {
    if (!self || !region || !isValidRegionOp(op)) return false;
    return guard(false, [&] {
        const Region other = *rg(region);  // the operand may be self
        return rg(self)->op(other, RegionOp(op));
    });
}
bool plix_region_op2(plix_handle self, const plix_irect* rect, int32_t op) {
    if (!self || !rect || !isValidRegionOp(op)) return false;
    return guard(false, [&] { return rg(self)->op(toIRect(*rect), RegionOp(op)); });
}
bool plix_region_quick_contains(plix_handle self, const plix_irect* rect) {
    return self && rect && rg(self)->quickContains(toIRect(*rect));
}
bool plix_region_quick_reject(plix_handle self, plix_handle region) {
    return !self || !region || rg(self)->quickReject(*rg(region));
}
bool plix_region_quick_reject2(plix_handle self, const plix_irect* rect) {
    return !self || !rect || rg(self)->quickReject(toIRect(*rect));
}
void plix_region_set_empty(plix_handle self) {
    if (self) rg(self)->setEmpty();
}
bool plix_region_set_path(plix_handle self, plix_handle path, plix_handle clip) {
    if (!self || !path || !clip) return false;
    return guard(false, [&] {
        Region out;
        const bool any = regionFromPath(*from<Path>(path), *rg(clip), &out);
        *rg(self) = std::move(out);
        return any;
    });
}
bool plix_region_set_rect(plix_handle self, const plix_irect* rect) {
    return self && rect && rg(self)->setRect(toIRect(*rect));
}
bool plix_region_set_rects(plix_handle self, const plix_irect* rects, int32_t count) {
    if (!self) return false;
    if (!rects || count <= 0 || count > Region::kMaxRects) {
        rg(self)->setEmpty();
        return false;
    }
    return guard(false, [&] {
        std::vector<IRect> engine(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) engine[size_t(i)] = toIRect(rects[i]);
        return rg(self)->setRects(engine.data(), count);
    });
}
void plix_region_translate(plix_handle self, int32_t dx, int32_t dy) {
    if (self) rg(self)->translate(dx, dy);
}

// ---- walks ----

plix_handle plix_regioncliperator_create(plix_handle region, const plix_irect* clip) {
    if (!region || !clip) return 0;
    return guard<plix_handle>(0, [&] { return to(new RegionWalk(rg(region), toIRect(*clip), true)); });
}
void plix_regioncliperator_destroy(plix_handle self) { delete from<RegionWalk>(self); }
void plix_regioncliperator_get_current(plix_handle self, plix_irect* result) {
    if (self && result) *result = fromIRect(from<RegionWalk>(self)->current);
}
bool plix_regioncliperator_move_next(plix_handle self) { return self && from<RegionWalk>(self)->next(); }

plix_handle plix_regioniterator_create(plix_handle region) {
    if (!region) return 0;
    return guard<plix_handle>(0, [&] { return to(new RegionWalk(rg(region), IRect{}, false)); });
}
void plix_regioniterator_destroy(plix_handle self) { delete from<RegionWalk>(self); }
void plix_regioniterator_get_current(plix_handle self, plix_irect* result) {
    if (self && result) *result = fromIRect(from<RegionWalk>(self)->current);
}
bool plix_regioniterator_move_next(plix_handle self) { return self && from<RegionWalk>(self)->next(); }

plix_handle plix_regionspanerator_create(plix_handle region, int32_t y, int32_t left, int32_t right) {
    if (!region) return 0;
    return guard<plix_handle>(0, [&] {
        auto* walk = new SpanWalk;
        for (const Region::Band& b : rg(region)->bands()) {
            if (y < b.top || y >= b.bottom) continue;
            for (size_t i = 0; i < b.xs.size(); i += 2) {
                const int32_t l = std::max(b.xs[i], left), r = std::min(b.xs[i + 1], right);
                if (l < r) walk->xs.push_back(l), walk->xs.push_back(r);
            }
        }
        return to(walk);
    });
}
void plix_regionspanerator_destroy(plix_handle self) { delete from<SpanWalk>(self); }
bool plix_regionspanerator_next(plix_handle self, plix_ipoint* elem) {
    if (!self) return false;
    SpanWalk* w = from<SpanWalk>(self);
    if (w->at >= w->xs.size()) return false;
    if (elem) *elem = {w->xs[w->at], w->xs[w->at + 1]};
    w->at += 2;
    return true;
}
