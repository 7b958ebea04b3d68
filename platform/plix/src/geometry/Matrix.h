// 3x3 matrices for 2D drawing (affine with optional perspective) and 4x4 matrices for the
// canvas's 3D transform. Matrix maps column vectors: x' = sx*x + kx*y + tx, y' = ky*x + sy*y + ty,
// w = p0*x + p1*y + p2.
#pragma once

#include <array>

#include "geometry/Point.h"
#include "geometry/Rect.h"

namespace plix {

class Matrix {
public:
    enum Index { kSX, kKX, kTX, kKY, kSY, kTY, kP0, kP1, kP2 };
    enum TypeMask { kIdentity = 0, kTranslate = 1, kScale = 2, kAffine = 4, kPerspective = 8 };

    constexpr Matrix() = default;
    static constexpr Matrix MakeAll(float sx, float kx, float tx, float ky, float sy, float ty,
                                    float p0, float p1, float p2) {
        Matrix m;
        m.fM = {sx, kx, tx, ky, sy, ty, p0, p1, p2};
        return m;
    }
    static constexpr Matrix Translate(float dx, float dy) { return MakeAll(1, 0, dx, 0, 1, dy, 0, 0, 1); }
    static constexpr Matrix Scale(float sx, float sy) { return MakeAll(sx, 0, 0, 0, sy, 0, 0, 0, 1); }
    static Matrix RotateDeg(float degrees);
    static Matrix RotateDeg(float degrees, Point pivot);
    static Matrix Skew(float kx, float ky) { return MakeAll(1, kx, 0, ky, 1, 0, 0, 0, 1); }
    // Maps src onto dst, scaling each axis (no aspect ratio kept); identity when src is empty.
    static Matrix RectToRect(const Rect& src, const Rect& dst);

    float operator[](int i) const { return fM[i]; }
    float& operator[](int i) { return fM[i]; }
    const std::array<float, 9>& values() const { return fM; }

    int type() const;
    bool isIdentity() const { return type() == kIdentity; }
    bool isTranslate() const { return (type() & ~kTranslate) == 0; }
    bool isScaleTranslate() const { return (type() & ~(kTranslate | kScale)) == 0; }
    bool hasPerspective() const { return fM[kP0] != 0 || fM[kP1] != 0 || fM[kP2] != 1; }
    // Axis-aligned rectangles stay axis-aligned rectangles (scale/translate or 90-degree turns).
    bool rectStaysRect() const;
    bool isFinite() const;

    // a * b: b applies first.
    friend Matrix operator*(const Matrix& a, const Matrix& b);
    Matrix& preConcat(const Matrix& m) { return *this = *this * m; }
    Matrix& postConcat(const Matrix& m) { return *this = m * *this; }
    Matrix& preTranslate(float dx, float dy) { return preConcat(Translate(dx, dy)); }
    Matrix& preScale(float sx, float sy) { return preConcat(Scale(sx, sy)); }
    Matrix& preRotate(float deg) { return preConcat(RotateDeg(deg)); }

    // False when singular or not finite; out may be this.
    bool invert(Matrix* out) const;

    Point mapPoint(Point p) const;
    void mapPoints(Point dst[], const Point src[], int count) const;
    // Maps a vector (no translation, no perspective division).
    Point mapVector(Point v) const { return {fM[kSX] * v.x + fM[kKX] * v.y, fM[kKY] * v.x + fM[kSY] * v.y}; }
    // Bounds of the four mapped corners (for perspective, clipped to w > 0 is not attempted).
    Rect mapRect(const Rect& r) const;

    // Largest and smallest stretch of a unit vector under the upper 2x2; -1 with perspective.
    float maxScale() const;
    float minScale() const;

    bool operator==(const Matrix& o) const { return fM == o.fM; }

private:
    std::array<float, 9> fM{1, 0, 0, 0, 1, 0, 0, 0, 1};
};

// Row-major 4x4, column vectors.
class Matrix44 {
public:
    constexpr Matrix44() = default;
    static Matrix44 FromRowMajor(const float v[16]);
    static Matrix44 From3x3(const Matrix& m);
    float rc(int r, int c) const { return fM[r * 4 + c]; }
    float& rc(int r, int c) { return fM[r * 4 + c]; }
    friend Matrix44 operator*(const Matrix44& a, const Matrix44& b);
    // Drops the z row and column.
    Matrix to3x3() const;
    bool invert(Matrix44* out) const;
    const std::array<float, 16>& values() const { return fM; }
    bool operator==(const Matrix44& o) const { return fM == o.fM; }

private:
    std::array<float, 16> fM{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

}  // namespace plix
