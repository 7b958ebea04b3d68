#include "sksl/analysis/ProgramRules.h"

#include "sksl/analysis/ConstantFolder.h"

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
#include "sksl/ir/Swizzle.h"
#include "sksl/ir/SwitchStatement.h"
#include "sksl/ir/TernaryExpression.h"
#include "sksl/ir/UnaryExpression.h"
#include "sksl/ir/VarDeclaration.h"
#include "sksl/ir/VariableReference.h"

namespace plix::sksl::ProgramRules {

bool AlwaysReturns(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Return:
            return true;
        case IRKind::Block:
            for (const Statement* child : s.as<Block>().statements()) {
                if (AlwaysReturns(*child)) return true;
            }
            return false;
        case IRKind::If: {
            // A constant test takes one branch only ("if (true) return x;").
            const auto& i = s.as<IfStatement>();
            std::vector<double> test;
            if (ConstantFolder::GetValues(i.test(), &test) && test.size() == 1) {
                if (test[0] != 0) return AlwaysReturns(i.then());
                return i.otherwise() && AlwaysReturns(*i.otherwise());
            }
            return i.otherwise() && AlwaysReturns(i.then()) && AlwaysReturns(*i.otherwise());
        }
        case IRKind::For: {
            // A loop that surely runs once and whose body returns without leaving early.
            const auto& f = s.as<ForStatement>();
            return f.maxIterations() > 0 && AlwaysReturns(f.body()) && !HasBreak(f.body());
        }
        case IRKind::Switch: {
            const auto& sw = s.as<SwitchStatement>();
            int64_t value;
            if (ConstantFolder::GetInt(sw.value(), &value)) {
                // A constant value enters at its case (or the default) and falls through.
                const auto& cases = sw.cases();
                size_t k = 0;
                while (k < cases.size() && (cases[k].isDefault || cases[k].value != value)) ++k;
                if (k == cases.size()) {
                    k = 0;
                    while (k < cases.size() && !cases[k].isDefault) ++k;
                }
                for (; k < cases.size(); ++k) {
                    for (const Statement* st : cases[k].statements) {
                        if (AlwaysReturns(*st)) return true;
                        if (HasBreak(*st)) return false;
                    }
                }
                return false;
            }
            bool hasDefault = false;
            for (const auto& c : sw.cases()) {
                hasDefault |= c.isDefault;
                for (const Statement* st : c.statements) {
                    if (HasBreak(*st)) return false;
                }
            }
            if (!hasDefault || sw.cases().empty()) return false;
            for (const Statement* st : sw.cases().back().statements) {
                if (AlwaysReturns(*st)) return true;
            }
            return false;
        }
        default:
            return false;
    }
}

bool HasBreak(const Statement& s) {
    switch (s.kind()) {
        case IRKind::Break:
            return true;
        case IRKind::Block:
            for (const Statement* child : s.as<Block>().statements()) {
                if (HasBreak(*child)) return true;
            }
            return false;
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return HasBreak(i.then()) || (i.otherwise() && HasBreak(*i.otherwise()));
        }
        default:  // loops and switches own the breaks inside them
            return false;
    }
}

namespace {

bool exprWrites(const Expression& e, const Variable& v) {
    switch (e.kind()) {
        case IRKind::VariableReference: {
            const auto& r = e.as<VariableReference>();
            return &r.variable() == &v && r.refKind() != VariableReference::RefKind::Read;
        }
        case IRKind::Binary:
            return exprWrites(e.as<BinaryExpression>().left(), v) ||
                   exprWrites(e.as<BinaryExpression>().right(), v);
        case IRKind::Prefix:
            return exprWrites(e.as<PrefixExpression>().operand(), v);
        case IRKind::Postfix:
            return exprWrites(e.as<PostfixExpression>().operand(), v);
        case IRKind::Ternary: {
            const auto& t = e.as<TernaryExpression>();
            return exprWrites(t.test(), v) || exprWrites(t.ifTrue(), v) ||
                   exprWrites(t.ifFalse(), v);
        }
        case IRKind::FunctionCall:
            for (const Expression* a : e.as<FunctionCall>().arguments()) {
                if (exprWrites(*a, v)) return true;
            }
            return false;
        case IRKind::IntrinsicCall:
            for (const Expression* a : e.as<IntrinsicCall>().arguments()) {
                if (exprWrites(*a, v)) return true;
            }
            return false;
        case IRKind::ChildCall:
            for (const Expression* a : e.as<ChildCall>().arguments()) {
                if (exprWrites(*a, v)) return true;
            }
            return false;
        case IRKind::Constructor:
            for (const Expression* a : e.as<Constructor>().arguments()) {
                if (exprWrites(*a, v)) return true;
            }
            return false;
        case IRKind::Swizzle:
            return exprWrites(e.as<Swizzle>().base(), v);
        case IRKind::Index:
            return exprWrites(e.as<IndexExpression>().base(), v) ||
                   exprWrites(e.as<IndexExpression>().index(), v);
        case IRKind::FieldAccess:
            return exprWrites(e.as<FieldAccess>().base(), v);
        default:
            return false;
    }
}

}  // namespace

bool Writes(const Statement& s, const Variable& v) {
    switch (s.kind()) {
        case IRKind::Block:
            for (const Statement* child : s.as<Block>().statements()) {
                if (Writes(*child, v)) return true;
            }
            return false;
        case IRKind::VarDeclaration: {
            const Expression* value = s.as<VarDeclaration>().value();
            return value && exprWrites(*value, v);
        }
        case IRKind::ExpressionStatement:
            return exprWrites(s.as<ExpressionStatement>().expression(), v);
        case IRKind::If: {
            const auto& i = s.as<IfStatement>();
            return exprWrites(i.test(), v) || Writes(i.then(), v) ||
                   (i.otherwise() && Writes(*i.otherwise(), v));
        }
        case IRKind::For: {
            const auto& f = s.as<ForStatement>();
            return Writes(f.initializer(), v) || exprWrites(f.test(), v) ||
                   exprWrites(f.next(), v) || Writes(f.body(), v);
        }
        case IRKind::Switch: {
            const auto& sw = s.as<SwitchStatement>();
            if (exprWrites(sw.value(), v)) return true;
            for (const auto& c : sw.cases()) {
                for (const Statement* st : c.statements) {
                    if (Writes(*st, v)) return true;
                }
            }
            return false;
        }
        case IRKind::Return: {
            const Expression* value = s.as<ReturnStatement>().value();
            return value && exprWrites(*value, v);
        }
        default:
            return false;
    }
}

}  // namespace plix::sksl::ProgramRules
