// What the lowering asks of statements and expressions: side effects, early returns, jumps.
#include "sksl/codegen/Lowerer.h"

#include "sksl/StackGuard.h"
#include "sksl/analysis/ConstantFolder.h"
#include "sksl/analysis/ProgramRules.h"
#include "sksl/codegen/MatrixInverse.h"
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
#include "sksl/ir/Program.h"
#include "sksl/ir/Swizzle.h"
#include "sksl/ir/SwitchStatement.h"
#include "sksl/ir/TernaryExpression.h"
#include "sksl/ir/UnaryExpression.h"
#include "sksl/ir/VarDeclaration.h"
#include "sksl/ir/VariableReference.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <numbers>
#include <unordered_map>

namespace plix::sksl::lowering {

// Walks the type with a list of its own: arrays and structs may nest deeper than the stack.
void slotKinds(const Type& t, std::vector<NumberKind>& out) {
    std::vector<const Type*> todo{&t};
    while (!todo.empty()) {
        const Type* u = todo.back();
        todo.pop_back();
        if (u->isArray()) {
            for (int i = 0; i < u->arraySize(); ++i) todo.push_back(&u->elementType());
        } else if (u->isStruct()) {
            const auto& fields = u->fields();
            for (auto f = fields.rbegin(); f != fields.rend(); ++f) todo.push_back(f->type);
        } else {
            for (int i = 0; i < u->slotCount(); ++i) out.push_back(u->numberKind());
        }
    }
}

bool isContiguous(const Value& v) {
    for (size_t i = 1; i < v.size(); ++i) {
        if (v[i] != v[0] + static_cast<int32_t>(i)) return false;
    }
    return true;
}


bool Effects::functionWritesOutside(const FunctionDeclaration& f) {
    int& m = fMemo[&f];
    if (m == 1 || m == 3) return false;
    if (m == 2) return true;
    for (const Variable* p : f.parameters()) {
        if (p->flags() & Variable::kOut) return (m = 2), true;
    }
    m = 3;
    bool children = fChildren;
    fChildren = false;
    bool writes = f.definition() && statement(f.definition()->body());
    fChildren = children;
    fMemo[&f] = writes ? 2 : 1;
    return writes;
}

bool Effects::statement(const Statement& s) {
    if (!StackHasRoom()) throw TooDeep{s.pos()};
    switch (s.kind()) {
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                if (statement(*c)) return true;
            }
            return false;
        case IRKind::VarDeclaration:
            return s.as<VarDeclaration>().value() && expr(*s.as<VarDeclaration>().value(), false);
        case IRKind::ExpressionStatement:
            return expr(s.as<ExpressionStatement>().expression(), false);
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return expr(i.test(), false) || statement(i.then()) ||
                   (i.otherwise() && statement(*i.otherwise()));
        }
        case IRKind::For: {
            const auto& f = s.as<ForStatement>();
            return statement(f.body());
        }
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (statement(*st)) return true;
                }
            }
            return expr(s.as<SwitchStatement>().value(), false);
        case IRKind::Return:
            return s.as<ReturnStatement>().value() && expr(*s.as<ReturnStatement>().value(), false);
        default:
            return false;
    }
}

bool writesGlobal(const Expression& target) {
    const Expression* e = &target;
    for (;;) {
        if (e->is<VariableReference>()) {
            return e->as<VariableReference>().variable().storage() == Variable::Storage::Global;
        }
        if (e->is<Swizzle>()) e = &e->as<Swizzle>().base();
        else if (e->is<IndexExpression>()) e = &e->as<IndexExpression>().base();
        else if (e->is<FieldAccess>()) e = &e->as<FieldAccess>().base();
        else return false;
    }
}

bool Effects::expr(const Expression& e, bool locals) {
    if (!StackHasRoom()) throw TooDeep{e.pos()};
    switch (e.kind()) {
        case IRKind::Binary: {
            const auto& b = e.as<BinaryExpression>();
            if (IsAssignment(b.op()) && (locals || writesGlobal(b.left()))) return true;
            return expr(b.left(), locals) || expr(b.right(), locals);
        }
        case IRKind::Prefix: {
            const auto& p = e.as<PrefixExpression>();
            bool writes = p.op() == Operator::PlusPlus || p.op() == Operator::MinusMinus;
            if (writes && (locals || writesGlobal(p.operand()))) return true;
            return expr(p.operand(), locals);
        }
        case IRKind::Postfix:
            return locals || writesGlobal(e.as<PostfixExpression>().operand());
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return expr(t.test(), locals) || expr(t.ifTrue(), locals) || expr(t.ifFalse(), locals);
        }
        case IRKind::FunctionCall: {
            const auto& c = e.as<FunctionCall>();
            if (fChildren || functionWritesOutside(c.function())) return true;
            for (const Expression* a : c.arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        }
        case IRKind::IntrinsicCall:
            for (const Expression* a : e.as<IntrinsicCall>().arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        case IRKind::ChildCall:
            if (fChildren) return true;
            for (const Expression* a : e.as<ChildCall>().arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        case IRKind::Constructor:
            for (const Expression* a : e.as<Constructor>().arguments()) {
                if (expr(*a, locals)) return true;
            }
            return false;
        case IRKind::Swizzle:
            return expr(e.as<Swizzle>().base(), locals);
        case IRKind::Index:
            return expr(e.as<IndexExpression>().base(), locals) ||
                   expr(e.as<IndexExpression>().index(), locals);
        case IRKind::FieldAccess:
            return expr(e.as<FieldAccess>().base(), locals);
        default:
            return false;
    }
}

bool returnsEarly(const Statement& s, bool last) {
    switch (s.kind()) {
        case IRKind::Return:
            return !last;
        case IRKind::Block: {
            const auto& list = s.as<Block>().statements();
            for (size_t i = 0; i < list.size(); ++i) {
                bool isLast = last && i + 1 == list.size();
                if (list[i]->is<ReturnStatement>()) return !isLast;
                if (returnsEarly(*list[i], isLast)) return true;
            }
            return false;
        }
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return returnsEarly(i.then(), false) || (i.otherwise() && returnsEarly(*i.otherwise(), false));
        }
        case IRKind::For:
            return returnsEarly(s.as<ForStatement>().body(), false);
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (returnsEarly(*st, false)) return true;
                }
            }
            return false;
        default:
            return false;
    }
}

bool hasContinue(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Continue:
            return true;
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                if (hasContinue(*c)) return true;
            }
            return false;
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return hasContinue(i.then()) || (i.otherwise() && hasContinue(*i.otherwise()));
        }
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (hasContinue(*st)) return true;
                }
            }
            return false;
        default:
            return false;  // a nested loop owns its continues
    }
}


bool hasJump(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Break:
        case IRKind::Continue:
        case IRKind::Return:
            return true;
        case IRKind::Block:
            for (const Statement* c : s.as<Block>().statements()) {
                if (hasJump(*c)) return true;
            }
            return false;
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return hasJump(i.then()) || (i.otherwise() && hasJump(*i.otherwise()));
        }
        case IRKind::For:
            return hasJump(s.as<ForStatement>().body());
        case IRKind::Switch:
            for (const auto& c : s.as<SwitchStatement>().cases()) {
                for (const Statement* st : c.statements) {
                    if (hasJump(*st)) return true;
                }
            }
            return false;
        default:
            return false;
    }
}

}  // namespace plix::sksl::lowering
