// Helpers shared by the parts of the type checker (CheckDeclarations, CheckStatements,
// CheckExpressions, CheckCalls).
#pragma once

#include "sksl/Diagnostics.h"
#include "sksl/ir/Operator.h"
#include "sksl/ir/Type.h"
#include "sksl/lex/Token.h"
#include "sksl/parse/Ast.h"

#include <string>
#include <string_view>

namespace plix::sksl::check {

// Loops must finish in fewer iterations than this.
constexpr int kLoopTerminationLimit = 100000;
// Size limits in 32-bit slots, as the reference engine draws them: an array may hold up to
// kMaxArraySize; a struct, the parameters and locals of one function, and one global (uniforms
// too) must stay below kSlotLimit.
constexpr int kMaxArraySize = 100000;
constexpr int kSlotLimit = 100000;
// Structs nest at most this deep (a struct field of struct type is one level; arrays are not).
constexpr int kMaxStructNesting = 8;

constexpr uint32_t kPrecision =
        AstModifiers::kHighp | AstModifiers::kMediump | AstModifiers::kLowp;

// Names and text from the source, quoted (cut and escaped: see QuoteSource).
inline std::string quote(std::string_view s) { return QuoteSource(s); }

inline std::string opText(Operator op) { return quote(TokenKindText(op)); }

// Scalars, vectors or matrices of one shape.
inline bool sameShape(const Type& a, const Type& b) {
    return a.kind() == b.kind() && a.columns() == b.columns() && a.rows() == b.rows() &&
           a.isValue();
}

}  // namespace plix::sksl::check
