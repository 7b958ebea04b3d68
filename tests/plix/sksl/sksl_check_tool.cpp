// Development tool: compiles programs and prints "name: OK" or "name: FAIL <errors>", in the
// batch format of tests/reference/sksl_probe.mjs, so the two outputs can be compared line by line.
#include "sksl/Compiler.h"
#include "sksl/Effect.h"
#include "EffectRunner.h"
#include "ProgramGenerator.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

using namespace plix;
using namespace plix::sksl;

static bool gDisassemble = false;
static bool gRun = false;

static void check(const std::string& name, const std::string& src, const std::string& kind) {
    ProgramKind k = kind == "blender" ? ProgramKind::Blender
                    : kind == "colorfilter" ? ProgramKind::ColorFilter
                                            : ProgramKind::Shader;
    std::string errors;
    auto program = Compile(src, k, &errors);
    std::string line = name + ": ";
    if (program) {
        line += "OK";
        if (gDisassemble) {
            sp<Effect> e = Effect::Make(src, k, &errors);
            if (e) line += "\n" + e->code().disassemble();
        }
        if (gRun) {
            sp<Effect> e = Effect::Make(src, k, &errors);
            test::CorpusFile file;
            if (std::ifstream(name).good()) file = test::ReadCorpusFile(name);
            file.source = src;
            file.kind = k;
            auto fast = test::RunEffect(*e, file, test::Executor::Fast);
            auto ref = test::RunEffect(*e, file, test::Executor::Reference);
            for (int y = 0; y < fast.height; ++y) {
                for (int x = 0; x < fast.width; ++x) {
                    auto a = fast.at(x, y), b = ref.at(x, y);
                    char buf[200];
                    snprintf(buf, sizeof buf, "\n(%d,%d) fast %.9g %.9g %.9g %.9g  ref %.9g %.9g %.9g %.9g", x, y,
                             a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
                    line += buf;
                }
            }
        }
    } else {
        for (char& c : errors) if (c == '\n') c = '|';
        line += "FAIL " + errors;
    }
    std::cout << line << "\n";
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--generate" && i + 2 < argc) {
            // --generate COUNT FOLDER: random programs as FOLDER/gen<seed>.sksl
            int count = std::atoi(argv[i + 1]);
            for (int seed = 1; seed <= count; ++seed) {
                test::ProgramGenerator gen(static_cast<uint32_t>(seed));
                std::ofstream out(std::string(argv[i + 2]) + "/gen" + std::to_string(seed) + ".sksl");
                out << gen.shader();
            }
            return 0;
        }
        if (std::string(argv[i]) == "--run") {
            gRun = true;
            continue;
        }
        if (std::string(argv[i]) == "--dis") {
            gDisassemble = true;
            continue;
        }
        std::ifstream in(argv[i], std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string text = ss.str();
        if (text.rfind("===", 0) != 0) {
            check(argv[i], text, "shader");
            continue;
        }
        size_t pos = 0;
        while (pos < text.size()) {
            size_t nl = text.find('\n', pos);
            std::string header = text.substr(pos + 4, nl - pos - 4);
            size_t next = text.find("\n=== ", nl);
            std::string body = text.substr(nl + 1, next == std::string::npos ? std::string::npos
                                                                             : next + 1 - nl - 1);
            std::istringstream hs(header);
            std::string name, kind = "shader";
            hs >> name >> kind;
            check(name, body, kind);
            if (next == std::string::npos) break;
            pos = next + 1;
        }
    }
}
