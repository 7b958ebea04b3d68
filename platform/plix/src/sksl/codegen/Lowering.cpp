#include "sksl/codegen/Lowering.h"

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
#include <unordered_map>

namespace plix::sksl {

namespace {

// Slot ids during lowering: plain ids are the stack; tagged ids are constants and uniforms,
// placed after the stack once its size is known.
constexpr int32_t kConstTag = 1 << 29;
constexpr int32_t kUniformTag = 1 << 28;
constexpr int32_t kTagMask = kConstTag | kUniformTag;

using Value = std::vector<int32_t>;
using NumberKind = Type::NumberKind;

// Where a variable, or a part of one, lives: base + dyn (a lane-uniform int slot, when indexed
// by a loop index) + offsets[k].
struct Access {
    int32_t base = -1;
    std::vector<int32_t> offsets;
    int32_t dyn = -1;
    int depth = 0;  // nesting depth at which the root variable was declared
};

struct Mask {
    int32_t cond = -1, loop = -1, ret = -1, exec = -1, cont = -1;  // -1: every lane
};

struct Frame {
    Value ret;
    int depth;
    int32_t retMask;  // -1 when the function never returns early
};

struct TooLarge {};
struct TooExpensive {};

void slotKinds(const Type& t, std::vector<NumberKind>& out) {
    if (t.isArray()) {
        for (int i = 0; i < t.arraySize(); ++i) slotKinds(t.elementType(), out);
    } else if (t.isStruct()) {
        for (const auto& f : t.fields()) slotKinds(*f.type, out);
    } else {
        for (int i = 0; i < t.slotCount(); ++i) out.push_back(t.numberKind());
    }
}

bool isContiguous(const Value& v) {
    for (size_t i = 1; i < v.size(); ++i) {
        if (v[i] != v[0] + static_cast<int32_t>(i)) return false;
    }
    return true;
}

// Does the expression change anything outside itself?
// Writes to any variable count, unless only writes that outlive a function are asked for
// (globals and out parameters), as for functionWritesOutside.
class Effects {
public:
    bool expression(const Expression& e) { return expr(e, true); }
    // Side effects, or a child call: expressions worth running only in the lanes that need
    // them (a child then never sees the junk inputs of lanes that skip it).
    bool guarded(const Expression& e) {
        fChildren = true;
        bool r = expr(e, true);
        fChildren = false;
        return r;
    }
    bool functionWritesOutside(const FunctionDeclaration& f);

private:
    bool expr(const Expression& e, bool locals);
    bool fChildren = false;
    bool statement(const Statement& s);
    std::map<const FunctionDeclaration*, int> fMemo;  // 1 no, 2 yes, 3 in progress
};

bool writesGlobal(const Expression& target);

bool Effects::functionWritesOutside(const FunctionDeclaration& f) {
    int& m = fMemo[&f];
    if (m == 1 || m == 3) return false;
    if (m == 2) return true;
    for (const Variable* p : f.parameters()) {
        if (p->flags() & Variable::kOut) return (m = 2), true;
    }
    m = 3;
    bool children = fChildren;
    fChildren = false;
    bool writes = f.definition() && statement(f.definition()->body());
    fChildren = children;
    fMemo[&f] = writes ? 2 : 1;
    return writes;
}

bool Effects::statement(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                if (statement(*c)) return true;
            }
            return false;
        case IRKind::VarDeclaration:
            return s.as<VarDeclaration>().value() && expr(*s.as<VarDeclaration>().value(), false);
        case IRKind::ExpressionStatement:
            return expr(s.as<ExpressionStatement>().expression(), false);
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return expr(i.test(), false) || statement(i.then()) ||
                   (i.otherwise() && statement(*i.otherwise()));
        }
        case IRKind::For: {
            const auto& f = s.as<ForStatement>();
            return statement(f.body());
        }
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (statement(*st)) return true;
                }
            }
            return expr(s.as<SwitchStatement>().value(), false);
        case IRKind::Return:
            return s.as<ReturnStatement>().value() && expr(*s.as<ReturnStatement>().value(), false);
        default:
            return false;
    }
}

// Writes to globals (through any path) count; writes to locals do not.
bool writesGlobal(const Expression& target) {
    const Expression* e = &target;
    for (;;) {
        if (e->is<VariableReference>()) {
            return e->as<VariableReference>().variable().storage() == Variable::Storage::Global;
        }
        if (e->is<Swizzle>()) e = &e->as<Swizzle>().base();
        else if (e->is<IndexExpression>()) e = &e->as<IndexExpression>().base();
        else if (e->is<FieldAccess>()) e = &e->as<FieldAccess>().base();
        else return false;
    }
}

bool Effects::expr(const Expression& e, bool locals) {
    switch (e.kind()) {
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            if (IsAssignment(b.op()) && (locals || writesGlobal(b.left()))) return true;
            return expr(b.left(), locals) || expr(b.right(), locals);
        }
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            bool writes = p.op() == Operator::PlusPlus || p.op() == Operator::MinusMinus;
            if (writes && (locals || writesGlobal(p.operand()))) return true;
            return expr(p.operand(), locals);
        }
        case IRKind::Postfix:
            return locals || writesGlobal(e.as<PostfixExpression>().operand());
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return expr(t.test(), locals) || expr(t.ifTrue(), locals) || expr(t.ifFalse(), locals);
        }
        case IRKind::FunctionCall: {
            const auto& c = e.as<FunctionCall>();
            if (fChildren || functionWritesOutside(c.function())) return true;
            for (const Expression* a : c.arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        }
        case IRKind::IntrinsicCall:
            for (const Expression* a : e.as<IntrinsicCall>().arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        case IRKind::ChildCall:
            if (fChildren) return true;
            for (const Expression* a : e.as<ChildCall>().arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        case IRKind::Constructor:
            for (const Expression* a : e.as<Constructor>().arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        case IRKind::Swizzle:
            return expr(e.as<Swizzle>().base(), locals);
        case IRKind::Index:
            return expr(e.as<IndexExpression>().base(), locals) ||
                   expr(e.as<IndexExpression>().index(), locals);
        case IRKind::FieldAccess:
            return expr(e.as<FieldAccess>().base(), locals);
        default:
            return false;
    }
}

// Functions whose body, as far as the statement list goes, returns before its end.
bool returnsEarly(const Statement& s, bool last) {
    switch (s.kind()) {
        case IRKind::Return:
            return !last;
        case IRKind::Block: {
            const auto& list = s.as<Block>().statements();
            for (size_t i = 0; i < list.size(); ++i) {
                bool isLast = last && i + 1 == list.size();
                if (list[i]->is<ReturnStatement>()) return !isLast;
                if (returnsEarly(*list[i], isLast)) return true;
            }
            return false;
        }
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return returnsEarly(i.then(), false) || (i.otherwise() && returnsEarly(*i.otherwise(), false));
        }
        case IRKind::For:
            return returnsEarly(s.as<ForStatement>().body(), false);
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (returnsEarly(*st, false)) return true;
                }
            }
            return false;
        default:
            return false;
    }
}

