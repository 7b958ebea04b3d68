#include "Effect.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace skslrender {

namespace {

// The engine's uniform types, in the order of their ordinals.
struct UniformTypeInfo {
    const char* name;
    int components;  // 4-byte values of one element
    bool isInt;
};
constexpr UniformTypeInfo kUniformTypes[] = {
    {"float", 1, false},    {"float2", 2, false},   {"float3", 3, false}, {"float4", 4, false},
    {"float2x2", 4, false}, {"float3x3", 9, false}, {"float4x4", 16, false},
    {"int", 1, true},       {"int2", 2, true},      {"int3", 3, true},    {"int4", 4, true},
};
constexpr const char* kChildKinds[] = {"shader", "colorFilter", "blender"};

const UniformTypeInfo& TypeOf(plix_handle effect, int index) {
    const int t = plix_runtimeeffect_get_uniform_type(effect, index);
    return kUniformTypes[t >= 0 && t < int(std::size(kUniformTypes)) ? t : 0];
}

const char* ChildKind(plix_handle effect, int index) {
    const int t = plix_runtimeeffect_get_child_type(effect, index);
    return t >= 0 && t < 3 ? kChildKinds[t] : "child";
}

std::string ReadSource(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw RenderError("cannot read " + path + ": it is a directory, not an SkSL file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RenderError("cannot read " + path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw RenderError("cannot read " + path);
    std::string source = text.str();
    // The engine takes zero-terminated text: a zero byte would silently cut the program short.
    if (source.find('\0') != std::string::npos) throw RenderError(path + " is not a text file: it holds a zero byte");
    return source;
}

// The compiler's "error: LINE:COLUMN: TEXT" lines as "FILE:LINE:COLUMN: error: TEXT", the way
// editors and terminals pick up positions; the excerpt and count lines between them unchanged.
std::string CompilerMessages(const std::string& path, const std::string& errors) {
    std::istringstream lines(errors);
    std::string line, out;
    while (std::getline(lines, line)) {
        const std::string prefix = "error: ";
        int l = 0, c = 0, used = 0;
        if (line.rfind(prefix, 0) == 0 &&
            std::sscanf(line.c_str() + prefix.size(), "%d:%d: %n", &l, &c, &used) == 2 && used > 0)
            out += path + ":" + std::to_string(l) + ":" + std::to_string(c) + ": error: " +
                   line.substr(prefix.size() + size_t(used));
        else if (line.rfind(prefix, 0) == 0)
            out += path + ": " + line;
        else
            out += line;
        out += "\n";
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    if (out.empty()) out = path + ": error: the program does not compile";
    return out;
}

uint32_t FloatBits(const std::string& uniform, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end || std::isnan(v))
        throw RenderError("uniform \"" + uniform + "\": \"" + text + "\" is not a number");
    // Numbers past a float's range (1e400, or 1e39, which a float cannot hold either).
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
        throw RenderError("uniform \"" + uniform + "\": \"" + text +
                          "\" is out of range for a float (at most 3.4e38)");
    const float f = float(v);
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

uint32_t IntBits(const std::string& uniform, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end || errno == ERANGE || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        throw RenderError("uniform \"" + uniform + "\" is an int uniform: \"" + text + "\" is not a 32-bit integer");
    const int32_t i = int32_t(v);
    uint32_t bits;
    std::memcpy(&bits, &i, 4);
    return bits;
}

}  // namespace

Handle CompileFile(const std::string& path, Kind kind) {
    const std::string source = ReadSource(path);
    const plix_handle errors = plix_string_create();
    Handle effect(kind == Kind::ColorFilter ? plix_runtimeeffect_make_for_color_filter(source.c_str(), errors)
                  : kind == Kind::Blender   ? plix_runtimeeffect_make_for_blender(source.c_str(), errors)
                                            : plix_runtimeeffect_make_for_shader(source.c_str(), errors));
    const std::string text = plix_string_get_text(errors);
    plix_string_destroy(errors);
    if (!effect) throw CompileError(CompilerMessages(path, text));
    return effect;
}

void ListEffect(plix_handle effect, std::ostream& out) {
    for (int i = 0; i < plix_runtimeeffect_get_uniform_count(effect); ++i) {
        out << "uniform " << plix_runtimeeffect_get_uniform_name(effect, i) << " " << TypeOf(effect, i).name
            << " count " << plix_runtimeeffect_get_uniform_type_count(effect, i) << " offset "
            << plix_runtimeeffect_get_uniform_offset(effect, i) << "\n";
    }
    for (int i = 0; i < plix_runtimeeffect_get_child_count(effect); ++i)
        out << "child " << plix_runtimeeffect_get_child_name(effect, i) << " " << ChildKind(effect, i) << "\n";
}

std::vector<uint32_t> UniformBlock(plix_handle effect, const std::vector<UniformArg>& uniforms) {
    std::vector<uint32_t> block((plix_runtimeeffect_get_uniform_data_size(effect) + 3) / 4, 0);
    for (const UniformArg& u : uniforms) {
        const int index = plix_runtimeeffect_index_of_uniform(effect, u.name.c_str());
        if (index < 0) throw RenderError("the program has no uniform \"" + u.name + "\"");
        const UniformTypeInfo& type = TypeOf(effect, index);
        const int count = plix_runtimeeffect_get_uniform_type_count(effect, index);
        const size_t want = size_t(type.components) * size_t(count);
        if (u.values.size() != want) {
            std::string declared = type.name;
            if (count > 1) declared += "[" + std::to_string(count) + "]";
            throw RenderError("uniform \"" + u.name + "\" is " + declared + ": it takes " + std::to_string(want) +
                              (want == 1 ? " value" : " values") + ", not " + std::to_string(u.values.size()));
        }
        const size_t at = plix_runtimeeffect_get_uniform_offset(effect, index) / 4;
        if (at + want > block.size()) throw RenderError("uniform \"" + u.name + "\" lies outside the uniform block");
        for (size_t k = 0; k < want; ++k)
            block[at + k] = type.isInt ? IntBits(u.name, u.values[k]) : FloatBits(u.name, u.values[k]);
    }
    return block;
}

Handle ReadImage(const std::string& path, const std::string& what) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RenderError("cannot read " + path + " (" + what + "): " + std::strerror(errno));
    Handle image(plix_image_make_from_encoded_file(path.c_str()));
    if (!image) throw RenderError("cannot read " + path + " (" + what + "): not a PNG or another image format the engine decodes");
    return image;
}

std::vector<Handle> ChildShaders(plix_handle effect, const std::vector<ChildArg>& children,
                                 std::ostream& warnings) {
    std::vector<Handle> shaders(size_t(std::max(0, plix_runtimeeffect_get_child_count(effect))));
    for (const ChildArg& c : children) {
        const int index = plix_runtimeeffect_index_of_child(effect, c.name.c_str());
        if (index < 0 || size_t(index) >= shaders.size()) throw RenderError("the program has no child \"" + c.name + "\"");
        if (plix_runtimeeffect_get_child_type(effect, index) != 0)
            throw RenderError("child \"" + c.name + "\" is a " + ChildKind(effect, index) +
                              ": only shader children take an image");
        Handle image = ReadImage(c.file, "the image of child \"" + c.name + "\"");
        const plix_sampling_options nearest{0, false, {0, 0}, /*filter nearest*/ 0, /*no mipmaps*/ 0};
        shaders[size_t(index)] = Handle(plix_image_make_shader(image.get(), /*clamp*/ 0, 0, &nearest, nullptr));
        if (!shaders[size_t(index)]) throw RenderError("cannot make a shader of " + c.file);
    }
    // A shader child left out draws transparent: say so, as it is rarely meant.
    for (size_t i = 0; i < shaders.size(); ++i) {
        if (!shaders[i] && plix_runtimeeffect_get_child_type(effect, int(i)) == 0) {
            warnings << "sksl-render: warning: child \"" << plix_runtimeeffect_get_child_name(effect, int(i))
                     << "\" is not given (--child NAME=FILE.png): it draws transparent\n";
        }
    }
    return shaders;
}

}  // namespace skslrender
