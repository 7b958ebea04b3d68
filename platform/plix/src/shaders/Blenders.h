// Blenders: a blend mode, or the arithmetic combination k1 s d + k2 s + k3 d + k4.
#pragma once

#include "core/BlendMode.h"
#include "raster/Shader.h"

namespace plix {

sp<Blender> MakeModeBlender(BlendMode mode);
// Clamped to [0, 1]; enforcePremul keeps r, g, b within [0, a]. Null for non-finite k.
sp<Blender> MakeArithmeticBlender(float k1, float k2, float k3, float k4, bool enforcePremul);

}  // namespace plix
