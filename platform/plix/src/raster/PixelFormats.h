// Moving pixels between memory and float colour batches (structure of arrays), one pair of
// functions per colour type, indexed by the colour type's ordinal. Loads give the stored values
// as floats (unorm formats in [0, 1], missing channels 0 and a missing alpha 1); stores clamp
// to what the format can hold and round to nearest. SRGBA8888 decodes to and encodes from
// linear values; RGBAF16Clamped clamps to [0, 1] both ways.
#pragma once

#include "core/ColorType.h"

namespace plix {

using LoadFn = void (*)(const void* src, int n, float* r, float* g, float* b, float* a);
using StoreFn = void (*)(void* dst, int n, const float* r, const float* g, const float* b,
                         const float* a);

// Null for Unknown.
LoadFn loadFn(ColorType ct);
StoreFn storeFn(ColorType ct);

// sRGB transfer curve: encoded -> linear and back.
float srgbToLinear(float v);
float linearToSrgb(float v);

}  // namespace plix
