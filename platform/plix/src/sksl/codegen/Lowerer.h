// Internals of the lowering (Lowering.cpp, LowerStatements.cpp, LowerExpressions.cpp,
// LowerCalls.cpp, LowerAnalysis.cpp): the lowerer's state and the analyses it asks.
#pragma once

#include "sksl/codegen/Lowering.h"
#include "sksl/codegen/SlotProgram.h"
#include "sksl/ir/Intrinsic.h"
#include "sksl/ir/Operator.h"
#include "sksl/ir/Type.h"

#include <bit>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace plix::sksl {

class BinaryExpression;
class Block;
class ChildCall;
class Constructor;
class Expression;
class ForStatement;
class FunctionCall;
class FunctionDeclaration;
class IfStatement;
class IntrinsicCall;
class PostfixExpression;
class PrefixExpression;
class Program;
class ReturnStatement;
class Statement;
class Swizzle;
class SwitchStatement;
class TernaryExpression;
class VarDeclaration;
class Variable;

namespace lowering {

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
    std::vector<int> exits;  // branches to the end of the body, taken once every lane returned
};

// Limits hit while lowering the loop or call at pos (invalid outside any).
struct TooLarge {
    Position pos;
};
struct TooExpensive {
    Position pos;
};
// The thread's stack ran short (calls nested deeper than it holds), at pos.
struct TooDeep {
    Position pos;
};

// Number kinds of every slot of a type, in order.
void slotKinds(const Type& t, std::vector<NumberKind>& out);
bool isContiguous(const Value& v);

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

// Writes to globals (through any path) count; writes to locals do not.
bool writesGlobal(const Expression& target);
// Functions whose body, as far as the statement list goes, returns before its end.
bool returnsEarly(const Statement& s, bool last);
// True when s holds a continue for the loop around it (not one of a nested loop).
bool hasContinue(const Statement& s);
// True when s holds a break, continue or return anywhere inside.
bool hasJump(const Statement& s);


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
    Value dot(const Value& a, const Value& b);  // one slot: the sum of the products
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
    Position fSite;  // the innermost loop or call being lowered, for the limits' messages
    // Makes pos the site for as long as it lives.
    struct SiteScope {
        SiteScope(Position& site, Position pos) : fSite(site), fSaved(site) { site = pos; }
        ~SiteScope() { fSite = fSaved; }
        Position& fSite;
        Position fSaved;
    };
    Value fFragValue;
    std::vector<uint8_t> fIsVariable;
};

}  // namespace lowering
}  // namespace plix::sksl
