#include "sksl/codegen/Lowering.h"

#include "sksl/codegen/Hoisting.h"
#include "sksl/codegen/Lowerer.h"

#include "sksl/StackGuard.h"
#include "sksl/analysis/ConstantFolder.h"
#include "sksl/analysis/ProgramRules.h"
#include "sksl/codegen/MatrixInverse.h"
#include "sksl/ir/BinaryExpression.h"
#include "sksl/ir/Block.h"
#include "sksl/ir/ChildCall.h"
#include "sksl/ir/Constructor.h"
#include "sksl/ir/ExpressionStatement.h"
#include "sksl/ir/FieldAccess.h"
#include "sksl/ir/ForStatement.h"
#include "sksl/ir/FunctionCall.h"
#include "sksl/ir/IfStatement.h"
#include "sksl/ir/IndexExpression.h"
#include "sksl/ir/IntrinsicCall.h"
#include "sksl/ir/JumpStatements.h"
#include "sksl/ir/Literal.h"
#include "sksl/ir/Program.h"
#include "sksl/ir/Swizzle.h"
#include "sksl/ir/SwitchStatement.h"
#include "sksl/ir/TernaryExpression.h"
#include "sksl/ir/UnaryExpression.h"
#include "sksl/ir/VarDeclaration.h"
#include "sksl/ir/VariableReference.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <unordered_map>

