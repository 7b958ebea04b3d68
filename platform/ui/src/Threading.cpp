#include "ui/Threading.h"

#include <deque>
#include <exception>
#include <future>
#include <mutex>
#include <thread>

namespace Ui {

namespace {

// Static initialisation runs on the thread that starts the process.
const std::thread::id gMainThread = std::this_thread::get_id();

struct TQueue {
    std::mutex lock;
    std::deque<std::function<void()>> items;
    std::function<void()> wake;
};

TQueue& MainQueue() {
    static TQueue* queue = new TQueue();
    return *queue;
}

void Post(std::function<void()> item) {
    TQueue& q = MainQueue();
    std::function<void()> wake;
    {
        std::lock_guard guard(q.lock);
        q.items.push_back(std::move(item));
        wake = q.wake;
    }
    if (wake) wake();
}

}  // namespace

bool TThread::IsMainThread() { return std::this_thread::get_id() == gMainThread; }

void TThread::Synchronize(std::function<void()> proc) {
    if (!proc) return;
    if (IsMainThread()) {
        proc();
        return;
    }
    std::promise<void> done;
    std::future<void> result = done.get_future();
    Post([&proc, &done] {
        try {
            proc();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    result.get();
}

void TThread::Queue(std::function<void()> proc) {
    if (!proc) return;
    if (IsMainThread()) {
        proc();
        return;
    }
    Post(std::move(proc));
}

bool TThread::CheckSynchronize() {
    if (!IsMainThread()) return false;
    TQueue& q = MainQueue();
    bool ran = false;
    for (;;) {
        std::function<void()> item;
        {
            std::lock_guard guard(q.lock);
            if (q.items.empty()) return ran;
            item = std::move(q.items.front());
            q.items.pop_front();
        }
        ran = true;
        item();  // an exception from queued work goes to the loop's exception handling
    }
}

void TThread::SetWakeMainThread(std::function<void()> wake) {
    TQueue& q = MainQueue();
    std::lock_guard guard(q.lock);
    q.wake = std::move(wake);
}

}  // namespace Ui
