#include "sksl/parse/Parser.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace plix::sksl {

namespace {

constexpr std::string_view kBuiltinTypeNames[] = {
    "void", "bool", "bool2", "bool3", "bool4", "int", "int2", "int3", "int4", "short", "short2",
    "short3", "short4", "uint", "uint2", "uint3", "uint4", "ushort", "ushort2", "ushort3",
    "ushort4", "float", "float2", "float3", "float4", "half", "half2", "half3", "half4",
    "float2x2", "float2x3", "float2x4", "float3x2", "float3x3", "float3x4", "float4x2",
    "float4x3", "float4x4", "half2x2", "half2x3", "half2x4", "half3x2", "half3x3", "half3x4",
    "half4x2", "half4x3", "half4x4", "vec2", "vec3", "vec4", "ivec2", "ivec3", "ivec4", "bvec2",
    "bvec3", "bvec4", "uvec2", "uvec3", "uvec4", "mat2", "mat3", "mat4", "mat2x2", "mat2x3",
    "mat2x4", "mat3x2", "mat3x3", "mat3x4", "mat4x2", "mat4x3", "mat4x4", "shader",
    "colorFilter", "blender", "sampler2D", "sampler", "texture2D", "samplerExternalOES",
    "sampler2DRect", "subpassInput", "subpassInputMS", "atomicUint", "atomic_uint"};

// Binding strength of the binary operators; 0 for tokens that are not binary operators.
int precedence(TokenKind k) {
    switch (k) {
        case TokenKind::PipePipe: return 1;
        case TokenKind::CaretCaret: return 2;
        case TokenKind::AmpAmp: return 3;
        case TokenKind::Pipe: return 4;
        case TokenKind::Caret: return 5;
        case TokenKind::Amp: return 6;
        case TokenKind::EqEq: case TokenKind::Neq: return 7;
        case TokenKind::Lt: case TokenKind::Gt: case TokenKind::Lte: case TokenKind::Gte: return 8;
        case TokenKind::Shl: case TokenKind::Shr: return 9;
        case TokenKind::Plus: case TokenKind::Minus: return 10;
        case TokenKind::Star: case TokenKind::Slash: case TokenKind::Percent: return 11;
        default: return 0;
    }
}

bool isAssignment(TokenKind k) {
    switch (k) {
        case TokenKind::Eq: case TokenKind::PlusEq: case TokenKind::MinusEq:
        case TokenKind::StarEq: case TokenKind::SlashEq: case TokenKind::PercentEq:
        case TokenKind::AmpEq: case TokenKind::PipeEq: case TokenKind::CaretEq:
        case TokenKind::ShlEq: case TokenKind::ShrEq:
            return true;
        default:
            return false;
    }
}

bool isModifierToken(TokenKind k) {
    switch (k) {
        case TokenKind::Const: case TokenKind::Uniform: case TokenKind::In: case TokenKind::Out:
        case TokenKind::Inout: case TokenKind::Flat: case TokenKind::Noperspective:
        case TokenKind::Inline: case TokenKind::Noinline: case TokenKind::Highp:
        case TokenKind::Mediump: case TokenKind::Lowp: case TokenKind::Layout:
        case TokenKind::Readonly: case TokenKind::Writeonly: case TokenKind::Buffer:
        case TokenKind::Workgroup:
            return true;
        default:
            return false;
    }
}

}  // namespace

// Levels of nesting held by one parse function, given back when it returns. Nesting is counted
// as the reference engine counts it: one level per statement and per block, per parenthesis,
// prefix operator, ternary, assignment and comma, one per binary operator of a chain at the same
// precedence, and one per postfix suffix plus one for having any (so a call costs two). Beyond
// kMaxDepth the parse stops with an error.
class Parser::DepthGuard {
public:
    explicit DepthGuard(Parser& p) : fParser(p) {}
    ~DepthGuard() { release(); }
    bool increase() {
        ++fCount;
        if (++fParser.fDepth <= kMaxDepth && !fParser.fDepthReported) return true;
        fParser.reportDepth(fParser.peek().pos);
        return false;
    }
    void release() {
        fParser.fDepth -= fCount;
        fCount = 0;
    }

private:
    Parser& fParser;
    int fCount = 0;
};

bool Parser::IsBuiltinTypeName(std::string_view name) {
    return std::find(std::begin(kBuiltinTypeNames), std::end(kBuiltinTypeNames), name) !=
           std::end(kBuiltinTypeNames);
}

Parser::Parser(std::string_view source, AstArena& arena, Diagnostics& diags)
        : fLexer(source), fArena(arena), fDiags(diags) {
    for (;;) {
        Token t = fLexer.next();
        fTokens.push_back(t);
        if (t.kind == TokenKind::EndOfFile) break;
    }
}

const Token& Parser::peek(int ahead) const {
    size_t i = std::min(fPos + ahead, fTokens.size() - 1);
    return fTokens[i];
}

Token Parser::take() {
    Token t = peek();
    if (fPos < fTokens.size() - 1) ++fPos;
    return t;
}

bool Parser::accept(TokenKind kind) {
    if (!check(kind)) return false;
    take();
    return true;
}

void Parser::reportDepth(Position pos) {
    if (!fDepthReported) {
        fDepthReported = true;
        error(pos, "exceeded max parse depth");
    }
    fPos = fTokens.size() - 1;  // nothing sensible can follow; stop here
}

