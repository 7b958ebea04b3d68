// Text blobs (counted by their own ref / unref pair): shaped, positioned glyph runs.
// The operations of the family are added with its wrapper; the canvas needs only its handle.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkTextBlob : public virtual ISkNonVirtualReferenceCounted {};

class TSkTextBlob : public TSkNonVirtualReferenceCounted, public virtual ISkTextBlob {
public:
    using TSkNonVirtualReferenceCounted::TSkNonVirtualReferenceCounted;

protected:
    void __RefHandle(NativeUInt AHandle) override;
    void __UnrefHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