namespace plix::sksl::lowering {

int32_t Lowerer::alloc(int n) {
    int32_t base = fTop;
    fTop += n;
    if (fTop > kMaxSlots) throw TooLarge{fSite};
    fOut.slotCount = std::max(fOut.slotCount, fTop);
    return base;
}

int32_t Lowerer::constant(uint32_t bits) {
    auto it = fConstants.find(bits);
    if (it != fConstants.end()) return kConstTag | it->second;
    int32_t index = static_cast<int32_t>(fConstantBits.size());
    fConstantBits.push_back(bits);
    fConstants[bits] = index;
    return kConstTag | index;
}

Value Lowerer::contiguousConstants(const Value& v) {
    if (v.size() < 2 || isContiguous(v)) return v;
    std::vector<uint32_t> bits;
    for (int32_t s : v) {
        if (!(s & kConstTag)) return v;
        bits.push_back(fConstantBits[s & ~kConstTag]);
    }
    auto it = fConstantVectors.find(bits);
    int32_t base;
    if (it != fConstantVectors.end()) {
        base = it->second;
    } else {
        base = static_cast<int32_t>(fConstantBits.size());
        for (uint32_t b : bits) fConstantBits.push_back(b);
        fConstantVectors[bits] = base;
    }
    Value out;
    for (size_t i = 0; i < v.size(); ++i) out.push_back(kConstTag | (base + static_cast<int32_t>(i)));
    return out;
}

int Lowerer::emit(Op op, int32_t dst, int32_t a, int32_t b, int32_t c, int n, uint8_t flags) {
    if (fOut.code.size() >= static_cast<size_t>(kMaxInstructions)) throw TooLarge{fSite};
    Inst inst;
    inst.op = op;
    inst.n = static_cast<uint8_t>(n);
    inst.flags = flags;
    inst.dst = dst;
    inst.a = a;
    inst.b = b;
    inst.c = c;
    fOut.code.push_back(inst);
    fCost += fMultiplier;
    if (fCost > kMaxCost) throw TooExpensive{fSite};
    return static_cast<int>(fOut.code.size()) - 1;
}

void Lowerer::elementwise(Op op, const Value& dst, const Value& a, const Value& b, const Value& c) {
    const size_t n = dst.size();
    auto at = [](const Value& v, size_t k) -> int32_t {
        return v.empty() ? -1 : v[v.size() == 1 ? 0 : k];
    };
    size_t k = 0;
    while (k < n) {
        size_t len = 1;
        int sa = -1, sb = -1, sc = -1;  // stride of each operand in this run: 0 or 1
        auto fits = [&](const Value& v, size_t j, int& stride) {
            if (v.empty()) return true;
            int32_t d = at(v, j) - at(v, k);
            int32_t want = static_cast<int32_t>(j - k);
            if (stride < 0) {
                if (d == 0) stride = 0;
                else if (d == want) stride = 1;
                else return false;
                return true;
            }
            return d == (stride ? want : 0);
        };
        while (k + len < n && len < 255) {
            size_t j = k + len;
            if (dst[j] != dst[k] + static_cast<int32_t>(len)) break;
            int ta = sa, tb = sb, tc = sc;
            if (!fits(a, j, ta) || !fits(b, j, tb) || !fits(c, j, tc)) break;
            sa = ta;
            sb = tb;
            sc = tc;
            ++len;
        }
        uint8_t flags = 0;
        if (len > 1) {
            if (sa == 0) flags |= Inst::kScalarA;
            if (sb == 0) flags |= Inst::kScalarB;
            if (sc == 0) flags |= Inst::kScalarC;
        }
        emit(op, dst[k], at(a, k), at(b, k), at(c, k), static_cast<int>(len), flags);
        k += len;
    }
}

Value Lowerer::unary(Op op, const Value& a) {
    int32_t d = alloc(static_cast<int>(a.size()));
    Value dst(a.size());
    for (size_t i = 0; i < a.size(); ++i) dst[i] = d + static_cast<int32_t>(i);
    elementwise(op, dst, a);
    return dst;
}

Value Lowerer::dot(const Value& a, const Value& b) {
    if (a.size() == 1) return binary(Op::mul_f, a, b);
    Value ca = contiguous(a), cb = contiguous(b);
    int32_t s = alloc(1);
    emit(Op::dot_f, s, ca[0], cb[0], -1, static_cast<int>(a.size()));
    return {s};
}

Value Lowerer::binary(Op op, const Value& a, const Value& b) {
    size_t n = std::max(a.size(), b.size());
    int32_t d = alloc(static_cast<int>(n));
    Value dst(n);
    for (size_t i = 0; i < n; ++i) dst[i] = d + static_cast<int32_t>(i);
    elementwise(op, dst, a, b);
    return dst;
}

Value Lowerer::ternary(Op op, const Value& a, const Value& b, const Value& c) {
    size_t n = std::max({a.size(), b.size(), c.size()});
    int32_t d = alloc(static_cast<int>(n));
    Value dst(n);
    for (size_t i = 0; i < n; ++i) dst[i] = d + static_cast<int32_t>(i);
    elementwise(op, dst, a, b, c);
    return dst;
}

Value Lowerer::copyToTemps(const Value& v) { return unary(Op::copy, v); }

// Copies a value that lives in variable storage (not in fresh temporaries), so a later write
// to the variable cannot change it.
Value Lowerer::materializeIfStorage(const Value& v) {
    for (int32_t s : v) {
        if (isVariableSlot(s)) return copyToTemps(v);
    }
    return v;
}

void Lowerer::markVariable(int32_t base, int n) {
    if (base & kTagMask) return;
    if (fIsVariable.size() < static_cast<size_t>(base + n)) fIsVariable.resize(base + n, 0);
    for (int i = 0; i < n; ++i) fIsVariable[base + i] = 1;
}

void Lowerer::release(int32_t mark) {
    for (int32_t s = mark; s < fTop && s < static_cast<int32_t>(fIsVariable.size()); ++s) {
        fIsVariable[s] = 0;
    }
    fTop = mark;
}

void Lowerer::enterExec() {
    int32_t only = -1;
    int count = 0;
    for (int32_t m : {fMask.cond, fMask.loop, fMask.ret}) {
        if (m != -1) {
            only = m;
            ++count;
        }
    }
    fMask.exec = count == 1 ? only : alloc(1);
    refreshExec();
}

void Lowerer::refreshExec() {
    if (fMask.exec == -1) return;
    // exec = cond & loop & ret. When exec is itself one of the parts (an alias), the others
    // are folded into it in place: the parts only ever lose lanes, so that stays exact.
    int32_t others[3];
    int count = 0;
    bool self = false;
    for (int32_t m : {fMask.cond, fMask.loop, fMask.ret}) {
        if (m == -1) continue;
        if (m == fMask.exec) self = true;
        else others[count++] = m;
    }
    if (self) {
        for (int i = 0; i < count; ++i) emit(Op::bit_and, fMask.exec, fMask.exec, others[i]);
    } else if (count == 0) {
        emit(Op::copy, fMask.exec, allOnes());
    } else if (count == 1) {
        emit(Op::copy, fMask.exec, others[0]);
    } else {
        emit(Op::bit_and, fMask.exec, others[0], others[1]);
        if (count == 3) emit(Op::bit_and, fMask.exec, fMask.exec, others[2]);
    }
}

int32_t Lowerer::declare(const Variable& v) {
    int32_t base = alloc(v.type().slotCount());
    fVars[&v] = {base, fDepth};
    markVariable(base, v.type().slotCount());
    return base;
}

Value Lowerer::constantValue(const Variable& v) {
    if (!v.isConst() || !v.constValue() || v.storage() == Variable::Storage::Parameter) return {};
    std::vector<double> values;
    if (!ConstantFolder::GetValues(*v.constValue(), &values)) return {};
    std::vector<NumberKind> kinds;
    slotKinds(v.type(), kinds);
    if (kinds.size() != values.size()) return {};
    Value out;
    for (size_t i = 0; i < values.size(); ++i) {
        switch (kinds[i]) {
            case NumberKind::Float: out.push_back(constF(static_cast<float>(values[i]))); break;
            case NumberKind::Int: out.push_back(constI(static_cast<int32_t>(values[i]))); break;
            default: out.push_back(constI(values[i] != 0 ? -1 : 0)); break;
        }
    }
    return out;
}

bool Lowerer::retarget(const Value& v, int32_t dst) {
    if (fOut.code.empty() || v.empty() || !isContiguous(v)) return false;
    Inst& last = fOut.code.back();
    if (last.dst != v[0] || last.n != v.size()) return false;
    static constexpr char kKinds[][4] = {
#define PLIX_SKSL_OP_KINDS(name, d, a, b, c) {#d[0], #a[0], #b[0], #c[0]},
        PLIX_SKSL_OPS(PLIX_SKSL_OP_KINDS)
#undef PLIX_SKSL_OP_KINDS
    };
    switch (last.op) {
        case Op::load_indirect: case Op::store_indirect: case Op::dot_f: case Op::copy_masked:
        case Op::jump: case Op::branch_if_none: case Op::counter_set: case Op::counter_loop:
        case Op::child_shader: case Op::child_color_filter: case Op::child_blender:
            return false;
        default:
            break;
    }
    // Each source that walks along with the result must either be the destination itself
    // (an in-place update) or stay clear of it.
    const char* kinds = kKinds[static_cast<int>(last.op)];
    const int32_t operands[3] = {last.a, last.b, last.c};
    const uint8_t scalar[3] = {Inst::kScalarA, Inst::kScalarB, Inst::kScalarC};
    const int32_t n = last.n;
    for (int i = 0; i < 3; ++i) {
        if (kinds[i + 1] != 'S' || operands[i] < 0) continue;
        int32_t lo = operands[i], hi = operands[i] + ((last.flags & scalar[i]) ? 1 : n);
        if (lo == dst && !(last.flags & scalar[i])) continue;
        if (lo < dst + n && dst < hi) return false;
    }
    last.dst = dst;
    return true;
}

Access Lowerer::accessOf(const Expression& e) {
    switch (e.kind()) {
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            if (&v == fFragCoord) break;
            if (!v.isUniform() && fVars.find(&v) == fVars.end()) break;  // a constant
            Access a;
            int n = v.type().slotCount();
            if (v.isUniform()) {
                int slot = 0;
                for (const Variable* u : fProgram.uniforms()) {
                    if (u == &v) break;
                    slot += u->type().slotCount();
                }
                a.base = kUniformTag | slot;
                a.depth = -1;
            } else {
                auto it = fVars.find(&v);
                if (it == fVars.end()) break;  // cannot happen for a checked program
                a.base = it->second.first;
                a.depth = it->second.second;
            }
            for (int i = 0; i < n; ++i) a.offsets.push_back(i);
            return a;
        }
        case IRKind::FieldAccess: {
            const auto& f = e.as<FieldAccess>();
            Access a = accessOf(f.base());
            int offset = 0;
            const auto& fields = f.base().type().fields();
            for (int k = 0; k < f.fieldIndex(); ++k) offset += fields[k].type->slotCount();
            int n = e.type().slotCount();
            a.offsets = std::vector<int32_t>(a.offsets.begin() + offset,
                                             a.offsets.begin() + offset + n);
            return a;
        }
        case IRKind::Swizzle: {
            const auto& s = e.as<Swizzle>();
            bool hasConstant = false;
            for (int8_t c : s.components()) hasConstant |= c >= Swizzle::kZero;
            if (hasConstant) break;
            Access a = accessOf(s.base());
            std::vector<int32_t> offsets;
            for (int8_t c : s.components()) offsets.push_back(a.offsets[c]);
            a.offsets = std::move(offsets);
            return a;
        }
        case IRKind::Index: {
            const auto& ix = e.as<IndexExpression>();
            Access a = accessOf(ix.base());
            const Type& bt = ix.base().type();
            int count = bt.isArray() ? bt.arraySize() : bt.columns();
            int stride = e.type().slotCount();
            const Expression& index = ix.index();
            if (index.is<Literal>()) {
                int k = std::clamp(static_cast<int>(index.as<Literal>().value()), 0, count - 1);
                a.offsets = std::vector<int32_t>(a.offsets.begin() + k * stride,
                                                 a.offsets.begin() + (k + 1) * stride);
                return a;
            }
            // A loop-index expression: the same in every lane. Clamp it so no lane can reach
            // outside the variable.
            Value iv = expr(index);
            int32_t clamped = alloc(1);
            emit(Op::max_i, clamped, iv[0], constI(0));
            emit(Op::min_i, clamped, clamped, constI(count - 1));
            if (stride != 1) emit(Op::mul_i, clamped, clamped, constI(stride));
            bool contiguousBase = true;
            for (size_t i = 1; i < a.offsets.size(); ++i) {
                contiguousBase &= a.offsets[i] == a.offsets[0] + static_cast<int32_t>(i);
            }
            if (!contiguousBase) {
                // Indexing a swizzle ("v.zx[i]", read or written): look the index up in the
                // swizzle's offsets, so the access still lands in the variable itself.
                int32_t offset = alloc(1);
                emit(Op::copy, offset, constI(a.offsets[0]));
                for (int k = 1; k < count; ++k) {
                    int32_t hit = alloc(1);
                    emit(Op::eq_i, hit, clamped, constI(k * stride));
                    emit(Op::select, offset, constI(a.offsets[k * stride]), offset, hit);
                }
                clamped = offset;
                std::vector<int32_t> from0(stride);
                for (int k = 0; k < stride; ++k) from0[k] = k;
                a.offsets = std::move(from0);
            }
            if (a.dyn != -1) {
                emit(Op::add_i, clamped, clamped, a.dyn);
            }
            a.dyn = clamped;
            a.offsets = std::vector<int32_t>(a.offsets.begin(), a.offsets.begin() + stride);
            return a;
        }
        default:
            break;
    }
    // Any other value: gather it into fresh slots.
    Value v = contiguous(expr(e));
    Access a;
    a.base = v.empty() ? 0 : v[0];
    for (size_t i = 0; i < v.size(); ++i) a.offsets.push_back(static_cast<int32_t>(i));
    a.depth = fDepth;
    return a;
}

