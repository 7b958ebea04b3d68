#include "capi/Convert.h"
#include "core/ColorSpace.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {

ColorSpace* cs(plix_handle h) { return from<ColorSpace>(h); }

TransferFn toFn(const plix_colorspace_transfer_fn& f) { return {f.g, f.a, f.b, f.c, f.d, f.e, f.f}; }
plix_colorspace_transfer_fn fromFn(const TransferFn& f) { return {f.g, f.a, f.b, f.c, f.d, f.e, f.f}; }

Matrix3 toGamut(const plix_colorspace_xyz& x) {
    Matrix3 m;
    m.m = {x.m11, x.m12, x.m13, x.m21, x.m22, x.m23, x.m31, x.m32, x.m33};
    return m;
}
plix_colorspace_xyz fromGamut(const Matrix3& g) {
    const auto& m = g.m;
    return {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]};
}

}  // namespace

void plix_colorspace_ref(plix_handle self) {
    if (self) cs(self)->ref();
}
void plix_colorspace_unref(plix_handle self) {
    if (self) cs(self)->unref();
}

plix_handle plix_colorspace_make_srgb(void) {
    return guard<plix_handle>(0, [] { return to(ColorSpace::MakeSRGB()); });
}
plix_handle plix_colorspace_make_srgb_linear(void) {
    return guard<plix_handle>(0, [] { return to(ColorSpace::MakeSRGBLinear()); });
}
plix_handle plix_colorspace_make_rgb(const plix_colorspace_transfer_fn* transfer_function,
                                     const plix_colorspace_xyz* xyz) {
    if (!transfer_function || !xyz) return 0;
    return guard<plix_handle>(0, [&] { return to(ColorSpace::MakeRGB(toFn(*transfer_function), toGamut(*xyz))); });
}
plix_handle plix_colorspace_make_linear_gamma(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(cs(self)->makeLinearGamma()); });
}
plix_handle plix_colorspace_make_srgb_gamma(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(cs(self)->makeSRGBGamma()); });
}

bool plix_colorspace_gamma_close_to_srgb(plix_handle self) { return self && cs(self)->gammaCloseToSRGB(); }
bool plix_colorspace_gamma_is_linear(plix_handle self) { return self && cs(self)->gammaIsLinear(); }
bool plix_colorspace_is_srgb(plix_handle self) { return self && cs(self)->isSRGB(); }
bool plix_colorspace_is_equal(plix_handle self, plix_handle color_space) {
    return ColorSpace::Equals(cs(self), cs(color_space));
}

// Every space here has a parametric curve.
bool plix_colorspace_is_numerical_transfer_fn(plix_handle self, plix_colorspace_transfer_fn* transfer_function) {
    if (!self) return false;
    if (transfer_function) *transfer_function = fromFn(cs(self)->transferFn());
    return true;
}

bool plix_colorspace_to_xyz(plix_handle self, plix_colorspace_xyz* xyz) {
    if (!self) return false;
    if (xyz) *xyz = fromGamut(cs(self)->toXYZD50());
    return true;
}

bool plix_colorspaceprimaries_to_xyz(const plix_colorspace_primaries* self, plix_colorspace_xyz* xyz) {
    if (!self || !xyz) return false;
    Matrix3 m;
    if (!primariesToXYZD50({self->rx, self->ry, self->gx, self->gy, self->bx, self->by, self->wx, self->wy}, &m))
        return false;
    *xyz = fromGamut(m);
    return true;
}

bool plix_colorspacetransferfn_invert(const plix_colorspace_transfer_fn* self, plix_colorspace_transfer_fn* result) {
    if (!self || !result) return false;
    TransferFn inv;
    if (!toFn(*self).invert(&inv)) return false;
    *result = fromFn(inv);
    return true;
}

float plix_colorspacetransferfn_transform(const plix_colorspace_transfer_fn* self, float x) {
    return self ? toFn(*self).eval(x) : 0;
}
