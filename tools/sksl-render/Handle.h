// One reference to a counted engine object, released when it goes.
#pragma once

#include <utility>

#include "plix/plix.h"

namespace skslrender {

class Handle {
public:
    Handle() = default;
    explicit Handle(plix_handle adopted) : fHandle(adopted) {}
    Handle(Handle&& o) noexcept : fHandle(std::exchange(o.fHandle, 0)) {}
    Handle& operator=(Handle&& o) noexcept {
        std::swap(fHandle, o.fHandle);
        return *this;
    }
    ~Handle() {
        if (fHandle) plix_refcnt_unref(fHandle);
    }
    plix_handle get() const { return fHandle; }
    explicit operator bool() const { return fHandle != 0; }

private:
    plix_handle fHandle = 0;
};

}  // namespace skslrender
