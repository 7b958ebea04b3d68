// Front door of the shading-language compiler: source text in, a checked program (or the
// errors, each with line and column) out. Phases: lex -> parse -> check (typed IR) -> lower
// (codegen/, see Effect.h for running programs).
#pragma once

#include "sksl/analysis/Checker.h"
#include "sksl/ir/Program.h"

#include <memory>
#include <string>
#include <string_view>

namespace plix::sksl {

// Refuses sources larger than this (bytes) before lexing, so memory stays bounded.
constexpr size_t kMaxSourceSize = 4 << 20;

// The checked program, or null with the formatted errors in *errors.
std::unique_ptr<Program> Compile(std::string_view source, ProgramKind kind, std::string* errors,
                                 CheckerOptions options = {});

}  // namespace plix::sksl
