#include "ui/Platform.h"

#include <mutex>

#include "ui/Classes.h"
#include "ui/Offscreen.h"
#include "ui/Threading.h"
#include "ui/Window.h"

namespace Ui {

namespace {

struct TState {
    std::mutex lock;
    const TPlatformBackend* backend = nullptr;
    bool initialized = false;
};

TState& State() {
    static TState* state = new TState();
    return *state;
}

}  // namespace

const TPlatformBackend& TPlatform::Backend() {
    TState& s = State();
    std::lock_guard guard(s.lock);
    return s.backend ? *s.backend : Offscreen::Backend();
}

void TPlatform::SetBackend(const TPlatformBackend& backend) {
    TState& s = State();
    std::lock_guard guard(s.lock);
    if (s.backend == &backend) return;
    if (s.initialized) throw EInvalidOperation("The platform back end cannot change while it runs");
    s.backend = &backend;
}

void TPlatform::EnsureInitialized() {
    TState& s = State();
    std::lock_guard guard(s.lock);
    if (s.initialized) return;
    const TPlatformBackend& backend = s.backend ? *s.backend : Offscreen::Backend();
    std::string error;
    if (!backend.Initialize(error))
        throw EPlatformError("The " + std::string(backend.Name) + " back end cannot start: " + error);
    s.initialized = true;
    TThread::SetWakeMainThread(backend.WakeUp);
}

bool TPlatform::Initialized() {
    TState& s = State();
    std::lock_guard guard(s.lock);
    return s.initialized;
}

void TPlatform::Finalize() {
    TState& s = State();
    std::lock_guard guard(s.lock);
    if (!s.initialized) return;
    TThread::SetWakeMainThread(nullptr);
    (s.backend ? *s.backend : Offscreen::Backend()).Finalize();
    s.initialized = false;
}

}  // namespace Ui
