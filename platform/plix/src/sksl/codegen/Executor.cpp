#include "sksl/codegen/Executor.h"

#include "sksl/codegen/SlotProgram.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace plix::sksl {

namespace sse2 { void Execute(const SlotProgram&, void*, int*, const ExecArgs&); }
namespace avx2 { void Execute(const SlotProgram&, void*, int*, const ExecArgs&); }
namespace avx512 { void Execute(const SlotProgram&, void*, int*, const ExecArgs&); }

namespace {

using RunFn = void (*)(const SlotProgram&, void*, int*, const ExecArgs&);

struct Isa {
    const char* name;
    RunFn run;
    bool (*supported)();
};

bool hasAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
}
bool hasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
bool always() { return true; }

constexpr Isa kIsas[] = {
    {"avx512", avx512::Execute, hasAvx512},
    {"avx2", avx2::Execute, hasAvx2},
    {"sse2", sse2::Execute, always},
};

const Isa* best() {
    static const Isa* chosen = [] {
        for (const Isa& isa : kIsas) {
            if (isa.supported()) return &isa;
        }
        return &kIsas[2];
    }();
    return chosen;
}

std::atomic<const Isa*> gForced{nullptr};

const Isa* current() {
    const Isa* forced = gForced.load(std::memory_order_relaxed);
    return forced ? forced : best();
}

}  // namespace

BatchRunner::BatchRunner(const SlotProgram& program, const void* uniforms) : fProgram(program) {
    const size_t slots = static_cast<size_t>(std::max(program.slotCount, 1));
    const size_t bytes = slots * kLanes * sizeof(uint32_t);
    fRegisters = ::operator new(bytes, std::align_val_t(64));
    std::memset(fRegisters, 0, bytes);
    fCounters = new int[std::max(program.counterCount, 1)]();
    auto* words = static_cast<uint32_t*>(fRegisters);
    auto broadcast = [&](int slot, uint32_t bits) {
        std::fill(words + static_cast<size_t>(slot) * kLanes,
                  words + static_cast<size_t>(slot + 1) * kLanes, bits);
    };
    for (const auto& [slot, bits] : program.constants) broadcast(slot, bits);
    if (program.uniformSlots > 0 && uniforms) {
        const auto* bytesIn = static_cast<const unsigned char*>(uniforms);
        for (int k = 0; k < program.uniformSlots; ++k) {
            uint32_t v;
            std::memcpy(&v, bytesIn + 4 * k, 4);
            broadcast(program.uniformBase + k, v);
        }
    }
}

BatchRunner::~BatchRunner() {
    ::operator delete(fRegisters, std::align_val_t(64));
    delete[] fCounters;
}

void BatchRunner::run(const ExecArgs& args) {
    current()->run(fProgram, fRegisters, fCounters, args);
}

void RunSlotProgram(const SlotProgram& program, const ExecArgs& args) {
    if (args.count <= 0) return;
    BatchRunner(program, args.uniforms).run(args);
}

const char* FastExecutorIsa() { return current()->name; }

bool ForceFastExecutorIsa(const char* isa) {
    if (!isa) {
        gForced.store(nullptr);
        return true;
    }
    for (const Isa& i : kIsas) {
        if (std::strcmp(i.name, isa) == 0) {
            if (!i.supported()) return false;
            gForced.store(&i);
            return true;
        }
    }
    return false;
}

}  // namespace plix::sksl
