// Tokens of the shading language. Type names are plain identifiers: which identifiers name types
// is the symbol table's business, not the lexer's.
#pragma once

#include "sksl/Position.h"

#include <cstdint>
#include <string_view>

namespace plix::sksl {

#define PLIX_SKSL_TOKENS(X)                                                                     \
    X(EndOfFile, "end of file") X(Identifier, "identifier") X(IntLiteral, "integer")             \
    X(FloatLiteral, "float") X(True, "true") X(False, "false") X(Directive, "directive")          \
    X(Invalid, "invalid token")                                                                 \
    /* keywords */                                                                              \
    X(If, "if") X(Else, "else") X(For, "for") X(While, "while") X(Do, "do") X(Switch, "switch")   \
    X(Case, "case") X(Default, "default") X(Break, "break") X(Continue, "continue")               \
    X(Discard, "discard") X(Return, "return") X(Struct, "struct") X(In, "in") X(Out, "out")       \
    X(Inout, "inout") X(Uniform, "uniform") X(Const, "const") X(Flat, "flat")                     \
    X(Noperspective, "noperspective") X(Inline, "inline") X(Noinline, "noinline")                 \
    X(Highp, "highp") X(Mediump, "mediump") X(Lowp, "lowp") X(Layout, "layout")                   \
    X(Readonly, "readonly") X(Writeonly, "writeonly") X(Buffer, "buffer")                         \
    X(Workgroup, "workgroup")                                                                   \
    /* punctuation */                                                                           \
    X(LParen, "(") X(RParen, ")") X(LBrace, "{") X(RBrace, "}") X(LBracket, "[")                  \
    X(RBracket, "]") X(Dot, ".") X(Comma, ",") X(Semicolon, ";") X(Colon, ":")                    \
    X(Question, "?")                                                                            \
    /* operators */                                                                             \
    X(Eq, "=") X(EqEq, "==") X(Bang, "!") X(Neq, "!=") X(Lt, "<") X(Lte, "<=") X(Gt, ">")         \
    X(Gte, ">=") X(Shl, "<<") X(Shr, ">>") X(ShlEq, "<<=") X(ShrEq, ">>=") X(Plus, "+")           \
    X(PlusEq, "+=") X(PlusPlus, "++") X(Minus, "-") X(MinusEq, "-=") X(MinusMinus, "--")          \
    X(Star, "*") X(StarEq, "*=") X(Slash, "/") X(SlashEq, "/=") X(Percent, "%")                   \
    X(PercentEq, "%=") X(Amp, "&") X(AmpEq, "&=") X(AmpAmp, "&&") X(Pipe, "|") X(PipeEq, "|=")    \
    X(PipePipe, "||") X(Caret, "^") X(CaretEq, "^=") X(CaretCaret, "^^") X(Tilde, "~")

enum class TokenKind : uint8_t {
#define PLIX_SKSL_TOKEN_ENUM(name, text) name,
    PLIX_SKSL_TOKENS(PLIX_SKSL_TOKEN_ENUM)
#undef PLIX_SKSL_TOKEN_ENUM
};

// The spelling of an operator or keyword, or a description of a token class.
std::string_view TokenKindText(TokenKind kind);

struct Token {
    TokenKind kind = TokenKind::EndOfFile;
    Position pos;
};

}  // namespace plix::sksl
