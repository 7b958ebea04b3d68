// Native iterators (path, region and break iterators) as enumerables that drive range-based for
// loops:  for (const auto& element : iterator->GetEnumerator()) ...
#pragma once

#include <optional>

#include "Skia/Object.h"

namespace Skia {

class ISkEnumerable : public virtual ISkObject {
public:
    virtual bool MoveNext() = 0;
};

template <class T>
class ISkEnumerableOf;

// Walks an enumerable: MoveNext, then Current. Holds a reference, so the enumerable lives as
// long as the walk.
template <class T>
class TSkEnumerator {
public:
    explicit TSkEnumerator(Ref<ISkEnumerableOf<T>> AEnumerable) : FEnumerable(std::move(AEnumerable)) {}
    bool MoveNext() { return FEnumerable->MoveNext(); }
    T Current() { return FEnumerable->GetCurrent(); }

    // Input iterator for range-based for.
    class Iterator {
    public:
        explicit Iterator(TSkEnumerator* AEnumerator) : FEnumerator(AEnumerator) { Advance(); }
        Iterator() = default;
        const T& operator*() const { return *FCurrent; }
        const T* operator->() const { return &*FCurrent; }
        Iterator& operator++() { Advance(); return *this; }
        bool operator==(const Iterator& other) const { return FEnumerator == other.FEnumerator; }

    private:
        void Advance() {
            if (FEnumerator && FEnumerator->MoveNext()) {
                FCurrent = FEnumerator->Current();
            } else {
                FEnumerator = nullptr;
                FCurrent.reset();
            }
        }
        TSkEnumerator* FEnumerator = nullptr;
        std::optional<T> FCurrent;
    };

    Iterator begin() { return Iterator(this); }
    Iterator end() { return Iterator(); }

private:
    Ref<ISkEnumerableOf<T>> FEnumerable;
};

template <class T>
class ISkEnumerableOf : public virtual ISkEnumerable {
public:
    virtual T GetCurrent() = 0;
    virtual TSkEnumerator<T> GetEnumerator() = 0;
};

// Base of the native iterator wrappers: descendants give MoveNext and GetCurrent.
template <class T>
class TSkEnumerable : public TSkObject, public virtual ISkEnumerableOf<T> {
public:
    using TSkObject::TSkObject;
    TSkEnumerator<T> GetEnumerator() override { return TSkEnumerator<T>(Ref<ISkEnumerableOf<T>>(this)); }
};

}  // namespace Skia
