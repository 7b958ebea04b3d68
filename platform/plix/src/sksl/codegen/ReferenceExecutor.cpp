// The reference executor: a direct interpreter of the typed IR, one pixel at a time, with the
// C library's math. Slow on purpose; it is the oracle the fast executor is tested against, so
// it defines every operation the same way in plain scalar code.
#include "sksl/codegen/Executor.h"

#include "sksl/StackGuard.h"
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

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <unordered_map>
#include <vector>

namespace plix::sksl {

namespace {

// One 32-bit component. Bools are ints, 1 or 0.
union Slot {
    float f;
    int32_t i;
};
using Value = std::vector<Slot>;
using NumberKind = Type::NumberKind;

Slot F(float f) { Slot s; s.f = f; return s; }
Slot I(int32_t i) { Slot s; s.i = i; return s; }

void kinds(const Type& t, std::vector<NumberKind>& out) {
    if (t.isArray()) {
        for (int i = 0; i < t.arraySize(); ++i) kinds(t.elementType(), out);
    } else if (t.isStruct()) {
        for (const auto& f : t.fields()) kinds(*f.type, out);
    } else {
        for (int i = 0; i < t.slotCount(); ++i) out.push_back(t.numberKind());
    }
}

int32_t toInt(float x) {
    if (x != x) return 0;
    if (x <= -2147483648.0f) return INT32_MIN;
    if (x >= 2147483648.0f) return INT32_MAX;
    return static_cast<int32_t>(x);
}
int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
int32_t divInt(int32_t a, int32_t b) {
    // Division by zero divides by -1, as the reference engine does; a / -1 wraps.
    if (b == 0 || b == -1) return wrap(-static_cast<int64_t>(a));
    return a / b;
}
// A NaN operand loses: the other one is the result.
float fmin_(float a, float b) { return (b < a || a != a) ? b : a; }
float fmax_(float a, float b) { return (a < b || a != a) ? b : a; }
float clamp_(float x, float lo, float hi) { return fmin_(fmax_(x, lo), hi); }
float atan2_(float y, float x) {
    if (x == 0) return y > 0 ? 1.5707963267948966f : y < 0 ? -1.5707963267948966f : 0.0f;
    return std::atan2(y, x);
}

// The fast executor's approximations, one value at a time (in 4-lane vectors of the baseline
// instruction set, which give the same bits as every wider set).
typedef float F4 __attribute__((vector_size(16)));
typedef int32_t I4 __attribute__((vector_size(16)));
#include "sksl/codegen/VecMath.h"

F4 splat4(float x) { return F4{x, x, x, x}; }

// The transcendental functions an executor uses.
struct MathFns {
    float (*sin)(float), (*cos)(float), (*tan)(float), (*asin)(float), (*acos)(float),
            (*atan)(float), (*atan2)(float, float), (*exp)(float), (*exp2)(float),
            (*log)(float), (*log2)(float), (*pow)(float, float), (*floor)(float),
            (*ceil)(float);
};

const MathFns kExactMath = {
    [](float x) { return std::sin(x); },
    [](float x) { return std::cos(x); },
    [](float x) { return std::tan(x); },
    [](float x) { return std::asin(x); },
    [](float x) { return std::acos(x); },
    [](float x) { return std::atan(x); },
    atan2_,
    [](float x) { return std::exp(x); },
    [](float x) { return std::exp2(x); },
    [](float x) { return std::log(x); },
    [](float x) { return std::log2(x); },
    [](float x, float y) { return std::exp2(y * std::log2(x)); },
    [](float x) { return std::floor(x); },
    [](float x) { return std::ceil(x); },
};

const MathFns kFastMath = {
    [](float x) { return vmath::vsin<F4, I4>(splat4(x))[0]; },
    [](float x) { return vmath::vcos<F4, I4>(splat4(x))[0]; },
    [](float x) { return (vmath::vsin<F4, I4>(splat4(x)) / vmath::vcos<F4, I4>(splat4(x)))[0]; },
    [](float x) { return vmath::vasin<F4, I4>(splat4(x))[0]; },
    [](float x) { return (1.5707963267948966f - vmath::vasin<F4, I4>(splat4(x)))[0]; },
    [](float x) { return vmath::vatan<F4, I4>(splat4(x))[0]; },
    [](float y, float x) { return vmath::vatan2<F4, I4>(splat4(y), splat4(x))[0]; },
    [](float x) { return vmath::vexp<F4, I4>(splat4(x))[0]; },
    [](float x) { return vmath::vexp2<F4, I4>(splat4(x))[0]; },
    [](float x) { return vmath::vlog<F4, I4>(splat4(x))[0]; },
    [](float x) { return vmath::vlog2<F4, I4>(splat4(x))[0]; },
    [](float x, float y) { return vmath::vpow<F4, I4>(splat4(x), splat4(y))[0]; },
    [](float x) { return vmath::vfloor<F4, I4>(splat4(x))[0]; },
    [](float x) { return vmath::vceil<F4, I4>(splat4(x))[0]; },
};

float toLinear(const MathFns& m, float x) {
    float a = std::fabs(x);
    float r = a <= 0.04045f ? a / 12.92f : m.pow((a + 0.055f) / 1.055f, 2.4f);
    return std::copysign(r, x);
}
float fromLinear(const MathFns& m, float x) {
    float a = std::fabs(x);
    float r = a <= 0.0031308f ? a * 12.92f : 1.055f * m.pow(a, 1.0f / 2.4f) - 0.055f;
    return std::copysign(r, x);
}
float dot(const Value& a, const Value& b) {
    float s = a[0].f * b[0].f;
    for (size_t k = 1; k < a.size(); ++k) s = s + a[k].f * b[k].f;
    return s;
}

enum class Flow { Next, Break, Continue, Return };

struct OutOfStack {};

class Interpreter {
public:
    Interpreter(const Program& program, const ExecArgs& args, const MathFns& math)
            : fProgram(program), fArgs(args), fMath(math) {}

