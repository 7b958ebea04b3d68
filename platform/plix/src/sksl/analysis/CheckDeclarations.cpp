// The type checker, part 1: the whole program and its declarations (structs, globals,
// functions and the entry point).
#include "sksl/analysis/Checker.h"
#include "sksl/analysis/CheckerUtil.h"

#include "sksl/analysis/ConstantFolder.h"
#include "sksl/analysis/IntrinsicTable.h"
#include "sksl/analysis/ProgramRules.h"
#include "sksl/ir/BinaryExpression.h"
#include "sksl/ir/Block.h"
#include "sksl/ir/ChildCall.h"
#include "sksl/ir/Constructor.h"
#include "sksl/ir/ExpressionStatement.h"
#include "sksl/ir/FieldAccess.h"
#include "sksl/ir/ForStatement.h"
#include "sksl/ir/FunctionCall.h"
#include "sksl/ir/IfStatement.h"
#include "sksl/ir/IndexExpression.h"
#include "sksl/ir/IntrinsicCall.h"
#include "sksl/ir/JumpStatements.h"
#include "sksl/ir/Literal.h"
#include "sksl/ir/Swizzle.h"
#include "sksl/ir/SwitchStatement.h"
#include "sksl/ir/TernaryExpression.h"
#include "sksl/ir/UnaryExpression.h"
#include "sksl/ir/VarDeclaration.h"
#include "sksl/ir/VariableReference.h"
#include "sksl/lex/Lexer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace plix::sksl {

using namespace check;

namespace {




const char* modifierName(uint32_t bit) {
    switch (bit) {
        case AstModifiers::kConst: return "const";
        case AstModifiers::kUniform: return "uniform";
        case AstModifiers::kIn: return "in";
        case AstModifiers::kOut: return "out";
        case AstModifiers::kFlat: return "flat";
        case AstModifiers::kNoperspective: return "noperspective";
        case AstModifiers::kInline: return "inline";
        case AstModifiers::kNoinline: return "noinline";
        case AstModifiers::kHighp: return "highp";
        case AstModifiers::kMediump: return "mediump";
        case AstModifiers::kLowp: return "lowp";
        case AstModifiers::kReadonly: return "readonly";
        case AstModifiers::kWriteonly: return "writeonly";
        case AstModifiers::kBuffer: return "buffer";
        case AstModifiers::kWorkgroup: return "workgroup";
        default: return "?";
    }
}


bool isUniformType(const Type& t) {
    const Type& base = t.isArray() ? t.elementType() : t;
    if (!base.isValue()) return false;
    if (&base.componentType() == &Type::Float() || &base.componentType() == &Type::Half()) {
        return true;
    }
    return &base.componentType() == &Type::Int() && !base.isMatrix();
}

}  // namespace

Checker::Checker(Program& program, Diagnostics& diags, CheckerOptions options)
        : fProgram(program), fDiags(diags), fOptions(options) {
    fSymbols.push();  // the program's globals, above the built-in level
}

void Checker::run(const AstNode& root) {
    for (const AstNode* decl : root.kids) {
        switch (decl->kind) {
            case AstKind::Struct: structDefinition(*decl); break;
            case AstKind::VarDecls: globalVariables(*decl); break;
            case AstKind::Function: function(*decl); break;
            default: break;
        }
    }
    if (fDiags.hasErrors()) return;

    for (const auto& [decl, pos] : fCallSites) {
        if (!decl->definition()) {
            error(pos, "function '" + decl->description() + "' is not defined");
        }
    }
    // No call cycles: every effect's call tree is finite. A depth-first walk with its own
    // stack, as call chains may be as long as the source allows.
    std::map<const FunctionDeclaration*, int> state;  // 1 = on the path, 2 = done
    struct Step {
        const FunctionDeclaration* f;
        std::vector<const FunctionDeclaration*> callees;
        size_t next = 0;
    };
    std::vector<Step> path;
    auto enter = [&](const FunctionDeclaration* f) {
        state[f] = 1;
        Step step{f, {}};
        if (auto it = fCalls.find(f); it != fCalls.end()) {
            step.callees.assign(it->second.begin(), it->second.end());
        }
        path.push_back(std::move(step));
    };
    for (const FunctionDefinition* root : fProgram.functions()) {
        if (state[&root->declaration()] != 0) continue;
        enter(&root->declaration());
        while (!path.empty()) {
            Step& top = path.back();
            if (top.next == top.callees.size()) {
                state[top.f] = 2;
                path.pop_back();
                continue;
            }
            const FunctionDeclaration* callee = top.callees[top.next++];
            if (state[callee] == 1) {
                std::string message = "potential recursion (function call cycle) not allowed:";
                auto start = std::find_if(path.begin(), path.end(),
                                          [&](const Step& s) { return s.f == callee; });
                for (auto p = start; p != path.end(); ++p) message += "\n\t" + p->f->description();
                message += "\n\t" + callee->description();
                error(callee->pos(), message);
                return;
            }
            if (state[callee] == 0) enter(callee);
        }
    }
    if (!fProgram.main()) error({}, "missing 'main' function");
}

