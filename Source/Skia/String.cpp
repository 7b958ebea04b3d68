#include "Skia/String.h"

#include "Skia/API.h"

namespace Skia {

Ref<ISkString> TSkString::Create() { return WrapCreated<TSkString>(API::plix_string_create()); }

// Text from the native side is UTF-8, as our std::string is everywhere.
std::string TSkString::GetText() { return API::plix_string_get_text(Handle()); }

void TSkString::__DestroyHandle(NativeUInt AHandle) { API::plix_string_destroy(AHandle); }

}  // namespace Skia
