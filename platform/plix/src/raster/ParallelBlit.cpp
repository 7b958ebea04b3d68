#include "raster/ParallelBlit.h"

#include <algorithm>
#include <atomic>

#include "core/WorkerPool.h"
#include "raster/PipelineBlitter.h"

namespace plix {

namespace {

std::atomic<BandSplit> gMode{BandSplit::Auto};

// Below this much work (pixels x cost) waking threads costs more than it saves: a full-window
// runtime shader is far above it, a plain gradient across a window about at it.
constexpr long long kMinWork = 1 << 21;
constexpr int kPixelsPerBand = 8192;  // small bands even out regions of unequal cost

struct Job {
    PipelineBlitter* owner;
    int x, y, w, h;
    int rowsPerBand, bands;
    std::atomic<int> next{0};
};

void runBands(void* context, int participant) {
    Job& job = *static_cast<Job*>(context);
    // The calling thread draws with its own blitter; helpers compile the same paint afresh.
    PipelineBlitter own;
    PipelineBlitter* blitter = job.owner;
    if (participant != 0) {
        if (!own.initLike(*job.owner)) return;  // the other threads do its share
        blitter = &own;
    }
    for (int band; (band = job.next.fetch_add(1, std::memory_order_relaxed)) < job.bands;) {
        const int top = job.y + band * job.rowsPerBand;
        const int bottom = std::min(top + job.rowsPerBand, job.y + job.h);
        for (int row = top; row < bottom; ++row) blitter->blitH(job.x, row, job.w);
    }
}

}  // namespace

void SetBandSplit(BandSplit mode) { gMode.store(mode, std::memory_order_relaxed); }

int PixelCost(const Pipeline& p) {
    int cost = 0;
    for (int i = 0; i < p.count(); ++i) {
        switch (p.op(i)) {
            case Op::callback: cost += 64; break;  // a program per pixel
            case Op::perlin_noise: cost += 32; break;
            case Op::image_sample: cost += 8; break;
            case Op::gradient: case Op::xy_to_2pt_conical: case Op::xy_to_unit_angle: cost += 4; break;
            default: cost += 1; break;
        }
    }
    return cost;
}

bool BlitRectInBands(PipelineBlitter& blitter, int x, int y, int w, int h) {
    const BandSplit mode = gMode.load(std::memory_order_relaxed);
    if (mode == BandSplit::Never || w <= 0 || h < 2) return false;
    const int threads = WorkerCount();
    if (threads < 2) return false;
    const long long pixels = (long long)w * h;
    if (mode == BandSplit::Auto && pixels * PixelCost(blitter.fullProgram()) < kMinWork) return false;
    Job job;
    job.owner = &blitter;
    job.x = x, job.y = y, job.w = w, job.h = h;
    job.rowsPerBand = std::clamp(kPixelsPerBand / w, 1, (h + 1) / 2);
    job.bands = (h + job.rowsPerBand - 1) / job.rowsPerBand;
    RunOnWorkers(std::min(threads, job.bands), runBands, &job);
    return true;
}

}  // namespace plix
