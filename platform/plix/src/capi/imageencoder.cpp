#include "capi/Handles.h"
#include "codec/Codec.h"
#include "core/StreamAdapter.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

bool plix_imageencoder_encode_to_file(const char* file_name, plix_handle src, int32_t format, int32_t quality) {
    if (!file_name || !src) return false;
    return guard(false, [&] { return encodeImageFile(file_name, *from<Pixmap>(src), EncodedFormat(format), quality); });
}

bool plix_imageencoder_encode_to_stream(plix_handle wstream, plix_handle src, int32_t format, int32_t quality) {
    if (!wstream || !src) return false;
    return guard(false, [&] {
        return encodeImage(*from<WStreamAdapter>(wstream), *from<Pixmap>(src), EncodedFormat(format), quality);
    });
}
