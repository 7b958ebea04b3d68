#include "core/ImageInfo.h"

#include <algorithm>
#include <cstdint>

namespace plix {

size_t ImageInfo::minRowBytes() const {
    if (width < 0 || !isValidColorType(int32_t(colorType))) return 0;
    return size_t(uint64_t(width) << shiftPerPixel());
}

size_t ImageInfo::computeByteSize(size_t rowBytes) const {
    if (height <= 0) return 0;
    const size_t rows = size_t(height);
    if (rowBytes != 0 && rows > SIZE_MAX / rowBytes) return SIZE_MAX;
    return rows * rowBytes;
}

bool ImageInfo::isValid() const {
    if (isEmpty() || width > kMaxDimension || height > kMaxDimension) return false;
    if (!isValidColorType(int32_t(colorType)) || !isValidAlphaType(int32_t(alphaType))) return false;
    return colorTypeAccepts(colorType, alphaType);
}

bool ImageInfo::validRowBytes(size_t rowBytes) const {
    if (!isValidColorType(int32_t(colorType))) return false;
    if (rowBytes < minRowBytes()) return false;
    const size_t align = size_t(1) << shiftPerPixel();
    return rowBytes % align == 0;
}

bool Pixmap::reset(ImageInfo info, void* addr, size_t rowBytes) {
    if (!addr || !info.isValid() || !info.validRowBytes(rowBytes) ||
        info.computeByteSize(rowBytes) == SIZE_MAX) {
        *this = Pixmap();
        return false;
    }
    fInfo = std::move(info);
    fAddr = addr;
    fRowBytes = rowBytes;
    return true;
}

bool Pixmap::extractSubset(Pixmap* out, int left, int top, int right, int bottom) const {
    if (!valid()) return false;
    const int l = std::max(left, 0), t = std::max(top, 0);
    const int r = std::min(right, width()), b = std::min(bottom, height());
    if (l >= r || t >= b) return false;
    *out = Pixmap(fInfo.makeWH(r - l, b - t), addr(l, t), fRowBytes);
    return true;
}

}  // namespace plix
