// left OP right: arithmetic, comparison, logic, assignment (plain and compound) and comma.
// Both operands already have the types the operator works on (the checker inserted casts).
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Operator.h"

namespace plix::sksl {

class BinaryExpression final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Binary;
    BinaryExpression(Position pos, const Type* type, Expression* left, Operator op,
                     Expression* right)
            : Expression(kKind, pos, type), fLeft(left), fOp(op), fRight(right) {}
    const Expression& left() const { return *fLeft; }
    const Expression& right() const { return *fRight; }
    Operator op() const { return fOp; }

private:
    Expression* fLeft;
    Operator fOp;
    Expression* fRight;
};

}  // namespace plix::sksl