bool hasContinue(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Continue:
            return true;
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                if (hasContinue(*c)) return true;
            }
            return false;
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return hasContinue(i.then()) || (i.otherwise() && hasContinue(*i.otherwise()));
        }
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (hasContinue(*st)) return true;
                }
            }
            return false;
        default:
            return false;  // a nested loop owns its continues
    }
}

class Lowerer {
public:
    Lowerer(const Program& program, const Variable* fragCoord, SlotProgram& out)
            : fProgram(program), fFragCoord(fragCoord), fOut(out) {}

    void run();

    // Number type for InvertMatrix: arithmetic emits instructions.
    struct Num {
        Lowerer* L;
        int32_t slot;
        Num operator*(const Num& o) const { return L->num(Op::mul_f, slot, o.slot); }
        Num operator/(const Num& o) const { return L->num(Op::div_f, slot, o.slot); }
        Num operator+(const Num& o) const { return L->num(Op::add_f, slot, o.slot); }
        Num operator-(const Num& o) const { return L->num(Op::sub_f, slot, o.slot); }
        Num operator-() const { return L->num(Op::neg_f, slot, -1); }
    };
    Num num(Op op, int32_t a, int32_t b) {
        int32_t d = alloc(1);
        emit(op, d, a, b);
        return {this, d};
    }

private:
    // Slots and constants.
    int32_t alloc(int n);
    int32_t constant(uint32_t bits);
    int32_t constF(float f) { return constant(std::bit_cast<uint32_t>(f)); }
    int32_t constI(int32_t i) { return constant(static_cast<uint32_t>(i)); }
    int32_t constZero(NumberKind k) { return k == NumberKind::Float ? constF(0) : constI(0); }
    int32_t constOne(NumberKind k) {
        return k == NumberKind::Float ? constF(1) : k == NumberKind::Int ? constI(1) : constI(-1);
    }
    int32_t allOnes() { return constI(-1); }
    // A value of constants laid out in consecutive slots, so it moves with one instruction.
    Value contiguousConstants(const Value& v);

    // Emission.
    int emit(Op op, int32_t dst, int32_t a = -1, int32_t b = -1, int32_t c = -1, int n = 1,
             uint8_t flags = 0);
    void elementwise(Op op, const Value& dst, const Value& a, const Value& b = {},
                     const Value& c = {});
    Value unary(Op op, const Value& a);
    Value binary(Op op, const Value& a, const Value& b);
    Value ternary(Op op, const Value& a, const Value& b, const Value& c);
    Value copyToTemps(const Value& v);
    Value contiguous(const Value& v) { return isContiguous(v) ? v : copyToTemps(v); }
    Value splat(int32_t slot, size_t n) { return Value(n, slot); }
    void patch(int at) { fOut.code[at].dst = static_cast<int32_t>(fOut.code.size()); }

    // Slots that hold variables (a copy protects a value read from them against later writes;
    // temporaries need none).
    void markVariable(int32_t base, int n);
    bool isVariableSlot(int32_t s) const {
        return !(s & kTagMask) && s < static_cast<int32_t>(fIsVariable.size()) && fIsVariable[s];
    }
    // Frees every slot from mark up.
    void release(int32_t mark);
    // A slot this construct may overwrite: a temporary of its own, not a constant, uniform or
    // variable.
    bool isScratch(int32_t s, int32_t mark) const {
        return s >= mark && !(s & kTagMask) && !isVariableSlot(s);
    }

    // Masks.
    void refreshExec();
    // Gives the context in fMask its exec mask: the only component itself when there is one,
    // else a slot of its own, and computes it.
    void enterExec();
    bool masked(int depth) const { return fMask.exec != -1 && depth < fDepth; }
    int32_t execOrAll() { return fMask.exec == -1 ? allOnes() : fMask.exec; }

    // Variables.
    int32_t declare(const Variable& v);
    // The value of a const variable with a constant initialiser, as constant slots; empty for
    // other variables. Such variables get no storage and no per-batch initialisation.
    Value constantValue(const Variable& v);
    // Makes the last instruction write its result to dst instead of to the temporaries v,
    // when it computed exactly v and nothing it reads overlaps dst differently; true if done.
    bool retarget(const Value& v, int32_t dst);
    Access accessOf(const Expression& e);
    Value load(const Access& a);
    void store(const Access& a, Value v);
    Value materializeIfStorage(const Value& v);

    // Statements.
    void statement(const Statement& s);
    void block(const Block& b);
    void ifStatement(const IfStatement& s);
    void forStatement(const ForStatement& s);
    void switchStatement(const SwitchStatement& s);
    void returnStatement(const ReturnStatement& s);
    void varDeclaration(const VarDeclaration& d);

    // Expressions.
    Value expr(const Expression& e);
    Value binaryExpr(const BinaryExpression& b);
    Value arithmetic(Operator op, const Type& lt, const Value& l, const Type& rt, const Value& r);
    Value logical(const BinaryExpression& b);
    Value equality(const Type& t, const Value& l, const Value& r, bool equal);
    Value prefixExpr(const PrefixExpression& p);
    Value postfixExpr(const PostfixExpression& p);
    Value ternaryExpr(const TernaryExpression& t);
    Value callExpr(const FunctionCall& c);
    Value inlineCall(const FunctionDeclaration& f, const std::vector<Value>& args,
                     const std::vector<Access>& outArgs, const Value& result);
    Value intrinsicExpr(const IntrinsicCall& c);
    Value childExpr(const ChildCall& c);
    Value constructorExpr(const Constructor& c);
    Value castValue(const Value& v, NumberKind from, NumberKind to);
    Value swizzleExpr(const Swizzle& s);
    std::vector<Value> arguments(const std::vector<Expression*>& args);

    const Program& fProgram;
    const Variable* fFragCoord;
    SlotProgram& fOut;
    Effects fEffects;

