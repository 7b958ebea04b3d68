#include "sksl/codegen/Executor.h"

#include "sksl/codegen/SlotProgram.h"

#include <atomic>
#include <cstring>

namespace plix::sksl {

namespace sse2 { void Run(const SlotProgram&, const ExecArgs&); }
namespace avx2 { void Run(const SlotProgram&, const ExecArgs&); }
namespace avx512 { void Run(const SlotProgram&, const ExecArgs&); }

namespace {

using RunFn = void (*)(const SlotProgram&, const ExecArgs&);

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
    {"avx512", avx512::Run, hasAvx512},
    {"avx2", avx2::Run, hasAvx2},
    {"sse2", sse2::Run, always},
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

void RunSlotProgram(const SlotProgram& program, const ExecArgs& args) {
    current()->run(program, args);
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
