// The blitter for the commonest draw: one colour, SrcOver or Src, into premultiplied 32-bit RGBA
// or BGRA pixels. It works on the pixels in place, with no per-draw allocation and no stage
// list: opaque runs become plain fills, SrcOver runs go through the 8-bit kernels with the
// reference engine's integer rounding (LowpKernels.h), and Src at partial coverage is a lerp
// that rounds as the float pipeline does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/ImageInfo.h"
#include "raster/Blitter.h"
#include "raster/LowpKernels.h"
#include "raster/Paint.h"
#include "raster/SpanKernels.h"

namespace plix {

class SolidBlitter final : public Blitter {
public:
    // False when the paint or the destination needs the general pipeline.
    bool init(const Pixmap& dst, const Paint& paint);

    void blitH(int x, int y, int w) override;
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override;
    void blitRect(int x, int y, int w, int h) override;

private:
    uint32_t* row(int x, int y) const {
        return reinterpret_cast<uint32_t*>(fBase + size_t(y) * fRowBytes) + x;
    }

    // Asks for the pixels below [x, x + n) of row y: fills go down row by row, each touching the
    // same few places, one cache line apiece, that the hardware's stride prefetch does not see.
    void prefetchBelow(int x, int y, int n) const {
        if (y + 1 >= fHeight) return;
        __builtin_prefetch(row(x, y + 1), 1);
        __builtin_prefetch(row(x + n - 1, y + 1), 1);
    }

    const SpanKernels* fK = nullptr;
    const LowpKernels* fLowp = nullptr;
    char* fBase = nullptr;
    int fHeight = 0;
    size_t fRowBytes = 0;
    float fColor[4] = {};  // premultiplied, pixel channel order, 0..255
    uint32_t fPixel = 0;   // the colour as stored, rounded to nearest
    enum class Kind { Nothing, Fill, SrcOver, Src } fKind = Kind::Nothing;
};

}  // namespace plix
