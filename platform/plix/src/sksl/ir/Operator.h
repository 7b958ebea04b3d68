// Operators of the IR are the tokens that spell them.
#pragma once

#include "sksl/lex/Token.h"

namespace plix::sksl {

using Operator = TokenKind;

inline bool IsAssignment(Operator op) {
    return op == Operator::Eq || op == Operator::PlusEq || op == Operator::MinusEq ||
           op == Operator::StarEq || op == Operator::SlashEq;
}

// "+=" -> "+"; other operators unchanged.
inline Operator RemoveAssignment(Operator op) {
    switch (op) {
        case Operator::PlusEq: return Operator::Plus;
        case Operator::MinusEq: return Operator::Minus;
        case Operator::StarEq: return Operator::Star;
        case Operator::SlashEq: return Operator::Slash;
        default: return op;
    }
}

}  // namespace plix::sksl