    int32_t fTop = 0;
    std::map<uint32_t, int32_t> fConstants;  // bits -> const index
    std::map<std::vector<uint32_t>, int32_t> fConstantVectors;  // bits -> first const index
    std::vector<uint32_t> fConstantBits;
    std::unordered_map<const Variable*, std::pair<int32_t, int>> fVars;  // base slot, depth
    Mask fMask;
    int fDepth = 0;
    int fLoopDepth = 0;
    int fMaskWrites = 0;       // counts changes of loop and return masks
    uint64_t fCost = 0;        // instructions one batch runs at most
    uint64_t fMultiplier = 1;  // how often the code being emitted can run
    std::vector<Frame> fFrames;
    Value fFragValue;
    std::vector<uint8_t> fIsVariable;
};

int32_t Lowerer::alloc(int n) {
    int32_t base = fTop;
    fTop += n;
    if (fTop > kMaxSlots) throw TooLarge{};
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
    if (fOut.code.size() >= static_cast<size_t>(kMaxInstructions)) throw TooLarge{};
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
    if (fCost > kMaxCost) throw TooExpensive{};
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
                // Indexing a swizzle ("v.zx[i]"): gather the value first.
                Value whole = load(a);
                Access t;
                t.base = whole[0];
                for (size_t i = 0; i < whole.size(); ++i) t.offsets.push_back(static_cast<int32_t>(i));
                t.depth = fDepth;
                a = t;
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
    if (fOut.slotCount > kMaxSlots) throw TooLarge{};
}

// ---------------------------------------------------------------------------------------------
// Statements

void Lowerer::statement(const Statement& s) {
    int32_t mark = fTop;
    switch (s.kind()) {
        case IRKind::Block:
            block(s.as<Block>());
            break;
        case IRKind::VarDeclaration:
            varDeclaration(s.as<VarDeclaration>());
            return;  // the variable stays allocated until its block ends
        case IRKind::ExpressionStatement: {
            const Expression& e = s.as<ExpressionStatement>().expression();
            if (fEffects.expression(e)) expr(e);
            break;
        }
        case IRKind::If:
            ifStatement(s.as<IfStatement>());
            break;
        case IRKind::For:
            forStatement(s.as<ForStatement>());
            break;
        case IRKind::Switch:
            switchStatement(s.as<SwitchStatement>());
            break;
        // After a jump nothing more of its block runs; the construct around it brings its own
        // mask up to date when it ends.
        case IRKind::Break:
            emit(Op::bit_andnot, fMask.loop, fMask.loop, fMask.exec);
            ++fMaskWrites;
            break;
        case IRKind::Continue:
            emit(Op::bit_or, fMask.cont, fMask.cont, fMask.exec);
            emit(Op::bit_andnot, fMask.loop, fMask.loop, fMask.exec);
            ++fMaskWrites;
            break;
        case IRKind::Return:
            returnStatement(s.as<ReturnStatement>());
            break;
        default:
            break;
    }
    release(mark);
}

void Lowerer::block(const Block& b) {
    int32_t mark = fTop;
    for (const Statement* s : b.statements()) {
        statement(*s);
        // Whatever follows a jump in the same block never runs.
        if (s->is<ReturnStatement>() || s->is<BreakStatement>() || s->is<ContinueStatement>()) {
            break;
        }
    }
    release(mark);
}

void Lowerer::varDeclaration(const VarDeclaration& d) {
    const Variable& v = d.variable();
    const int n = v.type().slotCount();
    // A const with a constant value is read as constants wherever it is used.
    if (!constantValue(v).empty()) return;
    if (d.value() && n > 0) {
        // A value computed into fresh slots of its own becomes the variable: no copy.
        int32_t mark = fTop;
        Value value = expr(*d.value());
        bool fresh = isContiguous(value) && static_cast<int>(value.size()) == n;
        for (int32_t s : value) fresh = fresh && isScratch(s, mark);
        if (fresh) {
            release(value[0] + n);
            fVars[&v] = {value[0], fDepth};
            markVariable(value[0], n);
            return;
        }
        int32_t base = declare(v);
        Value dst;
        for (int i = 0; i < n; ++i) dst.push_back(base + i);
        elementwise(Op::copy, dst, value);
        return;
    }
    int32_t base = declare(v);
    int32_t mark = fTop;
    Value dst;
    for (int i = 0; i < n; ++i) dst.push_back(base + i);
    if (d.value()) {
        elementwise(Op::copy, dst, expr(*d.value()));
    } else {
        // Variables start at zero so every run of a program is repeatable.
        std::vector<NumberKind> kinds;
        slotKinds(v.type(), kinds);
        Value zeros;
        for (NumberKind k : kinds) zeros.push_back(constZero(k));
        elementwise(Op::copy, dst, zeros);
    }
    release(mark);
}

// True when s holds a break, continue or return anywhere inside.
bool hasJump(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Break:
        case IRKind::Continue:
        case IRKind::Return:
            return true;
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                if (hasJump(*c)) return true;
            }
            return false;
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return hasJump(i.then()) || (i.otherwise() && hasJump(*i.otherwise()));
        }
        case IRKind::For:
            return hasJump(s.as<ForStatement>().body());
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (hasJump(*st)) return true;
                }
            }
            return false;
        default:
            return false;
    }
}

void Lowerer::ifStatement(const IfStatement& s) {
    if (s.test().is<Literal>()) {
        if (s.test().as<Literal>().value() != 0) {
            statement(s.then());
        } else if (s.otherwise()) {
            statement(*s.otherwise());
        }
        return;
    }
    // The branches may change what the test read; keep the test's own copy.
    int32_t mark = fTop;
    Value t = materializeIfStorage(expr(s.test()));
    Mask saved = fMask;
    // The branch's condition includes the lanes running now, so it is also the branch's
    // execution mask; a break, continue or return inside narrows it in place.
    const int32_t outer = saved.exec;
    const bool jumps = hasJump(s.then()) || (s.otherwise() && hasJump(*s.otherwise()));
    int32_t cond;
    if (outer == -1 && !jumps && isScratch(t[0], mark)) {
        cond = t[0];  // the test's own slot; the else branch turns it around in place
    } else {
        cond = alloc(1);
        if (outer == -1) {
            emit(Op::copy, cond, t[0]);
        } else {
            emit(Op::bit_and, cond, outer, t[0]);
        }
    }
    fMask.cond = cond;
    fMask.exec = cond;
    const int writes = fMaskWrites;
    ++fDepth;
    int skipThen = emit(Op::branch_if_none, -1, cond);
    statement(s.then());
    patch(skipThen);
    if (s.otherwise()) {
        // Both branches run, each for its own lanes (and is skipped when it has none). Lanes
        // that left the loop or returned in the then-branch were never else-lanes.
        if (outer == -1) {
            emit(Op::bit_not, cond, t[0]);
        } else {
            emit(Op::bit_andnot, cond, outer, t[0]);
        }
        int skipOtherwise = emit(Op::branch_if_none, -1, cond);
        statement(*s.otherwise());
        patch(skipOtherwise);
    }
    --fDepth;
    fMask = saved;
    if (fMaskWrites != writes) refreshExec();
}

