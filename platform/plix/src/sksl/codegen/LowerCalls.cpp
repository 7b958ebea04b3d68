// Lowering of calls: inlined functions, built-ins, children, and constructors.
#include "sksl/codegen/Lowerer.h"

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

namespace plix::sksl::lowering {

Value Lowerer::callExpr(const FunctionCall& c) {
    SiteScope site(fSite, c.pos());
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
    fFrames.push_back({result, callDepth, retMask, {}});
    ++fDepth;
    block(def->body());
    --fDepth;
    for (int exit : fFrames.back().exits) patch(exit);
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
            Value d = dot(x, y);
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
            Value neg = binary(Op::lt_f, dot(a[2], a[1]), f(0));
            return ternary(Op::select, a[0], unary(Op::neg_f, a[0]), neg);
        }
        case Intrinsic::Reflect: {
            // I - 2 * dot(N, I) * N
            Value d = dot(a[1], a[0]);
            Value twoD = binary(Op::mul_f, f(2), d);
            return binary(Op::sub_f, a[0], binary(Op::mul_f, twoD, a[1]));
        }
        case Intrinsic::Refract: {
            // k = 1 - eta*eta*(1 - d*d); k < 0 ? 0 : eta*I - (eta*d + sqrt(k))*N
            Value d = dot(a[1], a[0]);
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

}  // namespace plix::sksl::lowering