bool Checker::checkName(std::string_view name, Position pos) {
    if (IsReservedName(name)) {
        error(pos, "name " + quote(name) + " is reserved");
        return false;
    }
    return true;
}

void Checker::checkModifiers(const AstModifiers* mods, uint32_t allowed, Position pos) {
    if (!mods) return;
    for (uint32_t bit = 1; bit <= AstModifiers::kWorkgroup; bit <<= 1) {
        if ((mods->flags & bit) && !(allowed & bit)) {
            error(mods->pos.valid() && mods->pos.end > mods->pos.start ? mods->pos : pos,
                  quote(modifierName(bit)) + " is not permitted here");
        }
    }
    for (const auto& [key, keyPos] : mods->otherLayoutKeys) {
        error(keyPos, "layout qualifier " + quote(key) + " is not permitted here");
    }
}

bool Checker::checkPrecision(const AstModifiers* mods, const Type& type, Position pos) {
    if (!mods || !(mods->flags & kPrecision)) return true;
    const Type& base = type.isArray() ? type.elementType() : type;
    if (base.isValue() && (&base.componentType() == &Type::Float() ||
                           &base.componentType() == &Type::Int())) {
        return true;
    }
    error(pos, "type " + quote(type.name()) + " does not support precision qualifiers");
    return false;
}

const Type* Checker::resolveType(const AstNode& typeNode) {
    const Type* t = nullptr;
    if (Symbol* s = fSymbols.find(typeNode.name); s && s->kind == Symbol::Kind::Type) {
        t = s->type;
    } else {
        t = Type::FindBuiltin(typeNode.name);
    }
    Position namePos = {typeNode.pos.start,
                        typeNode.pos.start + static_cast<int32_t>(typeNode.name.size())};
    if (!t) {
        error(namePos, "no type named " + quote(typeNode.name));
        return nullptr;
    }
    if (t->kind() == Type::Kind::Unsupported) {
        error(namePos, "type " + quote(typeNode.name) + " is not supported");
        return nullptr;
    }
    if (t->kind() == Type::Kind::Invalid) {
        bool sampler = typeNode.name.starts_with("sampler") || typeNode.name.starts_with("texture");
        error(namePos, sampler ? "invalid type " + quote(typeNode.name) +
                                         ": runtime effects take images as 'uniform shader' "
                                         "children, sampled with .eval(coords)"
                               : "invalid type " + quote(typeNode.name));
        return nullptr;
    }
    if (!typeNode.kids.empty()) return arrayOf(*t, typeNode.kids[0], typeNode.pos);
    return t;
}

const Type* Checker::arrayOf(const Type& element, const AstNode* sizeExpr, Position pos) {
    if (element.isArray()) {
        error(pos, "multi-dimensional arrays are not supported");
        return nullptr;
    }
    if (element.isChild()) {
        error(pos, "opaque type " + quote(element.name()) + " may not be used in an array");
        return nullptr;
    }
    if (element.isVoid()) {
        error(pos, "type 'void' may not be used in an array");
        return nullptr;
    }
    if (!sizeExpr || sizeExpr->kind == AstKind::Empty) {
        error(pos, "unsized arrays are not permitted here");
        return nullptr;
    }
    Expression* size = expression(*sizeExpr);
    if (!size) return nullptr;
    int64_t n;
    if (!size->type().isInt() || !ConstantFolder::GetInt(*size, &n)) {
        error(size->pos(), "array size must be an integer");
        return nullptr;
    }
    if (n <= 0) {
        error(size->pos(), "array size must be positive");
        return nullptr;
    }
    if (n > kMaxArraySize || n * element.slotCount() > kMaxArraySize) {
        error(size->pos(), "array size is too large");
        return nullptr;
    }
    return fProgram.arrayType(element, static_cast<int>(n));
}

