// Unicode services over ICU: break positions (words, graphemes, lines), code points and bidi
// levels of UTF-16 text, and break walks over UTF-8 or UTF-16 text. Positions are in code units
// of the text given.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

struct UBreakIterator;
struct UText;

namespace plix {

enum class BreakType : int32_t { Words, Graphemes, Lines };

constexpr bool isValidBreakType(int32_t t) { return t >= 0 && t <= 2; }

// A walk over the breaks of a text that outlives it; the first break is the first after the
// start, the last the end of the text.
class BreakIterator {
public:
    // Null when ICU cannot make the iterator (or the text is too long for it).
    static std::unique_ptr<BreakIterator> MakeUtf16(BreakType type, const uint16_t* text, int32_t units);
    static std::unique_ptr<BreakIterator> MakeUtf8(BreakType type, const char* text, int32_t units);
    ~BreakIterator();

    // False at the end of the text.
    bool next(int32_t* position, int32_t* status);

private:
    BreakIterator() = default;
    UBreakIterator* fIter = nullptr;
    UText* fText = nullptr;
};

void forEachBreak(const uint16_t* text, int32_t units, BreakType type,
                  const std::function<void(int32_t position, int32_t status)>& f);
// Each code point with its unit range; lone surrogates come as U+FFFD.
void forEachCodepoint(const uint16_t* text, int32_t units,
                      const std::function<void(int32_t unichar, int32_t start, int32_t end)>& f);
// Runs of one embedding level (even left to right, odd right to left); rtl is the paragraph's
// base direction.
void forEachBidiRegion(const uint16_t* text, int32_t units, bool rtl,
                       const std::function<void(int32_t start, int32_t end, uint8_t level)>& f);

}  // namespace plix
