// An expression evaluated for its effects.
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class ExpressionStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::ExpressionStatement;
    ExpressionStatement(Position pos, const Expression* e) : Statement(kKind, pos), fExpr(e) {}
    const Expression& expression() const { return *fExpr; }

private:
    const Expression* fExpr;
};

}  // namespace plix::sksl
