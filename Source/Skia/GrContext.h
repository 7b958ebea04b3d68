// The operations of GPU direct contexts and back-end render targets, and the records they take.
//
// IGrDirectContext and IGrBackendRenderTarget (GrDirectContext.h) name the objects that surfaces
// and images take; the ...Ops interfaces here extend them with their operations, and the
// factories below make objects that have both. A direct context must be used on a thread where
// its OpenGL context is current; the wrappers add no locking.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Skia/Enums.h"
#include "Skia/GrDirectContext.h"
#include "Skia/GrGlInterface.h"
#include "Skia/Object.h"
#include "plix/plix_types.h"

namespace Skia {

enum class TGrBackendAPI : int32_t { OpenGl, Vulkan, Metal };

enum class TGrShaderCacheStrategy : int32_t { SkSL, BackendSource, BackendBinary };

// An OpenGL framebuffer as a render target sees it.
struct TGrGlFramebufferInfo {
    uint32_t FBOID = 0;   // the framebuffer object; 0 for a window's default framebuffer
    uint32_t Format = 0;  // sized internal format, such as GL_RGBA8 (0x8058)
};
static_assert(sizeof(TGrGlFramebufferInfo) == sizeof(plix_gl_framebuffer_info));

// Caches and handlers a direct context may be given; their wrappers come with the objects.
class IGrPersistentCache : public virtual ISkObject {};
class IGrShaderErrorHandler : public virtual ISkObject {};
class ISkTraceMemoryDump : public virtual ISkObject {};

struct TGrContextOptions {
    int32_t BufferMapThreshold = -1;
    bool DoManualMipmapping = false;
    bool AllowPathMaskCaching = true;
    size_t GlyphCacheTextureMaximumBytes = 2048 * 1024 * 4;  // in bytes
    bool AvoidStencilBuffers = false;
    int32_t RuntimeProgramCacheSize = 256;
    Ref<IGrPersistentCache> PersistentCache;
    TGrShaderCacheStrategy ShaderCacheStrategy = TGrShaderCacheStrategy::BackendBinary;
    Ref<IGrShaderErrorHandler> ShaderErrorHandler;

    // The native record: the interfaces as handles (0 for nil).
    plix_context_options ToNative() const;
};

class IGrDirectContextOps : public virtual IGrDirectContext {
public:
    virtual void AbandonContext() = 0;
    // A nil ATraceMemoryDump raises ESkArgumentException.
    virtual void DumpMemoryStatistics(const Ref<ISkTraceMemoryDump>& ATraceMemoryDump) = 0;
    virtual void Flush() = 0;
    // Sends the pending work to the GPU; with ASyncCpu, waits until it is done.
    virtual void FlushAndSubmit(bool ASyncCpu = false) = 0;
    virtual void FreeGpuResources() = 0;
    virtual TGrBackendAPI GetBackendAPI() = 0;
    // The most samples a surface of the colour type can have.
    virtual int32_t GetMaxSurfaceSampleCountForColorType(TSkColorType AColorType) = 0;
    virtual size_t GetResourceCacheLimit() = 0;  // in bytes
    virtual void GetResourceCacheUsage(int32_t& AResources, size_t& AResourcesBytes) = 0;
    virtual bool IsAbandoned() = 0;
    virtual void PerformDeferredCleanup(int64_t AMilliseconds) = 0;
    virtual void PurgeUnlockedResources(bool AScratchResourcesOnly) = 0;
    virtual void PurgeUnlockedResources(size_t ABytesToPurge, bool APreferScratchResources) = 0;
    virtual void ReleaseResourcesAndAbandonContext() = 0;
    virtual void ResetContext() = 0;
    virtual void SetResourceCacheLimit(size_t AValue) = 0;
    virtual bool Submit(bool ASyncCpu = false) = 0;
};

class TGrDirectContextOps : public TGrDirectContext, public virtual IGrDirectContextOps {
public:
    using TGrDirectContext::TGrDirectContext;

    // A direct context on the OpenGL functions of AInterface; nil when the library cannot make
    // one (a nil interface passes 0).
    static Ref<IGrDirectContextOps> MakeGl(const Ref<IGrGlInterface>& AInterface);
    static Ref<IGrDirectContextOps> MakeGl(const TGrContextOptions& AOptions, const Ref<IGrGlInterface>& AInterface);

    void AbandonContext() override;
    void DumpMemoryStatistics(const Ref<ISkTraceMemoryDump>& ATraceMemoryDump) override;
    void Flush() override;
    void FlushAndSubmit(bool ASyncCpu) override;
    void FreeGpuResources() override;
    TGrBackendAPI GetBackendAPI() override;
    int32_t GetMaxSurfaceSampleCountForColorType(TSkColorType AColorType) override;
    size_t GetResourceCacheLimit() override;
    void GetResourceCacheUsage(int32_t& AResources, size_t& AResourcesBytes) override;
    bool IsAbandoned() override;
    void PerformDeferredCleanup(int64_t AMilliseconds) override;
    void PurgeUnlockedResources(bool AScratchResourcesOnly) override;
    void PurgeUnlockedResources(size_t ABytesToPurge, bool APreferScratchResources) override;
    void ReleaseResourcesAndAbandonContext() override;
    void ResetContext() override;
    void SetResourceCacheLimit(size_t AValue) override;
    bool Submit(bool ASyncCpu) override;
};

class IGrBackendRenderTargetOps : public virtual IGrBackendRenderTarget {
public:
    virtual TGrBackendAPI GetBackendAPI() = 0;
    virtual int32_t GetHeight() = 0;
    virtual int32_t GetSampleCount() = 0;
    virtual int32_t GetStencilBits() = 0;
    virtual int32_t GetWidth() = 0;
    virtual bool IsValid() = 0;
};

class TGrBackendRenderTargetOps : public TGrBackendRenderTarget, public virtual IGrBackendRenderTargetOps {
public:
    using TGrBackendRenderTarget::TGrBackendRenderTarget;

    // An existing OpenGL framebuffer of the given size, samples per pixel and stencil bits.
    static Ref<IGrBackendRenderTargetOps> CreateGl(int32_t AWidth, int32_t AHeight, int32_t ASampleCount,
                                                   int32_t AStencilBits, const TGrGlFramebufferInfo& AFramebufferInfo);

    TGrBackendAPI GetBackendAPI() override;
    int32_t GetHeight() override;
    int32_t GetSampleCount() override;
    int32_t GetStencilBits() override;
    int32_t GetWidth() override;
    bool IsValid() override;
};

}  // namespace Skia
