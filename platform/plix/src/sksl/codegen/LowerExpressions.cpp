// Lowering of expressions: names, operators, swizzles, indexing and fields.
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
#include <unordered_map>

namespace plix::sksl::lowering {

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
    if (!StackHasRoom()) throw TooDeep{e.pos()};
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

}  // namespace plix::sksl::lowering
