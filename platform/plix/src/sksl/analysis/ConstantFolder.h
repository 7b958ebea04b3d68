// Compile-time constants: which expressions are constant, what their values are, and folding
// of operators applied to literals (so "1 + 2" is the literal 3 and coerces like one).
#pragma once

#include "sksl/Position.h"
#include "sksl/ir/Operator.h"

#include <cstdint>
#include <vector>

namespace plix::sksl {

class Diagnostics;
class Expression;
class Program;
class Type;

namespace ConstantFolder {

// A constant expression in the language's sense: literals, const variables with constant
// initializers, and operators, constructors, swizzles, indexing and built-in calls on those.
bool IsConstantExpression(const Expression& e);

// The value of a constant expression, one double per slot (matrices column by column); false
// when the expression is not constant or its value cannot be worked out here.
bool GetValues(const Expression& e, std::vector<double>* out);
bool GetInt(const Expression& e, int64_t* out);

// left OP right for literal scalar operands, as a new literal of resultType; null when the
// operands are not literals or the operator is not folded.
Expression* FoldBinary(Program& program, Position pos, const Type& resultType,
                       const Expression& left, Operator op, const Expression& right);
// -x, +x, !x on a literal; null otherwise.
Expression* FoldPrefix(Program& program, Position pos, Operator op, const Expression& operand);

// Rounds a value to what a slot of type t holds (float32, int32 with wrap-around, bool).
double Normalize(const Type& t, double v);

}  // namespace ConstantFolder
}  // namespace plix::sksl
