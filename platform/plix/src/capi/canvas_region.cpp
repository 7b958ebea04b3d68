// Regions on canvases: a region clips in device pixels (the matrix does not apply), and draws
// as a shape in local coordinates like any other.
#include "canvas/Canvas.h"
#include "capi/Convert.h"
#include "geometry/Region.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

void plix_canvas_clip_region(plix_handle self, plix_handle region, int32_t op) {
    if (!self || !region || (op != int32_t(ClipOp::Difference) && op != int32_t(ClipOp::Intersect))) return;
    guard([&] {
        Canvas& c = *from<Canvas>(self);
        const Matrix44 saved = c.localToDevice();
        c.resetMatrix();
        c.clipPath(from<Region>(region)->rectsPath(), ClipOp(op), false);
        c.setMatrix(saved);
    });
}

void plix_canvas_draw_region(plix_handle self, plix_handle region, plix_handle paint) {
    if (!self || !region || !paint) return;
    guard([&] {
        const Region& r = *from<Region>(region);
        const Paint& p = *from<Paint>(paint);
        if (r.isEmpty()) return;
        // A fill covers exactly the rectangles; strokes and path effects follow the outline.
        from<Canvas>(self)->drawPath(p.style == PaintStyle::Fill && !p.pathEffect ? r.rectsPath() : r.boundaryPath(), p);
    });
}
