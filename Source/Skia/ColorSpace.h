// Colour spaces (counted by their own native ref / unref pair), their ICC profiles, and the
// records that describe a space: transfer function, gamut matrix to XYZ (D50), primaries.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Skia/Object.h"

namespace Skia {

// y = C x + F for x < D, y = (A x + B)^G + E otherwise.
struct TSkColorSpaceTransferFunction {
    float G = 0, A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;

    // The inverse function; False when there is none.
    bool Invert(TSkColorSpaceTransferFunction& AResult) const;
    float Transform(float AX) const;
};

// A gamut: the matrix from linear RGB to XYZ (D50), row by row.
struct TSkColorSpaceXyz {
    float M11 = 1, M12 = 0, M13 = 0;
    float M21 = 0, M22 = 1, M23 = 0;
    float M31 = 0, M32 = 0, M33 = 1;
};

// Chromaticities of the red, green and blue primaries and of the white point.
struct TSkColorSpacePrimaries {
    float RX = 0, RY = 0, GX = 0, GY = 0, BX = 0, BY = 0, WX = 0, WY = 0;

    // The gamut these primaries span; False when they span none.
    bool ToXyz(TSkColorSpaceXyz& AXyz) const;
};

class ISkColorSpaceICCProfile : public virtual ISkObject {
public:
    // A copy of the profile's bytes.
    virtual std::vector<uint8_t> GetBuffer() = 0;
    virtual bool ToXyz(TSkColorSpaceXyz& ADest) = 0;
};

class ISkColorSpace : public virtual ISkNonVirtualReferenceCounted {
public:
    virtual bool GammaCloseToSRGB() = 0;
    virtual bool GammaIsLinear() = 0;
    // nil is never equal.
    virtual bool IsEqual(const Ref<ISkColorSpace>& AColorSpace) = 0;
    virtual bool IsNumericalTransferFunction(TSkColorSpaceTransferFunction& ATransferFunction) = 0;
    virtual bool IsSRGB() = 0;
    virtual Ref<ISkColorSpace> MakeLinearGamma() = 0;
    virtual Ref<ISkColorSpace> MakeSRGBGamma() = 0;
    virtual Ref<ISkColorSpaceICCProfile> ToProfile() = 0;
    virtual bool ToXyz(TSkColorSpaceXyz& ADest) = 0;
};

class TSkColorSpace : public TSkNonVirtualReferenceCounted, public virtual ISkColorSpace {
public:
    using TSkNonVirtualReferenceCounted::TSkNonVirtualReferenceCounted;

    // nil when the profile describes no usable RGB space.
    static Ref<ISkColorSpace> Make(const Ref<ISkColorSpaceICCProfile>& AProfile);
    static Ref<ISkColorSpace> MakeRGB(const TSkColorSpaceTransferFunction& ATransferFunction,
                                      const TSkColorSpaceXyz& AToXyzD50);
    static Ref<ISkColorSpace> MakeSRGB();
    static Ref<ISkColorSpace> MakeSRGBLinear();

    bool GammaCloseToSRGB() override;
    bool GammaIsLinear() override;
    bool IsEqual(const Ref<ISkColorSpace>& AColorSpace) override;
    bool IsNumericalTransferFunction(TSkColorSpaceTransferFunction& ATransferFunction) override;
    bool IsSRGB() override;
    Ref<ISkColorSpace> MakeLinearGamma() override;
    Ref<ISkColorSpace> MakeSRGBGamma() override;
    Ref<ISkColorSpaceICCProfile> ToProfile() override;
    bool ToXyz(TSkColorSpaceXyz& ADest) override;

protected:
    void __RefHandle(NativeUInt AHandle) override;
    void __UnrefHandle(NativeUInt AHandle) override;
};

class TSkColorSpaceICCProfile : public TSkObject, public virtual ISkColorSpaceICCProfile {
public:
    using TSkObject::TSkObject;

    // Parses an ICC profile; nil when the bytes are not one.
    static Ref<ISkColorSpaceICCProfile> MakeFromBytes(std::span<const uint8_t> ABytes);

    std::vector<uint8_t> GetBuffer() override;
    bool ToXyz(TSkColorSpaceXyz& ADest) override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
