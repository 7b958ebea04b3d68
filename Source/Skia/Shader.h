// Shaders (reference-counted): the per-pixel colour source of a paint. Solid colours,
// gradients, noise, images, pictures, blends of two shaders; runtime effects make them too.
//
// Gradient colour arrays must not be empty; positions are optional (empty: evenly spaced) and,
// when given, one per colour.
#pragma once

#include <span>

#include "Skia/ColorFilter.h"
#include "Skia/ColorSpace.h"
#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "Skia/Sampling.h"
#include "ui/Types.h"

namespace Skia {

class ISkImage;
class ISkPicture;

class ISkShader : public virtual ISkReferenceCounted {
public:
    virtual Ref<ISkShader> MakeWithColorFilter(const Ref<ISkColorFilter>& AColorFilter) = 0;
    virtual Ref<ISkShader> MakeWithLocalMatrix(const Ui::TMatrix& AMatrix) = 0;
};

class TSkShader : public TSkReferenceCounted, public virtual ISkShader {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
    using TAlphaColor = Ui::TAlphaColor;
    using TAlphaColorF = Ui::TAlphaColorF;
    using TMatrix = Ui::TMatrix;
    using TPointF = Ui::TPointF;
    using Colors = std::span<const TAlphaColor>;
    using ColorsF = std::span<const TAlphaColorF>;
    using Positions = std::span<const float>;
    static constexpr TSkTileMode Clamp = TSkTileMode::Clamp;

    static Ref<ISkShader> MakeBlend(TSkBlendMode AMode, const Ref<ISkShader>& ADest, const Ref<ISkShader>& ASrc);
    static Ref<ISkShader> MakeColor(TAlphaColor AColor);
    static Ref<ISkShader> MakeColor(const TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace = nullptr);

    // ---- linear gradients ----
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, TAlphaColor AColor1,
                                             TAlphaColor AColor2, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, TAlphaColor AColor1,
                                             TAlphaColor AColor2, const TMatrix& ALocalMatrix,
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, Colors AColors,
                                             Positions APositions = {}, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, Colors AColors,
                                             const TMatrix& ALocalMatrix, Positions APositions = {},
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, const TAlphaColorF& AColor1,
                                             const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, const TAlphaColorF& AColor1,
                                             const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                             const TMatrix& ALocalMatrix, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, Positions APositions = {},
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, const TMatrix& ALocalMatrix,
                                             Positions APositions = {}, TSkTileMode ATileMode = Clamp);

    // ---- radial gradients ----
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, TAlphaColor ACenterColor,
                                             TAlphaColor AEdgeColor, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, TAlphaColor ACenterColor,
                                             TAlphaColor AEdgeColor, const TMatrix& ALocalMatrix,
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, Colors AColors,
                                             Positions APositions = {}, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, Colors AColors,
                                             const TMatrix& ALocalMatrix, Positions APositions = {},
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, const TAlphaColorF& ACenterColor,
                                             const TAlphaColorF& AEdgeColor, const Ref<ISkColorSpace>& AColorSpace,
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, const TAlphaColorF& ACenterColor,
                                             const TAlphaColorF& AEdgeColor, const Ref<ISkColorSpace>& AColorSpace,
                                             const TMatrix& ALocalMatrix, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, Positions APositions = {},
                                             TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientRadial(const TPointF& ACenter, float ARadius, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, const TMatrix& ALocalMatrix,
                                             Positions APositions = {}, TSkTileMode ATileMode = Clamp);

