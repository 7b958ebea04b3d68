// How pixels are described: size, colour type, alpha type and colour space, and the table of
// colour types that sizes rows and decides which alpha types each one can carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "Skia/ColorSpace.h"
#include "Skia/Enums.h"
#include "plix/plix_types.h"

namespace Skia {

// One row of the colour-type table.
struct TSkColorTypeInfo {
    uint8_t BytesPerPixel;
    uint8_t ShiftPerPixel;        // log2 of BytesPerPixel
    uint8_t ValidAlphaTypes;      // bit n: TSkAlphaType with ordinal n is valid
};

// The row of AColorType; an ordinal outside the table reads as Unknown.
const TSkColorTypeInfo& ColorTypeInfo(TSkColorType AColorType);

struct TSkImageInfo {
    int32_t Width = 0;
    int32_t Height = 0;
    TSkColorType ColorType = TSkColorType::Unknown;
    TSkAlphaType AlphaType = TSkAlphaType::Unknown;
    Ref<ISkColorSpace> ColorSpace;  // nil: no colour space

    TSkImageInfo() = default;
    // BGRA8888, premultiplied, no colour space.
    TSkImageInfo(int32_t AWidth, int32_t AHeight)
        : Width(AWidth), Height(AHeight), ColorType(TSkColorType::BGRA8888), AlphaType(TSkAlphaType::Premul) {}
    TSkImageInfo(int32_t AWidth, int32_t AHeight, TSkColorType AColorType, TSkAlphaType AAlphaType = TSkAlphaType::Premul,
                 Ref<ISkColorSpace> AColorSpace = nullptr)
        : Width(AWidth), Height(AHeight), ColorType(AColorType), AlphaType(AAlphaType), ColorSpace(std::move(AColorSpace)) {}

    int32_t BytesPerPixel() const { return ColorTypeInfo(ColorType).BytesPerPixel; }
    int32_t ShiftPerPixel() const { return ColorTypeInfo(ColorType).ShiftPerPixel; }
    // Width x BytesPerPixel, in bytes; 0 for a negative width.
    size_t MinRowBytes() const;
    // Height x ARowBytes, in bytes; 0 for a negative height, SIZE_MAX when it does not fit.
    size_t ByteSize(size_t ARowBytes) const;
    size_t MinByteSize() const { return ByteSize(MinRowBytes()); }
    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    bool IsOpaque() const { return AlphaType == TSkAlphaType::Opaque; }
    // Not empty, no side above 536870911, colour and alpha type known and allowed together.
    bool IsValid() const;
    // At least MinRowBytes and a whole number of pixels.
    bool IsValidRowBytes(size_t ARowBytes) const;

    TSkImageInfo MakeAlphaType(TSkAlphaType AAlphaType) const;
    TSkImageInfo MakeColorType(TSkColorType AColorType) const;
    TSkImageInfo MakeColorSpace(Ref<ISkColorSpace> AColorSpace) const;
    TSkImageInfo MakeDimensions(int32_t AWidth, int32_t AHeight) const;

    // The four numbers equal, and both colour spaces nil or natively equal.
    friend bool operator==(const TSkImageInfo& a, const TSkImageInfo& b);

    // The native form; the colour space crosses as its handle (0 for none).
    plix_imageinfo ToNative() const;
    // From a native result, whose colour space is a reference of its own: the result owns it.
    static TSkImageInfo FromNative(const plix_imageinfo& AInfo);
};

}  // namespace Skia