    void pixel(int index);

private:
    struct Frame {
        std::unordered_map<const Variable*, Value> vars;
        Value ret;
    };

    Value* storage(const Variable& v);
    std::vector<Slot*> lvalue(const Expression& e);
    Value expr(const Expression& e);
    Value binary(const BinaryExpression& b);
    Value arithmetic(Operator op, const Type& lt, const Value& l, const Type& rt, const Value& r);
    Value call(const FunctionCall& c);
    Value intrinsic(const IntrinsicCall& c);
    Value child(const ChildCall& c);
    Value construct(const Constructor& c);
    Value cast(const Value& v, NumberKind from, NumberKind to);
    Flow statement(const Statement& s);
    Value zero(const Type& t);

    const Program& fProgram;
    const ExecArgs& fArgs;
    const MathFns& fMath;
    int fPixel = 0;
    std::unordered_map<const Variable*, Value> fGlobals;
    std::vector<Frame*> fFrames;
};

Value Interpreter::zero(const Type& t) {
    std::vector<NumberKind> k;
    kinds(t, k);
    Value v(k.size());
    for (size_t i = 0; i < k.size(); ++i) v[i] = k[i] == NumberKind::Float ? F(0) : I(0);
    return v;
}

Value* Interpreter::storage(const Variable& v) {
    if (!fFrames.empty()) {
        auto it = fFrames.back()->vars.find(&v);
        if (it != fFrames.back()->vars.end()) return &it->second;
    }
    auto it = fGlobals.find(&v);
    if (it != fGlobals.end()) return &it->second;
    if (v.storage() == Variable::Storage::Local && !fFrames.empty()) {
        // Declared in a switch case that was jumped over: in scope, never initialised.
        return &(fFrames.back()->vars[&v] = zero(v.type()));
    }
    return nullptr;
}

void Interpreter::pixel(int index) {
    fPixel = index;
    fGlobals.clear();
    // Uniforms, straight from the block.
    size_t offset = 0;
    for (const Variable* u : fProgram.uniforms()) {
        Value v(u->type().slotCount());
        if (fArgs.uniforms) {
            std::memcpy(v.data(), static_cast<const char*>(fArgs.uniforms) + offset, v.size() * 4);
        }
        offset += v.size() * 4;
        fGlobals[u] = std::move(v);
    }
    for (const VarDeclaration* g : fProgram.globals()) {
        fGlobals[&g->variable()] = g->value() ? expr(*g->value()) : zero(g->variable().type());
    }
    const FunctionDeclaration& main = fProgram.main()->declaration();
    Frame frame;
    const auto& params = main.parameters();
    auto at = [&](const float* p) { return p ? p[index] : 0.0f; };
    switch (fProgram.kind()) {
        case ProgramKind::Shader:
            frame.vars[params[0]] = {F(at(fArgs.x)), F(at(fArgs.y))};
            break;
        case ProgramKind::ColorFilter:
            frame.vars[params[0]] = {F(at(fArgs.color[0])), F(at(fArgs.color[1])),
                                     F(at(fArgs.color[2])), F(at(fArgs.color[3]))};
            break;
        case ProgramKind::Blender:
            frame.vars[params[0]] = {F(at(fArgs.color[0])), F(at(fArgs.color[1])),
                                     F(at(fArgs.color[2])), F(at(fArgs.color[3]))};
            frame.vars[params[1]] = {F(at(fArgs.dst[0])), F(at(fArgs.dst[1])),
                                     F(at(fArgs.dst[2])), F(at(fArgs.dst[3]))};
            break;
    }
    frame.ret = zero(main.returnType());
    fFrames.push_back(&frame);
    statement(fProgram.main()->body());
    fFrames.pop_back();
    for (int c = 0; c < 4; ++c) {
        if (fArgs.out[c]) fArgs.out[c][index] = frame.ret[c].f;
    }
}

std::vector<Slot*> Interpreter::lvalue(const Expression& e) {
    switch (e.kind()) {
        case IRKind::VariableReference: {
            Value* v = storage(e.as<VariableReference>().variable());
            std::vector<Slot*> out;
            for (Slot& s : *v) out.push_back(&s);
            return out;
        }
        case IRKind::FieldAccess: {
            const auto& f = e.as<FieldAccess>();
            std::vector<Slot*> base = lvalue(f.base());
            int offset = 0;
            const auto& fields = f.base().type().fields();
            for (int k = 0; k < f.fieldIndex(); ++k) offset += fields[k].type->slotCount();
            return std::vector<Slot*>(base.begin() + offset,
                                      base.begin() + offset + e.type().slotCount());
        }
        case IRKind::Swizzle: {
            const auto& s = e.as<Swizzle>();
            std::vector<Slot*> base = lvalue(s.base());
            std::vector<Slot*> out;
            for (int8_t c : s.components()) out.push_back(base[c]);
            return out;
        }
        case IRKind::Index: {
            const auto& ix = e.as<IndexExpression>();
            std::vector<Slot*> base = lvalue(ix.base());
            const Type& bt = ix.base().type();
            int count = bt.isArray() ? bt.arraySize() : bt.columns();
            int k = std::clamp(expr(ix.index())[0].i, 0, count - 1);
            int stride = e.type().slotCount();
            return std::vector<Slot*>(base.begin() + k * stride, base.begin() + (k + 1) * stride);
        }
        default:
            return {};
    }
}

Value Interpreter::expr(const Expression& e) {
    if (!StackHasRoom()) throw OutOfStack{};
    switch (e.kind()) {
        case IRKind::Literal: {
            double v = e.as<Literal>().value();
            if (e.type().isFloat()) return {F(static_cast<float>(v))};
            return {I(static_cast<int32_t>(v))};
        }
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            if (v.type().isChild()) return {};
            if (v.name() == "sk_FragCoord" && !storage(v)) {
                const float* fx = fArgs.fragX ? fArgs.fragX : fArgs.x;
                const float* fy = fArgs.fragY ? fArgs.fragY : fArgs.y;
                return {F(fx ? fx[fPixel] : 0), F(fy ? fy[fPixel] : 0), F(0), F(1)};
            }
            return *storage(v);
        }
        case IRKind::Binary:
            return binary(e.as<BinaryExpression>());
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            bool isFloat = p.type().isFloat();
            if (p.op() == Operator::PlusPlus || p.op() == Operator::MinusMinus) {
                std::vector<Slot*> target = lvalue(p.operand());
                Value v;
                for (Slot* s : target) {
                    if (isFloat) s->f = p.op() == Operator::PlusPlus ? s->f + 1 : s->f - 1;
                    else s->i = wrap(int64_t(s->i) + (p.op() == Operator::PlusPlus ? 1 : -1));
                    v.push_back(*s);
                }
                return v;
            }
            Value v = expr(p.operand());
            for (Slot& s : v) {
                if (p.op() == Operator::Minus) {
                    if (isFloat) s.f = -s.f;
                    else s.i = wrap(-int64_t(s.i));
                } else if (p.op() == Operator::Bang) {
                    s.i = s.i ? 0 : 1;
                }
            }
            return v;
        }
        case IRKind::Postfix: {
            const auto& p = e.as<PostfixExpression>();
            bool isFloat = p.type().isFloat();
            std::vector<Slot*> target = lvalue(p.operand());
            Value old;
            for (Slot* s : target) {
                old.push_back(*s);
                if (isFloat) s->f = p.op() == Operator::PlusPlus ? s->f + 1 : s->f - 1;
                else s->i = wrap(int64_t(s->i) + (p.op() == Operator::PlusPlus ? 1 : -1));
            }
            return old;
        }
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return expr(t.test())[0].i ? expr(t.ifTrue()) : expr(t.ifFalse());
        }
        case IRKind::FunctionCall:
            return call(e.as<FunctionCall>());
        case IRKind::IntrinsicCall:
            return intrinsic(e.as<IntrinsicCall>());
        case IRKind::ChildCall:
            return child(e.as<ChildCall>());
        case IRKind::Constructor:
            return construct(e.as<Constructor>());
        case IRKind::Swizzle: {
            const auto& s = e.as<Swizzle>();
            Value base = expr(s.base());
            bool isFloat = s.type().isFloat();
            Value out;
            for (int8_t c : s.components()) {
                if (c == Swizzle::kZero) out.push_back(isFloat ? F(0) : I(0));
                else if (c == Swizzle::kOne) out.push_back(isFloat ? F(1) : I(1));
                else out.push_back(base[c]);
            }
            return out;
        }
        case IRKind::Index: {
            const auto& ix = e.as<IndexExpression>();
            Value base = expr(ix.base());
            const Type& bt = ix.base().type();
            int count = bt.isArray() ? bt.arraySize() : bt.columns();
            int k = std::clamp(expr(ix.index())[0].i, 0, count - 1);
            int stride = e.type().slotCount();
            return Value(base.begin() + k * stride, base.begin() + (k + 1) * stride);
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

Value Interpreter::arithmetic(Operator op, const Type& lt, const Value& l, const Type& rt,
                              const Value& r) {
    if (op == Operator::Star && (lt.isMatrix() || rt.isMatrix()) && !lt.isScalar() &&
        !rt.isScalar()) {
        if (lt.isVector()) {
            int rows = rt.rows();
            Value out;
            for (int c = 0; c < rt.columns(); ++c) {
                Value col(r.begin() + c * rows, r.begin() + (c + 1) * rows);
                out.push_back(F(dot(l, col)));
            }
            return out;
        }
        int rows = lt.rows(), inner = lt.columns(), cols = rt.isMatrix() ? rt.columns() : 1;
        Value out;
        for (int c = 0; c < cols; ++c) {
            for (int row = 0; row < rows; ++row) {
                float acc = l[row].f * r[c * inner].f;
                for (int k = 1; k < inner; ++k) acc = l[k * rows + row].f * r[c * inner + k].f + acc;
                out.push_back(F(acc));
            }
        }
        return out;
    }
    size_t n = std::max(l.size(), r.size());
    Value out(n);
    bool isFloat = lt.isFloat();
    for (size_t k = 0; k < n; ++k) {
        Slot a = l[l.size() == 1 ? 0 : k], b = r[r.size() == 1 ? 0 : k];
        if (isFloat) {
            switch (op) {
                case Operator::Plus: out[k] = F(a.f + b.f); break;
                case Operator::Minus: out[k] = F(a.f - b.f); break;
                case Operator::Star: out[k] = F(a.f * b.f); break;
                default: out[k] = F(a.f / b.f); break;
            }
        } else {
            switch (op) {
                case Operator::Plus: out[k] = I(wrap(int64_t(a.i) + b.i)); break;
                case Operator::Minus: out[k] = I(wrap(int64_t(a.i) - b.i)); break;
                case Operator::Star: out[k] = I(wrap(int64_t(a.i) * b.i)); break;
                default: out[k] = I(divInt(a.i, b.i)); break;
            }
        }
    }
    return out;
}

Value Interpreter::binary(const BinaryExpression& b) {
    Operator op = b.op();
    if (op == Operator::Comma) {
        expr(b.left());
        return expr(b.right());
    }
    if (op == Operator::AmpAmp) return {I(expr(b.left())[0].i && expr(b.right())[0].i)};
    if (op == Operator::PipePipe) return {I(expr(b.left())[0].i || expr(b.right())[0].i)};
    if (IsAssignment(op)) {
        std::vector<Slot*> target = lvalue(b.left());
        Value result;
        if (op == Operator::Eq) {
            result = expr(b.right());
        } else {
            Value current;
            for (Slot* s : target) current.push_back(*s);
            Value r = expr(b.right());
            result = arithmetic(RemoveAssignment(op), b.left().type(), current, b.right().type(), r);
        }
        for (size_t i = 0; i < target.size(); ++i) *target[i] = result[i];
        return result;
    }
    Value l = expr(b.left());
    Value r = expr(b.right());
    const Type& lt = b.left().type();
    switch (op) {
        case Operator::CaretCaret:
            return {I((l[0].i != 0) != (r[0].i != 0))};
        case Operator::EqEq:
        case Operator::Neq: {
            std::vector<NumberKind> k;
            kinds(lt, k);
            bool equal = true;
            for (size_t i = 0; i < l.size(); ++i) {
                equal &= k[i] == NumberKind::Float ? l[i].f == r[i].f : l[i].i == r[i].i;
            }
            return {I(equal == (op == Operator::EqEq))};
        }
        case Operator::Lt: return {I(lt.isFloat() ? l[0].f < r[0].f : l[0].i < r[0].i)};
        case Operator::Lte: return {I(lt.isFloat() ? l[0].f <= r[0].f : l[0].i <= r[0].i)};
        case Operator::Gt: return {I(lt.isFloat() ? l[0].f > r[0].f : l[0].i > r[0].i)};
        case Operator::Gte: return {I(lt.isFloat() ? l[0].f >= r[0].f : l[0].i >= r[0].i)};
        default:
            return arithmetic(op, lt, l, b.right().type(), r);
    }
}

Value Interpreter::cast(const Value& v, NumberKind from, NumberKind to) {
    if (from == to) return v;
    Value out;
    for (Slot s : v) {
        if (to == NumberKind::Float) out.push_back(F(from == NumberKind::Int ? float(s.i) : (s.i ? 1.0f : 0.0f)));
        else if (to == NumberKind::Int) out.push_back(I(from == NumberKind::Float ? toInt(s.f) : s.i));
        else out.push_back(I(from == NumberKind::Float ? s.f != 0 : s.i != 0));
    }
    return out;
}

Value Interpreter::construct(const Constructor& c) {
    const Type& t = c.type();
    const auto& args = c.arguments();
    switch (c.form()) {
        case Constructor::Form::Cast:
            return cast(expr(*args[0]), args[0]->type().numberKind(), t.numberKind());
        case Constructor::Form::Splat:
            return Value(t.slotCount(), expr(*args[0])[0]);
        case Constructor::Form::DiagonalMatrix: {
            Slot s = expr(*args[0])[0];
            int n = t.columns();
            Value out;
            for (int col = 0; col < n; ++col) {
                for (int row = 0; row < n; ++row) out.push_back(col == row ? s : F(0));
            }
            return out;
        }
        case Constructor::Form::MatrixResize: {
            Value v = expr(*args[0]);
            int n = t.columns(), m = args[0]->type().columns();
            Value out;
            for (int col = 0; col < n; ++col) {
                for (int row = 0; row < n; ++row) {
                    out.push_back(col < m && row < m ? v[col * m + row] : F(col == row ? 1 : 0));
                }
            }
            return out;
        }
        default: {
            Value out;
            for (const Expression* a : args) {
                Value v = expr(*a);
                out.insert(out.end(), v.begin(), v.end());
            }
            return out;
        }
    }
}

Value Interpreter::call(const FunctionCall& c) {
    const FunctionDeclaration& f = c.function();
    const auto& params = f.parameters();
    Frame frame;
    std::vector<std::vector<Slot*>> outs(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const Expression& arg = *c.arguments()[i];
        if (params[i]->flags() & Variable::kOut) {
            outs[i] = lvalue(arg);
            Value v;
            if (params[i]->flags() & Variable::kIn) {
                for (Slot* s : outs[i]) v.push_back(*s);
            } else {
                v = zero(params[i]->type());
            }
            frame.vars[params[i]] = std::move(v);
        } else {
            frame.vars[params[i]] = expr(arg);
        }
    }
    frame.ret = zero(f.returnType());
    fFrames.push_back(&frame);
    statement(f.definition()->body());
    fFrames.pop_back();
    for (size_t i = 0; i < params.size(); ++i) {
        if (!(params[i]->flags() & Variable::kOut)) continue;
        const Value& v = frame.vars[params[i]];
        for (size_t k = 0; k < outs[i].size(); ++k) *outs[i][k] = v[k];
    }
    return frame.ret;
}

Value Interpreter::child(const ChildCall& c) {
    Value in;
    for (const Expression* a : c.arguments()) {
        Value v = expr(*a);
        in.insert(in.end(), v.begin(), v.end());
    }
    float inBuf[8] = {}, outBuf[4] = {};
    for (size_t i = 0; i < in.size() && i < 8; ++i) inBuf[i] = in[i].f;
    const ChildEval* ch = fArgs.children ? &fArgs.children[c.child().index()] : nullptr;
    Type::Kind kind = c.child().type().kind();
    if (ch && ch->eval) {
        const float* ins[8];
        float* outs[4];
        for (int i = 0; i < 8; ++i) ins[i] = &inBuf[i];
        for (int i = 0; i < 4; ++i) outs[i] = &outBuf[i];
        ch->eval(ch->context, 1, ins, outs);
    } else if (kind == Type::Kind::ColorFilter) {
        std::memcpy(outBuf, inBuf, sizeof(outBuf));
    } else if (kind == Type::Kind::Blender) {
        for (int i = 0; i < 4; ++i) outBuf[i] = inBuf[i] + inBuf[4 + i] * (1.0f - inBuf[3]);
    }
    return {F(outBuf[0]), F(outBuf[1]), F(outBuf[2]), F(outBuf[3])};
}

Value Interpreter::intrinsic(const IntrinsicCall& c) {
    std::vector<Value> a;
    for (const Expression* e : c.arguments()) a.push_back(expr(*e));
    const Type& t = c.arguments()[0]->type();
    auto map1 = [&](auto fn) {
        Value out;
        for (Slot s : a[0]) out.push_back(F(fn(s.f)));
        return out;
    };
    auto map2 = [&](auto fn) {
        size_t n = std::max(a[0].size(), a[1].size());
        Value out;
        for (size_t k = 0; k < n; ++k) {
            out.push_back(F(fn(a[0][a[0].size() == 1 ? 0 : k].f, a[1][a[1].size() == 1 ? 0 : k].f)));
        }
        return out;
    };
    auto map3 = [&](auto fn) {
        size_t n = std::max({a[0].size(), a[1].size(), a[2].size()});
        Value out;
        for (size_t k = 0; k < n; ++k) {
            out.push_back(F(fn(a[0][a[0].size() == 1 ? 0 : k].f, a[1][a[1].size() == 1 ? 0 : k].f,
                               a[2][a[2].size() == 1 ? 0 : k].f)));
        }
        return out;
    };
    auto rsqrt = [](float x) { return 1.0f / std::sqrt(x); };
    switch (c.intrinsic()) {
        case Intrinsic::Radians: return map1([](float x) { return x * (std::numbers::pi_v<float> / 180); });
        case Intrinsic::Degrees: return map1([](float x) { return x * (180 / std::numbers::pi_v<float>); });
        case Intrinsic::Sin: return map1(fMath.sin);
        case Intrinsic::Cos: return map1(fMath.cos);
        case Intrinsic::Tan: return map1(fMath.tan);
        case Intrinsic::Asin: return map1(fMath.asin);
        case Intrinsic::Acos: return map1(fMath.acos);
        case Intrinsic::Atan: return map1(fMath.atan);
        case Intrinsic::Atan2: return map2(fMath.atan2);
        case Intrinsic::Pow: return map2(fMath.pow);
        case Intrinsic::Exp: return map1(fMath.exp);
        case Intrinsic::Log: return map1(fMath.log);
        case Intrinsic::Exp2: return map1(fMath.exp2);
        case Intrinsic::Log2: return map1(fMath.log2);
        case Intrinsic::Sqrt: return map1([](float x) { return std::sqrt(x); });
        case Intrinsic::Inversesqrt: return map1(rsqrt);
        case Intrinsic::Abs: return map1([](float x) { return std::fabs(x); });
        case Intrinsic::Sign: return map1([](float x) { return x > 0 ? 1.0f : x < 0 ? -1.0f : 0.0f; });
        case Intrinsic::Floor: return map1(fMath.floor);
        case Intrinsic::Ceil: return map1(fMath.ceil);
        case Intrinsic::Fract: return map1([&](float x) { return x - fMath.floor(x); });
        case Intrinsic::Mod: return map2([&](float x, float y) { return x - y * fMath.floor(x / y); });
        case Intrinsic::Min: return map2(fmin_);
        case Intrinsic::Max: return map2(fmax_);
        case Intrinsic::Clamp: return map3(clamp_);
        case Intrinsic::Saturate: return map1([](float x) { return clamp_(x, 0, 1); });
        case Intrinsic::Mix: return map3([](float x, float y, float t) { return x + (y - x) * t; });
        case Intrinsic::Step: return map2([](float e, float x) { return x >= e ? 1.0f : 0.0f; });
        case Intrinsic::Smoothstep:
            return map3([](float e0, float e1, float x) {
                float t = clamp_((x - e0) / (e1 - e0), 0, 1);
                return t * t * (3.0f - 2.0f * t);
            });
        case Intrinsic::Length: return {F(std::sqrt(dot(a[0], a[0])))};
        case Intrinsic::Distance: {
            Value d = arithmetic(Operator::Minus, t, a[0], t, a[1]);
            return {F(std::sqrt(dot(d, d)))};
        }
        case Intrinsic::Dot: return {F(dot(a[0], a[1]))};
        case Intrinsic::Cross: {
            const Value &x = a[0], &y = a[1];
            return {F(x[1].f * y[2].f - x[2].f * y[1].f), F(x[2].f * y[0].f - x[0].f * y[2].f),
                    F(x[0].f * y[1].f - x[1].f * y[0].f)};
        }
        case Intrinsic::Normalize: {
            float s = rsqrt(dot(a[0], a[0]));
            return map1([&](float x) { return x * s; });
        }
        case Intrinsic::Faceforward: {
            bool neg = dot(a[2], a[1]) < 0;
            return map1([&](float x) { return neg ? x : -x; });
        }
        case Intrinsic::Reflect: {
            float twoD = 2.0f * dot(a[1], a[0]);
            Value out;
            for (size_t k = 0; k < a[0].size(); ++k) out.push_back(F(a[0][k].f - twoD * a[1][k].f));
            return out;
        }
        case Intrinsic::Refract: {
            float d = dot(a[1], a[0]);
            float eta = a[2][0].f;
            float k = 1.0f - eta * eta * (1.0f - d * d);
            float scale = eta * d + std::sqrt(k);
            Value out;
            for (size_t i = 0; i < a[0].size(); ++i) {
                out.push_back(F(k < 0 ? 0.0f : eta * a[0][i].f - scale * a[1][i].f));
            }
            return out;
        }
        case Intrinsic::MatrixCompMult: return map2([](float x, float y) { return x * y; });
        case Intrinsic::Inverse: {
            int n = t.columns();
            float m[16] = {}, out[16] = {};
            for (int i = 0; i < n * n; ++i) m[i] = a[0][i].f;
            InvertMatrix(m, n, out);
            Value v;
            for (int i = 0; i < n * n; ++i) v.push_back(F(out[i]));
            return v;
        }
        case Intrinsic::LessThan:
        case Intrinsic::LessThanEqual:
        case Intrinsic::GreaterThan:
        case Intrinsic::GreaterThanEqual:
        case Intrinsic::Equal:
        case Intrinsic::NotEqual: {
            Value out;
            bool isFloat = t.isFloat();
            for (size_t k = 0; k < a[0].size(); ++k) {
                Slot x = a[0][k], y = a[1][k];
                bool r;
                switch (c.intrinsic()) {
                    case Intrinsic::LessThan: r = isFloat ? x.f < y.f : x.i < y.i; break;
                    case Intrinsic::LessThanEqual: r = isFloat ? x.f <= y.f : x.i <= y.i; break;
                    case Intrinsic::GreaterThan: r = isFloat ? x.f > y.f : x.i > y.i; break;
                    case Intrinsic::GreaterThanEqual: r = isFloat ? x.f >= y.f : x.i >= y.i; break;
                    case Intrinsic::Equal: r = isFloat ? x.f == y.f : x.i == y.i; break;
                    default: r = isFloat ? x.f != y.f : x.i != y.i; break;
                }
                out.push_back(I(r));
            }
            return out;
        }
        case Intrinsic::Any: {
            bool r = false;
            for (Slot s : a[0]) r |= s.i != 0;
            return {I(r)};
        }
        case Intrinsic::All: {
            bool r = true;
            for (Slot s : a[0]) r &= s.i != 0;
            return {I(r)};
        }
        case Intrinsic::Not: {
            Value out;
            for (Slot s : a[0]) out.push_back(I(!s.i));
            return out;
        }
        case Intrinsic::Unpremul: {
            float alpha = fmax_(a[0][3].f, 0.0001f);
            return {F(a[0][0].f / alpha), F(a[0][1].f / alpha), F(a[0][2].f / alpha), a[0][3]};
        }
        case Intrinsic::ToLinearSrgb: return map1([&](float x) { return toLinear(fMath, x); });
        case Intrinsic::FromLinearSrgb: return map1([&](float x) { return fromLinear(fMath, x); });
    }
    return {};
}

Flow Interpreter::statement(const Statement& s) {
    if (!StackHasRoom()) throw OutOfStack{};
    switch (s.kind()) {
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                Flow f = statement(*c);
                if (f != Flow::Next) return f;
            }
            return Flow::Next;
        case IRKind::VarDeclaration: {
            const auto& d = s.as<VarDeclaration>();
            fFrames.back()->vars[&d.variable()] = d.value() ? expr(*d.value()) : zero(d.variable().type());
            return Flow::Next;
        }
        case IRKind::ExpressionStatement:
            expr(s.as<ExpressionStatement>().expression());
            return Flow::Next;
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            if (expr(i.test())[0].i) return statement(i.then());
            return i.otherwise() ? statement(*i.otherwise()) : Flow::Next;
        }
        case IRKind::For: {
            const auto& f = s.as<ForStatement>();
            statement(f.initializer());
            for (int n = 0; n < f.maxIterations() && expr(f.test())[0].i; ++n) {
                Flow flow = statement(f.body());
                if (flow == Flow::Break) break;
                if (flow == Flow::Return) return flow;
                expr(f.next());
            }
            return Flow::Next;
        }
        case IRKind::Switch: {
            const auto& sw = s.as<SwitchStatement>();
            int32_t v = expr(sw.value())[0].i;
            const auto& cases = sw.cases();
            size_t start = cases.size();
            for (size_t i = 0; i < cases.size(); ++i) {
                if (!cases[i].isDefault && cases[i].value == v) start = i;
            }
            if (start == cases.size()) {
                for (size_t i = 0; i < cases.size(); ++i) {
                    if (cases[i].isDefault) start = i;
                }
            }
            for (size_t i = start; i < cases.size(); ++i) {
                for (const Statement* st : cases[i].statements) {
                    Flow f = statement(*st);
                    if (f == Flow::Break) return Flow::Next;
                    if (f != Flow::Next) return f;
                }
            }
            return Flow::Next;
        }
        case IRKind::Break:
            return Flow::Break;
        case IRKind::Continue:
            return Flow::Continue;
        case IRKind::Return: {
            const auto& r = s.as<ReturnStatement>();
            if (r.value()) fFrames.back()->ret = expr(*r.value());
            return Flow::Return;
        }
        default:
            return Flow::Next;
    }
}

}  // namespace

void RunReference(const Program& program, const ExecArgs& args, ReferenceMath math) {
    if (!program.main()) return;
    // Calls recurse: a long chain of them runs again on a deep stack, and gives up (leaving
    // the pixels as they are) where even that is too short (the lowering refuses such programs).
    auto run = [&] {
        Interpreter interpreter(program, args,
                                math == ReferenceMath::Exact ? kExactMath : kFastMath);
        try {
            for (int i = 0; i < args.count; ++i) interpreter.pixel(i);
        } catch (const OutOfStack&) {
            return false;
        }
        return true;
    };
    if (!run() && !OnLargeStack()) RunWithLargeStack([&] { run(); });
}

}  // namespace plix::sksl
