// switch (value) { case N: ... default: ... }: cases in source order, control falls through
// from one case to the next until a break.
#pragma once

#include "sksl/ir/IRNode.h"

#include <cstdint>
#include <vector>

namespace plix::sksl {

class SwitchStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::Switch;
    struct Case {
        bool isDefault;
        int32_t value;
        std::vector<const Statement*> statements;
    };
    SwitchStatement(Position pos, const Expression* value, std::vector<Case> cases)
            : Statement(kKind, pos), fValue(value), fCases(std::move(cases)) {}
    const Expression& value() const { return *fValue; }
    const std::vector<Case>& cases() const { return fCases; }

private:
    const Expression* fValue;
    std::vector<Case> fCases;
};

}  // namespace plix::sksl