    // ---- sweep gradients; angles in degrees ----
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, TAlphaColor AColor1, TAlphaColor AColor2,
                                            TSkTileMode ATileMode = Clamp, float AStartAngle = 0,
                                            float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, TAlphaColor AColor1, TAlphaColor AColor2,
                                            const TMatrix& ALocalMatrix, TSkTileMode ATileMode = Clamp,
                                            float AStartAngle = 0, float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, Colors AColors, Positions APositions = {},
                                            TSkTileMode ATileMode = Clamp, float AStartAngle = 0,
                                            float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, Colors AColors, const TMatrix& ALocalMatrix,
                                            Positions APositions = {}, TSkTileMode ATileMode = Clamp,
                                            float AStartAngle = 0, float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, const TAlphaColorF& AColor1,
                                            const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                            TSkTileMode ATileMode = Clamp, float AStartAngle = 0,
                                            float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, const TAlphaColorF& AColor1,
                                            const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                            const TMatrix& ALocalMatrix, TSkTileMode ATileMode = Clamp,
                                            float AStartAngle = 0, float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, ColorsF AColors,
                                            const Ref<ISkColorSpace>& AColorSpace, Positions APositions = {},
                                            TSkTileMode ATileMode = Clamp, float AStartAngle = 0,
                                            float AEndAngle = 360);
    static Ref<ISkShader> MakeGradientSweep(const TPointF& ACenter, ColorsF AColors,
                                            const Ref<ISkColorSpace>& AColorSpace, const TMatrix& ALocalMatrix,
                                            Positions APositions = {}, TSkTileMode ATileMode = Clamp,
                                            float AStartAngle = 0, float AEndAngle = 360);

    // ---- two-point conical gradients ----
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, TAlphaColor AColor1, TAlphaColor AColor2,
                                                      TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, TAlphaColor AColor1, TAlphaColor AColor2,
                                                      const TMatrix& ALocalMatrix, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, Colors AColors, Positions APositions = {},
                                                      TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, Colors AColors, const TMatrix& ALocalMatrix,
                                                      Positions APositions = {}, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, const TAlphaColorF& AColor1,
                                                      const TAlphaColorF& AColor2,
                                                      const Ref<ISkColorSpace>& AColorSpace,
                                                      TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, const TAlphaColorF& AColor1,
                                                      const TAlphaColorF& AColor2,
                                                      const Ref<ISkColorSpace>& AColorSpace,
                                                      const TMatrix& ALocalMatrix, TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, ColorsF AColors,
                                                      const Ref<ISkColorSpace>& AColorSpace, Positions APositions = {},
                                                      TSkTileMode ATileMode = Clamp);
    static Ref<ISkShader> MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, ColorsF AColors,
                                                      const Ref<ISkColorSpace>& AColorSpace,
                                                      const TMatrix& ALocalMatrix, Positions APositions = {},
                                                      TSkTileMode ATileMode = Clamp);

    // ---- noise ----
    static Ref<ISkShader> MakePerlinNoiseFractalNoise(float ABaseFrequencyX, float ABaseFrequencyY,
                                                      int32_t ANumOctaves, float ASeed);
    static Ref<ISkShader> MakePerlinNoiseFractalNoise(float ABaseFrequencyX, float ABaseFrequencyY,
                                                      int32_t ANumOctaves, float ASeed, const Ui::TSize& ATileSize);
    static Ref<ISkShader> MakePerlinNoiseTurbulence(float ABaseFrequencyX, float ABaseFrequencyY, int32_t ANumOctaves,
                                                    float ASeed);
    static Ref<ISkShader> MakePerlinNoiseTurbulence(float ABaseFrequencyX, float ABaseFrequencyY, int32_t ANumOctaves,
                                                    float ASeed, const Ui::TSize& ATileSize);

    // ---- images and pictures: forwarded to the image's or picture's MakeShader ----
    static Ref<ISkShader> MakeImage(const Ref<ISkImage>& AImage, TSkTileMode ATileModeX = Clamp,
                                    TSkTileMode ATileModeY = Clamp);
    static Ref<ISkShader> MakeImage(const Ref<ISkImage>& AImage, const TMatrix& ALocalMatrix,
                                    TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp);
    static Ref<ISkShader> MakeImage(const Ref<ISkImage>& AImage, const TSkSamplingOptions& ASampling,
                                    TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp);
    static Ref<ISkShader> MakeImage(const Ref<ISkImage>& AImage, const TMatrix& ALocalMatrix,
                                    const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX = Clamp,
                                    TSkTileMode ATileModeY = Clamp);
    static Ref<ISkShader> MakePicture(const Ref<ISkPicture>& APicture, TSkTileMode ATileModeX = Clamp,
                                      TSkTileMode ATileModeY = Clamp, TSkFilterMode AFilterMode = TSkFilterMode::Nearest);
    static Ref<ISkShader> MakePicture(const Ref<ISkPicture>& APicture, const Ui::TRectF& ATileRect,
                                      TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest);
    static Ref<ISkShader> MakePicture(const Ref<ISkPicture>& APicture, const TMatrix& ALocalMatrix,
                                      TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest);
    static Ref<ISkShader> MakePicture(const Ref<ISkPicture>& APicture, const Ui::TRectF& ATileRect,
                                      const TMatrix& ALocalMatrix, TSkTileMode ATileModeX = Clamp,
                                      TSkTileMode ATileModeY = Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest);

    Ref<ISkShader> MakeWithColorFilter(const Ref<ISkColorFilter>& AColorFilter) override;
    Ref<ISkShader> MakeWithLocalMatrix(const TMatrix& AMatrix) override;
};

}  // namespace Skia
