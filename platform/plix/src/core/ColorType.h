// Pixel formats. PLIX_COLOR_TYPES is the one table of colour types: the enum, the names, the
// sizes, the alpha types each accepts and the channel layout are all generated from it, and the
// raster module's load/store tables are indexed by the same ordinals.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plix {

enum class AlphaType : int32_t { Unknown = 0, Opaque = 1, Premul = 2, Unpremul = 3 };
constexpr int kAlphaTypeCount = 4;

// Which alpha types a colour type accepts.
enum AlphaRule : uint8_t {
    kNeverValid,     // Unknown
    kOpaqueOnly,     // no alpha channel
    kOpaqueOrPremul, // alpha-only formats: unpremul makes no sense there
    kAnyAlpha,       // any alpha type except Unknown
};

// Channels present in memory (the rest load as 0, alpha as 1).
enum ChannelFlags : uint8_t {
    kR = 1, kG = 2, kB = 4, kA = 8, kGray = 16,
    kRGB = kR | kG | kB, kRGBA = kRGB | kA, kRG = kR | kG,
};

// X(name, ordinal, bytes per pixel, shift, alpha rule, channels)
#define PLIX_COLOR_TYPES(X)                                   \
    X(Unknown, 0, 0, 0, kNeverValid, 0)                       \
    X(Alpha8, 1, 1, 0, kOpaqueOrPremul, kA)                   \
    X(RGB565, 2, 2, 1, kOpaqueOnly, kRGB)                     \
    X(ARGB4444, 3, 2, 1, kAnyAlpha, kRGBA)                    \
    X(RGBA8888, 4, 4, 2, kAnyAlpha, kRGBA)                    \
    X(RGB888X, 5, 4, 2, kOpaqueOnly, kRGB)                    \
    X(BGRA8888, 6, 4, 2, kAnyAlpha, kRGBA)                    \
    X(RGBA1010102, 7, 4, 2, kAnyAlpha, kRGBA)                 \
    X(BGRA1010102, 8, 4, 2, kAnyAlpha, kRGBA)                 \
    X(RGB101010X, 9, 4, 2, kOpaqueOnly, kRGB)                 \
    X(BGR101010X, 10, 4, 2, kOpaqueOnly, kRGB)                \
    X(Gray8, 11, 1, 0, kOpaqueOnly, kGray)                    \
    X(RGBAF16, 12, 8, 3, kAnyAlpha, kRGBA)                    \
    X(RGBAF16Clamped, 13, 8, 3, kAnyAlpha, kRGBA)             \
    X(RGBAF32, 14, 16, 4, kAnyAlpha, kRGBA)                   \
    X(RG88, 15, 2, 1, kOpaqueOnly, kRG)                       \
    X(AlphaF16, 16, 2, 1, kOpaqueOrPremul, kA)                \
    X(RGF16, 17, 4, 2, kOpaqueOnly, kRG)                      \
    X(Alpha16, 18, 2, 1, kOpaqueOrPremul, kA)                 \
    X(RG1616, 19, 4, 2, kOpaqueOnly, kRG)                     \
    X(RGBA16161616, 20, 8, 3, kAnyAlpha, kRGBA)               \
    X(SRGBA8888, 21, 4, 2, kAnyAlpha, kRGBA)                  \
    X(R8, 22, 1, 0, kAnyAlpha, kR)

enum class ColorType : int32_t {
#define PLIX_CT_ENUM(name, ord, bytes, shift, rule, ch) name = ord,
    PLIX_COLOR_TYPES(PLIX_CT_ENUM)
#undef PLIX_CT_ENUM
};

struct ColorTypeInfo {
    const char* name;
    uint8_t bytesPerPixel;
    uint8_t shift;  // log2(bytesPerPixel); 0 for Unknown
    AlphaRule alphaRule;
    uint8_t channels;  // ChannelFlags
};

inline constexpr ColorTypeInfo kColorTypeInfo[] = {
#define PLIX_CT_INFO(name, ord, bytes, shift, rule, ch) {#name, bytes, shift, rule, ch},
    PLIX_COLOR_TYPES(PLIX_CT_INFO)
#undef PLIX_CT_INFO
};
constexpr int kColorTypeCount = int(sizeof(kColorTypeInfo) / sizeof(kColorTypeInfo[0]));

// The table's rows are in ordinal order, so an ordinal indexes it directly.
namespace detail {
constexpr bool ordinalsInOrder() {
    int i = 0;
#define PLIX_CT_CHECK(name, ord, bytes, shift, rule, ch) \
    if (ord != i || (bytes != 0 && (1 << shift) != bytes)) return false; \
    ++i;
    PLIX_COLOR_TYPES(PLIX_CT_CHECK)
#undef PLIX_CT_CHECK
    return true;
}
}  // namespace detail
static_assert(detail::ordinalsInOrder(), "colour types must be listed by ordinal, shift = log2(bytes)");

constexpr bool isValidColorType(int32_t ct) { return ct >= 0 && ct < kColorTypeCount; }
constexpr bool isValidAlphaType(int32_t at) { return at >= 0 && at < kAlphaTypeCount; }

constexpr const ColorTypeInfo& colorTypeInfo(ColorType ct) { return kColorTypeInfo[int(ct)]; }
constexpr int bytesPerPixel(ColorType ct) { return colorTypeInfo(ct).bytesPerPixel; }
constexpr int shiftPerPixel(ColorType ct) { return colorTypeInfo(ct).shift; }
constexpr bool isAlphaOnly(ColorType ct) { return colorTypeInfo(ct).channels == kA; }
constexpr bool hasAlphaChannel(ColorType ct) { return (colorTypeInfo(ct).channels & kA) != 0; }

// True when the colour type accepts the alpha type (Unknown is never accepted).
constexpr bool colorTypeAccepts(ColorType ct, AlphaType at) {
    if (at == AlphaType::Unknown) return false;
    switch (colorTypeInfo(ct).alphaRule) {
        case kNeverValid: return false;
        case kOpaqueOnly: return at == AlphaType::Opaque;
        case kOpaqueOrPremul: return at == AlphaType::Opaque || at == AlphaType::Premul;
        case kAnyAlpha: return true;
    }
    return false;
}

}  // namespace plix
