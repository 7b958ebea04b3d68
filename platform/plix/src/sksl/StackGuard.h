// Keeps the compiler's recursive phases (checking, constant folding, lowering with its inlining,
// the reference executor) off the end of the thread's stack. Nesting within one function is
// bounded by the parser's depth limit, but a chain of functions each calling the next is bounded
// only by the size of the source: those phases run on a thread with a large stack, and each
// recursive step asks StackHasRoom() first, ending in an error message instead of a crash when
// even that stack is used up (or when a caller runs them on a small stack).
#pragma once

#include <cstddef>
#include <functional>

namespace plix::sksl {

// Stack reserved for the compiler's own threads: a chain of about 100,000 calls (the most a
// source of the largest size can hold) fits. Only the pages used are ever committed.
constexpr size_t kLargeStackSize = size_t(512) << 20;

// True while the calling thread's stack has more than a safety margin left.
bool StackHasRoom();

// Runs fn on a thread with a kLargeStackSize stack and waits for it (in place when the calling
// thread already is such a thread, or no thread can be made).
void RunWithLargeStack(const std::function<void()>& fn);

}  // namespace plix::sksl
