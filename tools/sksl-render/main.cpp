// sksl-render: compiles an SkSL file and renders it to a PNG, or prints why it does not compile.
//
//   sksl-render [--kind shader|colorfilter|blender] [--size WxH] [--uniform NAME=V[,V...]]...
//               [--child NAME=FILE.png]... [--input FILE.png] -o OUT.png FILE.sksl
//   sksl-render [--kind ...] --list FILE.sksl
//
// Exit status: 0 done, 1 the program does not compile or cannot be rendered as asked, 2 usage.
#include <iostream>

#include "Effect.h"
#include "Options.h"
#include "Render.h"

int main(int argc, char** argv) {
    using namespace skslrender;
    try {
        const Options options = ParseOptions(argc, argv);
        const Handle effect = CompileFile(options.source, options.kind);
        if (options.list) {
            ListEffect(effect.get(), std::cout);
            return 0;
        }
        const std::vector<uint32_t> uniforms = UniformBlock(effect.get(), options.uniforms);
        const std::vector<Handle> children = ChildShaders(effect.get(), options.children, std::cerr);
        RenderToPng(effect.get(), options, uniforms, children);
        return 0;
    } catch (const UsageError& e) {
        if (!*e.what()) {  // --help
            std::cout << kUsage;
            return 0;
        }
        std::cerr << "sksl-render: " << e.what() << "\n(sksl-render --help lists the options)\n";
        return 2;
    } catch (const CompileError& e) {
        std::cerr << e.what() << "\n";  // the compiler's messages, each with its file and position
        return 1;
    } catch (const RenderError& e) {
        std::cerr << "sksl-render: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "sksl-render: " << e.what() << "\n";
        return 1;
    }
}