void Parser::error(Position pos, std::string message) { fDiags.error(pos, std::move(message)); }

void Parser::errorAt(const Token& t, std::string message) {
    // A program cut short by a comment that never ends: the comment is the fault.
    int32_t comment = fLexer.unterminatedComment();
    if (t.kind == TokenKind::EndOfFile && comment >= 0 && !fCommentReported) {
        fCommentReported = true;
        error({comment, comment + 2}, "unterminated comment: '/*' without a closing '*/'");
    }
    error(t.pos, std::move(message));
}

static std::string describe(const Token& t, std::string_view text) {
    if (t.kind == TokenKind::EndOfFile) return "end of file";
    return QuoteSource(text);
}

bool Parser::expect(TokenKind kind, const char* what) {
    if (accept(kind)) return true;
    std::string message = "expected " + std::string(what) + ", but found " +
                          describe(peek(), text(peek()));
    errorAt(peek(), message);
    return false;
}

bool Parser::isTypeName(const Token& t) const {
    if (t.kind != TokenKind::Identifier) return false;
    std::string_view name = text(t);
    return IsBuiltinTypeName(name) || fStructNames.count(name) != 0;
}

// True when the statement at the cursor declares variables: a qualifier, or a type name followed
// by a name (possibly after an array size: "float[2] a").
bool Parser::startsDeclaration() const {
    TokenKind k = peek().kind;
    if (k == TokenKind::Const || k == TokenKind::Highp || k == TokenKind::Mediump ||
        k == TokenKind::Lowp) {
        return true;
    }
    if (!isTypeName(peek())) return false;
    if (peek(1).kind == TokenKind::Identifier) return true;
    if (peek(1).kind != TokenKind::LBracket) return false;
    int depth = 0;
    for (size_t i = fPos + 1; i < fTokens.size(); ++i) {
        TokenKind ki = fTokens[i].kind;
        if (ki == TokenKind::LBracket) ++depth;
        if (ki == TokenKind::RBracket && --depth == 0) {
            return i + 1 < fTokens.size() && fTokens[i + 1].kind == TokenKind::Identifier;
        }
        if (ki == TokenKind::Semicolon || ki == TokenKind::EndOfFile) return false;
    }
    return false;
}

// After an error inside a function body: skip to just after the next ';' or to a '}' that closes
// the current nesting, so the next statement parses cleanly.
void Parser::syncToStatement() {
    int depth = 0;
    while (!check(TokenKind::EndOfFile)) {
        TokenKind k = peek().kind;
        if (k == TokenKind::LBrace) ++depth;
        if (k == TokenKind::RBrace) {
            if (depth == 0) return;
            --depth;
            if (depth == 0) {
                take();
                return;
            }
        }
        take();
        if (k == TokenKind::Semicolon && depth == 0) return;
    }
}

// After an error in a top-level declaration: skip past the next ';' or the next balanced '{...}'
// at the outermost level.
void Parser::syncToDeclaration() {
    int depth = 0;
    while (!check(TokenKind::EndOfFile)) {
        TokenKind k = take().kind;
        if (k == TokenKind::LBrace) ++depth;
        if (k == TokenKind::RBrace && --depth <= 0) {
            accept(TokenKind::Semicolon);
            return;
        }
        if (k == TokenKind::Semicolon && depth <= 0) return;
    }
}

// program := { directive | ';' | declaration }
AstNode* Parser::parseProgram() {
    AstNode* root = node(AstKind::Program, {0, static_cast<int32_t>(fLexer.source().size())});
    while (!check(TokenKind::EndOfFile)) {
        size_t before = fPos;
        if (check(TokenKind::Directive)) {
            directive();
        } else if (!accept(TokenKind::Semicolon)) {
            int errors = fDiags.errorCount();
            AstNode* d = declaration();
            if (d) root->kids.push_back(d);
            for (AstNode* p : fPending) root->kids.push_back(p);
            fPending.clear();
            if (!d && fDiags.errorCount() > errors) syncToDeclaration();
        }
        if (fPos == before) take();
    }
    return root;
}

// directive := '#version' INT on one line. Every other directive is refused.
void Parser::directive() {
    Token t = take();
    std::string_view name = text(t);
    auto onSameLine = [&](const Token& next) {
        if (next.kind == TokenKind::EndOfFile) return false;
        std::string_view between =
                fLexer.source().substr(t.pos.end, next.pos.start - t.pos.end);
        return between.find('\n') == std::string_view::npos;
    };
    if (name == "#version") {
        if (check(TokenKind::IntLiteral) && onSameLine(peek())) {
            take();
        } else {
            errorAt(t, "invalid #version directive");
        }
    } else {
        errorAt(t, "unsupported directive " + QuoteSource(name));
    }
    while (onSameLine(peek())) take();
}

