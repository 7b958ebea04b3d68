#include <cmath>

#include "canvas/Canvas.h"
#include "canvas/Surface.h"
#include "capi/Convert.h"
#include "capi/OwnedCanvases.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {

Canvas* cv(plix_handle h) { return from<Canvas>(h); }
const Paint& paintOf(plix_handle h) { return *from<Paint>(h); }

bool toClipOp(int32_t op, ClipOp* out) {
    if (op != 0 && op != 1) return false;
    *out = ClipOp(op);
    return true;
}

Color4 toColor4(const plix_color4f& c) { return {c.r, c.g, c.b, c.a}; }

Color4 argbColor(uint32_t argb) {
    Color4 c;
    argbToFloats(argb, c.data());
    return c;
}

}  // namespace

// Frees only canvases handed to the caller; one that belongs to a surface is left alone.
void plix_canvas_destroy(plix_handle self) {
    if (self) guard([&] { destroyCallerCanvas(self); });
}

// ---- state ----

int32_t plix_canvas_save(plix_handle self) { return self ? guard(0, [&] { return cv(self)->save(); }) : 0; }

int32_t plix_canvas_save_layer(plix_handle self, const plix_rect* bounds, plix_handle paint, plix_handle,
                               uint32_t flags) {
    if (!self) return 0;
    return guard(0, [&] {
        const Rect b = bounds ? toRect(*bounds) : Rect();
        return cv(self)->saveLayer(bounds ? &b : nullptr, from<Paint>(paint), flags);
    });
}

int32_t plix_canvas_save_layer_alpha(plix_handle self, const plix_rect* bounds, uint8_t alpha) {
    if (!self) return 0;
    return guard(0, [&] {
        const Rect b = bounds ? toRect(*bounds) : Rect();
        return cv(self)->saveLayerAlpha(bounds ? &b : nullptr, alpha);
    });
}

void plix_canvas_restore(plix_handle self) {
    if (self) guard([&] { cv(self)->restore(); });
}

void plix_canvas_restore_to_count(plix_handle self, int32_t save_count) {
    if (self) guard([&] { cv(self)->restoreToCount(save_count); });
}

int32_t plix_canvas_get_save_count(plix_handle self) { return self ? cv(self)->saveCount() : 0; }

// ---- matrix ----

void plix_canvas_translate(plix_handle self, float dx, float dy) {
    if (self) cv(self)->translate(dx, dy);
}
void plix_canvas_scale(plix_handle self, float sx, float sy) {
    if (self) cv(self)->scale(sx, sy);
}
void plix_canvas_rotate(plix_handle self, float degrees) {
    if (self) cv(self)->rotate(degrees);
}
void plix_canvas_rotate2(plix_handle self, float degrees, float px, float py) {
    if (self) cv(self)->rotate(degrees, px, py);
}
void plix_canvas_skew(plix_handle self, float kx, float ky) {
    if (self) cv(self)->skew(kx, ky);
}
void plix_canvas_concat(plix_handle self, const plix_matrix44* m) {
    if (self && m) cv(self)->concat(toMatrix44(*m));
}
void plix_canvas_concat2(plix_handle self, const plix_matrix* m) {
    if (self && m) cv(self)->concat(toMatrix(*m));
}
void plix_canvas_set_matrix(plix_handle self, const plix_matrix44* m) {
    if (self && m) cv(self)->setMatrix(toMatrix44(*m));
}
void plix_canvas_set_matrix2(plix_handle self, const plix_matrix* m) {
    if (self && m) cv(self)->setMatrix(toMatrix(*m));
}
void plix_canvas_reset_matrix(plix_handle self) {
    if (self) cv(self)->resetMatrix();
}
void plix_canvas_get_local_to_device(plix_handle self, plix_matrix44* result) {
    if (result) *result = fromMatrix44(self ? cv(self)->localToDevice() : Matrix44());
}
void plix_canvas_get_local_to_device_as_3x3(plix_handle self, plix_matrix* result) {
    if (result) *result = fromMatrix(self ? cv(self)->localToDevice3x3() : Matrix());
}

// ---- clip ----

void plix_canvas_clip_rect(plix_handle self, const plix_rect* rect, int32_t op, bool anti_alias) {
    ClipOp o;
    if (self && rect && toClipOp(op, &o)) guard([&] { cv(self)->clipRect(toRect(*rect), o, anti_alias); });
}

