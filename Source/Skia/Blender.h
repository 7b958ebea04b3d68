// Blenders (reference-counted): how a source colour combines with the destination.
#pragma once

#include "Skia/Enums.h"
#include "Skia/Object.h"

namespace Skia {

class ISkBlender : public virtual ISkReferenceCounted {};

class TSkBlender : public TSkReferenceCounted, public virtual ISkBlender {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // k1 * src * dst + k2 * src + k3 * dst + k4.
    static Ref<ISkBlender> MakeArithmetic(float AK1, float AK2, float AK3, float AK4, bool AEnforcePremultipliedColor);
    static Ref<ISkBlender> MakeMode(TSkBlendMode AMode);
};

}  // namespace Skia