bool Checker::checkVariableType(const Type& type, Position pos) {
    if (type.isVoid()) {
        error(pos, "variables of type 'void' are not allowed");
        return false;
    }
    return true;
}

void Checker::structDefinition(const AstNode& n) {
    if (!checkName(n.name, n.pos)) return;
    if (fSymbols.findInCurrentScope(n.name)) {
        error(n.pos, "symbol " + quote(n.name) + " was already defined");
        return;
    }
    std::vector<Type::Field> fields;
    for (const AstNode* decls : n.kids) {
        checkModifiers(decls->mods, kPrecision, decls->pos);
        const Type* base = resolveType(*decls->kids[0]);
        if (!base) continue;
        for (size_t i = 1; i < decls->kids.size(); ++i) {
            const AstNode* var = decls->kids[i];
            const Type* t = base;
            if (var->kids[0]) t = arrayOf(*base, var->kids[0], var->pos);
            if (!t) continue;
            if (!checkName(var->name, var->pos)) continue;
            if (t->isVoid()) {
                error(var->pos, "type 'void' is not permitted in a struct");
                continue;
            }
            if (t->isChild()) {
                error(var->pos, "opaque type " + quote(t->name()) + " is not permitted in a struct");
                continue;
            }
            for (const Type::Field& f : fields) {
                if (f.name == var->name) {
                    error(var->pos, "field " + quote(var->name) +
                                            " was already defined in the same struct (" +
                                            quote(n.name) + ")");
                }
            }
            fields.push_back({std::string(var->name), t, var->pos});
        }
    }
    if (fields.empty()) {
        error(n.pos, "struct " + quote(n.name) + " must contain at least one field");
        return;
    }
    // Nesting through struct fields (not through arrays of structs) is limited.
    auto nesting = [](const Type& type, auto& self) -> int {
        int deepest = 0;
        for (const Type::Field& f : type.fields()) {
            if (f.type->isStruct()) deepest = std::max(deepest, self(*f.type, self));
        }
        return deepest + 1;
    };
    int depth = 1;
    for (const Type::Field& f : fields) {
        if (f.type->isStruct()) depth = std::max(depth, nesting(*f.type, nesting) + 1);
    }
    if (depth > kMaxStructNesting) {
        error(n.pos, "struct " + quote(n.name) + " is too deeply nested");
        return;
    }
    const Type* t = fProgram.addStruct(Type::MakeStruct(std::string(n.name), std::move(fields)));
    if (t->slotCount() >= kSlotLimit) {
        error(n.pos, "struct " + quote(n.name) + " is too large");
        return;
    }
    Symbol s;
    s.kind = Symbol::Kind::Type;
    s.type = t;
    fSymbols.add(n.name, std::move(s));
}

