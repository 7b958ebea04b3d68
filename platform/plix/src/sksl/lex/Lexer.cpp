#include "sksl/lex/Lexer.h"

#include <array>

namespace plix::sksl {

std::string_view TokenKindText(TokenKind kind) {
    static constexpr std::string_view kTexts[] = {
#define PLIX_SKSL_TOKEN_TEXT(name, text) text,
        PLIX_SKSL_TOKENS(PLIX_SKSL_TOKEN_TEXT)
#undef PLIX_SKSL_TOKEN_TEXT
    };
    return kTexts[static_cast<int>(kind)];
}

namespace {

bool isIdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentChar(char c) { return isIdentStart(c) || isDigit(c); }
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

struct Keyword {
    std::string_view text;
    TokenKind kind;
};
constexpr std::array kKeywords = {
    Keyword{"true", TokenKind::True},         Keyword{"false", TokenKind::False},
    Keyword{"if", TokenKind::If},             Keyword{"else", TokenKind::Else},
    Keyword{"for", TokenKind::For},           Keyword{"while", TokenKind::While},
    Keyword{"do", TokenKind::Do},             Keyword{"switch", TokenKind::Switch},
    Keyword{"case", TokenKind::Case},         Keyword{"default", TokenKind::Default},
    Keyword{"break", TokenKind::Break},       Keyword{"continue", TokenKind::Continue},
    Keyword{"discard", TokenKind::Discard},   Keyword{"return", TokenKind::Return},
    Keyword{"struct", TokenKind::Struct},     Keyword{"in", TokenKind::In},
    Keyword{"out", TokenKind::Out},           Keyword{"inout", TokenKind::Inout},
    Keyword{"uniform", TokenKind::Uniform},   Keyword{"const", TokenKind::Const},
    Keyword{"flat", TokenKind::Flat},         Keyword{"noperspective", TokenKind::Noperspective},
    Keyword{"inline", TokenKind::Inline},     Keyword{"noinline", TokenKind::Noinline},
    Keyword{"highp", TokenKind::Highp},       Keyword{"mediump", TokenKind::Mediump},
    Keyword{"lowp", TokenKind::Lowp},         Keyword{"layout", TokenKind::Layout},
    Keyword{"readonly", TokenKind::Readonly}, Keyword{"writeonly", TokenKind::Writeonly},
    Keyword{"buffer", TokenKind::Buffer},     Keyword{"workgroup", TokenKind::Workgroup},
};

}  // namespace

namespace {

// The GLSL texture, sampler and image type families, which the language keeps as names though
// it has none of them (sampler2D and texture2D are its own opaque types; a plain sampler2DRect
// is one too, and the shadow samplers come without the i/u prefixes).
bool isReservedOpaqueName(std::string_view name) {
    bool signedOrUnsigned = false;
    if (name.starts_with('i') || name.starts_with('u')) {
        std::string_view rest = name.substr(1);
        signedOrUnsigned = rest.starts_with("texture") || rest.starts_with("sampler") ||
                           rest.starts_with("image") || rest.starts_with("subpassInput");
        if (signedOrUnsigned) name = rest;
    }
    static constexpr std::string_view kShapes[] = {
        "1D", "2D", "3D", "Cube", "2DRect", "Buffer", "1DArray", "2DArray", "CubeArray", "2DMS",
        "2DMSArray"};
    auto isShape = [&](std::string_view shape, bool image) {
        for (std::string_view s : kShapes) {
            if (s != shape) continue;
            return image || signedOrUnsigned || (s != "2D" && s != "2DRect");
        }
        return false;
    };
    for (std::string_view base : {"texture", "sampler", "image"}) {
        if (name.starts_with(base) && isShape(name.substr(base.size()), base == "image")) {
            return true;
        }
    }
    if (signedOrUnsigned) return name == "subpassInput" || name == "subpassInputMS";
    static constexpr std::string_view kShadowSamplers[] = {
        "sampler1DShadow", "sampler2DShadow", "samplerCubeShadow", "sampler1DArrayShadow",
        "sampler2DArrayShadow", "samplerCubeArrayShadow", "sampler2DRectShadow", "sampler3DRect",
        "samplerShadow"};
    for (std::string_view r : kShadowSamplers) {
        if (name == r) return true;
    }
    return false;
}

}  // namespace

bool IsReservedName(std::string_view name) {
    static constexpr std::string_view kReserved[] = {
        "attribute", "varying", "precision", "invariant", "asm",     "class",   "union",
        "enum",      "typedef", "template",  "this",      "packed",  "goto",    "volatile",
        "public",    "static",  "extern",    "external",  "long",    "double",  "fixed",
        "unsigned",  "superp",  "input",     "output",    "hvec2",   "hvec3",   "hvec4",
        "dvec2",     "dvec3",   "dvec4",     "fvec2",     "fvec3",   "fvec4",   "sizeof",
        "cast",      "namespace", "using",   "interface", "atomic",  "dmat2",   "dmat3",
        "dmat4",     "dmat2x2", "dmat2x3",   "dmat2x4",   "dmat3x2", "dmat3x3", "dmat3x4",
        "dmat4x2",   "dmat4x3", "dmat4x4"};
    for (std::string_view r : kReserved) {
        if (name == r) return true;
    }
    return name.starts_with("gl_") || name.find('$') != std::string_view::npos ||
           isReservedOpaqueName(name);
}

void Lexer::skipSpaceAndComments() {
    const int32_t size = static_cast<int32_t>(fSource.size());
    while (fOffset < size) {
        char c = fSource[fOffset];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++fOffset;
        } else if (c == '/' && fOffset + 1 < size && fSource[fOffset + 1] == '/') {
            while (fOffset < size && fSource[fOffset] != '\n') ++fOffset;
        } else if (c == '/' && fOffset + 1 < size && fSource[fOffset + 1] == '*') {
            int32_t start = fOffset;
            fOffset += 2;
            while (fOffset < size &&
                   !(fSource[fOffset] == '*' && fOffset + 1 < size && fSource[fOffset + 1] == '/')) {
                ++fOffset;
            }
            if (fOffset >= size) fUnterminatedComment = start;
            fOffset = fOffset < size ? fOffset + 2 : size;
        } else {
            break;
        }
    }
}

