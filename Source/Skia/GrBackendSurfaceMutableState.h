// The back-end state (layout, queue) a surface's flush may move its surface to.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class IGrBackendSurfaceMutableState : public virtual ISkObject {};

class TGrBackendSurfaceMutableState : public TSkObject, public virtual IGrBackendSurfaceMutableState {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
