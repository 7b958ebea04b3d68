// UTF-8 to UTF-16, for the native calls that take text as UTF-16 code units.
#pragma once

#include <string>
#include <string_view>

namespace Skia {

// Each malformed sequence (a stray continuation byte, a truncated or overlong sequence, a
// surrogate, a code point above U+10FFFF) becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view AText);

}  // namespace Skia
