// Turning the C API's records into engine values and back. Ordinals out of range are refused
// (false) rather than cast.
#pragma once

#include "canvas/SurfaceProps.h"
#include "capi/Handles.h"
#include "core/ColorSpace.h"
#include "core/ImageInfo.h"
#include "core/Sampling.h"
#include "geometry/Matrix.h"
#include "geometry/Rect.h"
#include "plix/plix_types.h"

namespace plix::capi {

inline Rect toRect(const plix_rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline IRect toIRect(const plix_irect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Point toPoint(const plix_point& p) { return {p.x, p.y}; }
inline plix_rect fromRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline plix_irect fromIRect(const IRect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline plix_point fromPoint(Point p) { return {p.x, p.y}; }

inline Matrix toMatrix(const plix_matrix& m) {
    return Matrix::MakeAll(m.scale_x, m.skew_x, m.trans_x, m.skew_y, m.scale_y, m.trans_y, m.persp_0, m.persp_1,
                           m.persp_2);
}
inline plix_matrix fromMatrix(const Matrix& m) {
    return {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]};
}
inline Matrix44 toMatrix44(const plix_matrix44& m) { return Matrix44::FromRowMajor(m.m); }
inline plix_matrix44 fromMatrix44(const Matrix44& m) {
    plix_matrix44 r;
    for (int i = 0; i < 16; ++i) r.m[i] = m.values()[size_t(i)];
    return r;
}

// A colour space handle shared into an engine pointer (0: none).
inline sp<ColorSpace> refColorSpace(plix_handle h) { return sp_ref(from<ColorSpace>(h)); }

// False for ordinals out of range; the info itself may still be invalid for drawing.
inline bool toImageInfo(const plix_imageinfo* in, ImageInfo* out) {
    if (!in || !isValidColorType(in->color_type) || !isValidAlphaType(in->alpha_type)) return false;
    *out = ImageInfo::Make(in->width, in->height, ColorType(in->color_type), AlphaType(in->alpha_type),
                           refColorSpace(in->color_space));
    return true;
}
// The colour space goes out as a new reference.
inline void fromImageInfo(const ImageInfo& in, plix_imageinfo* out) {
    out->width = in.width;
    out->height = in.height;
    out->color_type = int32_t(in.colorType);
    out->alpha_type = int32_t(in.alphaType);
    out->color_space = in.colorSpace ? to(sp<ColorSpace>(in.colorSpace)) : 0;
}

// Null sampling means nearest, no mipmaps.
inline bool toSampling(const plix_sampling_options* in, SamplingOptions* out) {
    *out = SamplingOptions();
    if (!in) return true;
    if (!isValidFilterMode(in->filter) || !isValidMipmapMode(in->mipmap)) return false;
    out->maxAniso = in->max_anisotropic;
    out->useCubic = in->use_cubic;
    out->cubic = {in->cubic.b, in->cubic.c};
    out->filter = FilterMode(in->filter);
    out->mipmap = MipmapMode(in->mipmap);
    return true;
}

inline SurfaceProps toProps(const plix_surface_props& p) {
    SurfaceProps s;
    s.flags = p.flags;
    s.pixelGeometry = p.pixel_geometry >= 0 && p.pixel_geometry <= 4 ? PixelGeometry(p.pixel_geometry)
                                                                     : PixelGeometry::Unknown;
    return s;
}
inline plix_surface_props fromProps(const SurfaceProps& p) { return {p.flags, int32_t(p.pixelGeometry)}; }

// Unpremultiplied ARGB to the paint's float colour.
inline void argbToFloats(uint32_t argb, float out[4]) {
    out[0] = ((argb >> 16) & 255) / 255.0f, out[1] = ((argb >> 8) & 255) / 255.0f, out[2] = (argb & 255) / 255.0f;
    out[3] = (argb >> 24) / 255.0f;
}

}  // namespace plix::capi
