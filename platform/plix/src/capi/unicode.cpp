#include "capi/Handles.h"
#include "plix/plix.h"
#include "text/Unicode.h"

using namespace plix;
using namespace plix::capi;

namespace {
// The service holds nothing yet: ICU keeps its data process-wide.
struct UnicodeService {};
}  // namespace

plix_handle plix_unicode_create(void) {
    return guard<plix_handle>(0, [] { return to(new UnicodeService()); });
}

void plix_unicode_destroy(plix_handle self) { delete from<UnicodeService>(self); }

void plix_unicode_for_each_bidi_region(plix_handle self, const uint16_t* text, int32_t units, int32_t direction,
                                       plix_unicode_bidi_region_proc proc, void* context) {
    if (!self || !text || units <= 0 || !proc || (direction != 0 && direction != 1)) return;
    guard([&] { forEachBidiRegion(text, units, direction == 1, [&](int32_t s, int32_t e, uint8_t l) { proc(s, e, l, context); }); });
}

void plix_unicode_for_each_break(plix_handle self, const uint16_t* text, int32_t units, int32_t type,
                                 plix_unicode_break_proc proc, void* context) {
    if (!self || !text || units <= 0 || !proc || !isValidBreakType(type)) return;
    guard([&] { forEachBreak(text, units, BreakType(type), [&](int32_t p, int32_t s) { proc(p, s, context); }); });
}

void plix_unicode_for_each_codepoint(plix_handle self, const uint16_t* text, int32_t units,
                                     plix_unicode_codepoint_proc proc, void* context) {
    if (!self || !text || units <= 0 || !proc) return;
    guard([&] { forEachCodepoint(text, units, [&](int32_t c, int32_t s, int32_t e) { proc(c, s, e, context); }); });
}

plix_handle plix_unicodebreakiterator_create(plix_handle unicode, int32_t type, const char* text, int32_t units) {
    if (!unicode || !text || units < 0 || !isValidBreakType(type)) return 0;
    return guard<plix_handle>(0, [&] { return to(BreakIterator::MakeUtf8(BreakType(type), text, units).release()); });
}

plix_handle plix_unicodebreakiterator_create2(plix_handle unicode, int32_t type, const uint16_t* text, int32_t units) {
    if (!unicode || !text || units < 0 || !isValidBreakType(type)) return 0;
    return guard<plix_handle>(0, [&] { return to(BreakIterator::MakeUtf16(BreakType(type), text, units).release()); });
}

void plix_unicodebreakiterator_destroy(plix_handle self) { delete from<BreakIterator>(self); }

bool plix_unicodebreakiterator_next(plix_handle self, plix_unicode_break_iterator_elem* elem) {
    if (!self || !elem) return false;
    return guard(false, [&] { return from<BreakIterator>(self)->next(&elem->position, &elem->status); });
}
