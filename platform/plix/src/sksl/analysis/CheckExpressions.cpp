// The type checker, part 3: conversions and expressions (operators, names, indexing,
// fields and swizzles).
#include "sksl/analysis/Checker.h"
#include "sksl/analysis/CheckerUtil.h"

#include "sksl/analysis/ConstantFolder.h"
#include "sksl/analysis/IntrinsicTable.h"
#include "sksl/analysis/ProgramRules.h"
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
#include "sksl/ir/Swizzle.h"
#include "sksl/ir/SwitchStatement.h"
#include "sksl/ir/TernaryExpression.h"
#include "sksl/ir/UnaryExpression.h"
#include "sksl/ir/VarDeclaration.h"
#include "sksl/ir/VariableReference.h"
#include "sksl/lex/Lexer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>

namespace plix::sksl {

using namespace check;

namespace {
bool isDisallowedOperator(Operator op) {
    switch (op) {
        case Operator::Amp: case Operator::Pipe: case Operator::Caret: case Operator::Shl:
        case Operator::Shr: case Operator::Percent: case Operator::AmpEq: case Operator::PipeEq:
        case Operator::CaretEq: case Operator::ShlEq: case Operator::ShrEq:
        case Operator::PercentEq: case Operator::Tilde:
            return true;
        default:
            return false;
    }
}

}  // namespace

// Literals, and arithmetic and ternaries made only of them, keep the freedom of a literal:
// "(c ? 7 : 9) / 2" is computed in ints and may then become a float.
static bool isLiteralTyped(const Expression& e) {
    switch (e.kind()) {
        case IRKind::Literal:
            return true;
        case IRKind::Ternary:
            return isLiteralTyped(e.as<TernaryExpression>().ifTrue()) &&
                   isLiteralTyped(e.as<TernaryExpression>().ifFalse());
        case IRKind::Prefix:
            return e.as<PrefixExpression>().op() == Operator::Minus &&
                   isLiteralTyped(e.as<PrefixExpression>().operand());
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            switch (b.op()) {
                case Operator::Comma:
                    return isLiteralTyped(b.right());
                case Operator::Plus: case Operator::Minus: case Operator::Star:
                case Operator::Slash:
                    return isLiteralTyped(b.left()) && isLiteralTyped(b.right());
                default:
                    return false;
            }
        }
        default:
            return false;
    }
}

int Checker::coercionCost(const Expression& e, const Type& t) const {
    const Type& from = e.type();
    // A literal fits every number type it can represent equally well, its own included, so
    // among overloads that differ only there the first declared wins (pick(1) calls
    // pick(float) when that comes before pick(int)).
    if (from.isScalar() && from.isNumber() && t.isScalar() && t.isNumber() &&
        (from.isInt() || t.isFloat()) && isLiteralTyped(e)) {
        return 1;
    }
    if (&from == &t) return 0;
    if (e.is<TernaryExpression>()) {
        const auto& tern = e.as<TernaryExpression>();
        return std::max(coercionCost(tern.ifTrue(), t), coercionCost(tern.ifFalse(), t));
    }
    if (e.is<BinaryExpression>() && e.as<BinaryExpression>().op() == Operator::Comma) {
        return coercionCost(e.as<BinaryExpression>().right(), t);
    }
    if (!sameShape(from, t)) return kImpossible;
    if (from.numberKind() == t.numberKind()) {
        return from.priority() > t.priority() ? 2 : 1;
    }
    return kImpossible;
}

Expression* Checker::convert(Expression* e, const Type& t) {
    if (&e->type() == &t) return e;
    if (e->is<TernaryExpression>()) {
        const auto& tern = e->as<TernaryExpression>();
        Expression* a = convert(const_cast<Expression*>(&tern.ifTrue()), t);
        Expression* b = convert(const_cast<Expression*>(&tern.ifFalse()), t);
        return fProgram.make<TernaryExpression>(e->pos(), const_cast<Expression*>(&tern.test()),
                                                a, b);
    }
    if (e->is<BinaryExpression>() && e->as<BinaryExpression>().op() == Operator::Comma) {
        const auto& comma = e->as<BinaryExpression>();
        Expression* right = convert(const_cast<Expression*>(&comma.right()), t);
        return fProgram.make<BinaryExpression>(e->pos(), &t, const_cast<Expression*>(&comma.left()),
                                               Operator::Comma, right);
    }
    return cast(e, t);
}

