#include "text/Unicode.h"

#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/utext.h>
#include <unicode/utf16.h>

namespace plix {

namespace {

UBreakIteratorType icuType(BreakType t) {
    switch (t) {
        case BreakType::Words: return UBRK_WORD;
        case BreakType::Graphemes: return UBRK_CHARACTER;
        case BreakType::Lines: return UBRK_LINE;
    }
    return UBRK_CHARACTER;
}

}  // namespace

BreakIterator::~BreakIterator() {
    if (fIter) ubrk_close(fIter);
    if (fText) utext_close(fText);
}

std::unique_ptr<BreakIterator> BreakIterator::MakeUtf16(BreakType type, const uint16_t* text, int32_t units) {
    if (!text || units < 0) return nullptr;
    std::unique_ptr<BreakIterator> it(new BreakIterator());
    UErrorCode status = U_ZERO_ERROR;
    it->fIter = ubrk_open(icuType(type), "", reinterpret_cast<const UChar*>(text), units, &status);
    if (U_FAILURE(status)) return nullptr;
    return it;
}

std::unique_ptr<BreakIterator> BreakIterator::MakeUtf8(BreakType type, const char* text, int32_t units) {
    if (!text || units < 0) return nullptr;
    std::unique_ptr<BreakIterator> it(new BreakIterator());
    UErrorCode status = U_ZERO_ERROR;
    it->fText = utext_openUTF8(nullptr, text, units, &status);
    if (U_FAILURE(status)) return nullptr;
    it->fIter = ubrk_open(icuType(type), "", nullptr, 0, &status);
    if (U_FAILURE(status)) return nullptr;
    ubrk_setUText(it->fIter, it->fText, &status);
    if (U_FAILURE(status)) return nullptr;
    return it;
}

bool BreakIterator::next(int32_t* position, int32_t* status) {
    const int32_t p = ubrk_next(fIter);
    if (p == UBRK_DONE) return false;
    *position = p;
    *status = ubrk_getRuleStatus(fIter);
    return true;
}

void forEachBreak(const uint16_t* text, int32_t units, BreakType type,
                  const std::function<void(int32_t, int32_t)>& f) {
    auto it = BreakIterator::MakeUtf16(type, text, units);
    if (!it) return;
    for (int32_t p, s; it->next(&p, &s);) f(p, s);
}

void forEachCodepoint(const uint16_t* text, int32_t units, const std::function<void(int32_t, int32_t, int32_t)>& f) {
    if (!text || units <= 0) return;
    for (int32_t i = 0; i < units;) {
        const int32_t start = i;
        UChar32 c;
        U16_NEXT(text, i, units, c);
        f(U_IS_SURROGATE(c) ? 0xFFFD : c, start, i);
    }
}

void forEachBidiRegion(const uint16_t* text, int32_t units, bool rtl,
                       const std::function<void(int32_t, int32_t, uint8_t)>& f) {
    if (!text || units <= 0) return;
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(units, 0, &status);
    if (U_FAILURE(status) || !bidi) return;
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(text), units, rtl ? 1 : 0, nullptr, &status);
    if (U_SUCCESS(status)) {
        int32_t start = 0;
        while (start < units) {
            int32_t end = units;
            UBiDiLevel level = 0;
            ubidi_getLogicalRun(bidi, start, &end, &level);
            if (end <= start) break;
            f(start, end, level);
            start = end;
        }
    }
    ubidi_close(bidi);
}

}  // namespace plix
