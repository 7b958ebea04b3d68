// A call of a function the program defines. Arguments to out and inout parameters are
// assignable expressions.
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Symbols.h"

#include <vector>

namespace plix::sksl {

class FunctionCall final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::FunctionCall;
    FunctionCall(Position pos, const FunctionDeclaration* function,
                 std::vector<Expression*> args)
            : Expression(kKind, pos, &function->returnType()), fFunction(function),
              fArgs(std::move(args)) {}
    const FunctionDeclaration& function() const { return *fFunction; }
    const std::vector<Expression*>& arguments() const { return fArgs; }

private:
    const FunctionDeclaration* fFunction;
    std::vector<Expression*> fArgs;
};

}  // namespace plix::sksl
