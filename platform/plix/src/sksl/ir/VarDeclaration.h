// Declaration of one variable, with its initial value if it has one (globals and locals alike).
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Symbols.h"

namespace plix::sksl {

class VarDeclaration final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::VarDeclaration;
    VarDeclaration(Position pos, const Variable* var, const Expression* value)
            : Statement(kKind, pos), fVar(var), fValue(value) {}
    const Variable& variable() const { return *fVar; }
    const Expression* value() const { return fValue; }

private:
    const Variable* fVar;
    const Expression* fValue;
};

}  // namespace plix::sksl
