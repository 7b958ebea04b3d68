// The object and handle model every wrapper shares. A wrapper holds one native handle; its
// interface reference count and the native object's count move together: the first interface
// reference stands for the reference the wrapper already holds, every further one adds a native
// reference, and the last one destroys the wrapper and releases its native reference (when the
// wrapper owns it).
//
// Wrappers are made by the factories (Wrap, WrapOrNil and each class's Create), which hand out
// interface references (Ref<I>); a wrapper is never deleted directly.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "Skia/Exceptions.h"
#include "ui/Interface.h"

namespace Skia {

using NativeUInt = uintptr_t;
using Ui::Ref;

class ISkObject : public virtual Ui::IInterface {
public:
    virtual NativeUInt GetHandle() const = 0;
};

// Marks a wrapper of a natively reference-counted object (plix_refcnt_ref / unref).
class ISkReferenceCounted : public virtual ISkObject {};

// Marks a wrapper whose native count has type-specific ref / unref entry points.
class ISkNonVirtualReferenceCounted : public virtual ISkObject {};

class TSkObject : public virtual ISkObject {
public:
    // Wrap: takes the handle (never 0); AOwnsHandle says whether this wrapper releases it.
    TSkObject(NativeUInt AHandle, bool AOwnsHandle);
    // Create: an owning wrapper.
    explicit TSkObject(NativeUInt AHandle) : TSkObject(AHandle, true) {}
    TSkObject(const TSkObject&) = delete;
    TSkObject& operator=(const TSkObject&) = delete;

    NativeUInt Handle() const noexcept { return FHandle; }
    // Interface references; 0 while the wrapper is being destroyed.
    int32_t RefCount() const noexcept { return FRefCount.load() & 0x7FFFFFFF; }
    bool OwnsHandle() const noexcept { return FOwnsHandle; }

    NativeUInt GetHandle() const override { return FHandle; }
    int32_t AddRef() noexcept override;
    int32_t Release() noexcept override;

    // Hands the native object over to a native consumer that takes ownership: returns the handle
    // and clears the ownership flag (nil gives 0). Raises ESkException when the wrapper does not
    // own its handle.
    static NativeUInt __ReleaseHandle(ISkObject* AObject);
    template <class I>
    static NativeUInt __ReleaseHandle(const Ref<I>& AObject) {
        return __ReleaseHandle(static_cast<ISkObject*>(AObject.get()));
    }

    // Ends construction: drops the construction reference (normally to 0), so that references
    // taken inside a constructor cannot destroy the object. Called by the factories.
    void AfterConstruction() noexcept;

protected:
    // Class-level release operations: they act on the handle only.
    // Releases a native object the wrapper owns; by default drops one native reference.
    virtual void __DestroyHandle(NativeUInt AHandle) { __UnrefHandle(AHandle); }
    virtual void __RefHandle(NativeUInt) {}
    virtual void __UnrefHandle(NativeUInt) {}

    // Only Release destroys a wrapper. A constructor must not raise after it got its handle.
    ~TSkObject() override = default;

private:
    void Destroy() noexcept;

    NativeUInt FHandle;
    bool FOwnsHandle;
    std::atomic<int32_t> FRefCount{1};  // bit 31: under destruction; bits 0..30: the count
};

class TSkReferenceCounted : public TSkObject, public virtual ISkReferenceCounted {
public:
    using TSkObject::TSkObject;

protected:
    void __RefHandle(NativeUInt AHandle) override;
    void __UnrefHandle(NativeUInt AHandle) override;
};

class TSkNonVirtualReferenceCounted : public TSkObject, public virtual ISkNonVirtualReferenceCounted {
public:
    using TSkObject::TSkObject;
};

// Constructs a wrapper of class T through the construction-count protocol and returns the first
// interface reference to it.
template <class T, class... Args>
Ref<T> SkNew(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    object->AfterConstruction();
    return Ref<T>(object);
}

// A wrapper of class T over AHandle (not 0).
template <class T>
Ref<T> Wrap(NativeUInt AHandle, bool AOwnsHandle = true) {
    return SkNew<T>(AHandle, AOwnsHandle);
}

// The result of a native create call, which fails only when memory runs out: that raises
// ESkException "Out of memory" rather than making a wrapper of nothing.
template <class T>
Ref<T> WrapCreated(NativeUInt AHandle) {
    if (!AHandle) RaiseOutOfMemory();
    return Wrap<T>(AHandle, true);
}

// A native result as an interface: 0 (a native failure) gives nil, without any native call.
template <class T>
Ref<T> WrapOrNil(NativeUInt AHandle, bool AOwnsHandle = true) {
    return AHandle ? Wrap<T>(AHandle, AOwnsHandle) : nullptr;
}

// An optional interface argument as a handle: nil gives 0.
inline NativeUInt HandleOrZero(const ISkObject* AObject) { return AObject ? AObject->GetHandle() : 0; }

template <class I>
NativeUInt HandleOrZero(const Ref<I>& AObject) {
    return HandleOrZero(static_cast<const ISkObject*>(AObject.get()));
}

}  // namespace Skia
