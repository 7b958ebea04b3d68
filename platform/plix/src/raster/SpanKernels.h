// The loops of the solid-colour blitter on 32-bit pixels with four 8-bit channels that are not
// SrcOver (that one has 8-bit kernels of its own, LowpKernels.h): fills, and a colour lerped in
// by coverage. Built per instruction set like the stages. The colour comes premultiplied, in the
// pixels' channel order, scaled to 0..255; the lerp rounds to nearest as the pipeline's store
// does, so it matches the float pipeline.
#pragma once

#include <cstdint>

namespace plix {

struct SpanKernels {
    // dst[i] = px
    void (*fill)(uint32_t* dst, int n, uint32_t px);
    // dst = c k + dst (1 - k)
    void (*lerpCov)(uint32_t* dst, int n, const float c[4], const uint8_t* cov);
};

// The build for the active instruction set.
const SpanKernels& spanKernels();

}  // namespace plix
