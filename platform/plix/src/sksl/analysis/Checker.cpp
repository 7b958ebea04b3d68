#include "sksl/analysis/Checker.h"

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
#include <functional>

namespace plix::sksl {

namespace {

// Loops must finish in fewer iterations than this.
constexpr int kLoopTerminationLimit = 100000;
// Largest array or struct, all the locals of one function, and one global, in 32-bit slots.
constexpr int kMaxArraySize = 1 << 17;
constexpr int kMaxLocalSlots = 1 << 16;
constexpr int kMaxGlobalSlots = 1 << 16;

std::string quote(std::string_view s) { return "'" + std::string(s) + "'"; }

std::string opText(Operator op) { return quote(TokenKindText(op)); }

bool isDisallowedOperator(Operator op) {
    switch (op) {
        case Operator::Amp: case Operator::Pipe: case Operator::Caret: case Operator::Shl:
        case Operator::Shr: case Operator::Percent: case Operator::AmpEq: case Operator::PipeEq:
        case Operator::CaretEq: case Operator::ShlEq: case Operator::ShrEq:
        case Operator::PercentEq: case Operator::Tilde:
            return true;
        default:
            return false;
    }
}

bool sameShape(const Type& a, const Type& b) {
    return a.kind() == b.kind() && a.columns() == b.columns() && a.rows() == b.rows() &&
           a.isValue();
}

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

constexpr uint32_t kPrecision =
        AstModifiers::kHighp | AstModifiers::kMediump | AstModifiers::kLowp;

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
    // No call cycles: every effect's call tree is finite.
    std::map<const FunctionDeclaration*, int> state;  // 1 = on the path, 2 = done
    std::vector<const FunctionDeclaration*> path;
    bool cycleReported = false;
    std::function<void(const FunctionDeclaration*)> visit = [&](const FunctionDeclaration* f) {
        if (cycleReported) return;
        state[f] = 1;
        path.push_back(f);
        auto it = fCalls.find(f);
        if (it != fCalls.end()) {
            for (const FunctionDeclaration* callee : it->second) {
                if (state[callee] == 1) {
                    std::string message = "potential recursion (function call cycle) not allowed:";
                    auto start = std::find(path.begin(), path.end(), callee);
                    for (auto p = start; p != path.end(); ++p) {
                        message += "\n\t" + (*p)->description();
                    }
                    message += "\n\t" + callee->description();
                    error(callee->pos(), message);
                    cycleReported = true;
                    return;
                }
                if (state[callee] == 0) visit(callee);
                if (cycleReported) return;
            }
        }
        path.pop_back();
        state[f] = 2;
    };
    for (const FunctionDefinition* f : fProgram.functions()) {
        if (state[&f->declaration()] == 0) visit(&f->declaration());
    }
    if (!fProgram.main()) error({}, "missing 'main' function");
}

// ---------------------------------------------------------------------------------------------
// Declarations

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
        error(namePos, "invalid type");
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
    const Type* t = fProgram.addStruct(Type::MakeStruct(std::string(n.name), std::move(fields)));
    if (t->slotCount() > kMaxArraySize) {
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
        if (fLocalSlots > kMaxLocalSlots) {
            error(declPos, "variable " + quote(var.name) + " exceeds the stack size limit");
            return nullptr;
        }
    } else if (storage == Variable::Storage::Global && !(flags & Variable::kUniform) &&
               type->slotCount() > kMaxGlobalSlots) {
        error(declPos, "global variable " + quote(var.name) + " exceeds the size limit");
        return nullptr;
    }
    Variable* v = fProgram.makeVariable(std::string(var.name), type, storage, flags, declPos);
    if ((flags & Variable::kConst) && value) v->setConstValue(value);
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
    if (!base) return;
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
    if (!returnType) return;
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
        if (!t) {
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
    int errorsBefore = fDiags.errorCount();
    Statement* body = block(*bodyNode, /*newScope=*/false);
    fCurrentFunction = nullptr;
    fSymbols.pop();
    if (!body || fDiags.errorCount() > errorsBefore) return;

    if (!returnType->isVoid() && !ProgramRules::AlwaysReturns(*body)) {
        error(n.pos, "function " + quote(n.name) + " can exit without returning a value");
        return;
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

// ---------------------------------------------------------------------------------------------
// Statements

void Checker::statementInto(const AstNode& n, std::vector<Statement*>& out) {
    if (n.kind == AstKind::VarDecls) {
        localVariables(n, out);
        return;
    }
    if (Statement* s = statement(n)) out.push_back(s);
}

void Checker::localVariables(const AstNode& n, std::vector<Statement*>& out) {
    checkModifiers(n.mods, AstModifiers::kConst | kPrecision, n.pos);
    if (n.mods->layoutColor) {
        error(n.mods->pos, "'layout(color)' is not permitted here");
        return;
    }
    const Type* base = resolveType(*n.kids[0]);
    if (!base) return;
    for (size_t i = 1; i < n.kids.size(); ++i) {
        const Expression* init;
        Variable* v = declareVariable(*n.kids[i], *base, n.mods, Variable::Storage::Local, &init);
        if (v) out.push_back(fProgram.make<VarDeclaration>(n.kids[i]->pos, v, init));
    }
}

Statement* Checker::statement(const AstNode& n) {
    switch (n.kind) {
        case AstKind::Block:
            return block(n, /*newScope=*/true);
        case AstKind::VarDecls:
            error(n.pos, "variable " + quote(n.kids.size() > 1 ? n.kids[1]->name : "") +
                                 " must be created in a scope");
            return nullptr;
        case AstKind::If:
            return ifStatement(n);
        case AstKind::For:
            return forStatement(n);
        case AstKind::While:
            error(n.pos, "while loops are not supported");
            return nullptr;
        case AstKind::Do:
            error(n.pos, "do-while loops are not supported");
            return nullptr;
        case AstKind::Switch:
            return switchStatement(n);
        case AstKind::Break:
            if (fBreakables.empty()) {
                error(n.pos, "break statement must be inside a loop or switch");
                return nullptr;
            }
            return fProgram.make<BreakStatement>(n.pos);
        case AstKind::Continue: {
            auto loop = std::find(fBreakables.rbegin(), fBreakables.rend(), Breakable::Loop);
            if (loop == fBreakables.rend()) {
                error(n.pos, "continue statement must be inside a loop");
                return nullptr;
            }
            if (std::find(fBreakables.rbegin(), loop, Breakable::Switch) != loop) {
                error(n.pos, "continue statement cannot be used in a switch");
                return nullptr;
            }
            return fProgram.make<ContinueStatement>(n.pos);
        }
        case AstKind::Discard:
            error(n.pos, "discard statement is only permitted in fragment shaders");
            return nullptr;
        case AstKind::Return:
            return returnStatement(n);
        case AstKind::ExprStatement: {
            Expression* e = expression(*n.kids[0]);
            if (!e) return nullptr;
            return fProgram.make<ExpressionStatement>(n.pos, e);
        }
        case AstKind::Empty:
            return fProgram.make<NopStatement>(n.pos);
        default:
            error(n.pos, "unexpected statement");
            return nullptr;
    }
}

Statement* Checker::block(const AstNode& n, bool newScope) {
    if (newScope) fSymbols.push();
    std::vector<Statement*> statements;
    for (const AstNode* s : n.kids) statementInto(*s, statements);
    if (newScope) fSymbols.pop();
    return fProgram.make<Block>(n.pos, std::move(statements));
}

Statement* Checker::ifStatement(const AstNode& n) {
    Expression* test = expression(*n.kids[0]);
    if (test) test = coerce(test, Type::Bool());
    Statement* then = statement(*n.kids[1]);
    Statement* otherwise = n.kids[2] ? statement(*n.kids[2]) : nullptr;
    if (!test || !then || (n.kids[2] && !otherwise)) return nullptr;
    return fProgram.make<IfStatement>(n.pos, test, then, otherwise);
}

Statement* Checker::forStatement(const AstNode& n) {
    struct ScopeGuard {
        SymbolTable& table;
        explicit ScopeGuard(SymbolTable& t) : table(t) { table.push(); }
        ~ScopeGuard() { table.pop(); }
    } scope(fSymbols);

    const AstNode* initNode = n.kids[0];
    if (!initNode) {
        error(n.pos, "missing init declaration");
        return nullptr;
    }
    if (initNode->kind != AstKind::VarDecls || initNode->kids.size() != 2) {
        error(initNode->pos, "invalid init declaration");
        return nullptr;
    }
    std::vector<Statement*> init;
    localVariables(*initNode, init);
    if (init.size() != 1) return nullptr;
    const auto& decl = init[0]->as<VarDeclaration>();
    const Variable* index = &decl.variable();
    if (!index->type().isScalar() || !index->type().isNumber()) {
        error(initNode->pos, "invalid type for loop index");
        return nullptr;
    }
    std::vector<double> startValue;
    if (!decl.value()) {
        error(initNode->pos, "missing loop index initializer");
        return nullptr;
    }
    if (!ConstantFolder::IsConstantExpression(*decl.value()) ||
        !ConstantFolder::GetValues(*decl.value(), &startValue)) {
        error(decl.value()->pos(), "loop index initializer must be a constant expression");
        return nullptr;
    }

    // test: index RELOP constant
    if (!n.kids[1]) {
        error(n.pos, "missing condition");
        return nullptr;
    }
    Expression* test = expression(*n.kids[1]);
    if (!test) return nullptr;
    test = coerce(test, Type::Bool());
    if (!test) return nullptr;
    if (!test->is<BinaryExpression>() ||
        !test->as<BinaryExpression>().left().is<VariableReference>() ||
        &test->as<BinaryExpression>().left().as<VariableReference>().variable() != index) {
        error(test->pos(), "expected loop index on left hand side of condition");
        return nullptr;
    }
    const auto& cond = test->as<BinaryExpression>();
    Operator relop = cond.op();
    if (relop != Operator::Lt && relop != Operator::Lte && relop != Operator::Gt &&
        relop != Operator::Gte && relop != Operator::EqEq && relop != Operator::Neq) {
        error(test->pos(), "invalid relational operator");
        return nullptr;
    }
    std::vector<double> bound;
    if (!ConstantFolder::IsConstantExpression(cond.right()) ||
        !ConstantFolder::GetValues(cond.right(), &bound)) {
        error(test->pos(), "loop index must be compared with a constant expression");
        return nullptr;
    }

    // next: index++ | index-- | ++index | --index | index += constant | index -= constant
    if (!n.kids[2]) {
        error(n.pos, "missing loop expression");
        return nullptr;
    }
    Expression* next = expression(*n.kids[2]);
    if (!next) return nullptr;
    double delta = 0;
    auto isIndex = [&](const Expression& e) {
        return e.is<VariableReference>() && &e.as<VariableReference>().variable() == index;
    };
    if (next->is<PrefixExpression>() || next->is<PostfixExpression>()) {
        Operator op = next->is<PrefixExpression>() ? next->as<PrefixExpression>().op()
                                                   : next->as<PostfixExpression>().op();
        const Expression& operand = next->is<PrefixExpression>()
                                            ? next->as<PrefixExpression>().operand()
                                            : next->as<PostfixExpression>().operand();
        if (!isIndex(operand) || (op != Operator::PlusPlus && op != Operator::MinusMinus)) {
            error(next->pos(), "invalid loop expression");
            return nullptr;
        }
        delta = op == Operator::PlusPlus ? 1 : -1;
    } else if (next->is<BinaryExpression>() && isIndex(next->as<BinaryExpression>().left())) {
        const auto& b = next->as<BinaryExpression>();
        if (b.op() != Operator::PlusEq && b.op() != Operator::MinusEq) {
            error(next->pos(), "invalid operator in loop expression");
            return nullptr;
        }
        std::vector<double> step;
        if (!ConstantFolder::IsConstantExpression(b.right()) ||
            !ConstantFolder::GetValues(b.right(), &step)) {
            error(next->pos(), "loop index must be modified by a constant expression");
            return nullptr;
        }
        delta = b.op() == Operator::PlusEq ? step[0] : -step[0];
    } else {
        error(next->pos(), "invalid loop expression");
        return nullptr;
    }
    if (delta == 0) {
        error(next->pos(), "invalid loop expression");
        return nullptr;
    }

    // How often the body runs, worked out in double precision and, for float indices, in the
    // float arithmetic the loop really uses; the larger count bounds the loop at run time.
    auto holds = [&](double v) {
        double b = bound[0];
        switch (relop) {
            case Operator::Lt: return v < b;
            case Operator::Lte: return v <= b;
            case Operator::Gt: return v > b;
            case Operator::Gte: return v >= b;
            case Operator::EqEq: return v == b;
            default: return v != b;
        }
    };
    const bool floatIndex = index->type().isFloat();
    int count = 0;
    for (double v = startValue[0]; count < kLoopTerminationLimit && holds(v); ++count) {
        v = floatIndex ? v + delta : ConstantFolder::Normalize(index->type(), v + delta);
    }
    if (count >= kLoopTerminationLimit) {
        error(n.pos, "loop must guarantee termination in fewer iterations");
        return nullptr;
    }
    if (floatIndex) {
        int fcount = 0;
        for (float v = static_cast<float>(startValue[0]);
             fcount < kLoopTerminationLimit && holds(v); ++fcount) {
            v = v + static_cast<float>(delta);
        }
        count = std::max(count, fcount);
    }

    fBreakables.push_back(Breakable::Loop);
    fLoopIndices.push_back(index);
    const AstNode& bodyNode = *n.kids[3];
    Statement* body = bodyNode.kind == AstKind::Block ? block(bodyNode, /*newScope=*/false)
                                                      : statement(bodyNode);
    fLoopIndices.pop_back();
    fBreakables.pop_back();
    if (!body) return nullptr;
    if (ProgramRules::Writes(*body, *index)) {
        error(body->pos(), "loop index must not be modified within body of the loop");
        return nullptr;
    }
    return fProgram.make<ForStatement>(n.pos, init[0], test, next, body, index, count);
}

Statement* Checker::switchStatement(const AstNode& n) {
    Expression* value = expression(*n.kids[0]);
    if (value) value = coerce(value, Type::Int());
    fSymbols.push();
    fBreakables.push_back(Breakable::Switch);
    std::vector<SwitchStatement::Case> cases;
    std::vector<int64_t> seen;
    bool ok = value != nullptr;
    for (size_t i = 1; i < n.kids.size(); ++i) {
        const AstNode* c = n.kids[i];
        SwitchStatement::Case sc{c->kids[0] == nullptr, 0, {}};
        if (c->kids[0]) {
            Expression* v = expression(*c->kids[0]);
            int64_t k;
            if (v) v = coerce(v, Type::Int());
            if (!v || !ConstantFolder::IsConstantExpression(*v) || !ConstantFolder::GetInt(*v, &k)) {
                if (v) error(v->pos(), "case value must be a constant integer");
                ok = false;
            } else if (std::find(seen.begin(), seen.end(), k) != seen.end()) {
                error(c->kids[0]->pos, "duplicate case value '" + std::to_string(k) + "'");
                ok = false;
            } else {
                seen.push_back(k);
                sc.value = static_cast<int32_t>(k);
            }
        }
        std::vector<Statement*> statements;
        for (size_t j = 1; j < c->kids.size(); ++j) statementInto(*c->kids[j], statements);
        sc.statements.assign(statements.begin(), statements.end());
        cases.push_back(std::move(sc));
    }
    fBreakables.pop_back();
    fSymbols.pop();
    if (!ok) return nullptr;
    return fProgram.make<SwitchStatement>(n.pos, value, std::move(cases));
}

Statement* Checker::returnStatement(const AstNode& n) {
    const Type& ret = fCurrentFunction->returnType();
    if (n.kids.empty()) {
        if (!ret.isVoid()) {
            error(n.pos, "expected function to return " + quote(ret.name()));
            return nullptr;
        }
        return fProgram.make<ReturnStatement>(n.pos, nullptr);
    }
    Expression* value = expression(*n.kids[0]);
    if (!value) return nullptr;
    if (ret.isVoid()) {
        error(n.pos, "may not return a value from a void function");
        return nullptr;
    }
    value = coerce(value, ret);
    if (!value) return nullptr;
    return fProgram.make<ReturnStatement>(n.pos, value);
}

// ---------------------------------------------------------------------------------------------
// Conversions

// Literals, and arithmetic and ternaries made only of them, keep the freedom of a literal:
// "(c ? 7 : 9) / 2" is computed in ints and may then become a float.
static bool isLiteralTyped(const Expression& e) {
    switch (e.kind()) {
        case IRKind::Literal:
            return true;
        case IRKind::Ternary:
            return isLiteralTyped(e.as<TernaryExpression>().ifTrue()) &&
                   isLiteralTyped(e.as<TernaryExpression>().ifFalse());
        case IRKind::Prefix:
            return e.as<PrefixExpression>().op() == Operator::Minus &&
                   isLiteralTyped(e.as<PrefixExpression>().operand());
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            switch (b.op()) {
                case Operator::Comma:
                    return isLiteralTyped(b.right());
                case Operator::Plus: case Operator::Minus: case Operator::Star:
                case Operator::Slash:
                    return isLiteralTyped(b.left()) && isLiteralTyped(b.right());
                default:
                    return false;
            }
        }
        default:
            return false;
    }
}

int Checker::coercionCost(const Expression& e, const Type& t) const {
    const Type& from = e.type();
    // A literal fits every number type it can represent equally well, its own included, so
    // among overloads that differ only there the first declared wins (pick(1) calls
    // pick(float) when that comes before pick(int)).
    if (from.isScalar() && from.isNumber() && t.isScalar() && t.isNumber() &&
        (from.isInt() || t.isFloat()) && isLiteralTyped(e)) {
        return 1;
    }
    if (&from == &t) return 0;
    if (e.is<TernaryExpression>()) {
        const auto& tern = e.as<TernaryExpression>();
        return std::max(coercionCost(tern.ifTrue(), t), coercionCost(tern.ifFalse(), t));
    }
    if (e.is<BinaryExpression>() && e.as<BinaryExpression>().op() == Operator::Comma) {
        return coercionCost(e.as<BinaryExpression>().right(), t);
    }
    if (!sameShape(from, t)) return kImpossible;
    if (from.numberKind() == t.numberKind()) {
        return from.priority() > t.priority() ? 2 : 1;
    }
    return kImpossible;
}

Expression* Checker::convert(Expression* e, const Type& t) {
    if (&e->type() == &t) return e;
    if (e->is<TernaryExpression>()) {
        const auto& tern = e->as<TernaryExpression>();
        Expression* a = convert(const_cast<Expression*>(&tern.ifTrue()), t);
        Expression* b = convert(const_cast<Expression*>(&tern.ifFalse()), t);
        return fProgram.make<TernaryExpression>(e->pos(), const_cast<Expression*>(&tern.test()),
                                                a, b);
    }
    if (e->is<BinaryExpression>() && e->as<BinaryExpression>().op() == Operator::Comma) {
        const auto& comma = e->as<BinaryExpression>();
        Expression* right = convert(const_cast<Expression*>(&comma.right()), t);
        return fProgram.make<BinaryExpression>(e->pos(), &t, const_cast<Expression*>(&comma.left()),
                                               Operator::Comma, right);
    }
    return cast(e, t);
}

Expression* Checker::coerce(Expression* e, const Type& t) {
    if (coercionCost(*e, t) >= kImpossible) {
        error(e->pos(), "expected " + quote(t.name()) + ", but found " + quote(e->type().name()));
        return nullptr;
    }
    return convert(e, t);
}

Expression* Checker::cast(Expression* e, const Type& t) {
    if (&e->type() == &t) return e;
    if (e->is<Literal>() && t.isScalar() && t.isInt() && e->type().isFloat()) {
        double v = std::trunc(e->as<Literal>().value());
        if (v < INT32_MIN || v > INT32_MAX) {
            char text[64];
            std::snprintf(text, sizeof(text), "%.0f", e->as<Literal>().value());
            error(e->pos(), "value is out of range for type " + quote(t.name()) + ": " + text);
            return nullptr;
        }
    }
    if (e->is<Literal>() && t.isScalar()) {
        return fProgram.make<Literal>(e->pos(), &t,
                                      ConstantFolder::Normalize(t, e->as<Literal>().value()));
    }
    return fProgram.make<Constructor>(e->pos(), &t, Constructor::Form::Cast,
                                      std::vector<Expression*>{e});
}

// ---------------------------------------------------------------------------------------------
// Expressions

Expression* Checker::expression(const AstNode& n) {
    switch (n.kind) {
        case AstKind::Ident: return identifier(n);
        case AstKind::IntLiteral:
        case AstKind::FloatLiteral:
        case AstKind::BoolLiteral: return literal(n);
        case AstKind::Binary: return binary(n);
        case AstKind::Prefix: return prefix(n);
        case AstKind::Postfix: return postfix(n);
        case AstKind::Ternary: return ternary(n);
        case AstKind::Call: return call(n);
        case AstKind::Index: return index(n);
        case AstKind::Field: return field(n);
        default:
            error(n.pos, "expected expression");
            return nullptr;
    }
}

Expression* Checker::identifier(const AstNode& n) {
    if (Symbol* s = fSymbols.find(n.name)) {
        switch (s->kind) {
            case Symbol::Kind::Variable:
                return fProgram.make<VariableReference>(n.pos, s->variable,
                                                        VariableReference::RefKind::Read);
            case Symbol::Kind::Type:
                error(n.pos, "expected '(' to begin constructor invocation");
                return nullptr;
            case Symbol::Kind::Functions:
                error(n.pos, "expected '(' to begin function call");
                return nullptr;
        }
    }
    if (n.name == "sk_FragCoord" && fOptions.allowFragCoord) {
        if (!fFragCoord) {
            fFragCoord = fProgram.makeVariable("sk_FragCoord", &Type::Vector(Type::Float(), 4),
                                               Variable::Storage::Global, Variable::kConst, {});
        }
        fFragCoordUsed = true;
        fProgram.setFragCoord(fFragCoord);
        return fProgram.make<VariableReference>(n.pos, fFragCoord,
                                                VariableReference::RefKind::Read);
    }
    if (Type::FindBuiltin(n.name)) {
        error(n.pos, "expected '(' to begin constructor invocation");
        return nullptr;
    }
    if (FindIntrinsic(n.name)) {
        error(n.pos, "expected '(' to begin function call");
        return nullptr;
    }
    if (IsReservedName(n.name)) {
        error(n.pos, "name " + quote(n.name) + " is reserved");
        return nullptr;
    }
    error(n.pos, "unknown identifier " + quote(n.name));
    return nullptr;
}

Expression* Checker::literal(const AstNode& n) {
    switch (n.kind) {
        case AstKind::BoolLiteral:
            return fProgram.make<Literal>(n.pos, &Type::Bool(), n.boolValue ? 1.0 : 0.0);
        case AstKind::FloatLiteral:
            if (n.floatValue > FLT_MAX) {
                error(n.pos, "floating-point value is too large: " + std::string(n.name));
                return nullptr;
            }
            return fProgram.make<Literal>(n.pos, &Type::Float(),
                                          static_cast<double>(static_cast<float>(n.floatValue)));
        default:
            if (n.intTooLarge) {
                error(n.pos, "integer is too large: " + std::string(n.name));
                return nullptr;
            }
            if (n.intValue > INT32_MAX) {
                error(n.pos, "value is out of range for type 'int': " +
                                     std::to_string(n.intValue));
                return nullptr;
            }
            return fProgram.make<Literal>(n.pos, &Type::Int(), static_cast<double>(n.intValue));
    }
}

Expression* Checker::binary(const AstNode& n) {
    if (isDisallowedOperator(n.op)) {
        error(n.pos, "operator " + opText(n.op) + " is not allowed");
        return nullptr;
    }
    Expression* left = expression(*n.kids[0]);
    Expression* right = expression(*n.kids[1]);
    if (!left || !right) return nullptr;
    return binary(n.pos, left, n.op, right);
}

Expression* Checker::binary(Position pos, Expression* left, Operator op, Expression* right) {
    const Type& lt = left->type();
    const Type& rt = right->type();
    auto mismatch = [&]() -> Expression* {
        error(pos, "type mismatch: " + opText(op) + " cannot operate on " + quote(lt.name()) +
                           ", " + quote(rt.name()));
        return nullptr;
    };
    auto arrays = [&]() -> Expression* {
        error(pos, "operator " + opText(op) +
                           " can not operate on arrays (or structs containing arrays)");
        return nullptr;
    };

    if (op == Operator::Comma) {
        if (lt.containsArray() || rt.containsArray()) return arrays();
        if (lt.isChild() || rt.isChild()) return mismatch();
        return fProgram.make<BinaryExpression>(pos, &rt, left, op, right);
    }
    if (lt.isChild() || rt.isChild() || lt.isVoid() || rt.isVoid()) return mismatch();

    // Unifies both sides to one type of the same shape; false when neither converts.
    auto unify = [&](Expression*& a, Expression*& b) {
        int ab = coercionCost(*a, b->type());
        int ba = coercionCost(*b, a->type());
        if (ab >= kImpossible && ba >= kImpossible) return false;
        if (ab < ba || (ab == ba && b->type().priority() > a->type().priority())) {
            a = convert(a, b->type());
        } else {
            b = convert(b, a->type());
        }
        return true;
    };

    if (IsAssignment(op)) {
        if (lt.containsArray() || rt.containsArray()) return arrays();
        const Type* resultType = &lt;
        if (op == Operator::Eq) {
            if (coercionCost(*right, lt) >= kImpossible) return mismatch();
            right = convert(right, lt);
        } else {
            // x op= y must be x = x op y with x's type unchanged.
            Operator base = RemoveAssignment(op);
            if (!lt.isNumber() || !rt.isNumber()) return mismatch();
            bool ok = false;
            if (base == Operator::Star && lt.isVector() && rt.isMatrix()) {
                ok = rt.rows() == lt.columns() && rt.columns() == lt.columns();
                if (ok && coercionCost(*right, *rt.withComponent(lt.componentType())) < kImpossible) {
                    right = convert(right, *rt.withComponent(lt.componentType()));
                } else {
                    ok = false;
                }
            } else if (sameShape(lt, rt) || rt.isScalar()) {
                const Type& target = rt.isScalar() ? lt.componentType() : lt;
                if (coercionCost(*right, target) < kImpossible) {
                    right = convert(right, target);
                    ok = true;
                }
            }
            if (!ok) return mismatch();
        }
        if (!makeAssignable(*left, op != Operator::Eq, left->pos())) return nullptr;
        return fProgram.make<BinaryExpression>(pos, resultType, left, op, right);
    }

    if (op == Operator::AmpAmp || op == Operator::PipePipe || op == Operator::CaretCaret) {
        if (&lt != &Type::Bool() || &rt != &Type::Bool()) return mismatch();
        if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, Type::Bool(), *left, op, *right)) {
            return f;
        }
        return fProgram.make<BinaryExpression>(pos, &Type::Bool(), left, op, right);
    }