// int:   [0-9]+ | 0[xX][0-9a-fA-F]+, optionally followed by u or U
// float: [0-9]*.[0-9]+([eE][+-]?[0-9]+)? | [0-9]+.([eE][+-]?[0-9]+)? | [0-9]+[eE][+-]?[0-9]+
// An exponent marker without digits makes the whole number one Invalid token.
Token Lexer::number(int32_t start) {
    const int32_t size = static_cast<int32_t>(fSource.size());
    int32_t i = start;
    auto at = [&](int32_t k) { return k < size ? fSource[k] : '\0'; };
    if (at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X') && isHexDigit(at(i + 2))) {
        i += 2;
        while (isHexDigit(at(i))) ++i;
        if (at(i) == 'u' || at(i) == 'U') ++i;
        fOffset = i;
        return {TokenKind::IntLiteral, {start, i}};
    }
    bool isFloat = false;
    while (isDigit(at(i))) ++i;
    if (at(i) == '.') {
        isFloat = true;
        ++i;
        while (isDigit(at(i))) ++i;
    }
    if (at(i) == 'e' || at(i) == 'E') {
        int32_t e = i + 1;
        if (at(e) == '+' || at(e) == '-') ++e;
        if (!isDigit(at(e))) {
            fOffset = e;
            return {TokenKind::Invalid, {start, e}};
        }
        while (isDigit(at(e))) ++e;
        i = e;
        isFloat = true;
    }
    if (!isFloat && (at(i) == 'u' || at(i) == 'U')) ++i;
    fOffset = i;
    return {isFloat ? TokenKind::FloatLiteral : TokenKind::IntLiteral, {start, i}};
}

