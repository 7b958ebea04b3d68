// Running a lowered program on batches of pixels.
//
// Pixels go in and out as structure-of-arrays float channels. The fast executor processes them
// kLanes at a time with vector instructions (SSE2, AVX2 or AVX-512, chosen once at start-up);
// the reference executor interprets the typed IR one pixel at a time and serves as the oracle
// in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace plix::sksl {

struct SlotProgram;
struct DecodedProgram;
class Program;

// A child effect as seen by a running program: evaluates n pixels at once.
//   shader:       in = {x, y}                         out = {r, g, b, a}
//   colour filter in = {r, g, b, a}                   out = {r, g, b, a}
//   blender:      in = {src r, g, b, a, dst r, g, b, a} out = {r, g, b, a}
// Colours are premultiplied. Input arrays hold at least n values; a program never passes NaN
// coordinates for pixels it does not use (they are zero). A null eval means the child is
// unset: a shader then gives transparent black, a colour filter passes its input through, and a
// blender draws source over destination.
struct ChildEval {
    void (*eval)(void* context, int n, const float* const* in, float* const* out) = nullptr;
    void* context = nullptr;
};

struct ExecArgs {
    int count = 0;                  // pixels
    const float* x = nullptr;       // shaders: local coordinates
    const float* y = nullptr;
    const float* fragX = nullptr;   // device coordinates for sk_FragCoord (default: x, y)
    const float* fragY = nullptr;
    const float* color[4] = {};     // colour filters: input; blenders: source (premultiplied)
    const float* dst[4] = {};       // blenders: destination (premultiplied)
    const void* uniforms = nullptr; // the uniform block, laid out as Reflection describes
    const ChildEval* children = nullptr;  // one per child, in the program's child order
    float* out[4] = {};             // r, g, b, a: the value main returns (premultiplied)
};

// Fast, vectorised.
void RunSlotProgram(const SlotProgram& program, const ExecArgs& args);

// The fast executor for many calls with one uniform block: the registers, with the constants
// and uniforms spread over them, are made once instead of per call. For a draw that runs an
// effect batch after batch. Not to be shared between threads: make one per thread.
class BatchRunner {
public:
    BatchRunner(const SlotProgram& program, const void* uniforms);
    // With the program already decoded (shared by the runners of one effect).
    BatchRunner(const SlotProgram& program, std::shared_ptr<const DecodedProgram> steps,
                const void* uniforms);
    ~BatchRunner();
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    // Runs args.count pixels (any number); args.uniforms is not read. The work that is the same
    // for every pixel runs at the first call, and again when the children change.
    void run(const ExecArgs& args);

private:
    const SlotProgram& fProgram;
    std::shared_ptr<const DecodedProgram> fSteps;  // the program as the executor reads it
    bool fPrologueDone = false;
    const ChildEval* fPrologueChildren = nullptr;
    void* fRegisters;        // slotCount x kLanes 32-bit values, 64-byte aligned
    int* fCounters;
};
// Name of the instruction set the fast executor uses on this machine ("avx512", "avx2", "sse2").
const char* FastExecutorIsa();
// Forces an instruction set for tests ("avx512", "avx2", "sse2"; null restores the choice made
// at start-up). Returns false if this machine cannot run it.
bool ForceFastExecutorIsa(const char* isa);

// Slow and simple: walks the IR for one pixel at a time. Exact math uses the C library's
// functions; FastMath uses the fast executor's approximations (the same bits for the same
// input), so that differential tests can compare the two executors exactly.
enum class ReferenceMath { Exact, FastMath };
void RunReference(const Program& program, const ExecArgs& args,
                  ReferenceMath math = ReferenceMath::Exact);

// Pixels per batch in the fast executor.
constexpr int kLanes = 64;

}  // namespace plix::sksl
