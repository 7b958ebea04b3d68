// The fast executor, compiled once per instruction set: the including file defines
// PLIX_SKSL_ISA (a namespace name) and is built with that set's compiler flags.
//
// A batch is kLanes pixels; a slot holds one value for each of them as NV native vectors of
// VL lanes. Every instruction loops over its n slots and, inside, over the NV vectors, so the
// cost of decoding an instruction is shared by kLanes pixels.

#include "sksl/codegen/DecodedProgram.h"
#include "sksl/codegen/Executor.h"
#include "sksl/codegen/SlotProgram.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace plix::sksl::PLIX_SKSL_ISA {

namespace {

#if defined(__AVX512F__)
constexpr int VL = 16;
#elif defined(__AVX__)
constexpr int VL = 8;
#else
constexpr int VL = 4;
#endif
constexpr int W = kLanes;
constexpr int NV = W / VL;
static_assert(W % VL == 0);

typedef float F __attribute__((vector_size(4 * VL)));
typedef int32_t I __attribute__((vector_size(4 * VL)));
typedef uint32_t U __attribute__((vector_size(4 * VL)));

#include "sksl/codegen/VecMath.h"

using namespace vmath;

struct alignas(64) Slot {
    I v[NV];
};

inline F sel(I m, F a, F b) { return select<F, I>(m, a, b); }
inline F fmin(F a, F b) { return vmin<F, I>(a, b); }
inline F fmax(F a, F b) { return vmax<F, I>(a, b); }

inline F fsign(F x) {
    return sel((I)(x > 0.0f), F{} + 1.0f, sel((I)(x < 0.0f), F{} - 1.0f, F{} + 0.0f));
}

inline F toLinear(F x) {
    F a = vabs<F, I>(x);
    F lo = a / 12.92f;
    F hi = vpow<F, I>((a + 0.055f) / 1.055f, F{} + 2.4f);
    F r = sel((I)(a <= 0.04045f), lo, hi);
    return (F)((I)r | ((I)x & (int32_t)0x80000000));
}

inline F fromLinear(F x) {
    F a = vabs<F, I>(x);
    F lo = a * 12.92f;
    F hi = 1.055f * vpow<F, I>(a, F{} + (1.0f / 2.4f)) - 0.055f;
    F r = sel((I)(a <= 0.0031308f), lo, hi);
    return (F)((I)r | ((I)x & (int32_t)0x80000000));
}

inline I divInt(I a, I b) {
    I r;
    for (int i = 0; i < VL; ++i) {
        int32_t x = a[i], y = b[i];
        // Division by zero divides by -1, as the reference engine does; x / -1 wraps.
        if (y == 0 || y == -1) r[i] = static_cast<int32_t>(0u - static_cast<uint32_t>(x));
        else r[i] = x / y;
    }
    return r;
}

inline bool anySet(const Slot& m) {
    I acc = m.v[0];
    for (int j = 1; j < NV; ++j) acc |= m.v[j];
    return anyLane<F, I>(acc);
}

struct Context {
    const std::vector<Step>& code;
    const ExecArgs& args;
    Slot* regs;
    int* counters;
    int n;  // live pixels in this batch
};

void callChild(Context& ctx, const Inst& in) {
    Slot* regs = ctx.regs;
    const int inputs = in.op == Op::child_shader ? 2 : in.op == Op::child_color_filter ? 4 : 8;
    alignas(64) float inBuf[8][W];
    alignas(64) float outBuf[4][W];
    for (int i = 0; i < inputs; ++i) {
        Slot v = regs[in.a + i];
        if (in.b >= 0) {
            for (int j = 0; j < NV; ++j) v.v[j] &= regs[in.b].v[j];  // unused lanes read zero
        }
        std::memcpy(inBuf[i], &v, sizeof(v));
    }
    const ChildEval* child = ctx.args.children ? &ctx.args.children[in.c] : nullptr;
    if (child && child->eval) {
        const float* ins[8];
        float* outs[4];
        for (int i = 0; i < inputs; ++i) ins[i] = inBuf[i];
        for (int i = 0; i < 4; ++i) outs[i] = outBuf[i];
        std::memset(outBuf, 0, sizeof(outBuf));
        child->eval(child->context, ctx.n, ins, outs);
        // Spare lanes of a short batch take the last real lane's colour, as their inputs are
        // the last real pixel's (see loadLanes).
        for (int i = 0; i < 4; ++i) std::fill(outBuf[i] + ctx.n, outBuf[i] + W, outBuf[i][ctx.n - 1]);
    } else if (in.op == Op::child_shader) {
        std::memset(outBuf, 0, sizeof(outBuf));
    } else if (in.op == Op::child_color_filter) {
        std::memcpy(outBuf, inBuf, sizeof(outBuf));
    } else {
        // Source over destination.
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < W; ++i) outBuf[c][i] = inBuf[c][i] + inBuf[4 + c][i] * (1.0f - inBuf[3][i]);
        }
    }
    for (int i = 0; i < 4; ++i) std::memcpy(&regs[in.dst + i], outBuf[i], sizeof(Slot));
}

