// Type constructors, one node with the form the checker recognised:
//   Splat          float3(x): one scalar repeated
//   Compound       float4(v2, 0, 1), float2x2(a, b, c, d), float4(m2): all argument components
//                  in order (matrices column by column), each converted to the component type
//   Cast           int2(v): same shape, each component converted
//   DiagonalMatrix float3x3(s): s on the diagonal, zero elsewhere
//   MatrixResize   float3x3(m2): overlapping part copied, the rest from the identity
//   Struct         S(a, b): one argument per field
#pragma once

#include "sksl/ir/IRNode.h"

#include <vector>

namespace plix::sksl {

class Constructor final : public Expression {
public:
    static constexpr IRKind kKind = IRKind::Constructor;
    enum class Form : uint8_t { Splat, Compound, Cast, DiagonalMatrix, MatrixResize, Struct };

    Constructor(Position pos, const Type* type, Form form, std::vector<Expression*> args)
            : Expression(kKind, pos, type), fForm(form), fArgs(std::move(args)) {}
    Form form() const { return fForm; }
    const std::vector<Expression*>& arguments() const { return fArgs; }

private:
    Form fForm;
    std::vector<Expression*> fArgs;
};

}  // namespace plix::sksl
