// Prefix (-x, +x, !x, ++x, --x) and postfix (x++, x--) operators.
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Operator.h"

namespace plix::sksl {

class PrefixExpression final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Prefix;
    PrefixExpression(Position pos, Operator op, Expression* operand)
            : Expression(kKind, pos, &operand->type()), fOp(op), fOperand(operand) {}
    Operator op() const { return fOp; }
    const Expression& operand() const { return *fOperand; }

private:
    Operator fOp;
    Expression* fOperand;
};

class PostfixExpression final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Postfix;
    PostfixExpression(Position pos, Operator op, Expression* operand)
            : Expression(kKind, pos, &operand->type()), fOp(op), fOperand(operand) {}
    Operator op() const { return fOp; }
    const Expression& operand() const { return *fOperand; }

private:
    Operator fOp;
    Expression* fOperand;
};

}  // namespace plix::sksl
