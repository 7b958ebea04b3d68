// if (test) then [else otherwise]
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class IfStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::If;
    IfStatement(Position pos, const Expression* test, const Statement* then,
                const Statement* otherwise)
            : Statement(kKind, pos), fTest(test), fThen(then), fOtherwise(otherwise) {}
    const Expression& test() const { return *fTest; }
    const Statement& then() const { return *fThen; }
    const Statement* otherwise() const { return fOtherwise; }

private:
    const Expression* fTest;
    const Statement* fThen;
    const Statement* fOtherwise;
};

}  // namespace plix::sksl
