// A GPU back end's semaphore, which a surface's flush may signal and its wait may wait on.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class IGrBackendSemaphore : public virtual ISkObject {};

class TGrBackendSemaphore : public TSkObject, public virtual IGrBackendSemaphore {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
