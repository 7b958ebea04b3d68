// Events of the Skia controls: a callable that remembers, when it was made from an object and a
// method, which object and method it calls, so that assigning the same handler again can be told
// apart from assigning another one (setters repaint only on a real change).
#pragma once

#include <array>
#include <cstring>
#include <functional>
#include <utility>

namespace Skia::UI {

template <class Sig>
class TSkEvent;

template <class R, class... A>
class TSkEvent<R(A...)> {
public:
    TSkEvent() = default;
    TSkEvent(std::nullptr_t) {}
    // Any callable; it never counts as the same handler as another.
    template <class F, class = std::enable_if_t<std::is_invocable_r_v<R, F&, A...>>>
    TSkEvent(F f) : fFn(std::move(f)) {}

    // AObject's method AMethod: the same object and method make the same handler.
    template <class T, class M>
    static TSkEvent Method(T* AObject, M T::*AMethod) {
        TSkEvent e([AObject, AMethod](A... args) -> R { return (AObject->*AMethod)(std::forward<A>(args)...); });
        static_assert(sizeof(AMethod) <= sizeof(fMethod), "member pointer too large");
        e.fObject = AObject;
        std::memcpy(e.fMethod.data(), &AMethod, sizeof(AMethod));
        return e;
    }

    explicit operator bool() const { return static_cast<bool>(fFn); }
    R operator()(A... args) const { return fFn(std::forward<A>(args)...); }

    // Both empty, or both the same object's same method.
    bool SameHandler(const TSkEvent& AOther) const {
        if (!fFn || !AOther.fFn) return !fFn && !AOther.fFn;
        return fObject && fObject == AOther.fObject && fMethod == AOther.fMethod;
    }

private:
    std::function<R(A...)> fFn;
    const void* fObject = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> fMethod{};
};

}  // namespace Skia::UI
