#include "sksl/Diagnostics.h"

#include <algorithm>

namespace plix::sksl {

namespace {

bool printable(char c) { return c >= 0x20 && c < 0x7F; }

void appendEscaped(std::string& out, char c) {
    if (printable(c)) {
        out += c;
    } else {
        static constexpr char kHex[] = "0123456789abcdef";
        auto b = static_cast<unsigned char>(c);
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
}

}  // namespace

std::string EchoSource(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < kMaxEchoed; ++i) appendEscaped(out, text[i]);
    if (text.size() > kMaxEchoed) out += "...";
    return out;
}

std::string QuoteSource(std::string_view text) { return "'" + EchoSource(text) + "'"; }

void Diagnostics::error(Position pos, std::string message) {
    if (static_cast<int>(fErrors.size()) >= kMaxErrors) {
        fTruncated = true;
        return;
    }
    fErrors.push_back({pos, std::move(message)});
}

void Diagnostics::lineColumn(int32_t offset, int* line, int* column) const {
    int l = 1;
    int32_t lineStart = 0;
    int32_t end = std::clamp<int32_t>(offset, 0, static_cast<int32_t>(fSource.size()));
    for (int32_t i = 0; i < end; ++i) {
        if (fSource[i] == '\n') {
            ++l;
            lineStart = i + 1;
        }
    }
    *line = l;
    *column = end - lineStart + 1;
}

std::string Diagnostics::format() const {
    std::string out;
    for (const Entry& e : fErrors) {
        if (!e.pos.valid()) {
            // Errors about the whole program point at its start.
            out += "error: 1:1: " + e.message + "\n";
            continue;
        }
        int line, column;
        lineColumn(e.pos.start, &line, &column);
        out += "error: " + std::to_string(line) + ":" + std::to_string(column) + ": " + e.message + "\n";
        // The source line, clipped so a minified program does not print kilobytes per error.
        int32_t size = static_cast<int32_t>(fSource.size());
        int32_t start = std::min(e.pos.start, size);
        int32_t lineStart = start;
        while (lineStart > 0 && fSource[lineStart - 1] != '\n') --lineStart;
        int32_t lineEnd = start;
        while (lineEnd < size && fSource[lineEnd] != '\n') ++lineEnd;
        constexpr int32_t kMaxShown = 160;
        int32_t shownStart = std::max(lineStart, start - kMaxShown / 2);
        int32_t shownEnd = std::min(lineEnd, shownStart + kMaxShown);
        // Bytes that do not print are shown escaped; the caret follows the widths shown.
        int32_t caretEnd = std::clamp(e.pos.end, start + 1, shownEnd > start ? shownEnd : start + 1);
        std::string text;
        size_t caretFrom = 0, caretTo = 0;
        for (int32_t i = shownStart; i < shownEnd; ++i) {
            if (i == start) caretFrom = text.size();
            char c = fSource[i];
            if (c == '\t' || c == '\r') c = ' ';
            appendEscaped(text, c);
            if (i < caretEnd) caretTo = text.size();
        }
        if (start >= shownEnd) caretFrom = caretTo = text.size();
        out += text + "\n";
        out += std::string(caretFrom, ' ') + std::string(std::max<size_t>(caretTo - caretFrom, 1), '^') +
               "\n";
    }
    int n = static_cast<int>(fErrors.size());
    if (fTruncated) out += "too many errors; the rest are not shown\n";
    out += std::to_string(n) + (n == 1 ? " error\n" : " errors\n");
    return out;
}

}  // namespace plix::sksl
