// Image filters (reference-counted): effects on the rendered pixels of a draw or a layer.
// The factories of the family are added with its wrapper's operations; the paint and the canvas
// need only its handle and the owning wrapper of a returned one.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkImageFilter : public virtual ISkReferenceCounted {};

class TSkImageFilter : public TSkReferenceCounted, public virtual ISkImageFilter {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
};

}  // namespace Skia
