// Stands in for the engine's reference counting: while a NativeCalls object lives, the binding's
// plix_refcnt_ref / unref entries count their calls instead of reaching the engine, so tests see
// exactly what the object layer asks of the native side.
#pragma once

#include <atomic>

#include "Skia/API.h"

class NativeCalls {
public:
    NativeCalls() {
        refs = 0;
        unrefs = 0;
        fRef = Skia::API::plix_refcnt_ref;
        fUnref = Skia::API::plix_refcnt_unref;
        Skia::API::plix_refcnt_ref = [](plix_handle) { ++refs; };
        Skia::API::plix_refcnt_unref = [](plix_handle) { ++unrefs; };
    }
    ~NativeCalls() {
        Skia::API::plix_refcnt_ref = fRef;
        Skia::API::plix_refcnt_unref = fUnref;
    }

    static inline std::atomic<int> refs{0};
    static inline std::atomic<int> unrefs{0};

private:
    Skia::API::plix_refcnt_ref_fn fRef;
    Skia::API::plix_refcnt_unref_fn fUnref;
};
