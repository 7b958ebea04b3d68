// Boolean operations over several paths: each added path is combined with what came before by
// its operation.
#pragma once

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "Skia/Path.h"

namespace Skia {

class ISkOpBuilder : public virtual ISkObject {
public:
    virtual void Add(const Ref<ISkPath>& APath, TSkPathOp AOp) = 0;
    // The combined path, nil when the operations fail; the builder starts over.
    virtual Ref<ISkPath> Detach() = 0;
};

class TSkOpBuilder : public TSkObject, public virtual ISkOpBuilder {
public:
    using TSkObject::TSkObject;

    static Ref<ISkOpBuilder> Create();

    void Add(const Ref<ISkPath>& APath, TSkPathOp AOp) override;
    Ref<ISkPath> Detach() override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