Variable* Checker::declareVariable(const AstNode& var, const Type& baseType,
                                   const AstModifiers* mods, Variable::Storage storage,
                                   const Expression** init) {
    *init = nullptr;
    if (!checkName(var.name, var.pos)) return nullptr;
    const Type* type = &baseType;
    if (var.kids[0]) type = arrayOf(baseType, var.kids[0], var.pos);
    if (!type || !checkVariableType(*type, var.pos)) return nullptr;

    uint32_t flags = 0;
    if (mods && (mods->flags & AstModifiers::kConst)) flags |= Variable::kConst;
    if (mods && (mods->flags & AstModifiers::kUniform)) flags |= Variable::kUniform;
    if (mods && mods->layoutColor) flags |= Variable::kColor;
    Position declPos = var.pos;
    const bool isGlobal = storage == Variable::Storage::Global;

    if (type->isChild() || (type->isArray() && type->elementType().isChild())) {
        if (!isGlobal) {
            error(declPos, "variables of type " + quote(type->name()) + " must be global");
            return nullptr;
        }
        if (!(flags & Variable::kUniform)) {
            error(declPos, "variables of type " + quote(type->name()) + " must be uniform");
            return nullptr;
        }
    } else if (flags & Variable::kUniform) {
        if (!isUniformType(*type)) {
            error(declPos, "variables of type " + quote(type->name()) + " may not be uniform");
            return nullptr;
        }
    }
    if (flags & Variable::kColor) {
        bool ok = (flags & Variable::kUniform) && (type->isVector() && type->isFloat() &&
                                                   (type->columns() == 3 || type->columns() == 4));
        if (!ok) {
            error(mods->pos, "'layout(color)' is not permitted on variables of type " +
                                     quote(type->name()));
            return nullptr;
        }
    }

    const AstNode* initNode = var.kids[1];
    Expression* value = nullptr;
    if (initNode) {
        value = expression(*initNode);
        if (!value) return nullptr;
        if (flags & Variable::kUniform) {
            error(initNode->pos, "'uniform' variables cannot use initializer expressions");
            return nullptr;
        }
        if (type->containsArray()) {
            error(initNode->pos,
                  "initializers are not permitted on arrays (or structs containing arrays)");
            return nullptr;
        }
        if (type->isChild()) {
            error(initNode->pos, "variables of type " + quote(type->name()) +
                                         " cannot use initializer expressions");
            return nullptr;
        }
        value = coerce(value, *type);
        if (!value) return nullptr;
        if ((flags & Variable::kConst) && !ConstantFolder::IsConstantExpression(*value)) {
            error(value->pos(), "'const' variable initializer must be a constant expression");
            return nullptr;
        }
        if (isGlobal && !(flags & Variable::kConst) &&
            !ConstantFolder::IsConstantExpression(*value)) {
            error(value->pos(), "global variable initializer must be a constant expression");
            return nullptr;
        }
    } else if (flags & Variable::kConst) {
        error(declPos, "'const' variables must be initialized");
        return nullptr;
    }

    if (fSymbols.findInCurrentScope(var.name)) {
        error(Position{var.pos.start, var.pos.start + static_cast<int32_t>(var.name.size())},
              "symbol " + quote(var.name) + " was already defined");
        return nullptr;
    }
    if (storage == Variable::Storage::Local) {
        fLocalSlots += type->slotCount();
        if (fLocalSlots >= kSlotLimit) {
            error(declPos, "variable " + quote(var.name) + " exceeds the stack size limit");
            return nullptr;
        }
    } else if (storage == Variable::Storage::Global && type->slotCount() >= kSlotLimit) {
        error(declPos, "global variable " + quote(var.name) + " exceeds the size limit");
        return nullptr;
    }
    Variable* v = fProgram.makeVariable(std::string(var.name), type, storage, flags, declPos);
    if ((flags & Variable::kConst) && value) {
        v->setConstValue(value);
        std::vector<double> values;
        if (ConstantFolder::GetValues(*value, &values)) v->setConstValues(std::move(values));
        v->setConstValuesTried();
    }
    Symbol s;
    s.kind = Symbol::Kind::Variable;
    s.variable = v;
    fSymbols.add(var.name, std::move(s));
    *init = value;
    return v;
}

void Checker::globalVariables(const AstNode& n) {
    checkModifiers(n.mods, AstModifiers::kConst | AstModifiers::kUniform | kPrecision, n.pos);
    if ((n.mods->flags & AstModifiers::kConst) && (n.mods->flags & AstModifiers::kUniform)) {
        error(n.mods->pos, "'const' and 'uniform' may not be combined");
        return;
    }
    const Type* base = resolveType(*n.kids[0]);
    if (!base || !checkPrecision(n.mods, *base, n.pos)) return;
    for (size_t i = 1; i < n.kids.size(); ++i) {
        const Expression* init;
        Variable* v = declareVariable(*n.kids[i], *base, n.mods, Variable::Storage::Global, &init);
        if (!v) continue;
        if (v->type().isChild()) {
            v->setIndex(fChildCount++);
            fProgram.addChild(v);
        } else if (v->isUniform()) {
            v->setIndex(fUniformCount++);
            fProgram.addUniform(v);
        } else {
            fProgram.addGlobal(fProgram.make<VarDeclaration>(n.kids[i]->pos, v, init));
        }
    }
}

