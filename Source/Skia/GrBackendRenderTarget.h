// A GPU back end's render target: an existing OpenGL framebuffer that a surface can draw into.
#pragma once

#include <cstdint>

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "plix/plix_types.h"

namespace Skia {

// An OpenGL framebuffer as a render target sees it.
struct TGrGlFramebufferInfo {
    uint32_t FBOID = 0;   // the framebuffer object; 0 for a window's default framebuffer
    uint32_t Format = 0;  // sized internal format, such as GL_RGBA8 (0x8058)
};
static_assert(sizeof(TGrGlFramebufferInfo) == sizeof(plix_gl_framebuffer_info));

class IGrBackendRenderTarget : public virtual ISkObject {
public:
    virtual TGrBackendAPI GetBackendAPI() = 0;
    virtual int32_t GetHeight() = 0;
    virtual int32_t GetSampleCount() = 0;
    virtual int32_t GetStencilBits() = 0;
    virtual int32_t GetWidth() = 0;
    virtual bool IsValid() = 0;
};

class TGrBackendRenderTarget : public TSkObject, public virtual IGrBackendRenderTarget {
public:
    using TSkObject::TSkObject;

    // An existing OpenGL framebuffer of the given size, samples per pixel and stencil bits.
    static Ref<IGrBackendRenderTarget> CreateGl(int32_t AWidth, int32_t AHeight, int32_t ASampleCount,
                                                int32_t AStencilBits, const TGrGlFramebufferInfo& AFramebufferInfo);

    TGrBackendAPI GetBackendAPI() override;
    int32_t GetHeight() override;
    int32_t GetSampleCount() override;
    int32_t GetStencilBits() override;
    int32_t GetWidth() override;
    bool IsValid() override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
