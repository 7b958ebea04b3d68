// The command line of sksl-render.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace skslrender {

enum class Kind { Shader, ColorFilter, Blender };
const char* KindName(Kind kind);

// A --uniform NAME=V[,V...] as typed; its values are read once the uniform's type is known.
struct UniformArg {
    std::string name;
    std::vector<std::string> values;
};

// A --child NAME=FILE.png.
struct ChildArg {
    std::string name;
    std::string file;
};

struct Options {
    Kind kind = Kind::Shader;
    int width = 256, height = 256;
    std::vector<UniformArg> uniforms;
    std::vector<ChildArg> children;
    std::string input;   // the picture a colour filter filters or a blender draws over
    std::string output;
    std::string source;  // the .sksl file
    bool list = false;
};

// A command line that cannot be run as written (exit status 2).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

extern const char* const kUsage;

// Throws UsageError.
Options ParseOptions(int argc, const char* const* argv);

}  // namespace skslrender
