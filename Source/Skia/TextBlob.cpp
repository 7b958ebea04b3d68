#include "Skia/TextBlob.h"

#include "Skia/API.h"

namespace Skia {

void TSkTextBlob::__RefHandle(NativeUInt AHandle) { API::plix_textblob_ref(AHandle); }
void TSkTextBlob::__UnrefHandle(NativeUInt AHandle) { API::plix_textblob_unref(AHandle); }

}  // namespace Skia
