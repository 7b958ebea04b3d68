// What the text tests share: the DejaVu font files (fonts-dejavu-core of scripts/setup) and
// small helpers over the C API.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plix/plix.h"

namespace plix::test {

inline const char* kFontDir = "/usr/share/fonts/truetype/dejavu";

inline std::string fontPath(const std::string& file) { return std::string(kFontDir) + "/" + file; }

// Skips the test when the font file is missing.
#define REQUIRE_FONT(file)                                                                     \
    do {                                                                                       \
        if (!std::filesystem::exists(plix::test::fontPath(file)))                              \
            GTEST_SKIP() << "font " << plix::test::fontPath(file) << " is not installed";      \
    } while (0)

}  // namespace plix::test
