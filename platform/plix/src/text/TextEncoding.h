// Text in the C API's encodings, decoded to code points. Broken sequences (invalid UTF-8, lone
// surrogates, values beyond U+10FFFF) decode to U+FFFD each, so every text decodes safely;
// a trailing partial code unit is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plix {

enum class TextEncoding : int32_t { UTF8, UTF16, UTF32, GlyphID };

constexpr bool isValidTextEncoding(int32_t e) { return e >= 0 && e <= 3; }
constexpr int32_t kReplacementCharacter = 0xFFFD;

// Calls f(unichar) for each character; for GlyphID, f gets each glyph id.
template <class F>
void forEachUnichar(const void* text, size_t bytes, TextEncoding enc, F&& f);

// The number of characters (or glyphs) of the text.
size_t countCharacters(const void* text, size_t bytes, TextEncoding enc);

// Decodes one UTF-8 character starting at s (n > 0 bytes); returns the bytes used.
size_t decodeUtf8(const uint8_t* s, size_t n, int32_t* unichar);
// Decodes one UTF-16 character from units u (n > 0); returns the units used.
size_t decodeUtf16(const uint16_t* u, size_t n, int32_t* unichar);

template <class F>
void forEachUnichar(const void* text, size_t bytes, TextEncoding enc, F&& f) {
    if (!text) return;
    const auto* p = static_cast<const uint8_t*>(text);
    switch (enc) {
        case TextEncoding::UTF8:
            for (size_t i = 0; i < bytes;) {
                int32_t c;
                i += decodeUtf8(p + i, bytes - i, &c);
                f(c);
            }
            break;
        case TextEncoding::UTF16: {
            const size_t n = bytes / 2;
            uint16_t buf[2];
            for (size_t i = 0; i < n;) {
                const size_t have = n - i < 2 ? n - i : 2;
                for (size_t k = 0; k < have; ++k) buf[k] = uint16_t(p[2 * (i + k)] | p[2 * (i + k) + 1] << 8);
                int32_t c;
                i += decodeUtf16(buf, have, &c);
                f(c);
            }
            break;
        }
        case TextEncoding::UTF32:
            for (size_t i = 0; i + 4 <= bytes; i += 4) {
                const uint32_t v = uint32_t(p[i]) | uint32_t(p[i + 1]) << 8 | uint32_t(p[i + 2]) << 16 |
                                   uint32_t(p[i + 3]) << 24;
                const bool ok = v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF);
                f(ok ? int32_t(v) : kReplacementCharacter);
            }
            break;
        case TextEncoding::GlyphID:
            for (size_t i = 0; i + 2 <= bytes; i += 2) f(int32_t(p[i] | p[i + 1] << 8));
            break;
    }
}

}  // namespace plix
