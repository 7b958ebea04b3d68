#include "Skia/Unicode.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

namespace {
const uint16_t* Units(const std::u16string& AText) { return reinterpret_cast<const uint16_t*>(AText.data()); }
int32_t Length(const std::u16string& AText) { return static_cast<int32_t>(AText.size()); }
}  // namespace

Ref<ISkUnicode> TSkUnicode::Create() { return WrapCreated<TSkUnicode>(API::plix_unicode_create()); }

void TSkUnicode::__DestroyHandle(NativeUInt AHandle) { API::plix_unicode_destroy(AHandle); }

void TSkUnicode::ForEachBidiRegion(const std::u16string& AText, TSkDirection ADirection,
                                   const std::function<void(int32_t, int32_t, uint8_t)>& AProc) {
    if (!AProc) return;
    API::plix_unicode_for_each_bidi_region(
        Handle(), Units(AText), Length(AText), Marshal::Ord(ADirection),
        [](int32_t s, int32_t e, uint8_t l, void* c) { (*static_cast<const std::function<void(int32_t, int32_t, uint8_t)>*>(c))(s, e, l); },
        const_cast<void*>(static_cast<const void*>(&AProc)));
}

void TSkUnicode::ForEachBreak(const std::u16string& AText, TSkUnicodeBreakType AType,
                              const std::function<void(int32_t, int32_t)>& AProc) {
    if (!AProc) return;
    API::plix_unicode_for_each_break(
        Handle(), Units(AText), Length(AText), Marshal::Ord(AType),
        [](int32_t p, int32_t s, void* c) { (*static_cast<const std::function<void(int32_t, int32_t)>*>(c))(p, s); },
        const_cast<void*>(static_cast<const void*>(&AProc)));
}

void TSkUnicode::ForEachCodepoint(const std::u16string& AText,
                                  const std::function<void(int32_t, int32_t, int32_t)>& AProc) {
    if (!AProc) return;
    API::plix_unicode_for_each_codepoint(
        Handle(), Units(AText), Length(AText),
        [](int32_t u, int32_t s, int32_t e, void* c) {
            (*static_cast<const std::function<void(int32_t, int32_t, int32_t)>*>(c))(u, s, e);
        },
        const_cast<void*>(static_cast<const void*>(&AProc)));
}

Ref<ISkUnicodeBreakIterator> TSkUnicode::GetBreaks(const std::u16string& AText, TSkUnicodeBreakType AType) {
    // A copy on the heap goes to the wrapper: its buffer, which the native walk reads, never moves.
    auto text = std::make_unique<std::u16string>(AText);
    const NativeUInt handle =
        API::plix_unicodebreakiterator_create2(Handle(), Marshal::Ord(AType), Units(*text), Length(*text));
    if (!handle) return nullptr;
    return SkNew<TUnicodeBreakIterator>(handle, true, std::move(text));
}

bool TSkUnicode::TUnicodeBreakIterator::MoveNext() {
    plix_unicode_break_iterator_elem elem{};
    if (!API::plix_unicodebreakiterator_next(Handle(), &elem)) return false;
    FCurrent = {elem.position, elem.status};
    return true;
}

void TSkUnicode::TUnicodeBreakIterator::__DestroyHandle(NativeUInt AHandle) {
    API::plix_unicodebreakiterator_destroy(AHandle);
}

}  // namespace Skia
