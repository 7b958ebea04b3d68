// Keeps the compiler's recursive phases off the end of the thread's stack. Nesting within one
// function is bounded by the parser's depth limit, and the checker walks calls and constants
// without recursing; but the lowering inlines every call and the reference executor recurses
// into calls, so a chain of functions each calling the next (bounded only by the size of the
// source) takes stack in proportion. Their recursive steps ask StackHasRoom() first; a phase
// that runs short on the caller's stack is run again on a thread with a large stack, and ends
// in an error message if even that is used up.
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

// True on a thread RunWithLargeStack made: a phase that ran out of stack there has no bigger
// one to retry on.
bool OnLargeStack();

}  // namespace plix::sksl
