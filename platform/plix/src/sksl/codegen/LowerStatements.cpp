// Lowering of statements: blocks, declarations, if, for, switch and the jumps.
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

void Lowerer::statement(const Statement& s) {
    if (!StackHasRoom()) throw TooDeep{s.pos()};
    int32_t mark = fTop;
    switch (s.kind()) {
        case IRKind::Block: {
            // A jump inside ("{ return x; } y = 1;") narrows the masks; what follows the
            // block must run with the narrowed ones.
            const int writes = fMaskWrites;
            block(s.as<Block>());
            if (fMaskWrites != writes) refreshExec();
            break;
        }
        case IRKind::VarDeclaration:
            varDeclaration(s.as<VarDeclaration>());
            return;  // the variable stays allocated until its block ends
        case IRKind::ExpressionStatement: {
            const Expression& e = s.as<ExpressionStatement>().expression();
            if (fEffects.expression(e)) expr(e);
            break;
        }
        case IRKind::If:
            ifStatement(s.as<IfStatement>());
            break;
        case IRKind::For:
            forStatement(s.as<ForStatement>());
            break;
        case IRKind::Switch:
            switchStatement(s.as<SwitchStatement>());
            break;
        // After a jump nothing more of its block runs; the construct around it brings its own
        // mask up to date when it ends.
        case IRKind::Break:
            emit(Op::bit_andnot, fMask.loop, fMask.loop, fMask.exec);
            ++fMaskWrites;
            break;
        case IRKind::Continue:
            emit(Op::bit_or, fMask.cont, fMask.cont, fMask.exec);
            emit(Op::bit_andnot, fMask.loop, fMask.loop, fMask.exec);
            ++fMaskWrites;
            break;
        case IRKind::Return:
            returnStatement(s.as<ReturnStatement>());
            break;
        default:
            break;
    }
    release(mark);
}

void Lowerer::block(const Block& b) {
    int32_t mark = fTop;
    for (const Statement* s : b.statements()) {
        statement(*s);
        // Whatever follows a jump in the same block never runs.
        if (s->is<ReturnStatement>() || s->is<BreakStatement>() || s->is<ContinueStatement>()) {
            break;
        }
    }
    release(mark);
}

void Lowerer::varDeclaration(const VarDeclaration& d) {
    const Variable& v = d.variable();
    const int n = v.type().slotCount();
    // A const with a constant value is read as constants wherever it is used.
    if (!constantValue(v).empty()) return;
    if (d.value() && n > 0) {
        // A value computed into fresh slots of its own becomes the variable: no copy.
        int32_t mark = fTop;
        Value value = expr(*d.value());
        bool fresh = isContiguous(value) && static_cast<int>(value.size()) == n;
        for (int32_t s : value) fresh = fresh && isScratch(s, mark);
        if (fresh) {
            release(value[0] + n);
            fVars[&v] = {value[0], fDepth};
            markVariable(value[0], n);
            return;
        }
        int32_t base = declare(v);
        Value dst;
        for (int i = 0; i < n; ++i) dst.push_back(base + i);
        elementwise(Op::copy, dst, value);
        return;
    }
    int32_t base = declare(v);
    int32_t mark = fTop;
    Value dst;
    for (int i = 0; i < n; ++i) dst.push_back(base + i);
    if (d.value()) {
        elementwise(Op::copy, dst, expr(*d.value()));
    } else {
        // Variables start at zero so every run of a program is repeatable.
        std::vector<NumberKind> kinds;
        slotKinds(v.type(), kinds);
        Value zeros;
        for (NumberKind k : kinds) zeros.push_back(constZero(k));
        elementwise(Op::copy, dst, zeros);
    }
    release(mark);
}

void Lowerer::ifStatement(const IfStatement& s) {
    if (s.test().is<Literal>()) {
        // "if (true) return x;": the branch runs in place, and a jump in it narrows the
        // masks for what follows, as it does after a real branch.
        const int writes = fMaskWrites;
        if (s.test().as<Literal>().value() != 0) {
            statement(s.then());
        } else if (s.otherwise()) {
            statement(*s.otherwise());
        }
        if (fMaskWrites != writes) refreshExec();
        return;
    }
    // The branches may change what the test read; keep the test's own copy.
    int32_t mark = fTop;
    Value t = materializeIfStorage(expr(s.test()));
    Mask saved = fMask;
    // The branch's condition includes the lanes running now, so it is also the branch's
    // execution mask; a break, continue or return inside narrows it in place.
    const int32_t outer = saved.exec;
    const bool jumps = hasJump(s.then()) || (s.otherwise() && hasJump(*s.otherwise()));
    int32_t cond;
    if (outer == -1 && !jumps && isScratch(t[0], mark)) {
        cond = t[0];  // the test's own slot; the else branch turns it around in place
    } else {
        cond = alloc(1);
        if (outer == -1) {
            emit(Op::copy, cond, t[0]);
        } else {
            emit(Op::bit_and, cond, outer, t[0]);
        }
    }
    fMask.cond = cond;
    fMask.exec = cond;
    const int writes = fMaskWrites;
    ++fDepth;
    int skipThen = emit(Op::branch_if_none, -1, cond);
    statement(s.then());
    patch(skipThen);
    if (s.otherwise()) {
        // Both branches run, each for its own lanes (and is skipped when it has none). Lanes
        // that left the loop or returned in the then-branch were never else-lanes.
        if (outer == -1) {
            emit(Op::bit_not, cond, t[0]);
        } else {
            emit(Op::bit_andnot, cond, outer, t[0]);
        }
        int skipOtherwise = emit(Op::branch_if_none, -1, cond);
        statement(*s.otherwise());
        patch(skipOtherwise);
    }
    --fDepth;
    fMask = saved;
    if (fMaskWrites != writes) refreshExec();
}