    if (op == Operator::EqEq || op == Operator::Neq) {
        if (lt.containsArray() || rt.containsArray()) return arrays();
        if (lt.isStruct() || rt.isStruct()) {
            if (&lt != &rt) return mismatch();
        } else if (!unify(left, right)) {
            return mismatch();
        }
        if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, Type::Bool(), *left, op, *right)) {
            return f;
        }
        return fProgram.make<BinaryExpression>(pos, &Type::Bool(), left, op, right);
    }

    if (!lt.isNumber() || !rt.isNumber()) return mismatch();

    if (op == Operator::Lt || op == Operator::Lte || op == Operator::Gt || op == Operator::Gte) {
        if (!lt.isScalar() || !rt.isScalar() || !unify(left, right)) return mismatch();
        if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, Type::Bool(), *left, op, *right)) {
            return f;
        }
        return fProgram.make<BinaryExpression>(pos, &Type::Bool(), left, op, right);
    }

    // Arithmetic.
    const Type* resultType = nullptr;
    if (op == Operator::Star && (lt.isMatrix() || rt.isMatrix()) && !lt.isScalar() &&
        !rt.isScalar()) {
        if (!lt.isFloat() || !rt.isFloat()) return mismatch();
        // Matrix products on float components; the wider component wins.
        const Type& comp = lt.priority() >= rt.priority() ? lt.componentType() : rt.componentType();
        if (lt.isMatrix() && rt.isMatrix()) {
            if (lt.columns() != rt.rows()) return mismatch();
            resultType = &Type::Matrix(comp, rt.columns());
        } else if (lt.isMatrix()) {
            if (lt.columns() != rt.columns()) return mismatch();
            resultType = &Type::Vector(comp, lt.rows());
        } else {
            if (lt.columns() != rt.rows()) return mismatch();
            resultType = &Type::Vector(comp, rt.columns());
        }
        left = convert(left, *lt.withComponent(comp));
        right = convert(right, *rt.withComponent(comp));
    } else if (sameShape(lt, rt)) {
        if (!unify(left, right)) return mismatch();
        resultType = &left->type();
    } else if (lt.isScalar() && !rt.isScalar()) {
        if (coercionCost(*left, rt.componentType()) >= kImpossible) return mismatch();
        left = convert(left, rt.componentType());
        resultType = &rt;
    } else if (rt.isScalar() && !lt.isScalar()) {
        if (coercionCost(*right, lt.componentType()) >= kImpossible) return mismatch();
        right = convert(right, lt.componentType());
        resultType = &lt;
    } else {
        return mismatch();
    }
    if (op == Operator::Slash) {
        std::vector<double> divisor;
        if (ConstantFolder::GetValues(*right, &divisor) &&
            std::find(divisor.begin(), divisor.end(), 0.0) != divisor.end()) {
            error(pos, "division by zero");
            return nullptr;
        }
    }
    if (Expression* f = ConstantFolder::FoldBinary(fProgram, pos, *resultType, *left, op, *right)) {
        return f;
    }
    return fProgram.make<BinaryExpression>(pos, resultType, left, op, right);
}

