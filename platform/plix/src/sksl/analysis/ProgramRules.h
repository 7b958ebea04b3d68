// Whole-statement analyses the checker runs once a construct is complete.
#pragma once

#include <string>
#include <vector>

namespace plix::sksl {

class Statement;
class Variable;

namespace ProgramRules {

// True when every path through s ends in a return.
bool AlwaysReturns(const Statement& s);

// True when s writes v (assignment, ++/--, or an out argument).
bool Writes(const Statement& s, const Variable& v);

// True when s holds a break that leaves the innermost loop or switch around s.
bool HasBreak(const Statement& s);

}  // namespace ProgramRules
}  // namespace plix::sksl
