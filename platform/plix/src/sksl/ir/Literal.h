// A scalar constant. Ints and bools are held exactly in the double (ints stay within 32 bits).
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class Literal final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Literal;
    Literal(Position pos, const Type* type, double value)
            : Expression(kKind, pos, type), fValue(value) {}
    double value() const { return fValue; }

private:
    double fValue;
};

}  // namespace plix::sksl
