// Picks the build of the fast stages, span kernels and 8-bit kernels for the instruction sets the
// CPU has.
#include <atomic>

#include "raster/LowpKernels.h"
#include "raster/Pipeline.h"
#include "raster/SpanKernels.h"

namespace plix {

namespace sse2 {
const StageFn* stageTable();
const SpanKernels* spanKernels();
const LowpKernels* lowpKernels();
}  // namespace sse2
namespace avx2 {
const StageFn* stageTable();
const SpanKernels* spanKernels();
const LowpKernels* lowpKernels();
}  // namespace avx2
namespace avx512 {
const StageFn* stageTable();
const SpanKernels* spanKernels();
const LowpKernels* lowpKernels();
}  // namespace avx512

namespace {

const StageFn* tableOf(Isa isa) {
    switch (isa) {
        case Isa::AVX512: return avx512::stageTable();
        case Isa::AVX2: return avx2::stageTable();
        default: return sse2::stageTable();
    }
}

Isa bestIsa() {
    static const Isa best = [] {
        if (isaSupported(Isa::AVX512)) return Isa::AVX512;
        if (isaSupported(Isa::AVX2)) return Isa::AVX2;
        return Isa::SSE2;
    }();
    return best;
}

std::atomic<int> gForced{-1};

constexpr const char* kNames[] = {
#define X(name) #name,
    PLIX_STAGES(X)
#undef X
};

}  // namespace

bool isaSupported(Isa isa) {
    __builtin_cpu_init();
    switch (isa) {
        case Isa::AVX512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                   __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
                   isaSupported(Isa::AVX2);
        case Isa::AVX2: return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        default: return true;
    }
}

Isa activeIsa() {
    const int forced = gForced.load(std::memory_order_relaxed);
    return forced >= 0 ? Isa(forced) : bestIsa();
}

void forceIsa(Isa isa) { gForced.store(isaSupported(isa) ? int(isa) : -1, std::memory_order_relaxed); }
void clearForcedIsa() { gForced.store(-1, std::memory_order_relaxed); }

const SpanKernels& spanKernels() {
    switch (activeIsa()) {
        case Isa::AVX512: return *avx512::spanKernels();
        case Isa::AVX2: return *avx2::spanKernels();
        default: return *sse2::spanKernels();
    }
}

const LowpKernels& lowpKernels() {
    switch (activeIsa()) {
        case Isa::AVX512: return *avx512::lowpKernels();
        case Isa::AVX2: return *avx2::lowpKernels();
        default: return *sse2::lowpKernels();
    }
}

StageFn stageFn(Op op) { return tableOf(activeIsa())[int(op)]; }
const char* opName(Op op) { return int(op) < kOpCount ? kNames[int(op)] : "?"; }

}  // namespace plix
