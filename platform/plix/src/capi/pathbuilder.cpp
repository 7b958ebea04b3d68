#include <memory>

#include "capi/Convert.h"
#include "capi/PathHandles.h"
#include "geometry/RRect.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {

Path& pb(plix_handle h) { return from<PathBuilder>(h)->path; }

bool toDirection(int32_t d, PathDirection* out) {
    if (d != 0 && d != 1) return false;
    *out = PathDirection(d);
    return true;
}

// Runs f on the builder when self and every pointer argument are set.
template <class F, class... P>
void edit(plix_handle self, F&& f, const P*... ptrs) {
    if (!self || ((ptrs == nullptr) || ...)) return;
    guard([&] { f(pb(self)); });
}

}  // namespace

plix_handle plix_pathbuilder_create(void) {
    return guard<plix_handle>(0, [] { return to(new PathBuilder()); });
}

plix_handle plix_pathbuilder_create2(plix_handle path) {
    if (!path) return 0;
    return guard<plix_handle>(0, [&] { return to(new PathBuilder{*from<Path>(path)}); });
}

void plix_pathbuilder_destroy(plix_handle self) { delete from<PathBuilder>(self); }

plix_handle plix_pathbuilder_detach(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] {
        auto p = std::make_unique<Path>(std::move(pb(self)));
        pb(self).reset();
        return to(p.release());
    });
}

plix_handle plix_pathbuilder_snapshot(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(new Path(pb(self))); });
}

void plix_pathbuilder_get_bounds(plix_handle self, plix_rect* result) {
    if (result) *result = fromRect(self ? pb(self).bounds() : Rect());
}

int32_t plix_pathbuilder_get_fill_type(plix_handle self) { return self ? int32_t(pb(self).fillType()) : 0; }

void plix_pathbuilder_set_filltype(plix_handle self, int32_t value) {
    if (self && value >= 0 && value <= 3) pb(self).setFillType(PathFillType(value));
}

void plix_pathbuilder_toggle_inverse_filltype(plix_handle self) {
    if (self) pb(self).toggleInverseFillType();
}

void plix_pathbuilder_reset(plix_handle self) {
    if (self) pb(self).reset();
}

void plix_pathbuilder_inc_reserve(plix_handle self, int32_t extra_point_count, int32_t extra_verb_count) {
    if (self && extra_point_count >= 0 && extra_verb_count >= 0 && extra_point_count < (1 << 24) &&
        extra_verb_count < (1 << 24))
        guard([&] { pb(self).reserve(extra_point_count, extra_verb_count); });
}

void plix_pathbuilder_offset(plix_handle self, float dx, float dy) {
    edit(self, [&](Path& p) { p.offset(dx, dy); });
}

void plix_pathbuilder_move_to(plix_handle self, const plix_point* point) {
    edit(self, [&](Path& p) { p.moveTo(toPoint(*point)); }, point);
}
void plix_pathbuilder_line_to(plix_handle self, const plix_point* point) {
    edit(self, [&](Path& p) { p.lineTo(toPoint(*point)); }, point);
}
void plix_pathbuilder_quad_to(plix_handle self, const plix_point* p1, const plix_point* p2) {
    edit(self, [&](Path& p) { p.quadTo(toPoint(*p1), toPoint(*p2)); }, p1, p2);
}
void plix_pathbuilder_conic_to(plix_handle self, const plix_point* p1, const plix_point* p2, float weight) {
    edit(self, [&](Path& p) { p.conicTo(toPoint(*p1), toPoint(*p2), weight); }, p1, p2);
}
void plix_pathbuilder_cubic_to(plix_handle self, const plix_point* p1, const plix_point* p2, const plix_point* p3) {
    edit(self, [&](Path& p) { p.cubicTo(toPoint(*p1), toPoint(*p2), toPoint(*p3)); }, p1, p2, p3);
}
void plix_pathbuilder_r_line_to(plix_handle self, const plix_point* point) {
    edit(self, [&](Path& p) { p.rLineTo(toPoint(*point)); }, point);
}
void plix_pathbuilder_r_quad_to(plix_handle self, const plix_point* p1, const plix_point* p2) {
    edit(self, [&](Path& p) { p.rQuadTo(toPoint(*p1), toPoint(*p2)); }, p1, p2);
}
void plix_pathbuilder_r_conic_to(plix_handle self, const plix_point* p1, const plix_point* p2, float weight) {
    edit(self, [&](Path& p) { p.rConicTo(toPoint(*p1), toPoint(*p2), weight); }, p1, p2);
}
void plix_pathbuilder_r_cubic_to(plix_handle self, const plix_point* p1, const plix_point* p2, const plix_point* p3) {
    edit(self, [&](Path& p) { p.rCubicTo(toPoint(*p1), toPoint(*p2), toPoint(*p3)); }, p1, p2, p3);
}
void plix_pathbuilder_close(plix_handle self) {
    edit(self, [&](Path& p) { p.close(); });
}

