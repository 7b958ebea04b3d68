#include "sksl/Effect.h"

#include "sksl/Compiler.h"
#include "sksl/Diagnostics.h"
#include "sksl/codegen/DecodedProgram.h"
#include "sksl/codegen/Lowering.h"

namespace plix::sksl {

sp<Effect> Effect::Make(std::string_view source, ProgramKind kind, std::string* errors,
                        CheckerOptions options) {
    std::string messages;
    std::unique_ptr<Program> program;
    const Variable* fragCoord = nullptr;
    {
        // Compile() owns its checker; ask it again for sk_FragCoord through the program.
        program = Compile(source, kind, &messages, options);
    }
    if (!program) {
        if (errors) *errors = std::move(messages);
        return nullptr;
    }
    fragCoord = program->fragCoord();
    sp<Effect> effect(new Effect);
    std::string lowerError;
    Position lowerErrorPos;
    if (!Lower(*program, fragCoord, &effect->fCode, &lowerError, &lowerErrorPos)) {
        if (errors) {
            Diagnostics diags(source);
            diags.error(lowerErrorPos, lowerError);
            *errors = diags.format();
        }
        return nullptr;
    }
    effect->fSteps = std::make_shared<const DecodedProgram>(Decode(effect->fCode));
    effect->fReflection = Reflect(*program);
    effect->fProgram = std::move(program);
    if (errors) errors->clear();
    return effect;
}

}  // namespace plix::sksl
