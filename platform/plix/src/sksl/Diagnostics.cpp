#include "sksl/Diagnostics.h"

#include <algorithm>

namespace plix::sksl {

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
        std::string text(fSource.substr(shownStart, shownEnd - shownStart));
        for (char& c : text) {
            if (c == '\t' || c == '\r') c = ' ';
        }
        out += text + "\n";
        int32_t caretEnd = std::clamp(e.pos.end, start + 1, shownEnd > start ? shownEnd : start + 1);
        out += std::string(start - shownStart, ' ') + std::string(caretEnd - start, '^') + "\n";
    }
    int n = static_cast<int>(fErrors.size());
    if (fTruncated) out += "too many errors; the rest are not shown\n";
    out += std::to_string(n) + (n == 1 ? " error\n" : " errors\n");
    return out;
}

}  // namespace plix::sksl
