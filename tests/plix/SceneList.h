// The scene lists of the golden tests: "scene NAME W H", then the scene's drawing lines, then
// "end"; "#" lines are comments. The same files drive the reference engine's scripts.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace plix::test
