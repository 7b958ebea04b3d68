// Colour spaces: a transfer function (how encoded values map to linear light) and a gamut (a
// matrix from linear RGB to the XYZ space with a D50 white point, as ICC profiles use). Two
// spaces are equal when both parts are exactly equal. A null colour space means "untagged":
// drawing into it converts nothing.
#pragma once

#include <array>
#include <cstdint>

#include "core/RefCnt.h"

namespace plix {

// The parametric curve of ICC profiles:
//   linear = c*x + f            for 0 <= x < d
//   linear = (a*x + b)^g + e    for d <= x
// applied to |x| with the sign carried over.
struct TransferFn {
    float g = 1, a = 1, b = 0, c = 0, d = 0, e = 0, f = 0;

    bool operator==(const TransferFn&) const = default;

    float eval(float x) const;
    // The inverse curve, or false when the curve cannot be inverted (flat or non-monotonic).
    bool invert(TransferFn* out) const;
    // Plausible: finite, g > 0, a > 0, d >= 0, and monotonic across the break point.
    bool isValid() const;
};

// Row-major 3x3.
struct Matrix3 {
    std::array<float, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    bool operator==(const Matrix3&) const = default;
    Matrix3 operator*(const Matrix3& o) const;
    bool invert(Matrix3* out) const;
    void map(float& r, float& g, float& b) const;
};

// Chromaticities (x, y) of the three primaries and of the white point.
struct ColorPrimaries {
    float rx, ry, gx, gy, bx, by, wx, wy;
};
// The gamut with these primaries, adapted to a D50 white (Bradford). False when a value lies
// outside [0, 1], the white has y = 0, or the primaries are degenerate (no area).
bool primariesToXYZD50(const ColorPrimaries& p, Matrix3* toXYZD50);

namespace named {
inline constexpr TransferFn kSRGB{2.4f, 1 / 1.055f, 0.055f / 1.055f, 1 / 12.92f, 0.04045f, 0, 0};
inline constexpr TransferFn k2Dot2{2.2f, 1, 0, 0, 0, 0, 0};
inline constexpr TransferFn kLinear{1, 1, 0, 0, 0, 0, 0};
inline constexpr TransferFn kRec2020{2.22222f, 0.909672f, 0.0903276f, 0.222222f, 0.0812429f, 0, 0};

extern const Matrix3 kSRGBGamut;  // sRGB primaries, D50-adapted
extern const Matrix3 kAdobeRGBGamut;
extern const Matrix3 kDisplayP3Gamut;
extern const Matrix3 kRec2020Gamut;
extern const Matrix3 kXYZGamut;
}  // namespace named

class ColorSpace final : public RefCnt {
public:
    // Null when the curve or the matrix is unusable (not finite, not invertible).
    static sp<ColorSpace> MakeRGB(const TransferFn& fn, const Matrix3& toXYZD50);
    static sp<ColorSpace> MakeSRGB();
    static sp<ColorSpace> MakeSRGBLinear();

    const TransferFn& transferFn() const { return fFn; }
    const TransferFn& invTransferFn() const { return fInvFn; }
    const Matrix3& toXYZD50() const { return fToXYZ; }
    const Matrix3& fromXYZD50() const { return fFromXYZ; }

    bool isSRGB() const;
    bool gammaCloseToSRGB() const;
    bool gammaIsLinear() const;

    // A copy with the linear curve, or with the sRGB curve, keeping the gamut.
    sp<ColorSpace> makeLinearGamma() const;
    sp<ColorSpace> makeSRGBGamma() const;

    bool equals(const ColorSpace& o) const { return fFn == o.fFn && fToXYZ == o.fToXYZ; }
    // Null and null are equal; null and a space are not.
    static bool Equals(const ColorSpace* a, const ColorSpace* b);

private:
    ColorSpace(const TransferFn& fn, const TransferFn& inv, const Matrix3& to, const Matrix3& from)
        : fFn(fn), fInvFn(inv), fToXYZ(to), fFromXYZ(from) {}

    TransferFn fFn, fInvFn;
    Matrix3 fToXYZ, fFromXYZ;
};

// The conversion of unpremultiplied colours from one space to another: decode, change gamut,
// encode. Steps that would do nothing are switched off, so converting between equal spaces (or
// to or from an untagged space) is no conversion at all.
struct ColorSpaceXform {
    ColorSpaceXform(const ColorSpace* src, const ColorSpace* dst);

    bool isIdentity() const { return !linearize && !gamut && !encode; }
    // Converts one unpremultiplied colour in place.
    void apply(float rgba[4]) const;

    bool linearize = false, gamut = false, encode = false;
    TransferFn srcFn, dstInvFn;
    Matrix3 srcToDst;
};

}  // namespace plix
