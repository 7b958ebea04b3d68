#include "text/FontMgr.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <mutex>
#include <string>

namespace plix {

namespace {

// Weights and widths of the 100..1000 and 1..9 scales to fontconfig's.
int toFcWeight(int w) {
    if (w < 150) return FC_WEIGHT_THIN;
    if (w < 250) return FC_WEIGHT_EXTRALIGHT;
    if (w < 350) return FC_WEIGHT_LIGHT;
    if (w < 450) return FC_WEIGHT_REGULAR;
    if (w < 550) return FC_WEIGHT_MEDIUM;
    if (w < 650) return FC_WEIGHT_DEMIBOLD;
    if (w < 750) return FC_WEIGHT_BOLD;
    if (w < 850) return FC_WEIGHT_EXTRABOLD;
    return FC_WEIGHT_BLACK;
}
int toFcWidth(int w) {
    static const int k[] = {FC_WIDTH_ULTRACONDENSED, FC_WIDTH_EXTRACONDENSED, FC_WIDTH_CONDENSED,
                            FC_WIDTH_SEMICONDENSED,  FC_WIDTH_NORMAL,         FC_WIDTH_SEMIEXPANDED,
                            FC_WIDTH_EXPANDED,       FC_WIDTH_EXTRAEXPANDED,  FC_WIDTH_ULTRAEXPANDED};
    return k[(w < 1 ? 1 : w > 9 ? 9 : w) - 1];
}

// The loaded faces by file and index, and fontconfig's configuration; all under one lock, as
// fontconfig's configuration is not safe to use from several threads at once.
struct Registry {
    std::mutex mutex;
    FcConfig* config = nullptr;
    bool triedConfig = false;
    std::map<std::pair<std::string, int>, sp<Typeface>> faces;
    sp<Typeface> defaultFace;
    bool triedDefault = false;

    FcConfig* fc() {
        if (!triedConfig) {
            triedConfig = true;
            config = FcInitLoadConfigAndFonts();
        }
        return config;
    }
    ~Registry() {
        faces.clear();
        defaultFace.reset();
        if (config) FcConfigDestroy(config);
    }

    sp<Typeface> load(const std::string& file, int index) {
        auto key = std::make_pair(file, index);
        auto it = faces.find(key);
        if (it != faces.end()) return it->second;
        sp<Typeface> tf = Typeface::MakeFromFile(file.c_str(), index);
        if (tf) faces.emplace(key, tf);
        return tf;
    }

    // Runs fontconfig's match on the pattern and loads the file it names.
    sp<Typeface> matchPattern(FcPattern* pattern) {
        FcConfig* config = fc();
        if (!config || !pattern) return nullptr;
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        sp<Typeface> tf;
        if (match) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
                FcPatternGetInteger(match, FC_INDEX, 0, &index);
                tf = load(reinterpret_cast<const char*>(file), index & 0xFFFF);
            }
            FcPatternDestroy(match);
        }
        return tf;
    }

    FcPattern* patternFor(const char* family, const FontStyle& style) {
        FcPattern* p = FcPatternCreate();
        if (!p) return nullptr;
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family ? family : "sans-serif"));
        FcPatternAddInteger(p, FC_WEIGHT, toFcWeight(style.weight));
        FcPatternAddInteger(p, FC_WIDTH, toFcWidth(style.width));
        FcPatternAddInteger(p, FC_SLANT, style.slant == FontSlant::Upright ? FC_SLANT_ROMAN
                                         : style.slant == FontSlant::Italic ? FC_SLANT_ITALIC
                                                                            : FC_SLANT_OBLIQUE);
        FcPatternAddBool(p, FC_SCALABLE, FcTrue);
        return p;
    }
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

sp<Typeface> matchFamilyStyle(const char* family, const FontStyle& style) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    FcPattern* p = r.patternFor(family && *family ? family : nullptr, style);
    sp<Typeface> tf = r.matchPattern(p);
    if (p) FcPatternDestroy(p);
    if (!tf && family) {
        // fontconfig answers an unknown family with its best guess; a failed load of that falls
        // back to the default family.
        FcPattern* q = r.patternFor(nullptr, style);
        tf = r.matchPattern(q);
        if (q) FcPatternDestroy(q);
    }
    return tf;
}

sp<Typeface> defaultTypeface() {
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (r.triedDefault) return r.defaultFace;
    }
    sp<Typeface> tf = matchFamilyStyle(nullptr, FontStyle::Normal());
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.triedDefault) {
        r.triedDefault = true;
        r.defaultFace = tf;
    }
    return r.defaultFace;
}

sp<Typeface> matchCharacter(int32_t unichar, const FontStyle& style) {
    if (unichar < 0 || unichar > 0x10FFFF) return nullptr;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    FcPattern* p = r.patternFor(nullptr, style);
    if (!p) return nullptr;
    FcCharSet* cs = FcCharSetCreate();
    FcCharSetAddChar(cs, FcChar32(unichar));
    FcPatternAddCharSet(p, FC_CHARSET, cs);
    FcCharSetDestroy(cs);
    sp<Typeface> tf = r.matchPattern(p);
    FcPatternDestroy(p);
    if (tf && !tf->unicharToGlyph(unichar)) return nullptr;
    return tf;
}

}  // namespace plix