// declaration := modifiers ( structDefinition | type IDENTIFIER ( function | varDeclarations ) )
AstNode* Parser::declaration() {
    AstModifiers* mods = modifiers();
    if (check(TokenKind::Struct)) return structDefinition(mods);
    if (!isTypeName(peek())) {
        if (peek().kind == TokenKind::Identifier && !mods->flags && !mods->layoutColor &&
            peek(1).kind == TokenKind::Identifier) {
            errorAt(peek(), "no type named " + QuoteSource(text(peek())));
        } else {
            errorAt(peek(), "expected a type, but found " + describe(peek(), text(peek())));
        }
        return nullptr;
    }
    AstNode* t = type();
    if (!t) return nullptr;
    if (!check(TokenKind::Identifier) || IsBuiltinTypeName(text(peek()))) {
        if (IsBuiltinTypeName(text(peek()))) {
            errorAt(peek(), "expected an identifier, but found type '" +
                                    std::string(text(peek())) + "'");
        } else {
            errorAt(peek(), "expected an identifier, but found " + describe(peek(), text(peek())));
        }
        return nullptr;
    }
    Token name = take();
    if (check(TokenKind::LParen)) return functionRest(mods, t, name);
    return varDeclarationsRest(mods, t, name, /*global=*/true);
}

// modifiers := { 'layout' '(' layoutKey { ',' layoutKey } ')' | 'const' | 'uniform' | 'in'
//              | 'out' | 'inout' | 'flat' | 'noperspective' | 'inline' | 'noinline' | 'highp'
//              | 'mediump' | 'lowp' | 'readonly' | 'writeonly' | 'buffer' | 'workgroup' }
AstModifiers* Parser::modifiers() {
    AstModifiers* mods = fArena.makeModifiers();
    mods->pos = {peek().pos.start, peek().pos.start};
    while (isModifierToken(peek().kind)) {
        Token t = take();
        uint32_t bit = 0;
        switch (t.kind) {
            case TokenKind::Layout: layout(mods); break;
            case TokenKind::Const: bit = AstModifiers::kConst; break;
            case TokenKind::Uniform: bit = AstModifiers::kUniform; break;
            case TokenKind::In: bit = AstModifiers::kIn; break;
            case TokenKind::Out: bit = AstModifiers::kOut; break;
            case TokenKind::Inout: bit = AstModifiers::kIn | AstModifiers::kOut; break;
            case TokenKind::Flat: bit = AstModifiers::kFlat; break;
            case TokenKind::Noperspective: bit = AstModifiers::kNoperspective; break;
            case TokenKind::Inline: bit = AstModifiers::kInline; break;
            case TokenKind::Noinline: bit = AstModifiers::kNoinline; break;
            case TokenKind::Highp: bit = AstModifiers::kHighp; break;
            case TokenKind::Mediump: bit = AstModifiers::kMediump; break;
            case TokenKind::Lowp: bit = AstModifiers::kLowp; break;
            case TokenKind::Readonly: bit = AstModifiers::kReadonly; break;
            case TokenKind::Writeonly: bit = AstModifiers::kWriteonly; break;
            case TokenKind::Buffer: bit = AstModifiers::kBuffer; break;
            case TokenKind::Workgroup: bit = AstModifiers::kWorkgroup; break;
            default: break;
        }
        constexpr uint32_t kPrecisionBits =
                AstModifiers::kHighp | AstModifiers::kMediump | AstModifiers::kLowp;
        if (bit && (mods->flags & bit) && t.kind != TokenKind::Inout) {
            errorAt(t, QuoteSource(text(t)) + " appears more than once");
        } else if ((bit & kPrecisionBits) && (mods->flags & kPrecisionBits)) {
            errorAt(t, "only one precision qualifier can be used");
        }
        mods->flags |= bit;
        mods->pos.end = fTokens[fPos - 1].pos.end;
    }
    return mods;
}

// layout := '(' key [ '=' INT ] { ',' key [ '=' INT ] } ')'
void Parser::layout(AstModifiers* mods) {
    if (!expect(TokenKind::LParen, "'('")) return;
    if (accept(TokenKind::RParen)) return;
    do {
        if (!check(TokenKind::Identifier)) {
            expect(TokenKind::Identifier, "a layout key");
            return;
        }
        Token key = take();
        if (accept(TokenKind::Eq)) {
            if (!check(TokenKind::IntLiteral)) {
                expect(TokenKind::IntLiteral, "an integer");
                return;
            }
            take();
        }
        if (text(key) == "color") {
            mods->layoutColor = true;
        } else {
            mods->otherLayoutKeys.emplace_back(text(key), key.pos);
        }
    } while (accept(TokenKind::Comma));
    expect(TokenKind::RParen, "')'");
}

// type := TYPE_NAME [ '[' [ expression ] ']' ]
AstNode* Parser::type() {
    Token t = take();
    AstNode* n = node(AstKind::Type, t.pos);
    n->name = text(t);
    if (check(TokenKind::LBracket)) {
        AstNode* size = arraySuffix();
        if (fDepthReported) return nullptr;
        n->kids.push_back(size);
        n->pos.end = fTokens[fPos - 1].pos.end;
    }
    return n;
}

// arraySuffix := '[' [ expression ] ']'. The result is the size expression, or null for "[]".
AstNode* Parser::arraySuffix() {
    Token open = take();
    AstNode* size = nullptr;
    if (!check(TokenKind::RBracket)) {
        size = expression();
        if (!size) return nullptr;
    }
    expect(TokenKind::RBracket, "']'");
    if (check(TokenKind::LBracket)) {
        errorAt(peek(), "multi-dimensional arrays are not supported");
        while (accept(TokenKind::LBracket)) {
            while (!check(TokenKind::RBracket) && !check(TokenKind::EndOfFile) &&
                   !check(TokenKind::Semicolon)) {
                take();
            }
            accept(TokenKind::RBracket);
        }
    }
    if (!size) {
        AstNode* empty = node(AstKind::Empty, open.pos);
        return empty;
    }
    return size;
}

