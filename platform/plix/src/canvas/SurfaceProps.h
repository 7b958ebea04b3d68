// Properties of a drawing surface that text drawing consults: flags and the LCD stripe order.
#pragma once

#include <cstdint>

namespace plix {

enum class PixelGeometry : int32_t { Unknown, RGBHorizontal, BGRHorizontal, RGBVertical, BGRVertical };

struct SurfaceProps {
    static constexpr uint32_t kUseDeviceIndependentFonts = 1, kDynamicMSAA = 2;
    uint32_t flags = 0;
    PixelGeometry pixelGeometry = PixelGeometry::Unknown;

    bool operator==(const SurfaceProps&) const = default;
};

}  // namespace plix
