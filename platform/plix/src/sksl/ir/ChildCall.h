// child.eval(...): samples a child shader at coordinates (float2), filters a colour through a
// child colour filter (half4), or blends two colours with a child blender (half4, half4).
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Symbols.h"

#include <vector>

namespace plix::sksl {

class ChildCall final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::ChildCall;
    ChildCall(Position pos, const Type* type, const Variable* child, std::vector<Expression*> args)
            : Expression(kKind, pos, type), fChild(child), fArgs(std::move(args)) {}
    const Variable& child() const { return *fChild; }
    const std::vector<Expression*>& arguments() const { return fArgs; }

private:
    const Variable* fChild;
    std::vector<Expression*> fArgs;
};

}  // namespace plix::sksl