Expression* Checker::prefix(const AstNode& n) {
    Operator op = n.op;
    if (op == Operator::Tilde) {
        error(n.pos, "operator '~' is not allowed");
        return nullptr;
    }
    const AstNode& operandNode = *n.kids[0];
    if (op == Operator::Minus && operandNode.kind == AstKind::IntLiteral && !operandNode.intTooLarge &&
        operandNode.intValue <= int64_t(INT32_MAX) + 1) {
        // -2147483648 is an int although 2147483648 alone is not.
        return fProgram.make<Literal>(n.pos, &Type::Int(), -static_cast<double>(operandNode.intValue));
    }
    Expression* operand = expression(operandNode);
    if (!operand) return nullptr;
    const Type& t = operand->type();
    auto bad = [&]() -> Expression* {
        error(n.pos, opText(op) + " cannot operate on " + quote(t.name()));
        return nullptr;
    };
    switch (op) {
        case Operator::Plus:
        case Operator::Minus:
            if (!t.isNumber()) return bad();
            if (op == Operator::Plus) return operand;
            break;
        case Operator::Bang:
            if (&t != &Type::Bool()) return bad();
            break;
        case Operator::PlusPlus:
        case Operator::MinusMinus:
            if (!t.isNumber()) return bad();
            if (!makeAssignable(*operand, true, operand->pos())) return nullptr;
            return fProgram.make<PrefixExpression>(n.pos, op, operand);
        default:
            return bad();
    }
    if (Expression* f = ConstantFolder::FoldPrefix(fProgram, n.pos, op, *operand)) return f;
    return fProgram.make<PrefixExpression>(n.pos, op, operand);
}

