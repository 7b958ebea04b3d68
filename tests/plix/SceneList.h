// The scene lists of the golden tests: "scene NAME W H", then the scene's drawing lines, then
// "end"; "#" lines are comments. The same files drive the reference engine's scripts. Also the
// readers of the values the lines share (colours, blend modes).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/BlendMode.h"

namespace plix::test {

struct Scene {
    std::string name;
    int w = 0, h = 0;
    std::vector<std::string> lines;
};

inline std::vector<Scene> LoadScenes(const std::string& path) {
    std::ifstream in(path);
    std::vector<Scene> scenes;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ss(line);
        std::string cmd;
        ss >> cmd;
        if (cmd == "scene") {
            scenes.emplace_back();
            ss >> scenes.back().name >> scenes.back().w >> scenes.back().h;
        } else if (cmd != "end" && !scenes.empty()) {
            scenes.back().lines.push_back(line);
        }
    }
    return scenes;
}

// 'AARRGGBB' to its value.
inline uint32_t hex(const std::string& s) { return uint32_t(std::stoul(s, nullptr, 16)); }

// A blend mode by its name in the engine's list ("SrcOver", "Multiply", ...).
inline BlendMode blendByName(const std::string& n) {
    static const char* names[] = {
#define PLIX_BM_NAME(name) #name,
        PLIX_BLEND_MODES(PLIX_BM_NAME)
#undef PLIX_BM_NAME
    };
    for (int i = 0; i < kBlendModeCount; ++i)
        if (n == names[i]) return BlendMode(i);
    ADD_FAILURE() << "unknown blend mode " << n;
    return BlendMode::SrcOver;
}

}  // namespace plix::test
