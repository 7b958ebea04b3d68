// The one reference-counted base of the engine's shared objects (shaders, images, surfaces,
// effects ...), and the smart pointer that holds them. A new object starts with one reference,
// which its creator owns.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

namespace plix {

class RefCnt {
public:
    RefCnt() = default;
    RefCnt(const RefCnt&) = delete;
    RefCnt& operator=(const RefCnt&) = delete;

    void ref() const noexcept { fRefCnt.fetch_add(1, std::memory_order_relaxed); }

    void unref() const noexcept {
        // acq_rel: writes made through other references happen-before the delete.
        if (fRefCnt.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }

    // True when the caller holds the only reference, so the object may be changed in place.
    bool unique() const noexcept { return fRefCnt.load(std::memory_order_acquire) == 1; }

    int32_t refCount() const noexcept { return fRefCnt.load(std::memory_order_relaxed); }

protected:
    virtual ~RefCnt() = default;

private:
    mutable std::atomic<int32_t> fRefCnt{1};
};

// Owning pointer to a RefCnt. Constructing from a raw pointer adopts its reference;
// sp_ref() shares (adds one).
template <class T>
class sp {
public:
    sp() noexcept = default;
    sp(std::nullptr_t) noexcept {}
    explicit sp(T* adopted) noexcept : fPtr(adopted) {}
    sp(const sp& o) noexcept : fPtr(o.fPtr) { if (fPtr) fPtr->ref(); }
    sp(sp&& o) noexcept : fPtr(o.release()) {}
    template <class U>
    sp(const sp<U>& o) noexcept : fPtr(o.get()) { if (fPtr) fPtr->ref(); }
    template <class U>
    sp(sp<U>&& o) noexcept : fPtr(o.release()) {}
    ~sp() { if (fPtr) fPtr->unref(); }

    sp& operator=(sp o) noexcept { std::swap(fPtr, o.fPtr); return *this; }

    T* get() const noexcept { return fPtr; }
    T* operator->() const noexcept { return fPtr; }
    T& operator*() const noexcept { return *fPtr; }
    explicit operator bool() const noexcept { return fPtr != nullptr; }

    // Gives up ownership without unref.
    T* release() noexcept { T* p = fPtr; fPtr = nullptr; return p; }
    void reset(T* adopted = nullptr) noexcept { sp(adopted).swap(*this); }
    void swap(sp& o) noexcept { std::swap(fPtr, o.fPtr); }

private:
    T* fPtr = nullptr;
};

template <class T>
sp<T> sp_ref(T* p) noexcept {
    if (p) p->ref();
    return sp<T>(p);
}

template <class T, class... Args>
sp<T> make_sp(Args&&... args) {
    return sp<T>(new T(std::forward<Args>(args)...));
}

}  // namespace plix
