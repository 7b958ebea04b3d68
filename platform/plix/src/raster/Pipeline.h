// The pixel pipeline. A draw is compiled once into a flat list of stages; the list then runs
// over batches of up to kBatch pixels held as structure-of-arrays floats: each stage is one
// pass over the batch, written so that the compiler turns it into SIMD code. No virtual call
// and no branch on the paint happens per pixel.
//
// Registers of a batch: x, y (sample position), r, g, b, a (source colour, premultiplied),
// dr, dg, db, da (destination colour), c (coverage in [0, 1]).
//
// runReference() interprets the same list one pixel at a time with plain scalar code; tests
// hold the fast stages to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "core/BlendMode.h"
#include "raster/PixelFormats.h"
#include "raster/StageContexts.h"

namespace plix {

constexpr int kBatch = 64;  // pixels per run of the stage list
constexpr int kLanes = 8;   // SIMD width the stage loops are written for

struct alignas(32) Batch {
    float x[kBatch], y[kBatch];
    float r[kBatch], g[kBatch], b[kBatch], a[kBatch];
    float dr[kBatch], dg[kBatch], db[kBatch], da[kBatch];
    float c[kBatch];
    int n = 0;       // live pixels; lanes past n hold junk that stages may compute on freely
    int dx = 0, dy = 0;  // device position of pixel 0 (pixels run along +x)

    Batch() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }
};

// Every stage, once. Blend stages are generated from the blend-mode list.
#define PLIX_STAGE_BLEND(mode) X(blend_##mode)
#define PLIX_STAGES_BASE(X)                                                                     \
    X(seed_shader)        /* x = dx + i + 0.5, y = dy + 0.5 */                                  \
    X(matrix_2x3)         /* ctx float[6] {sx kx tx ky sy ty}: maps x, y */                     \
    X(matrix_perspective) /* ctx float[9] */                                                    \
    X(constant_color)     /* ctx float[4], premultiplied */                                     \
    X(load_src)           /* ctx MemoryCtx: r..a from memory at (dx, dy) */                     \
    X(load_dst)           /* ctx MemoryCtx: dr..da from memory at (dx, dy) */                   \
    X(store)              /* ctx MemoryCtx: r..a to memory at (dx, dy) */                       \
    X(premul) X(unpremul) X(premul_dst)                                                         \
    X(force_opaque) X(force_opaque_dst)                                                         \
    X(clamp_01)           /* r, g, b, a to [0, 1] */                                            \
    X(clamp_a)            /* a to [0, 1], then r, g, b to [0, a] */                             \
    X(scale_1_float)      /* ctx float: r..a *= v */                                            \
    X(scale_coverage)     /* r..a *= c */                                                       \
    X(lerp_coverage)      /* r..a = d + (s - d) * c */                                          \
    X(dither)             /* ctx float: the step of the destination format */                   \
    X(transfer_fn)        /* ctx TransferFn: r, g, b through the curve */                       \
    X(gamut)              /* ctx Matrix3: r, g, b through the matrix */                         \
    X(swap_src_dst)                                                                             \
    X(save_src)           /* ctx SavedColor*: keeps r..a and x, y */                            \
    X(restore_xy)         /* ctx SavedColor*: x, y back */                                      \
    X(saved_to_dst)       /* ctx SavedColor*: dr..da = the kept r..a */                         \
    X(callback)           /* ctx CallbackCtx: an outside program fills r..a from x, y */      \
    X(callback_blend)     /* ctx BlendCallbackCtx: an outside program blends r..a with dr..da */ \
    X(load_rgba) X(load_dst_rgba) X(store_rgba) /* ctx MemoryCtx: 8888 in R, G, B, A order */    \
    X(load_bgra) X(load_dst_bgra) X(store_bgra) /* ctx MemoryCtx: 8888 in B, G, R, A order */    \
    /* Gradients: x becomes the gradient's t, y a mask (1 drawn, 0 transparent). */            \
    X(xy_to_linear)       /* t = x, y = 1 */                                                    \
    X(xy_to_radius)       /* t = |(x, y)|, y = 1 */                                             \
    X(xy_to_unit_angle)   /* t = angle of (x, y) from +x towards +y, in turns [0, 1); y = 1 */  \
    X(xy_to_2pt_conical)  /* ctx ConicalCtx: t of the largest circle through (x, y); y = 0   \
                             where there is none */                                             \
    X(t_scale_bias)       /* ctx float[2]: t = t * s + b */                                     \
    X(tile_t_clamp) X(tile_t_repeat) X(tile_t_mirror)                                           \
    X(tile_t_decal)       /* y = 0 where t is outside [0, 1] */                                 \
    X(gradient)           /* ctx GradientCtx: r..a (unpremultiplied) from t */                  \
    X(mask_y)             /* r..a *= y (0 or 1) */                                              \
    X(image_sample)       /* ctx ImageCtx: r..a (premultiplied) of an image at x, y */          \
    X(perlin_noise)       /* ctx PerlinCtx: r..a (unpremultiplied) noise at x, y */             \
    /* Colour filters and blenders */                                                          \
    X(matrix_4x5)         /* ctx float[20]: r..a through rows of 4 multipliers and a bias */   \
    X(rgb_to_hsl) X(hsl_to_rgb) /* unpremultiplied r, g, b <-> hue (turns), saturation, light */\
    X(table)              /* ctx uint8_t[4][256]: each channel (r, g, b, a) through its table */\
    X(overdraw)           /* ctx float[6][4]: r..a = the colour of the count a * 255 (max 5) */  \
    X(high_contrast)      /* ctx HighContrastCtx: on unpremultiplied linear r, g, b */          \
    X(arithmetic)         /* ctx ArithmeticCtx: k1 s d + k2 s + k3 d + k4, clamped */

