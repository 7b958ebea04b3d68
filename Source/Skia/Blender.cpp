#include "Skia/Blender.h"

#include "Skia/API.h"

namespace Skia {

Ref<ISkBlender> TSkBlender::MakeArithmetic(float AK1, float AK2, float AK3, float AK4, bool AEnforcePremultipliedColor) {
    return WrapOrNil<TSkBlender>(API::plix_blender_make_arithmetic(AK1, AK2, AK3, AK4, AEnforcePremultipliedColor));
}

Ref<ISkBlender> TSkBlender::MakeMode(TSkBlendMode AMode) {
    return WrapOrNil<TSkBlender>(API::plix_blender_make_mode(static_cast<int32_t>(AMode)));
}

}  // namespace Skia
