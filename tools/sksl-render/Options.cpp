#include "Options.h"

#include <cstdlib>

namespace skslrender {

const char* const kUsage =
    "usage: sksl-render [--kind shader|colorfilter|blender] [--size WxH] [--uniform NAME=V[,V...]]...\n"
    "                   [--child NAME=FILE.png]... [--input FILE.png] -o OUT.png FILE.sksl\n"
    "       sksl-render [--kind ...] --list FILE.sksl\n"
    "  --kind KIND             what the program is (default shader)\n"
    "  --size WxH              picture size in pixels (default 256x256, at most 8192x8192)\n"
    "  --uniform NAME=V,...    a uniform's values in its own type (ints for int uniforms);\n"
    "                          uniforms not given stay zero\n"
    "  --child NAME=FILE.png   an image as a shader child (clamped at its edges, nearest pixels)\n"
    "  --input FILE.png        the picture (scaled to the size) that a colour filter filters, or\n"
    "                          that a blender blends the colour (51, 153, 204, 178) over\n"
    "  -o OUT.png              the picture, RGBA 8-bit unpremultiplied\n"
    "  --list                  print the program's uniforms and children instead of rendering\n"
    "exit status: 0 done, 1 the program does not compile or cannot be rendered, 2 usage error\n";

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::ColorFilter: return "colorfilter";
        case Kind::Blender: return "blender";
        default: return "shader";
    }
}

namespace {

int Side(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::atoi(text.c_str());
}

// NAME=VALUE, both parts non-empty.
std::pair<std::string, std::string> Assignment(const std::string& option, const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
        throw UsageError(option + " takes NAME=VALUE, not \"" + text + "\"");
    return {text.substr(0, eq), text.substr(eq + 1)};
}

std::vector<std::string> SplitValues(const std::string& option, const std::string& text) {
    std::vector<std::string> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string v = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (v.empty()) throw UsageError(option + " has an empty value in \"" + text + "\"");
        values.push_back(v);
        if (comma == std::string::npos) return values;
        start = comma + 1;
    }
}

}  // namespace

Options ParseOptions(int argc, const char* const* argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--kind") {
            const std::string v = value();
            if (v == "shader") o.kind = Kind::Shader;
            else if (v == "colorfilter") o.kind = Kind::ColorFilter;
            else if (v == "blender") o.kind = Kind::Blender;
            else throw UsageError("--kind is shader, colorfilter or blender, not \"" + v + "\"");
        } else if (arg == "--size") {
            const std::string v = value();
            const auto x = v.find('x');
            const int w = x == std::string::npos ? 0 : Side(v.substr(0, x));
            const int h = x == std::string::npos ? 0 : Side(v.substr(x + 1));
            if (w < 1 || h < 1 || w > 8192 || h > 8192)
                throw UsageError("--size takes WxH between 1x1 and 8192x8192, not \"" + v + "\"");
            o.width = w, o.height = h;
        } else if (arg == "--uniform") {
            auto [name, values] = Assignment(arg, value());
            for (const UniformArg& u : o.uniforms)
                if (u.name == name) throw UsageError("uniform \"" + name + "\" is given twice");
            o.uniforms.push_back({name, SplitValues(arg, values)});
        } else if (arg == "--child") {
            auto [name, file] = Assignment(arg, value());
            for (const ChildArg& c : o.children)
                if (c.name == name) throw UsageError("child \"" + name + "\" is given twice");
            o.children.push_back({name, file});
        } else if (arg == "--input") {
            o.input = value();
        } else if (arg == "-o" || arg == "--output") {
            o.output = value();
        } else if (arg == "--list") {
            o.list = true;
        } else if (arg == "-h" || arg == "--help") {
            throw UsageError("");
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (o.source.empty()) {
            o.source = arg;
        } else {
            throw UsageError("one program file only, not both " + o.source + " and " + arg);
        }
    }
    if (o.source.empty()) throw UsageError("no program file (FILE.sksl)");
    if (o.list) return o;
    if (o.output.empty()) throw UsageError("no output file (-o OUT.png)");
    if (o.kind == Kind::Shader && !o.input.empty())
        throw UsageError("--input is for colour filters and blenders; a shader draws on its own");
    if (o.kind != Kind::Shader && o.input.empty())
        throw UsageError(std::string("a ") + KindName(o.kind) + " needs --input FILE.png to work on");
    return o;
}

}  // namespace skslrender
