// Path effects (reference-counted): changes to a path's geometry before it is drawn (dashes, corners).
// The factories of the family are added with its wrapper's operations; the paint and the canvas
// need only its handle and the owning wrapper of a returned one.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkPathEffect : public virtual ISkReferenceCounted {};

class TSkPathEffect : public TSkReferenceCounted, public virtual ISkPathEffect {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
};

}  // namespace Skia
