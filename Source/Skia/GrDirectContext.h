// GPU objects as the images and surfaces take them: direct contexts (reference-counted), render
// targets, textures, semaphores and surface states. Their factories and operations are added
// with the GPU context wrappers; images and surfaces need only their handles.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class IGrDirectContext : public virtual ISkReferenceCounted {};
class IGrBackendRenderTarget : public virtual ISkObject {};
class IGrBackendTexture : public virtual ISkObject {};
class IGrBackendSemaphore : public virtual ISkObject {};
class IGrBackendSurfaceMutableState : public virtual ISkObject {};

class TGrDirectContext : public TSkReferenceCounted, public virtual IGrDirectContext {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
};

class TGrBackendRenderTarget : public TSkObject, public virtual IGrBackendRenderTarget {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

class TGrBackendTexture : public TSkObject, public virtual IGrBackendTexture {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

class TGrBackendSemaphore : public TSkObject, public virtual IGrBackendSemaphore {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

class TGrBackendSurfaceMutableState : public TSkObject, public virtual IGrBackendSurfaceMutableState {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
