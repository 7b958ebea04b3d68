#include "sksl/codegen/Hoisting.h"

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
            bool ok = int32_t(invariant.size()) + count <= int32_t(1) << 20;
            for (int k = 0; ok && k < count; ++k) ok = !pinned[size_t(dst + k)];
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
            if (!ok) continue;
            const int32_t fresh = int32_t(invariant.size());
            invariant.resize(invariant.size() + size_t(count), 1);
            for (size_t r = pc + 1; r <= last; ++r) {
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
