// The engine's worker threads: a small pool that lets one job run on several cores at once
// (large draws split into bands of rows). Threads are made on first use, one fewer than the
// cores since the calling thread works too, and joined when the library is unloaded, so no
// thread outlives the engine's code.
//
// One job runs at a time. A job asked for while another runs, or from inside a job, runs on the
// calling thread alone; a thread that cannot be made means fewer helpers. A job is therefore
// always complete when RunOnWorkers returns, whatever the pool could give it.
#pragma once

namespace plix {

// Calls fn(context, participant) on up to `participants` threads at once, the calling thread
// being participant 0, and returns when every call has returned. fn must share out the work
// itself (an atomic counter of bands in the context, say) so that any number of participants,
// even one, completes it.
void RunOnWorkers(int participants, void (*fn)(void* context, int participant), void* context);

// Threads a job can use at once, the calling thread included: the cores, or the limit set by
// SetWorkerLimit, or the environment variable PLIX_THREADS when it is a number from 1 up.
int WorkerCount();

// Caps the threads of later jobs (1: everything on the calling thread; 0: back to the default).
void SetWorkerLimit(int threads);

}  // namespace plix