#define PLIX_STAGES(X) PLIX_STAGES_BASE(X) PLIX_BLEND_MODES(PLIX_STAGE_BLEND)

enum class Op : uint16_t {
#define X(name) name,
    PLIX_STAGES(X)
#undef X
};
#define X(name) +1
constexpr int kOpCount = 0 PLIX_STAGES(X);
#undef X

const char* opName(Op op);
constexpr Op blendOp(BlendMode m) { return Op(int(Op::blend_Clear) + int(m)); }

// Pixels of a pixmap the pipeline reads or writes.
struct MemoryCtx {
    void* pixels;
    size_t rowBytes;
    int bytesPerPixel;
    LoadFn load;
    StoreFn store;

    void* addr(int x, int y) const {
        return static_cast<char*>(pixels) + size_t(y) * rowBytes + size_t(x) * size_t(bytesPerPixel);
    }
};

struct SavedColor {
    alignas(32) float r[kBatch], g[kBatch], b[kBatch], a[kBatch], x[kBatch], y[kBatch];
};

// A shader stage from outside the engine (runtime effects): fills r, g, b, a (premultiplied)
// for n pixels from their x, y.
struct CallbackCtx {
    void (*fn)(void* self, int n, const float* x, const float* y, float* r, float* g, float* b, float* a);
    void* self;
};

// A blend stage from outside the engine (runtime blenders): replaces the source src (r, g, b,
// a) of n pixels by its blend with the destination dst, both premultiplied.
struct BlendCallbackCtx {
    void (*fn)(void* self, int n, float* const src[4], const float* const dst[4]);
    void* self;
};

using StageFn = void (*)(Batch&, const void* ctx);

class Pipeline {
public:
    Pipeline() = default;
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    void append(Op op, const void* ctx = nullptr);
    // Copies v into storage that lives as long as the pipeline.
    template <class T>
    T* make(const T& v) {
        static_assert(std::is_trivially_destructible_v<T>);
        return new (allocate(sizeof(T), alignof(T))) T(v);
    }
    template <class T>
    T* makeArray(size_t n) {
        static_assert(std::is_trivially_destructible_v<T>);
        return static_cast<T*>(allocate(sizeof(T) * n, alignof(T)));
    }
    void* allocate(size_t size, size_t align);

    // Empties the list; the storage stays for the next one, so a reused pipeline allocates
    // nothing once it has grown to its work.
    void reset();
    bool empty() const { return fOps.empty(); }
    int count() const { return int(fOps.size()); }
    Op op(int i) const { return fOps[size_t(i)]; }
    const void* ctx(int i) const { return fCtx[size_t(i)]; }

    void run(Batch& b) const {
        for (size_t i = 0; i < fFns.size(); ++i) fFns[i](b, fCtx[i]);
    }
    void runReference(Batch& b) const;

private:
    std::vector<Op> fOps;
    std::vector<StageFn> fFns;
    std::vector<const void*> fCtx;
    struct Block {
        std::unique_ptr<std::max_align_t[]> data;
        size_t bytes;
    };
    std::vector<Block> fBlocks;
    size_t fBlock = 0;  // the next block to take when the current one is full
    char* fCursor = nullptr;
    size_t fLeft = 0;
};

// The fast implementation of each stage, from the build for the active instruction set.
StageFn stageFn(Op op);

// Instruction sets the fast stages are built for. The best one the CPU has is active unless a
// test forces another; appends take the stages of the set active at the time.
enum class Isa { SSE2, AVX2, AVX512 };
bool isaSupported(Isa isa);
Isa activeIsa();
void forceIsa(Isa isa);  // ignored when the CPU lacks it
void clearForcedIsa();

}  // namespace plix