Expression* Checker::coerce(Expression* e, const Type& t) {
    if (coercionCost(*e, t) >= kImpossible) {
        error(e->pos(), "expected " + quote(t.name()) + ", but found " + quote(e->type().name()));
        return nullptr;
    }
    return convert(e, t);
}

Expression* Checker::cast(Expression* e, const Type& t) {
    if (&e->type() == &t) return e;
    if (e->is<Literal>() && t.isScalar() && t.isInt() && e->type().isFloat()) {
        double v = std::trunc(e->as<Literal>().value());
        if (v < INT32_MIN || v > INT32_MAX) {
            char text[64];
            std::snprintf(text, sizeof(text), "%.0f", e->as<Literal>().value());
            error(e->pos(), "value is out of range for type " + quote(t.name()) + ": " + text);
            return nullptr;
        }
    }
    if (e->is<Literal>() && t.isScalar()) {
        return fProgram.make<Literal>(e->pos(), &t,
                                      ConstantFolder::Normalize(t, e->as<Literal>().value()));
    }
    return fProgram.make<Constructor>(e->pos(), &t, Constructor::Form::Cast,
                                      std::vector<Expression*>{e});
}

// ---------------------------------------------------------------------------------------------
// Expressions

Expression* Checker::expression(const AstNode& n) {
    switch (n.kind) {
        case AstKind::Ident: return identifier(n);
        case AstKind::IntLiteral:
        case AstKind::FloatLiteral:
        case AstKind::BoolLiteral: return literal(n);
        case AstKind::Binary: return binary(n);
        case AstKind::Prefix: return prefix(n);
        case AstKind::Postfix: return postfix(n);
        case AstKind::Ternary: return ternary(n);
        case AstKind::Call: return call(n);
        case AstKind::Index: return index(n);
        case AstKind::Field: return field(n);
        default:
            error(n.pos, "expected expression");
            return nullptr;
    }
}

Expression* Checker::identifier(const AstNode& n) {
    if (Symbol* s = fSymbols.find(n.name)) {
        switch (s->kind) {
            case Symbol::Kind::Variable:
                return fProgram.make<VariableReference>(n.pos, s->variable,
                                                        VariableReference::RefKind::Read);
            case Symbol::Kind::Type:
                error(n.pos, "expected '(' to begin constructor invocation");
                return nullptr;
            case Symbol::Kind::Functions:
                error(n.pos, "expected '(' to begin function call");
                return nullptr;
        }
    }
    if (n.name == "sk_FragCoord" && fOptions.allowFragCoord) {
        if (!fFragCoord) {
            fFragCoord = fProgram.makeVariable("sk_FragCoord", &Type::Vector(Type::Float(), 4),
                                               Variable::Storage::Global, Variable::kConst, {});
        }
        fFragCoordUsed = true;
        fProgram.setFragCoord(fFragCoord);
        return fProgram.make<VariableReference>(n.pos, fFragCoord,
                                                VariableReference::RefKind::Read);
    }
    if (Type::FindBuiltin(n.name)) {
        error(n.pos, "expected '(' to begin constructor invocation");
        return nullptr;
    }
    if (FindIntrinsic(n.name)) {
        error(n.pos, "expected '(' to begin function call");
        return nullptr;
    }
    if (IsReservedName(n.name)) {
        error(n.pos, "name " + quote(n.name) + " is reserved");
        return nullptr;
    }
    error(n.pos, "unknown identifier " + quote(n.name));
    return nullptr;
}

Expression* Checker::literal(const AstNode& n) {
    switch (n.kind) {
        case AstKind::BoolLiteral:
            return fProgram.make<Literal>(n.pos, &Type::Bool(), n.boolValue ? 1.0 : 0.0);
        case AstKind::FloatLiteral:
            if (n.floatValue > FLT_MAX) {
                error(n.pos, "floating-point value is too large: " + std::string(n.name));
                return nullptr;
            }
            return fProgram.make<Literal>(n.pos, &Type::Float(),
                                          static_cast<double>(static_cast<float>(n.floatValue)));
        default:
            if (n.intTooLarge) {
                error(n.pos, "integer is too large: " + std::string(n.name));
                return nullptr;
            }
            if (n.intValue > INT32_MAX) {
                error(n.pos, "value is out of range for type 'int': " +
                                     std::to_string(n.intValue));
                return nullptr;
            }
            return fProgram.make<Literal>(n.pos, &Type::Int(), static_cast<double>(n.intValue));
    }
}

