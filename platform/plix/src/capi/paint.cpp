#include <algorithm>
#include <cmath>
#include <memory>

#include "capi/Convert.h"
#include "geometry/Path.h"
#include "plix/plix.h"
#include "raster/Draw.h"
#include "raster/Paint.h"

using namespace plix;
using namespace plix::capi;

namespace {

Paint* pt(plix_handle h) { return from<Paint>(h); }

// An attached object handed out with a reference of its own.
template <class T>
plix_handle share(const sp<T>& p) {
    return p ? to(sp<T>(p)) : 0;
}

}  // namespace

plix_handle plix_paint_create(void) {
    return guard<plix_handle>(0, [] { return to(new Paint()); });
}

plix_handle plix_paint_create2(plix_handle paint) {
    if (!paint) return 0;
    return guard<plix_handle>(0, [&] { return to(new Paint(*pt(paint))); });
}

void plix_paint_destroy(plix_handle self) { delete pt(self); }

void plix_paint_reset(plix_handle self) {
    if (self) *pt(self) = Paint();
}

uint8_t plix_paint_get_alpha(plix_handle self) {
    return self ? uint8_t(std::lround(std::clamp(pt(self)->alpha(), 0.0f, 1.0f) * 255)) : 0;
}
float plix_paint_get_alphaf(plix_handle self) { return self ? pt(self)->alpha() : 0; }
bool plix_paint_get_anti_alias(plix_handle self) { return self && pt(self)->antiAlias; }
bool plix_paint_get_dither(plix_handle self) { return self && pt(self)->dither; }
uint32_t plix_paint_get_color(plix_handle self) { return self ? pt(self)->colorARGB() : 0; }
void plix_paint_get_colorf(plix_handle self, plix_color4f* result) {
    if (!result) return;
    *result = {};
    if (self) *result = {pt(self)->color[0], pt(self)->color[1], pt(self)->color[2], pt(self)->color[3]};
}
int32_t plix_paint_get_stroke_cap(plix_handle self) { return self ? int32_t(pt(self)->cap) : 0; }
int32_t plix_paint_get_stroke_join(plix_handle self) { return self ? int32_t(pt(self)->join) : 0; }
float plix_paint_get_stroke_miter(plix_handle self) { return self ? pt(self)->strokeMiter : 0; }
float plix_paint_get_stroke_width(plix_handle self) { return self ? pt(self)->strokeWidth : 0; }
int32_t plix_paint_get_style(plix_handle self) { return self ? int32_t(pt(self)->style) : 0; }

plix_handle plix_paint_get_blender(plix_handle self) { return self ? share(pt(self)->blender) : 0; }
plix_handle plix_paint_get_color_filter(plix_handle self) { return self ? share(pt(self)->colorFilter) : 0; }
plix_handle plix_paint_get_image_filter(plix_handle self) { return self ? share(pt(self)->imageFilter) : 0; }
plix_handle plix_paint_get_mask_filter(plix_handle self) { return self ? share(pt(self)->maskFilter) : 0; }
plix_handle plix_paint_get_path_effect(plix_handle self) { return self ? share(pt(self)->pathEffect) : 0; }
plix_handle plix_paint_get_shader(plix_handle self) { return self ? share(pt(self)->shader) : 0; }

void plix_paint_set_alpha(plix_handle self, uint8_t value) {
    if (self) pt(self)->setAlpha(value / 255.0f);
}
void plix_paint_set_alphaf(plix_handle self, float value) {
    if (self && !std::isnan(value)) pt(self)->setAlpha(std::clamp(value, 0.0f, 1.0f));
}
void plix_paint_set_antialias(plix_handle self, bool value) {
    if (self) pt(self)->antiAlias = value;
}
void plix_paint_set_dither(plix_handle self, bool value) {
    if (self) pt(self)->dither = value;
}
void plix_paint_set_argb(plix_handle self, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    if (self) pt(self)->setColor(uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b);
}
void plix_paint_set_color(plix_handle self, uint32_t value) {
    if (self) pt(self)->setColor(value);
}
void plix_paint_set_colorf(plix_handle self, const plix_color4f* value, plix_handle color_space) {
    if (!self || !value) return;
    guard([&] {
        float c[4] = {value->r, value->g, value->b, std::clamp(value->a, 0.0f, 1.0f)};
        if (std::isnan(value->a)) c[3] = 0;
        // Paints keep sRGB; a colour in another space is converted.
        if (ColorSpace* cs = from<ColorSpace>(color_space)) ColorSpaceXform(cs, ColorSpace::MakeSRGB().get()).apply(c);
        pt(self)->color = {c[0], c[1], c[2], c[3]};
    });
}
void plix_paint_set_stroke_cap(plix_handle self, int32_t value) {
    if (self && value >= 0 && value <= 2) pt(self)->cap = StrokeCap(value);
}
void plix_paint_set_stroke_join(plix_handle self, int32_t value) {
    if (self && value >= 0 && value <= 2) pt(self)->join = StrokeJoin(value);
}
// Negative (or NaN) widths and miter limits are ignored.
void plix_paint_set_stroke_miter(plix_handle self, float value) {
    if (self && value >= 0) pt(self)->strokeMiter = value;
}
void plix_paint_set_stroke_width(plix_handle self, float value) {
    if (self && value >= 0) pt(self)->strokeWidth = value;
}
void plix_paint_set_style(plix_handle self, int32_t value) {
    if (self && value >= 0 && value <= 2) pt(self)->style = PaintStyle(value);
}

void plix_paint_set_blender(plix_handle self, plix_handle value) {
    if (self) pt(self)->blender = sp_ref(from<Blender>(value));
}
void plix_paint_set_color_filter(plix_handle self, plix_handle value) {
    if (self) pt(self)->colorFilter = sp_ref(from<ColorFilter>(value));
}
void plix_paint_set_image_filter(plix_handle self, plix_handle value) {
    if (self) pt(self)->imageFilter = sp_ref(from<RefCnt>(value));
}
void plix_paint_set_mask_filter(plix_handle self, plix_handle value) {
    if (self) pt(self)->maskFilter = sp_ref(from<RefCnt>(value));
}
void plix_paint_set_path_effect(plix_handle self, plix_handle value) {
    if (self) pt(self)->pathEffect = sp_ref(from<RefCnt>(value));
}
void plix_paint_set_shader(plix_handle self, plix_handle value) {
    if (self) pt(self)->shader = sp_ref(from<Shader>(value));
}

plix_handle plix_paint_get_fill_path(plix_handle self, plix_handle path, const plix_rect* cull_rect, float res_scale) {
    (void)cull_rect;  // the whole outline is returned; culling is only an optimisation
    if (!self || !path) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!(res_scale > 0) || !std::isfinite(res_scale)) res_scale = 1;
        auto out = std::make_unique<Path>();
        if (!fillPathOf(*from<Path>(path), *pt(self), res_scale, out.get())) return 0;
        return to(out.release());
    });
}
