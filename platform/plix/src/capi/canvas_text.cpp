// The canvas's text draws.
#include <vector>

#include "canvas/Canvas.h"
#include "capi/Convert.h"
#include "capi/TextHandles.h"
#include "plix/plix.h"
#include "text/GlyphRun.h"

using namespace plix;
using namespace plix::capi;

namespace {
Canvas* cv(plix_handle h) { return from<Canvas>(h); }
const Paint& paintOf(plix_handle h) { return *from<Paint>(h); }
}  // namespace

// Not shaped: the glyphs of the text at the running sum of their advances.
void plix_canvas_draw_simple_text(plix_handle self, const void* text, size_t byte_length, int32_t encoding, float x,
                                  float y, plix_handle font, plix_handle paint) {
    if (!self || !text || !font || !paint || !isValidTextEncoding(encoding)) return;
    guard([&] {
        TextRun run;
        if (!textToGlyphRun(text, byte_length, TextEncoding(encoding), *fontOf(font), &run)) return;
        run.positions.resize(run.glyphs.size());
        run.font.getPos(run.glyphs.data(), int(run.glyphs.size()), run.positions.data(), {x, y});
        GlyphRunView view;
        view.font = &run.font;
        view.glyphs = run.glyphs.data();
        view.positions = run.positions.data();
        view.count = int(run.glyphs.size());
        cv(self)->drawGlyphs(view, paintOf(paint));
    });
}

void plix_canvas_draw_glyphs(plix_handle self, int32_t count, const uint16_t* glyphs, const plix_point* positions,
                             const plix_point* origin, plix_handle font, plix_handle paint) {
    if (!self || count <= 0 || !glyphs || !positions || !font || !paint) return;
    guard([&] {
        std::vector<Point> pos(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) pos[size_t(i)] = toPoint(positions[i]);
        GlyphRunView view;
        view.font = fontOf(font);
        view.glyphs = glyphs;
        view.positions = pos.data();
        view.count = count;
        view.origin = origin ? toPoint(*origin) : Point{};
        cv(self)->drawGlyphs(view, paintOf(paint));
    });
}

void plix_canvas_draw_glyphs2(plix_handle self, int32_t count, const uint16_t* glyphs, const plix_rsxform* matrices,
                              const plix_point* origin, plix_handle font, plix_handle paint) {
    if (!self || count <= 0 || !glyphs || !matrices || !font || !paint) return;
    guard([&] {
        std::vector<RSXform> xforms(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) xforms[size_t(i)] = toRSXform(matrices[i]);
        GlyphRunView view;
        view.font = fontOf(font);
        view.glyphs = glyphs;
        view.xforms = xforms.data();
        view.count = count;
        view.origin = origin ? toPoint(*origin) : Point{};
        cv(self)->drawGlyphs(view, paintOf(paint));
    });
}

void plix_canvas_draw_text_blob(plix_handle self, plix_handle text_blob, float x, float y, plix_handle paint) {
    if (self && text_blob && paint) guard([&] { cv(self)->drawTextBlob(*from<TextBlob>(text_blob), x, y, paintOf(paint)); });
}
