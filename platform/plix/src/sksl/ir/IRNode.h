// Base of the typed IR. Every node carries its Kind; code asks is<T>() and as<T>() rather than
// using RTTI. Nodes live in their Program's arena and point at each other with plain pointers.
#pragma once

#include "sksl/Position.h"

#include <cstdint>

namespace plix::sksl {

class Type;

enum class IRKind : uint8_t {
    // Expressions
    Literal,
    VariableReference,
    Binary,
    Prefix,
    Postfix,
    Ternary,
    FunctionCall,
    IntrinsicCall,
    ChildCall,
    Constructor,
    Swizzle,
    Index,
    FieldAccess,
    // Statements
    Block,
    VarDeclaration,
    ExpressionStatement,
    If,
    For,
    Switch,
    Break,
    Continue,
    Return,
    Nop,
};

class IRNode {
public:
    IRNode(IRKind kind, Position pos) : fKind(kind), fPos(pos) {}
    IRNode(const IRNode&) = delete;
    IRNode& operator=(const IRNode&) = delete;
    virtual ~IRNode() = default;

    IRKind kind() const { return fKind; }
    Position pos() const { return fPos; }

    template <class T>
    bool is() const { return fKind == T::kKind; }
    template <class T>
    const T& as() const { return static_cast<const T&>(*this); }
    template <class T>
    T& as() { return static_cast<T&>(*this); }

private:
    IRKind fKind;
    Position fPos;
};

class Expression : public IRNode {
public:
    Expression(IRKind kind, Position pos, const Type* type) : IRNode(kind, pos), fType(type) {}
    const Type& type() const { return *fType; }

private:
    const Type* fType;
};

class Statement : public IRNode {
public:
    using IRNode::IRNode;
};

}  // namespace plix::sksl