// structDefinition := 'struct' IDENTIFIER '{' { modifiers type IDENTIFIER [arraySuffix]
//                     { ',' IDENTIFIER [arraySuffix] } ';' } '}' [ IDENTIFIER ... ] ';'
AstNode* Parser::structDefinition(AstModifiers* mods) {
    Token structToken = take();
    if (!check(TokenKind::Identifier) || isTypeName(peek())) {
        expect(TokenKind::Identifier, "a struct name");
        return nullptr;
    }
    Token name = take();
    AstNode* s = node(AstKind::Struct, Position::Range(structToken.pos, name.pos));
    s->name = text(name);
    s->mods = mods;
    if (!expect(TokenKind::LBrace, "'{'")) return nullptr;
    while (!check(TokenKind::RBrace) && !check(TokenKind::EndOfFile)) {
        AstModifiers* fieldMods = modifiers();
        if (!isTypeName(peek())) {
            errorAt(peek(), "expected a type, but found " + describe(peek(), text(peek())));
            return nullptr;
        }
        AstNode* t = type();
        if (!t) return nullptr;
        AstNode* decls = node(AstKind::VarDecls, t->pos);
        decls->mods = fieldMods;
        decls->kids.push_back(t);
        do {
            if (!check(TokenKind::Identifier)) {
                expect(TokenKind::Identifier, "an identifier");
                return nullptr;
            }
            if (IsBuiltinTypeName(text(peek()))) {
                errorAt(peek(), "expected an identifier, but found type '" +
                                        std::string(text(peek())) + "'");
                return nullptr;
            }
            Token fieldName = take();
            AstNode* v = node(AstKind::Var, fieldName.pos);
            v->name = text(fieldName);
            v->kids.push_back(check(TokenKind::LBracket) ? arraySuffix() : nullptr);
            v->kids.push_back(nullptr);
            if (fDepthReported) return nullptr;
            decls->kids.push_back(v);
        } while (accept(TokenKind::Comma));
        if (!expect(TokenKind::Semicolon, "';'")) return nullptr;
        s->kids.push_back(decls);
    }
    if (!expect(TokenKind::RBrace, "'}'")) return nullptr;
    fStructNames.insert(s->name);
    if (check(TokenKind::Identifier) && !IsBuiltinTypeName(text(peek()))) {
        // "struct S {...} s;" declares variables of the new type as well.
        AstNode* t = node(AstKind::Type, name.pos);
        t->name = s->name;
        Token varName = take();
        AstNode* vars = varDeclarationsRest(mods, t, varName, /*global=*/true);
        if (vars) fPending.push_back(vars);
        return s;
    }
    expect(TokenKind::Semicolon, "';'");
    return s;
}

// function := type IDENTIFIER '(' [ 'void' | parameter { ',' parameter } ] ')' ( ';' | block )
AstNode* Parser::functionRest(AstModifiers* mods, AstNode* returnType, const Token& name) {
    AstNode* f = node(AstKind::Function, Position::Range(returnType->pos, name.pos));
    f->name = text(name);
    f->mods = mods;
    f->kids.push_back(returnType);
    take();  // '('
    if (check(TokenKind::Identifier) && text(peek()) == "void" &&
        peek(1).kind == TokenKind::RParen) {
        take();
    } else if (!check(TokenKind::RParen)) {
        do {
            AstNode* p = parameter();
            if (!p) return nullptr;
            f->kids.push_back(p);
        } while (accept(TokenKind::Comma));
    }
    if (!expect(TokenKind::RParen, "')'")) return nullptr;
    f->pos.end = fTokens[fPos - 1].pos.end;
    if (accept(TokenKind::Semicolon)) return f;  // a prototype
    if (!check(TokenKind::LBrace)) {
        expect(TokenKind::LBrace, "'{'");
        return nullptr;
    }
    AstNode* body = block();
    if (!body) return nullptr;
    f->kids.push_back(body);
    return f;
}

// parameter := modifiers type [ IDENTIFIER [ arraySuffix ] ]
AstNode* Parser::parameter() {
    AstModifiers* mods = modifiers();
    if (!isTypeName(peek())) {
        errorAt(peek(), "expected a type, but found " + describe(peek(), text(peek())));
        return nullptr;
    }
    AstNode* t = type();
    if (!t) return nullptr;
    AstNode* p = node(AstKind::Parameter, t->pos);
    p->mods = mods;
    p->kids.push_back(t);
    AstNode* size = nullptr;
    if (check(TokenKind::Identifier) && !IsBuiltinTypeName(text(peek()))) {
        Token name = take();
        p->name = text(name);
        p->pos = Position::Range(t->pos, name.pos);
        if (check(TokenKind::LBracket)) {
            size = arraySuffix();
            if (!size) return nullptr;
        }
    }
    p->kids.push_back(size);
    return p;
}

