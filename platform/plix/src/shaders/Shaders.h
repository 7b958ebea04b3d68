// The shaders of the engine: solid colours, the four gradients, images, Perlin noise, and the
// shaders made from others (blend, local matrix, colour filter). Factories return null for
// arguments that cannot make a shader (no colours, a negative radius, angles out of order,
// non-finite values); degenerate but valid geometry (a gradient of zero length) gives the
// colour such a gradient tends to.
#pragma once

#include <cstdint>

#include "core/BlendMode.h"
#include "core/ColorSpace.h"
#include "core/Image.h"
#include "core/Sampling.h"
#include "geometry/Matrix.h"
#include "geometry/Point.h"
#include "raster/Shader.h"

namespace plix {

// An unpremultiplied colour.
struct Color4f {
    float r = 0, g = 0, b = 0, a = 0;
};
Color4f colorFromARGB(uint32_t argb);

// cs: the space of the colour; null means sRGB.
sp<Shader> MakeColorShader(const Color4f& color, sp<ColorSpace> cs = nullptr);
// Transparent black everywhere.
sp<Shader> MakeEmptyShader();

// The stops of a gradient: count colours (in cs, null meaning sRGB) at positions in [0, 1]
// (null: evenly spaced). Positions are made increasing and limited to [0, 1]; missing ends
// repeat the first or last colour.
struct GradientStops {
    GradientStops() = default;
    GradientStops(const Color4f* c, const float* p, int n, sp<ColorSpace> space = nullptr)
        : colors(c), positions(p), count(n), cs(std::move(space)) {}

    const Color4f* colors = nullptr;
    const float* positions = nullptr;
    int count = 0;
    sp<ColorSpace> cs;
};

sp<Shader> MakeLinearGradient(Point start, Point end, const GradientStops& stops, TileMode tile,
                              const Matrix* local = nullptr);
sp<Shader> MakeRadialGradient(Point center, float radius, const GradientStops& stops, TileMode tile,
                              const Matrix* local = nullptr);
// Angles in degrees, clockwise from +x (y down); t runs from startAngle to endAngle.
sp<Shader> MakeSweepGradient(Point center, float startAngle, float endAngle, const GradientStops& stops,
                             TileMode tile, const Matrix* local = nullptr);
// The circles from (start, startRadius) at t = 0 to (end, endRadius) at t = 1; each point takes
// the largest t whose circle passes through it with a radius >= 0, and is transparent when
// there is none.
sp<Shader> MakeTwoPointConicalGradient(Point start, float startRadius, Point end, float endRadius,
                                       const GradientStops& stops, TileMode tile, const Matrix* local = nullptr);

// The image in its own pixel space. Raw shaders hand on the stored values: no colour-space
// conversion and no premultiplication of unpremultiplied pixels.
sp<Shader> MakeImageShader(sp<Image> image, TileMode tileX, TileMode tileY, const SamplingOptions& sampling,
                           const Matrix* local = nullptr, bool raw = false);

// The noise of the SVG turbulence filter: fractal noise or turbulence, frequencies >= 0,
// octaves 0..255, seed truncated to an integer; tileWidth, tileHeight > 0 stitch the noise so
// that it tiles with that size (null for anything else).
sp<Shader> MakePerlinNoiseShader(bool fractal, float baseFrequencyX, float baseFrequencyY, int octaves, float seed,
                                 int tileWidth = 0, int tileHeight = 0);

// src blended over dst with the mode.
sp<Shader> MakeBlendShader(BlendMode mode, sp<Shader> dst, sp<Shader> src);
// The shader seen through a further local matrix (applied before its own).
sp<Shader> MakeLocalMatrixShader(sp<Shader> shader, const Matrix& local);
// The shader's colours through the filter.
sp<Shader> MakeColorFilterShader(sp<Shader> shader, sp<ColorFilter> filter);

}  // namespace plix
