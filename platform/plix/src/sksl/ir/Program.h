// A checked program: its functions, global variables, uniforms and children, and the arena that
// owns every IR node, symbol and program-made type. Immutable once the checker is done.
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Symbols.h"
#include "sksl/ir/Type.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plix::sksl {

class Block;
class VarDeclaration;

enum class ProgramKind : uint8_t { Shader, ColorFilter, Blender };

class FunctionDefinition {
public:
    FunctionDefinition(FunctionDeclaration* decl, const Block* body) : fDecl(decl), fBody(body) {}
    const FunctionDeclaration& declaration() const { return *fDecl; }
    const Block& body() const { return *fBody; }

private:
    FunctionDeclaration* fDecl;
    const Block* fBody;
};

class Program {
public:
    explicit Program(ProgramKind kind) : fKind(kind) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramKind kind() const { return fKind; }
    const FunctionDefinition* main() const { return fMain; }
    // Functions in definition order.
    const std::vector<const FunctionDefinition*>& functions() const { return fFunctions; }
    // Non-uniform globals with their initial values, in declaration order.
    const std::vector<const VarDeclaration*>& globals() const { return fGlobals; }
    const std::vector<const Variable*>& uniforms() const { return fUniforms; }
    const std::vector<const Variable*>& children() const { return fChildren; }
    // The variable standing for sk_FragCoord when the program reads it; null otherwise.
    const Variable* fragCoord() const { return fFragCoord; }

    // Arena.
    template <class T, class... Args>
    T* make(Args&&... args) {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = owned.get();
        fNodes.push_back(std::move(owned));
        return raw;
    }
    Variable* makeVariable(std::string name, const Type* type, Variable::Storage storage,
                           uint32_t flags, Position pos) {
        fVariables.push_back(
                std::make_unique<Variable>(std::move(name), type, storage, flags, pos));
        return fVariables.back().get();
    }
    FunctionDeclaration* makeFunction(std::string name, std::vector<Variable*> params,
                                      const Type* returnType, Position pos) {
        fFunctionDecls.push_back(std::make_unique<FunctionDeclaration>(
                std::move(name), std::move(params), returnType, pos));
        return fFunctionDecls.back().get();
    }
    FunctionDefinition* makeDefinition(FunctionDeclaration* decl, const Block* body) {
        fDefinitions.push_back(std::make_unique<FunctionDefinition>(decl, body));
        return fDefinitions.back().get();
    }
    // The array type of element x size, made once per program.
    const Type* arrayType(const Type& element, int size);
    const Type* addStruct(Type type);

    // Filled by the checker.
    void setMain(const FunctionDefinition* f) { fMain = f; }
    void addFunction(const FunctionDefinition* f) { fFunctions.push_back(f); }
    void addGlobal(const VarDeclaration* d) { fGlobals.push_back(d); }
    void addUniform(const Variable* v) { fUniforms.push_back(v); }
    void addChild(const Variable* v) { fChildren.push_back(v); }
    void setFragCoord(const Variable* v) { fFragCoord = v; }

private:
    ProgramKind fKind;
    const FunctionDefinition* fMain = nullptr;
    std::vector<const FunctionDefinition*> fFunctions;
    std::vector<const VarDeclaration*> fGlobals;
    std::vector<const Variable*> fUniforms;
    std::vector<const Variable*> fChildren;
    const Variable* fFragCoord = nullptr;

    std::vector<std::unique_ptr<IRNode>> fNodes;
    std::vector<std::unique_ptr<Variable>> fVariables;
    std::vector<std::unique_ptr<FunctionDeclaration>> fFunctionDecls;
    std::vector<std::unique_ptr<FunctionDefinition>> fDefinitions;
    std::vector<std::unique_ptr<Type>> fTypes;
    std::map<std::pair<const Type*, int>, const Type*> fArrayTypes;  // element, size -> array
};

}  // namespace plix::sksl
