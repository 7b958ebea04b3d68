#include "sksl/StackGuard.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <exception>

namespace plix::sksl {

namespace {

// Lowest address this thread's frames may reach: the stack's end plus a margin for the work
// done between two checks (library calls, a few unchecked frames; sanitizers make frames big).
thread_local uintptr_t tLimit = 0;
thread_local bool tOnLargeStack = false;

uintptr_t stackLimit() {
    if (tLimit) return tLimit;
    pthread_attr_t attr;
    void* base = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstack(&attr, &base, &size);
        pthread_attr_destroy(&attr);
    }
    if (!base || size == 0) {
        tLimit = 1;  // unknown: never refuse
        return tLimit;
    }
    size_t margin = std::clamp<size_t>(size / 4, 64 << 10, 1 << 20);
    tLimit = reinterpret_cast<uintptr_t>(base) + margin;
    return tLimit;
}

}  // namespace

bool OnLargeStack() { return tOnLargeStack; }

bool StackHasRoom() {
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) > stackLimit();
}

void RunWithLargeStack(const std::function<void()>& fn) {
    if (tOnLargeStack) {
        fn();
        return;
    }
    struct Job {
        const std::function<void()>* fn;
        std::exception_ptr error;  // rethrown on the calling thread (say, out of memory)
    } job{&fn, nullptr};
    pthread_attr_t attr;
    pthread_t thread;
    bool started = pthread_attr_init(&attr) == 0 &&
                   pthread_attr_setstacksize(&attr, kLargeStackSize) == 0 &&
                   pthread_create(
                           &thread, &attr,
                           [](void* p) -> void* {
                               tOnLargeStack = true;
                               auto* j = static_cast<Job*>(p);
                               try {
                                   (*j->fn)();
                               } catch (...) {
                                   j->error = std::current_exception();
                               }
                               return nullptr;
                           },
                           &job) == 0;
    pthread_attr_destroy(&attr);
    if (!started) {
        fn();
        return;
    }
    pthread_join(thread, nullptr);
    if (job.error) std::rethrow_exception(job.error);
}

}  // namespace plix::sksl
