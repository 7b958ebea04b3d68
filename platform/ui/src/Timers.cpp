#include <algorithm>
#include <memory>
#include <vector>

#include "Internal.h"

namespace Ui::Internal {

TFmxHandle TTimerQueue::Create(int intervalMs, TTimerProc proc) {
    if (!proc) return 0;
    const auto interval = std::chrono::milliseconds(std::max(intervalMs, 1));
    std::lock_guard guard(fLock);
    const TFmxHandle handle = ++fLastHandle;
    fTimers.emplace(handle, TTimer{interval, TClock::now() + interval, std::make_shared<TTimerProc>(std::move(proc))});
    return handle;
}

bool TTimerQueue::Destroy(TFmxHandle timer) {
    std::lock_guard guard(fLock);
    return fTimers.erase(timer) > 0;
}

bool TTimerQueue::Empty() {
    std::lock_guard guard(fLock);
    return fTimers.empty();
}

int TTimerQueue::MillisecondsToNext(TClock::time_point now) {
    std::lock_guard guard(fLock);
    if (fTimers.empty()) return -1;
    auto next = TClock::time_point::max();
    for (const auto& [handle, t] : fTimers) next = std::min(next, t.Due);
    if (next <= now) return 0;
    // Round up so that the wait does not end just before the timer is due.
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(next - now).count();
    return static_cast<int>(std::min<long long>((us + 999) / 1000, 1 << 30));
}

void TTimerQueue::FireDue(TClock::time_point now, const std::function<void()>& onError) {
    std::vector<std::pair<TFmxHandle, std::shared_ptr<TTimerProc>>> due;
    {
        std::lock_guard guard(fLock);
        for (auto& [handle, t] : fTimers) {
            if (t.Due > now) continue;
            due.emplace_back(handle, t.Proc);
            // Keep the rhythm, but do not fire a burst after a long stall.
            t.Due += t.Interval;
            if (t.Due <= now) t.Due = now + t.Interval;
        }
    }
    for (auto& [handle, proc] : due) {
        {
            // A timer destroyed by an earlier procedure of this round does not fire.
            std::lock_guard guard(fLock);
            if (!fTimers.contains(handle)) continue;
        }
        try {
            (*proc)();
        } catch (...) {
            if (onError) onError();
        }
    }
}

TTimerQueue& Timers() {
    static TTimerQueue* queue = new TTimerQueue();
    return *queue;
}

double Tick() {
    return std::chrono::duration<double>(TTimerQueue::TClock::now().time_since_epoch()).count();
}

}  // namespace Ui::Internal