void Lowerer::forStatement(const ForStatement& s) {
    // The index is lane-uniform: initialise and step it in every lane.
    Mask saved = fMask;
    int savedDepth = fDepth;
    fMask = Mask{};
    statement(s.initializer());
    fMask = saved;
    if (s.maxIterations() == 0) return;

    int counter = fLoopDepth++;
    fOut.counterCount = std::max(fOut.counterCount, fLoopDepth);
    // The loop mask starts as the lanes running now, so it is the loop's execution mask too;
    // returns inside fold the return mask into it in place.
    int32_t loop = alloc(1);
    emit(Op::copy, loop, execOrAll());
    fMask.cond = -1;
    fMask.loop = loop;
    fMask.exec = loop;
    fMask.cont = -1;
    if (hasContinue(s.body())) {
        fMask.cont = alloc(1);
        emit(Op::copy, fMask.cont, constI(0));
    }
    ++fDepth;
    SiteScope site(fSite, s.pos());
    emit(Op::counter_set, counter, s.maxIterations());
    const uint64_t outerMultiplier = fMultiplier;
    fMultiplier = std::min<uint64_t>(fMultiplier * static_cast<uint64_t>(s.maxIterations()),
                                     kMaxCost + 1);
    int top = static_cast<int>(fOut.code.size());
    {
        int32_t mark = fTop;
        Value t = expr(s.test());
        emit(Op::bit_and, loop, loop, t[0]);
        release(mark);
    }
    refreshExec();
    int exit = emit(Op::branch_if_none, -1, fMask.exec);
    statement(s.body());
    if (fMask.cont != -1) {
        emit(Op::bit_or, loop, loop, fMask.cont);
        emit(Op::copy, fMask.cont, constI(0));
    }
    {
        Mask inLoop = fMask;
        fMask = Mask{};
        int32_t mark = fTop;
        expr(s.next());
        release(mark);
        fMask = inLoop;
    }
    emit(Op::counter_loop, counter, top);
    fMultiplier = outerMultiplier;
    patch(exit);
    --fLoopDepth;
    fDepth = savedDepth;
    fMask = saved;
    refreshExec();
}

void Lowerer::switchStatement(const SwitchStatement& s) {
    Value v = materializeIfStorage(expr(s.value()));
    Mask saved = fMask;
    // The switch is a loop that runs once: break drops lanes from its mask.
    int32_t lanes = alloc(1);
    emit(Op::copy, lanes, execOrAll());
    int32_t matched = alloc(1);
    emit(Op::copy, matched, constI(0));
    int32_t test = alloc(1);
    fMask.cond = matched;
    fMask.loop = lanes;
    fMask.cont = -1;
    enterExec();
    ++fDepth;
    int32_t mark = fTop;
    for (const auto& c : s.cases()) {
        if (c.isDefault) {
            // Lanes that match no case.
            emit(Op::copy, test, constI(-1));
            for (const auto& other : s.cases()) {
                if (other.isDefault) continue;
                int32_t eq = alloc(1);
                emit(Op::eq_i, eq, v[0], constI(other.value));
                emit(Op::bit_andnot, test, test, eq);
            }
        } else {
            emit(Op::eq_i, test, v[0], constI(c.value));
        }
        emit(Op::bit_or, matched, matched, test);
        refreshExec();
        int skip = emit(Op::branch_if_none, -1, fMask.exec);
        for (const Statement* st : c.statements) {
            statement(*st);
            if (st->is<ReturnStatement>() || st->is<BreakStatement>()) break;
        }
        patch(skip);
    }
    release(mark);
    --fDepth;
    fMask = saved;
    refreshExec();
}

void Lowerer::returnStatement(const ReturnStatement& s) {
    // The value may call functions, which push frames; look at ours only afterwards.
    Value v;
    if (s.value()) v = expr(*s.value());
    Frame& frame = fFrames.back();
    if (s.value()) {
        Access target;
        target.base = frame.ret.empty() ? 0 : frame.ret[0];
        for (size_t i = 0; i < frame.ret.size(); ++i) target.offsets.push_back(static_cast<int32_t>(i));
        target.depth = frame.depth;
        store(target, v);
    }
    if (frame.retMask != -1 && fMask.exec != -1) {
        emit(Op::bit_andnot, frame.retMask, frame.retMask, fMask.exec);
        ++fMaskWrites;
        // Once every lane has returned, the rest of the function has nothing to do: its
        // stores are all masked off.
        frame.exits.push_back(emit(Op::branch_if_none, -1, frame.retMask));
    }
}

}  // namespace plix::sksl::lowering
