// The iCCP chunk of PNG files, read from the chunk list before the image data and written right
// after the header chunk. libpng's simplified interface, which does the pixels, has no access
// to it.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "codec/PngIcc.h"
#include "core/IccProfile.h"

namespace plix {

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

// Inflates a zlib stream of at most IccProfile::kMaxBytes; empty on any fault.
std::vector<uint8_t> inflateBounded(const uint8_t* data, size_t size) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return {};
    std::vector<uint8_t> out;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    int status = Z_OK;
    while (status == Z_OK) {
        if (out.size() >= IccProfile::kMaxBytes) break;
        const size_t have = out.size();
        out.resize(std::min(IccProfile::kMaxBytes, std::max<size_t>(have * 2, 4096)));
        z.next_out = out.data() + have;
        z.avail_out = uInt(out.size() - have);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;  // input ended early
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) return {};
    return out;
}

constexpr size_t kSignature = 8;
constexpr char kProfileName[] = "ICC profile";

}  // namespace

std::vector<uint8_t> readPngIccProfile(const uint8_t* data, size_t size) {
    if (!data || size < kSignature || size > uint64_t(1) << 32) return {};
    size_t at = kSignature;
    while (size - at >= 12) {
        const uint32_t length = be32(data + at);
        const uint8_t* type = data + at + 4;
        if (length > size - at - 12) return {};
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return {};
        if (std::memcmp(type, "iCCP", 4) == 0) {
            const uint8_t* body = data + at + 8;
            // name (1..79 bytes), a zero, compression method 0, then the zlib stream
            const void* zero = std::memchr(body, 0, std::min<size_t>(length, 80));
            if (!zero) return {};
            const size_t nameLength = size_t(static_cast<const uint8_t*>(zero) - body);
            if (nameLength == 0 || nameLength + 2 > length || body[nameLength + 1] != 0) return {};
            return inflateBounded(body + nameLength + 2, length - nameLength - 2);
        }
        at += 12 + size_t(length);
    }
    return {};
}

bool insertPngIccProfile(std::vector<uint8_t>& png, const std::vector<uint8_t>& icc) {
    // The header chunk is always first: signature, then 4 + 4 + 13 + 4 bytes.
    constexpr size_t kAfterHeader = kSignature + 25;
    if (icc.empty() || png.size() < kAfterHeader || std::memcmp(png.data() + kSignature + 4, "IHDR", 4) != 0)
        return false;
    uLongf packedSize = compressBound(uLong(icc.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, icc.data(), uLong(icc.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    std::vector<uint8_t> chunk;
    putBe32(chunk, uint32_t(sizeof kProfileName + 1 + packedSize));
    const size_t typeAt = chunk.size();
    chunk.insert(chunk.end(), {'i', 'C', 'C', 'P'});
    chunk.insert(chunk.end(), kProfileName, kProfileName + sizeof kProfileName);  // with its zero
    chunk.push_back(0);                                                            // deflate
    chunk.insert(chunk.end(), packed.begin(), packed.begin() + long(packedSize));
    putBe32(chunk, uint32_t(crc32(0, chunk.data() + typeAt, uInt(chunk.size() - typeAt))));
    png.insert(png.begin() + long(kAfterHeader), chunk.begin(), chunk.end());
    return true;
}

}  // namespace plix
