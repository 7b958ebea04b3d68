// { statements }
#pragma once

#include "sksl/ir/IRNode.h"

#include <vector>

namespace plix::sksl {

class Block final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::Block;
    Block(Position pos, std::vector<Statement*> statements)
            : Statement(kKind, pos), fStatements(std::move(statements)) {}
    const std::vector<Statement*>& statements() const { return fStatements; }

private:
    std::vector<Statement*> fStatements;
};

}  // namespace plix::sksl