Expression* Checker::binary(const AstNode& n) {
    if (isDisallowedOperator(n.op)) {
        error(n.pos, "operator " + opText(n.op) + " is not allowed");
        return nullptr;
    }
    Expression* left = expression(*n.kids[0]);
    Expression* right = expression(*n.kids[1]);
    if (!left || !right) return nullptr;
    return binary(n.pos, left, n.op, right);
}

Expression* Checker::binary(Position pos, Expression* left, Operator op, Expression* right) {
    const Type& lt = left->type();
    const Type& rt = right->type();
    auto mismatch = [&]() -> Expression* {
        error(pos, "type mismatch: " + opText(op) + " cannot operate on " + quote(lt.name()) +
                           ", " + quote(rt.name()));
        return nullptr;
    };
    auto arrays = [&]() -> Expression* {
        error(pos, "operator " + opText(op) +
                           " can not operate on arrays (or structs containing arrays)");
        return nullptr;
    };

    if (op == Operator::Comma) {
        if (lt.containsArray() || rt.containsArray()) return arrays();
        if (lt.isChild() || rt.isChild()) return mismatch();
        return fProgram.make<BinaryExpression>(pos, &rt, left, op, right);
    }
    if (lt.isChild() || rt.isChild() || lt.isVoid() || rt.isVoid()) return mismatch();

    // Unifies both sides to one type of the same shape; false when neither converts.
    auto unify = [&](Expression*& a, Expression*& b) {
        int ab = coercionCost(*a, b->type());
        int ba = coercionCost(*b, a->type());
        if (ab >= kImpossible && ba >= kImpossible) return false;
        if (ab < ba || (ab == ba && b->type().priority() > a->type().priority())) {
            a = convert(a, b->type());
        } else {
            b = convert(b, a->type());
        }
        return true;
    };

    if (IsAssignment(op)) {
        if (lt.containsArray() || rt.containsArray()) return arrays();
        const Type* resultType = &lt;
        if (op == Operator::Eq) {
            if (coercionCost(*right, lt) >= kImpossible) return mismatch();
            right = convert(right, lt);
        } else {
            // x op= y must be x = x op y with x's type unchanged.
            Operator base = RemoveAssignment(op);
            if (!lt.isNumber() || !rt.isNumber()) return mismatch();
            bool ok = false;
            if (base == Operator::Star && lt.isVector() && rt.isMatrix()) {
                ok = rt.rows() == lt.columns() && rt.columns() == lt.columns();
                if (ok && coercionCost(*right, *rt.withComponent(lt.componentType())) < kImpossible) {
                    right = convert(right, *rt.withComponent(lt.componentType()));
                } else {
                    ok = false;
                }
            } else if (sameShape(lt, rt) || rt.isScalar()) {
                const Type& target = rt.isScalar() ? lt.componentType() : lt;
                if (coercionCost(*right, target) < kImpossible) {
                    right = convert(right, target);
                    ok = true;
                }
            }
            if (!ok) return mismatch();
        }
        if (!makeAssignable(*left, op != Operator::Eq, left->pos())) return nullptr;
        return fProgram.make<BinaryExpression>(pos, resultType, left, op, right);
    }

    if (op == Operator::AmpAmp || op == Operator::PipePipe || op == Operator::CaretCaret) {
        if (&lt != &Type::Bool() || &rt != &Type::Bool()) return mismatch();
        if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, Type::Bool(), *left, op, *right)) {
            return f;
        }
        return fProgram.make<BinaryExpression>(pos, &Type::Bool(), left, op, right);
    }

    if (op == Operator::EqEq || op == Operator::Neq) {
        if (lt.containsArray() || rt.containsArray()) return arrays();
        if (lt.isStruct() || rt.isStruct()) {
            if (&lt != &rt) return mismatch();
        } else if (!unify(left, right)) {
            return mismatch();
        }
        if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, Type::Bool(), *left, op, *right)) {
            return f;
        }
        return fProgram.make<BinaryExpression>(pos, &Type::Bool(), left, op, right);
    }

    if (!lt.isNumber() || !rt.isNumber()) return mismatch();

    if (op == Operator::Lt || op == Operator::Lte || op == Operator::Gt || op == Operator::Gte) {
        if (!lt.isScalar() || !rt.isScalar() || !unify(left, right)) return mismatch();
        if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, Type::Bool(), *left, op, *right)) {
            return f;
        }
        return fProgram.make<BinaryExpression>(pos, &Type::Bool(), left, op, right);
    }

    // Arithmetic.
    const Type* resultType = nullptr;
    if (op == Operator::Star && (lt.isMatrix() || rt.isMatrix()) && !lt.isScalar() &&
        !rt.isScalar()) {
        if (!lt.isFloat() || !rt.isFloat()) return mismatch();
        // Matrix products on float components; the wider component wins.
        const Type& comp = lt.priority() >= rt.priority() ? lt.componentType() : rt.componentType();
        if (lt.isMatrix() && rt.isMatrix()) {
            if (lt.columns() != rt.rows()) return mismatch();
            resultType = &Type::Matrix(comp, rt.columns());
        } else if (lt.isMatrix()) {
            if (lt.columns() != rt.columns()) return mismatch();
            resultType = &Type::Vector(comp, lt.rows());
        } else {
            if (lt.columns() != rt.rows()) return mismatch();
            resultType = &Type::Vector(comp, rt.columns());
        }
        left = convert(left, *lt.withComponent(comp));
        right = convert(right, *rt.withComponent(comp));
    } else if (sameShape(lt, rt)) {
        if (!unify(left, right)) return mismatch();
        resultType = &left->type();
    } else if (lt.isScalar() && !rt.isScalar()) {
        if (coercionCost(*left, rt.componentType()) >= kImpossible) return mismatch();
        left = convert(left, rt.componentType());
        resultType = &rt;
    } else if (rt.isScalar() && !lt.isScalar()) {
        if (coercionCost(*right, lt.componentType()) >= kImpossible) return mismatch();
        right = convert(right, lt.componentType());
        resultType = &lt;
    } else {
        return mismatch();
    }
    if (op == Operator::Slash) {
        std::vector<double> divisor;
        if (ConstantFolder::GetValues(*right, &divisor) &&
            std::find(divisor.begin(), divisor.end(), 0.0) != divisor.end()) {
            error(pos, "division by zero");
            return nullptr;
        }
    }
    if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, *resultType, *left, op, *right)) {
        return f;
    }
    return fProgram.make<BinaryExpression>(pos, resultType, left, op, right);
}