void Checker::function(const AstNode& n) {
    checkModifiers(n.mods, AstModifiers::kInline | AstModifiers::kNoinline | kPrecision, n.pos);
    const Type* returnType = resolveType(*n.kids[0]);
    if (!returnType || !checkPrecision(n.mods, *returnType, n.pos)) return;
    if (returnType->isArray() || returnType->isChild()) {
        error(n.kids[0]->pos, "functions may not return type " + quote(returnType->name()));
        return;
    }
    if (returnType->containsArray()) {
        error(n.kids[0]->pos, "functions may not return structs containing arrays");
        return;
    }
    if (!checkName(n.name, n.pos)) return;

    // Parameters.
    std::vector<Variable*> params;
    const AstNode* bodyNode = nullptr;
    bool ok = true;
    for (size_t i = 1; i < n.kids.size(); ++i) {
        const AstNode* p = n.kids[i];
        if (p->kind != AstKind::Parameter) {
            bodyNode = p;
            continue;
        }
        checkModifiers(p->mods,
                       AstModifiers::kIn | AstModifiers::kOut | AstModifiers::kConst | kPrecision,
                       p->pos);
        const Type* t = resolveType(*p->kids[0]);
        if (!t || !checkPrecision(p->mods, *t, p->pos)) {
            ok = false;
            continue;
        }
        if (p->kids[1]) t = arrayOf(*t, p->kids[1], p->pos);
        if (!t) {
            ok = false;
            continue;
        }
        if (t->isChild()) {
            error(p->pos, "parameters of type " + quote(t->name()) + " not allowed");
            ok = false;
            continue;
        }
        if (t->isVoid()) {
            error(p->pos, "parameters of type 'void' are not allowed");
            ok = false;
            continue;
        }
        if (!p->name.empty() && !checkName(p->name, p->pos)) {
            ok = false;
            continue;
        }
        uint32_t flags = 0;
        uint32_t m = p->mods->flags;
        if (m & AstModifiers::kOut) flags |= Variable::kOut;
        if ((m & AstModifiers::kIn) || !(m & AstModifiers::kOut)) flags |= Variable::kIn;
        if (m & AstModifiers::kConst) flags |= Variable::kConst;
        if ((m & AstModifiers::kConst) && (m & AstModifiers::kOut)) {
            error(p->pos, "'const' may not be combined with 'out'");
            ok = false;
            continue;
        }
        params.push_back(fProgram.makeVariable(std::string(p->name), t,
                                               Variable::Storage::Parameter, flags, p->pos));
    }
    if (!ok) return;

    auto sameParams = [&](const std::vector<Variable*>& a, const std::vector<const Type*>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (&a[i]->type() != b[i]) return false;
        }
        return true;
    };
    std::vector<const Type*> paramTypes;
    for (const Variable* p : params) paramTypes.push_back(&p->type());

    if (const auto* intrinsics = FindIntrinsic(n.name)) {
        for (const IntrinsicOverload& o : *intrinsics) {
            if (o.params == paramTypes) {
                error(n.pos, "duplicate definition of intrinsic function " + quote(n.name));
                return;
            }
        }
    }

    // An earlier declaration of the same function, or a new overload.
    FunctionDeclaration* decl = nullptr;
    Symbol* existing = fSymbols.findInCurrentScope(n.name);
    if (existing && existing->kind != Symbol::Kind::Functions) {
        error(n.pos, "symbol " + quote(n.name) + " was already defined");
        return;
    }
    if (existing) {
        for (FunctionDeclaration* f : existing->functions) {
            if (!sameParams(f->parameters(), paramTypes)) continue;
            FunctionDeclaration probe(std::string(n.name), params, returnType, n.pos);
            if (&f->returnType() != returnType) {
                error(n.pos, "functions '" + probe.description() + "' and '" + f->description() +
                                     "' differ only in return type");
                return;
            }
            for (size_t i = 0; i < params.size(); ++i) {
                uint32_t mask = Variable::kIn | Variable::kOut | Variable::kConst;
                if ((params[i]->flags() & mask) != (f->parameters()[i]->flags() & mask)) {
                    error(n.pos, "modifiers on parameter " + std::to_string(i + 1) +
                                         " differ between declaration and definition");
                    return;
                }
            }
            if (bodyNode && f->definition()) {
                error(n.pos, "function '" + f->description() + "' was already defined");
                return;
            }
            decl = f;
            break;
        }
    }
    if (!decl) {
        decl = fProgram.makeFunction(std::string(n.name), params, returnType, n.pos);
        if (!existing) {
            Symbol s;
            s.kind = Symbol::Kind::Functions;
            existing = &fSymbols.add(n.name, std::move(s));
        }
        existing->functions.push_back(decl);
        if (n.name == "main") checkMain(n, *decl);
    }
    if (!bodyNode) return;

    // The body sees the parameters as the first declaration named them.
    fSymbols.push();
    for (Variable* p : decl->parameters()) {
        if (p->name().empty()) continue;
        if (fSymbols.findInCurrentScope(p->name())) {
            error(p->pos(), "symbol " + quote(p->name()) + " was already defined");
            continue;
        }
        Symbol s;
    s.kind = Symbol::Kind::Variable;
        s.variable = p;
        fSymbols.add(p->name(), std::move(s));
    }
    fCurrentFunction = decl;
    fLocalSlots = 0;
    for (const Variable* p : decl->parameters()) fLocalSlots += p->type().slotCount();
    if (fLocalSlots >= kSlotLimit) {
        error(decl->parameters().back()->pos(), "variable " + quote(decl->parameters().back()->name()) +
                                                       " exceeds the stack size limit");
        fSymbols.pop();
        return;
    }
    int errorsBefore = fDiags.errorCount();
    Statement* body = block(*bodyNode, /*newScope=*/false);
    fCurrentFunction = nullptr;
    fSymbols.pop();
    if (!body || fDiags.errorCount() > errorsBefore) return;

    if (!returnType->isVoid() && !ProgramRules::AlwaysReturns(*body)) {
        error(n.pos, "function " + quote(n.name) + " can exit without returning a value");
        return;
    }
    for (const Variable* p : decl->parameters()) {
        // An out parameter that is never written hands back garbage.
        if ((p->flags() & Variable::kOut) && !(p->flags() & Variable::kIn) &&
            !ProgramRules::Writes(*body, *p)) {
            error(p->pos(), "function " + quote(n.name) + " never assigns a value to out parameter " +
                                    quote(p->name()));
            return;
        }
    }
    FunctionDefinition* def = fProgram.makeDefinition(decl, &body->as<Block>());
    decl->setDefinition(def);
    fProgram.addFunction(def);
    if (decl->isMain()) fProgram.setMain(def);
}

