// How images are sampled: nearest or bilinear filtering, mipmap selection, or a cubic
// (Mitchell-Netravali family) filter; and how sampling continues outside an image.
#pragma once

#include <cstdint>

namespace plix {

enum class TileMode : int32_t { Clamp, Repeat, Mirror, Decal };
enum class FilterMode : int32_t { Nearest, Linear };
enum class MipmapMode : int32_t { None, Nearest, Linear };

constexpr bool isValidTileMode(int32_t v) { return v >= 0 && v <= 3; }
constexpr bool isValidFilterMode(int32_t v) { return v >= 0 && v <= 1; }
constexpr bool isValidMipmapMode(int32_t v) { return v >= 0 && v <= 2; }

// The cubic filter with coefficients B and C: (1/3, 1/3) Mitchell, (0, 1/2) Catmull-Rom.
struct CubicResampler {
    float B = 1.0f / 3, C = 1.0f / 3;
    bool operator==(const CubicResampler&) const = default;
};

struct SamplingOptions {
    int maxAniso = 0;  // 0: off
    bool useCubic = false;
    CubicResampler cubic{0, 0};
    FilterMode filter = FilterMode::Nearest;
    MipmapMode mipmap = MipmapMode::None;

    constexpr SamplingOptions() = default;
    constexpr SamplingOptions(FilterMode f, MipmapMode m = MipmapMode::None) : filter(f), mipmap(m) {}
    constexpr explicit SamplingOptions(CubicResampler c) : useCubic(true), cubic(c) {}

    bool operator==(const SamplingOptions&) const = default;
};

}  // namespace plix