Expression* Checker::postfix(const AstNode& n) {
    Expression* operand = expression(*n.kids[0]);
    if (!operand) return nullptr;
    if (!operand->type().isNumber()) {
        error(n.pos, opText(n.op) + " cannot operate on " + quote(operand->type().name()));
        return nullptr;
    }
    if (!makeAssignable(*operand, true, operand->pos())) return nullptr;
    return fProgram.make<PostfixExpression>(n.pos, n.op, operand);
}

Expression* Checker::ternary(const AstNode& n) {
    Expression* test = expression(*n.kids[0]);
    Expression* a = expression(*n.kids[1]);
    Expression* b = expression(*n.kids[2]);
    if (!test || !a || !b) return nullptr;
    test = coerce(test, Type::Bool());
    if (!test) return nullptr;
    const Type& at = a->type();
    const Type& bt = b->type();
    if (at.isVoid() || bt.isVoid()) {
        error(n.pos, "ternary expression of type 'void' is not allowed");
        return nullptr;
    }
    if (at.containsArray() || bt.containsArray()) {
        error(n.pos, "ternary operator result may not be an array (or struct containing an array)");
        return nullptr;
    }
    bool ok = false;
    if (&at == &bt && !at.isChild()) {
        ok = true;
    } else if (at.isValue() && bt.isValue()) {
        int ab = coercionCost(*a, bt);
        int ba = coercionCost(*b, at);
        if (ab < kImpossible || ba < kImpossible) {
            if (ab < ba || (ab == ba && bt.priority() > at.priority())) {
                a = convert(a, bt);
            } else {
                b = convert(b, at);
            }
            ok = true;
        }
    }
    if (!ok) {
        error(n.pos, "ternary operator result mismatch: " + quote(at.name()) + ", " +
                             quote(bt.name()));
        return nullptr;
    }
    if (test->is<Literal>()) return test->as<Literal>().value() != 0 ? a : b;
    return fProgram.make<TernaryExpression>(n.pos, test, a, b);
}

