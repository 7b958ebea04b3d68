// The canvas's text draws: the glyph runs go to the text module's drawing with the top device,
// its clip and the matrix moved to it.
#include <cmath>

#include "canvas/Canvas.h"
#include "text/GlyphRun.h"
#include "text/TextBlob.h"

namespace plix {

void Canvas::drawGlyphs(const GlyphRunView& run, const Paint& paint) {
    if (!run.font || run.count <= 0) return;
    Target t;
    if (target(&t)) drawGlyphRun(t.dt, t.ctm, run, paint);
}

void Canvas::drawTextBlob(const TextBlob& blob, float x, float y, const Paint& paint) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    Target t;
    if (!target(&t)) return;
    for (const TextRun& r : blob.runs()) {
        GlyphRunView run;
        run.font = &r.font;
        run.glyphs = r.glyphs.data();
        run.count = int(r.glyphs.size());
        run.positions = r.xforms.empty() ? r.positions.data() : nullptr;
        run.xforms = r.xforms.empty() ? nullptr : r.xforms.data();
        run.origin = {x, y};
        drawGlyphRun(t.dt, t.ctm, run, paint);
    }
}

}  // namespace plix
