// libFuzzer target: encoded PNG, JPEG and WebP files through the engine's codec at the C API,
// read back in an 8-bit and a 16-bit colour type. A decode must never crash, hang or take more
// memory than the picture's pixels need; the budget is kept at 2^22 pixels (16 MiB a picture,
// 32 MiB read back in 16 bits) so that a file claiming a huge picture is refused well within the
// run's memory limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/Codec.h"
#include "plix/plix.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plix::setDecodePixelLimit(uint64_t(1) << 22);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const plix_handle codec = plix_codec_make_with_copy(data, size);
    if (!codec) return 0;
    plix_isize dims{};
    plix_codec_get_dimensions(codec, &dims);
    constexpr int32_t kRGBA8888 = 4, kRGBA16161616 = 20, kPremul = 2;
    std::vector<uint8_t> pixels(size_t(dims.width) * size_t(dims.height) * 8);
    plix_codec_get_pixels(codec, pixels.data(), size_t(dims.width) * 4, kRGBA8888, kPremul, 0);
    plix_codec_get_pixels(codec, pixels.data(), size_t(dims.width) * 8, kRGBA16161616, kPremul, 0);
    plix_codec_destroy(codec);
    return 0;
}
