// Regions: sets of integer rectangles.
// The operations of the family are added with its wrapper; the canvas needs only its handle.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkRegion : public virtual ISkObject {};

class TSkRegion : public TSkObject, public virtual ISkRegion {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
