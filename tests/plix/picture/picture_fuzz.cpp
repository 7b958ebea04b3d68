// libFuzzer target for reading stored pictures. An input is tried as a whole stored form, and
// also as a picture body wrapped in a valid header and checksum, so that mutations reach the op
// reader rather than stopping at the checksum. Whatever reads must play back onto a small
// surface and store again without fault.
#include <cstdint>
#include <cstring>
#include <vector>

#include "canvas/Surface.h"
#include "picture/PictureFormat.h"

using namespace plix;

namespace {

void exercise(const sp<Picture>& picture) {
    if (!picture) return;
    static sp<Surface> surface =
        Surface::MakeRaster(ImageInfo::Make(32, 32, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    picture->playback(*surface->canvas());
    std::vector<uint8_t> again;
    writePicture(*picture, again);
    if (!again.empty() && !readPicture(again.data(), again.size())) __builtin_trap();  // we must read what we write
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    exercise(readPicture(data, size));
    // The same bytes as a body: header, length and CRC-32 made right by writing an empty
    // picture and splicing the body in.
    std::vector<uint8_t> empty;
    writePicture(Picture({}, Rect{}), empty);
    std::vector<uint8_t> whole(empty.begin(), empty.begin() + 8);
    const uint32_t length = uint32_t(size);
    whole.resize(12);
    std::memcpy(whole.data() + 8, &length, 4);
    whole.insert(whole.end(), data, data + size);
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    c ^= 0xFFFFFFFFu;
    whole.resize(whole.size() + 4);
    std::memcpy(whole.data() + whole.size() - 4, &c, 4);
    exercise(readPicture(whole.data(), whole.size()));
    return 0;
}
