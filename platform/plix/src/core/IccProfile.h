// ICC colour profiles, read and written with Little CMS. A profile is kept as its bytes; what
// the engine can use of it is an RGB matrix/TRC description: three colorants (the to-XYZ D50
// gamut) and three tone curves, parametric or tables, turned into one transfer function of the
// engine's form. Profiles of other kinds (CMYK, grey, lookup tables only) parse, but give no
// colour space. Damaged data never parses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/ColorSpace.h"

namespace plix {

class IccProfile {
public:
    // The largest profile accepted, in bytes.
    static constexpr size_t kMaxBytes = size_t(16) << 20;

    // Null when the data is not a well-formed ICC profile.
    static std::unique_ptr<IccProfile> Parse(const void* data, size_t size);
    // A display profile (ICC 4.3) of the space: its colorants and its curve, parametric; numbers
    // beyond what a profile can hold are written as the nearest it can.
    static std::unique_ptr<IccProfile> FromColorSpace(const ColorSpace& space);

    const std::vector<uint8_t>& bytes() const { return fBytes; }
    // The gamut, when the profile is an RGB matrix profile.
    bool toXYZD50(Matrix3* out) const;
    // The space the profile describes, or null when it is no RGB matrix/TRC profile or its
    // curves fit no transfer function closely. Spaces within the precision of the profile's
    // numbers of a named one (sRGB, Display P3, ...) come back as exactly that one.
    sp<ColorSpace> makeColorSpace() const;

private:
    std::vector<uint8_t> fBytes;
    bool fHasGamut = false, fHasFn = false;
    Matrix3 fToXYZ;
    TransferFn fFn;
};

// The colour space of an embedded profile; null when the profile is damaged or unusable.
sp<ColorSpace> colorSpaceFromIcc(const void* data, size_t size);
// The bytes of a profile of the space; empty on failure.
std::vector<uint8_t> iccFromColorSpace(const ColorSpace& space);

// Fits a tone curve given as samples y[i] at x = i / (n - 1), n >= 2, with the engine's
// transfer function form; false when the best fit is off by more than maxError somewhere.
bool fitTransferFn(const float* y, int n, float maxError, TransferFn* out);

}  // namespace plix