// varDeclarations := IDENTIFIER [ arraySuffix ] [ '=' assignment ]
//                    { ',' IDENTIFIER [ arraySuffix ] [ '=' assignment ] } ';'
// (the type and the first name have been read)
AstNode* Parser::varDeclarationsRest(AstModifiers* mods, AstNode* type, const Token& firstName,
                                     bool global) {
    (void)global;
    AstNode* decls = node(AstKind::VarDecls, Position::Range(mods->pos, type->pos));
    if (!mods->flags && !mods->layoutColor) decls->pos = type->pos;
    decls->mods = mods;
    decls->kids.push_back(type);
    Token name = firstName;
    for (;;) {
        AstNode* v = node(AstKind::Var, name.pos);
        v->name = text(name);
        AstNode* size = nullptr;
        if (check(TokenKind::LBracket)) {
            size = arraySuffix();
            if (!size) return nullptr;
        }
        AstNode* init = nullptr;
        if (accept(TokenKind::Eq)) {
            init = assignment();
            if (!init) return nullptr;
            v->pos = Position::Range(v->pos, init->pos);
        }
        v->kids.push_back(size);
        v->kids.push_back(init);
        decls->kids.push_back(v);
        decls->pos = Position::Range(decls->pos, v->pos);
        if (!accept(TokenKind::Comma)) break;
        if (!check(TokenKind::Identifier)) {
            expect(TokenKind::Identifier, "an identifier");
            return nullptr;
        }
        name = take();
    }
    if (!expect(TokenKind::Semicolon, "';'")) return nullptr;
    return decls;
}

// statement := block | ifStatement | forStatement | whileStatement | doStatement
//            | switchStatement | 'break' ';' | 'continue' ';' | 'discard' ';'
//            | returnStatement | ';' | localDeclaration | expressionStatement
AstNode* Parser::statement() {
    DepthGuard guard(*this);
    if (!guard.increase()) return nullptr;
    const Token& t = peek();
    switch (t.kind) {
        case TokenKind::LBrace: return block();
        case TokenKind::If: return ifStatement();
        case TokenKind::For: return forStatement();
        case TokenKind::While: return whileStatement();
        case TokenKind::Do: return doStatement();
        case TokenKind::Switch: return switchStatement();
        case TokenKind::Return: return returnStatement();
        case TokenKind::Semicolon: {
            Token s = take();
            return node(AstKind::Empty, s.pos);
        }
        case TokenKind::Break:
        case TokenKind::Continue:
        case TokenKind::Discard: {
            Token s = take();
            AstKind kind = s.kind == TokenKind::Break      ? AstKind::Break
                           : s.kind == TokenKind::Continue ? AstKind::Continue
                                                           : AstKind::Discard;
            if (!expect(TokenKind::Semicolon, "';'")) return nullptr;
            return node(kind, {s.pos.start, fTokens[fPos - 1].pos.end});
        }
        default:
            break;
    }
    if (startsDeclaration()) return localDeclaration();
    return expressionStatement();
}

// block := '{' { statement } '}'
AstNode* Parser::block() {
    DepthGuard guard(*this);
    if (!guard.increase()) return nullptr;
    Token open = take();
    AstNode* b = node(AstKind::Block, open.pos);
    while (!check(TokenKind::RBrace) && !check(TokenKind::EndOfFile)) {
        size_t before = fPos;
        int errors = fDiags.errorCount();
        AstNode* s = statement();
        if (fDepthReported) return nullptr;
        if (s) {
            b->kids.push_back(s);
        } else if (fDiags.errorCount() > errors) {
            syncToStatement();
        }
        if (fPos == before) take();
    }
    if (!expect(TokenKind::RBrace, "'}'")) return nullptr;
    b->pos.end = fTokens[fPos - 1].pos.end;
    return b;
}

// ifStatement := 'if' '(' expression ')' statement [ 'else' statement ]
AstNode* Parser::ifStatement() {
    Token ifToken = take();
    if (!expect(TokenKind::LParen, "'('")) return nullptr;
    AstNode* test = expression();
    if (!test || !expect(TokenKind::RParen, "')'")) return nullptr;
    AstNode* then = statement();
    if (!then) return nullptr;
    AstNode* otherwise = nullptr;
    if (accept(TokenKind::Else)) {
        otherwise = statement();
        if (!otherwise) return nullptr;
    }
    AstNode* n = node(AstKind::If, {ifToken.pos.start, fTokens[fPos - 1].pos.end});
    n->kids = {test, then, otherwise};
    return n;
}

// forStatement := 'for' '(' ( localDeclaration | expressionStatement | ';' ) [ expression ] ';'
//                 [ expression ] ')' statement
AstNode* Parser::forStatement() {
    Token forToken = take();
    if (!expect(TokenKind::LParen, "'('")) return nullptr;
    AstNode* init = nullptr;
    if (!accept(TokenKind::Semicolon)) {
        init = startsDeclaration() ? localDeclaration() : expressionStatement();
        if (!init) return nullptr;
    }
    AstNode* test = nullptr;
    if (!check(TokenKind::Semicolon)) {
        test = expression();
        if (!test) return nullptr;
    }
    if (!expect(TokenKind::Semicolon, "';'")) return nullptr;
    AstNode* next = nullptr;
    if (!check(TokenKind::RParen)) {
        next = expression();
        if (!next) return nullptr;
    }
    if (!expect(TokenKind::RParen, "')'")) return nullptr;
    Position header = {forToken.pos.start, fTokens[fPos - 1].pos.end};
    AstNode* body = statement();
    if (!body) return nullptr;
    AstNode* n = node(AstKind::For, header);
    n->kids = {init, test, next, body};
    return n;
}

