// The type checker, part 4: calls of functions, built-ins and children, and constructors.
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
#include <functional>

namespace plix::sksl {

using namespace check;

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
        if (at.isMatrix() && type.isVector()) {
            if (at.slotCount() != type.slotCount()) {
                error(a->pos(), quote(at.name()) + " is not a valid parameter to " +
                                        quote(type.name()) + " constructor");
                return nullptr;
            }
            // The matrix's components in column order, then converted like any vector
            // (int4(half2x2(...)) has no int matrix to pass through).
            const Type& flat = Type::Vector(at.componentType(), at.slotCount());
            Expression* v = fProgram.make<Constructor>(pos, &flat, Constructor::Form::Compound,
                                                       std::vector<Expression*>{a});
            return cast(v, type);
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