void Lowerer::forStatement(const ForStatement& s) {
    // The index is lane-uniform: initialise and step it in every lane.
    Mask saved = fMask;
    int savedDepth = fDepth;
    fMask = Mask{};
    statement(s.initializer());
    fMask = saved;
    if (s.maxIterations() == 0) return;

    int counter = fLoopDepth++;
    fOut.counterCount = std::max(fOut.counterCount, fLoopDepth);
    // The loop mask starts as the lanes running now, so it is the loop's execution mask too;
    // returns inside fold the return mask into it in place.
    int32_t loop = alloc(1);
    emit(Op::copy, loop, execOrAll());
    fMask.cond = -1;
    fMask.loop = loop;
    fMask.exec = loop;
    fMask.cont = -1;
    if (hasContinue(s.body())) {
        fMask.cont = alloc(1);
        emit(Op::copy, fMask.cont, constI(0));
    }
    ++fDepth;
    emit(Op::counter_set, counter, s.maxIterations());
    const uint64_t outerMultiplier = fMultiplier;
    fMultiplier = std::min<uint64_t>(fMultiplier * static_cast<uint64_t>(s.maxIterations()),
                                     kMaxCost + 1);
    int top = static_cast<int>(fOut.code.size());
    {
        int32_t mark = fTop;
        Value t = expr(s.test());
        emit(Op::bit_and, loop, loop, t[0]);
        release(mark);
    }
    refreshExec();
    int exit = emit(Op::branch_if_none, -1, fMask.exec);
    statement(s.body());
    if (fMask.cont != -1) {
        emit(Op::bit_or, loop, loop, fMask.cont);
        emit(Op::copy, fMask.cont, constI(0));
    }
    {
        Mask inLoop = fMask;
        fMask = Mask{};
        int32_t mark = fTop;
        expr(s.next());
        release(mark);
        fMask = inLoop;
    }
    emit(Op::counter_loop, counter, top);
    fMultiplier = outerMultiplier;
    patch(exit);
    --fLoopDepth;
    fDepth = savedDepth;
    fMask = saved;
    refreshExec();
}

void Lowerer::switchStatement(const SwitchStatement& s) {
    Value v = materializeIfStorage(expr(s.value()));
    Mask saved = fMask;
    // The switch is a loop that runs once: break drops lanes from its mask.
    int32_t lanes = alloc(1);
    emit(Op::copy, lanes, execOrAll());
    int32_t matched = alloc(1);
    emit(Op::copy, matched, constI(0));
    int32_t test = alloc(1);
    fMask.cond = matched;
    fMask.loop = lanes;
    fMask.cont = -1;
    enterExec();
    ++fDepth;
    int32_t mark = fTop;
    for (const auto& c : s.cases()) {
        if (c.isDefault) {
            // Lanes that match no case.
            emit(Op::copy, test, constI(-1));
            for (const auto& other : s.cases()) {
                if (other.isDefault) continue;
                int32_t eq = alloc(1);
                emit(Op::eq_i, eq, v[0], constI(other.value));
                emit(Op::bit_andnot, test, test, eq);
            }
        } else {
            emit(Op::eq_i, test, v[0], constI(c.value));
        }
        emit(Op::bit_or, matched, matched, test);
        refreshExec();
        int skip = emit(Op::branch_if_none, -1, fMask.exec);
        for (const Statement* st : c.statements) {
            statement(*st);
            if (st->is<ReturnStatement>() || st->is<BreakStatement>()) break;
        }
        patch(skip);
    }
    release(mark);
    --fDepth;
    fMask = saved;
    refreshExec();
}

void Lowerer::returnStatement(const ReturnStatement& s) {
    // The value may call functions, which push frames; look at ours only afterwards.
    Value v;
    if (s.value()) v = expr(*s.value());
    const Frame& frame = fFrames.back();
    if (s.value()) {
        Access target;
        target.base = frame.ret.empty() ? 0 : frame.ret[0];
        for (size_t i = 0; i < frame.ret.size(); ++i) target.offsets.push_back(static_cast<int32_t>(i));
        target.depth = frame.depth;
        store(target, v);
    }
    if (frame.retMask != -1 && fMask.exec != -1) {
        emit(Op::bit_andnot, frame.retMask, frame.retMask, fMask.exec);
        ++fMaskWrites;
    }
}

// ---------------------------------------------------------------------------------------------
// Expressions

std::vector<Value> Lowerer::arguments(const std::vector<Expression*>& args) {
    std::vector<Value> values;
    for (size_t i = 0; i < args.size(); ++i) {
        values.push_back(expr(*args[i]));
        // A later argument that writes something must not change this one.
        bool laterEffects = false;
        for (size_t j = i + 1; j < args.size() && !laterEffects; ++j) {
            laterEffects = fEffects.expression(*args[j]);
        }
        if (laterEffects) values.back() = materializeIfStorage(values.back());
    }
    return values;
}

Value Lowerer::expr(const Expression& e) {
    switch (e.kind()) {
        case IRKind::Literal: {
            double v = e.as<Literal>().value();
            switch (e.type().numberKind()) {
                case NumberKind::Float: return {constF(static_cast<float>(v))};
                case NumberKind::Int: return {constI(static_cast<int32_t>(v))};
                default: return {constI(v != 0 ? -1 : 0)};
            }
        }
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            if (&v == fFragCoord) return fFragValue;
            if (v.type().isChild()) return {};
            if (!v.isUniform() && fVars.find(&v) == fVars.end()) {
                Value c = constantValue(v);
                if (!c.empty()) return c;
            }
            return load(accessOf(e));
        }
        case IRKind::Binary:
            return binaryExpr(e.as<BinaryExpression>());
        case IRKind::Prefix:
            return prefixExpr(e.as<PrefixExpression>());
        case IRKind::Postfix:
            return postfixExpr(e.as<PostfixExpression>());
        case IRKind::Ternary:
            return ternaryExpr(e.as<TernaryExpression>());
        case IRKind::FunctionCall:
            return callExpr(e.as<FunctionCall>());
        case IRKind::IntrinsicCall:
            return intrinsicExpr(e.as<IntrinsicCall>());
        case IRKind::ChildCall:
            return childExpr(e.as<ChildCall>());
        case IRKind::Constructor:
            return constructorExpr(e.as<Constructor>());
        case IRKind::Swizzle:
            return swizzleExpr(e.as<Swizzle>());
        case IRKind::Index: {
            const auto& ix = e.as<IndexExpression>();
            if (ix.index().is<Literal>()) {
                Value base = expr(ix.base());
                int stride = e.type().slotCount();
                const Type& bt = ix.base().type();
                int count = bt.isArray() ? bt.arraySize() : bt.columns();
                int k = std::clamp(static_cast<int>(ix.index().as<Literal>().value()), 0, count - 1);
                return Value(base.begin() + k * stride, base.begin() + (k + 1) * stride);
            }
            return load(accessOf(e));
        }
        case IRKind::FieldAccess: {
            const auto& f = e.as<FieldAccess>();
            Value base = expr(f.base());
            int offset = 0;
            const auto& fields = f.base().type().fields();
            for (int k = 0; k < f.fieldIndex(); ++k) offset += fields[k].type->slotCount();
            return Value(base.begin() + offset, base.begin() + offset + e.type().slotCount());
        }
        default:
            return {};
    }
}