// whileStatement := 'while' '(' expression ')' statement
AstNode* Parser::whileStatement() {
    Token whileToken = take();
    if (!expect(TokenKind::LParen, "'('")) return nullptr;
    AstNode* test = expression();
    if (!test || !expect(TokenKind::RParen, "')'")) return nullptr;
    AstNode* body = statement();
    if (!body) return nullptr;
    AstNode* n = node(AstKind::While, {whileToken.pos.start, fTokens[fPos - 1].pos.end});
    n->kids = {test, body};
    return n;
}

// doStatement := 'do' statement 'while' '(' expression ')' ';'
AstNode* Parser::doStatement() {
    Token doToken = take();
    AstNode* body = statement();
    if (!body) return nullptr;
    if (!expect(TokenKind::While, "'while'") || !expect(TokenKind::LParen, "'('")) return nullptr;
    AstNode* test = expression();
    if (!test || !expect(TokenKind::RParen, "')'") || !expect(TokenKind::Semicolon, "';'")) {
        return nullptr;
    }
    AstNode* n = node(AstKind::Do, {doToken.pos.start, fTokens[fPos - 1].pos.end});
    n->kids = {body, test};
    return n;
}

// switchStatement := 'switch' '(' expression ')' '{' { switchCase }
//                    [ 'default' ':' { statement } ] '}'
// switchCase := 'case' expression ':' { statement }
AstNode* Parser::switchStatement() {
    Token switchToken = take();
    if (!expect(TokenKind::LParen, "'('")) return nullptr;
    AstNode* value = expression();
    if (!value || !expect(TokenKind::RParen, "')'") || !expect(TokenKind::LBrace, "'{'")) {
        return nullptr;
    }
    AstNode* n = node(AstKind::Switch, switchToken.pos);
    n->kids.push_back(value);
    auto caseBody = [&](AstNode* c) -> bool {
        while (!check(TokenKind::Case) && !check(TokenKind::Default) &&
               !check(TokenKind::RBrace) && !check(TokenKind::EndOfFile)) {
            AstNode* s = statement();
            if (!s) return false;
            c->kids.push_back(s);
        }
        return true;
    };
    while (check(TokenKind::Case)) {
        Token caseToken = take();
        AstNode* c = node(AstKind::SwitchCase, caseToken.pos);
        AstNode* v = expression();
        if (!v || !expect(TokenKind::Colon, "':'")) return nullptr;
        c->pos.end = v->pos.end;
        c->kids.push_back(v);
        if (!caseBody(c)) return nullptr;
        n->kids.push_back(c);
    }
    if (check(TokenKind::Default)) {
        Token def = take();
        AstNode* c = node(AstKind::SwitchCase, def.pos);
        if (!expect(TokenKind::Colon, "':'")) return nullptr;
        c->kids.push_back(nullptr);
        if (!caseBody(c)) return nullptr;
        n->kids.push_back(c);
    }
    if (!expect(TokenKind::RBrace, "'}'")) return nullptr;
    n->pos.end = fTokens[fPos - 1].pos.end;
    return n;
}

// returnStatement := 'return' [ expression ] ';'
AstNode* Parser::returnStatement() {
    Token r = take();
    AstNode* n = node(AstKind::Return, r.pos);
    if (!check(TokenKind::Semicolon)) {
        AstNode* value = expression();
        if (!value) return nullptr;
        n->kids.push_back(value);
    }
    if (!expect(TokenKind::Semicolon, "';'")) return nullptr;
    n->pos.end = fTokens[fPos - 1].pos.end;
    return n;
}

// localDeclaration := modifiers type varDeclarations
AstNode* Parser::localDeclaration() {
    AstModifiers* mods = modifiers();
    if (!isTypeName(peek())) {
        errorAt(peek(), "expected a type, but found " + describe(peek(), text(peek())));
        return nullptr;
    }
    AstNode* t = type();
    if (!t) return nullptr;
    if (check(TokenKind::Identifier) && IsBuiltinTypeName(text(peek()))) {
        errorAt(peek(), "expected an identifier, but found type '" + std::string(text(peek())) +
                                "'");
        return nullptr;
    }
    if (!expect(TokenKind::Identifier, "an identifier")) return nullptr;
    Token name = fTokens[fPos - 1];
    return varDeclarationsRest(mods, t, name, /*global=*/false);
}

// expressionStatement := expression ';'
AstNode* Parser::expressionStatement() {
    AstNode* e = expression();
    if (!e) return nullptr;
    if (!expect(TokenKind::Semicolon, "';'")) return nullptr;
    AstNode* n = node(AstKind::ExprStatement, e->pos);
    n->kids.push_back(e);
    return n;
}

// expression := assignment { ',' assignment }
AstNode* Parser::expression() {
    DepthGuard guard(*this);
    AstNode* left = assignment();
    while (left && check(TokenKind::Comma)) {
        if (!guard.increase()) return nullptr;
        Token op = take();
        AstNode* right = assignment();
        if (!right) return nullptr;
        AstNode* n = node(AstKind::Binary, Position::Range(left->pos, right->pos));
        n->op = op.kind;
        n->kids = {left, right};
        left = n;
    }
    return left;
}

