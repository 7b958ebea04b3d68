// for (init; test; next) body, in the restricted form that guarantees termination: one loop
// index initialised with a constant, compared with a constant, stepped by a constant and never
// written in the body. maxIterations bounds how often the body can run.
#pragma once

#include "sksl/ir/IRNode.h"
#include "sksl/ir/Symbols.h"

namespace plix::sksl {

class ForStatement final : public Statement {
public:
    static constexpr IRKind kKind = IRKind::For;
    ForStatement(Position pos, const Statement* init, const Expression* test,
                 const Expression* next, const Statement* body, const Variable* index,
                 int maxIterations)
            : Statement(kKind, pos), fInit(init), fTest(test), fNext(next), fBody(body),
              fIndex(index), fMaxIterations(maxIterations) {}
    const Statement& initializer() const { return *fInit; }
    const Expression& test() const { return *fTest; }
    const Expression& next() const { return *fNext; }
    const Statement& body() const { return *fBody; }
    const Variable& index() const { return *fIndex; }
    int maxIterations() const { return fMaxIterations; }

private:
    const Statement* fInit;
    const Expression* fTest;
    const Expression* fNext;
    const Statement* fBody;
    const Variable* fIndex;
    int fMaxIterations;
};

}  // namespace plix::sksl
