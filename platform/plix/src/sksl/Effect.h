// A compiled runtime effect: the checked program, what it reflects (uniforms, children), and
// its lowered code, ready to run on batches of pixels. Immutable and shareable across threads.
//
// Glue for the raster pipeline: when a draw starts, snapshot the uniform block and make a
// runner (makeRunner); for each batch, fill ExecArgs with the coordinates (shaders), colours
// (colour filters, blenders) and one ChildEval per child, and call the runner's run(). Output
// colours are premultiplied, as main returns them. run() does both steps for one-off calls.
#pragma once

#include "core/RefCnt.h"
#include "sksl/analysis/Checker.h"
#include "sksl/analysis/Reflection.h"
#include "sksl/codegen/Executor.h"
#include "sksl/codegen/SlotProgram.h"
#include "sksl/ir/Program.h"

#include <memory>
#include <string>
#include <string_view>

namespace plix::sksl {

class Effect final : public RefCnt {
public:
    // The effect, or null with the errors ("error: LINE:COLUMN: message" lines) in *errors.
    static sp<Effect> Make(std::string_view source, ProgramKind kind, std::string* errors,
                           CheckerOptions options = {});

    ProgramKind kind() const { return fProgram->kind(); }
    const Reflection& reflection() const { return fReflection; }
    const Program& program() const { return *fProgram; }
    const SlotProgram& code() const { return fCode; }
    // True when the program reads sk_FragCoord (only with CheckerOptions::allowFragCoord).
    bool usesFragCoord() const { return fCode.fragX >= 0; }

    void run(const ExecArgs& args) const { RunSlotProgram(fCode, args); }
    // For a draw: registers made once with these uniforms, then run batch after batch (see
    // BatchRunner). The effect must outlive the runner.
    std::unique_ptr<BatchRunner> makeRunner(const void* uniforms) const {
        return std::make_unique<BatchRunner>(fCode, fSteps, uniforms);
    }
    void runReference(const ExecArgs& args, ReferenceMath math = ReferenceMath::Exact) const {
        RunReference(*fProgram, args, math);
    }

private:
    Effect() = default;

    std::unique_ptr<Program> fProgram;
    Reflection fReflection;
    SlotProgram fCode;
    std::shared_ptr<const DecodedProgram> fSteps;  // fCode as the fast executor reads it
};

}  // namespace plix::sksl
