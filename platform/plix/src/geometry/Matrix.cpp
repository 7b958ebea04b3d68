#include "geometry/Matrix.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plix {

namespace {
// Exact results for multiples of 90 degrees, so rotated rects stay rects.
void sinCosDeg(float degrees, float* s, float* c) {
    const double rad = double(degrees) * std::numbers::pi / 180.0;
    double sv = std::sin(rad), cv = std::cos(rad);
    if (std::fabs(sv) < 1e-7) sv = 0;
    if (std::fabs(cv) < 1e-7) cv = 0;
    *s = float(sv), *c = float(cv);
}
}  // namespace

Matrix Matrix::RotateDeg(float degrees) {
    float s, c;
    sinCosDeg(degrees, &s, &c);
    return MakeAll(c, -s, 0, s, c, 0, 0, 0, 1);
}

Matrix Matrix::RotateDeg(float degrees, Point p) {
    return Translate(p.x, p.y) * RotateDeg(degrees) * Translate(-p.x, -p.y);
}

Matrix Matrix::RectToRect(const Rect& src, const Rect& dst) {
    if (src.isEmpty()) return Matrix();
    const float sx = dst.width() / src.width(), sy = dst.height() / src.height();
    return MakeAll(sx, 0, dst.left - src.left * sx, 0, sy, dst.top - src.top * sy, 0, 0, 1);
}

int Matrix::type() const {
    if (hasPerspective()) return kPerspective | kAffine | kScale | kTranslate;
    int t = 0;
    if (fM[kTX] != 0 || fM[kTY] != 0) t |= kTranslate;
    if (fM[kSX] != 1 || fM[kSY] != 1) t |= kScale;
    if (fM[kKX] != 0 || fM[kKY] != 0) t |= kAffine;
    return t;
}

bool Matrix::rectStaysRect() const {
    if (hasPerspective()) return false;
    const bool axis = fM[kKX] == 0 && fM[kKY] == 0 && fM[kSX] != 0 && fM[kSY] != 0;
    const bool swap = fM[kSX] == 0 && fM[kSY] == 0 && fM[kKX] != 0 && fM[kKY] != 0;
    return axis || swap;
}

bool Matrix::isFinite() const {
    for (float v : fM)
        if (!std::isfinite(v)) return false;
    return true;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.fM[i * 3 + j] = float(double(a.fM[i * 3]) * b.fM[j] + double(a.fM[i * 3 + 1]) * b.fM[3 + j] +
                                    double(a.fM[i * 3 + 2]) * b.fM[6 + j]);
    return r;
}

bool Matrix::invert(Matrix* out) const {
    const double a = fM[0], b = fM[1], c = fM[2], d = fM[3], e = fM[4], f = fM[5], g = fM[6],
                 h = fM[7], i = fM[8];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (!std::isfinite(det) || det == 0 || std::fabs(det) < 1e-30) return false;
    const double s = 1 / det;
    Matrix r = MakeAll(float(A * s), float(-(b * i - c * h) * s), float((b * f - c * e) * s),
                       float(B * s), float((a * i - c * g) * s), float(-(a * f - c * d) * s),
                       float(C * s), float(-(a * h - b * g) * s), float((a * e - b * d) * s));
    if (!r.isFinite()) return false;
    *out = r;
    return true;
}

Point Matrix::mapPoint(Point p) const {
    const float x = fM[kSX] * p.x + fM[kKX] * p.y + fM[kTX];
    const float y = fM[kKY] * p.x + fM[kSY] * p.y + fM[kTY];
    if (!hasPerspective()) return {x, y};
    const float w = fM[kP0] * p.x + fM[kP1] * p.y + fM[kP2];
    const float iw = w != 0 ? 1 / w : 0;
    return {x * iw, y * iw};
}

void Matrix::mapPoints(Point dst[], const Point src[], int count) const {
    for (int i = 0; i < count; ++i) dst[i] = mapPoint(src[i]);
}

Rect Matrix::mapRect(const Rect& r) const {
    if (isScaleTranslate()) {
        const float x0 = r.left * fM[kSX] + fM[kTX], x1 = r.right * fM[kSX] + fM[kTX];
        const float y0 = r.top * fM[kSY] + fM[kTY], y1 = r.bottom * fM[kSY] + fM[kTY];
        return Rect{x0, y0, x1, y1}.makeSorted();
    }
    const Point pts[4] = {mapPoint({r.left, r.top}), mapPoint({r.right, r.top}), mapPoint({r.right, r.bottom}),
                          mapPoint({r.left, r.bottom})};
    Rect out;
    out.setBounds(pts, 4);
    return out;
}

namespace {
// Singular values of the 2x2 [a b; c d].
void singular(double a, double b, double c, double d, double* smax, double* smin) {
    const double s1 = a * a + b * b + c * c + d * d;
    const double det = a * d - b * c;
    const double disc = std::sqrt(std::max(0.0, s1 * s1 - 4 * det * det));
    *smax = std::sqrt((s1 + disc) / 2);
    *smin = std::sqrt(std::max(0.0, (s1 - disc) / 2));
}
}  // namespace

float Matrix::maxScale() const {
    if (hasPerspective()) return -1;
    double mx, mn;
    singular(fM[kSX], fM[kKX], fM[kKY], fM[kSY], &mx, &mn);
    return float(mx);
}

float Matrix::minScale() const {
    if (hasPerspective()) return -1;
    double mx, mn;
    singular(fM[kSX], fM[kKX], fM[kKY], fM[kSY], &mx, &mn);
    return float(mn);
}

Matrix44 Matrix44::FromRowMajor(const float v[16]) {
    Matrix44 m;
    std::copy(v, v + 16, m.fM.begin());
    return m;
}

Matrix44 Matrix44::From3x3(const Matrix& m) {
    Matrix44 r;
    r.fM = {m[0], m[1], 0, m[2], m[3], m[4], 0, m[5], 0, 0, 1, 0, m[6], m[7], 0, m[8]};
    return r;
}

Matrix44 operator*(const Matrix44& a, const Matrix44& b) {
    Matrix44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += double(a.fM[i * 4 + k]) * b.fM[k * 4 + j];
            r.fM[i * 4 + j] = float(s);
        }
    return r;
}

Matrix Matrix44::to3x3() const {
    return Matrix::MakeAll(rc(0, 0), rc(0, 1), rc(0, 3), rc(1, 0), rc(1, 1), rc(1, 3), rc(3, 0), rc(3, 1),
                           rc(3, 3));
}

bool Matrix44::invert(Matrix44* out) const {
    // Gauss-Jordan with partial pivoting in double.
    double m[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 8; ++j) m[i][j] = j < 4 ? fM[i * 4 + j] : (j - 4 == i ? 1 : 0);
    for (int col = 0; col < 4; ++col) {
        int piv = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[piv][col])) piv = r;
        if (!(std::fabs(m[piv][col]) > 1e-30)) return false;
        if (piv != col)
            for (int j = 0; j < 8; ++j) std::swap(m[piv][j], m[col][j]);
        const double inv = 1 / m[col][col];
        for (int j = 0; j < 8; ++j) m[col][j] *= inv;
        for (int r = 0; r < 4; ++r)
            if (r != col) {
                const double f = m[r][col];
                for (int j = 0; j < 8; ++j) m[r][j] -= f * m[col][j];
            }
    }
    Matrix44 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            r.fM[i * 4 + j] = float(m[i][j + 4]);
            if (!std::isfinite(r.fM[i * 4 + j])) return false;
        }
    *out = r;
    return true;
}

}  // namespace plix
