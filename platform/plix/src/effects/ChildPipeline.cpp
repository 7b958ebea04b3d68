#include "effects/ChildPipeline.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>

#include "effects/ThreadCache.h"
#include "raster/ShadingScalar.h"

namespace plix {

namespace {

constexpr int kMaxTableTexels = 64 * 64;

std::atomic<uint64_t> gNextId{1};
std::atomic<uint64_t> gNextThread{1};

uint64_t threadNumber() {
    thread_local uint64_t number = gNextThread.fetch_add(1);
    return number;
}

}  // namespace

// A stage list compiled on one thread for one child, kept for the draws that follow.
struct ChildPipeline::Compiled {
    sp<Shader> shader;  // what the contexts point into
    std::unique_ptr<Pipeline> pipeline;
    bool ok = false;
};

ChildPipeline::ChildPipeline(const Shader& shader)
    : fShader(sp_ref(const_cast<Shader*>(&shader))), fId(gNextId.fetch_add(1)), fOwner(threadNumber()) {
    StageRec rec{&fPipeline, nullptr, 1.0f};
    fOk = shader.appendStages(rec, Matrix());
    if (!fOk || fPipeline.empty()) return;
    // The shortcut takes stage lists that end in a nearest read of one small level; reads of
    // 32-bit pixels have their own vector path that the table would not match bit for bit.
    const int last = fPipeline.count() - 1;
    if (fPipeline.op(last) != Op::image_sample) return;
    for (int i = 0; i < last; ++i)
        if (fPipeline.op(i) != Op::matrix_2x3 && fPipeline.op(i) != Op::matrix_perspective) return;
    const auto& ctx = *static_cast<const ImageCtx*>(fPipeline.ctx(last));
    const ImageLevel& lv = ctx.level[0];
    if (ctx.filter != 0 || ctx.levelWeight != 0 || lv.fastFormat != 0 || lv.width <= 0 || lv.height <= 0 ||
        lv.width * lv.height > kMaxTableTexels)
        return;
    fWidth = lv.width, fHeight = lv.height;
    fTileX = ctx.tileX, fTileY = ctx.tileY;
    fTable.resize(size_t(fWidth) * size_t(fHeight) * 4);
    for (int y = 0; y < fHeight; ++y)
        for (int x = 0; x < fWidth; ++x)
            sampleImage(ctx, float(x) + 0.5f, float(y) + 0.5f, &fTable[(size_t(y) * size_t(fWidth) + size_t(x)) * 4]);
    fReadStage = last;
}

const Pipeline& ChildPipeline::pipelineOfThisThread(bool* ok, int** inUse) const {
    *inUse = nullptr;
    if (threadNumber() == fOwner) {
        *ok = fOk;
        return fPipeline;
    }
    thread_local ThreadCache<Compiled> cache;  // a child may run while a nested child is looked up
    auto* entry = cache.lookup(fId);
    if (!entry) {  // all running: a nest this deep is not worth a thread's own list
        *ok = fOk;
        return fPipeline;
    }
    Compiled& compiled = entry->value;
    if (entry->id != fId) {
        compiled.pipeline = std::make_unique<Pipeline>();
        StageRec rec{compiled.pipeline.get(), nullptr, 1.0f};
        compiled.ok = fShader->appendStages(rec, Matrix());
        compiled.shader = fShader;
        entry->id = fId;
    }
    *ok = compiled.ok;
    *inUse = &entry->inUse;
    return *compiled.pipeline;
}

void ChildPipeline::Eval(void* context, int n, const float* const* in, float* const* out) {
    const auto* self = static_cast<const ChildPipeline*>(context);
    if (self->fReadStage >= 0) return self->evalTable(self->fPipeline, n, in, out);
    bool ok = false;
    int* inUse = nullptr;
    const Pipeline& p = self->pipelineOfThisThread(&ok, &inUse);
    if (!ok) {
        for (int c = 0; c < 4; ++c) std::memset(out[c], 0, sizeof(float) * size_t(n));
        return;
    }
    if (inUse) ++*inUse;
    self->evalPipeline(p, n, in, out);
    if (inUse) --*inUse;
}

void ChildPipeline::evalPipeline(const Pipeline& p, int n, const float* const* in, float* const* out) const {
    Batch batch;
    for (int start = 0; start < n; start += kBatch) {
        const int count = std::min(kBatch, n - start);
        std::memcpy(batch.x, in[0] + start, sizeof(float) * size_t(count));
        std::memcpy(batch.y, in[1] + start, sizeof(float) * size_t(count));
        batch.n = count;
        p.run(batch);
        std::memcpy(out[0] + start, batch.r, sizeof(float) * size_t(count));
        std::memcpy(out[1] + start, batch.g, sizeof(float) * size_t(count));
        std::memcpy(out[2] + start, batch.b, sizeof(float) * size_t(count));
        std::memcpy(out[3] + start, batch.a, sizeof(float) * size_t(count));
    }
}

// The stages before the read only map coordinates and keep no state, so the list the child was
// made with serves every thread.
void ChildPipeline::evalTable(const Pipeline& p, int n, const float* const* in, float* const* out) const {
    alignas(32) float xs[kBatch], ys[kBatch];
    for (int start = 0; start < n; start += kBatch) {
        const int count = std::min(kBatch, n - start);
        const float* x = in[0] + start;
        const float* y = in[1] + start;
        if (fReadStage > 0) {
            // One batch per thread, not one per call: making a batch clears all its registers,
            // which costs more than the matrix. The stages before the read call nothing that
            // could come back here.
            thread_local Batch batch;
            std::memcpy(batch.x, x, sizeof(float) * size_t(count));
            std::memcpy(batch.y, y, sizeof(float) * size_t(count));
            batch.n = count;
            for (int s = 0; s < fReadStage; ++s) stageFn(p.op(s))(batch, p.ctx(s));
            std::memcpy(xs, batch.x, sizeof(float) * size_t(count));
            std::memcpy(ys, batch.y, sizeof(float) * size_t(count));
            x = xs, y = ys;
        }
        // Locals, so that the stores below do not make the compiler fetch these again.
        float* const r = out[0] + start;
        float* const g = out[1] + start;
        float* const b = out[2] + start;
        float* const a = out[3] + start;
        const float* const table = fTable.data();
        const int width = fWidth, height = fHeight;
        const bool clamp = fTileX == TileMode::Clamp && fTileY == TileMode::Clamp;
        for (int i = 0; i < count; ++i) {
            int tx, ty;
            static constexpr float kNone[4] = {0, 0, 0, 0};
            const float* texel = kNone;
            if (clamp) {
                tx = std::clamp(nearestIndex(x[i]), 0, width - 1);
                ty = std::clamp(nearestIndex(y[i]), 0, height - 1);
                texel = table + (size_t(ty) * size_t(width) + size_t(tx)) * 4;
            } else if (nearestTile(fTileX, x[i], width, &tx) && nearestTile(fTileY, y[i], height, &ty)) {
                texel = table + (size_t(ty) * size_t(width) + size_t(tx)) * 4;
            }
            r[i] = texel[0];
            g[i] = texel[1];
            b[i] = texel[2];
            a[i] = texel[3];
        }
    }
}

}  // namespace plix
