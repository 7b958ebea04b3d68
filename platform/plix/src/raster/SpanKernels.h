// The loops of the solid-colour blitter on 32-bit pixels with four 8-bit channels: a colour
// over a run, with or without a coverage byte per pixel. Built per instruction set like the
// stages. The colour comes premultiplied, in the pixels' channel order, scaled to 0..255; the
// results round to nearest as the pipeline's store does, so these match the float pipeline.
#pragma once

#include <cstdint>

namespace plix {

struct SpanKernels {
    // dst[i] = px
    void (*fill)(uint32_t* dst, int n, uint32_t px);
    // dst = c + dst * (1 - a)
    void (*srcOver)(uint32_t* dst, int n, const float c[4]);
    // dst = c k + dst (1 - a k), k = cov / 255
    void (*srcOverCov)(uint32_t* dst, int n, const float c[4], const uint8_t* cov);
    // dst = c k + dst (1 - k)
    void (*lerpCov)(uint32_t* dst, int n, const float c[4], const uint8_t* cov);
};

// The build for the active instruction set.
const SpanKernels& spanKernels();

}  // namespace plix
