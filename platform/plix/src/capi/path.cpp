#include <memory>

#include "capi/Convert.h"
#include "capi/PathHandles.h"
#include "core/StreamAdapter.h"
#include "core/String.h"
#include "geometry/PathData.h"
#include "geometry/PathOps.h"
#include "geometry/RRect.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
const Path& ph(plix_handle h) { return *from<Path>(h); }

plix_handle newPath(Path&& p) { return to(new Path(std::move(p))); }
}  // namespace

plix_handle plix_path_create(void) {
    return guard<plix_handle>(0, [] { return to(new Path()); });
}

plix_handle plix_path_create2(const char* svg) {
    if (!svg) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        Path p;
        if (!Path::FromSVG(svg, &p)) return 0;
        return newPath(std::move(p));
    });
}

void plix_path_destroy(plix_handle self) { delete from<Path>(self); }

plix_handle plix_path_op(plix_handle self, plix_handle path, int32_t op) {
    if (!self || !path || !isValidPathOp(op)) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        Path result;
        if (!pathOp(ph(self), ph(path), PathOp(op), &result)) return 0;
        return newPath(std::move(result));
    });
}

// The whole stored form goes to the stream in one write.
void plix_path_serialize_to_stream(plix_handle self, plix_handle wstream) {
    if (!self || !wstream) return;
    guard([&] {
        std::vector<uint8_t> bytes;
        writePathData(ph(self), bytes);
        from<WStreamAdapter>(wstream)->write(bytes.data(), bytes.size());
    });
}

bool plix_path_contains(plix_handle self, float x, float y) {
    return self && guard(false, [&] { return ph(self).contains(x, y); });
}

int32_t plix_path_convert_conic_to_quads(const plix_point* point1, const plix_point* point2, const plix_point* point3,
                                         float weight, plix_point* points, int32_t power2) {
    if (!point1 || !point2 || !point3 || !points || power2 < 0 || power2 > 5) return 0;
    static_assert(sizeof(plix_point) == sizeof(Point));
    return conicToQuads(toPoint(*point1), toPoint(*point2), toPoint(*point3), weight, reinterpret_cast<Point*>(points),
                        power2);
}

void plix_path_get_bounds(plix_handle self, plix_rect* result) {
    if (result) *result = fromRect(self ? ph(self).bounds() : Rect());
}

void plix_path_get_tight_bounds(plix_handle self, plix_rect* result) {
    if (result) *result = fromRect(self ? guard(Rect(), [&] { return ph(self).computeTightBounds(); }) : Rect());
}

int32_t plix_path_get_fill_type(plix_handle self) { return self ? int32_t(ph(self).fillType()) : 0; }

bool plix_path_get_last_point(plix_handle self, plix_point* result) {
    Point p;
    const bool ok = self && ph(self).getLastPoint(&p);
    if (result) *result = ok ? fromPoint(p) : plix_point{0, 0};
    return ok;
}

uint32_t plix_path_get_segment_masks(plix_handle self) { return self ? ph(self).segmentMasks() : 0; }

plix_handle plix_path_interpolate(plix_handle self, plix_handle ending, float weight) {
    if (!self || !ending) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        Path out;
        if (!ph(self).interpolate(ph(ending), weight, &out)) return 0;
        return newPath(std::move(out));
    });
}

bool plix_path_is_convex(plix_handle self) {
    return self && guard(false, [&] { return ph(self).isConvex(); });
}
bool plix_path_is_empty(plix_handle self) { return !self || ph(self).isEmpty(); }
bool plix_path_is_finite(plix_handle self) { return self && ph(self).isFinite(); }
bool plix_path_is_interpolatable(plix_handle self, plix_handle path) {
    return self && path && guard(false, [&] { return ph(self).isInterpolatable(ph(path)); });
}
bool plix_path_is_last_contour_closed(plix_handle self) { return self && ph(self).isLastContourClosed(); }

bool plix_path_is_line(plix_handle self, plix_point* lines) {
    Point l[2];
    if (!self || !guard(false, [&] { return ph(self).isLine(l); })) return false;
    if (lines) lines[0] = fromPoint(l[0]), lines[1] = fromPoint(l[1]);
    return true;
}

bool plix_path_is_oval(plix_handle self, plix_rect* oval) {
    Rect r;
    if (!self || !guard(false, [&] { return ph(self).isOval(&r); })) return false;
    if (oval) *oval = fromRect(r);
    return true;
}

bool plix_path_is_rect(plix_handle self, plix_rect* rect) {
    Rect r;
    if (!self || !guard(false, [&] { return ph(self).isRect(&r); })) return false;
    if (rect) *rect = fromRect(r);
    return true;
}

bool plix_path_is_rrect(plix_handle self, plix_handle rrect) {
    RRect rr;
    if (!self || !guard(false, [&] { return ph(self).isRRect(&rr); })) return false;
    if (rrect) *from<RRect>(rrect) = rr;
    return true;
}

plix_handle plix_path_to_svg(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(new String{ph(self).toSVG()}); });
}

plix_handle plix_path_transform(plix_handle self, const plix_matrix* matrix) {
    if (!self || !matrix) return 0;
    return guard<plix_handle>(0, [&] { return newPath(ph(self).makeTransform(toMatrix(*matrix))); });
}

// ---- walks ----

plix_handle plix_pathiterator_create(plix_handle path, bool force_close) {
    if (!path) return 0;
    return guard<plix_handle>(0, [&] { return to(new PathWalk(ph(path), force_close)); });
}

void plix_pathiterator_destroy(plix_handle self) { delete from<PathWalk>(self); }

bool plix_pathiterator_next(plix_handle self, plix_path_iterator_elem* elem) {
    if (!self) return false;
    Point pts[4] = {};
    float w = 1;
    const Path::Iter::Kind k = from<PathWalk>(self)->iter.next(pts, &w);
    if (elem) {
        *elem = {};
        elem->verb = int32_t(k);
        static const int counts[] = {1, 2, 3, 3, 4, 0, 0};
        for (int i = 0; i < counts[k]; ++i) elem->points[i] = fromPoint(pts[i]);
        elem->conic_weight = k == Path::Iter::kConic ? w : 0;
    }
    return k != Path::Iter::kDone;
}
