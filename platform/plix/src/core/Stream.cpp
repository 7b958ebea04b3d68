#include "core/Stream.h"

#include <algorithm>
#include <cstring>

namespace plix {

bool ReadStream::readRemaining(std::vector<uint8_t>& out) {
    const size_t total = length();
    const size_t start = position();
    out.clear();
    if (start >= total) return start == total;
    out.resize(total - start);
    size_t got = 0;
    while (got < out.size()) {
        const size_t n = read(out.data() + got, out.size() - got);
        if (n == 0) break;
        got += n;
    }
    out.resize(got);
    return got == total - start;
}

size_t MemoryReadStream::read(void* buffer, size_t size) {
    const size_t n = std::min(size, fSize - fPosition);
    if (n) std::memcpy(buffer, fData + fPosition, n);
    fPosition += n;
    return n;
}

bool MemoryReadStream::seek(size_t position) {
    if (position > fSize) return false;
    fPosition = position;
    return true;
}

bool VectorWriteStream::write(const void* buffer, size_t size) {
    const auto* p = static_cast<const uint8_t*>(buffer);
    fBytes.insert(fBytes.end(), p, p + size);
    return true;
}

}  // namespace plix
