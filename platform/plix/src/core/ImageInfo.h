// Size, pixel format and colour space of a block of pixels, and a view of pixel memory that
// somebody else owns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/ColorSpace.h"
#include "core/ColorType.h"

namespace plix {

struct ImageInfo {
    int32_t width = 0;
    int32_t height = 0;
    ColorType colorType = ColorType::Unknown;
    AlphaType alphaType = AlphaType::Unknown;
    sp<ColorSpace> colorSpace;

    static constexpr int32_t kMaxDimension = 0x1FFFFFFF;

    static ImageInfo Make(int32_t w, int32_t h, ColorType ct, AlphaType at,
                          sp<ColorSpace> cs = nullptr) {
        return ImageInfo{w, h, ct, at, std::move(cs)};
    }
    // The engine's native 32-bit format.
    static ImageInfo MakeN32Premul(int32_t w, int32_t h) {
        return Make(w, h, ColorType::BGRA8888, AlphaType::Premul);
    }

    int bytesPerPixel() const { return plix::bytesPerPixel(colorType); }
    int shiftPerPixel() const { return plix::shiftPerPixel(colorType); }
    // width * bytesPerPixel; 0 when negative or too large to address.
    size_t minRowBytes() const;
    // height * rowBytes; SIZE_MAX on overflow.
    size_t computeByteSize(size_t rowBytes) const;
    size_t computeMinByteSize() const { return computeByteSize(minRowBytes()); }
    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool isOpaque() const { return alphaType == AlphaType::Opaque; }
    bool isValid() const;
    bool validRowBytes(size_t rowBytes) const;

    ImageInfo makeWH(int32_t w, int32_t h) const { return Make(w, h, colorType, alphaType, colorSpace); }
    ImageInfo makeColorType(ColorType ct) const { return Make(width, height, ct, alphaType, colorSpace); }
    ImageInfo makeAlphaType(AlphaType at) const { return Make(width, height, colorType, at, colorSpace); }
    ImageInfo makeColorSpace(sp<ColorSpace> cs) const {
        return Make(width, height, colorType, alphaType, std::move(cs));
    }

    bool operator==(const ImageInfo& o) const {
        return width == o.width && height == o.height && colorType == o.colorType &&
               alphaType == o.alphaType && ColorSpace::Equals(colorSpace.get(), o.colorSpace.get());
    }
};

// Pixels owned elsewhere: an info, the address of the top-left pixel and the stride in bytes.
class Pixmap {
public:
    Pixmap() = default;
    Pixmap(ImageInfo info, void* addr, size_t rowBytes)
        : fInfo(std::move(info)), fAddr(addr), fRowBytes(rowBytes) {}

    // False (and an empty pixmap) unless the info is valid, addr set and rowBytes large enough.
    bool reset(ImageInfo info, void* addr, size_t rowBytes);

    const ImageInfo& info() const { return fInfo; }
    int width() const { return fInfo.width; }
    int height() const { return fInfo.height; }
    ColorType colorType() const { return fInfo.colorType; }
    AlphaType alphaType() const { return fInfo.alphaType; }
    ColorSpace* colorSpace() const { return fInfo.colorSpace.get(); }
    void setColorSpace(sp<ColorSpace> cs) { fInfo.colorSpace = std::move(cs); }
    void* addr() const { return fAddr; }
    size_t rowBytes() const { return fRowBytes; }
    void* addr(int x, int y) const {
        return static_cast<char*>(fAddr) + size_t(y) * fRowBytes + (size_t(x) << fInfo.shiftPerPixel());
    }
    template <class T>
    T* row(int y) const { return reinterpret_cast<T*>(static_cast<char*>(fAddr) + size_t(y) * fRowBytes); }
    bool valid() const { return fAddr != nullptr && !fInfo.isEmpty(); }

    // The part of this pixmap inside subset (clipped to the bounds); false when nothing is left.
    bool extractSubset(Pixmap* out, int left, int top, int right, int bottom) const;

private:
    ImageInfo fInfo;
    void* fAddr = nullptr;
    size_t fRowBytes = 0;
};

}  // namespace plix
