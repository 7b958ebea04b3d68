// The parse tree: what the text says, before any name is resolved or any type is checked. One
// small node shape serves every construct; the type checker turns it into the typed IR.
#pragma once

#include "sksl/Position.h"
#include "sksl/lex/Token.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace plix::sksl {

enum class AstKind : uint8_t {
    // Declarations. Children are listed beside each kind.
    Program,       // declarations in order
    VarDecls,      // [type, var...]; modifiers on the node (globals, locals, struct fields)
    Var,           // name; [arraySize or null, init or null]
    Function,      // modifiers, name; [returnType, parameter..., body or none (prototype)]
    Parameter,     // modifiers, name (may be empty); [type, arraySize or null]
    Struct,        // name; [VarDecls...]
    Type,          // name; [arraySize] when written as T[n]; empty-size brackets give a null child
    // Statements.
    Block,         // [statement...]
    If,            // [test, then, else or null]
    For,           // [init or null, test or null, next or null, body]
    While,         // [test, body]
    Do,            // [body, test]
    Switch,        // [value, SwitchCase...]
    SwitchCase,    // [value or null (default), statement...]
    Break,
    Continue,
    Discard,
    Return,        // [value] or []
    ExprStatement, // [expression]
    Empty,
    // Expressions.
    Ident,         // name
    IntLiteral,    // intValue
    FloatLiteral,  // floatValue
    BoolLiteral,   // boolValue
    Binary,        // op; [left, right] (the comma operator too)
    Prefix,        // op; [operand]
    Postfix,       // op; [operand]
    Ternary,       // [test, ifTrue, ifFalse]
    Call,          // [callee, argument...]
    Index,         // [base, index] ; index is null for "T[]"
    Field,         // name; [base]
};

// Qualifiers and layout keys written before a declaration.
struct AstModifiers {
    enum : uint32_t {
        kConst = 1 << 0,
        kUniform = 1 << 1,
        kIn = 1 << 2,
        kOut = 1 << 3,
        kFlat = 1 << 4,
        kNoperspective = 1 << 5,
        kInline = 1 << 6,
        kNoinline = 1 << 7,
        kHighp = 1 << 8,
        kMediump = 1 << 9,
        kLowp = 1 << 10,
        kReadonly = 1 << 11,
        kWriteonly = 1 << 12,
        kBuffer = 1 << 13,
        kWorkgroup = 1 << 14,
    };
    uint32_t flags = 0;
    bool layoutColor = false;
    Position pos;                          // the whole qualifier list
    std::vector<std::pair<std::string_view, Position>> otherLayoutKeys;  // rejected later
};

struct AstNode {
    AstKind kind;
    TokenKind op = TokenKind::EndOfFile;
    Position pos;
    std::string_view name;
    int64_t intValue = 0;
    double floatValue = 0;
    bool boolValue = false;
    bool intTooLarge = false;     // an integer literal that does not fit 64 bits
    AstModifiers* mods = nullptr; // declarations only
    std::vector<AstNode*> kids;
};

// Owns every node of one parse.
class AstArena {
public:
    AstNode* make(AstKind kind, Position pos) {
        fNodes.push_back(std::make_unique<AstNode>());
        AstNode* n = fNodes.back().get();
        n->kind = kind;
        n->pos = pos;
        return n;
    }
    AstModifiers* makeModifiers() {
        fModifiers.push_back(std::make_unique<AstModifiers>());
        return fModifiers.back().get();
    }

private:
    std::vector<std::unique_ptr<AstNode>> fNodes;
    std::vector<std::unique_ptr<AstModifiers>> fModifiers;
};

}  // namespace plix::sksl