void Checker::checkMain(const AstNode& n, FunctionDeclaration& decl) {
    const Type& ret = decl.returnType();
    bool retOk = ret.isVector() && ret.isFloat() && ret.columns() == 4;
    if (!retOk) {
        error(n.pos, "'main' must return: 'vec4', 'float4', or 'half4'");
        return;
    }
    auto isColor = [](const Variable* p) {
        const Type& t = p->type();
        return t.isVector() && t.isFloat() && t.columns() == 4 && !(p->flags() & Variable::kOut);
    };
    const auto& params = decl.parameters();
    switch (fProgram.kind()) {
        case ProgramKind::Shader:
            if (params.size() != 1 || &params[0]->type() != &Type::Vector(Type::Float(), 2) ||
                (params[0]->flags() & Variable::kOut)) {
                error(n.pos, "'main' parameter must be 'float2' or 'vec2'");
                return;
            }
            break;
        case ProgramKind::ColorFilter:
            if (params.size() != 1 || !isColor(params[0])) {
                error(n.pos, "'main' parameter must be 'vec4', 'float4', or 'half4'");
                return;
            }
            break;
        case ProgramKind::Blender:
            if (params.size() != 2 || !isColor(params[0]) || !isColor(params[1])) {
                error(n.pos, "'main' parameters must be (vec4|float4|half4, vec4|float4|half4)");
                return;
            }
            break;
    }
    decl.setMain();
}

}  // namespace plix::sksl
