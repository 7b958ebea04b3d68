// The type checker, part 2: statements, with the loop rules of runtime effects.
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
    if (!base || !checkPrecision(n.mods, *base, n.pos)) return;
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

}  // namespace plix::sksl
