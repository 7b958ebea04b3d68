// base[index] on an array (an element), a vector (a component) or a matrix (a column).
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class IndexExpression final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Index;
    IndexExpression(Position pos, const Type* type, Expression* base, Expression* index)
            : Expression(kKind, pos, type), fBase(base), fIndex(index) {}
    const Expression& base() const { return *fBase; }
    const Expression& index() const { return *fIndex; }

private:
    Expression* fBase;
    Expression* fIndex;
};

}  // namespace plix::sksl
