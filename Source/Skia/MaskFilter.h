// Mask filters (reference-counted): effects on the coverage mask of a draw (blurs, tables).
// The factories of the family are added with its wrapper's operations; the paint and the canvas
// need only its handle and the owning wrapper of a returned one.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkMaskFilter : public virtual ISkReferenceCounted {};

class TSkMaskFilter : public TSkReferenceCounted, public virtual ISkMaskFilter {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
};

}  // namespace Skia