bool Checker::makeAssignable(Expression& e, bool read, Position pos) {
    switch (e.kind()) {
        case IRKind::VariableReference: {
            auto& ref = e.as<VariableReference>();
            const Variable& v = ref.variable();
            if (v.isConst() || v.isUniform()) {
                error(pos, "cannot modify immutable variable " + quote(v.name()));
                return false;
            }
            if (v.type().isChild()) {
                error(pos, "cannot assign to this expression");
                return false;
            }
            ref.setRefKind(read ? VariableReference::RefKind::ReadWrite
                                : VariableReference::RefKind::Write);
            return true;
        }
        case IRKind::Swizzle: {
            const auto& s = e.as<Swizzle>();
            int seen = 0;
            for (int8_t c : s.components()) {
                if (c == Swizzle::kZero || c == Swizzle::kOne) {
                    error(pos, "cannot assign to this expression");
                    return false;
                }
                if (seen & (1 << c)) {
                    error(pos, "cannot write to the same swizzle field more than once");
                    return false;
                }
                seen |= 1 << c;
            }
            return makeAssignable(const_cast<Expression&>(s.base()), true, pos);
        }
        case IRKind::Index:
            return makeAssignable(const_cast<Expression&>(e.as<IndexExpression>().base()), true,
                                  pos);
        case IRKind::FieldAccess:
            return makeAssignable(const_cast<Expression&>(e.as<FieldAccess>().base()), true, pos);
        default:
            error(pos, "cannot assign to this expression");
            return false;
    }
}

