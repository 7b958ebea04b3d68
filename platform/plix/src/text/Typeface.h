// A loaded font face. The font file's bytes stay in memory for the face's life (FreeType reads
// them lazily), and each typeface has a FreeType library of its own, so faces never share
// FreeType state: one lock per typeface serializes its glyph loading, and different typefaces
// work in parallel. What never changes (names, style, metrics, the ASCII glyph map) is read once
// at load.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/RefCnt.h"
#include "text/FontStyle.h"

typedef struct FT_FaceRec_* FT_Face;
typedef struct FT_LibraryRec_* FT_Library;

namespace plix {

class ReadStream;

// Face-wide metrics in font units (y up, as stored in the font).
struct FaceMetrics {
    int unitsPerEm = 1000;
    float ascender = 0, descender = 0, lineGap = 0;  // descender is negative
    float xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    float avgCharWidth = 0, xHeight = 0, capHeight = 0;
    float underlinePosition = 0, underlineThickness = 0;
    float strikeoutPosition = 0, strikeoutThickness = 0;
    bool hasUnderline = false, hasStrikeout = false, hasBounds = false;
};

class Typeface final : public RefCnt {
public:
    // Null when the bytes hold no face at index (damaged data, index out of range).
    static sp<Typeface> MakeFromData(std::vector<uint8_t> data, int index);
    static sp<Typeface> MakeFromFile(const char* path, int index);
    // Reads the rest of the stream during the call.
    static sp<Typeface> MakeFromStream(ReadStream& stream, int index);

    ~Typeface() override;

    uint32_t uniqueID() const { return fID; }
    const std::string& familyName() const { return fFamily; }
    FontStyle style() const { return fStyle; }
    int glyphCount() const { return fGlyphCount; }
    const FaceMetrics& metrics() const { return fMetrics; }
    bool hasOutlines() const { return fScalable; }
    bool hasBitmaps() const { return fHasBitmaps; }
    bool hasColor() const { return fHasColor; }
    // The font file's bytes and the face's index in it (for the shaper).
    const std::vector<uint8_t>& data() const { return fData; }
    int faceIndex() const { return fIndex; }

    // 0 for a code point the face lacks (and for invalid ones).
    uint16_t unicharToGlyph(int32_t unichar) const;

    // Runs f(face) while holding the face's lock.
    template <class F>
    decltype(auto) withFace(F&& f) const {
        std::lock_guard<std::mutex> lock(fMutex);
        return f(fFace);
    }

private:
    Typeface() = default;
    bool init(std::vector<uint8_t> data, int index);

    std::vector<uint8_t> fData;
    FT_Library fLibrary = nullptr;
    FT_Face fFace = nullptr;
    mutable std::mutex fMutex;
    uint32_t fID = 0;
    std::string fFamily;
    FontStyle fStyle;
    int fGlyphCount = 0;
    int fIndex = 0;
    bool fScalable = false, fHasBitmaps = false, fHasColor = false;
    FaceMetrics fMetrics;
    std::array<uint16_t, 128> fAscii{};
};

}  // namespace plix
