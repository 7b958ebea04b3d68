#include "sksl/Compiler.h"

#include "sksl/Diagnostics.h"
#include "sksl/parse/Parser.h"

namespace plix::sksl {

std::unique_ptr<Program> Compile(std::string_view source, ProgramKind kind, std::string* errors,
                                 CheckerOptions options) {
    Diagnostics diags(source);
    if (source.size() > kMaxSourceSize) {
        diags.error({}, "program is too large");
        if (errors) *errors = diags.format();
        return nullptr;
    }
    auto program = std::make_unique<Program>(kind);
    AstArena arena;
    Parser parser(source, arena, diags);
    AstNode* root = parser.parseProgram();
    if (!diags.hasErrors()) {
        Checker checker(*program, diags, options);
        checker.run(*root);
    }
    if (diags.hasErrors()) {
        if (errors) *errors = diags.format();
        return nullptr;
    }
    if (errors) errors->clear();
    return program;
}

}  // namespace plix::sksl
