// Counted interfaces: IInterface is the base of every interface whose references are counted,
// and Ref<T> is the one smart pointer that holds them. A Ref adds a reference when it takes a
// raw pointer (the object's own count starts at zero, as freshly constructed objects do);
// Ref<T>::Adopt takes over a reference someone already added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace Ui {

class IInterface {
public:
    virtual int32_t AddRef() noexcept = 0;
    virtual int32_t Release() noexcept = 0;

protected:
    virtual ~IInterface() = default;
};

template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    Ref(T* p) noexcept : fPtr(p) { if (fPtr) fPtr->AddRef(); }
    Ref(const Ref& o) noexcept : Ref(o.fPtr) {}
    Ref(Ref&& o) noexcept : fPtr(std::exchange(o.fPtr, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
    template <class U>
    Ref(Ref<U>&& o) noexcept : fPtr(o.Detach()) {}
    ~Ref() { if (fPtr) fPtr->Release(); }

    Ref& operator=(Ref o) noexcept { std::swap(fPtr, o.fPtr); return *this; }

    static Ref Adopt(T* p) noexcept { Ref r; r.fPtr = p; return r; }
    // Gives up the reference without releasing it.
    T* Detach() noexcept { return std::exchange(fPtr, nullptr); }

    T* get() const noexcept { return fPtr; }
    T* operator->() const noexcept { return fPtr; }
    T& operator*() const noexcept { return *fPtr; }
    explicit operator bool() const noexcept { return fPtr != nullptr; }

    // The same object seen through another of its interfaces, or nil when it has none such.
    template <class U>
    Ref<U> As() const noexcept { return Ref<U>(dynamic_cast<U*>(fPtr)); }

    friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.fPtr == b.fPtr; }
    friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.fPtr == nullptr; }

private:
    T* fPtr = nullptr;
};

}  // namespace Ui
