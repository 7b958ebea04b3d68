#include "sksl/codegen/SlotProgram.h"

#include <cstdio>

namespace plix::sksl {

const char* OpName(Op op) {
    static const char* const kNames[] = {
#define PLIX_SKSL_OP_NAME(name, d, a, b, c) #name,
        PLIX_SKSL_OPS(PLIX_SKSL_OP_NAME)
#undef PLIX_SKSL_OP_NAME
    };
    return kNames[static_cast<int>(op)];
}

namespace {
std::string disassembleList(const std::vector<Inst>& code);
}

std::string SlotProgram::disassemble() const {
    if (prologue.empty()) return disassembleList(code);
    return "prologue:\n" + disassembleList(prologue) + "per batch:\n" + disassembleList(code);
}

namespace {

std::string disassembleList(const std::vector<Inst>& code) {
    static constexpr char kKinds[][4] = {
#define PLIX_SKSL_OP_KINDS(name, d, a, b, c) {#d[0], #a[0], #b[0], #c[0]},
        PLIX_SKSL_OPS(PLIX_SKSL_OP_KINDS)
#undef PLIX_SKSL_OP_KINDS
    };
    std::string out;
    char line[160];
    for (size_t pc = 0; pc < code.size(); ++pc) {
        const Inst& in = code[pc];
        const char* kinds = kKinds[static_cast<int>(in.op)];
        int len = std::snprintf(line, sizeof(line), "%4zu  %-18s", pc, OpName(in.op));
        const int32_t operands[4] = {in.dst, in.a, in.b, in.c};
        const uint8_t scalar[4] = {0, Inst::kScalarA, Inst::kScalarB, Inst::kScalarC};
        for (int i = 0; i < 4; ++i) {
            if (kinds[i] == '_' || len >= static_cast<int>(sizeof(line)) - 20) continue;
            if (kinds[i] == 'S' && operands[i] < 0) continue;
            const char* prefix = kinds[i] == 'S' ? "$" : kinds[i] == 'T' ? "@" : "#";
            len += std::snprintf(line + len, sizeof(line) - len, " %s%d%s", prefix, operands[i],
                                 (in.flags & scalar[i]) ? "*" : "");
        }
        if (in.n > 1) std::snprintf(line + len, sizeof(line) - len, "  x%d", in.n);
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace

}  // namespace plix::sksl
