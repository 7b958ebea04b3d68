#include "core/IccProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plix {

namespace {

// A Little CMS context of our own whose errors stay quiet: a damaged profile is an ordinary
// failure here, reported by a null result.
struct Context {
    cmsContext ctx = cmsCreateContext(nullptr, nullptr);
    Context() {
        if (ctx) cmsSetLogErrorHandlerTHR(ctx, [](cmsContext, cmsUInt32Number, const char*) {});
    }
    ~Context() {
        if (ctx) cmsDeleteContext(ctx);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};

struct Profile {
    cmsHPROFILE h;
    ~Profile() {
        if (h) cmsCloseProfile(h);
    }
};

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool readGamut(cmsHPROFILE h, Matrix3* out) {
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    Matrix3 m;
    for (int col = 0; col < 3; ++col) {
        if (!cmsIsTag(h, tags[col])) return false;
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(h, tags[col]));
        if (!xyz) return false;
        m.m[size_t(col)] = float(xyz->X), m.m[size_t(3 + col)] = float(xyz->Y), m.m[size_t(6 + col)] = float(xyz->Z);
    }
    Matrix3 inv;
    if (!m.invert(&inv)) return false;
    *out = m;
    return true;
}

// Little CMS numbers its parametric curves 1..5 for the ICC types 0..4.
bool parametricFn(int type, const double* p, TransferFn* out) {
    const auto f = [](double v) { return float(v); };
    TransferFn fn;
    switch (type) {
        case 1: fn = {f(p[0]), 1, 0, 0, 0, 0, 0}; break;
        case 2:
            if (p[1] == 0) return false;
            fn = {f(p[0]), f(p[1]), f(p[2]), 0, std::max(0.0f, f(-p[2] / p[1])), 0, 0};
            break;
        case 3:
            if (p[1] == 0) return false;
            fn = {f(p[0]), f(p[1]), f(p[2]), 0, std::max(0.0f, f(-p[2] / p[1])), f(p[3]), f(p[3])};
            break;
        case 4: fn = {f(p[0]), f(p[1]), f(p[2]), f(p[3]), f(p[4]), 0, 0}; break;
        case 5: fn = {f(p[0]), f(p[1]), f(p[2]), f(p[3]), f(p[4]), f(p[5]), f(p[6])}; break;
        default: return false;
    }
    if (!fn.isValid()) return false;
    *out = fn;
    return true;
}

constexpr int kCurveSamples = 256;
// One 8-bit level: the most a fitted curve may be off anywhere.
constexpr float kFitError = 1.0f / 255;

bool curveFn(const cmsToneCurve* curve, TransferFn* out) {
    const int type = cmsGetToneCurveParametricType(curve);
    const double* params = type ? cmsGetToneCurveParams(curve) : nullptr;
    if (params && parametricFn(type, params, out)) return true;
    float y[kCurveSamples];
    for (int i = 0; i < kCurveSamples; ++i) {
        y[i] = cmsEvalToneCurveFloat(curve, float(i) / (kCurveSamples - 1));
        if (!std::isfinite(y[i])) return false;
    }
    return fitTransferFn(y, kCurveSamples, kFitError, out);
}

bool sameCurve(const TransferFn& a, const TransferFn& b) {
    for (int i = 0; i <= 16; ++i)
        if (std::fabs(a.eval(i / 16.0f) - b.eval(i / 16.0f)) > 1.0f / 512) return false;
    return true;
}

// Whether fn follows the curve within one 8-bit level.
bool follows(const TransferFn& fn, const cmsToneCurve* curve) {
    for (int i = 0; i < kCurveSamples; ++i) {
        const float x = float(i) / (kCurveSamples - 1);
        if (!(std::fabs(fn.eval(x) - cmsEvalToneCurveFloat(curve, x)) <= kFitError)) return false;
    }
    return true;
}

bool readFn(cmsHPROFILE h, TransferFn* out) {
    const cmsTagSignature tags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    const cmsToneCurve* curves[3];
    for (int i = 0; i < 3; ++i) {
        curves[i] = cmsIsTag(h, tags[i]) ? static_cast<const cmsToneCurve*>(cmsReadTag(h, tags[i])) : nullptr;
        if (!curves[i]) return false;
    }
    // The engine has one curve for the three channels: green and blue must follow red's, and
    // are fitted on their own (a slow search for tables) only when they do not.
    TransferFn red;
    if (!curveFn(curves[0], &red)) return false;
    for (int i = 1; i < 3; ++i) {
        if (follows(red, curves[i])) continue;
        TransferFn other;
        if (!curveFn(curves[i], &other) || !sameCurve(red, other)) return false;
    }
    *out = red;
    return true;
}

// Within the precision of a profile's 16.16 fixed-point numbers (and of the adaptation to D50
// that wrote them).
constexpr float kFnSnap = 5e-4f, kGamutSnap = 5e-4f;

bool near(const TransferFn& a, const TransferFn& b) {
    const float x[7] = {a.g, a.a, a.b, a.c, a.d, a.e, a.f}, y[7] = {b.g, b.a, b.b, b.c, b.d, b.e, b.f};
    for (int i = 0; i < 7; ++i)
        if (!(std::fabs(x[i] - y[i]) <= kFnSnap)) return false;
    return true;
}

bool near(const Matrix3& a, const Matrix3& b) {
    for (size_t i = 0; i < 9; ++i)
        if (!(std::fabs(a.m[i] - b.m[i]) <= kGamutSnap)) return false;
    return true;
}

// Profiles hold their numbers as 16.16 fixed point: values beyond its range are written as its
// nearest end.
double fixedRange(float v) { return std::clamp(double(v), -32768.0, 32767.99998); }

const char* nameOf(const ColorSpace& space) {
    const TransferFn& fn = space.transferFn();
    const Matrix3& g = space.toXYZD50();
    if (g == named::kSRGBGamut) return fn == named::kSRGB ? "sRGB" : fn == named::kLinear ? "Linear sRGB" : "RGB";
    if (g == named::kDisplayP3Gamut && fn == named::kSRGB) return "Display P3";
    if (g == named::kRec2020Gamut) return "Rec. 2020";
    if (g == named::kAdobeRGBGamut) return "Adobe RGB";
    return "RGB";
}

}  // namespace