Expression* Checker::prefix(const AstNode& n) {
    Operator op = n.op;
    if (op == Operator::Tilde) {
        error(n.pos, "operator '~' is not allowed");
        return nullptr;
    }
    const AstNode& operandNode = *n.kids[0];
    if (op == Operator::Minus && operandNode.kind == AstKind::IntLiteral && !operandNode.intTooLarge &&
        operandNode.intValue <= int64_t(INT32_MAX) + 1) {
        // -2147483648 is an int although 2147483648 alone is not.
        return fProgram.make<Literal>(n.pos, &Type::Int(), -static_cast<double>(operandNode.intValue));
    }
    Expression* operand = expression(operandNode);
    if (!operand) return nullptr;
    const Type& t = operand->type();
    auto bad = [&]() -> Expression* {
        error(n.pos, opText(op) + " cannot operate on " + quote(t.name()));
        return nullptr;
    };
    switch (op) {
        case Operator::Plus:
        case Operator::Minus:
            if (!t.isNumber()) return bad();
            if (op == Operator::Plus) return operand;
            break;
        case Operator::Bang:
            if (&t != &Type::Bool()) return bad();
            break;
        case Operator::PlusPlus:
        case Operator::MinusMinus:
            if (!t.isNumber()) return bad();
            if (!makeAssignable(*operand, true, operand->pos())) return nullptr;
            return fProgram.make<PrefixExpression>(n.pos, op, operand);
        default:
            return bad();
    }
    if (Expression* f = ConstantFolder::FoldPrefix(fProgram, n.pos, op, *operand)) return f;
    return fProgram.make<PrefixExpression>(n.pos, op, operand);
}

Expression* Checker::postfix(const AstNode& n) {
    Expression* operand = expression(*n.kids[0]);
    if (!operand) return nullptr;
    if (!operand->type().isNumber()) {
        error(n.pos, opText(n.op) + " cannot operate on " + quote(operand->type().name()));
        return nullptr;
    }
    if (!makeAssignable(*operand, true, operand->pos())) return nullptr;
    return fProgram.make<PostfixExpression>(n.pos, n.op, operand);
}

