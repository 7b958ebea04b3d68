// Splits source text into tokens on demand. Whitespace and comments are skipped; an unterminated
// block comment runs to the end of the text (where it starts is kept for the parser to report).
// Never fails: bytes it cannot use become Invalid tokens, which the parser reports.
#pragma once

#include "sksl/lex/Token.h"

#include <string_view>

namespace plix::sksl {

class Lexer {
public:
    explicit Lexer(std::string_view source) : fSource(source) {}

    Token next();
    std::string_view text(const Token& t) const {
        return fSource.substr(t.pos.start, t.pos.end - t.pos.start);
    }
    std::string_view source() const { return fSource; }
    // Offset of a "/*" that has no end, or -1.
    int32_t unterminatedComment() const { return fUnterminatedComment; }

private:
    Token scan();
    void skipSpaceAndComments();
    Token number(int32_t start);

    std::string_view fSource;
    int32_t fOffset = 0;
    // Kind of the last token: after an operand, ".0" is a swizzle ("v.0y01"), not a number.
    TokenKind fLast = TokenKind::EndOfFile;
    int32_t fUnterminatedComment = -1;
};

// Names the language keeps for itself ("name 'class' is reserved").
bool IsReservedName(std::string_view name);

}  // namespace plix::sksl
