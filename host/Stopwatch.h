// A monotonic stopwatch counting 100-nanosecond ticks from a clock that can be replaced, so that
// tests and the capture tool drive the game's time exactly.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace Host {

// Current time in 100-nanosecond ticks.
using TClock = std::function<int64_t()>;

inline int64_t SteadyClockTicks() {
    using namespace std::chrono;
    return duration_cast<duration<int64_t, std::ratio<1, 10000000>>>(steady_clock::now().time_since_epoch()).count();
}

class TStopwatch {
public:
    TStopwatch() = default;  // not started: elapsed time 0

    static TStopwatch StartNew(TClock clock = SteadyClockTicks) {
        TStopwatch s;
        s.fClock = std::move(clock);
        s.fStart = s.fClock();
        return s;
    }

    bool IsRunning() const { return static_cast<bool>(fClock); }
    int64_t ElapsedTicks() const { return fClock ? fClock() - fStart : 0; }
    double ElapsedSeconds() const { return static_cast<double>(ElapsedTicks()) * 1e-7; }

private:
    TClock fClock;
    int64_t fStart = 0;
};

}  // namespace Host