Value Lowerer::swizzleExpr(const Swizzle& s) {
    Value base = expr(s.base());
    NumberKind k = s.type().numberKind();
    Value out;
    for (int8_t c : s.components()) {
        if (c == Swizzle::kZero) out.push_back(constZero(k));
        else if (c == Swizzle::kOne) out.push_back(constOne(k));
        else out.push_back(base[c]);
    }
    return out;
}

Value Lowerer::binaryExpr(const BinaryExpression& b) {
    Operator op = b.op();
    if (op == Operator::Comma) {
        if (fEffects.expression(b.left())) expr(b.left());
        return expr(b.right());
    }
    if (IsAssignment(op)) {
        Access target = accessOf(b.left());
        if (op == Operator::Eq) {
            Value v = expr(b.right());
            store(target, v);
            return load(target);
        }
        Value current = materializeIfStorage(load(target));
        Value r = expr(b.right());
        Value result = arithmetic(RemoveAssignment(op), b.left().type(), current,
                                  b.right().type(), r);
        store(target, result);  // may compute straight into the target: read it back
        return load(target);
    }
    if (op == Operator::AmpAmp || op == Operator::PipePipe) return logical(b);
    Value l = expr(b.left());
    if (fEffects.expression(b.right())) l = materializeIfStorage(l);
    Value r = expr(b.right());
    const Type& lt = b.left().type();
    switch (op) {
        case Operator::CaretCaret:
            return binary(Op::bit_xor, l, r);
        case Operator::EqEq:
        case Operator::Neq:
            return equality(lt, l, r, op == Operator::EqEq);
        case Operator::Lt:
        case Operator::Lte:
        case Operator::Gt:
        case Operator::Gte: {
            bool isFloat = lt.isFloat();
            Op lt_ = isFloat ? Op::lt_f : Op::lt_i;
            Op le_ = isFloat ? Op::le_f : Op::le_i;
            if (op == Operator::Lt) return binary(lt_, l, r);
            if (op == Operator::Lte) return binary(le_, l, r);
            if (op == Operator::Gt) return binary(lt_, r, l);
            return binary(le_, r, l);
        }
        default:
            return arithmetic(op, lt, l, b.right().type(), r);
    }
}

Value Lowerer::arithmetic(Operator op, const Type& lt, const Value& l, const Type& rt,
                          const Value& r) {
    if (op == Operator::Star && (lt.isMatrix() || rt.isMatrix()) && !lt.isScalar() &&
        !rt.isScalar()) {
        if (lt.isVector()) {
            // v * M: one dot product per column.
            int rows = rt.rows();
            Value lv = contiguous(l);
            int32_t d = alloc(rt.columns());
            for (int c = 0; c < rt.columns(); ++c) {
                Value col = contiguous(Value(r.begin() + c * rows, r.begin() + (c + 1) * rows));
                emit(Op::dot_f, d + c, lv[0], col[0], -1, rows);
            }
            Value out;
            for (int c = 0; c < rt.columns(); ++c) out.push_back(d + c);
            return out;
        }
        // M * v and M * N: each result column is a sum of M's columns scaled by a component.
        int rows = lt.rows();
        int inner = lt.columns();
        int cols = rt.isMatrix() ? rt.columns() : 1;
        Value out;
        for (int c = 0; c < cols; ++c) {
            Value acc;
            for (int k = 0; k < inner; ++k) {
                Value mcol(l.begin() + k * rows, l.begin() + (k + 1) * rows);
                Value s = {r[c * inner + k]};
                if (k == 0) {
                    acc = binary(Op::mul_f, mcol, s);
                } else {
                    elementwise(Op::mad_f, acc, mcol, s, acc);
                }
            }
            out.insert(out.end(), acc.begin(), acc.end());
        }
        return out;
    }
    bool isFloat = lt.isFloat();
    Op code;
    switch (op) {
        case Operator::Plus: code = isFloat ? Op::add_f : Op::add_i; break;
        case Operator::Minus: code = isFloat ? Op::sub_f : Op::sub_i; break;
        case Operator::Star: code = isFloat ? Op::mul_f : Op::mul_i; break;
        default: code = isFloat ? Op::div_f : Op::div_i; break;
    }
    return binary(code, l, r);
}

Value Lowerer::equality(const Type& t, const Value& l, const Value& r, bool equal) {
    std::vector<NumberKind> kinds;
    slotKinds(t, kinds);
    Value cmp;
    int32_t d = alloc(static_cast<int>(l.size()));
    for (size_t i = 0; i < l.size(); ++i) {
        Op op = kinds[i] == NumberKind::Float ? (equal ? Op::eq_f : Op::ne_f)
                                              : (equal ? Op::eq_i : Op::ne_i);
        emit(op, d + static_cast<int32_t>(i), l[i], r[i]);
        cmp.push_back(d + static_cast<int32_t>(i));
    }
    if (cmp.size() == 1) return cmp;
    int32_t acc = alloc(1);
    emit(equal ? Op::bit_and : Op::bit_or, acc, cmp[0], cmp[1]);
    for (size_t i = 2; i < cmp.size(); ++i) emit(equal ? Op::bit_and : Op::bit_or, acc, acc, cmp[i]);
    return {acc};
}