std::unique_ptr<IccProfile> IccProfile::Parse(const void* data, size_t size) {
    if (!data || size < 132 || size > kMaxBytes) return nullptr;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const uint32_t declared = be32(bytes);
    if (declared < 132 || declared > size || std::memcmp(bytes + 36, "acsp", 4) != 0) return nullptr;
    Context context;
    if (!context.ctx) return nullptr;
    const Profile profile{cmsOpenProfileFromMemTHR(context.ctx, bytes, declared)};
    if (!profile.h) return nullptr;
    auto result = std::unique_ptr<IccProfile>(new IccProfile());
    result->fBytes.assign(bytes, bytes + declared);
    if (cmsGetColorSpace(profile.h) == cmsSigRgbData && cmsGetPCS(profile.h) == cmsSigXYZData) {
        result->fHasGamut = readGamut(profile.h, &result->fToXYZ);
        result->fHasFn = result->fHasGamut && readFn(profile.h, &result->fFn);
    }
    return result;
}

bool IccProfile::toXYZD50(Matrix3* out) const {
    if (!fHasGamut) return false;
    if (out) *out = fToXYZ;
    return true;
}

sp<ColorSpace> IccProfile::makeColorSpace() const {
    if (!fHasGamut || !fHasFn) return nullptr;
    TransferFn fn = fFn;
    Matrix3 gamut = fToXYZ;
    for (const TransferFn& n : {named::kSRGB, named::k2Dot2, named::kLinear, named::kRec2020})
        if (near(fn, n)) fn = n;
    for (const Matrix3* n : {&named::kSRGBGamut, &named::kDisplayP3Gamut, &named::kAdobeRGBGamut,
                             &named::kRec2020Gamut, &named::kXYZGamut})
        if (near(gamut, *n)) gamut = *n;
    if (fn == named::kSRGB && gamut == named::kSRGBGamut) return ColorSpace::MakeSRGB();
    return ColorSpace::MakeRGB(fn, gamut);
}

std::unique_ptr<IccProfile> IccProfile::FromColorSpace(const ColorSpace& space) {
    Context context;
    if (!context.ctx) return nullptr;
    const Profile profile{cmsCreateProfilePlaceholder(context.ctx)};
    if (!profile.h) return nullptr;
    cmsHPROFILE h = profile.h;
    cmsSetProfileVersion(h, 4.3);
    cmsSetDeviceClass(h, cmsSigDisplayClass);
    cmsSetColorSpace(h, cmsSigRgbData);
    cmsSetPCS(h, cmsSigXYZData);
    cmsSetHeaderRenderingIntent(h, INTENT_PERCEPTUAL);

    bool ok = true;
    cmsMLU* description = cmsMLUalloc(context.ctx, 1);
    ok = description && cmsMLUsetASCII(description, "en", "US", nameOf(space)) &&
         cmsWriteTag(h, cmsSigProfileDescriptionTag, description);
    if (description) cmsMLUfree(description);

    ok = ok && cmsWriteTag(h, cmsSigMediaWhitePointTag, const_cast<cmsCIEXYZ*>(cmsD50_XYZ()));
    const Matrix3& m = space.toXYZD50();
    const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (size_t col = 0; col < 3 && ok; ++col) {
        cmsCIEXYZ xyz{fixedRange(m.m[col]), fixedRange(m.m[3 + col]), fixedRange(m.m[6 + col])};
        ok = cmsWriteTag(h, colorants[col], &xyz);
    }
    const TransferFn& f = space.transferFn();
    const cmsFloat64Number params[7] = {fixedRange(f.g), fixedRange(f.a), fixedRange(f.b), fixedRange(f.c),
                                        fixedRange(f.d), fixedRange(f.e), fixedRange(f.f)};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(context.ctx, 5, params);
    ok = ok && curve;
    for (cmsTagSignature trc : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
        ok = ok && cmsWriteTag(h, trc, curve);
    if (curve) cmsFreeToneCurve(curve);

    cmsUInt32Number size = 0;
    if (!ok || !cmsSaveProfileToMem(h, nullptr, &size) || size == 0) return nullptr;
    std::vector<uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(h, bytes.data(), &size)) return nullptr;
    return Parse(bytes.data(), size);
}

sp<ColorSpace> colorSpaceFromIcc(const void* data, size_t size) {
    const auto profile = IccProfile::Parse(data, size);
    return profile ? profile->makeColorSpace() : nullptr;
}

std::vector<uint8_t> iccFromColorSpace(const ColorSpace& space) {
    const auto profile = IccProfile::FromColorSpace(space);
    return profile ? profile->bytes() : std::vector<uint8_t>();
}

}  // namespace plix
