#include "sksl/codegen/Hoisting.h"

#include "sksl/codegen/Lowering.h"

#include <algorithm>

namespace plix::sksl {

namespace {

constexpr char kKinds[][4] = {
#define PLIX_SKSL_OP_KINDS(name, d, a, b, c) {#d[0], #a[0], #b[0], #c[0]},
    PLIX_SKSL_OPS(PLIX_SKSL_OP_KINDS)
#undef PLIX_SKSL_OP_KINDS
};

int childInputs(Op op) { return op == Op::child_shader ? 2 : op == Op::child_color_filter ? 4 : 8; }
bool isChild(Op op) { return op == Op::child_shader || op == Op::child_color_filter || op == Op::child_blender; }

// Slots an instruction writes: [first, first + count).
void written(const Inst& in, int32_t* first, int* count) {
    *first = in.dst;
    *count = kKinds[int(in.op)][0] == 'S' && in.dst >= 0 ? in.n : 0;
    if (in.op == Op::dot_f) *count = 1;
    if (isChild(in.op)) *count = 4;
}

// Instructions whose result may differ from lane to lane or batch to batch whatever their
// inputs, or that move control.
bool neverHoisted(Op op) {
    switch (op) {
        case Op::copy_masked:     // keeps the old value in some lanes
        case Op::load_indirect:   // reads slots chosen at run time
        case Op::store_indirect:  // writes them
        case Op::jump: case Op::branch_if_none: case Op::counter_set: case Op::counter_loop:
            return true;
        default:
            return false;
    }
}

// The slot ranges an instruction reads: up to three (first, count) pairs; count 0 when unused.
// Indexed loads read slots chosen at run time: *unknown is set for them.
int reads(const Inst& in, int32_t first[3], int count[3], bool* unknown) {
    const char* k = kKinds[int(in.op)];
    const int32_t operands[3] = {in.a, in.b, in.c};
    const uint8_t scalar[3] = {Inst::kScalarA, Inst::kScalarB, Inst::kScalarC};
    *unknown = in.op == Op::load_indirect || in.op == Op::store_indirect;
    int m = 0;
    for (int i = 0; i < 3; ++i) {
        first[i] = operands[i];
        count[i] = 0;
        if (k[i + 1] != 'S' || operands[i] < 0) continue;
        count[i] = (in.flags & scalar[i]) ? 1 : in.n;
        if (isChild(in.op)) count[i] = i == 0 ? childInputs(in.op) : 1;
        if (in.op == Op::load_indirect && i == 0) count[i] = 0;  // the array: *unknown
        m = i + 1;
    }
    return m;
}

bool isJump(Op op) { return op == Op::jump || op == Op::branch_if_none || op == Op::counter_loop; }

// Where control goes after instruction pc: up to two successors (size is the end).
int successors(const std::vector<Inst>& code, size_t pc, size_t next[2]) {
    const Inst& in = code[pc];
    switch (in.op) {
        case Op::jump: next[0] = size_t(in.dst); return 1;
        case Op::branch_if_none: next[0] = pc + 1; next[1] = size_t(in.dst); return 2;
        case Op::counter_loop: next[0] = pc + 1; next[1] = size_t(in.a); return 2;
        default: next[0] = pc + 1; return 1;
    }
}

// For a value that instruction def writes to the slots [dst, dst + count) while those slots
// are also written elsewhere, across jumps: finds every operand that may read it. Each must
// read nothing but this value (no path from another write of any of its slots reaches it), so
// it can read a copy of the value in fresh slots instead. Returns false when some reader could
// see another value too, or reads the slots without naming them (a masked copy keeps its old
// value in some lanes). The work is charged to *budget; false when it runs out.
struct Use {
    size_t pc;
    int operand;    // 0 a, 1 b, 2 c
    int confirmed;  // slots of the operand found to read the value alone
    int width;
};
bool soleReaders(const std::vector<Inst>& code, size_t def, int32_t dst, int count,
                 std::vector<Use>& uses, long* budget) {
    const size_t size = code.size();
    // Per slot: which write reaches the start of each instruction; kNone before any path
    // gets there, kMany when several (or a partial write, or the previous batch's) may.
    constexpr int kNone = -2, kMany = -1;
    if (*budget <= 3 * long(count) * long(size)) return false;
    std::vector<int> reach(size + 1);
    std::vector<char> fromDef(size + 1);
    std::vector<size_t> work;
    uses.clear();
    for (int k = 0; k < count; ++k) {
        const int32_t s = dst + k;
        auto writes = [&](const Inst& in, bool* whole) {
            int32_t f;
            int c;
            written(in, &f, &c);
            *whole = in.op != Op::copy_masked;
            return f <= s && s < f + c;
        };
        *budget -= 3 * long(size);  // the fills and the scan of the readers
        std::fill(reach.begin(), reach.end(), kNone);
        reach[0] = kMany;  // the previous batch's value
        work.assign(1, 0);
        while (!work.empty()) {
            if (--*budget < 0) return false;
            const size_t pc = work.back();
            work.pop_back();
            if (pc >= size) continue;
            bool whole = false;
            const int out = writes(code[pc], &whole) ? (whole ? int(pc) : kMany) : reach[pc];
            size_t next[2];
            for (int i = 0, m = successors(code, pc, next); i < m; ++i) {
                int& r = reach[std::min(next[i], size)];
                const int merged = r == kNone ? out : r == out ? r : kMany;
                if (merged != r) {
                    r = merged;
                    work.push_back(next[i]);
                }
            }
        }
        // The instructions the value reaches before slot s is written again.
        std::fill(fromDef.begin(), fromDef.end(), 0);
        work.clear();
        {
            size_t next[2];
            for (int i = 0, m = successors(code, def, next); i < m; ++i) work.push_back(next[i]);
        }
        while (!work.empty()) {
            if (--*budget < 0) return false;
            const size_t pc = work.back();
            work.pop_back();
            if (pc >= size || fromDef[pc]) continue;
            fromDef[pc] = 1;
            bool whole = false;
            if (writes(code[pc], &whole) && whole) continue;
            size_t next[2];
            for (int i = 0, m = successors(code, pc, next); i < m; ++i) work.push_back(next[i]);
        }
        for (size_t pc = 0; pc < size; ++pc) {
            if (!fromDef[pc]) continue;
            const Inst& in = code[pc];
            bool whole = false;
            if (in.op == Op::copy_masked && writes(in, &whole)) return false;
            int32_t rf[3];
            int rw[3];
            bool unknown;
            const int m = reads(in, rf, rw, &unknown);
            for (int i = 0; i < m; ++i) {
                if (rw[i] == 0 || s < rf[i] || rf[i] + rw[i] <= s) continue;
                if (reach[pc] != int(def) || rf[i] < dst || dst + count < rf[i] + rw[i]) return false;
                Use* use = nullptr;
                for (Use& u : uses) use = u.pc == pc && u.operand == i ? &u : use;
                if (!use) uses.push_back({pc, i, 0, rw[i]}), use = &uses.back();
                ++use->confirmed;
            }
        }
    }
    // A reader of several slots must get every one of them from this value.
    for (const Use& u : uses) {
        if (u.confirmed != u.width) return false;
    }
    return true;
}

}  // namespace

void HoistInvariants(SlotProgram& p) {
    const int slots = p.slotCount;
    if (slots <= 0 || p.code.empty()) return;
    const size_t size = p.code.size();
    const int stackEnd = p.constants.empty() ? (p.uniformBase >= 0 ? p.uniformBase : slots)
                                             : std::min_element(p.constants.begin(), p.constants.end())->first;
    // Writers of each slot; the executor's own inputs and outputs count as written elsewhere.
    std::vector<int> writers(size_t(slots), 0);
    std::vector<char> pinned(size_t(slots), 0);
    auto addWriters = [&](int32_t first, int count, int times) {
        for (int k = 0; k < count; ++k)
            if (first + k >= 0 && first + k < slots) writers[size_t(first + k)] += times;
    };
    auto pin = [&](int32_t first, int count) {
        addWriters(first, count, 2);
        for (int k = 0; k < count; ++k)
            if (first + k >= 0 && first + k < slots) pinned[size_t(first + k)] = 1;
    };
    for (const Inst& in : p.code) {
        if (in.op == Op::store_indirect) {
            addWriters(in.dst, stackEnd - in.dst, 2);
            continue;
        }
        int32_t first;
        int count;
        written(in, &first, &count);
        addWriters(first, count, 1);
    }
    for (int32_t s : {p.coordX, p.coordY, p.fragX, p.fragY}) pin(s, s >= 0 ? 1 : 0);
    pin(p.color, p.color >= 0 ? 4 : 0);
    pin(p.dstColor, p.dstColor >= 0 ? 4 : 0);
    pin(p.result, p.result >= 0 ? 4 : 0);

    // Where control may enter or leave: jumps and their targets, as running counts so that a
    // range can be asked whether it holds any.
    std::vector<int> flow(size + 1, 0);
    {
        std::vector<char> marks(size + 1, 0);
        for (size_t pc = 0; pc < size; ++pc) {
            const Inst& in = p.code[pc];
            if (!isJump(in.op) && in.op != Op::load_indirect && in.op != Op::store_indirect) continue;
            marks[pc] = 1;
            const int32_t target = kKinds[int(in.op)][0] == 'T' ? in.dst : in.a;
            if (isJump(in.op) && target >= 0 && size_t(target) <= size) marks[size_t(target)] = 1;
        }
        for (size_t pc = 0; pc < size; ++pc) flow[pc + 1] = flow[pc] + marks[pc];
    }
    // Same in every lane: constants, uniforms, then results of hoisted instructions.
    std::vector<char> invariant(size_t(slots), 0);
    for (int s = stackEnd; s < slots; ++s) invariant[size_t(s)] = 1;
    auto isInvariant = [&](int32_t s) { return s >= 0 && s < int32_t(invariant.size()) && invariant[size_t(s)]; };

    // Indexed reads and writes reach slots chosen at run time, from their base up: values
    // there stay put.
    int32_t indirectBase = stackEnd;
    for (const Inst& in : p.code) {
        if (in.op == Op::load_indirect) indirectBase = std::min(indirectBase, in.a);
        if (in.op == Op::store_indirect) indirectBase = std::min(indirectBase, in.dst);
    }
    // Bounds the work of following values across jumps (about the code size per candidate).
    long budget = 20'000'000;
    std::vector<Use> uses;

    std::vector<char> hoisted(size, 0);
    for (size_t pc = 0; pc < size; ++pc) {
        Inst& in = p.code[pc];
        if (neverHoisted(in.op)) continue;
        int32_t dst;
        int count;
        written(in, &dst, &count);
        if (count <= 0 || dst + count > stackEnd) continue;
        int32_t from[3];
        int widths[3];
        bool unknown;
        const int m = reads(in, from, widths, &unknown);
        bool inputs = !unknown;
        for (int i = 0; inputs && i < m; ++i) {
            if (isChild(in.op) && i == 1) continue;  // the lane mask: every lane runs up front
            for (int k = 0; inputs && k < widths[i]; ++k) inputs = isInvariant(from[i] + k);
        }
        if (!inputs) continue;
        bool single = true;
        for (int k = 0; k < count; ++k) single = single && writers[size_t(dst + k)] == 1;
        if (!single) {
            // A slot used again later: the value moves to fresh slots, and each slot's readers
            // up to its next write read the fresh one instead. That needs the stretch up to the
            // last of those writes to run straight through (nothing jumps into or out of it),
            // the writes to replace the old value outright (a masked copy keeps it in some
            // lanes), and every reader to take slots that are all still the moved value.
            // Fresh slots stay within the register file's limit.
            bool room = int32_t(invariant.size()) + count <= kMaxSlots && dst + count <= indirectBase;
            for (int k = 0; room && k < count; ++k) room = !pinned[size_t(dst + k)];
            bool ok = room;
            std::vector<size_t> ends(size_t(count), size);
            int open = count;
            for (size_t r = pc + 1; ok && open > 0; ++r) {
                if (r >= size || flow[r + 1] != flow[r] || p.code[r].op == Op::copy_masked) {
                    ok = false;
                    break;
                }
                int32_t f;
                int c;
                written(p.code[r], &f, &c);
                for (int k = 0; k < count; ++k) {
                    if (ends[size_t(k)] == size && f <= dst + k && dst + k < f + c) {
                        ends[size_t(k)] = r;
                        --open;
                    }
                }
            }
            const size_t last = ok ? *std::max_element(ends.begin(), ends.end()) : 0;
            // Whether slot s of the value is still the moved value when instruction r reads it.
            auto live = [&](int32_t s, size_t r) { return r <= ends[size_t(s - dst)]; };
            for (size_t r = pc + 1; ok && r <= last; ++r) {
                int32_t rf[3];
                int rw[3];
                bool ru;
                const int rm = reads(p.code[r], rf, rw, &ru);
                for (int i = 0; ok && i < rm; ++i) {
                    if (rw[i] == 0 || rf[i] + rw[i] <= dst || dst + count <= rf[i]) continue;
                    const bool inside = dst <= rf[i] && rf[i] + rw[i] <= dst + count;
                    bool allLive = inside, noneLive = inside;
                    for (int k = 0; inside && k < rw[i]; ++k) {
                        const bool l = live(rf[i] + k, r);
                        allLive = allLive && l;
                        noneLive = noneLive && !l;
                    }
                    ok = allLive || noneLive;
                }
            }
            // Otherwise, across jumps: when every instruction that may read the value reads
            // it alone (see soleReaders). Child reads stay where they are, so a child is not
            // asked for a point that no pixel needs.
            const bool acrossJumps = !ok && room && !isChild(in.op) &&
                                     soleReaders(p.code, pc, dst, count, uses, &budget);
            if (!ok && !acrossJumps) continue;
            const int32_t fresh = int32_t(invariant.size());
            invariant.resize(invariant.size() + size_t(count), 1);
            for (const Use& u : acrossJumps ? uses : std::vector<Use>{}) {
                Inst& reader = p.code[u.pc];
                int32_t rf[3];
                int rw[3];
                bool ru;
                reads(reader, rf, rw, &ru);
                int32_t* operands[3] = {&reader.a, &reader.b, &reader.c};
                *operands[u.operand] = fresh + (rf[u.operand] - dst);
            }
            for (size_t r = pc + 1; !acrossJumps && r <= last; ++r) {
                Inst& reader = p.code[r];
                int32_t rf[3];
                int rw[3];
                bool ru;
                const int rm = reads(reader, rf, rw, &ru);
                int32_t* operands[3] = {&reader.a, &reader.b, &reader.c};
                for (int i = 0; i < rm; ++i) {
                    if (rw[i] > 0 && dst <= rf[i] && rf[i] + rw[i] <= dst + count && live(rf[i], r))
                        *operands[i] = fresh + (rf[i] - dst);
                }
            }
            in.dst = fresh;
            // The old slots lose a writer: one that is left with a single one may move later.
            for (int k = 0; k < count; ++k) --writers[size_t(dst + k)];
        } else {
            for (int k = 0; k < count; ++k) invariant[size_t(dst + k)] = 1;
        }
        if (isChild(in.op)) in.b = -1;
        hoisted[pc] = 1;
    }
    p.slotCount = int(invariant.size());

    std::vector<Inst> body;
    std::vector<int> newIndex(size + 1);
    for (size_t pc = 0; pc < size; ++pc) {
        newIndex[pc] = int(body.size());
        if (hoisted[pc]) p.prologue.push_back(p.code[pc]);
        else body.push_back(p.code[pc]);
    }
    newIndex[size] = int(body.size());
    if (p.prologue.empty()) return;
    for (Inst& in : body) {
        const char* k = kKinds[int(in.op)];
        if (k[0] == 'T') in.dst = newIndex[size_t(in.dst)];
        if (k[1] == 'T') in.a = newIndex[size_t(in.a)];
    }
    p.code = std::move(body);
}

}  // namespace plix::sksl
