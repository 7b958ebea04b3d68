// test ? ifTrue : ifFalse; only the chosen side is evaluated.
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class TernaryExpression final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Ternary;
    TernaryExpression(Position pos, Expression* test, Expression* ifTrue, Expression* ifFalse)
            : Expression(kKind, pos, &ifTrue->type()), fTest(test), fIfTrue(ifTrue),
              fIfFalse(ifFalse) {}
    const Expression& test() const { return *fTest; }
    const Expression& ifTrue() const { return *fIfTrue; }
    const Expression& ifFalse() const { return *fIfFalse; }

private:
    Expression* fTest;
    Expression* fIfTrue;
    Expression* fIfFalse;
};

}  // namespace plix::sksl
