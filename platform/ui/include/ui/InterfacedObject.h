// TInterfacedObject: the usual implementation of a counted interface. The count starts at zero
// (a Ref taking the raw pointer adds the first reference) and the object deletes itself when
// the last reference goes.
#pragma once

#include <atomic>

#include "ui/Interface.h"

namespace Ui {

class TInterfacedObject : public virtual IInterface {
public:
    int32_t AddRef() noexcept override { return ++fRefCount; }
    int32_t Release() noexcept override {
        const int32_t count = --fRefCount;
        if (count == 0) delete this;
        return count;
    }
    int32_t RefCount() const noexcept { return fRefCount; }

protected:
    ~TInterfacedObject() override = default;

private:
    std::atomic<int32_t> fRefCount{0};
};

}  // namespace Ui
