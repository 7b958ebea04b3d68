// A program of the test corpus with the settings written in its leading comment lines:
//   // kind: shader | colorfilter | blender      (default shader)
//   // error: <text that the first error must contain>   (programs that must fail)
//   // uniform <name>: <numbers...>                (values; default zero)
//   // child <name>: <solid r g b a | coords | image FILE | invert | multiply>
//        (image: a PNG beside the file, nearest pixel, repeated)
//   // size: <width> <height>                      (pixels to run; default 8 8)
#pragma once

#include "sksl/ir/Program.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace plix::sksl::test {

struct CorpusFile {
    std::string name;      // file name without extension
    std::string path;
    std::string source;
    ProgramKind kind = ProgramKind::Shader;
    std::string error;     // expected message fragment; empty for programs that must compile
    std::map<std::string, std::vector<double>> uniforms;
    std::map<std::string, std::vector<std::string>> children;
    int width = 8, height = 8;
};

CorpusFile ReadCorpusFile(const std::filesystem::path& path);
// Every .sksl file of a corpus folder, sorted by name.
std::vector<std::filesystem::path> ListCorpus(const std::string& folder);

}  // namespace plix::sksl::test
