// Fonts: a typeface at a size with its rendering settings.
// The operations of the family are added with its wrapper; the canvas needs only its handle.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkFont : public virtual ISkObject {};

class TSkFont : public TSkObject, public virtual ISkFont {
public:
    using TSkObject::TSkObject;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
