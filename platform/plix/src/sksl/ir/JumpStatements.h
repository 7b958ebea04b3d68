// break, continue, return [value], and the empty statement.
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class BreakStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::Break;
    explicit BreakStatement(Position pos) : Statement(kKind, pos) {}
};

class ContinueStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::Continue;
    explicit ContinueStatement(Position pos) : Statement(kKind, pos) {}
};

class ReturnStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::Return;
    ReturnStatement(Position pos, const Expression* value) : Statement(kKind, pos), fValue(value) {}
    const Expression* value() const { return fValue; }

private:
    const Expression* fValue;
};

class NopStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::Nop;
    explicit NopStatement(Position pos) : Statement(kKind, pos) {}
};

}  // namespace plix::sksl
