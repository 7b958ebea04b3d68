// Caller procedures the native side calls back once, later, when it no longer needs the
// caller's pixels or texture. Each travels as the context of a native callback in a heap record
// that the callback frees after calling it. Internal to the object layer's sources.
#pragma once

#include <memory>
#include <utility>

#include "plix/plix_types.h"

namespace Skia {

template <class TProc>
struct TSkDelegate {
    struct TProcWrapper {
        TProc Proc;
    };

    // Calls the native factory make(callback, context): without a procedure with a null callback
    // and context; with one, with callback and a new record. The record is freed at once when the
    // factory fails (returns 0 or raises), since the native side then never calls back.
    template <class Callback, class Make>
    static plix_handle Invoke(const TProc& AProc, Callback ACallback, Make AMake) {
        if (!AProc) return AMake(Callback(nullptr), nullptr);
        auto wrapper = std::make_unique<TProcWrapper>(TProcWrapper{AProc});
        const plix_handle handle = AMake(ACallback, static_cast<void*>(wrapper.get()));
        if (handle) wrapper.release();
        return handle;
    }

    // Takes the record back from the callback's context and calls its procedure with args. No
    // exception may leave a native callback.
    template <class... Args>
    static void Call(void* AContext, Args&&... AArgs) noexcept {
        std::unique_ptr<TProcWrapper> wrapper(static_cast<TProcWrapper*>(AContext));
        if (!wrapper) return;
        try {
            if (wrapper->Proc) wrapper->Proc(std::forward<Args>(AArgs)...);
        } catch (...) {
        }
    }
};

}  // namespace Skia
