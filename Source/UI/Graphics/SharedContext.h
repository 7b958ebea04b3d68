// The process-wide GPU context. One shared direct context, not tied to any window, holds the GPU
// images of framework bitmaps so that one upload serves every window. Any thread that uploads or
// drops a bitmap's GPU image takes it with BeginContext/EndContext, which serialize the threads
// on the context's re-entrant lock. It lives as long as its last counted reference, and its
// teardown always runs on the main thread, whichever thread lets go last.
#pragma once

#include <atomic>
#include <mutex>

#include "Skia/GrBackendRenderTarget.h"
#include "Skia/GrDirectContext.h"
#include "ui/Interface.h"
#include "ui/Messaging.h"

namespace Skia::UI {

class IGrSharedContext : public virtual Ui::IInterface {
public:
    // Takes the shared context for GPU work on the calling thread; calls nest.
    virtual void BeginContext() = 0;
    // Undoes one BeginContext.
    virtual void EndContext() = 0;
    // The shared direct context; nil once the context is torn down.
    virtual Ref<IGrDirectContext> GrDirectContext() = 0;
};

// Sent just before the shared direct context is released; the value is that context (message
// senders are framework objects, which the context's wrapper is not).
class TGrBeforeSharedContextDestructionMessage : public Ui::TMessage<IGrDirectContext*> {
public:
    using TMessage::TMessage;
};

class TGrSharedContext : public virtual IGrSharedContext {
public:
    TGrSharedContext(const TGrSharedContext&) = delete;
    TGrSharedContext& operator=(const TGrSharedContext&) = delete;

    int32_t AddRef() noexcept override { return ++FRefCount; }
    // The last reference runs DestroyContext on the main thread (the caller waits), then frees
    // the object.
    int32_t Release() noexcept override;

    void BeginContext() override { DoBeginContext(); }
    void EndContext() override { DoEndContext(); }
    Ref<IGrDirectContext> GrDirectContext() override { return FGrDirectContext; }

protected:
    // Acquires the native library; subclasses then build the GPU context.
    TGrSharedContext();
    // Releases the native library.
    ~TGrSharedContext() override;

    // Enters the re-entrant lock, waiting as long as it takes.
    virtual void DoBeginContext() { FLock.lock(); }
    // When a direct context exists: announces its end, releases its resources, abandons it.
    virtual void DestroyContext();
    // Leaves the lock.
    virtual void DoEndContext() { FLock.unlock(); }

    Ref<IGrDirectContext> FGrDirectContext;

private:
    std::atomic<int32_t> FRefCount{0};
    std::recursive_mutex FLock;
};

}  // namespace Skia::UI
