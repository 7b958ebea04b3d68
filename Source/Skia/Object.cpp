#include "Skia/Object.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

#include "Skia/API.h"

namespace Skia {

namespace {

constexpr int32_t DestroyingMark = INT32_MIN;  // bit 31

// The object layer holds the native library for the whole program: it is acquired before any
// wrapper can exist. Without it nothing can run, so a failed load ends the program with the
// loader's reason. At program end the hold is kept: unloading then gains nothing, while the
// engine's process-wide caches would turn into leaks as its memory is unmapped.
struct NativeLibraryHold {
    NativeLibraryHold() {
        try {
            API::AcquireNativeLibrary();
        } catch (const Ui::EAbort&) {
            std::fprintf(stderr, "Cannot load the native graphics library: %s\n",
                         API::Detail::LastLoadError().c_str());
            std::exit(EXIT_FAILURE);
        }
    }
};

// Before the program's own static objects, which may already make wrappers.
__attribute__((init_priority(200))) NativeLibraryHold gNativeLibraryHold;

}  // namespace

TSkObject::TSkObject(NativeUInt AHandle, bool AOwnsHandle) : FHandle(AHandle), FOwnsHandle(AOwnsHandle) {
    assert(AHandle != 0 && "a wrapper needs a handle; use WrapOrNil for results that may be 0");
}

void TSkObject::AfterConstruction() noexcept { FRefCount.fetch_sub(1); }

int32_t TSkObject::AddRef() noexcept {
    const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(FRefCount.fetch_add(1)) + 1u);
    // The first reference stands for the native reference the wrapper holds already; while the
    // wrapper is being destroyed the count is negative and nothing reaches the native side.
    if (count > 1) __RefHandle(FHandle);
    return count;
}

int32_t TSkObject::Release() noexcept {
    const int32_t count = static_cast<int32_t>(static_cast<uint32_t>(FRefCount.fetch_sub(1)) - 1u);
    if (count == 0) {
        int32_t expected = FRefCount.load();
        while (!FRefCount.compare_exchange_weak(expected, expected | DestroyingMark)) {
        }
        Destroy();
    } else if (count > 0) {
        __UnrefHandle(FHandle);
    }
    return count;
}

void TSkObject::Destroy() noexcept {
    if (FOwnsHandle) __DestroyHandle(FHandle);
    delete this;
}

NativeUInt TSkObject::__ReleaseHandle(ISkObject* AObject) {
    if (!AObject) return 0;
    auto* wrapper = dynamic_cast<TSkObject*>(AObject);
    if (!wrapper || !wrapper->FOwnsHandle) throw ESkException(SkMessages::NotOwnerOfHandle);
    wrapper->FOwnsHandle = false;
    return wrapper->FHandle;
}

void TSkReferenceCounted::__RefHandle(NativeUInt AHandle) { API::plix_refcnt_ref(AHandle); }

void TSkReferenceCounted::__UnrefHandle(NativeUInt AHandle) { API::plix_refcnt_unref(AHandle); }

}  // namespace Skia
