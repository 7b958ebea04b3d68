// A span of the source text, as byte offsets; line and column are worked out only when an error
// is reported, so tokens and nodes stay small.
#pragma once

#include <cstdint>

namespace plix::sksl {

struct Position {
    int32_t start = -1;  // first byte
    int32_t end = -1;    // one past the last byte

    bool valid() const { return start >= 0; }
    static Position Range(Position a, Position b) {
        if (!a.valid()) return b;
        if (!b.valid()) return a;
        return {a.start < b.start ? a.start : b.start, a.end > b.end ? a.end : b.end};
    }
};

}  // namespace plix::sksl
