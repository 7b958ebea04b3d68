#include "sksl/codegen/Executor.h"

#include "sksl/codegen/DecodedProgram.h"
#include "sksl/codegen/SlotProgram.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <utility>

namespace plix::sksl {

namespace sse2 {
void Execute(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);
void Prologue(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);
}  // namespace sse2
namespace avx2 {
void Execute(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);
void Prologue(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);
}  // namespace avx2
namespace avx512 {
void Execute(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);
void Prologue(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);
}  // namespace avx512

namespace {

using RunFn = void (*)(const SlotProgram&, const DecodedProgram&, void*, int*, const ExecArgs&);

struct Isa {
    const char* name;
    RunFn run;
    RunFn prologue;
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
    {"avx512", avx512::Execute, avx512::Prologue, hasAvx512},
    {"avx2", avx2::Execute, avx2::Prologue, hasAvx2},
    {"sse2", sse2::Execute, sse2::Prologue, always},
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

BatchRunner::BatchRunner(const SlotProgram& program, const void* uniforms)
        : BatchRunner(program, std::make_shared<const DecodedProgram>(Decode(program)), uniforms) {}

BatchRunner::BatchRunner(const SlotProgram& program, std::shared_ptr<const DecodedProgram> steps,
                         const void* uniforms)
        : fProgram(program), fSteps(std::move(steps)) {
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
    const Isa* isa = current();
    // The prologue's child reads depend on the children, which come with the call.
    if (!fProgram.prologue.empty() && (!fPrologueDone || args.children != fPrologueChildren)) {
        isa->prologue(fProgram, *fSteps, fRegisters, fCounters, args);
        fPrologueDone = true;
        fPrologueChildren = args.children;
    }
    isa->run(fProgram, *fSteps, fRegisters, fCounters, args);
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
