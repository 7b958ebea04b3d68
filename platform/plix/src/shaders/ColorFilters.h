// The colour filters of the engine. Each works on the premultiplied colours of the draw, in
// the destination's colour space; filters defined on unpremultiplied colours unpremultiply
// first and premultiply after.
#pragma once

#include <cstdint>

#include "core/BlendMode.h"
#include "core/ColorSpace.h"
#include "raster/Shader.h"
#include "shaders/Shaders.h"

namespace plix {

// The colour (in cs, null meaning sRGB) as source, blended with mode over the input as
// destination.
sp<ColorFilter> MakeBlendColorFilter(const Color4f& color, sp<ColorSpace> cs, BlendMode mode);
// outer(inner(c)).
sp<ColorFilter> MakeComposeColorFilter(sp<ColorFilter> outer, sp<ColorFilter> inner);
// A 4x5 row-major matrix on unpremultiplied r, g, b, a (bias in 0..1 units); the result is
// clamped to [0, 1].
sp<ColorFilter> MakeMatrixColorFilter(const float m[20]);
// The same matrix on hue (turns), saturation, lightness and alpha.
sp<ColorFilter> MakeHSLAMatrixColorFilter(const float m[20]);
// r, g, b times the multiply colour plus the add colour (both ARGB, alpha ignored).
sp<ColorFilter> MakeLightingColorFilter(uint32_t multiply, uint32_t add);
// Linear values encoded with the sRGB curve.
sp<ColorFilter> MakeLinearToSRGBGammaColorFilter();
// The sRGB curve undone.
sp<ColorFilter> MakeSRGBToLinearGammaColorFilter();
// (0, 0, 0, luma of the premultiplied colour).
sp<ColorFilter> MakeLumaColorFilter();
// Grey and/or inverted (brightness or lightness) colours with their contrast raised by
// contrast in [-1, 1]; works on linear values.
sp<ColorFilter> MakeHighContrastColorFilter(bool grayscale, int invertStyle, float contrast);
// The colours of overdraw counts 0 to 5 and more, read from the alpha as a count of layers.
sp<ColorFilter> MakeOverdrawColorFilter(const uint32_t colors[6]);
// Each unpremultiplied channel through 256 entries; a null table keeps its channel.
sp<ColorFilter> MakeTableColorFilter(const uint8_t* tableA, const uint8_t* tableR, const uint8_t* tableG,
                                     const uint8_t* tableB);

}  // namespace plix
