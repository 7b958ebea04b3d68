// Lowers a checked program to a SlotProgram. Every value becomes a list of slots; functions are
// inlined; if/for/switch/return become lane masks:
//   exec = cond & loop & ret
// where cond narrows inside branches, loop drops lanes that broke or continued, and ret drops
// lanes that returned. Stores to variables that outlive the current mask are masked; branches
// and loops are skipped when no lane is active. Loop indices are the same in every lane (they
// start, step and compare by constants), which is what lets indexing by them read lane 0.
#pragma once

#include "sksl/Position.h"
#include "sksl/codegen/SlotProgram.h"

#include <string>

namespace plix::sksl {

class Program;
class Variable;

// Limits that keep a pathological program (say, a chain of functions each calling the next
// twice) from taking unbounded memory.
constexpr int kMaxInstructions = 1 << 20;
constexpr int kMaxSlots = 1 << 17;  // 32 MB of registers at 64 pixels a batch
// Most instructions one batch may run, with every loop running its full count: nested loops
// multiply, so a program the loop rules accept could otherwise run for hours.
constexpr uint64_t kMaxCost = 1 << 24;

// Fills *out, or returns false with a message (program too large or too expensive, or calls
// nested too deep) and, where one construct is at fault, its position in *errorPos.
bool Lower(const Program& program, const Variable* fragCoord, SlotProgram* out,
           std::string* error, Position* errorPos = nullptr);

}  // namespace plix::sksl
