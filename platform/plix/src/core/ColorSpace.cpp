#include "core/ColorSpace.h"

#include <cmath>

namespace plix {

namespace named {
const Matrix3 kSRGBGamut{{0.436065674f, 0.385147095f, 0.143066406f,
                          0.222488403f, 0.716873169f, 0.060607910f,
                          0.013916016f, 0.097076416f, 0.714096069f}};
const Matrix3 kAdobeRGBGamut{{0.60974f, 0.20528f, 0.14919f,
                              0.31111f, 0.62567f, 0.06322f,
                              0.01947f, 0.06087f, 0.74457f}};
const Matrix3 kDisplayP3Gamut{{0.515102f, 0.291965f, 0.157153f,
                               0.241182f, 0.692236f, 0.0665819f,
                               -0.00104941f, 0.0418818f, 0.784378f}};
const Matrix3 kRec2020Gamut{{0.673459f, 0.165661f, 0.125100f,
                             0.279033f, 0.675338f, 0.0456288f,
                             -0.00193139f, 0.0299794f, 0.797162f}};
const Matrix3 kXYZGamut{};
}  // namespace named

float TransferFn::eval(float x) const {
    const float sign = x < 0 ? -1.0f : 1.0f;
    x = std::fabs(x);
    float y;
    if (x < d) {
        y = c * x + f;
    } else {
        const float base = a * x + b;
        y = (base > 0 ? std::pow(base, g) : 0.0f) + e;
    }
    return sign * y;
}

bool TransferFn::isValid() const {
    for (float v : {g, a, b, c, d, e, f})
        if (!std::isfinite(v)) return false;
    if (d < 0 || c < 0) return false;
    // Only the linear segment is used when d covers [0, 1].
    if (d >= 1) return c > 0;
    if (g <= 0 || a <= 0) return false;
    return true;
}

bool TransferFn::invert(TransferFn* out) const {
    if (!isValid()) return false;
    TransferFn inv;
    const bool hasLinear = d > 0;
    if (hasLinear) {
        if (c <= 0) return false;
        inv.c = 1 / c;
        inv.f = -f / c;
        inv.d = c * d + f;
    } else {
        inv.c = 0;
        inv.f = 0;
        inv.d = 0;
    }
    if (d >= 1) {
        // Linear only: the power segment is never reached.
        inv.g = 1; inv.a = 1; inv.b = 0; inv.e = 0;
        inv.d = 1e30f;
    } else {
        // x = ((y - e)^(1/g) - b) / a  =  (a^-g * y - e * a^-g)^(1/g) - b/a
        const float ag = std::pow(a, -g);
        inv.g = 1 / g;
        inv.a = ag;
        inv.b = -e * ag;
        inv.e = -b / a;
    }
    for (float v : {inv.g, inv.a, inv.b, inv.c, inv.d, inv.e, inv.f})
        if (!std::isfinite(v)) return false;
    *out = inv;
    return true;
}

Matrix3 Matrix3::operator*(const Matrix3& o) const {
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i * 3 + j] = m[i * 3 + 0] * o.m[0 * 3 + j] + m[i * 3 + 1] * o.m[1 * 3 + j] +
                             m[i * 3 + 2] * o.m[2 * 3 + j];
    return r;
}

bool Matrix3::invert(Matrix3* out) const {
    const double a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5], g = m[6], h = m[7],
                 i = m[8];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
    const double s = 1 / det;
    Matrix3 r;
    r.m = {float(A * s), float(-(b * i - c * h) * s), float((b * f - c * e) * s),
           float(B * s), float((a * i - c * g) * s), float(-(a * f - c * d) * s),
           float(C * s), float(-(a * h - b * g) * s), float((a * e - b * d) * s)};
    for (float v : r.m)
        if (!std::isfinite(v)) return false;
    *out = r;
    return true;
}

void Matrix3::map(float& r, float& g, float& b) const {
    const float R = m[0] * r + m[1] * g + m[2] * b;
    const float G = m[3] * r + m[4] * g + m[5] * b;
    const float B = m[6] * r + m[7] * g + m[8] * b;
    r = R, g = G, b = B;
}

sp<ColorSpace> ColorSpace::MakeRGB(const TransferFn& fn, const Matrix3& toXYZD50) {
    TransferFn inv;
    Matrix3 from;
    if (!fn.invert(&inv) || !toXYZD50.invert(&from)) return nullptr;
    return sp<ColorSpace>(new ColorSpace(fn, inv, toXYZD50, from));
}

sp<ColorSpace> ColorSpace::MakeSRGB() {
    static ColorSpace* const srgb = MakeRGB(named::kSRGB, named::kSRGBGamut).release();
    return sp_ref(srgb);
}

sp<ColorSpace> ColorSpace::MakeSRGBLinear() {
    static ColorSpace* const linear = MakeRGB(named::kLinear, named::kSRGBGamut).release();
    return sp_ref(linear);
}

bool ColorSpace::isSRGB() const { return fFn == named::kSRGB && fToXYZ == named::kSRGBGamut; }

bool ColorSpace::gammaCloseToSRGB() const {
    for (int i = 0; i <= 16; ++i) {
        const float x = i / 16.0f;
        if (std::fabs(fFn.eval(x) - named::kSRGB.eval(x)) > 0.01f) return false;
    }
    return true;
}

bool ColorSpace::gammaIsLinear() const { return fFn == named::kLinear; }

sp<ColorSpace> ColorSpace::makeLinearGamma() const { return MakeRGB(named::kLinear, fToXYZ); }
sp<ColorSpace> ColorSpace::makeSRGBGamma() const { return MakeRGB(named::kSRGB, fToXYZ); }

bool ColorSpace::Equals(const ColorSpace* a, const ColorSpace* b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return a->equals(*b);
}

ColorSpaceXform::ColorSpaceXform(const ColorSpace* src, const ColorSpace* dst) {
    if (!src || !dst || src->equals(*dst)) return;
    srcFn = src->transferFn();
    dstInvFn = dst->invTransferFn();
    srcToDst = dst->fromXYZD50() * src->toXYZD50();
    gamut = !(src->toXYZD50() == dst->toXYZD50());
    linearize = !(srcFn == named::kLinear);
    encode = !(dst->transferFn() == named::kLinear);
    if (!gamut && srcFn == dst->transferFn()) linearize = encode = false;
}

void ColorSpaceXform::apply(float rgba[4]) const {
    if (linearize)
        for (int i = 0; i < 3; ++i) rgba[i] = srcFn.eval(rgba[i]);
    if (gamut) srcToDst.map(rgba[0], rgba[1], rgba[2]);
    if (encode)
        for (int i = 0; i < 3; ++i) rgba[i] = dstInvFn.eval(rgba[i]);
}

}  // namespace plix
