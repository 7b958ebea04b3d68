// Vertex meshes (counted by their own ref / unref pair): triangles with colours and texture coordinates.
// The operations of the family are added with its wrapper; the canvas needs only its handle.
#pragma once

#include "Skia/Object.h"

namespace Skia {

class ISkVertices : public virtual ISkNonVirtualReferenceCounted {};

class TSkVertices : public TSkNonVirtualReferenceCounted, public virtual ISkVertices {
public:
    using TSkNonVirtualReferenceCounted::TSkNonVirtualReferenceCounted;

protected:
    void __RefHandle(NativeUInt AHandle) override;
    void __UnrefHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
