// Pieces shared by the framework's own sources; not part of its interface.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>

#include "ui/PlatformServices.h"
#include "ui/Types.h"

namespace Ui {
class TCanvasClass;
}

namespace Ui::Internal {

void InstallDefaultServices(TPlatformServices& services);

// The framework's own CPU canvas class, registered by its canvas service.
const TCanvasClass& SoftwareCanvasClass();

// 0xAARRGGBB with the colour channels multiplied by alpha.
TAlphaColor Premultiply(TAlphaColor color);

// The timers of the timer service, fired by the message loop on the main thread.
class TTimerQueue {
public:
    using TClock = std::chrono::steady_clock;

    TFmxHandle Create(int intervalMs, TTimerProc proc);
    bool Destroy(TFmxHandle timer);
    bool Empty();
    // Milliseconds until the next timer is due (0 when one is due, -1 when there is none).
    int MillisecondsToNext(TClock::time_point now);
    // Fires every due timer once; an exception of a timer procedure goes to onError and the
    // other timers still fire.
    void FireDue(TClock::time_point now, const std::function<void()>& onError);

private:
    struct TTimer {
        std::chrono::milliseconds Interval;
        TClock::time_point Due;
        std::shared_ptr<TTimerProc> Proc;
    };
    std::mutex fLock;
    std::map<TFmxHandle, TTimer> fTimers;
    TFmxHandle fLastHandle = 0;
};

TTimerQueue& Timers();

// Seconds on the steady clock.
double Tick();

}  // namespace Ui::Internal
