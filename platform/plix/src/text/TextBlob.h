// Text blobs: immutable runs of glyphs, each with its font and the glyphs' positions (points or
// rotation-scale transforms), made once and drawn many times.
#pragma once

#include <vector>

#include "core/RefCnt.h"
#include "geometry/Rect.h"
#include "text/Font.h"

namespace plix {

struct Paint;

// x' = scos x - ssin y + tx, y' = ssin x + scos y + ty.
struct RSXform {
    float scos = 1, ssin = 0, tx = 0, ty = 0;
    Matrix toMatrix() const { return Matrix::MakeAll(scos, -ssin, tx, ssin, scos, ty, 0, 0, 1); }
};

struct TextRun {
    Font font;
    std::vector<uint16_t> glyphs;
    std::vector<Point> positions;  // one per glyph, unless xforms are given
    std::vector<RSXform> xforms;   // one per glyph, or empty
};

class TextBlob final : public RefCnt {
public:
    // Null for text with no glyphs or positions that are not finite.
    static sp<TextBlob> Make(std::vector<TextRun> runs);
    // From text laid out with the font's advances from (0, 0).
    static sp<TextBlob> MakeFromText(const void* text, size_t bytes, TextEncoding enc, const Font& font);

    const std::vector<TextRun>& runs() const { return fRuns; }
    // Where the glyphs' images may reach.
    const Rect& bounds() const { return fBounds; }
    uint32_t uniqueID() const { return fID; }
    // Pairs of x where the glyphs cross the band [top, bottom].
    void getIntercepts(float top, float bottom, const Paint* paint, std::vector<float>* out) const;

private:
    explicit TextBlob(std::vector<TextRun> runs);
    std::vector<TextRun> fRuns;
    Rect fBounds;
    uint32_t fID = 0;
};

// The glyphs of text in a run of the font, or false for text with none.
bool textToGlyphRun(const void* text, size_t bytes, TextEncoding enc, const Font& font, TextRun* run);

}  // namespace plix