namespace {

// Tokens after which '.' starts a field or swizzle rather than a number.
bool endsOperand(TokenKind k) {
    switch (k) {
        case TokenKind::Identifier: case TokenKind::IntLiteral: case TokenKind::FloatLiteral:
        case TokenKind::True: case TokenKind::False: case TokenKind::RParen:
        case TokenKind::RBracket: case TokenKind::PlusPlus: case TokenKind::MinusMinus:
            return true;
        default:
            return false;
    }
}

}  // namespace

Token Lexer::next() {
    Token t = scan();
    fLast = t.kind;
    return t;
}

Token Lexer::scan() {
    skipSpaceAndComments();
    const int32_t size = static_cast<int32_t>(fSource.size());
    const int32_t start = fOffset;
    if (start >= size) return {TokenKind::EndOfFile, {size, size}};
    auto at = [&](int32_t k) { return k < size ? fSource[k] : '\0'; };
    char c = fSource[start];

    if (isIdentStart(c)) {
        int32_t i = start + 1;
        while (i < size && isIdentChar(fSource[i])) ++i;
        fOffset = i;
        std::string_view word = fSource.substr(start, i - start);
        for (const Keyword& k : kKeywords) {
            if (k.text == word) return {k.kind, {start, i}};
        }
        return {TokenKind::Identifier, {start, i}};
    }
    if (isDigit(c) || (c == '.' && isDigit(at(start + 1)) && !endsOperand(fLast))) {
        return number(start);
    }
    if (c == '#') {
        int32_t i = start + 1;
        while (i < size && isIdentChar(fSource[i])) ++i;
        fOffset = i;
        return {TokenKind::Directive, {start, i}};
    }

    // Operators and punctuation, longest match first.
    struct Op {
        std::string_view text;
        TokenKind kind;
    };
    static constexpr Op kOps[] = {
        {"<<=", TokenKind::ShlEq}, {">>=", TokenKind::ShrEq},   {"==", TokenKind::EqEq},
        {"!=", TokenKind::Neq},    {"<=", TokenKind::Lte},      {">=", TokenKind::Gte},
        {"<<", TokenKind::Shl},    {">>", TokenKind::Shr},      {"+=", TokenKind::PlusEq},
        {"++", TokenKind::PlusPlus}, {"-=", TokenKind::MinusEq}, {"--", TokenKind::MinusMinus},
        {"*=", TokenKind::StarEq}, {"/=", TokenKind::SlashEq},  {"%=", TokenKind::PercentEq},
        {"&=", TokenKind::AmpEq},  {"&&", TokenKind::AmpAmp},   {"|=", TokenKind::PipeEq},
        {"||", TokenKind::PipePipe}, {"^=", TokenKind::CaretEq}, {"^^", TokenKind::CaretCaret},
        {"(", TokenKind::LParen},  {")", TokenKind::RParen},    {"{", TokenKind::LBrace},
        {"}", TokenKind::RBrace},  {"[", TokenKind::LBracket},  {"]", TokenKind::RBracket},
        {".", TokenKind::Dot},     {",", TokenKind::Comma},     {";", TokenKind::Semicolon},
        {":", TokenKind::Colon},   {"?", TokenKind::Question},  {"=", TokenKind::Eq},
        {"!", TokenKind::Bang},    {"<", TokenKind::Lt},        {">", TokenKind::Gt},
        {"+", TokenKind::Plus},    {"-", TokenKind::Minus},     {"*", TokenKind::Star},
        {"/", TokenKind::Slash},   {"%", TokenKind::Percent},   {"&", TokenKind::Amp},
        {"|", TokenKind::Pipe},    {"^", TokenKind::Caret},     {"~", TokenKind::Tilde},
    };
    std::string_view rest = fSource.substr(start);
    for (const Op& op : kOps) {
        if (rest.starts_with(op.text)) {
            fOffset = start + static_cast<int32_t>(op.text.size());
            return {op.kind, {start, fOffset}};
        }
    }
    // One invalid byte, or a whole UTF-8 sequence so the message quotes a whole character.
    int32_t i = start + 1;
    while (i < size && (static_cast<unsigned char>(fSource[i]) & 0xC0) == 0x80) ++i;
    fOffset = i;
    return {TokenKind::Invalid, {start, i}};
}

}  // namespace plix::sksl
