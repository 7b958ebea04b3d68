#include "text/Typeface.h"

#include <atomic>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "core/Stream.h"

namespace plix {

namespace {

std::atomic<uint32_t> gNextID{1};

FontStyle styleOf(FT_Face face) {
    FontStyle s;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF) {
        if (os2->usWeightClass >= 1 && os2->usWeightClass <= 1000) s.weight = os2->usWeightClass;
        if (os2->usWidthClass >= 1 && os2->usWidthClass <= 9) s.width = os2->usWidthClass;
        if (os2->fsSelection & (1u << 9)) s.slant = FontSlant::Oblique;
    } else if (face->style_flags & FT_STYLE_FLAG_BOLD) {
        s.weight = 700;
    }
    if (face->style_flags & FT_STYLE_FLAG_ITALIC) s.slant = FontSlant::Italic;
    else if (os2 && os2->version != 0xFFFF && (os2->fsSelection & 1u)) s.slant = FontSlant::Italic;
    return s;
}

FaceMetrics metricsOf(FT_Face face) {
    FaceMetrics m;
    m.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    if (hhea && (hhea->Ascender || hhea->Descender)) {
        m.ascender = hhea->Ascender, m.descender = hhea->Descender, m.lineGap = hhea->Line_Gap;
    } else if (os2 && os2->version != 0xFFFF) {
        m.ascender = os2->sTypoAscender, m.descender = os2->sTypoDescender, m.lineGap = os2->sTypoLineGap;
    } else {
        m.ascender = face->ascender, m.descender = face->descender;
        m.lineGap = float(face->height - face->ascender + face->descender);
    }
    if (FT_IS_SCALABLE(face)) {
        m.xMin = face->bbox.xMin, m.yMin = face->bbox.yMin, m.xMax = face->bbox.xMax, m.yMax = face->bbox.yMax;
        m.hasBounds = m.xMin < m.xMax && m.yMin < m.yMax;
    }
    if (os2 && os2->version != 0xFFFF) {
        m.avgCharWidth = os2->xAvgCharWidth;
        if (os2->version >= 2) m.xHeight = os2->sxHeight, m.capHeight = os2->sCapHeight;
        if (os2->yStrikeoutSize > 0) {
            m.strikeoutThickness = os2->yStrikeoutSize;
            m.strikeoutPosition = os2->yStrikeoutPosition;
            m.hasStrikeout = true;
        }
    }
    if (post && post->underlineThickness > 0) {
        m.underlineThickness = post->underlineThickness;
        m.underlinePosition = post->underlinePosition;
        m.hasUnderline = true;
    }
    return m;
}

}  // namespace

Typeface::~Typeface() {
    if (fFace) FT_Done_Face(fFace);
    if (fLibrary) FT_Done_FreeType(fLibrary);
}

bool Typeface::init(std::vector<uint8_t> data, int index) {
    // The top bits of a FreeType face index pick named instances; only plain faces are asked for.
    if (index < 0 || index > 0xFFFF || data.empty()) return false;
    fData = std::move(data);
    if (FT_Init_FreeType(&fLibrary)) return false;
    if (FT_New_Memory_Face(fLibrary, fData.data(), FT_Long(fData.size()), index, &fFace)) {
        fFace = nullptr;
        return false;
    }
    if (fFace->num_glyphs <= 0) return false;
    // Unicode character maps only; a face without one maps every character to glyph 0.
    if (FT_Select_Charmap(fFace, FT_ENCODING_UNICODE)) {
        for (int i = 0; i < fFace->num_charmaps; ++i) {
            if (fFace->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) {
                FT_Set_Charmap(fFace, fFace->charmaps[i]);
                break;
            }
        }
    }
    fID = gNextID.fetch_add(1, std::memory_order_relaxed);
    fIndex = index;
    fFamily = fFace->family_name ? fFace->family_name : "";
    fStyle = styleOf(fFace);
    fGlyphCount = int(std::min<FT_Long>(fFace->num_glyphs, 65536));
    fScalable = FT_IS_SCALABLE(fFace);
    fHasBitmaps = FT_HAS_FIXED_SIZES(fFace);
    fHasColor = FT_HAS_COLOR(fFace);
    fMetrics = metricsOf(fFace);
    for (int c = 0; c < 128; ++c) {
        const FT_UInt g = FT_Get_Char_Index(fFace, FT_ULong(c));
        fAscii[size_t(c)] = g < FT_UInt(fGlyphCount) ? uint16_t(g) : 0;
    }
    return true;
}

sp<Typeface> Typeface::MakeFromData(std::vector<uint8_t> data, int index) {
    sp<Typeface> tf(new Typeface());
    if (!tf->init(std::move(data), index)) return nullptr;
    return tf;
}

sp<Typeface> Typeface::MakeFromFile(const char* path, int index) {
    if (!path || !*path) return nullptr;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return nullptr;
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) data.insert(data.end(), buffer, buffer + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return nullptr;
    return MakeFromData(std::move(data), index);
}

sp<Typeface> Typeface::MakeFromStream(ReadStream& stream, int index) {
    // A stream that ends short of its length gives what it had: FreeType refuses what is broken.
    std::vector<uint8_t> data;
    stream.readRemaining(data);
    return MakeFromData(std::move(data), index);
}

uint16_t Typeface::unicharToGlyph(int32_t unichar) const {
    if (unichar >= 0 && unichar < 128) return fAscii[size_t(unichar)];
    if (unichar < 0 || unichar > 0x10FFFF || (unichar >= 0xD800 && unichar <= 0xDFFF)) return 0;
    return withFace([&](FT_Face face) -> uint16_t {
        const FT_UInt g = FT_Get_Char_Index(face, FT_ULong(unichar));
        return g < FT_UInt(fGlyphCount) ? uint16_t(g) : 0;
    });
}

}  // namespace plix
