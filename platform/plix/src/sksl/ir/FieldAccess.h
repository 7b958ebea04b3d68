// base.field on a struct value.
#pragma once

#include "sksl/ir/IRNode.h"

namespace plix::sksl {

class FieldAccess final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::FieldAccess;
    FieldAccess(Position pos, const Type* type, Expression* base, int field)
            : Expression(kKind, pos, type), fBase(base), fField(field) {}
    const Expression& base() const { return *fBase; }
    int fieldIndex() const { return fField; }

private:
    Expression* fBase;
    int fField;
};

}  // namespace plix::sksl