Value Lowerer::load(const Access& a) {
    Value v;
    if (a.dyn == -1) {
        for (int32_t o : a.offsets) v.push_back(a.base + o);
        return v;
    }
    int32_t d = alloc(static_cast<int>(a.offsets.size()));
    size_t k = 0;
    while (k < a.offsets.size()) {
        size_t len = 1;
        while (k + len < a.offsets.size() && len < 255 &&
               a.offsets[k + len] == a.offsets[k] + static_cast<int32_t>(len)) {
            ++len;
        }
        emit(Op::load_indirect, d + static_cast<int32_t>(k), a.base + a.offsets[k], a.dyn, -1,
             static_cast<int>(len));
        k += len;
    }
    for (size_t i = 0; i < a.offsets.size(); ++i) v.push_back(d + static_cast<int32_t>(i));
    return v;
}

void Lowerer::store(const Access& a, Value v) {
    // A source that overlaps the target (v = v.yx) is copied first.
    bool overlap = a.dyn != -1;
    if (!overlap) {
        for (size_t i = 0; i < v.size() && !overlap; ++i) {
            for (size_t j = 0; j < a.offsets.size(); ++j) {
                if (v[i] == a.base + a.offsets[j] && i != j) overlap = true;
            }
        }
    }
    if (overlap) v = materializeIfStorage(v);
    const bool useMask = masked(a.depth);
    if (a.dyn == -1 && !useMask && !overlap) {
        bool contiguousTarget = true;
        for (size_t i = 1; i < a.offsets.size(); ++i) {
            contiguousTarget &= a.offsets[i] == a.offsets[0] + static_cast<int32_t>(i);
        }
        bool scratch = true;
        for (int32_t s : v) scratch = scratch && !(s & kTagMask) && !isVariableSlot(s);
        if (contiguousTarget && scratch && !a.offsets.empty() &&
            retarget(v, a.base + a.offsets[0])) {
            return;
        }
    }
    if (a.dyn == -1) {
        Value dst;
        Value src;
        for (size_t i = 0; i < a.offsets.size(); ++i) {
            if (v[i] == a.base + a.offsets[i]) continue;  // already in place
            dst.push_back(a.base + a.offsets[i]);
            src.push_back(v[i]);
        }
        if (dst.empty()) return;
        if (useMask) {
            elementwise(Op::copy_masked, dst, src, {}, Value{fMask.exec});
        } else {
            elementwise(Op::copy, dst, src);
        }
        return;
    }
    v = contiguous(v);
    size_t k = 0;
    while (k < a.offsets.size()) {
        size_t len = 1;
        while (k + len < a.offsets.size() && len < 255 &&
               a.offsets[k + len] == a.offsets[k] + static_cast<int32_t>(len)) {
            ++len;
        }
        emit(Op::store_indirect, a.base + a.offsets[k], v[k], a.dyn, useMask ? fMask.exec : -1,
             static_cast<int>(len));
        k += len;
    }
}