Value Lowerer::logical(const BinaryExpression& b) {
    bool isAnd = b.op() == Operator::AmpAmp;
    Value l = expr(b.left());
    if (!fEffects.guarded(b.right())) {
        Value r = expr(b.right());
        return binary(isAnd ? Op::bit_and : Op::bit_or, l, r);
    }
    // The right side runs only in the lanes that need it.
    int32_t result = alloc(1);
    emit(Op::copy, result, l[0]);
    Mask saved = fMask;
    int32_t cond = alloc(1);
    if (isAnd) {
        if (saved.cond == -1) emit(Op::copy, cond, l[0]);
        else emit(Op::bit_and, cond, saved.cond, l[0]);
    } else {
        if (saved.cond == -1) emit(Op::bit_not, cond, l[0]);
        else emit(Op::bit_andnot, cond, saved.cond, l[0]);
    }
    fMask.cond = cond;
    enterExec();
    ++fDepth;
    int skip = emit(Op::branch_if_none, -1, fMask.exec);
    Value r = expr(b.right());
    emit(Op::copy_masked, result, r[0], -1, fMask.exec);
    patch(skip);
    --fDepth;
    fMask = saved;
    refreshExec();
    return {result};
}

Value Lowerer::prefixExpr(const PrefixExpression& p) {
    switch (p.op()) {
        case Operator::Minus:
            return unary(p.type().isFloat() ? Op::neg_f : Op::neg_i, expr(p.operand()));
        case Operator::Bang:
            return unary(Op::bit_not, expr(p.operand()));
        case Operator::PlusPlus:
        case Operator::MinusMinus: {
            Access target = accessOf(p.operand());
            Value v = load(target);
            bool isFloat = p.type().isFloat();
            Op code = p.op() == Operator::PlusPlus ? (isFloat ? Op::add_f : Op::add_i)
                                                   : (isFloat ? Op::sub_f : Op::sub_i);
            Value result = binary(code, v, {isFloat ? constF(1) : constI(1)});
            store(target, result);
            return load(target);
        }
        default:
            return expr(p.operand());
    }
}

Value Lowerer::postfixExpr(const PostfixExpression& p) {
    Access target = accessOf(p.operand());
    Value old = copyToTemps(load(target));
    bool isFloat = p.type().isFloat();
    Op code = p.op() == Operator::PlusPlus ? (isFloat ? Op::add_f : Op::add_i)
                                           : (isFloat ? Op::sub_f : Op::sub_i);
    store(target, binary(code, old, {isFloat ? constF(1) : constI(1)}));
    return old;
}

Value Lowerer::ternaryExpr(const TernaryExpression& t) {
    Value test = expr(t.test());
    bool effects = fEffects.guarded(t.ifTrue()) || fEffects.guarded(t.ifFalse());
    if (!effects) {
        Value a = expr(t.ifTrue());
        Value b = expr(t.ifFalse());
        return ternary(Op::select, a, b, {test[0]});
    }
    // Each side runs only in its own lanes.
    test = materializeIfStorage(test);
    int n = t.type().slotCount();
    int32_t r = alloc(n);
    Value result;
    for (int i = 0; i < n; ++i) result.push_back(r + i);
    Mask saved = fMask;
    int32_t cond = alloc(1);
    fMask.cond = cond;
    fMask.exec = (fMask.loop == -1 && fMask.ret == -1) ? cond : alloc(1);
    ++fDepth;
    for (int side = 0; side < 2; ++side) {
        if (side == 0) {
            if (saved.cond == -1) emit(Op::copy, cond, test[0]);
            else emit(Op::bit_and, cond, saved.cond, test[0]);
        } else {
            if (saved.cond == -1) emit(Op::bit_not, cond, test[0]);
            else emit(Op::bit_andnot, cond, saved.cond, test[0]);
        }
        refreshExec();
        int skip = emit(Op::branch_if_none, -1, fMask.exec);
        int32_t mark = fTop;
        Value v = expr(side == 0 ? t.ifTrue() : t.ifFalse());
        elementwise(Op::copy_masked, result, v, {}, Value{fMask.exec});
        release(mark);
        patch(skip);
    }
    --fDepth;
    fMask = saved;
    refreshExec();
    return result;
}

Value Lowerer::callExpr(const FunctionCall& c) {
    const FunctionDeclaration& f = c.function();
    const auto& params = f.parameters();
    std::vector<Value> args;
    std::vector<Access> outs(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const Expression& arg = *c.arguments()[i];
        if (params[i]->flags() & Variable::kOut) {
            outs[i] = accessOf(arg);
            if (params[i]->flags() & Variable::kIn) {
                args.push_back(copyToTemps(load(outs[i])));
            } else {
                args.emplace_back();
            }
        } else {
            args.push_back(expr(arg));
        }
        bool laterEffects = false;
        for (size_t j = i + 1; j < params.size() && !laterEffects; ++j) {
            laterEffects = fEffects.expression(*c.arguments()[j]);
        }
        if (laterEffects) args.back() = materializeIfStorage(args.back());
    }
    int n = f.returnType().slotCount();
    int32_t r = alloc(n);
    Value result;
    for (int i = 0; i < n; ++i) result.push_back(r + i);
    return inlineCall(f, args, outs, result);
}

Value Lowerer::inlineCall(const FunctionDeclaration& f, const std::vector<Value>& args,
                          const std::vector<Access>& outArgs, const Value& result) {
    const FunctionDefinition* def = f.definition();
    const auto& params = f.parameters();
    int callDepth = fDepth;
    bool pure = !fEffects.functionWritesOutside(f);

    // Parameters: out parameters live at the caller's depth (their values are copied back);
    // in parameters never written by the body and passed to a function that writes nothing
    // outside itself use the argument's slots directly.
    std::vector<std::pair<int32_t, int>> saved;
    for (size_t i = 0; i < params.size(); ++i) {
        const Variable* p = params[i];
        auto it = fVars.find(p);
        saved.push_back(it == fVars.end() ? std::make_pair(-1, 0) : it->second);
        int n = p->type().slotCount();
        bool isOut = p->flags() & Variable::kOut;
        if (!isOut && pure && isContiguous(args[i]) && !args[i].empty() &&
            !ProgramRules::Writes(def->body(), *p)) {
            fVars[p] = {args[i][0], callDepth};
            markVariable(args[i][0], n);
            continue;
        }
        int32_t base = alloc(n);
        fVars[p] = {base, callDepth};
        markVariable(base, n);
        Value dst;
        for (int k = 0; k < n; ++k) dst.push_back(base + k);
        if (!args[i].empty()) {
            elementwise(Op::copy, dst, args[i]);
        } else {
            std::vector<NumberKind> kinds;
            slotKinds(p->type(), kinds);
            Value zeros;
            for (NumberKind k : kinds) zeros.push_back(constZero(k));
            elementwise(Op::copy, dst, zeros);
        }
    }

    Mask savedMask = fMask;
    int32_t retMask = -1;
    if (returnsEarly(def->body(), true)) {
        retMask = alloc(1);
        emit(Op::copy, retMask, execOrAll());
        fMask = Mask{};
        fMask.ret = retMask;
        enterExec();
    }
    fFrames.push_back({result, callDepth, retMask});
    ++fDepth;
    block(def->body());
    --fDepth;
    fFrames.pop_back();
    fMask = savedMask;
    refreshExec();

    for (size_t i = 0; i < params.size(); ++i) {
        const Variable* p = params[i];
        if (p->flags() & Variable::kOut) {
            int32_t base = fVars[p].first;
            Value v;
            for (int k = 0; k < p->type().slotCount(); ++k) v.push_back(base + k);
            store(outArgs[i], v);
        }
        if (saved[i].first == -1) fVars.erase(p);
        else fVars[p] = saved[i];
    }
    return result;
}

