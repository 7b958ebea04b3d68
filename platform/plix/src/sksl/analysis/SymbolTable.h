// Nested scopes of names: the built-in types, then the program's globals, then one scope per
// function and block.
#pragma once

#include "sksl/Position.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plix::sksl {

class Type;
class Variable;
class FunctionDeclaration;

struct Symbol {
    enum class Kind : uint8_t { Variable, Type, Functions };
    Kind kind = Kind::Variable;
    Variable* variable = nullptr;
    const Type* type = nullptr;
    std::vector<FunctionDeclaration*> functions;
};

class SymbolTable {
public:
    SymbolTable() { push(); }

    void push() { fScopes.emplace_back(); }
    void pop() { fScopes.pop_back(); }
    int depth() const { return static_cast<int>(fScopes.size()); }

    // Innermost symbol of that name, or null.
    Symbol* find(std::string_view name);
    Symbol* findInCurrentScope(std::string_view name);
    // Adds to the innermost scope; the caller has checked for a clash.
    Symbol& add(std::string_view name, Symbol symbol);

private:
    std::vector<std::unordered_map<std::string, Symbol>> fScopes;
};

}  // namespace plix::sksl