// ---------------------------------------------------------------------------------------------

void Lowerer::run() {
    const FunctionDefinition* main = fProgram.main();
    const auto& params = main->declaration().parameters();
    Value args;
    switch (fProgram.kind()) {
        case ProgramKind::Shader:
            fOut.coordX = alloc(2);
            fOut.coordY = fOut.coordX + 1;
            args = {fOut.coordX, fOut.coordY};
            break;
        case ProgramKind::ColorFilter:
            fOut.color = alloc(4);
            for (int i = 0; i < 4; ++i) args.push_back(fOut.color + i);
            break;
        case ProgramKind::Blender:
            fOut.color = alloc(4);
            fOut.dstColor = alloc(4);
            for (int i = 0; i < 4; ++i) args.push_back(fOut.color + i);
            for (int i = 0; i < 4; ++i) args.push_back(fOut.dstColor + i);
            break;
    }
    if (fFragCoord) {
        fOut.fragX = alloc(2);
        fOut.fragY = fOut.fragX + 1;
        fFragValue = {fOut.fragX, fOut.fragY, constF(0), constF(1)};
    }
    fOut.result = alloc(4);
    Value result = {fOut.result, fOut.result + 1, fOut.result + 2, fOut.result + 3};

    // Globals, with their initial values, for every batch.
    for (const VarDeclaration* g : fProgram.globals()) varDeclaration(*g);

    std::vector<Value> argValues;
    size_t at = 0;
    for (const Variable* p : params) {
        size_t n = p->type().slotCount();
        argValues.emplace_back(args.begin() + at, args.begin() + at + n);
        at += n;
    }
    std::vector<Access> noOuts(params.size());
    inlineCall(main->declaration(), argValues, noOuts, result);

    // Relocation: stack, then constants, then the uniform block.
    int32_t constBase = fOut.slotCount;
    int32_t uniformBase = constBase + static_cast<int32_t>(fConstantBits.size());
    int uniformSlots = 0;
    for (const Variable* u : fProgram.uniforms()) uniformSlots += u->type().slotCount();
    auto relocate = [&](int32_t& s) {
        if (s < 0) return;
        if (s & kConstTag) s = constBase + (s & ~kConstTag);
        else if (s & kUniformTag) s = uniformBase + (s & ~kUniformTag);
    };
    static constexpr char kKinds[][4] = {
#define PLIX_SKSL_OP_KINDS(name, d, a, b, c) {#d[0], #a[0], #b[0], #c[0]},
        PLIX_SKSL_OPS(PLIX_SKSL_OP_KINDS)
#undef PLIX_SKSL_OP_KINDS
    };
    for (Inst& inst : fOut.code) {
        const char* k = kKinds[static_cast<int>(inst.op)];
        if (k[0] == 'S') relocate(inst.dst);
        if (k[1] == 'S') relocate(inst.a);
        if (k[2] == 'S') relocate(inst.b);
        if (k[3] == 'S') relocate(inst.c);
    }
    for (size_t i = 0; i < fConstantBits.size(); ++i) {
        fOut.constants.emplace_back(constBase + static_cast<int32_t>(i), fConstantBits[i]);
    }
    fOut.uniformBase = uniformBase;
    fOut.uniformSlots = uniformSlots;
    fOut.slotCount = uniformBase + uniformSlots;
    if (fOut.slotCount > kMaxSlots) throw TooLarge{fSite};
}


}  // namespace plix::sksl::lowering

