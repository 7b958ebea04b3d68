#include <vector>

#include "capi/Convert.h"
#include "capi/TextHandles.h"
#include "plix/plix.h"
#include "raster/Paint.h"
#include "text/Font.h"

using namespace plix;
using namespace plix::capi;

namespace {
const Paint* paintOrNull(plix_handle h) { return from<Paint>(h); }
}  // namespace

plix_handle plix_font_create(plix_handle typeface, float size, float scale_x, float skew_x) {
    return guard<plix_handle>(0, [&] { return to(new Font(sp_ref(from<Typeface>(typeface)), size, scale_x, skew_x)); });
}

plix_handle plix_font_create2(plix_handle font) {
    if (!font) return 0;
    return guard<plix_handle>(0, [&] { return to(new Font(*fontOf(font))); });
}

void plix_font_destroy(plix_handle self) { delete fontOf(self); }

// ---- settings ----

bool plix_font_get_baseline_snap(plix_handle self) { return self && fontOf(self)->baselineSnap(); }
int32_t plix_font_get_edging(plix_handle self) { return self ? int32_t(fontOf(self)->edging()) : 0; }
bool plix_font_get_embedded_bitmaps(plix_handle self) { return self && fontOf(self)->embeddedBitmaps(); }
bool plix_font_get_embolden(plix_handle self) { return self && fontOf(self)->embolden(); }
bool plix_font_get_force_auto_hinting(plix_handle self) { return self && fontOf(self)->forceAutoHinting(); }
int32_t plix_font_get_hinting(plix_handle self) { return self ? int32_t(fontOf(self)->hinting()) : 0; }
bool plix_font_get_linear_metrics(plix_handle self) { return self && fontOf(self)->linearMetrics(); }
float plix_font_get_scale_x(plix_handle self) { return self ? fontOf(self)->scaleX() : 0; }
float plix_font_get_size(plix_handle self) { return self ? fontOf(self)->size() : 0; }
float plix_font_get_skew_x(plix_handle self) { return self ? fontOf(self)->skewX() : 0; }
bool plix_font_get_subpixel(plix_handle self) { return self && fontOf(self)->subpixel(); }

plix_handle plix_font_get_typeface(plix_handle self) {
    return self ? to(sp<Typeface>(fontOf(self)->typeface())) : 0;
}

plix_handle plix_font_get_typeface_or_default(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(fontOf(self)->typefaceOrDefault()); });
}

void plix_font_set_baseline_snap(plix_handle self, bool value) { if (self) fontOf(self)->setBaselineSnap(value); }
void plix_font_set_edging(plix_handle self, int32_t value) {
    if (self && isValidFontEdging(value)) fontOf(self)->setEdging(FontEdging(value));
}
void plix_font_set_embedded_bitmaps(plix_handle self, bool value) { if (self) fontOf(self)->setEmbeddedBitmaps(value); }
void plix_font_set_embolden(plix_handle self, bool value) { if (self) fontOf(self)->setEmbolden(value); }
void plix_font_set_force_auto_hinting(plix_handle self, bool value) {
    if (self) fontOf(self)->setForceAutoHinting(value);
}
void plix_font_set_hinting(plix_handle self, int32_t value) {
    if (self && isValidFontHinting(value)) fontOf(self)->setHinting(FontHinting(value));
}
void plix_font_set_linear_metrics(plix_handle self, bool value) { if (self) fontOf(self)->setLinearMetrics(value); }
void plix_font_set_scale_x(plix_handle self, float value) { if (self) fontOf(self)->setScaleX(value); }
void plix_font_set_size(plix_handle self, float value) { if (self) fontOf(self)->setSize(value); }
void plix_font_set_skew_x(plix_handle self, float value) { if (self) fontOf(self)->setSkewX(value); }
void plix_font_set_subpixel(plix_handle self, bool value) { if (self) fontOf(self)->setSubpixel(value); }
void plix_font_set_typeface(plix_handle self, plix_handle typeface) {
    if (self) fontOf(self)->setTypeface(sp_ref(from<Typeface>(typeface)));
}

bool plix_font_is_equal(plix_handle self, plix_handle font) {
    return self && font && *fontOf(self) == *fontOf(font);
}

// ---- glyphs ----

int32_t plix_font_get_glyphs(plix_handle self, const void* text, size_t byte_length, int32_t encoding,
                             uint16_t* result, int32_t max_count) {
    if (!self || !text || !isValidTextEncoding(encoding)) return 0;
    return guard(0, [&] {
        const size_t n = fontOf(self)->textToGlyphs(text, byte_length, TextEncoding(encoding), result,
                                                    result && max_count > 0 ? size_t(max_count) : 0);
        return int32_t(n > size_t(INT32_MAX) ? INT32_MAX : n);
    });
}

int32_t plix_font_get_glyphs_count(plix_handle self, const void* text, size_t byte_length, int32_t encoding) {
    return plix_font_get_glyphs(self, text, byte_length, encoding, nullptr, 0);
}

