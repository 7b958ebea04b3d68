// How a surface renders text and multisampling: flags and the LCD pixel geometry.
#pragma once

#include <cstdint>

#include "Skia/Enums.h"
#include "plix/plix_types.h"

namespace Skia {

struct TSkSurfaceProperties {
    TSkSurfacePropertiesFlags Flags;
    TSkPixelGeometry PixelGeometry = TSkPixelGeometry::Unknown;

    TSkSurfaceProperties() = default;
    TSkSurfaceProperties(TSkSurfacePropertiesFlags AFlags, TSkPixelGeometry APixelGeometry)
        : Flags(AFlags), PixelGeometry(APixelGeometry) {}

    friend bool operator==(const TSkSurfaceProperties& a, const TSkSurfaceProperties& b) {
        return a.Flags == b.Flags && a.PixelGeometry == b.PixelGeometry;
    }

    // Flags as bits (bit 0 device-independent fonts, bit 1 dynamic MSAA), then the geometry.
    plix_surface_props ToNative() const {
        return {static_cast<uint32_t>(Flags.Bits()), static_cast<int32_t>(PixelGeometry)};
    }
    static TSkSurfaceProperties FromNative(const plix_surface_props& AProps) {
        return {TSkSurfacePropertiesFlags::FromBits(AProps.flags & 3u), static_cast<TSkPixelGeometry>(AProps.pixel_geometry)};
    }
};

}  // namespace Skia
