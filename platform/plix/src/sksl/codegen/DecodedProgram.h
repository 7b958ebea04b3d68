// A slot program made ready for the fast executor: each instruction's slot operands as byte
// offsets into the register file and its strides in bytes, so that running an instruction
// needs no clamping, shifting or flag tests. Made once per runner.
#pragma once

#include "sksl/codegen/Executor.h"
#include "sksl/codegen/SlotProgram.h"

#include <cstdint>
#include <vector>

namespace plix::sksl {

struct Step {
    Inst in;                  // the instruction as lowered (targets, immediates, -1 operands)
    int32_t d, a, b, c;       // byte offsets of the operand slots (0 for non-slot operands)
    int32_t sa, sb, sc;       // bytes from one slot of a, b, c to the next (0 for a scalar)
};

struct DecodedProgram {
    std::vector<Step> code, prologue;
};

// Bytes of one slot: a 32-bit value per lane.
constexpr int32_t kSlotBytes = kLanes * 4;

inline std::vector<Step> DecodeSteps(const std::vector<Inst>& code) {
    std::vector<Step> out;
    out.reserve(code.size());
    auto offset = [](int32_t slot) { return slot > 0 ? slot * kSlotBytes : 0; };
    for (const Inst& in : code) {
        out.push_back({in, offset(in.dst), offset(in.a), offset(in.b), offset(in.c),
                       (in.flags & Inst::kScalarA) ? 0 : kSlotBytes,
                       (in.flags & Inst::kScalarB) ? 0 : kSlotBytes,
                       (in.flags & Inst::kScalarC) ? 0 : kSlotBytes});
    }
    return out;
}

inline DecodedProgram Decode(const SlotProgram& p) {
    return {DecodeSteps(p.code), DecodeSteps(p.prologue)};
}

}  // namespace plix::sksl
