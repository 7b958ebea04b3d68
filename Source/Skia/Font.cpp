#include "Skia/Font.h"

#include "Skia/API.h"

namespace Skia {

void TSkFont::__DestroyHandle(NativeUInt AHandle) { API::plix_font_destroy(AHandle); }

}  // namespace Skia