void execute(Context& ctx) {
    Slot* const regs = ctx.regs;
    char* const bytes = reinterpret_cast<char*>(regs);
    const Step* const code = ctx.code.data();
    const size_t size = ctx.code.size();
    size_t pc = 0;
    while (pc < size) {
        const Step& step = code[pc++];
        const Inst& in = step.in;
        const int n = in.n;
        const ptrdiff_t sa = step.sa, sb = step.sb, sc = step.sc;  // bytes
        // Operands that are not slots (targets, immediates, -1) give unused pointers.
        Slot* d = reinterpret_cast<Slot*>(bytes + step.d);
        const char* a = bytes + step.a;
        const char* b = bytes + step.b;
        const char* c = bytes + step.c;
#define A(k) (*reinterpret_cast<const Slot*>(a + (k) * sa))
#define B(k) (*reinterpret_cast<const Slot*>(b + (k) * sb))
#define C(k) (*reinterpret_cast<const Slot*>(c + (k) * sc))
#define LOOP(...) for (int k = 0; k < n; ++k) for (int j = 0; j < NV; ++j) { __VA_ARGS__; } break
#define UNARY_F(...) LOOP(F x = (F)A(k).v[j]; d[k].v[j] = (I)(__VA_ARGS__))
#define BINARY_F(...) LOOP(F x = (F)A(k).v[j]; F y = (F)B(k).v[j]; d[k].v[j] = (I)(__VA_ARGS__))
#define TERNARY_F(...) LOOP(F x = (F)A(k).v[j]; F y = (F)B(k).v[j]; F z = (F)C(k).v[j]; d[k].v[j] = (I)(__VA_ARGS__))
#define UNARY_I(...) LOOP(I x = A(k).v[j]; d[k].v[j] = (__VA_ARGS__))
#define BINARY_I(...) LOOP(I x = A(k).v[j]; I y = B(k).v[j]; d[k].v[j] = (__VA_ARGS__))
#define BINARY_U(...) LOOP(U x = (U)A(k).v[j]; U y = (U)B(k).v[j]; d[k].v[j] = (I)(__VA_ARGS__))
        switch (in.op) {
            case Op::copy:
                for (int k = 0; k < n; ++k) d[k] = A(k);
                break;
            case Op::copy_masked: LOOP(I m = C(k).v[j]; d[k].v[j] = (A(k).v[j] & m) | (d[k].v[j] & ~m));
            case Op::select: LOOP(I m = C(k).v[j]; d[k].v[j] = (A(k).v[j] & m) | (B(k).v[j] & ~m));
            case Op::load_indirect: {
                const int off = B(0).v[0][0];
                for (int k = 0; k < n; ++k) d[k] = regs[in.a + off + k];
                break;
            }
            case Op::store_indirect: {
                const int off = B(0).v[0][0];
                for (int k = 0; k < n; ++k) {
                    Slot* t = regs + in.dst + off + k;
                    for (int j = 0; j < NV; ++j) {
                        I v = reinterpret_cast<const Slot*>(a)[k].v[j];
                        if (in.c >= 0) v = (v & C(0).v[j]) | (t->v[j] & ~C(0).v[j]);
                        t->v[j] = v;
                    }
                }
                break;
            }
            case Op::bit_and: BINARY_I(x & y);
            case Op::bit_or: BINARY_I(x | y);
            case Op::bit_xor: BINARY_I(x ^ y);
            case Op::bit_andnot: BINARY_I(x & ~y);
            case Op::bit_not: UNARY_I(~x);
            case Op::add_f: BINARY_F(x + y);
            case Op::sub_f: BINARY_F(x - y);
            case Op::mul_f: BINARY_F(x * y);
            case Op::div_f: BINARY_F(x / y);
            case Op::min_f: BINARY_F(fmin(x, y));
            case Op::max_f: BINARY_F(fmax(x, y));
            case Op::neg_f: UNARY_F(-x);
            case Op::abs_f: UNARY_F(vabs<F, I>(x));
            case Op::mad_f: TERNARY_F(x * y + z);
            case Op::dot_f:
                for (int j = 0; j < NV; ++j) {
                    F s = (F)reinterpret_cast<const Slot*>(a)[0].v[j] * (F)reinterpret_cast<const Slot*>(b)[0].v[j];
                    for (int k = 1; k < n; ++k) s = s + (F)reinterpret_cast<const Slot*>(a)[k].v[j] * (F)reinterpret_cast<const Slot*>(b)[k].v[j];
                    d[0].v[j] = (I)s;
                }
                break;
            case Op::add_i: BINARY_U(x + y);
            case Op::sub_i: BINARY_U(x - y);
            case Op::mul_i: BINARY_U(x * y);
            case Op::div_i: BINARY_I(divInt(x, y));
            case Op::neg_i: LOOP(d[k].v[j] = (I)(U{} - (U)A(k).v[j]));
            case Op::min_i: BINARY_I(y < x ? y : x);
            case Op::max_i: BINARY_I(x < y ? y : x);
            case Op::lt_f: BINARY_F(x < y);
            case Op::le_f: BINARY_F(x <= y);
            case Op::eq_f: BINARY_F(x == y);
            case Op::ne_f: BINARY_F(x != y);
            case Op::lt_i: BINARY_I(x < y);
            case Op::le_i: BINARY_I(x <= y);
            case Op::eq_i: BINARY_I(x == y);
            case Op::ne_i: BINARY_I(x != y);
            case Op::f2i: LOOP(d[k].v[j] = toInt<F, I>((F)A(k).v[j]));
            case Op::i2f: LOOP(d[k].v[j] = (I)__builtin_convertvector(A(k).v[j], F));
            case Op::f2b: UNARY_F((F)(x != 0.0f));
            case Op::i2b: UNARY_I(x != 0);
            case Op::b2f: UNARY_I(x & 0x3f800000);
            case Op::b2i: UNARY_I(x & 1);
            case Op::floor_f: UNARY_F(vfloor<F, I>(x));
            case Op::ceil_f: UNARY_F(vceil<F, I>(x));
            case Op::fract_f: UNARY_F(x - vfloor<F, I>(x));
            case Op::sqrt_f: UNARY_F(vsqrt<F>(x));
            case Op::rsqrt_f: UNARY_F(1.0f / vsqrt<F>(x));
            case Op::sin_f: UNARY_F(vsin<F, I>(x));
            case Op::cos_f: UNARY_F(vcos<F, I>(x));
            case Op::tan_f: UNARY_F(vsin<F, I>(x) / vcos<F, I>(x));
            case Op::asin_f: UNARY_F(vasin<F, I>(x));
            case Op::acos_f: UNARY_F(1.5707963267948966f - vasin<F, I>(x));
            case Op::atan_f: UNARY_F(vatan<F, I>(x));
            case Op::exp_f: UNARY_F(vexp<F, I>(x));
            case Op::exp2_f: UNARY_F(vexp2<F, I>(x));
            case Op::log_f: UNARY_F(vlog<F, I>(x));
            case Op::log2_f: UNARY_F(vlog2<F, I>(x));
            case Op::sign_f: UNARY_F(fsign(x));
            case Op::to_linear_f: UNARY_F(toLinear(x));
            case Op::from_linear_f: UNARY_F(fromLinear(x));
            case Op::pow_f: BINARY_F(vpow<F, I>(x, y));
            case Op::atan2_f: BINARY_F(vatan2<F, I>(x, y));
            case Op::mod_f: BINARY_F(x - y * vfloor<F, I>(x / y));
            case Op::step_f: BINARY_F(sel((I)(y >= x), F{} + 1.0f, F{} + 0.0f));
            case Op::mix_f: TERNARY_F(x + (y - x) * z);
            case Op::clamp_f: TERNARY_F(fmin(fmax(x, y), z));
            case Op::smoothstep_f:
                LOOP(F e0 = (F)A(k).v[j]; F e1 = (F)B(k).v[j]; F x = (F)C(k).v[j];
                     F t = fmin(fmax((x - e0) / (e1 - e0), F{} + 0.0f), F{} + 1.0f);
                     d[k].v[j] = (I)(t * t * (3.0f - 2.0f * t)));
            case Op::jump:
                pc = static_cast<size_t>(in.dst);
                break;
            case Op::branch_if_none:
                if (!anySet(regs[in.a])) pc = static_cast<size_t>(in.dst);
                break;
            case Op::counter_set:
                ctx.counters[in.dst] = in.a;
                break;
            case Op::counter_loop:
                if (--ctx.counters[in.dst] > 0) pc = static_cast<size_t>(in.a);
                break;
            case Op::child_shader:
            case Op::child_color_filter:
            case Op::child_blender:
                callChild(ctx, in);
                break;
        }
#undef LOOP
#undef UNARY_F
#undef BINARY_F
#undef TERNARY_F
#undef UNARY_I
#undef BINARY_I
#undef BINARY_U
#undef A
#undef B
#undef C
    }
}

