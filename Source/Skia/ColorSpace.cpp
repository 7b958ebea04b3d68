#include "Skia/ColorSpace.h"

#include "Skia/API.h"

namespace Skia {
namespace {

plix_colorspace_transfer_fn ToNative(const TSkColorSpaceTransferFunction& f) {
    return {f.G, f.A, f.B, f.C, f.D, f.E, f.F};
}

TSkColorSpaceTransferFunction FromNative(const plix_colorspace_transfer_fn& f) {
    return {f.g, f.a, f.b, f.c, f.d, f.e, f.f};
}

plix_colorspace_xyz ToNative(const TSkColorSpaceXyz& m) {
    return {m.M11, m.M12, m.M13, m.M21, m.M22, m.M23, m.M31, m.M32, m.M33};
}

TSkColorSpaceXyz FromNative(const plix_colorspace_xyz& m) {
    return {m.m11, m.m12, m.m13, m.m21, m.m22, m.m23, m.m31, m.m32, m.m33};
}

}  // namespace

bool TSkColorSpaceTransferFunction::Invert(TSkColorSpaceTransferFunction& AResult) const {
    const plix_colorspace_transfer_fn self = ToNative(*this);
    plix_colorspace_transfer_fn result{};
    if (!API::plix_colorspacetransferfn_invert(&self, &result)) return false;
    AResult = FromNative(result);
    return true;
}

float TSkColorSpaceTransferFunction::Transform(float AX) const {
    const plix_colorspace_transfer_fn self = ToNative(*this);
    return API::plix_colorspacetransferfn_transform(&self, AX);
}

bool TSkColorSpacePrimaries::ToXyz(TSkColorSpaceXyz& AXyz) const {
    const plix_colorspace_primaries self{RX, RY, GX, GY, BX, BY, WX, WY};
    plix_colorspace_xyz xyz{};
    if (!API::plix_colorspaceprimaries_to_xyz(&self, &xyz)) return false;
    AXyz = FromNative(xyz);
    return true;
}

// ---- TSkColorSpace ----

Ref<ISkColorSpace> TSkColorSpace::Make(const Ref<ISkColorSpaceICCProfile>& AProfile) {
    CheckNotNil(AProfile, "AProfile");
    return WrapOrNil<TSkColorSpace>(API::plix_colorspace_make(AProfile->GetHandle()));
}

Ref<ISkColorSpace> TSkColorSpace::MakeRGB(const TSkColorSpaceTransferFunction& ATransferFunction,
                                         const TSkColorSpaceXyz& AToXyzD50) {
    const plix_colorspace_transfer_fn fn = ToNative(ATransferFunction);
    const plix_colorspace_xyz xyz = ToNative(AToXyzD50);
    return WrapOrNil<TSkColorSpace>(API::plix_colorspace_make_rgb(&fn, &xyz));
}

Ref<ISkColorSpace> TSkColorSpace::MakeSRGB() { return WrapOrNil<TSkColorSpace>(API::plix_colorspace_make_srgb()); }

Ref<ISkColorSpace> TSkColorSpace::MakeSRGBLinear() {
    return WrapOrNil<TSkColorSpace>(API::plix_colorspace_make_srgb_linear());
}

bool TSkColorSpace::GammaCloseToSRGB() { return API::plix_colorspace_gamma_close_to_srgb(Handle()); }
bool TSkColorSpace::GammaIsLinear() { return API::plix_colorspace_gamma_is_linear(Handle()); }

bool TSkColorSpace::IsEqual(const Ref<ISkColorSpace>& AColorSpace) {
    return AColorSpace && API::plix_colorspace_is_equal(Handle(), AColorSpace->GetHandle());
}

bool TSkColorSpace::IsNumericalTransferFunction(TSkColorSpaceTransferFunction& ATransferFunction) {
    plix_colorspace_transfer_fn fn{};
    if (!API::plix_colorspace_is_numerical_transfer_fn(Handle(), &fn)) return false;
    ATransferFunction = FromNative(fn);
    return true;
}

bool TSkColorSpace::IsSRGB() { return API::plix_colorspace_is_srgb(Handle()); }

Ref<ISkColorSpace> TSkColorSpace::MakeLinearGamma() {
    return WrapOrNil<TSkColorSpace>(API::plix_colorspace_make_linear_gamma(Handle()));
}

Ref<ISkColorSpace> TSkColorSpace::MakeSRGBGamma() {
    return WrapOrNil<TSkColorSpace>(API::plix_colorspace_make_srgb_gamma(Handle()));
}

Ref<ISkColorSpaceICCProfile> TSkColorSpace::ToProfile() {
    return WrapCreated<TSkColorSpaceICCProfile>(API::plix_colorspace_to_profile(Handle()));
}

bool TSkColorSpace::ToXyz(TSkColorSpaceXyz& ADest) {
    plix_colorspace_xyz xyz{};
    if (!API::plix_colorspace_to_xyz(Handle(), &xyz)) return false;
    ADest = FromNative(xyz);
    return true;
}

void TSkColorSpace::__RefHandle(NativeUInt AHandle) { API::plix_colorspace_ref(AHandle); }
void TSkColorSpace::__UnrefHandle(NativeUInt AHandle) { API::plix_colorspace_unref(AHandle); }

// ---- TSkColorSpaceICCProfile ----

Ref<ISkColorSpaceICCProfile> TSkColorSpaceICCProfile::MakeFromBytes(std::span<const uint8_t> ABytes) {
    CheckNotEmpty(ABytes, "ABytes");
    return WrapOrNil<TSkColorSpaceICCProfile>(API::plix_colorspaceiccprofile_make_with_parse(ABytes.data(), ABytes.size()));
}

std::vector<uint8_t> TSkColorSpaceICCProfile::GetBuffer() {
    size_t size = 0;
    const uint8_t* bytes = API::plix_colorspaceiccprofile_get_buffer(Handle(), &size);
    if (!bytes) return {};
    return std::vector<uint8_t>(bytes, bytes + size);
}

bool TSkColorSpaceICCProfile::ToXyz(TSkColorSpaceXyz& ADest) {
    plix_colorspace_xyz xyz{};
    if (!API::plix_colorspaceiccprofile_to_xyz(Handle(), &xyz)) return false;
    ADest = FromNative(xyz);
    return true;
}

void TSkColorSpaceICCProfile::__DestroyHandle(NativeUInt AHandle) { API::plix_colorspaceiccprofile_destroy(AHandle); }

}  // namespace Skia