void plix_pathbuilder_polyline_to(plix_handle self, const plix_point* points, int32_t count) {
    if (count <= 0) return;
    static_assert(sizeof(plix_point) == sizeof(Point));
    edit(self, [&](Path& p) { p.polylineTo(reinterpret_cast<const Point*>(points), count); }, points);
}

void plix_pathbuilder_add_polygon(plix_handle self, const plix_point* points, int32_t count, bool is_closed) {
    if (count <= 0) return;
    edit(self, [&](Path& p) { p.addPoly(reinterpret_cast<const Point*>(points), count, is_closed); }, points);
}

void plix_pathbuilder_add_arc(plix_handle self, const plix_rect* oval, float start_angle, float sweep_angle) {
    edit(self, [&](Path& p) { p.addArc(toRect(*oval), start_angle, sweep_angle); }, oval);
}

void plix_pathbuilder_add_circle(plix_handle self, float center_x, float center_y, float radius, int32_t direction) {
    PathDirection d;
    if (toDirection(direction, &d)) edit(self, [&](Path& p) { p.addCircle(center_x, center_y, radius, d); });
}

void plix_pathbuilder_add_oval(plix_handle self, const plix_rect* oval, int32_t direction, uint32_t start_index) {
    PathDirection d;
    if (toDirection(direction, &d)) edit(self, [&](Path& p) { p.addOval(toRect(*oval), d, start_index % 4); }, oval);
}

void plix_pathbuilder_add_rect(plix_handle self, const plix_rect* rect, int32_t direction, uint32_t start_index) {
    PathDirection d;
    if (toDirection(direction, &d)) edit(self, [&](Path& p) { p.addRect(toRect(*rect), d, start_index % 4); }, rect);
}

void plix_pathbuilder_add_rrect(plix_handle self, plix_handle rrect, int32_t direction, uint32_t start_index) {
    PathDirection d;
    if (!rrect || !toDirection(direction, &d)) return;
    edit(self, [&](Path& p) { p.addRRect(*from<RRect>(rrect), d, start_index % 8); });
}

void plix_pathbuilder_add_path(plix_handle self, plix_handle path) {
    if (path) edit(self, [&](Path& p) { p.addPath(*from<Path>(path)); });
}

void plix_pathbuilder_arc_to(plix_handle self, const plix_point* radius, float x_axis_rotate, int32_t large_arc,
                             int32_t sweep, const plix_point* xy) {
    edit(self, [&](Path& p) { p.arcTo(toPoint(*radius), x_axis_rotate, large_arc != 0, sweep != 0, toPoint(*xy)); },
         radius, xy);
}

void plix_pathbuilder_arc_to2(plix_handle self, const plix_rect* oval, float start_angle, float sweep_angle,
                              bool force_move_to) {
    edit(self, [&](Path& p) { p.arcTo(toRect(*oval), start_angle, sweep_angle, force_move_to); }, oval);
}

void plix_pathbuilder_arc_to3(plix_handle self, const plix_point* point1, const plix_point* point2, float radius) {
    edit(self, [&](Path& p) { p.arcTo(toPoint(*point1), toPoint(*point2), radius); }, point1, point2);
}
