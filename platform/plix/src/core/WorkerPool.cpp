#include "core/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace plix {

namespace {

using JobFn = void (*)(void*, int);

constexpr int kMaxThreads = 64;

// Set on the pool's threads and around the caller's own share: a job started from inside a job
// runs inline instead of waiting for threads that are busy with its parent.
thread_local bool tInJob = false;

std::atomic<int> gLimit{0};

int defaultThreads() {
    static const int threads = [] {
        if (const char* env = std::getenv("PLIX_THREADS")) {
            char* end = nullptr;
            const long v = std::strtol(env, &end, 10);
            if (end != env && *end == '\0' && v >= 1) return int(std::min<long>(v, kMaxThreads));
        }
        const unsigned cores = std::thread::hardware_concurrency();
        return std::clamp(int(cores), 1, kMaxThreads);
    }();
    return threads;
}

class Pool {
public:
    Pool() = default;
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    // Runs at library unload (or program exit): no job is running then, so the threads are
    // idle and leave at once.
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(fLock);
            fStop = true;
        }
        fWake.notify_all();
        for (std::thread& t : fThreads) t.join();
    }

    void run(int helpersWanted, JobFn fn, void* context) {
        std::unique_lock<std::mutex> job(fJobLock, std::try_to_lock);
        if (!job.owns_lock()) return runInline(fn, context);  // another thread's job runs
        const int helpers = std::min(helpersWanted, addThreads(helpersWanted));
        if (helpers <= 0) return runInline(fn, context);
        {
            std::lock_guard<std::mutex> lock(fLock);
            fFn = fn;
            fContext = context;
            fOpen = helpers;
            fNext = 1;
        }
        fWake.notify_all();
        runInline(fn, context);
        // Places no thread has taken by now are withdrawn: the work is shared out by the job
        // itself, so a late helper would find nothing left anyway.
        std::unique_lock<std::mutex> lock(fLock);
        fOpen = 0;
        fDone.wait(lock, [&] { return fRunning == 0; });
    }

private:
    static void runInline(JobFn fn, void* context) {
        const bool outer = tInJob;
        tInJob = true;
        fn(context, 0);
        tInJob = outer;
    }

    // Makes threads up to the number wanted (under fJobLock); returns how many there are. A
    // thread the system refuses leaves the pool smaller.
    int addThreads(int wanted) {
        wanted = std::min(wanted, kMaxThreads - 1);
        while (int(fThreads.size()) < wanted) {
            try {
                fThreads.emplace_back([this] { workerMain(); });
            } catch (const std::system_error&) {
                break;
            }
        }
        return int(fThreads.size());
    }

    void workerMain() {
        tInJob = true;
        std::unique_lock<std::mutex> lock(fLock);
        for (;;) {
            fWake.wait(lock, [&] { return fStop || fOpen > 0; });
            if (fStop) return;
            --fOpen;
            const int participant = fNext++;
            ++fRunning;
            const JobFn fn = fFn;
            void* const context = fContext;
            lock.unlock();
            fn(context, participant);
            lock.lock();
            if (--fRunning == 0) fDone.notify_all();
        }
    }

    std::mutex fJobLock;  // held by the thread whose job runs
    std::mutex fLock;     // guards the fields below
    std::condition_variable fWake, fDone;
    std::vector<std::thread> fThreads;
    JobFn fFn = nullptr;
    void* fContext = nullptr;
    int fOpen = 0;     // places for helpers not yet taken
    int fNext = 1;     // participant number of the next helper
    int fRunning = 0;  // helpers inside the job
    bool fStop = false;
};

Pool& pool() {
    static Pool instance;
    return instance;
}

}  // namespace

int WorkerCount() {
    const int limit = gLimit.load(std::memory_order_relaxed);
    return limit > 0 ? std::min(limit, kMaxThreads) : defaultThreads();
}

void SetWorkerLimit(int threads) { gLimit.store(std::max(threads, 0), std::memory_order_relaxed); }

void RunOnWorkers(int participants, void (*fn)(void* context, int participant), void* context) {
    const int count = std::min(participants, WorkerCount());
    if (count <= 1 || tInJob) {
        fn(context, 0);
        return;
    }
    pool().run(count - 1, fn, context);
}

}  // namespace plix
