#include "capi/Convert.h"
#include "geometry/RRect.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
RRect& rr(plix_handle h) { return *from<RRect>(h); }
}  // namespace

plix_handle plix_rrect_create(void) {
    return guard<plix_handle>(0, [] { return to(new RRect()); });
}

plix_handle plix_rrect_create2(plix_handle rrect) {
    if (!rrect) return 0;
    return guard<plix_handle>(0, [&] { return to(new RRect(rr(rrect))); });
}

void plix_rrect_destroy(plix_handle self) { delete from<RRect>(self); }

bool plix_rrect_contains(plix_handle self, const plix_rect* rect) {
    return self && rect && rr(self).contains(toRect(*rect));
}

void plix_rrect_deflate(plix_handle self, float dx, float dy) {
    if (self) rr(self).inset(dx, dy);
}
void plix_rrect_inflate(plix_handle self, float dx, float dy) {
    if (self) rr(self).outset(dx, dy);
}
void plix_rrect_offset(plix_handle self, float dx, float dy) {
    if (self) rr(self).offset(dx, dy);
}

float plix_rrect_get_width(plix_handle self) { return self ? rr(self).width() : 0; }
float plix_rrect_get_height(plix_handle self) { return self ? rr(self).height() : 0; }

void plix_rrect_get_radii(plix_handle self, int32_t corner, plix_vector* result) {
    if (!result) return;
    *result = {};
    if (self && corner >= 0 && corner <= 3) *result = fromPoint(rr(self).radii(RRect::Corner(corner)));
}

void plix_rrect_get_rect(plix_handle self, plix_rect* result) {
    if (result) *result = fromRect(self ? rr(self).rect() : Rect());
}

void plix_rrect_get_simple_radii(plix_handle self, plix_vector* result) {
    if (result) *result = self ? fromPoint(rr(self).simpleRadii()) : plix_vector{0, 0};
}

bool plix_rrect_is_complex(plix_handle self) { return self && rr(self).isComplex(); }
bool plix_rrect_is_empty(plix_handle self) { return !self || rr(self).isEmpty(); }
bool plix_rrect_is_equal(plix_handle self, plix_handle rrect) { return self && rrect && rr(self) == rr(rrect); }
bool plix_rrect_is_nine_patch(plix_handle self) { return self && rr(self).isNinePatch(); }
bool plix_rrect_is_oval(plix_handle self) { return self && rr(self).isOval(); }
bool plix_rrect_is_rect(plix_handle self) { return self && rr(self).isRect(); }
bool plix_rrect_is_simple(plix_handle self) { return self && rr(self).isSimple(); }
bool plix_rrect_is_valid(plix_handle self) { return self && rr(self).isValid(); }

void plix_rrect_set_empty(plix_handle self) {
    if (self) rr(self).setEmpty();
}
void plix_rrect_set_rect(plix_handle self, const plix_rect* rect) {
    if (self && rect) rr(self).setRect(toRect(*rect));
}
void plix_rrect_set_oval(plix_handle self, const plix_rect* rect) {
    if (self && rect) rr(self).setOval(toRect(*rect));
}
void plix_rrect_set_rect2(plix_handle self, const plix_rect* rect, float radius_x, float radius_y) {
    if (self && rect) rr(self).setRectXY(toRect(*rect), radius_x, radius_y);
}
void plix_rrect_set_rect3(plix_handle self, const plix_rect* rect, const plix_vector* radii) {
    if (!self || !rect || !radii) return;
    const Point r[4] = {toPoint(radii[0]), toPoint(radii[1]), toPoint(radii[2]), toPoint(radii[3])};
    rr(self).setRectRadii(toRect(*rect), r);
}
void plix_rrect_set_nine_patch(plix_handle self, const plix_rect* rect, float left_radius, float top_radius,
                               float right_radius, float bottom_radius) {
    if (self && rect) rr(self).setNinePatch(toRect(*rect), left_radius, top_radius, right_radius, bottom_radius);
}

plix_handle plix_rrect_transform(plix_handle self, const plix_matrix* matrix) {
    if (!self || !matrix) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        RRect out;
        if (!rr(self).transform(toMatrix(*matrix), &out)) return 0;
        return to(new RRect(out));
    });
}