Expression* Checker::ternary(const AstNode& n) {
    Expression* test = expression(*n.kids[0]);
    Expression* a = expression(*n.kids[1]);
    Expression* b = expression(*n.kids[2]);
    if (!test || !a || !b) return nullptr;
    test = coerce(test, Type::Bool());
    if (!test) return nullptr;
    const Type& at = a->type();
    const Type& bt = b->type();
    if (at.isVoid() || bt.isVoid()) {
        error(n.pos, "ternary expression of type 'void' is not allowed");
        return nullptr;
    }
    if (at.containsArray() || bt.containsArray()) {
        error(n.pos, "ternary operator result may not be an array (or struct containing an array)");
        return nullptr;
    }
    bool ok = false;
    if (&at == &bt && !at.isChild()) {
        ok = true;
    } else if (at.isValue() && bt.isValue()) {
        int ab = coercionCost(*a, bt);
        int ba = coercionCost(*b, at);
        if (ab < kImpossible || ba < kImpossible) {
            if (ab < ba || (ab == ba && bt.priority() > at.priority())) {
                a = convert(a, bt);
            } else {
                b = convert(b, at);
            }
            ok = true;
        }
    }
    if (!ok) {
        error(n.pos, "ternary operator result mismatch: " + quote(at.name()) + ", " +
                             quote(bt.name()));
        return nullptr;
    }
    if (test->is<Literal>()) return test->as<Literal>().value() != 0 ? a : b;
    return fProgram.make<TernaryExpression>(n.pos, test, a, b);
}

bool Checker::makeAssignable(Expression& e, bool read, Position pos) {
    switch (e.kind()) {
        case IRKind::VariableReference: {
            auto& ref = e.as<VariableReference>();
            const Variable& v = ref.variable();
            if (v.isConst() || v.isUniform()) {
                error(pos, "cannot modify immutable variable " + quote(v.name()));
                return false;
            }
            if (v.type().isChild()) {
                error(pos, "cannot assign to this expression");
                return false;
            }
            ref.setRefKind(read ? VariableReference::RefKind::ReadWrite
                                : VariableReference::RefKind::Write);
            return true;
        }
        case IRKind::Swizzle: {
            const auto& s = e.as<Swizzle>();
            int seen = 0;
            for (int8_t c : s.components()) {
                if (c == Swizzle::kZero || c == Swizzle::kOne) {
                    error(pos, "cannot assign to this expression");
                    return false;
                }
                if (seen & (1 << c)) {
                    error(pos, "cannot write to the same swizzle field more than once");
                    return false;
                }
                seen |= 1 << c;
            }
            return makeAssignable(const_cast<Expression&>(s.base()), true, pos);
        }
        case IRKind::Index:
            return makeAssignable(const_cast<Expression&>(e.as<IndexExpression>().base()), true,
                                  pos);
        case IRKind::FieldAccess:
            return makeAssignable(const_cast<Expression&>(e.as<FieldAccess>().base()), true, pos);
        default:
            error(pos, "cannot assign to this expression");
            return false;
    }
}

bool Checker::isConstantIndex(const Expression& e) const {
    switch (e.kind()) {
        case IRKind::Literal:
            return true;
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            if (v.isConst() && v.constValue()) return true;
            return std::find(fLoopIndices.begin(), fLoopIndices.end(), &v) != fLoopIndices.end();
        }
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            if (IsAssignment(b.op()) || b.op() == Operator::Comma) return false;
            return isConstantIndex(b.left()) && isConstantIndex(b.right());
        }
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            return p.op() != Operator::PlusPlus && p.op() != Operator::MinusMinus &&
                   isConstantIndex(p.operand());
        }
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return isConstantIndex(t.test()) && isConstantIndex(t.ifTrue()) &&
                   isConstantIndex(t.ifFalse());
        }
        case IRKind::Constructor:
            for (const Expression* a : e.as<Constructor>().arguments()) {
                if (!isConstantIndex(*a)) return false;
            }
            return true;
        case IRKind::IntrinsicCall:
            for (const Expression* a : e.as<IntrinsicCall>().arguments()) {
                if (!isConstantIndex(*a)) return false;
            }
            return true;
        case IRKind::Swizzle:
            return isConstantIndex(e.as<Swizzle>().base());
        case IRKind::Index:
            return isConstantIndex(e.as<IndexExpression>().base()) &&
                   isConstantIndex(e.as<IndexExpression>().index());
        case IRKind::FieldAccess:
            return isConstantIndex(e.as<FieldAccess>().base());
        default:
            return false;
    }
}

