#include "Skia/OpBuilder.h"

#include "Skia/API.h"

namespace Skia {

Ref<ISkOpBuilder> TSkOpBuilder::Create() { return WrapCreated<TSkOpBuilder>(API::plix_opbuilder_create()); }

void TSkOpBuilder::Add(const Ref<ISkPath>& APath, TSkPathOp AOp) {
    CheckNotNil(APath, "APath");
    API::plix_opbuilder_add(Handle(), APath->GetHandle(), static_cast<int32_t>(AOp));
}

Ref<ISkPath> TSkOpBuilder::Detach() { return WrapOrNil<TSkPath>(API::plix_opbuilder_detach(Handle())); }

void TSkOpBuilder::__DestroyHandle(NativeUInt AHandle) { API::plix_opbuilder_destroy(AHandle); }

}  // namespace Skia
