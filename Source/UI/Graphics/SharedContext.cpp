#include "UI/Graphics/SharedContext.h"

#include <memory>

#include "Skia/API.h"
#include "ui/Threading.h"

namespace Skia::UI {

TGrSharedContext::TGrSharedContext() { API::AcquireNativeLibrary(); }

TGrSharedContext::~TGrSharedContext() { API::ReleaseNativeLibrary(); }

int32_t TGrSharedContext::Release() noexcept {
    const int32_t count = --FRefCount;
    if (count != 0) return count;
    // The GPU objects may only go on the main thread. A teardown that fails (a context that can
    // no longer be made current) must not keep the object alive.
    try {
        Ui::TThread::Synchronize([this] { DestroyContext(); });
    } catch (...) {
    }
    delete this;
    return 0;
}

void TGrSharedContext::DestroyContext() {
    if (!FGrDirectContext) return;
    Ui::TMessageManager::DefaultManager().SendMessage(
        nullptr, std::make_unique<TGrBeforeSharedContextDestructionMessage>(FGrDirectContext.get()));
    FGrDirectContext->ReleaseResourcesAndAbandonContext();
    FGrDirectContext = nullptr;
}

}  // namespace Skia::UI