Expression* Checker::index(const AstNode& n) {
    Expression* base = expression(*n.kids[0]);
    if (!base) return nullptr;
    if (!n.kids[1]) {
        error(n.pos, "missing index in '[]'");
        return nullptr;
    }
    Expression* idx = expression(*n.kids[1]);
    if (!idx) return nullptr;
    const Type& bt = base->type();
    const Type* resultType = nullptr;
    int size = 0;
    if (bt.isArray()) {
        resultType = &bt.elementType();
        size = bt.arraySize();
    } else if (bt.isVector()) {
        resultType = &bt.componentType();
        size = bt.columns();
    } else if (bt.isMatrix()) {
        resultType = &Type::Vector(bt.componentType(), bt.rows());
        size = bt.columns();
    } else {
        error(base->pos(), "expected array, but found " + quote(bt.name()));
        return nullptr;
    }
    idx = coerce(idx, Type::Int());
    if (!idx) return nullptr;
    int64_t k;
    if (ConstantFolder::GetInt(*idx, &k) && (k < 0 || k >= size)) {
        error(idx->pos(), "index " + std::to_string(k) + " out of range for " + quote(bt.name()));
        return nullptr;
    }
    if (!isConstantIndex(*idx)) {
        error(idx->pos(), "index expression must be constant");
        return nullptr;
    }
    return fProgram.make<IndexExpression>(n.pos, resultType, base, idx);
}

Expression* Checker::field(const AstNode& n) {
    Expression* base = expression(*n.kids[0]);
    if (!base) return nullptr;
    const Type& bt = base->type();
    if (bt.isStruct()) {
        const auto& fields = bt.fields();
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].name == n.name) {
                return fProgram.make<FieldAccess>(n.pos, fields[i].type, base, static_cast<int>(i));
            }
        }
    } else if (n.name == "eval" && bt.isValue()) {
        // Not a swizzle gone wrong: a call of a child on something that is not one.
        std::string what = base->is<VariableReference>()
                                   ? quote(base->as<VariableReference>().variable().name())
                                   : "a value of type " + quote(bt.name());
        error(n.pos, what + " is not a shader: eval is only for 'uniform shader', "
                            "'uniform colorFilter' and 'uniform blender' children");
        return nullptr;
    } else if (bt.isScalar() || bt.isVector()) {
        Position maskPos = {n.pos.end - static_cast<int32_t>(n.name.size()), n.pos.end};
        return swizzle(maskPos, base, n.name);
    } else if (bt.isChild()) {
        error(n.pos, "expected '(' to begin method call");
        return nullptr;
    }
    error(n.pos, "type " + quote(bt.name()) + " does not have a field named " + quote(n.name));
    return nullptr;
}

Expression* Checker::swizzle(Position pos, Expression* base, std::string_view mask) {
    if (mask.size() > 4) {
        error(pos, "too many components in swizzle mask");
        return nullptr;
    }
    static constexpr std::string_view kSets[] = {"xyzw", "rgba", "stpq", "LTRB"};
    int set = -1;
    std::vector<int8_t> components;
    bool anyBase = false;
    for (char c : mask) {
        if (c == '0' || c == '1') {
            components.push_back(c == '0' ? Swizzle::kZero : Swizzle::kOne);
            continue;
        }
        int found = -1, foundSet = -1;
        for (int s = 0; s < static_cast<int>(std::size(kSets)); ++s) {
            size_t k = kSets[s].find(c);
            if (k != std::string_view::npos) {
                found = static_cast<int>(k);
                foundSet = s;
            }
        }
        if (found < 0) {
            error(pos, "invalid swizzle component '" + std::string(1, c) + "'");
            return nullptr;
        }
        if (set >= 0 && foundSet != set) {
            error(pos, "invalid swizzle mask " + quote(mask));
            return nullptr;
        }
        set = foundSet;
        if (found >= base->type().columns()) {
            error(pos, "invalid swizzle component '" + std::string(1, c) + "'");
            return nullptr;
        }
        components.push_back(static_cast<int8_t>(found));
        anyBase = true;
    }
    if (!anyBase) {
        error(pos, "swizzle must refer to base expression");
        return nullptr;
    }
    const Type* t = &Type::Vector(base->type().componentType(), static_cast<int>(components.size()));
    // x.x on a scalar is the scalar itself.
    if (base->type().isScalar() && components.size() == 1) return base;
    return fProgram.make<Swizzle>(Position::Range(base->pos(), pos), t, base,
                                  std::move(components));
}

}  // namespace plix::sksl