Value Lowerer::castValue(const Value& v, NumberKind from, NumberKind to) {
    if (from == to) return v;
    Op op;
    if (to == NumberKind::Float) op = from == NumberKind::Int ? Op::i2f : Op::b2f;
    else if (to == NumberKind::Int) op = from == NumberKind::Float ? Op::f2i : Op::b2i;
    else op = from == NumberKind::Float ? Op::f2b : Op::i2b;
    return unary(op, v);
}

Value Lowerer::constructorExpr(const Constructor& c) {
    const Type& t = c.type();
    const auto& args = c.arguments();
    switch (c.form()) {
        case Constructor::Form::Cast: {
            const Type& from = args[0]->type();
            return castValue(expr(*args[0]), from.numberKind(), t.numberKind());
        }
        case Constructor::Form::Splat: {
            Value v = expr(*args[0]);
            return splat(v[0], t.slotCount());
        }
        case Constructor::Form::DiagonalMatrix: {
            Value v = expr(*args[0]);
            int n = t.columns();
            Value out;
            for (int col = 0; col < n; ++col) {
                for (int row = 0; row < n; ++row) out.push_back(col == row ? v[0] : constF(0));
            }
            return out;
        }
        case Constructor::Form::MatrixResize: {
            Value v = expr(*args[0]);
            int n = t.columns();
            int m = args[0]->type().columns();
            Value out;
            for (int col = 0; col < n; ++col) {
                for (int row = 0; row < n; ++row) {
                    if (col < m && row < m) out.push_back(v[col * m + row]);
                    else out.push_back(constF(col == row ? 1 : 0));
                }
            }
            return out;
        }
        case Constructor::Form::Compound:
        case Constructor::Form::Struct: {
            std::vector<Value> values = arguments(args);
            Value out;
            for (const Value& v : values) out.insert(out.end(), v.begin(), v.end());
            return contiguousConstants(out);
        }
    }
    return {};
}

Value Lowerer::childExpr(const ChildCall& c) {
    std::vector<Value> values = arguments(c.arguments());
    Value in;
    for (const Value& v : values) in.insert(in.end(), v.begin(), v.end());
    in = contiguous(in);
    int32_t d = alloc(4);
    Op op = c.child().type().kind() == Type::Kind::Shader        ? Op::child_shader
            : c.child().type().kind() == Type::Kind::ColorFilter ? Op::child_color_filter
                                                                 : Op::child_blender;
    emit(op, d, in[0], fMask.exec, c.child().index());
    return {d, d + 1, d + 2, d + 3};
}