void plix_canvas_clip_rrect(plix_handle self, plix_handle rrect, int32_t op, bool anti_alias) {
    ClipOp o;
    if (self && rrect && toClipOp(op, &o)) guard([&] { cv(self)->clipRRect(*from<RRect>(rrect), o, anti_alias); });
}

void plix_canvas_clip_path(plix_handle self, plix_handle path, int32_t op, bool anti_alias) {
    ClipOp o;
    if (self && path && toClipOp(op, &o)) guard([&] { cv(self)->clipPath(*from<Path>(path), o, anti_alias); });
}

void plix_canvas_clip_shader(plix_handle self, plix_handle shader, int32_t op) {
    ClipOp o;
    if (self && shader && toClipOp(op, &o)) guard([&] { cv(self)->clipShader(sp_ref(from<Shader>(shader)), o); });
}

void plix_canvas_get_device_clip_bounds(plix_handle self, plix_irect* result) {
    if (result) *result = fromIRect(self ? cv(self)->deviceClipBounds() : IRect());
}

void plix_canvas_get_local_clip_bounds(plix_handle self, plix_rect* result) {
    if (result) *result = fromRect(self ? cv(self)->localClipBounds() : Rect());
}

bool plix_canvas_quick_reject(plix_handle self, const plix_rect* rect) {
    return !self || !rect || cv(self)->quickReject(toRect(*rect));
}

bool plix_canvas_quick_reject2(plix_handle self, plix_handle path) {
    return !self || !path || cv(self)->quickReject(*from<Path>(path));
}

void plix_canvas_get_base_props(plix_handle self, plix_surface_props* result) {
    if (result) *result = self ? fromProps(cv(self)->props()) : plix_surface_props{};
}

void plix_canvas_get_top_props(plix_handle self, plix_surface_props* result) {
    plix_canvas_get_base_props(self, result);
}

plix_handle plix_canvas_make_surface(plix_handle self, const plix_imageinfo* image_info,
                                     const plix_surface_props* props) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        ImageInfo info;
        if (!toImageInfo(image_info, &info)) return 0;
        const SurfaceProps p = props ? toProps(*props) : SurfaceProps();
        return to(cv(self)->makeSurface(info, props ? &p : nullptr));
    });
}

// ---- drawing ----

void plix_canvas_clear(plix_handle self, uint32_t color) {
    if (self) guard([&] { cv(self)->clear(argbColor(color)); });
}

void plix_canvas_clear2(plix_handle self, const plix_color4f* color) {
    if (self && color) guard([&] { cv(self)->clear(toColor4(*color)); });
}

void plix_canvas_discard(plix_handle self) {
    if (self) cv(self)->discard();
}

void plix_canvas_draw_color(plix_handle self, uint32_t color, int32_t blend_mode) {
    if (self && isValidBlendMode(blend_mode))
        guard([&] { cv(self)->drawColor(argbColor(color), BlendMode(blend_mode)); });
}

void plix_canvas_draw_color2(plix_handle self, const plix_color4f* color, int32_t blend_mode) {
    if (self && color && isValidBlendMode(blend_mode))
        guard([&] { cv(self)->drawColor(toColor4(*color), BlendMode(blend_mode)); });
}

void plix_canvas_draw_paint(plix_handle self, plix_handle paint) {
    if (self && paint) guard([&] { cv(self)->drawPaint(paintOf(paint)); });
}

void plix_canvas_draw_point(plix_handle self, const plix_point* point, plix_handle paint) {
    if (self && point && paint) guard([&] { cv(self)->drawPoint(toPoint(*point), paintOf(paint)); });
}

void plix_canvas_draw_points(plix_handle self, int32_t mode, size_t count, const plix_point* points,
                             plix_handle paint) {
    if (!self || !points || !paint || mode < 0 || mode > 2) return;
    static_assert(sizeof(plix_point) == sizeof(Point));
    guard([&] {
        cv(self)->drawPoints(PointMode(mode), count, reinterpret_cast<const Point*>(points), paintOf(paint));
    });
}

void plix_canvas_draw_line(plix_handle self, const plix_point* point1, const plix_point* point2, plix_handle paint) {
    if (self && point1 && point2 && paint)
        guard([&] { cv(self)->drawLine(toPoint(*point1), toPoint(*point2), paintOf(paint)); });
}

void plix_canvas_draw_rect(plix_handle self, const plix_rect* rect, plix_handle paint) {
    if (self && rect && paint) guard([&] { cv(self)->drawRect(toRect(*rect), paintOf(paint)); });
}

