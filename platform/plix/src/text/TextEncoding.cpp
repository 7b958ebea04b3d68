#include "text/TextEncoding.h"

namespace plix {

size_t decodeUtf8(const uint8_t* s, size_t n, int32_t* unichar) {
    const uint8_t b = s[0];
    if (b < 0x80) {
        *unichar = b;
        return 1;
    }
    int need;
    int32_t c, min;
    if (b >= 0xC2 && b <= 0xDF) need = 1, c = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF) need = 2, c = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4) need = 3, c = b & 0x07, min = 0x10000;
    else {
        *unichar = kReplacementCharacter;
        return 1;
    }
    // A broken sequence gives one replacement for its longest valid start (its maximal subpart).
    size_t i = 1;
    for (; i <= size_t(need); ++i) {
        if (i >= n || (s[i] & 0xC0) != 0x80) {
            *unichar = kReplacementCharacter;
            return i;
        }
        c = c << 6 | (s[i] & 0x3F);
        // Overlong forms, surrogates and values past U+10FFFF are refused at the second byte.
        if (i == 1 && ((need == 2 && (c < 0x20 || (c >= 0x360 && c <= 0x37F))) || (need == 3 && (c < 0x10 || c > 0x10F)))) {
            *unichar = kReplacementCharacter;
            return 1;
        }
    }
    *unichar = c >= min ? c : kReplacementCharacter;
    return i;
}

size_t decodeUtf16(const uint16_t* u, size_t n, int32_t* unichar) {
    const uint16_t a = u[0];
    if (a < 0xD800 || a > 0xDFFF) {
        *unichar = a;
        return 1;
    }
    if (a <= 0xDBFF && n > 1 && u[1] >= 0xDC00 && u[1] <= 0xDFFF) {
        *unichar = 0x10000 + ((int32_t(a) - 0xD800) << 10) + (int32_t(u[1]) - 0xDC00);
        return 2;
    }
    *unichar = kReplacementCharacter;
    return 1;
}

size_t countCharacters(const void* text, size_t bytes, TextEncoding enc) {
    size_t n = 0;
    forEachUnichar(text, bytes, enc, [&](int32_t) { ++n; });
    return n;
}

}  // namespace plix
