// A call of a built-in function; the arguments have exactly the types of the chosen overload.
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Intrinsic.h"

#include <vector>

namespace plix::sksl {

class IntrinsicCall final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::IntrinsicCall;
    IntrinsicCall(Position pos, const Type* type, Intrinsic intrinsic,
                  std::vector<Expression*> args)
            : Expression(kKind, pos, type), fIntrinsic(intrinsic), fArgs(std::move(args)) {}
    Intrinsic intrinsic() const { return fIntrinsic; }
    const std::vector<Expression*>& arguments() const { return fArgs; }

private:
    Intrinsic fIntrinsic;
    std::vector<Expression*> fArgs;
};

}  // namespace plix::sksl
