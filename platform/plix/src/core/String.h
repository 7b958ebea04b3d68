// A text buffer the caller hands in for the engine to fill (compiler messages, names).
#pragma once

#include <string>

namespace plix {

struct String {
    std::string text;
};

}  // namespace plix
