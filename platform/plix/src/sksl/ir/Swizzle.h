// base.xyzw: picks components of a scalar or vector; components may also be the constants 0
// and 1 (".xy01"), which makes the swizzle read-only.
#pragma once

#include "sksl/ir/IRNode.h"

#include <cstdint>
#include <vector>

namespace plix::sksl {

class Swizzle final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Swizzle;
    enum : int8_t { kZero = 4, kOne = 5 };

    Swizzle(Position pos, const Type* type, Expression* base, std::vector<int8_t> components)
            : Expression(kKind, pos, type), fBase(base), fComponents(std::move(components)) {}
    const Expression& base() const { return *fBase; }
    const std::vector<int8_t>& components() const { return fComponents; }

private:
    Expression* fBase;
    std::vector<int8_t> fComponents;
};

}  // namespace plix::sksl
