#include "sksl/analysis/SymbolTable.h"

namespace plix::sksl {

Symbol* SymbolTable::find(std::string_view name) {
    std::string key(name);
    for (auto it = fScopes.rbegin(); it != fScopes.rend(); ++it) {
        auto found = it->find(key);
        if (found != it->end()) return &found->second;
    }
    return nullptr;
}

Symbol* SymbolTable::findInCurrentScope(std::string_view name) {
    auto found = fScopes.back().find(std::string(name));
    return found == fScopes.back().end() ? nullptr : &found->second;
}

Symbol& SymbolTable::add(std::string_view name, Symbol symbol) {
    return fScopes.back()[std::string(name)] = std::move(symbol);
}

}  // namespace plix::sksl
