#include "Skia/ImageInfo.h"

#include <array>
#include <limits>

#include "Skia/API.h"

namespace Skia {
namespace {

constexpr uint8_t Bit(TSkAlphaType a) { return uint8_t(1u << static_cast<unsigned>(a)); }
constexpr uint8_t None = 0;
constexpr uint8_t Opaque = Bit(TSkAlphaType::Opaque);
constexpr uint8_t OpaquePremul = Opaque | Bit(TSkAlphaType::Premul);
constexpr uint8_t Any = OpaquePremul | Bit(TSkAlphaType::Unpremul);

// Indexed by the colour type's ordinal.
constexpr std::array<TSkColorTypeInfo, 23> ColorTypes{{
    {0, 0, None},          // Unknown
    {1, 0, OpaquePremul},  // Alpha8
    {2, 1, Opaque},        // RGB565
    {2, 1, Any},           // ARGB4444
    {4, 2, Any},           // RGBA8888
    {4, 2, Opaque},        // RGB888X
    {4, 2, Any},           // BGRA8888
    {4, 2, Any},           // RGBA1010102
    {4, 2, Any},           // BGRA1010102
    {4, 2, Opaque},        // RGB101010X
    {4, 2, Opaque},        // BGR101010X
    {1, 0, Opaque},        // Gray8
    {8, 3, Any},           // RGBAF16
    {8, 3, Any},           // RGBAF16Clamped
    {16, 4, Any},          // RGBAF32
    {2, 1, Opaque},        // RG88
    {2, 1, OpaquePremul},  // AlphaF16
    {4, 2, Opaque},        // RGF16
    {2, 1, OpaquePremul},  // Alpha16
    {4, 2, Opaque},        // RG1616
    {8, 3, Any},           // RGBA16161616
    {4, 2, Any},           // SRGBA8888
    {1, 0, Any},           // R8
}};
static_assert(ColorTypes.size() == static_cast<size_t>(TSkColorType::R8) + 1);

constexpr int32_t MaxDimension = 0x1FFFFFFF;

}  // namespace

const TSkColorTypeInfo& ColorTypeInfo(TSkColorType AColorType) {
    const auto ordinal = static_cast<uint32_t>(AColorType);
    return ordinal < ColorTypes.size() ? ColorTypes[ordinal] : ColorTypes[0];
}

size_t TSkImageInfo::MinRowBytes() const {
    return Width > 0 ? static_cast<size_t>(Width) * static_cast<size_t>(BytesPerPixel()) : 0;
}

size_t TSkImageInfo::ByteSize(size_t ARowBytes) const {
    if (Height <= 0) return 0;
    if (ARowBytes > std::numeric_limits<size_t>::max() / static_cast<size_t>(Height))
        return std::numeric_limits<size_t>::max();
    return static_cast<size_t>(Height) * ARowBytes;
}

bool TSkImageInfo::IsValid() const {
    if (IsEmpty() || Width > MaxDimension || Height > MaxDimension) return false;
    if (ColorType == TSkColorType::Unknown || AlphaType == TSkAlphaType::Unknown) return false;
    const auto alpha = static_cast<uint32_t>(AlphaType);
    return alpha < 8 && (ColorTypeInfo(ColorType).ValidAlphaTypes & (1u << alpha)) != 0;
}

bool TSkImageInfo::IsValidRowBytes(size_t ARowBytes) const {
    if (ARowBytes < MinRowBytes()) return false;
    const size_t pixelMask = (size_t{1} << ShiftPerPixel()) - 1;
    return (ARowBytes & pixelMask) == 0;
}

TSkImageInfo TSkImageInfo::MakeAlphaType(TSkAlphaType AAlphaType) const {
    TSkImageInfo info = *this;
    info.AlphaType = AAlphaType;
    return info;
}

TSkImageInfo TSkImageInfo::MakeColorType(TSkColorType AColorType) const {
    TSkImageInfo info = *this;
    info.ColorType = AColorType;
    return info;
}

TSkImageInfo TSkImageInfo::MakeColorSpace(Ref<ISkColorSpace> AColorSpace) const {
    TSkImageInfo info = *this;
    info.ColorSpace = std::move(AColorSpace);
    return info;
}

TSkImageInfo TSkImageInfo::MakeDimensions(int32_t AWidth, int32_t AHeight) const {
    TSkImageInfo info = *this;
    info.Width = AWidth;
    info.Height = AHeight;
    return info;
}

bool operator==(const TSkImageInfo& a, const TSkImageInfo& b) {
    if (a.Width != b.Width || a.Height != b.Height || a.ColorType != b.ColorType || a.AlphaType != b.AlphaType)
        return false;
    if (!a.ColorSpace || !b.ColorSpace) return !a.ColorSpace && !b.ColorSpace;
    return a.ColorSpace->IsEqual(b.ColorSpace);
}

plix_imageinfo TSkImageInfo::ToNative() const {
    return {Width, Height, static_cast<int32_t>(ColorType), static_cast<int32_t>(AlphaType), HandleOrZero(ColorSpace)};
}

TSkImageInfo TSkImageInfo::FromNative(const plix_imageinfo& AInfo) {
    return TSkImageInfo(AInfo.width, AInfo.height, static_cast<TSkColorType>(AInfo.color_type),
                        static_cast<TSkAlphaType>(AInfo.alpha_type), WrapOrNil<TSkColorSpace>(AInfo.color_space));
}

}  // namespace Skia