// assignment := ternary [ ( '=' | '+=' | '-=' | '*=' | '/=' | '%=' | '&=' | '|=' | '^='
//                         | '<<=' | '>>=' ) assignment ]
AstNode* Parser::assignment() {
    AstNode* left = ternary();
    if (!left || !isAssignment(peek().kind)) return left;
    DepthGuard guard(*this);
    if (!guard.increase()) return nullptr;
    Token op = take();
    AstNode* right = assignment();
    if (!right) return nullptr;
    AstNode* n = node(AstKind::Binary, Position::Range(left->pos, right->pos));
    n->op = op.kind;
    n->kids = {left, right};
    return n;
}

// ternary := binary [ '?' expression ':' assignment ]
AstNode* Parser::ternary() {
    AstNode* test = binary(1);
    if (!test || !check(TokenKind::Question)) return test;
    DepthGuard guard(*this);
    if (!guard.increase()) return nullptr;
    take();
    AstNode* ifTrue = expression();
    if (!ifTrue || !expect(TokenKind::Colon, "':'")) return nullptr;
    AstNode* ifFalse = assignment();
    if (!ifFalse) return nullptr;
    AstNode* n = node(AstKind::Ternary, Position::Range(test->pos, ifFalse->pos));
    n->kids = {test, ifTrue, ifFalse};
    return n;
}

// binary := unary { BINARY_OPERATOR unary }, by precedence, left to right
//   ( '||' < '^^' < '&&' < '|' < '^' < '&' < '==' '!=' < '<' '>' '<=' '>=' < '<<' '>>'
//     < '+' '-' < '*' '/' '%' )
AstNode* Parser::binary(int minPrecedence) {
    // The operators this loop takes never rise in precedence (the right operand takes the
    // tighter ones): a chain at one precedence nests one level per operator, and a looser
    // operator closes the tighter chain before it ("a*b*c + d" holds one level at the '+').
    DepthGuard guard(*this);
    int chainPrecedence = 0;
    AstNode* left = unary();
    while (left) {
        int prec = precedence(peek().kind);
        if (prec == 0 || prec < minPrecedence) break;
        if (prec != chainPrecedence) {
            guard.release();
            chainPrecedence = prec;
        }
        if (!guard.increase()) return nullptr;
        Token op = take();
        AstNode* right = binary(prec + 1);
        if (!right) return nullptr;
        AstNode* n = node(AstKind::Binary, Position::Range(left->pos, right->pos));
        n->op = op.kind;
        n->kids = {left, right};
        left = n;
    }
    return left;
}

// unary := ( '+' | '-' | '!' | '~' | '++' | '--' ) unary | postfix
AstNode* Parser::unary() {
    TokenKind k = peek().kind;
    if (k == TokenKind::Plus || k == TokenKind::Minus || k == TokenKind::Bang ||
        k == TokenKind::Tilde || k == TokenKind::PlusPlus || k == TokenKind::MinusMinus) {
        DepthGuard guard(*this);
        if (!guard.increase()) return nullptr;
        Token op = take();
        AstNode* operand = unary();
        if (!operand) return nullptr;
        AstNode* n = node(AstKind::Prefix, Position::Range(op.pos, operand->pos));
        n->op = op.kind;
        n->kids = {operand};
        return n;
    }
    return postfix();
}

// postfix := primary { '[' [ expression ] ']' | '.' IDENTIFIER | '(' [ assignment
//            { ',' assignment } ] ')' | '++' | '--' }
AstNode* Parser::postfix() {
    DepthGuard guard(*this);
    bool first = true;
    AstNode* base = primary();
    while (base) {
        TokenKind k = peek().kind;
        if (k != TokenKind::LBracket && k != TokenKind::Dot && k != TokenKind::LParen &&
            k != TokenKind::PlusPlus && k != TokenKind::MinusMinus) {
            break;
        }
        // One level per suffix, and one more for the first.
        if (first && !guard.increase()) return nullptr;
        first = false;
        if (!guard.increase()) return nullptr;
        if (k == TokenKind::LBracket) {
            take();
            AstNode* index = nullptr;
            if (!check(TokenKind::RBracket)) {
                index = expression();
                if (!index) return nullptr;
            }
            if (!expect(TokenKind::RBracket, "']' to complete array access expression")) {
                return nullptr;
            }
            AstNode* n = node(AstKind::Index, {base->pos.start, fTokens[fPos - 1].pos.end});
            n->kids = {base, index};
            base = n;
        } else if (k == TokenKind::Dot) {
            Token dot = take();
            // A swizzle may start with a digit (".0xy1"), which the lexer reads as a number
            // (written right after the dot).
            const Token& f = peek();
            bool number = f.kind == TokenKind::IntLiteral || f.kind == TokenKind::FloatLiteral;
            if (f.kind != TokenKind::Identifier && !(number && f.pos.start == dot.pos.end)) {
                expect(TokenKind::Identifier, "a field name or swizzle mask");
                return nullptr;
            }
            Token fieldToken = take();
            std::string_view fieldText = text(fieldToken);
            Position fieldPos = fieldToken.pos;
            // "1.0.x" lexes as "1.0" "." "x"; "v.0x" as "v" "." "0" "x": glue the pieces of a
            // swizzle mask that start with a digit back together.
            if (fieldToken.kind != TokenKind::Identifier) {
                while (peek().kind == TokenKind::Identifier || peek().kind == TokenKind::IntLiteral) {
                    if (peek().pos.start != fieldPos.end) break;
                    fieldPos.end = take().pos.end;
                }
                fieldText = fLexer.source().substr(fieldPos.start, fieldPos.end - fieldPos.start);
            }
            AstNode* n = node(AstKind::Field, {base->pos.start, fieldPos.end});
            n->name = fieldText;
            n->kids = {base};
            base = n;
        } else if (k == TokenKind::LParen) {
            take();
            AstNode* n = node(AstKind::Call, base->pos);
            n->kids.push_back(base);
            if (!check(TokenKind::RParen)) {
                do {
                    AstNode* arg = assignment();
                    if (!arg) return nullptr;
                    n->kids.push_back(arg);
                } while (accept(TokenKind::Comma));
            }
            if (!expect(TokenKind::RParen, "')' to complete function arguments")) return nullptr;
            n->pos.end = fTokens[fPos - 1].pos.end;
            base = n;
        } else if (k == TokenKind::PlusPlus || k == TokenKind::MinusMinus) {
            Token op = take();
            AstNode* n = node(AstKind::Postfix, Position::Range(base->pos, op.pos));
            n->op = op.kind;
            n->kids = {base};
            base = n;
        } else {
            break;
        }
    }
    return base;
}

