// How images are sampled: the cubic resampler and the sampling options every image draw and
// image shader takes. An operation without a sampling argument samples with (Nearest, None),
// the default-constructed TSkSamplingOptions.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "Skia/Enums.h"
#include "plix/plix_types.h"

namespace Skia {

struct TSkCubicResampler {
    float B = 0;
    float C = 0;

    constexpr TSkCubicResampler() = default;
    constexpr TSkCubicResampler(float AB, float AC) : B(AB), C(AC) {}
    static constexpr TSkCubicResampler CatmullRom() { return {0.0f, 0.5f}; }
    static constexpr TSkCubicResampler Mitchell() { return {1.0f / 3.0f, 1.0f / 3.0f}; }

    // Coefficients equal within 1E-40 (rounding noise of denormals only).
    friend bool operator==(const TSkCubicResampler& a, const TSkCubicResampler& b) {
        return std::fabs(a.B - b.B) <= 1E-40f && std::fabs(a.C - b.C) <= 1E-40f;
    }
};

// Laid out as the native sampling record (24 bytes): the native side reads it by pointer.
struct TSkSamplingOptions {
    int32_t MaxAnisotropic = 0;  // anisotropic filtering limit; 0 = off
    bool UseCubic = false;       // Cubic instead of Filter and Mipmap
    TSkCubicResampler Cubic;
    TSkFilterMode Filter = TSkFilterMode::Nearest;  // between pixels
    TSkMipmapMode Mipmap = TSkMipmapMode::None;     // between mipmap levels

    // (Nearest, None).
    constexpr TSkSamplingOptions() = default;
    constexpr explicit TSkSamplingOptions(const TSkCubicResampler& ACubic) : UseCubic(true), Cubic(ACubic) {}
    constexpr TSkSamplingOptions(TSkFilterMode AFilter, TSkMipmapMode AMipmap) : Filter(AFilter), Mipmap(AMipmap) {}
    // Anisotropic filtering; limits below 2 give 1.
    constexpr explicit TSkSamplingOptions(int32_t AMaxAnisotropic)
        : MaxAnisotropic(AMaxAnisotropic > 1 ? AMaxAnisotropic : 1) {}

    static constexpr TSkSamplingOptions High() { return TSkSamplingOptions(TSkCubicResampler::Mitchell()); }
    static constexpr TSkSamplingOptions Medium() { return {TSkFilterMode::Linear, TSkMipmapMode::Nearest}; }
    static constexpr TSkSamplingOptions Low() { return {TSkFilterMode::Nearest, TSkMipmapMode::Nearest}; }

    friend bool operator==(const TSkSamplingOptions& a, const TSkSamplingOptions& b) {
        return a.MaxAnisotropic == b.MaxAnisotropic && a.UseCubic == b.UseCubic && a.Cubic == b.Cubic &&
               a.Filter == b.Filter && a.Mipmap == b.Mipmap;
    }

    plix_sampling_options ToNative() const {
        return {MaxAnisotropic, UseCubic, {Cubic.B, Cubic.C}, static_cast<int32_t>(Filter), static_cast<int32_t>(Mipmap)};
    }
};

static_assert(sizeof(TSkSamplingOptions) == 24);
static_assert(offsetof(TSkSamplingOptions, UseCubic) == 4);
static_assert(offsetof(TSkSamplingOptions, Cubic) == 8);
static_assert(offsetof(TSkSamplingOptions, Filter) == 16);
static_assert(offsetof(TSkSamplingOptions, Mipmap) == 20);

}  // namespace Skia
