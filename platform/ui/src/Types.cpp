#include "ui/Types.h"

#include <algorithm>

namespace Ui {

TRectF TRectF::Intersect(const TRectF& a, const TRectF& b) {
    const TRectF r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                   std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRectF() : r;
}

TRectF TRectF::Union(const TRectF& a, const TRectF& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

TMatrix TMatrix::CreateRotation(float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    TMatrix m;
    m.m11 = c; m.m12 = s;
    m.m21 = -s; m.m22 = c;
    return m;
}

TMatrix operator*(const TMatrix& a, const TMatrix& b) {
    TMatrix r;
    r.m11 = a.m11 * b.m11 + a.m12 * b.m21;
    r.m12 = a.m11 * b.m12 + a.m12 * b.m22;
    r.m21 = a.m21 * b.m11 + a.m22 * b.m21;
    r.m22 = a.m21 * b.m12 + a.m22 * b.m22;
    r.m31 = a.m31 * b.m11 + a.m32 * b.m21 + b.m31;
    r.m32 = a.m31 * b.m12 + a.m32 * b.m22 + b.m32;
    return r;
}

TRectF TMatrix::TransformRect(const TRectF& r) const {
    const TPointF p[4] = {Transform({r.Left, r.Top}), Transform({r.Right, r.Top}),
                          Transform({r.Right, r.Bottom}), Transform({r.Left, r.Bottom})};
    TRectF out{p[0].X, p[0].Y, p[0].X, p[0].Y};
    for (const TPointF& q : p) {
        out.Left = std::min(out.Left, q.X);
        out.Top = std::min(out.Top, q.Y);
        out.Right = std::max(out.Right, q.X);
        out.Bottom = std::max(out.Bottom, q.Y);
    }
    return out;
}

TMatrix TMatrix::Inverse() const {
    const float det = Determinant();
    if (det == 0 || !std::isfinite(det)) return {};
    TMatrix r;
    r.m11 = m22 / det;
    r.m12 = -m12 / det;
    r.m21 = -m21 / det;
    r.m22 = m11 / det;
    r.m31 = (m21 * m32 - m22 * m31) / det;
    r.m32 = (m12 * m31 - m11 * m32) / det;
    return r;
}

TAlphaColor MakeColor(TAlphaColor color, float opacity) {
    if (!(opacity < 1)) return color;
    const float clamped = std::max(opacity, 0.0f);
    const auto alpha = static_cast<uint32_t>(static_cast<float>(color >> 24) * clamped);
    return (color & 0x00FFFFFF) | (alpha << 24);
}

}  // namespace Ui
