// The CPU back end's program: a flat list of lane-wise instructions over a register file of
// slots. A slot holds one 32-bit value (float, int, or a lane mask of all ones / all zeros) for
// every pixel of a batch; an instruction applies to n consecutive slots at once. Control flow is
// by lane masks plus forward and backward jumps that skip work when no lane is active.
//
// The instruction set is declared once below; the lowering, the executors, relocation and the
// disassembler all work from that table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plix::sksl {

// Operand kinds: S slot, T jump target (instruction index), I integer immediate, _ unused.
// X(name, dst, a, b, c)
#define PLIX_SKSL_OPS(X)                                                                        \
    /* moves and masks */                                                                      \
    X(copy, S, S, _, _)              /* dst = a */                                             \
    X(copy_masked, S, S, _, S)       /* dst = c ? a : dst (c: one mask slot) */               \
    X(select, S, S, S, S)            /* dst = c ? a : b */                                     \
    X(load_indirect, S, S, S, _)     /* dst = (a + lane0(b))[k], b an int offset */             \
    X(store_indirect, S, S, S, S)    /* (dst + lane0(b))[k] = a where mask c (or all if c<0) */ \
    X(bit_and, S, S, S, _) X(bit_or, S, S, S, _) X(bit_xor, S, S, S, _)                        \
    X(bit_andnot, S, S, S, _)        /* dst = a & ~b */                                        \
    X(bit_not, S, S, _, _)                                                                     \
    /* float arithmetic */                                                                     \
    X(add_f, S, S, S, _) X(sub_f, S, S, S, _) X(mul_f, S, S, S, _) X(div_f, S, S, S, _)        \
    X(min_f, S, S, S, _) X(max_f, S, S, S, _) X(neg_f, S, S, _, _) X(abs_f, S, S, _, _)        \
    X(mad_f, S, S, S, S)             /* dst = a * b + c, rounded twice */                      \
    X(dot_f, S, S, S, _)             /* dst (one slot) = sum of a[k] * b[k], k < n */          \
    /* int arithmetic (wraps; x / 0 is -x) */                                     \
    X(add_i, S, S, S, _) X(sub_i, S, S, S, _) X(mul_i, S, S, S, _) X(div_i, S, S, S, _)        \
    X(neg_i, S, S, _, _) X(min_i, S, S, S, _) X(max_i, S, S, S, _)                             \
    /* comparisons, giving masks */                                                            \
    X(lt_f, S, S, S, _) X(le_f, S, S, S, _) X(eq_f, S, S, S, _) X(ne_f, S, S, S, _)            \
    X(lt_i, S, S, S, _) X(le_i, S, S, S, _) X(eq_i, S, S, S, _) X(ne_i, S, S, S, _)            \
    /* conversions */                                                                          \
    X(f2i, S, S, _, _) X(i2f, S, S, _, _) X(f2b, S, S, _, _) X(i2b, S, S, _, _)                \
    X(b2f, S, S, _, _) X(b2i, S, S, _, _)                                                      \
    /* math */                                                                                 \
    X(floor_f, S, S, _, _) X(ceil_f, S, S, _, _) X(fract_f, S, S, _, _) X(sqrt_f, S, S, _, _)  \
    X(rsqrt_f, S, S, _, _) X(sin_f, S, S, _, _) X(cos_f, S, S, _, _) X(tan_f, S, S, _, _)      \
    X(asin_f, S, S, _, _) X(acos_f, S, S, _, _) X(atan_f, S, S, _, _) X(exp_f, S, S, _, _)     \
    X(exp2_f, S, S, _, _) X(log_f, S, S, _, _) X(log2_f, S, S, _, _) X(sign_f, S, S, _, _)     \
    X(to_linear_f, S, S, _, _) X(from_linear_f, S, S, _, _)                                    \
    X(pow_f, S, S, S, _) X(atan2_f, S, S, S, _) X(mod_f, S, S, S, _) X(step_f, S, S, S, _)     \
    X(mix_f, S, S, S, S) X(clamp_f, S, S, S, S) X(smoothstep_f, S, S, S, S)                    \
    /* control flow */                                                                         \
    X(jump, T, _, _, _)                                                                        \
    X(branch_if_none, T, S, _, _)    /* jump when mask a is zero in every lane */              \
    X(counter_set, I, I, _, _)       /* loop counter dst = a */                                \
    X(counter_loop, I, T, _, _)      /* --counter dst; jump to a while it stays above zero */  \
    /* children: dst gets 4 slots of colour; a the argument slots; b the active-lane mask (or   \
       -1 for all lanes); c the child's index */                                               \
    X(child_shader, S, S, S, I)      /* a: x, y */                                             \
    X(child_color_filter, S, S, S, I) /* a: r, g, b, a */                                      \
    X(child_blender, S, S, S, I)     /* a: src rgba, dst rgba */

enum class Op : uint16_t {
#define PLIX_SKSL_OP_ENUM(name, d, a, b, c) name,
    PLIX_SKSL_OPS(PLIX_SKSL_OP_ENUM)
#undef PLIX_SKSL_OP_ENUM
};

const char* OpName(Op op);

struct Inst {
    Op op;
    uint8_t n = 1;      // number of consecutive slots
    uint8_t flags = 0;  // kScalarA/B/C: that operand is one slot used for every k
    int32_t dst = -1, a = -1, b = -1, c = -1;

    enum : uint8_t { kScalarA = 1, kScalarB = 2, kScalarC = 4 };
};

struct SlotProgram {
    std::vector<Inst> code;
    // Run once when a runner starts, before any batch: the work that is the same for every
    // pixel (see Hoisting.h). Straight-line, no jumps.
    std::vector<Inst> prologue;
    int slotCount = 0;     // size of the register file
    int counterCount = 0;  // loop counters

    // Slots filled once per run: constants (32-bit patterns) and the uniform block.
    std::vector<std::pair<int32_t, uint32_t>> constants;
    int uniformBase = -1;  // first slot of the uniform block
    int uniformSlots = 0;

    // Slots filled per batch of pixels; -1 when the program has no such input.
    int coordX = -1, coordY = -1;     // shaders: local coordinates
    int fragX = -1, fragY = -1;       // sk_FragCoord (device coordinates)
    int color = -1;                   // colour filters: input colour; blenders: source (4 slots)
    int dstColor = -1;                // blenders: destination (4 slots)
    int result = -1;                  // output colour (4 slots)

    std::string disassemble() const;
};

}  // namespace plix::sksl
