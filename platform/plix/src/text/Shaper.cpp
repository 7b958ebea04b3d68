#include "text/Shaper.h"

#include <hb.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "text/FontMgr.h"
#include "text/TextEncoding.h"
#include "text/Unicode.h"

namespace plix {

namespace {

struct Char {
    int32_t unichar;
    uint32_t start, end;  // bytes
};

struct ShapedGlyph {
    uint16_t glyph;
    float advance, dx, dy;
    uint32_t cluster;  // byte offset of its character
    int face;          // index into the faces of the text
};

// Shapes text[start, end) with the typeface into glyphs in logical order.
void shapeRun(const char* text, size_t bytes, uint32_t start, uint32_t end, const Font& font, bool ltr, int face,
              std::vector<ShapedGlyph>* out) {
    const Typeface& tf = *font.typeface();
    const float size = font.size();
    hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(tf.data().data()), unsigned(tf.data().size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* hbFace = hb_face_create(blob, unsigned(tf.faceIndex()));
    hb_font_t* hbFont = hb_font_create(hbFace);
    const int upem = tf.metrics().unitsPerEm;
    hb_font_set_scale(hbFont, upem, upem);
    hb_buffer_t* buf = hb_buffer_create();
    hb_buffer_add_utf8(buf, text, int(bytes), start, int(end - start));
    hb_buffer_set_direction(buf, ltr ? HB_DIRECTION_LTR : HB_DIRECTION_RTL);
    hb_buffer_guess_segment_properties(buf);
    hb_buffer_set_direction(buf, ltr ? HB_DIRECTION_LTR : HB_DIRECTION_RTL);
    hb_shape(hbFont, buf, nullptr, 0);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, nullptr);
    const float scale = size / float(upem);
    // Advances are the font's own (hinted as the font says, as simple text measures them) plus
    // what shaping adds to the nominal advance (kerning, mark placement).
    std::vector<uint16_t> ids(n);
    for (unsigned i = 0; i < n; ++i) ids[i] = uint16_t(info[i].codepoint);
    std::vector<float> widths(n);
    font.getWidthsBounds(ids.data(), int(n), widths.data(), nullptr, nullptr);
    std::vector<ShapedGlyph> run;
    for (unsigned i = 0; i < n; ++i) {
        const float nominal = float(hb_font_get_glyph_h_advance(hbFont, info[i].codepoint));
        const float advance = widths[i] + (float(pos[i].x_advance) - nominal) * scale;
        run.push_back({ids[i], advance, pos[i].x_offset * scale, -pos[i].y_offset * scale, info[i].cluster, face});
    }
    // Right-to-left buffers come out in visual order; keep the logical order for breaking.
    if (!ltr) std::reverse(run.begin(), run.end());
    out->insert(out->end(), run.begin(), run.end());
    hb_buffer_destroy(buf);
    hb_font_destroy(hbFont);
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
}

}  // namespace

sp<TextBlob> shapeText(const char* text, size_t bytes, const Font& font, bool ltr, float width, Point offset,
                       Point* endPoint) {
    if (endPoint) *endPoint = offset;
    const sp<Typeface> primary = font.typefaceOrDefault();
    if (!text || !primary || bytes > size_t(INT32_MAX) || !offset.isFinite()) return nullptr;
    // Characters, and the face of each: the font's where it has the glyph, else a system face.
    std::vector<Char> chars;
    for (size_t i = 0; i < bytes;) {
        int32_t c;
        const size_t n = decodeUtf8(reinterpret_cast<const uint8_t*>(text) + i, bytes - i, &c);
        chars.push_back({c, uint32_t(i), uint32_t(i + n)});
        i += n;
    }
    std::vector<sp<Typeface>> faces{primary};
    std::map<uint32_t, int> faceOfID{{primary->uniqueID(), 0}};
    std::vector<int> faceOf(chars.size(), 0);
    std::map<int32_t, int> fallbackOf;
    for (size_t i = 0; i < chars.size(); ++i) {
        const int32_t c = chars[i].unichar;
        if (primary->unicharToGlyph(c) || c < 0x20 || c == 0x200D || (c >= 0x300 && c < 0x370) || c == 0xFE0F) {
            faceOf[i] = (i > 0 && !primary->unicharToGlyph(c)) ? faceOf[i - 1] : 0;
            continue;
        }
        auto it = fallbackOf.find(c);
        if (it == fallbackOf.end()) {
            int index = 0;
            if (sp<Typeface> tf = matchCharacter(c, primary->style())) {
                auto [f, added] = faceOfID.emplace(tf->uniqueID(), int(faces.size()));
                if (added) faces.push_back(tf);
                index = f->second;
            }
            it = fallbackOf.emplace(c, index).first;
        }
        faceOf[i] = it->second;
    }
    // Shape each run of one face.
    std::vector<ShapedGlyph> glyphs;
    for (size_t i = 0; i < chars.size();) {
        size_t j = i + 1;
        while (j < chars.size() && faceOf[j] == faceOf[i]) ++j;
        Font runFont = font;
        runFont.setTypeface(faces[size_t(faceOf[i])]);
        shapeRun(text, bytes, chars[i].start, chars[j - 1].end, runFont, ltr, faceOf[i], &glyphs);
        i = j;
    }
    if (glyphs.empty()) return nullptr;

    // Line breaks: opportunities (soft) and forced ones, by byte offset.
    std::map<uint32_t, bool> breaks;  // offset -> forced
    if (auto it = BreakIterator::MakeUtf8(BreakType::Lines, text, int32_t(bytes))) {
        for (int32_t p, s; it->next(&p, &s);) breaks[uint32_t(p)] = s >= 100 && s < 200;
    }
    // Greedy lines over the glyphs in logical order: [start, end) glyph ranges.
    std::vector<std::pair<size_t, size_t>> lines;
    size_t lineStart = 0, lastBreak = 0;
    float x = 0, xAtBreak = 0;
    for (size_t g = 0; g < glyphs.size(); ++g) {
        const uint32_t cluster = glyphs[g].cluster;
        if (g > lineStart) {
            auto b = breaks.find(cluster);
            if (b != breaks.end() && glyphs[g - 1].cluster != cluster) {
                if (b->second) {  // forced: the line ends before this glyph
                    lines.push_back({lineStart, g});
                    lineStart = g, x = 0, lastBreak = g, xAtBreak = 0;
                } else {
                    lastBreak = g, xAtBreak = x;
                }
            }
        }
        // Spaces may hang past the width; anything else moves to a new line.
        const char ch = text[cluster];
        const bool space = ch == ' ' || ch == '\t';
        if (!space && x + glyphs[g].advance > width && g > lineStart && std::isfinite(width)) {
            const size_t at = lastBreak > lineStart ? lastBreak : g;
            lines.push_back({lineStart, at});
            x -= at == g ? x : xAtBreak;
            lineStart = at, lastBreak = at, xAtBreak = 0;
        }
        x += glyphs[g].advance;
    }
    lines.push_back({lineStart, glyphs.size()});

    FontMetrics m;
    const float spacing = font.getMetrics(&m);
    std::vector<TextRun> runs;
    float y = offset.y - m.ascent, endX = offset.x;
    for (const auto& [a, b] : lines) {
        // Visual order: right-to-left lines run backwards.
        std::vector<size_t> order;
        for (size_t g = a; g < b; ++g) order.push_back(g);
        if (!ltr) std::reverse(order.begin(), order.end());
        float px = offset.x;
        for (size_t k = 0; k < order.size();) {
            const int face = glyphs[order[k]].face;
            TextRun run;
            run.font = font;
            run.font.setTypeface(faces[size_t(face)]);
            for (; k < order.size() && glyphs[order[k]].face == face; ++k) {
                const ShapedGlyph& sg = glyphs[order[k]];
                run.glyphs.push_back(sg.glyph);
                run.positions.push_back({px + sg.dx, y + sg.dy});
                px += sg.advance;
            }
            runs.push_back(std::move(run));
        }
        endX = px;
        y += spacing;
    }
    if (endPoint) *endPoint = {endX, y - spacing + m.descent};
    return TextBlob::Make(std::move(runs));
}

}  // namespace plix