// primary := IDENTIFIER | TYPE_NAME [ '[' [ expression ] ']' ] | INT | FLOAT | 'true' | 'false'
//          | '(' expression ')'
AstNode* Parser::primary() {
    const Token& t = peek();
    switch (t.kind) {
        case TokenKind::Identifier: {
            Token id = take();
            AstNode* n = node(AstKind::Ident, id.pos);
            n->name = text(id);
            return n;
        }
        case TokenKind::IntLiteral:
        case TokenKind::FloatLiteral:
        case TokenKind::True:
        case TokenKind::False:
            return literal(take());
        case TokenKind::LParen: {
            DepthGuard guard(*this);
            if (!guard.increase()) return nullptr;
            take();
            AstNode* e = expression();
            if (!e || !expect(TokenKind::RParen, "')' to complete expression")) return nullptr;
            return e;
        }
        default:
            errorAt(t, "expected expression, but found " + describe(t, text(t)));
            return nullptr;
    }
}

AstNode* Parser::literal(const Token& t) {
    std::string_view s = text(t);
    switch (t.kind) {
        case TokenKind::True:
        case TokenKind::False: {
            AstNode* n = node(AstKind::BoolLiteral, t.pos);
            n->boolValue = t.kind == TokenKind::True;
            return n;
        }
        case TokenKind::FloatLiteral: {
            AstNode* n = node(AstKind::FloatLiteral, t.pos);
            n->name = s;
            double v = 0;
            auto result = std::from_chars(s.data(), s.data() + s.size(), v);
            if (result.ec == std::errc::result_out_of_range) {
                // Underflow reads as zero; overflow as a value the checker reports as too large.
                // Which one it is follows from the decimal exponent of the first digit.
                size_t e = s.find_first_of("eE");
                std::string_view mantissa = s.substr(0, e);
                int64_t exponent = 0;
                if (e != std::string_view::npos) {
                    std::string_view digits = s.substr(e + 1);
                    if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
                    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
                    if (r.ec == std::errc::result_out_of_range) {
                        exponent = digits[0] == '-' ? INT32_MIN : INT32_MAX;
                    }
                }
                size_t point = mantissa.find('.');
                std::string_view whole = mantissa.substr(0, point);
                size_t firstDigit = whole.find_first_not_of('0');
                int64_t magnitude;
                if (firstDigit != std::string_view::npos) {
                    magnitude = static_cast<int64_t>(whole.size() - firstDigit) - 1;
                } else {
                    std::string_view frac = point == std::string_view::npos
                                                    ? std::string_view()
                                                    : mantissa.substr(point + 1);
                    size_t nz = frac.find_first_not_of('0');
                    magnitude = nz == std::string_view::npos ? INT32_MIN
                                                             : -static_cast<int64_t>(nz) - 1;
                }
                v = magnitude + exponent > 0 ? 1e300 : 0.0;
            }
            n->floatValue = v;
            return n;
        }
        default: {
            AstNode* n = node(AstKind::IntLiteral, t.pos);
            n->name = s;
            if (!s.empty() && (s.back() == 'u' || s.back() == 'U')) s.remove_suffix(1);
            int base = 10;
            if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
                s.remove_prefix(2);
                base = 16;
            }
            if (base == 10 && s.size() > 1 && s[0] == '0') {
                // A leading zero makes an octal number, whose digits stop at 7.
                if (s.find_first_of("89") != std::string_view::npos) {
                    errorAt(t, QuoteSource(n->name) + " is not a valid octal number");
                }
                base = 8;
            }
            uint64_t v = 0;
            auto result = std::from_chars(s.data(), s.data() + s.size(), v, base);
            if (result.ec == std::errc::result_out_of_range || v > uint64_t(INT64_MAX)) {
                n->intTooLarge = true;
            }
            n->intValue = static_cast<int64_t>(v);
            return n;
        }
    }
}

}  // namespace plix::sksl
