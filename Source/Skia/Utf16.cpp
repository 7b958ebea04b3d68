#include "Skia/Utf16.h"

#include <cstdint>

namespace Skia {

std::u16string Utf8ToUtf16(std::string_view AText) {
    constexpr char16_t Replacement = 0xFFFD;
    std::u16string result;
    result.reserve(AText.size());
    size_t i = 0;
    while (i < AText.size()) {
        const auto lead = static_cast<uint8_t>(AText[i]);
        int length;
        uint32_t codePoint;
        uint32_t minimum;
        if (lead < 0x80) {
            result.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, codePoint = lead & 0x1Fu, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, codePoint = lead & 0x0Fu, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, codePoint = lead & 0x07u, minimum = 0x10000;
        } else {
            result.push_back(Replacement);
            ++i;
            continue;
        }
        int taken = 1;
        while (taken < length && i + taken < AText.size() &&
               (static_cast<uint8_t>(AText[i + taken]) & 0xC0) == 0x80) {
            codePoint = (codePoint << 6) | (static_cast<uint8_t>(AText[i + taken]) & 0x3Fu);
            ++taken;
        }
        i += taken;
        if (taken < length || codePoint < minimum || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            result.push_back(Replacement);
        } else if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return result;
}

}  // namespace Skia