bool Checker::isConstantIndex(const Expression& e) const {
    switch (e.kind()) {
        case IRKind::Literal:
            return true;
        case IRKind::VariableReference: {
            const Variable& v = e.as<VariableReference>().variable();
            if (v.isConst() && v.constValue()) return true;
            return std::find(fLoopIndices.begin(), fLoopIndices.end(), &v) != fLoopIndices.end();
        }
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            if (IsAssignment(b.op()) || b.op() == Operator::Comma) return false;
            return isConstantIndex(b.left()) && isConstantIndex(b.right());
        }
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            return p.op() != Operator::PlusPlus && p.op() != Operator::MinusMinus &&
                   isConstantIndex(p.operand());
        }
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return isConstantIndex(t.test()) && isConstantIndex(t.ifTrue()) &&
                   isConstantIndex(t.ifFalse());
        }
        case IRKind::Constructor:
            for (const Expression* a : e.as<Constructor>().arguments()) {
                if (!isConstantIndex(*a)) return false;
            }
            return true;
        case IRKind::IntrinsicCall:
            for (const Expression* a : e.as<IntrinsicCall>().arguments()) {
                if (!isConstantIndex(*a)) return false;
            }
            return true;
        case IRKind::Swizzle:
            return isConstantIndex(e.as<Swizzle>().base());
        case IRKind::Index:
            return isConstantIndex(e.as<IndexExpression>().base()) &&
                   isConstantIndex(e.as<IndexExpression>().index());
        case IRKind::FieldAccess:
            return isConstantIndex(e.as<FieldAccess>().base());
        default:
            return false;
    }
}

Expression* Checker::index(const AstNode& n) {
    Expression* base = expression(*n.kids[0]);
    if (!base) return nullptr;
    if (!n.kids[1]) {
        error(n.pos, "missing index in '[]'");
        return nullptr;
    }
    Expression* idx = expression(*n.kids[1]);
    if (!idx) return nullptr;
    const Type& bt = base->type();
    const Type* resultType = nullptr;
    int size = 0;
    if (bt.isArray()) {
        resultType = &bt.elementType();
        size = bt.arraySize();
    } else if (bt.isVector()) {
        resultType = &bt.componentType();
        size = bt.columns();
    } else if (bt.isMatrix()) {
        resultType = &Type::Vector(bt.componentType(), bt.rows());
        size = bt.columns();
    } else {
        error(base->pos(), "expected array, but found " + quote(bt.name()));
        return nullptr;
    }
    idx = coerce(idx, Type::Int());
    if (!idx) return nullptr;
    int64_t k;
    if (ConstantFolder::GetInt(*idx, &k) && (k < 0 || k >= size)) {
        error(idx->pos(), "index " + std::to_string(k) + " out of range for " + quote(bt.name()));
        return nullptr;
    }
    if (!isConstantIndex(*idx)) {
        error(idx->pos(), "index expression must be constant");
        return nullptr;
    }
    return fProgram.make<IndexExpression>(n.pos, resultType, base, idx);
}

Expression* Checker::field(const AstNode& n) {
    Expression* base = expression(*n.kids[0]);
    if (!base) return nullptr;
    const Type& bt = base->type();
    if (bt.isStruct()) {
        const auto& fields = bt.fields();
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].name == n.name) {
                return fProgram.make<FieldAccess>(n.pos, fields[i].type, base, static_cast<int>(i));
            }
        }
    } else if (bt.isScalar() || bt.isVector()) {
        Position maskPos = {n.pos.end - static_cast<int32_t>(n.name.size()), n.pos.end};
        return swizzle(maskPos, base, n.name);
    } else if (bt.isChild()) {
        error(n.pos, "expected '(' to begin method call");
        return nullptr;
    }
    error(n.pos, "type " + quote(bt.name()) + " does not have a field named " + quote(n.name));
    return nullptr;
}

Expression* Checker::swizzle(Position pos, Expression* base, std::string_view mask) {
    if (mask.size() > 4) {
        error(pos, "too many components in swizzle mask");
        return nullptr;
    }
    static constexpr std::string_view kSets[] = {"xyzw", "rgba", "stpq"};
    int set = -1;
    std::vector<int8_t> components;
    bool anyBase = false;
    for (char c : mask) {
        if (c == '0' || c == '1') {
            components.push_back(c == '0' ? Swizzle::kZero : Swizzle::kOne);
            continue;
        }
        int found = -1, foundSet = -1;
        for (int s = 0; s < 3; ++s) {
            size_t k = kSets[s].find(c);
            if (k != std::string_view::npos) {
                found = static_cast<int>(k);
                foundSet = s;
            }
        }
        if (found < 0) {
            error(pos, "invalid swizzle component '" + std::string(1, c) + "'");
            return nullptr;
        }
        if (set >= 0 && foundSet != set) {
            error(pos, "invalid swizzle mask " + quote(mask));
            return nullptr;
        }
        set = foundSet;
        if (found >= base->type().columns()) {
            error(pos, "invalid swizzle component '" + std::string(1, c) + "'");
            return nullptr;
        }
        components.push_back(static_cast<int8_t>(found));
        anyBase = true;
    }
    if (!anyBase) {
        error(pos, "swizzle must refer to base expression");
        return nullptr;
    }
    const Type* t = &Type::Vector(base->type().componentType(), static_cast<int>(components.size()));
    // x.x on a scalar is the scalar itself.
    if (base->type().isScalar() && components.size() == 1) return base;
    return fProgram.make<Swizzle>(Position::Range(base->pos(), pos), t, base,
                                  std::move(components));
}

