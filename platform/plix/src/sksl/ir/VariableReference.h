// A use of a variable, marked with how it is used so analyses need not look at the parent.
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Symbols.h"

namespace plix::sksl {

class VariableReference final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::VariableReference;
    enum class RefKind : uint8_t { Read, Write, ReadWrite };

    VariableReference(Position pos, const Variable* var, RefKind refKind)
            : Expression(kKind, pos, &var->type()), fVariable(var), fRefKind(refKind) {}
    const Variable& variable() const { return *fVariable; }
    RefKind refKind() const { return fRefKind; }
    void setRefKind(RefKind k) { fRefKind = k; }

private:
    const Variable* fVariable;
    RefKind fRefKind;
};

}  // namespace plix::sksl
