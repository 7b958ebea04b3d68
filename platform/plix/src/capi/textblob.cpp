#include <vector>

#include "capi/Convert.h"
#include "capi/TextHandles.h"
#include "plix/plix.h"
#include "raster/Paint.h"
#include "text/TextBlob.h"

using namespace plix;
using namespace plix::capi;

namespace {

// One run of the text's glyphs with a position (or transform) per glyph from place(i, run).
template <class Place>
plix_handle makeBlob(const void* text, size_t bytes, plix_handle font, int32_t encoding, Place&& place) {
    if (!text || !font || !isValidTextEncoding(encoding)) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        TextRun run;
        if (!textToGlyphRun(text, bytes, TextEncoding(encoding), *fontOf(font), &run)) return 0;
        place(run);
        std::vector<TextRun> runs;
        runs.push_back(std::move(run));
        return to(TextBlob::Make(std::move(runs)));
    });
}

}  // namespace

plix_handle plix_textblob_make_from_text(const void* text, size_t byte_length, plix_handle font, int32_t encoding) {
    return makeBlob(text, byte_length, font, encoding, [&](TextRun& run) {
        run.positions.resize(run.glyphs.size());
        run.font.getPos(run.glyphs.data(), int(run.glyphs.size()), run.positions.data(), {0, 0});
    });
}

plix_handle plix_textblob_make_from_text_horizontally_positioned(const void* text, size_t byte_length,
                                                                 const float* x_positions, float y, plix_handle font,
                                                                 int32_t encoding) {
    if (!x_positions) return 0;
    return makeBlob(text, byte_length, font, encoding, [&](TextRun& run) {
        for (size_t i = 0; i < run.glyphs.size(); ++i) run.positions.push_back({x_positions[i], y});
    });
}

plix_handle plix_textblob_make_from_text_positioned(const void* text, size_t byte_length, const plix_point* positions,
                                                    plix_handle font, int32_t encoding) {
    if (!positions) return 0;
    return makeBlob(text, byte_length, font, encoding, [&](TextRun& run) {
        for (size_t i = 0; i < run.glyphs.size(); ++i) run.positions.push_back(toPoint(positions[i]));
    });
}

plix_handle plix_textblob_make_from_text_transform(const void* text, size_t byte_length, const plix_rsxform* matrices,
                                                   plix_handle font, int32_t encoding) {
    if (!matrices) return 0;
    return makeBlob(text, byte_length, font, encoding, [&](TextRun& run) {
        for (size_t i = 0; i < run.glyphs.size(); ++i) run.xforms.push_back(toRSXform(matrices[i]));
    });
}

void plix_textblob_ref(plix_handle self) {
    if (self) from<TextBlob>(self)->ref();
}

void plix_textblob_unref(plix_handle self) {
    if (self) from<TextBlob>(self)->unref();
}

int32_t plix_textblob_get_intercepts(plix_handle self, const float* bounds, float* result, plix_handle paint) {
    if (!self || !bounds) return 0;
    return guard<int32_t>(0, [&] {
        std::vector<float> out;
        from<TextBlob>(self)->getIntercepts(bounds[0], bounds[1], from<Paint>(paint), &out);
        if (result) std::copy(out.begin(), out.end(), result);
        return int32_t(out.size());
    });
}
