// Named things a program declares: variables (globals, uniforms, children, locals, parameters)
// and functions.
#pragma once

#include "sksl/Position.h"

#include <string>
#include <vector>

namespace plix::sksl {

class Type;
class Expression;
class FunctionDefinition;

class Variable {
public:
    enum class Storage : uint8_t { Global, Local, Parameter };
    enum Flags : uint32_t {
        kConst = 1 << 0,
        kUniform = 1 << 1,
        kIn = 1 << 2,   // parameters
        kOut = 1 << 3,  // parameters (kIn | kOut is inout)
        kColor = 1 << 4,  // layout(color) uniforms
    };

    Variable(std::string name, const Type* type, Storage storage, uint32_t flags, Position pos)
            : fName(std::move(name)), fType(type), fStorage(storage), fFlags(flags), fPos(pos) {}

    const std::string& name() const { return fName; }
    const Type& type() const { return *fType; }
    Storage storage() const { return fStorage; }
    uint32_t flags() const { return fFlags; }
    Position pos() const { return fPos; }
    bool isConst() const { return fFlags & kConst; }
    bool isUniform() const { return fFlags & kUniform; }
    bool isOutParam() const { return fStorage == Storage::Parameter && (fFlags & kOut); }

    // The initializer of a const variable, when it is a constant expression.
    const Expression* constValue() const { return fConstValue; }
    void setConstValue(const Expression* e) { fConstValue = e; }
    // Its value worked out once, slot by slot, so constants defined by constants fold in
    // constant time; empty when it could not be worked out.
    const std::vector<double>& constValues() const { return fConstValues; }
    void setConstValues(std::vector<double> values) { fConstValues = std::move(values); }
    // True once the checker tried to work the value out (whether or not it could).
    bool constValuesTried() const { return fConstValuesTried; }
    void setConstValuesTried() { fConstValuesTried = true; }

    // Index among the program's uniforms or children; -1 otherwise.
    int index() const { return fIndex; }
    void setIndex(int i) { fIndex = i; }

private:
    std::string fName;
    const Type* fType;
    Storage fStorage;
    uint32_t fFlags;
    Position fPos;
    const Expression* fConstValue = nullptr;
    std::vector<double> fConstValues;
    bool fConstValuesTried = false;
    int fIndex = -1;
};

class FunctionDeclaration {
public:
    FunctionDeclaration(std::string name, std::vector<Variable*> params, const Type* returnType,
                        Position pos)
            : fName(std::move(name)), fParams(std::move(params)), fReturnType(returnType),
              fPos(pos) {}

    const std::string& name() const { return fName; }
    const std::vector<Variable*>& parameters() const { return fParams; }
    const Type& returnType() const { return *fReturnType; }
    Position pos() const { return fPos; }
    // "float f(float x)", as messages show it.
    std::string description() const;

    const FunctionDefinition* definition() const { return fDefinition; }
    void setDefinition(const FunctionDefinition* d) { fDefinition = d; }
    // Parameters as named in the definition (a prototype may name them differently).
    void setParameters(std::vector<Variable*> params) { fParams = std::move(params); }

    bool isMain() const { return fIsMain; }
    void setMain() { fIsMain = true; }

private:
    std::string fName;
    std::vector<Variable*> fParams;
    const Type* fReturnType;
    Position fPos;
    const FunctionDefinition* fDefinition = nullptr;
    bool fIsMain = false;
};

}  // namespace plix::sksl
