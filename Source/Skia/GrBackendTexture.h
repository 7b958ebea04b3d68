// A GPU back end's texture, as images and surfaces are made from it; only its handle is used.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class IGrBackendTexture : public virtual ISkObject {};

class TGrBackendTexture : public TSkObject, public virtual IGrBackendTexture {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
