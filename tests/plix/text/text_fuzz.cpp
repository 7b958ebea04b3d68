// libFuzzer target for typeface loading and drawing: an input is font data. Faces that load are
// measured and drawn (outlines, masks at subpixel phases, a rotated run) on a small surface.
#include <cstdint>
#include <cstring>
#include <vector>

#include "plix/plix.h"

namespace {

struct Bytes {
    const uint8_t* data;
    size_t size, pos;
};

const plix_streamadapter_procs kProcs = {
    [](void* c) { return static_cast<Bytes*>(c)->size; },
    [](void* c) { return static_cast<Bytes*>(c)->pos; },
    [](void* c, void* buffer, size_t n) {
        auto* b = static_cast<Bytes*>(c);
        const size_t k = n < b->size - b->pos ? n : b->size - b->pos;
        if (k) std::memcpy(buffer, b->data + b->pos, k);
        b->pos += k;
        return k;
    },
    [](void* c, size_t p) {
        auto* b = static_cast<Bytes*>(c);
        if (p > b->size) return false;
        b->pos = p;
        return true;
    }};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plix_streamadapter_set_procs(&kProcs);
    Bytes bytes{data, size, 0};
    plix_handle stream = plix_streamadapter_create(&bytes);
    plix_handle tf = plix_typeface_make_from_stream(stream, 0);
    plix_streamadapter_destroy(stream);
    if (!tf) return 0;
    std::vector<uint32_t> px(48 * 48, 0);
    const plix_imageinfo ii{48, 48, 4, 2, 0};
    plix_handle pm = plix_pixmap_create(&ii, px.data(), 48 * 4);
    plix_handle surface = plix_surface_make_raster_direct(pm, nullptr, nullptr, nullptr);
    plix_handle canvas = plix_surface_get_canvas(surface);
    plix_handle paint = plix_paint_create();
    plix_handle font = plix_font_create(tf, 15, 1, 0);
    const char text[] = "Ag\xC3\xA9 fi\xE2\x82\xAC";
    for (int edging = 0; edging < 3; ++edging) {
        plix_font_set_edging(font, edging);
        plix_font_set_hinting(font, edging + 1);
        plix_font_set_subpixel(font, edging == 1);
        plix_canvas_draw_simple_text(canvas, text, sizeof text - 1, 0, 1.3f, 20, font, paint);
    }
    const uint16_t glyphs[] = {0, 1, 2, 3, 7, 300, 65535};
    float widths[7];
    plix_rect bounds[7];
    plix_font_get_widths_bounds(font, glyphs, 7, widths, bounds, 0);
    plix_font_metrics m;
    plix_font_get_metrics(font, &m);
    const plix_rsxform xf[3] = {{0.7f, 0.7f, 10, 30}, {2, 0, 20, 30}, {0, -1, 30, 40}};
    plix_canvas_draw_glyphs2(canvas, 3, glyphs + 1, xf, nullptr, font, paint);
    plix_font_set_size(font, 300);
    plix_canvas_draw_simple_text(canvas, "W", 1, 0, 0, 40, font, paint);
    plix_font_destroy(font);
    plix_paint_destroy(paint);
    plix_refcnt_unref(surface);
    plix_pixmap_destroy(pm);
    plix_refcnt_unref(tf);
    return 0;
}
