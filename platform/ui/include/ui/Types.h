// Value types of the framework: points, sizes, rectangles, the 2D matrix, colours and small
// sets over enumerations (the shift state, gestures, orientations ...).
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace Ui {

// A set over an enumeration whose ordinals are below 64; bit n stands for ordinal n, so
// Bits() is the set's ordinal value (for example [Landscape, InvertedLandscape] = 10).
template <class E>
class TSet {
    static_assert(std::is_enum_v<E>);

public:
    constexpr TSet() noexcept = default;
    constexpr TSet(std::initializer_list<E> items) noexcept {
        for (E e : items) fBits |= Bit(e);
    }
    static constexpr TSet FromBits(uint64_t bits) noexcept { TSet s; s.fBits = bits; return s; }

    constexpr bool Contains(E e) const noexcept { return (fBits & Bit(e)) != 0; }
    constexpr bool Empty() const noexcept { return fBits == 0; }
    constexpr uint64_t Bits() const noexcept { return fBits; }
    constexpr TSet& Include(E e) noexcept { fBits |= Bit(e); return *this; }
    constexpr TSet& Exclude(E e) noexcept { fBits &= ~Bit(e); return *this; }

    friend constexpr TSet operator+(TSet a, TSet b) noexcept { return FromBits(a.fBits | b.fBits); }
    friend constexpr TSet operator-(TSet a, TSet b) noexcept { return FromBits(a.fBits & ~b.fBits); }
    friend constexpr TSet operator*(TSet a, TSet b) noexcept { return FromBits(a.fBits & b.fBits); }
    friend constexpr bool operator==(TSet a, TSet b) noexcept { return a.fBits == b.fBits; }

private:
    static constexpr uint64_t Bit(E e) noexcept { return uint64_t{1} << static_cast<unsigned>(e); }
    uint64_t fBits = 0;
};

struct TPointF {
    float X = 0, Y = 0;

    constexpr TPointF() = default;
    constexpr TPointF(float x, float y) : X(x), Y(y) {}
    friend constexpr TPointF operator+(TPointF a, TPointF b) { return {a.X + b.X, a.Y + b.Y}; }
    friend constexpr TPointF operator-(TPointF a, TPointF b) { return {a.X - b.X, a.Y - b.Y}; }
    friend constexpr TPointF operator*(TPointF a, float k) { return {a.X * k, a.Y * k}; }
    friend constexpr bool operator==(TPointF a, TPointF b) { return a.X == b.X && a.Y == b.Y; }
    float Length() const { return std::hypot(X, Y); }
};

struct TPoint3D {
    float X = 0, Y = 0, Z = 0;
};

struct TSizeF {
    float Width = 0, Height = 0;
    friend constexpr bool operator==(TSizeF a, TSizeF b) { return a.Width == b.Width && a.Height == b.Height; }
};

struct TSize {
    int Width = 0, Height = 0;
    friend constexpr bool operator==(TSize a, TSize b) { return a.Width == b.Width && a.Height == b.Height; }
};

struct TRectF {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;

    constexpr TRectF() = default;
    constexpr TRectF(float l, float t, float r, float b) : Left(l), Top(t), Right(r), Bottom(b) {}
    static constexpr TRectF FromSize(TPointF origin, float w, float h) {
        return {origin.X, origin.Y, origin.X + w, origin.Y + h};
    }

    constexpr float Width() const { return Right - Left; }
    constexpr float Height() const { return Bottom - Top; }
    constexpr TPointF TopLeft() const { return {Left, Top}; }
    constexpr TPointF CenterPoint() const { return {(Left + Right) / 2, (Top + Bottom) / 2}; }
    // Empty when it has no area (also when inverted or NaN).
    constexpr bool IsEmpty() const { return !(Right > Left) || !(Bottom > Top); }
    // Half-open: the right and bottom edges are outside.
    constexpr bool Contains(TPointF p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    constexpr TRectF Offset(float dx, float dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    // The common part; an empty rectangle at (0, 0) when there is none.
    static TRectF Intersect(const TRectF& a, const TRectF& b);
    // The smallest rectangle holding both; an empty operand does not count.
    static TRectF Union(const TRectF& a, const TRectF& b);
    friend constexpr bool operator==(const TRectF& a, const TRectF& b) {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
};

struct TBounds {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A 2D affine transform for row vectors: p' = p * M, so A * B applies A first, then B. The
// translation sits in m31, m32; the third column stays (0, 0, 1).
struct TMatrix {
    float m11 = 1, m12 = 0, m13 = 0;
    float m21 = 0, m22 = 1, m23 = 0;
    float m31 = 0, m32 = 0, m33 = 1;

    static constexpr TMatrix Identity() { return {}; }
    static constexpr TMatrix CreateTranslation(float dx, float dy) {
        TMatrix m; m.m31 = dx; m.m32 = dy; return m;
    }
    static constexpr TMatrix CreateScaling(float sx, float sy) {
        TMatrix m; m.m11 = sx; m.m22 = sy; return m;
    }
    // Counter-clockwise in a y-up system, so clockwise on screen for a positive angle.
    static TMatrix CreateRotation(float radians);

    friend TMatrix operator*(const TMatrix& a, const TMatrix& b);
    friend constexpr bool operator==(const TMatrix& a, const TMatrix& b) {
        return a.m11 == b.m11 && a.m12 == b.m12 && a.m21 == b.m21 && a.m22 == b.m22 &&
               a.m31 == b.m31 && a.m32 == b.m32;
    }
    TPointF Transform(TPointF p) const { return {p.X * m11 + p.Y * m21 + m31, p.X * m12 + p.Y * m22 + m32}; }
    // The bounding box of the transformed rectangle.
    TRectF TransformRect(const TRectF& r) const;
    float Determinant() const { return m11 * m22 - m12 * m21; }
    // The inverse; the identity when the matrix cannot be inverted.
    TMatrix Inverse() const;
    bool IsIdentity() const { return *this == TMatrix(); }
};

// 32-bit colour, alpha in the top byte: 0xAARRGGBB, not premultiplied.
using TAlphaColor = uint32_t;

namespace TAlphaColors {
constexpr TAlphaColor Null = 0x00000000;
constexpr TAlphaColor Black = 0xFF000000;
constexpr TAlphaColor White = 0xFFFFFFFF;
constexpr TAlphaColor Red = 0xFFFF0000;
constexpr TAlphaColor Lime = 0xFF00FF00;
constexpr TAlphaColor Blue = 0xFF0000FF;
constexpr TAlphaColor Gray = 0xFF808080;
constexpr TAlphaColor Whitesmoke = 0xFFF5F5F5;
}  // namespace TAlphaColors

// The colour with its alpha multiplied by opacity: with opacity below 1 the alpha byte becomes
// trunc(alpha * opacity), otherwise the colour is unchanged.
TAlphaColor MakeColor(TAlphaColor color, float opacity);

// Keyboard modifiers and mouse buttons held during an event, in the framework's order.
enum class TShiftStateItem { Shift, Alt, Ctrl, Left, Right, Middle, Double, Touch, Pen, Command, Horizontal };
using TShiftState = TSet<TShiftStateItem>;

enum class TMouseButton { Left, Right, Middle };

}  // namespace Ui

// Integer geometry and float colours and 4x4 matrices, as the graphics object layer passes them.
namespace Ui {

struct TPoint {
    int X = 0, Y = 0;
    friend constexpr bool operator==(TPoint a, TPoint b) { return a.X == b.X && a.Y == b.Y; }
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    friend constexpr bool operator==(const TRect& a, const TRect& b) {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
};

// A colour as four floats, not premultiplied, 0..1 per channel.
struct TAlphaColorF {
    float R = 0, G = 0, B = 0, A = 0;
    friend constexpr bool operator==(const TAlphaColorF& a, const TAlphaColorF& b) {
        return a.R == b.R && a.G == b.G && a.B == b.B && a.A == b.A;
    }
};

// A 3D transform for row vectors (p' = p * M), translation in m41, m42, m43.
struct TMatrix3D {
    float m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    float m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    float m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    float m41 = 0, m42 = 0, m43 = 0, m44 = 1;
    friend constexpr bool operator==(const TMatrix3D& a, const TMatrix3D& b) {
        return a.m11 == b.m11 && a.m12 == b.m12 && a.m13 == b.m13 && a.m14 == b.m14 &&
               a.m21 == b.m21 && a.m22 == b.m22 && a.m23 == b.m23 && a.m24 == b.m24 &&
               a.m31 == b.m31 && a.m32 == b.m32 && a.m33 == b.m33 && a.m34 == b.m34 &&
               a.m41 == b.m41 && a.m42 == b.m42 && a.m43 == b.m43 && a.m44 == b.m44;
    }
};

}  // namespace Ui