Expression* Checker::call(const AstNode& n) {
    const AstNode& callee = *n.kids[0];
    std::vector<Expression*> args;
    bool argsOk = true;
    for (size_t i = 1; i < n.kids.size(); ++i) {
        Expression* a = expression(*n.kids[i]);
        if (!a) argsOk = false;
        args.push_back(a);
    }

    if (callee.kind == AstKind::Ident) {
        Symbol* s = fSymbols.find(callee.name);
        if (s && s->kind == Symbol::Kind::Variable) {
            if (!argsOk) return nullptr;
            error(n.pos, "not a function");
            return nullptr;
        }
        const Type* type = s && s->kind == Symbol::Kind::Type ? s->type : nullptr;
        if (!s && !type) type = Type::FindBuiltin(callee.name);
        if (type) {
            if (!argsOk) return nullptr;
            if (type->kind() == Type::Kind::Unsupported) {
                error(callee.pos, "type " + quote(type->name()) + " is not supported");
                return nullptr;
            }
            if (type->kind() == Type::Kind::Invalid || type->isVoid() || type->isChild()) {
                error(callee.pos, "cannot construct " + quote(type->name()));
                return nullptr;
            }
            return construct(n.pos, *type, std::move(args));
        }
        const std::vector<FunctionDeclaration*>* user =
                s && s->kind == Symbol::Kind::Functions ? &s->functions : nullptr;
        if (!user && !FindIntrinsic(callee.name)) {
            // Built-ins of later GLSL versions exist in the language but not for runtime
            // effects: no overload matches.
            static constexpr std::string_view kLaterBuiltins[] = {
                "sinh", "cosh", "tanh", "asinh", "acosh", "atanh", "trunc", "round", "roundEven",
                "modf", "isnan", "isinf", "determinant", "transpose", "outerProduct", "dFdx",
                "dFdy", "fwidth", "floatBitsToInt", "floatBitsToUint", "intBitsToFloat",
                "uintBitsToFloat", "packUnorm2x16", "unpackUnorm2x16", "packSnorm2x16",
                "unpackSnorm2x16", "packHalf2x16", "unpackHalf2x16", "fma", "frexp", "ldexp",
                "bitCount", "findLSB", "findMSB"};
            if (argsOk && std::find(std::begin(kLaterBuiltins), std::end(kLaterBuiltins),
                                    callee.name) != std::end(kLaterBuiltins)) {
                std::string types;
                for (size_t i = 0; i < args.size(); ++i) types += (i ? ", " : "") + args[i]->type().name();
                error(n.pos, "no match for " + std::string(callee.name) + "(" + types + ")");
                return nullptr;
            }
            error(callee.pos, IsReservedName(callee.name)
                                      ? "name " + quote(callee.name) + " is reserved"
                                      : "unknown identifier " + quote(callee.name));
            return nullptr;
        }
        if (!argsOk) return nullptr;
        return callFunction(n.pos, callee.name, user, std::move(args));
    }
    if (callee.kind == AstKind::Index && callee.kids[0]->kind == AstKind::Ident &&
        (Type::FindBuiltin(callee.kids[0]->name) ||
         (fSymbols.find(callee.kids[0]->name) &&
          fSymbols.find(callee.kids[0]->name)->kind == Symbol::Kind::Type))) {
        std::string name = std::string(callee.kids[0]->name) + "[";
        if (callee.kids[1] && callee.kids[1]->kind == AstKind::IntLiteral) {
            name += std::to_string(callee.kids[1]->intValue);
        }
        error(n.pos, "construction of array type '" + name + "]' is not supported");
        return nullptr;
    }
    if (callee.kind == AstKind::Field) {
        Expression* base = expression(*callee.kids[0]);
        if (!base) return nullptr;
        if (base->is<VariableReference>() && base->type().isChild()) {
            if (!argsOk) return nullptr;
            return childCall(n.pos, base->as<VariableReference>().variable(), callee.name,
                             std::move(args));
        }
        if (!field(callee)) return nullptr;
        error(n.pos, "not a function");
        return nullptr;
    }
    if (expression(callee)) error(n.pos, "not a function");
    return nullptr;
}

Expression* Checker::callFunction(Position pos, std::string_view name,
                                  const std::vector<FunctionDeclaration*>* user,
                                  std::vector<Expression*> args) {
    const std::vector<IntrinsicOverload>* intrinsics = FindIntrinsic(name);
    size_t total = (user ? user->size() : 0) + (intrinsics ? intrinsics->size() : 0);

    // One candidate: its own conversions report what is wrong.
    if (total == 1 && user) {
        FunctionDeclaration* f = (*user)[0];
        if (f->parameters().size() != args.size()) {
            size_t want = f->parameters().size();
            error(pos, "call to " + quote(name) + " expected " + std::to_string(want) +
                               (want == 1 ? " argument" : " arguments") + ", but found " +
                               std::to_string(args.size()));
            return nullptr;
        }
    }

    int bestCost = kImpossible;
    FunctionDeclaration* bestUser = nullptr;
    const IntrinsicOverload* bestIntrinsic = nullptr;
    if (user) {
        for (FunctionDeclaration* f : *user) {
            if (f->parameters().size() != args.size()) continue;
            int cost = 0;
            for (size_t i = 0; i < args.size() && cost < kImpossible; ++i) {
                const Variable* p = f->parameters()[i];
                int c = coercionCost(*args[i], p->type());
                if ((p->flags() & Variable::kOut) && c != 0) c = kImpossible;
                cost += c;
            }
            if (cost < bestCost) {
                bestCost = cost;
                bestUser = f;
            }
        }
    }
    if (intrinsics) {
        for (const IntrinsicOverload& o : *intrinsics) {
            if (o.params.size() != args.size()) continue;
            int cost = 0;
            for (size_t i = 0; i < args.size() && cost < kImpossible; ++i) {
                cost += coercionCost(*args[i], *o.params[i]);
            }
            if (cost < bestCost) {
                bestCost = cost;
                bestUser = nullptr;
                bestIntrinsic = &o;
            }
        }
    }
    if (bestCost >= kImpossible) {
        if (total == 1 && user) {
            // Report the first argument that does not fit, as a conversion would.
            FunctionDeclaration* f = (*user)[0];
            for (size_t i = 0; i < args.size(); ++i) {
                const Variable* p = f->parameters()[i];
                if (p->flags() & Variable::kOut) {
                    if (&args[i]->type() != &p->type()) {
                        error(args[i]->pos(), "cannot assign to this expression");
                        return nullptr;
                    }
                } else if (!coerce(args[i], p->type())) {
                    return nullptr;
                }
            }
        }
        std::string types;
        for (size_t i = 0; i < args.size(); ++i) {
            types += (i ? ", " : "") + args[i]->type().name();
        }
        error(pos, "no match for " + std::string(name) + "(" + types + ")");
        return nullptr;
    }

    if (bestIntrinsic) {
        for (size_t i = 0; i < args.size(); ++i) args[i] = convert(args[i], *bestIntrinsic->params[i]);
        return fProgram.make<IntrinsicCall>(pos, bestIntrinsic->returnType,
                                            bestIntrinsic->intrinsic, std::move(args));
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const Variable* p = bestUser->parameters()[i];
        if (p->flags() & Variable::kOut) {
            if (!makeAssignable(*args[i], (p->flags() & Variable::kIn) != 0, args[i]->pos())) {
                return nullptr;
            }
        } else {
            args[i] = convert(args[i], p->type());
        }
    }
    fCalls[fCurrentFunction].insert(bestUser);
    fCallSites.emplace_back(bestUser, pos);
    return fProgram.make<FunctionCall>(pos, bestUser, std::move(args));
}