// Loads a batch's n pixels. The spare lanes of a short batch repeat the last real pixel: every
// instruction is lane-wise, so they then take the same side of every branch as that pixel, and
// a branch or an early return that no real pixel needs is skipped instead of run for them.
void loadLanes(Slot* dst, const float* src, int base, int n) {
    if (src && n == W) {
        std::memcpy(dst, src + base, sizeof(Slot));
        return;
    }
    alignas(64) float lanes[W] = {};
    if (src) {
        std::memcpy(lanes, src + base, sizeof(float) * n);
        std::fill(lanes + n, lanes + W, lanes[n - 1]);
    }
    std::memcpy(dst, lanes, sizeof(lanes));
}

}  // namespace

// Runs a prepared register file (constants and uniforms in place) over args.count pixels.
void Execute(const SlotProgram& p, const DecodedProgram& steps, void* registers, int* counters,
             const ExecArgs& args) {
    if (args.count <= 0) return;
    Slot* regs = static_cast<Slot*>(registers);
    Context ctx{steps.code, args, regs, counters, 0};
    for (int base = 0; base < args.count; base += W) {
        const int n = std::min(W, args.count - base);
        ctx.n = n;
        if (p.coordX >= 0) {
            loadLanes(&regs[p.coordX], args.x, base, n);
            loadLanes(&regs[p.coordY], args.y, base, n);
        }
        if (p.fragX >= 0) {
            loadLanes(&regs[p.fragX], args.fragX ? args.fragX : args.x, base, n);
            loadLanes(&regs[p.fragY], args.fragY ? args.fragY : args.y, base, n);
        }
        if (p.color >= 0) {
            for (int i = 0; i < 4; ++i) loadLanes(&regs[p.color + i], args.color[i], base, n);
        }
        if (p.dstColor >= 0) {
            for (int i = 0; i < 4; ++i) loadLanes(&regs[p.dstColor + i], args.dst[i], base, n);
        }
        execute(ctx);
        for (int i = 0; i < 4; ++i) {
            if (!args.out[i]) continue;
            std::memcpy(args.out[i] + base, &regs[p.result + i], sizeof(float) * n);
        }
    }
}

// Runs the program's prologue over a whole batch of lanes, leaving its results in place for the
// batches that follow.
void Prologue(const SlotProgram& p, const DecodedProgram& steps, void* registers, int* counters,
              const ExecArgs& args) {
    if (p.prologue.empty()) return;
    Context ctx{steps.prologue, args, static_cast<Slot*>(registers), counters, W};
    execute(ctx);
}

}  // namespace plix::sksl::PLIX_SKSL_ISA
