#include "canvas/Surface.h"
#include "capi/Convert.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
Surface* surf(plix_handle h) { return from<Surface>(h); }
}  // namespace

plix_handle plix_surface_make_raster(const plix_imageinfo* image_info, size_t row_bytes,
                                     const plix_surface_props* props) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        ImageInfo info;
        if (!toImageInfo(image_info, &info)) return 0;
        const SurfaceProps p = props ? toProps(*props) : SurfaceProps();
        return to(Surface::MakeRaster(info, row_bytes, &p));
    });
}

plix_handle plix_surface_make_raster_direct(plix_handle pixmap, plix_surface_raster_release_proc release_proc,
                                            void* release_context, const plix_surface_props* props) {
    if (!pixmap) return 0;
    return guard<plix_handle>(0, [&] {
        const SurfaceProps p = props ? toProps(*props) : SurfaceProps();
        return to(Surface::MakeRasterDirect(*from<Pixmap>(pixmap), release_proc, release_context, &p));
    });
}

plix_handle plix_surface_get_canvas(plix_handle self) { return self ? to(surf(self)->canvas()) : 0; }

void plix_surface_get_props(plix_handle self, plix_surface_props* result) {
    if (result) *result = self ? fromProps(surf(self)->props()) : plix_surface_props{};
}

plix_handle plix_surface_make_image_snapshot(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(surf(self)->makeImageSnapshot()); });
}

plix_handle plix_surface_make_image_snapshot2(plix_handle self, const plix_irect* bounds) {
    if (!self || !bounds) return 0;
    return guard<plix_handle>(0, [&] { return to(surf(self)->makeImageSnapshot(toIRect(*bounds))); });
}

plix_handle plix_surface_peek_pixels(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(new Pixmap(surf(self)->peekPixels())); });
}

bool plix_surface_read_pixels(plix_handle self, plix_handle dest, int32_t src_x, int32_t src_y) {
    if (!self || !dest) return false;
    return guard(false, [&] { return surf(self)->readPixels(*from<Pixmap>(dest), src_x, src_y); });
}

void plix_surface_draw(plix_handle self, plix_handle canvas, float x, float y, plix_handle paint) {
    if (!self || !canvas) return;
    guard([&] { surf(self)->draw(from<Canvas>(canvas), x, y, SamplingOptions(), from<Paint>(paint)); });
}

// Raster surfaces draw at once: there is nothing to flush or submit, and no GPU semaphore to
// wait on.
void plix_surface_flush(plix_handle) {}

void plix_surface_flush_and_submit(plix_handle, const plix_handle*, int32_t, plix_handle, bool) {}
