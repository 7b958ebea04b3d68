// How the layer's values cross to the native side: records are copied into the C API's structs
// (matrices transposed, since the framework's matrices act on row vectors and the engine's on
// column vectors); arrays of records whose layout is the C struct's are passed in place.
// Internal to the object layer's sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "Skia/Enums.h"
#include "plix/plix_types.h"
#include "ui/Types.h"

namespace Skia::Marshal {

template <class E>
    requires std::is_enum_v<E>
constexpr int32_t Ord(E value) {
    return static_cast<int32_t>(value);
}

// ---- geometry ----

inline plix_point ToNative(const Ui::TPointF& p) { return {p.X, p.Y}; }
inline plix_ipoint ToNative(const Ui::TPoint& p) { return {p.X, p.Y}; }
inline plix_isize ToNative(const Ui::TSize& s) { return {s.Width, s.Height}; }
inline plix_rect ToNative(const Ui::TRectF& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
inline plix_irect ToNative(const Ui::TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }
inline plix_color4f ToNative(const Ui::TAlphaColorF& c) { return {c.R, c.G, c.B, c.A}; }

inline Ui::TPointF FromNative(const plix_point& p) { return {p.x, p.y}; }
inline Ui::TPoint FromNative(const plix_ipoint& p) { return {p.x, p.y}; }
inline Ui::TRectF FromNative(const plix_rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Ui::TRect FromNative(const plix_irect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Ui::TAlphaColorF FromNative(const plix_color4f& c) { return {c.r, c.g, c.b, c.a}; }

// The engine's matrix is the transpose of the framework's.
inline plix_matrix ToNative(const Ui::TMatrix& m) {
    return {m.m11, m.m21, m.m31, m.m12, m.m22, m.m32, m.m13, m.m23, m.m33};
}

inline Ui::TMatrix FromNative(const plix_matrix& n) {
    Ui::TMatrix m;
    m.m11 = n.scale_x; m.m21 = n.skew_x;  m.m31 = n.trans_x;
    m.m12 = n.skew_y;  m.m22 = n.scale_y; m.m32 = n.trans_y;
    m.m13 = n.persp_0; m.m23 = n.persp_1; m.m33 = n.persp_2;
    return m;
}

inline plix_matrix44 ToNative(const Ui::TMatrix3D& m) {
    return {{m.m11, m.m21, m.m31, m.m41,
             m.m12, m.m22, m.m32, m.m42,
             m.m13, m.m23, m.m33, m.m43,
             m.m14, m.m24, m.m34, m.m44}};
}

inline Ui::TMatrix3D FromNative(const plix_matrix44& n) {
    const float* a = n.m;
    Ui::TMatrix3D m;
    m.m11 = a[0]; m.m21 = a[1]; m.m31 = a[2];  m.m41 = a[3];
    m.m12 = a[4]; m.m22 = a[5]; m.m32 = a[6];  m.m42 = a[7];
    m.m13 = a[8]; m.m23 = a[9]; m.m33 = a[10]; m.m43 = a[11];
    m.m14 = a[12]; m.m24 = a[13]; m.m34 = a[14]; m.m44 = a[15];
    return m;
}

// ---- arrays passed in place ----

template <class From, class To>
constexpr bool SameLayout = sizeof(From) == sizeof(To) && alignof(From) == alignof(To) &&
                            std::is_trivially_copyable_v<From> && std::is_standard_layout_v<From>;

static_assert(SameLayout<Ui::TPointF, plix_point>);
static_assert(SameLayout<Ui::TRectF, plix_rect>);
static_assert(SameLayout<Ui::TAlphaColorF, plix_color4f>);
static_assert(offsetof(Ui::TPointF, Y) == offsetof(plix_point, y));
static_assert(offsetof(Ui::TRectF, Bottom) == offsetof(plix_rect, bottom));
static_assert(offsetof(Ui::TAlphaColorF, A) == offsetof(plix_color4f, a));

// The first element's address, or null for an empty array.
template <class T>
const T* DataOrNil(std::span<const T> values) {
    return values.empty() ? nullptr : values.data();
}

inline const plix_point* ToNative(std::span<const Ui::TPointF> points) {
    return reinterpret_cast<const plix_point*>(DataOrNil(points));
}
inline const plix_rect* ToNative(std::span<const Ui::TRectF> rects) {
    return reinterpret_cast<const plix_rect*>(DataOrNil(rects));
}
inline const plix_color4f* ToNative(std::span<const Ui::TAlphaColorF> colors) {
    return reinterpret_cast<const plix_color4f*>(DataOrNil(colors));
}

}  // namespace Skia::Marshal