namespace plix::sksl {

using namespace lowering;

bool Lower(const Program& program, const Variable* fragCoord, SlotProgram* out,
           std::string* error, Position* errorPos) {
    *out = SlotProgram{};
    if (!program.main()) {
        if (error) *error = "program has no main function";
        return false;
    }
    std::optional<TooDeep> tooDeep;
    std::optional<TooLarge> tooLarge;
    std::optional<TooExpensive> tooExpensive;
    auto lower = [&] {
        try {
            Lowerer(program, fragCoord, *out).run();
            HoistInvariants(*out);
        } catch (const TooDeep& e) {
            tooDeep = e;
        } catch (const TooLarge& e) {
            tooLarge = e;
        } catch (const TooExpensive& e) {
            tooExpensive = e;
        }
    };
    lower();
    // Inlining recurses once per call: a long chain of calls gets a deep stack of its own.
    if (tooDeep && !OnLargeStack()) {
        tooDeep.reset();
        *out = SlotProgram{};
        RunWithLargeStack(lower);
    }
    if (!tooDeep && !tooLarge && !tooExpensive) return true;
    *out = SlotProgram{};
    std::string message;
    Position pos;
    if (tooDeep) {
        message = "function calls are nested too deeply";
        pos = tooDeep->pos;
    } else if (tooLarge) {
        message = "program is too large";
        pos = tooLarge->pos;
    } else {
        message = "program is too expensive: its loops could run more than " +
                  std::to_string(kMaxCost) + " instructions for each batch of pixels";
        pos = tooExpensive->pos;
    }
    if (error) *error = std::move(message);
    if (errorPos) *errorPos = pos;
    return false;
}

}  // namespace plix::sksl
