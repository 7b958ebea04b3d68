// GPU direct contexts (reference-counted): the GPU side of images and surfaces, made on an
// OpenGL function table. A direct context must be used on a thread where its OpenGL context is
// current; the wrapper adds no locking.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Skia/Enums.h"
#include "Skia/GrGlInterface.h"
#include "Skia/Object.h"
#include "plix/plix_types.h"

namespace Skia {

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

class IGrDirectContext : public virtual ISkReferenceCounted {
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

class TGrDirectContext : public TSkReferenceCounted, public virtual IGrDirectContext {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // A direct context on the OpenGL functions of AInterface; nil when the library cannot make
    // one (a nil interface passes 0).
    static Ref<IGrDirectContext> MakeGl(const Ref<IGrGlInterface>& AInterface);
    static Ref<IGrDirectContext> MakeGl(const TGrContextOptions& AOptions, const Ref<IGrGlInterface>& AInterface);

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

}  // namespace Skia
