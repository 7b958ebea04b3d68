#include "capi/Convert.h"
#include "capi/PathHandles.h"
#include "geometry/PathMeasure.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
PathMeasure* pm(plix_handle h) { return from<PathMeasure>(h); }
}  // namespace

plix_handle plix_pathmeasure_create(plix_handle path, bool force_closed, float res_scale) {
    return guard<plix_handle>(0, [&] {
        return to(new PathMeasure(path ? *from<Path>(path) : Path(), force_closed, res_scale));
    });
}

void plix_pathmeasure_destroy(plix_handle self) { delete pm(self); }

float plix_pathmeasure_get_length(plix_handle self) { return self ? pm(self)->length() : 0; }

bool plix_pathmeasure_get_matrix(plix_handle self, float distance, plix_matrix* matrix, uint32_t flags) {
    Matrix m;
    if (!self || !matrix || !pm(self)->getMatrix(distance, &m, flags)) return false;
    *matrix = fromMatrix(m);
    return true;
}

bool plix_pathmeasure_get_position_and_tangent(plix_handle self, float distance, plix_point* position,
                                               plix_vector* tangent) {
    Point p, t;
    if (!self || !pm(self)->posTan(distance, &p, &t)) return false;
    if (position) *position = fromPoint(p);
    if (tangent) *tangent = {t.x, t.y};
    return true;
}

bool plix_pathmeasure_get_segment(plix_handle self, float start, float stop, plix_handle path_builder,
                                  bool start_with_move_to) {
    if (!self || !path_builder) return false;
    return guard(false, [&] {
        return pm(self)->getSegment(start, stop, &from<PathBuilder>(path_builder)->path, start_with_move_to);
    });
}

bool plix_pathmeasure_is_closed(plix_handle self) { return self && pm(self)->isClosed(); }

bool plix_pathmeasure_next_contour(plix_handle self) {
    return self && guard(false, [&] { return pm(self)->nextContour(); });
}
