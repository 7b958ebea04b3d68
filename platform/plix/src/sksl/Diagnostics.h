// Errors of one compilation, collected by every phase with their source span, and formatted as
// "error: LINE:COLUMN: message" with the source line and a caret mark under the span.
#pragma once

#include "sksl/Position.h"

#include <string>
#include <string_view>
#include <vector>

namespace plix::sksl {

// Source text as a message quotes it: bytes that do not print are escaped (\xNN), and text
// longer than kMaxEchoed bytes is cut with "...", so a pathological token cannot flood a
// terminal.
constexpr size_t kMaxEchoed = 48;
std::string EchoSource(std::string_view text);
// EchoSource in single quotes.
std::string QuoteSource(std::string_view text);

class Diagnostics {
public:
    explicit Diagnostics(std::string_view source) : fSource(source) {}

    void error(Position pos, std::string message);
    int errorCount() const { return static_cast<int>(fErrors.size()); }
    bool hasErrors() const { return !fErrors.empty(); }

    struct Entry {
        Position pos;
        std::string message;
    };
    const std::vector<Entry>& errors() const { return fErrors; }

    // 1-based line and column of a byte offset.
    void lineColumn(int32_t offset, int* line, int* column) const;

    // Every error in order, each with its line, then "N error(s)".
    std::string format() const;

    // Stops collecting after this many errors, so a pathological input cannot fill memory.
    static constexpr int kMaxErrors = 100;

private:
    std::string_view fSource;
    std::vector<Entry> fErrors;
    bool fTruncated = false;
};

}  // namespace plix::sksl
