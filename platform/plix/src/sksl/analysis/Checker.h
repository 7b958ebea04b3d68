// The type checker: turns the parse tree into the typed IR, resolving names and overloads,
// inserting conversions, folding literal arithmetic and enforcing every rule of runtime effects
// (types, qualifiers, loop and index forms, entry point). It is the contract of the back ends:
// a program it accepts is one they can run.
#pragma once

#include "sksl/Diagnostics.h"
#include "sksl/analysis/SymbolTable.h"
#include "sksl/ir/Program.h"
#include "sksl/ir/Operator.h"
#include "sksl/parse/Ast.h"

#include <map>
#include <set>
#include <vector>

namespace plix::sksl {

class Expression;
class Statement;
class Block;

struct CheckerOptions {
    // Engine-internal programs may read sk_FragCoord (device coordinates of the pixel).
    bool allowFragCoord = false;
};

class Checker {
public:
    Checker(Program& program, Diagnostics& diags, CheckerOptions options = {});
    void run(const AstNode& root);

    // Variable standing for sk_FragCoord when the program reads it; null otherwise.
    const Variable* fragCoord() const { return fFragCoordUsed ? fFragCoord : nullptr; }

private:
    enum class Breakable : uint8_t { Loop, Switch };

    void error(Position pos, std::string message) { fDiags.error(pos, std::move(message)); }

    // Declarations.
    void structDefinition(const AstNode& n);
    void globalVariables(const AstNode& n);
    void function(const AstNode& n);
    void checkMain(const AstNode& n, FunctionDeclaration& decl);
    const Type* resolveType(const AstNode& typeNode);
    const Type* arrayOf(const Type& element, const AstNode* sizeExpr, Position pos);
    bool checkName(std::string_view name, Position pos);
    bool checkVariableType(const Type& type, Position pos);
    void checkModifiers(const AstModifiers* mods, uint32_t allowed, Position pos);
    // Precision qualifiers go on float and int types (and arrays of them) only.
    bool checkPrecision(const AstModifiers* mods, const Type& type, Position pos);
    Variable* declareVariable(const AstNode& var, const Type& baseType, const AstModifiers* mods,
                              Variable::Storage storage, const Expression** init);

    // Statements.
    void statementInto(const AstNode& n, std::vector<Statement*>& out);
    Statement* statement(const AstNode& n);
    Statement* block(const AstNode& n, bool newScope);
    Statement* ifStatement(const AstNode& n);
    Statement* forStatement(const AstNode& n);
    Statement* switchStatement(const AstNode& n);
    Statement* returnStatement(const AstNode& n);
    void localVariables(const AstNode& n, std::vector<Statement*>& out);

    // Expressions.
    Expression* expression(const AstNode& n);
    Expression* identifier(const AstNode& n);
    Expression* literal(const AstNode& n);
    Expression* binary(const AstNode& n);
    Expression* binary(Position pos, Expression* left, Operator op, Expression* right);
    Expression* prefix(const AstNode& n);
    Expression* postfix(const AstNode& n);
    Expression* ternary(const AstNode& n);
    Expression* call(const AstNode& n);
    Expression* index(const AstNode& n);
    Expression* field(const AstNode& n);
    Expression* swizzle(Position pos, Expression* base, std::string_view mask);
    Expression* construct(Position pos, const Type& type, std::vector<Expression*> args);
    Expression* callFunction(Position pos, std::string_view name,
                             const std::vector<FunctionDeclaration*>* user,
                             std::vector<Expression*> args);
    Expression* childCall(Position pos, const Variable& child, std::string_view method,
                          std::vector<Expression*> args);

    // Conversions. Cost of converting e to t: 0 same type, small for half <-> float and
    // short <-> int, larger for an int literal to a float type; kImpossible otherwise.
    static constexpr int kImpossible = 1 << 20;
    int coercionCost(const Expression& e, const Type& t) const;
    Expression* convert(Expression* e, const Type& t);  // no checks: cost must be possible
    Expression* coerce(Expression* e, const Type& t);   // reports "expected 'T', but found 'U'"
    Expression* cast(Expression* e, const Type& t);     // explicit conversion of one value

    // Assignment targets: marks the references written and reports what cannot be written.
    bool makeAssignable(Expression& e, bool read, Position pos);
    bool isConstantIndex(const Expression& e) const;

    Program& fProgram;
    Diagnostics& fDiags;
    CheckerOptions fOptions;
    SymbolTable fSymbols;

    FunctionDeclaration* fCurrentFunction = nullptr;
    std::vector<Breakable> fBreakables;
    std::vector<const Variable*> fLoopIndices;
    std::map<const FunctionDeclaration*, std::set<const FunctionDeclaration*>> fCalls;
    std::vector<std::pair<const FunctionDeclaration*, Position>> fCallSites;
    Variable* fFragCoord = nullptr;
    bool fFragCoordUsed = false;
    int fLocalSlots = 0;  // of the function being checked
    int fUniformCount = 0;
    int fChildCount = 0;
};

}  // namespace plix::sksl
