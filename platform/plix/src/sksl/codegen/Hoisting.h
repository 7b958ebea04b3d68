// Moves the work that is the same for every pixel out of the per-batch program. An instruction
// whose inputs are all constants, uniforms or results of such instructions, and whose outputs no
// other instruction writes, gives the same value in every lane of every batch: it runs once, in
// the prologue, when a runner starts, instead of once per batch. Shaders compute much of their
// layout from uniforms only (cell sizes, origins, colours of the frame), and child reads at fixed
// points (a game's state pixels) are the same for every pixel too.
#pragma once

#include "sksl/codegen/SlotProgram.h"

namespace plix::sksl {

// Splits p.code into p.prologue and what remains, keeping jump targets right.
void HoistInvariants(SlotProgram& p);

}  // namespace plix::sksl