uint16_t plix_font_unichar_to_glyph(plix_handle self, int32_t unichar) {
    return self ? guard<uint16_t>(0, [&] { return fontOf(self)->unicharToGlyph(unichar); }) : 0;
}

void plix_font_unichars_to_glyphs(plix_handle self, const int32_t* unichars, int32_t count, uint16_t* result) {
    if (!self || !unichars || !result || count <= 0) return;
    guard([&] {
        const sp<Typeface> tf = fontOf(self)->typefaceOrDefault();
        for (int32_t i = 0; i < count; ++i) result[i] = tf ? tf->unicharToGlyph(unichars[i]) : 0;
    });
}

// ---- measuring ----

void plix_font_get_widths_bounds(plix_handle self, const uint16_t* glyphs, int32_t count, float* widths,
                                 plix_rect* bounds, plix_handle paint) {
    if (!self || !glyphs || count <= 0) return;
    guard([&] {
        std::vector<Rect> boxes(bounds ? size_t(count) : 0);
        fontOf(self)->getWidthsBounds(glyphs, count, widths, bounds ? boxes.data() : nullptr, paintOrNull(paint));
        if (bounds)
            for (int32_t i = 0; i < count; ++i) bounds[i] = fromRect(boxes[size_t(i)]);
    });
}

float plix_font_measure_text(plix_handle self, const void* text, size_t byte_length, int32_t encoding,
                             plix_rect* bounds, plix_handle paint) {
    if (bounds) *bounds = {0, 0, 0, 0};
    if (!self || !text || !isValidTextEncoding(encoding)) return 0;
    return guard(0.0f, [&] {
        Rect b;
        const float w = fontOf(self)->measureText(text, byte_length, TextEncoding(encoding), bounds ? &b : nullptr,
                                                  paintOrNull(paint));
        if (bounds) *bounds = fromRect(b);
        return w;
    });
}

void plix_font_get_horizontal_positions(plix_handle self, const uint16_t* glyphs, int32_t count, float* result,
                                        float origin_x) {
    if (self && glyphs && result && count > 0)
        guard([&] { fontOf(self)->getXPos(glyphs, count, result, origin_x); });
}

void plix_font_get_positions(plix_handle self, const uint16_t* glyphs, int32_t count, plix_point* result,
                             const plix_point* origin) {
    if (!self || !glyphs || !result || count <= 0) return;
    guard([&] {
        std::vector<Point> pos(static_cast<size_t>(count));
        fontOf(self)->getPos(glyphs, count, pos.data(), origin ? toPoint(*origin) : Point{});
        for (int32_t i = 0; i < count; ++i) result[i] = fromPoint(pos[size_t(i)]);
    });
}

float plix_font_get_metrics(plix_handle self, plix_font_metrics* metrics) {
    if (metrics) *metrics = {};
    if (!self) return 0;
    return guard(0.0f, [&] {
        FontMetrics m;
        const float spacing = fontOf(self)->getMetrics(&m);
        if (metrics)
            *metrics = {m.flags, m.top, m.ascent, m.descent, m.bottom, m.leading, m.avgCharWidth, m.maxCharWidth,
                        m.xMin, m.xMax, m.xHeight, m.capHeight, m.underlineThickness, m.underlinePosition,
                        m.strikeoutThickness, m.strikeoutPosition};
        return spacing;
    });
}

plix_handle plix_font_get_path(plix_handle self, uint16_t glyph) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        Path p;
        if (!fontOf(self)->getPath(glyph, &p)) return 0;
        return to(new Path(std::move(p)));
    });
}

void plix_font_get_paths(plix_handle self, const uint16_t* glyphs, int32_t count, plix_font_path_proc proc,
                         void* context) {
    if (!self || !glyphs || !proc || count <= 0) return;
    // Each outline lives for its callback only; glyphs without one pass 0.
    const plix_matrix identity = fromMatrix(Matrix());
    for (int32_t i = 0; i < count; ++i) {
        Path p;
        const bool has = guard(false, [&] { return fontOf(self)->getPath(glyphs[i], &p); });
        proc(has ? to(&p) : 0, &identity, context);
    }
}

size_t plix_font_get_intercepts(plix_handle self, const uint16_t* glyphs, int32_t count, const plix_point* positions,
                                float upper_bounds, float lower_bounds, float* result, plix_handle paint) {
    if (!self || !glyphs || !positions || count <= 0) return 0;
    return guard<size_t>(0, [&] {
        std::vector<Point> pos(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) pos[size_t(i)] = toPoint(positions[i]);
        std::vector<float> out;
        fontOf(self)->getIntercepts(glyphs, count, pos.data(), upper_bounds, lower_bounds, paintOrNull(paint), &out);
        if (result) std::copy(out.begin(), out.end(), result);
        return out.size();
    });
}