Expression* Checker::childCall(Position pos, const Variable& child, std::string_view method,
                               std::vector<Expression*> args) {
    const Type& t = child.type();
    if (method != "eval") {
        error(pos, "type " + quote(t.name()) + " has no method named " + quote(method));
        return nullptr;
    }
    const Type& float2 = Type::Vector(Type::Float(), 2);
    const Type& half4 = Type::Vector(Type::Half(), 4);
    std::vector<const Type*> want;
    if (t.kind() == Type::Kind::Shader) {
        want = {&float2};
    } else if (t.kind() == Type::Kind::ColorFilter) {
        want = {&half4};
    } else {
        want = {&half4, &half4};
    }
    bool ok = args.size() == want.size();
    for (size_t i = 0; ok && i < args.size(); ++i) {
        ok = coercionCost(*args[i], *want[i]) < kImpossible;
    }
    if (!ok) {
        std::string types;
        for (size_t i = 0; i < args.size(); ++i) types += (i ? ", " : "") + args[i]->type().name();
        error(pos, "no match for " + t.name() + "::eval(" + types + ")");
        return nullptr;
    }
    for (size_t i = 0; i < args.size(); ++i) args[i] = convert(args[i], *want[i]);
    return fProgram.make<ChildCall>(pos, &half4, &child, std::move(args));
}

Expression* Checker::construct(Position pos, const Type& type, std::vector<Expression*> args) {
    auto badArgCount = [&](int found) -> Expression* {
        error(pos, "invalid arguments to " + quote(type.name()) + " constructor (expected " +
                           std::to_string(type.slotCount()) + " scalars, but found " +
                           std::to_string(found) + ")");
        return nullptr;
    };
    if (type.isStruct()) {
        const auto& fields = type.fields();
        if (args.size() != fields.size()) {
            error(pos, "invalid arguments to " + quote(type.name()) + " constructor (expected " +
                               std::to_string(fields.size()) + " elements, but found " +
                               std::to_string(args.size()) + ")");
            return nullptr;
        }
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i]->type().containsArray()) {
                error(args[i]->pos(), "construction of structs containing arrays is not supported");
                return nullptr;
            }
            args[i] = coerce(args[i], *fields[i].type);
            if (!args[i]) return nullptr;
        }
        return fProgram.make<Constructor>(pos, &type, Constructor::Form::Struct, std::move(args));
    }
    for (Expression* a : args) {
        if (!a->type().isValue()) {
            error(a->pos(), quote(a->type().name()) + " is not a valid parameter to " +
                                    quote(type.name()) + " constructor");
            return nullptr;
        }
    }
    const Type& comp = type.componentType();
    if (type.isScalar()) {
        if (args.size() != 1) {
            error(pos, "invalid arguments to " + quote(type.name()) +
                               " constructor, (expected exactly 1 argument, but found " +
                               std::to_string(args.size()) + ")");
            return nullptr;
        }
        if (!args[0]->type().isScalar()) {
            error(args[0]->pos(), quote(args[0]->type().name()) + " is not a valid parameter to " +
                                          quote(type.name()) + " constructor; use '.x' instead");
            return nullptr;
        }
        return cast(args[0], type);
    }
    if (args.size() == 1) {
        Expression* a = args[0];
        const Type& at = a->type();
        if (at.isScalar()) {
            a = cast(a, comp);
            if (!a) return nullptr;
            return fProgram.make<Constructor>(pos, &type,
                                              type.isVector() ? Constructor::Form::Splat
                                                              : Constructor::Form::DiagonalMatrix,
                                              std::vector<Expression*>{a});
        }
        if (sameShape(at, type)) return cast(a, type);
        if (at.isMatrix() && type.isMatrix()) {
            a = cast(a, *at.withComponent(comp));
            if (!a) return nullptr;
            return fProgram.make<Constructor>(pos, &type, Constructor::Form::MatrixResize,
                                              std::vector<Expression*>{a});
        }
        if (at.isVector() && type.isVector() && at.columns() > type.columns()) {
            static constexpr const char* kMasks[] = {"", ".x", ".xy", ".xyz"};
            error(a->pos(), quote(at.name()) + " is not a valid parameter to " +
                                    quote(type.name()) + " constructor; use '" +
                                    kMasks[type.columns()] + "' instead");
            return nullptr;
        }
        if (at.slotCount() != type.slotCount()) return badArgCount(at.slotCount());
        const Type* converted = at.withComponent(comp);
        if (!converted) {
            error(a->pos(), quote(at.name()) + " is not a valid parameter to " + quote(type.name()) +
                                    " constructor");
            return nullptr;
        }
        a = cast(a, *converted);
        if (!a) return nullptr;
        return fProgram.make<Constructor>(pos, &type, Constructor::Form::Compound,
                                          std::vector<Expression*>{a});
    }
    int total = 0;
    for (Expression*& a : args) {
        if (a->type().isMatrix()) {
            error(a->pos(), quote(a->type().name()) + " is not a valid parameter to " +
                                    quote(type.name()) + " constructor");
            return nullptr;
        }
        total += a->type().slotCount();
        a = cast(a, *a->type().withComponent(comp));
        if (!a) return nullptr;
    }
    if (total != type.slotCount()) return badArgCount(total);
    return fProgram.make<Constructor>(pos, &type, Constructor::Form::Compound, std::move(args));
}

}  // namespace plix::sksl
