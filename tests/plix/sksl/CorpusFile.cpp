#include "CorpusFile.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace plix::sksl::test {

CorpusFile ReadCorpusFile(const std::filesystem::path& path) {
    CorpusFile f;
    f.path = path.string();
    f.name = path.stem().string();
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    f.source = ss.str();
    std::istringstream lines(f.source);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("//", 0) != 0) break;
        std::string body = line.substr(2);
        body.erase(0, body.find_first_not_of(' '));
        auto colon = body.find(':');
        if (colon == std::string::npos) continue;
        std::string key = body.substr(0, colon);
        std::string value = body.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        std::istringstream words(key);
        std::string head, name;
        words >> head >> name;
        if (head == "kind") {
            f.kind = value == "blender"       ? ProgramKind::Blender
                     : value == "colorfilter" ? ProgramKind::ColorFilter
                                              : ProgramKind::Shader;
        } else if (head == "error") {
            f.error = value;
        } else if (head == "uniform") {
            std::istringstream nums(value);
            double d;
            while (nums >> d) f.uniforms[name].push_back(d);
        } else if (head == "child") {
            std::istringstream parts(value);
            std::string w;
            while (parts >> w) f.children[name].push_back(w);
        } else if (head == "size") {
            std::istringstream nums(value);
            nums >> f.width >> f.height;
        }
    }
    return f;
}

std::vector<std::filesystem::path> ListCorpus(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        if (e.path().extension() == ".sksl") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace plix::sksl::test
