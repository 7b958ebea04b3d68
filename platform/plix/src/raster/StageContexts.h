// The contexts of the shading stages (gradients, images, noise, colour filters): plain data
// that lives in the pipeline's storage, made once when a draw is compiled.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Sampling.h"
#include "raster/PixelFormats.h"

namespace plix {

// The circles c(t) = t * (cx, 0), r(t) = r0 + t * dr, in a space where the start circle's
// centre is the origin and the end circle's centre lies on +x. For each point the stage
// solves |p - c(t)| = r(t) for the largest t with r(t) >= 0:
//   a t^2 - 2 b t + c = 0, a = cx^2 - dr^2, b = x cx + r0 dr, c = x^2 + y^2 - r0^2.
struct ConicalCtx {
    float cx, r0, dr;
};

// Colours as pieces of lines in t: interval k (0 <= k <= stops) holds t with
// ts[k - 1] <= t < ts[k] (ts[-1] = -inf, ts[stops] = +inf); its colour is f[k] * t + b[k] per
// channel, unpremultiplied.
struct GradientCtx {
    int stops;
    const float* ts;     // stops positions, increasing
    const float* f[4];   // stops + 1 each, r, g, b, a
    const float* b[4];
};

// One level of an image's pixels.
struct ImageLevel {
    const void* pixels;
    size_t rowBytes;
    int width, height;
    int bytesPerPixel;
    LoadFn load;
    int fastFormat;  // 1: RGBA8888, 2: BGRA8888 (read straight), 0: through load
};

// Sampling an image at x, y (in the image's pixel units, pixel centres at + 0.5).
struct ImageCtx {
    ImageLevel level[2];
    float levelWeight;   // weight of level[1]; 0 when only level[0] is read
    float levelScale[2]; // level[1] coordinates = level[0] coordinates * these
    TileMode tileX, tileY;
    int filter;          // 0 nearest, 1 linear, 2 cubic
    float B, C;          // cubic coefficients
    bool premulAfter;    // unpremultiplied pixels: premultiply the sampled colour
    bool clampToAlpha;   // after cubic filtering, keep r, g, b within [0, a]
    bool opaque;         // pixels without alpha: a = 1
};

// The noise of the SVG turbulence filter, per channel: a lattice of 256 gradients with a
// permutation, summed over octaves; see the shader for the meaning of the fields.
struct PerlinCtx {
    int latticeSelector[256 + 256 + 2];
    float gradient[4][256 + 256 + 2][2];
    float baseX, baseY;
    int octaves;
    bool fractal;  // fractal noise; turbulence otherwise
    bool stitch;
    int stitchWidth, stitchHeight, wrapX, wrapY;
};

struct HighContrastCtx {
    bool grayscale;
    int invertStyle;  // 0 none, 1 brightness, 2 lightness
    float contrast;   // the multiplier around 0.5
};

struct ArithmeticCtx {
    float k[4];
    bool enforcePremul;
};

}  // namespace plix
