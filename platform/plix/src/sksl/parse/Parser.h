// Recursive-descent parser from tokens to the parse tree. Errors are collected with their
// position and parsing resumes at the next statement or declaration, so one run reports every
// syntax error. Nesting deeper than kMaxDepth (counted as the reference engine counts it) is
// refused, which bounds the height of every function's tree and so the recursion of the later
// phases within one function.
#pragma once

#include "sksl/Diagnostics.h"
#include "sksl/lex/Lexer.h"
#include "sksl/parse/Ast.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace plix::sksl {

class Parser {
public:
    Parser(std::string_view source, AstArena& arena, Diagnostics& diags);

    // The whole program; never null.
    AstNode* parseProgram();

    static constexpr int kMaxDepth = 50;

    // True for the names of built-in types (including the unsupported ones, which the checker
    // rejects with a clear message).
    static bool IsBuiltinTypeName(std::string_view name);

private:
    class DepthGuard;

    const Token& peek(int ahead = 0) const;
    Token take();
    bool check(TokenKind kind) const { return peek().kind == kind; }
    bool accept(TokenKind kind);
    bool expect(TokenKind kind, const char* what);
    std::string_view text(const Token& t) const { return fLexer.text(t); }
    void errorAt(const Token& t, std::string message);
    void error(Position pos, std::string message);
    void reportDepth(Position pos);
    bool isTypeName(const Token& t) const;
    bool startsDeclaration() const;
    void syncToStatement();
    void syncToDeclaration();
    AstNode* node(AstKind kind, Position pos) { return fArena.make(kind, pos); }

    void directive();
    AstNode* declaration();
    AstModifiers* modifiers();
    void layout(AstModifiers* mods);
    AstNode* type();
    AstNode* structDefinition(AstModifiers* mods);
    AstNode* functionRest(AstModifiers* mods, AstNode* returnType, const Token& name);
    AstNode* parameter();
    AstNode* varDeclarationsRest(AstModifiers* mods, AstNode* type, const Token& firstName,
                                 bool global);
    AstNode* arraySuffix();

    AstNode* statement();
    AstNode* block();
    AstNode* ifStatement();
    AstNode* forStatement();
    AstNode* whileStatement();
    AstNode* doStatement();
    AstNode* switchStatement();
    AstNode* returnStatement();
    AstNode* localDeclaration();
    AstNode* expressionStatement();

    AstNode* expression();
    AstNode* assignment();
    AstNode* ternary();
    AstNode* binary(int minPrecedence);
    AstNode* unary();
    AstNode* postfix();
    AstNode* primary();
    AstNode* literal(const Token& t);

    Lexer fLexer;
    AstArena& fArena;
    Diagnostics& fDiags;
    std::vector<Token> fTokens;
    size_t fPos = 0;
    int fDepth = 0;
    bool fDepthReported = false;
    bool fCommentReported = false;
    std::unordered_set<std::string_view> fStructNames;
    std::vector<AstNode*> fPending;  // variables declared after a struct body
};

}  // namespace plix::sksl
