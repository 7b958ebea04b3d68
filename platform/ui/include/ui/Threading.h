// The main-thread queue: other threads hand work to the user-interface thread, which runs it
// from its message loop (CheckSynchronize). The main thread is the one that started the
// process.
#pragma once

#include <functional>

namespace Ui {

class TThread {
public:
    static bool IsMainThread();
    // Runs proc on the main thread and waits for it; an exception it raises is raised again
    // in the caller. On the main thread proc runs at once.
    static void Synchronize(std::function<void()> proc);
    // Runs proc on the main thread later without waiting; on the main thread it runs at once.
    static void Queue(std::function<void()> proc);
    // Runs what other threads handed over; main thread only. True when anything ran.
    static bool CheckSynchronize();
    // How the loop is woken when work arrives (the back end's wake-up); callable from any
    // thread.
    static void SetWakeMainThread(std::function<void()> wake);
};

}  // namespace Ui
