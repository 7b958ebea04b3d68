// How the C API turns handles into engine objects and back, and keeps C++ exceptions from
// crossing the C boundary. A handle is the object's address; for reference-counted objects it
// is the address of the RefCnt base, so plix_refcnt_ref/unref work on any of them.
#pragma once

#include <new>
#include <type_traits>

#include "core/RefCnt.h"
#include "plix/plix_types.h"

namespace plix::capi {

template <class T>
T* from(plix_handle h) noexcept {
    if constexpr (std::is_base_of_v<RefCnt, T>)
        return static_cast<T*>(reinterpret_cast<RefCnt*>(h));
    else
        return reinterpret_cast<T*>(h);
}

template <class T>
plix_handle to(T* p) noexcept {
    if constexpr (std::is_base_of_v<RefCnt, T>)
        return reinterpret_cast<plix_handle>(static_cast<const RefCnt*>(p));
    else
        return reinterpret_cast<plix_handle>(p);
}

// Hands the reference held by p to the caller.
template <class T>
plix_handle to(sp<T> p) noexcept {
    return to(p.release());
}

// Runs f; an exception (out of memory, mostly) becomes the given failure value.
template <class R, class F>
R guard(R failure, F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return failure;
    }
}

template <class F>
void guard(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

}  // namespace plix::capi