void plix_canvas_draw_oval(plix_handle self, const plix_rect* oval, plix_handle paint) {
    if (self && oval && paint) guard([&] { cv(self)->drawOval(toRect(*oval), paintOf(paint)); });
}

void plix_canvas_draw_circle(plix_handle self, const plix_point* center, float radius, plix_handle paint) {
    if (self && center && paint) guard([&] { cv(self)->drawCircle(toPoint(*center), radius, paintOf(paint)); });
}

void plix_canvas_draw_arc(plix_handle self, const plix_rect* oval, float start_angle, float sweep_angle,
                          bool use_center, plix_handle paint) {
    if (self && oval && paint)
        guard([&] { cv(self)->drawArc(toRect(*oval), start_angle, sweep_angle, use_center, paintOf(paint)); });
}

void plix_canvas_draw_rrect(plix_handle self, plix_handle rrect, plix_handle paint) {
    if (self && rrect && paint) guard([&] { cv(self)->drawRRect(*from<RRect>(rrect), paintOf(paint)); });
}

void plix_canvas_draw_rrect2(plix_handle self, const plix_rect* rect, float radius_x, float radius_y,
                             plix_handle paint) {
    if (self && rect && paint)
        guard([&] { cv(self)->drawRRect(RRect::MakeRectXY(toRect(*rect), radius_x, radius_y), paintOf(paint)); });
}

void plix_canvas_draw_rrect_difference(plix_handle self, plix_handle outer, plix_handle inner, plix_handle paint) {
    if (self && outer && inner && paint)
        guard([&] { cv(self)->drawDRRect(*from<RRect>(outer), *from<RRect>(inner), paintOf(paint)); });
}

void plix_canvas_draw_path(plix_handle self, plix_handle path, plix_handle paint) {
    if (self && path && paint) guard([&] { cv(self)->drawPath(*from<Path>(path), paintOf(paint)); });
}

void plix_canvas_draw_image(plix_handle self, plix_handle image, float x, float y,
                            const plix_sampling_options* sampling, plix_handle paint) {
    SamplingOptions s;
    if (self && image && toSampling(sampling, &s))
        guard([&] { cv(self)->drawImage(*from<Image>(image), x, y, s, from<Paint>(paint)); });
}

void plix_canvas_draw_image_rect(plix_handle self, plix_handle image, const plix_rect* src, const plix_rect* dest,
                                 const plix_sampling_options* sampling, plix_handle paint, int32_t constraint) {
    SamplingOptions s;
    if (!self || !image || !dest || !toSampling(sampling, &s) || (constraint != 0 && constraint != 1)) return;
    guard([&] {
        const Image& im = *from<Image>(image);
        const Rect srcRect = src ? toRect(*src) : Rect::Make(im.bounds());
        cv(self)->drawImageRect(im, srcRect, toRect(*dest), s, from<Paint>(paint), SrcRectConstraint(constraint));
    });
}

void plix_canvas_draw_image_nine(plix_handle self, plix_handle image, const plix_irect* center, const plix_rect* dest,
                                 int32_t filter_mode, plix_handle paint) {
    if (!self || !image || !center || !dest || !isValidFilterMode(filter_mode)) return;
    guard([&] {
        cv(self)->drawImageNine(*from<Image>(image), toIRect(*center), toRect(*dest), FilterMode(filter_mode),
                                from<Paint>(paint));
    });
}

void plix_canvas_draw_image_lattice(plix_handle self, plix_handle image, const plix_lattice* lattice,
                                    const plix_rect* dest, int32_t filter_mode, plix_handle paint) {
    if (!self || !image || !lattice || !dest || !isValidFilterMode(filter_mode)) return;
    guard([&] {
        static_assert(sizeof(plix_irect) == sizeof(IRect));
        Lattice l;
        l.xDivs = lattice->x_divs, l.yDivs = lattice->y_divs, l.rectTypes = lattice->rect_types;
        l.xCount = lattice->x_count, l.yCount = lattice->y_count;
        l.colors = lattice->colors;
        const IRect bounds = lattice->bounds ? toIRect(*lattice->bounds) : IRect();
        l.bounds = lattice->bounds ? &bounds : nullptr;
        cv(self)->drawImageLattice(*from<Image>(image), l, toRect(*dest), FilterMode(filter_mode),
                                   from<Paint>(paint));
    });
}