Value Lowerer::intrinsicExpr(const IntrinsicCall& c) {
    std::vector<Value> a = arguments(c.arguments());
    const Type& t = c.arguments()[0]->type();
    auto f = [&](float v) { return Value{constF(v)}; };
    switch (c.intrinsic()) {
        case Intrinsic::Radians: return binary(Op::mul_f, a[0], f(std::numbers::pi_v<float> / 180));
        case Intrinsic::Degrees: return binary(Op::mul_f, a[0], f(180 / std::numbers::pi_v<float>));
        case Intrinsic::Sin: return unary(Op::sin_f, a[0]);
        case Intrinsic::Cos: return unary(Op::cos_f, a[0]);
        case Intrinsic::Tan: return unary(Op::tan_f, a[0]);
        case Intrinsic::Asin: return unary(Op::asin_f, a[0]);
        case Intrinsic::Acos: return unary(Op::acos_f, a[0]);
        case Intrinsic::Atan: return unary(Op::atan_f, a[0]);
        case Intrinsic::Atan2: return binary(Op::atan2_f, a[0], a[1]);
        case Intrinsic::Pow: return binary(Op::pow_f, a[0], a[1]);
        case Intrinsic::Exp: return unary(Op::exp_f, a[0]);
        case Intrinsic::Log: return unary(Op::log_f, a[0]);
        case Intrinsic::Exp2: return unary(Op::exp2_f, a[0]);
        case Intrinsic::Log2: return unary(Op::log2_f, a[0]);
        case Intrinsic::Sqrt: return unary(Op::sqrt_f, a[0]);
        case Intrinsic::Inversesqrt: return unary(Op::rsqrt_f, a[0]);
        case Intrinsic::Abs: return unary(Op::abs_f, a[0]);
        case Intrinsic::Sign: return unary(Op::sign_f, a[0]);
        case Intrinsic::Floor: return unary(Op::floor_f, a[0]);
        case Intrinsic::Ceil: return unary(Op::ceil_f, a[0]);
        case Intrinsic::Fract: return unary(Op::fract_f, a[0]);
        case Intrinsic::Mod: return binary(Op::mod_f, a[0], a[1]);
        case Intrinsic::Min: return binary(Op::min_f, a[0], a[1]);
        case Intrinsic::Max: return binary(Op::max_f, a[0], a[1]);
        case Intrinsic::Clamp: return ternary(Op::clamp_f, a[0], a[1], a[2]);
        case Intrinsic::Saturate: return ternary(Op::clamp_f, a[0], f(0), f(1));
        case Intrinsic::Mix: return ternary(Op::mix_f, a[0], a[1], a[2]);
        case Intrinsic::Step: return binary(Op::step_f, a[0], a[1]);
        case Intrinsic::Smoothstep: return ternary(Op::smoothstep_f, a[0], a[1], a[2]);
        case Intrinsic::Dot:
        case Intrinsic::Length:
        case Intrinsic::Distance:
        case Intrinsic::Normalize: {
            Value x = a[0];
            if (c.intrinsic() == Intrinsic::Distance) x = binary(Op::sub_f, a[0], a[1]);
            Value y = c.intrinsic() == Intrinsic::Dot ? a[1] : x;
            Value d;
            if (x.size() == 1) {
                d = binary(Op::mul_f, x, y);
            } else {
                Value cx = contiguous(x), cy = contiguous(y);
                int32_t s = alloc(1);
                emit(Op::dot_f, s, cx[0], cy[0], -1, static_cast<int>(x.size()));
                d = {s};
            }
            if (c.intrinsic() == Intrinsic::Dot) return d;
            if (c.intrinsic() == Intrinsic::Normalize) return binary(Op::mul_f, x, unary(Op::rsqrt_f, d));
            return unary(Op::sqrt_f, d);
        }
        case Intrinsic::Cross: {
            Value p = binary(Op::mul_f, {a[0][1], a[0][2], a[0][0]}, {a[1][2], a[1][0], a[1][1]});
            Value q = binary(Op::mul_f, {a[0][2], a[0][0], a[0][1]}, {a[1][1], a[1][2], a[1][0]});
            return binary(Op::sub_f, p, q);
        }
        case Intrinsic::Faceforward: {
            // dot(Nref, I) < 0 ? N : -N
            Value d = a[2].size() == 1 ? binary(Op::mul_f, a[2], a[1]) : Value{};
            if (d.empty()) {
                Value x = contiguous(a[2]), y = contiguous(a[1]);
                int32_t s = alloc(1);
                emit(Op::dot_f, s, x[0], y[0], -1, static_cast<int>(x.size()));
                d = {s};
            }
            Value neg = binary(Op::lt_f, d, f(0));
            return ternary(Op::select, a[0], unary(Op::neg_f, a[0]), neg);
        }
        case Intrinsic::Reflect: {
            // I - 2 * dot(N, I) * N
            Value d;
            if (a[0].size() == 1) {
                d = binary(Op::mul_f, a[1], a[0]);
            } else {
                Value n = contiguous(a[1]), i = contiguous(a[0]);
                int32_t s = alloc(1);
                emit(Op::dot_f, s, n[0], i[0], -1, static_cast<int>(n.size()));
                d = {s};
            }
            Value twoD = binary(Op::mul_f, f(2), d);
            return binary(Op::sub_f, a[0], binary(Op::mul_f, twoD, a[1]));
        }
        case Intrinsic::Refract: {
            // k = 1 - eta*eta*(1 - d*d); k < 0 ? 0 : eta*I - (eta*d + sqrt(k))*N
            Value d;
            if (a[0].size() == 1) {
                d = binary(Op::mul_f, a[1], a[0]);
            } else {
                Value n = contiguous(a[1]), i = contiguous(a[0]);
                int32_t s = alloc(1);
                emit(Op::dot_f, s, n[0], i[0], -1, static_cast<int>(n.size()));
                d = {s};
            }
            Value eta = a[2];
            Value k = binary(Op::sub_f, f(1),
                             binary(Op::mul_f, binary(Op::mul_f, eta, eta),
                                    binary(Op::sub_f, f(1), binary(Op::mul_f, d, d))));
            Value scale = binary(Op::add_f, binary(Op::mul_f, eta, d), unary(Op::sqrt_f, k));
            Value r = binary(Op::sub_f, binary(Op::mul_f, eta, a[0]), binary(Op::mul_f, scale, a[1]));
            Value negative = binary(Op::lt_f, k, f(0));
            return ternary(Op::select, f(0), r, negative);
        }
        case Intrinsic::MatrixCompMult: return binary(Op::mul_f, a[0], a[1]);
        case Intrinsic::Inverse: {
            int n = t.columns();
            std::vector<Num> m, out(n * n, Num{this, -1});
            for (int32_t s : a[0]) m.push_back({this, s});
            InvertMatrix(m.data(), n, out.data());
            Value v;
            for (const Num& x : out) v.push_back(x.slot);
            return v;
        }
        case Intrinsic::LessThan:
        case Intrinsic::LessThanEqual:
        case Intrinsic::GreaterThan:
        case Intrinsic::GreaterThanEqual: {
            bool isFloat = t.isFloat();
            Op lt_ = isFloat ? Op::lt_f : Op::lt_i, le_ = isFloat ? Op::le_f : Op::le_i;
            switch (c.intrinsic()) {
                case Intrinsic::LessThan: return binary(lt_, a[0], a[1]);
                case Intrinsic::LessThanEqual: return binary(le_, a[0], a[1]);
                case Intrinsic::GreaterThan: return binary(lt_, a[1], a[0]);
                default: return binary(le_, a[1], a[0]);
            }
        }
        case Intrinsic::Equal:
        case Intrinsic::NotEqual: {
            bool eq = c.intrinsic() == Intrinsic::Equal;
            Op op = t.isFloat() ? (eq ? Op::eq_f : Op::ne_f) : (eq ? Op::eq_i : Op::ne_i);
            return binary(op, a[0], a[1]);
        }
        case Intrinsic::Any:
        case Intrinsic::All: {
            Op op = c.intrinsic() == Intrinsic::Any ? Op::bit_or : Op::bit_and;
            int32_t acc = alloc(1);
            emit(op, acc, a[0][0], a[0][1]);
            for (size_t i = 2; i < a[0].size(); ++i) emit(op, acc, acc, a[0][i]);
            return {acc};
        }
        case Intrinsic::Not: return unary(Op::bit_not, a[0]);
        case Intrinsic::Unpremul: {
            // rgb / max(a, 0.0001), a
            Value alpha = binary(Op::max_f, {a[0][3]}, f(0.0001f));
            Value rgb = binary(Op::div_f, {a[0][0], a[0][1], a[0][2]}, alpha);
            rgb.push_back(a[0][3]);
            return rgb;
        }
        case Intrinsic::ToLinearSrgb: return unary(Op::to_linear_f, a[0]);
        case Intrinsic::FromLinearSrgb: return unary(Op::from_linear_f, a[0]);
    }
    return {};
}

}  // namespace

bool Lower(const Program& program, const Variable* fragCoord, SlotProgram* out,
           std::string* error) {
    *out = SlotProgram{};
    if (!program.main()) {
        if (error) *error = "program has no main function";
        return false;
    }
    try {
        Lowerer(program, fragCoord, *out).run();
    } catch (const TooLarge&) {
        *out = SlotProgram{};
        if (error) *error = "program is too large";
        return false;
    } catch (const TooExpensive&) {
        *out = SlotProgram{};
        if (error) {
            *error = "program is too expensive: its loops could run more than " +
                     std::to_string(kMaxCost) + " instructions for each batch of pixels";
        }
        return false;
    }
    return true;
}

}  // namespace plix::sksl
