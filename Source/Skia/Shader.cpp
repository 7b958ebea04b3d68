#include "Skia/Shader.h"

#include <array>

#include "Skia/API.h"
#include "Skia/Image.h"
#include "Skia/Marshal.h"
#include "Skia/Picture.h"

namespace Skia {
namespace {

using Marshal::Ord;
using Marshal::ToNative;
using Ui::TAlphaColor;
using Ui::TAlphaColorF;
using Ui::TMatrix;
using Ui::TPointF;

Ref<ISkShader> Result(plix_handle handle) { return WrapOrNil<TSkShader>(handle); }

// Colours must be there; positions, when given, one per colour.
template <class Color>
void CheckGradient(std::span<const Color> colors, std::span<const float> positions) {
    CheckNotEmpty(colors, "AColors");
    if (!positions.empty() && positions.size() != colors.size()) RaiseParameterSizeMismatch("APositions");
}

// A local matrix crosses by pointer: null when the overload has none.
struct LocalMatrix {
    explicit LocalMatrix(const TMatrix* m) : has(m != nullptr), native(m ? ToNative(*m) : plix_matrix{}) {}
    const plix_matrix* get() const { return has ? &native : nullptr; }
    bool has;
    plix_matrix native;
};

int32_t Count(size_t n) { return static_cast<int32_t>(n); }

Ref<ISkShader> Linear(const TPointF& start, const TPointF& end, std::span<const TAlphaColor> colors,
                      std::span<const float> positions, TSkTileMode tileMode, const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const plix_point points[2] = {ToNative(start), ToNative(end)};
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_linear(points, colors.data(), Marshal::DataOrNil(positions),
                                                        Count(colors.size()), Ord(tileMode), matrix.get()));
}

Ref<ISkShader> Linear(const TPointF& start, const TPointF& end, std::span<const TAlphaColorF> colors,
                      const Ref<ISkColorSpace>& colorSpace, std::span<const float> positions, TSkTileMode tileMode,
                      const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const plix_point points[2] = {ToNative(start), ToNative(end)};
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_linear2(points, ToNative(colors), HandleOrZero(colorSpace),
                                                         Marshal::DataOrNil(positions), Count(colors.size()),
                                                         Ord(tileMode), matrix.get()));
}

Ref<ISkShader> Radial(const TPointF& center, float radius, std::span<const TAlphaColor> colors,
                      std::span<const float> positions, TSkTileMode tileMode, const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const plix_point c = ToNative(center);
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_radial(&c, radius, colors.data(), Marshal::DataOrNil(positions),
                                                        Count(colors.size()), Ord(tileMode), matrix.get()));
}

Ref<ISkShader> Radial(const TPointF& center, float radius, std::span<const TAlphaColorF> colors,
                      const Ref<ISkColorSpace>& colorSpace, std::span<const float> positions, TSkTileMode tileMode,
                      const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const plix_point c = ToNative(center);
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_radial2(&c, radius, ToNative(colors), HandleOrZero(colorSpace),
                                                         Marshal::DataOrNil(positions), Count(colors.size()),
                                                         Ord(tileMode), matrix.get()));
}

Ref<ISkShader> Sweep(const TPointF& center, std::span<const TAlphaColor> colors, std::span<const float> positions,
                     TSkTileMode tileMode, float startAngle, float endAngle, const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_sweep(center.X, center.Y, colors.data(), Marshal::DataOrNil(positions),
                                                       Count(colors.size()), Ord(tileMode), startAngle, endAngle,
                                                       matrix.get()));
}

Ref<ISkShader> Sweep(const TPointF& center, std::span<const TAlphaColorF> colors, const Ref<ISkColorSpace>& colorSpace,
                     std::span<const float> positions, TSkTileMode tileMode, float startAngle, float endAngle,
                     const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_sweep2(center.X, center.Y, ToNative(colors), HandleOrZero(colorSpace),
                                                        Marshal::DataOrNil(positions), Count(colors.size()),
                                                        Ord(tileMode), startAngle, endAngle, matrix.get()));
}

Ref<ISkShader> Conical(const TPointF& start, float startRadius, const TPointF& end, float endRadius,
                       std::span<const TAlphaColor> colors, std::span<const float> positions, TSkTileMode tileMode,
                       const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const plix_point s = ToNative(start);
    const plix_point e = ToNative(end);
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_two_point_conical(&s, startRadius, &e, endRadius, colors.data(),
                                                                   Marshal::DataOrNil(positions), Count(colors.size()),
                                                                   Ord(tileMode), matrix.get()));
}

Ref<ISkShader> Conical(const TPointF& start, float startRadius, const TPointF& end, float endRadius,
                       std::span<const TAlphaColorF> colors, const Ref<ISkColorSpace>& colorSpace,
                       std::span<const float> positions, TSkTileMode tileMode, const TMatrix* localMatrix) {
    CheckGradient(colors, positions);
    const plix_point s = ToNative(start);
    const plix_point e = ToNative(end);
    const LocalMatrix matrix(localMatrix);
    return Result(API::plix_shader_make_gradient_two_point_conical2(
        &s, startRadius, &e, endRadius, ToNative(colors), HandleOrZero(colorSpace), Marshal::DataOrNil(positions),
        Count(colors.size()), Ord(tileMode), matrix.get()));
}

}  // namespace

Ref<ISkShader> TSkShader::MakeBlend(TSkBlendMode AMode, const Ref<ISkShader>& ADest, const Ref<ISkShader>& ASrc) {
    CheckNotNil(ADest, "ADest");
    CheckNotNil(ASrc, "ASrc");
    return Result(API::plix_shader_make_blend(Ord(AMode), ADest->GetHandle(), ASrc->GetHandle()));
}

Ref<ISkShader> TSkShader::MakeColor(TAlphaColor AColor) { return Result(API::plix_shader_make_color(AColor)); }

Ref<ISkShader> TSkShader::MakeColor(const TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace) {
    const plix_color4f color = ToNative(AColor);
    return Result(API::plix_shader_make_color2(&color, HandleOrZero(AColorSpace)));
}

// ---- linear ----

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, TAlphaColor AColor1,
                                             TAlphaColor AColor2, TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Linear(AStart, AEnd, colors, {}, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, TAlphaColor AColor1,
                                             TAlphaColor AColor2, const TMatrix& ALocalMatrix, TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Linear(AStart, AEnd, colors, {}, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, Colors AColors,
                                             Positions APositions, TSkTileMode ATileMode) {
    return Linear(AStart, AEnd, AColors, APositions, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, Colors AColors,
                                             const TMatrix& ALocalMatrix, Positions APositions, TSkTileMode ATileMode) {
    return Linear(AStart, AEnd, AColors, APositions, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, const TAlphaColorF& AColor1,
                                             const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                             TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Linear(AStart, AEnd, colors, AColorSpace, {}, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, const TAlphaColorF& AColor1,
                                             const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                             const TMatrix& ALocalMatrix, TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Linear(AStart, AEnd, colors, AColorSpace, {}, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, Positions APositions,
                                             TSkTileMode ATileMode) {
    return Linear(AStart, AEnd, AColors, AColorSpace, APositions, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientLinear(const TPointF& AStart, const TPointF& AEnd, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, const TMatrix& ALocalMatrix,
                                             Positions APositions, TSkTileMode ATileMode) {
    return Linear(AStart, AEnd, AColors, AColorSpace, APositions, ATileMode, &ALocalMatrix);
}

// ---- radial ----

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, TAlphaColor ACenterColor,
                                             TAlphaColor AEdgeColor, TSkTileMode ATileMode) {
    const std::array colors{ACenterColor, AEdgeColor};
    return Radial(ACenter, ARadius, colors, {}, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, TAlphaColor ACenterColor,
                                             TAlphaColor AEdgeColor, const TMatrix& ALocalMatrix,
                                             TSkTileMode ATileMode) {
    const std::array colors{ACenterColor, AEdgeColor};
    return Radial(ACenter, ARadius, colors, {}, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, Colors AColors,
                                             Positions APositions, TSkTileMode ATileMode) {
    return Radial(ACenter, ARadius, AColors, APositions, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, Colors AColors,
                                             const TMatrix& ALocalMatrix, Positions APositions, TSkTileMode ATileMode) {
    return Radial(ACenter, ARadius, AColors, APositions, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, const TAlphaColorF& ACenterColor,
                                             const TAlphaColorF& AEdgeColor, const Ref<ISkColorSpace>& AColorSpace,
                                             TSkTileMode ATileMode) {
    const std::array colors{ACenterColor, AEdgeColor};
    return Radial(ACenter, ARadius, colors, AColorSpace, {}, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, const TAlphaColorF& ACenterColor,
                                             const TAlphaColorF& AEdgeColor, const Ref<ISkColorSpace>& AColorSpace,
                                             const TMatrix& ALocalMatrix, TSkTileMode ATileMode) {
    const std::array colors{ACenterColor, AEdgeColor};
    return Radial(ACenter, ARadius, colors, AColorSpace, {}, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, Positions APositions,
                                             TSkTileMode ATileMode) {
    return Radial(ACenter, ARadius, AColors, AColorSpace, APositions, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientRadial(const TPointF& ACenter, float ARadius, ColorsF AColors,
                                             const Ref<ISkColorSpace>& AColorSpace, const TMatrix& ALocalMatrix,
                                             Positions APositions, TSkTileMode ATileMode) {
    return Radial(ACenter, ARadius, AColors, AColorSpace, APositions, ATileMode, &ALocalMatrix);
}

// ---- sweep ----

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, TAlphaColor AColor1, TAlphaColor AColor2,
                                            TSkTileMode ATileMode, float AStartAngle, float AEndAngle) {
    const std::array colors{AColor1, AColor2};
    return Sweep(ACenter, colors, {}, ATileMode, AStartAngle, AEndAngle, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, TAlphaColor AColor1, TAlphaColor AColor2,
                                            const TMatrix& ALocalMatrix, TSkTileMode ATileMode, float AStartAngle,
                                            float AEndAngle) {
    const std::array colors{AColor1, AColor2};
    return Sweep(ACenter, colors, {}, ATileMode, AStartAngle, AEndAngle, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, Colors AColors, Positions APositions,
                                            TSkTileMode ATileMode, float AStartAngle, float AEndAngle) {
    return Sweep(ACenter, AColors, APositions, ATileMode, AStartAngle, AEndAngle, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, Colors AColors, const TMatrix& ALocalMatrix,
                                            Positions APositions, TSkTileMode ATileMode, float AStartAngle,
                                            float AEndAngle) {
    return Sweep(ACenter, AColors, APositions, ATileMode, AStartAngle, AEndAngle, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, const TAlphaColorF& AColor1,
                                            const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                            TSkTileMode ATileMode, float AStartAngle, float AEndAngle) {
    const std::array colors{AColor1, AColor2};
    return Sweep(ACenter, colors, AColorSpace, {}, ATileMode, AStartAngle, AEndAngle, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, const TAlphaColorF& AColor1,
                                            const TAlphaColorF& AColor2, const Ref<ISkColorSpace>& AColorSpace,
                                            const TMatrix& ALocalMatrix, TSkTileMode ATileMode, float AStartAngle,
                                            float AEndAngle) {
    const std::array colors{AColor1, AColor2};
    return Sweep(ACenter, colors, AColorSpace, {}, ATileMode, AStartAngle, AEndAngle, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, ColorsF AColors,
                                            const Ref<ISkColorSpace>& AColorSpace, Positions APositions,
                                            TSkTileMode ATileMode, float AStartAngle, float AEndAngle) {
    return Sweep(ACenter, AColors, AColorSpace, APositions, ATileMode, AStartAngle, AEndAngle, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientSweep(const TPointF& ACenter, ColorsF AColors,
                                            const Ref<ISkColorSpace>& AColorSpace, const TMatrix& ALocalMatrix,
                                            Positions APositions, TSkTileMode ATileMode, float AStartAngle,
                                            float AEndAngle) {
    return Sweep(ACenter, AColors, AColorSpace, APositions, ATileMode, AStartAngle, AEndAngle, &ALocalMatrix);
}

// ---- two-point conical ----

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, TAlphaColor AColor1, TAlphaColor AColor2,
                                                      TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, colors, {}, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, TAlphaColor AColor1, TAlphaColor AColor2,
                                                      const TMatrix& ALocalMatrix, TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, colors, {}, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, Colors AColors, Positions APositions,
                                                      TSkTileMode ATileMode) {
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, AColors, APositions, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, Colors AColors, const TMatrix& ALocalMatrix,
                                                      Positions APositions, TSkTileMode ATileMode) {
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, AColors, APositions, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, const TAlphaColorF& AColor1,
                                                      const TAlphaColorF& AColor2,
                                                      const Ref<ISkColorSpace>& AColorSpace, TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, colors, AColorSpace, {}, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, const TAlphaColorF& AColor1,
                                                      const TAlphaColorF& AColor2,
                                                      const Ref<ISkColorSpace>& AColorSpace,
                                                      const TMatrix& ALocalMatrix, TSkTileMode ATileMode) {
    const std::array colors{AColor1, AColor2};
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, colors, AColorSpace, {}, ATileMode, &ALocalMatrix);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, ColorsF AColors,
                                                      const Ref<ISkColorSpace>& AColorSpace, Positions APositions,
                                                      TSkTileMode ATileMode) {
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, AColors, AColorSpace, APositions, ATileMode, nullptr);
}

Ref<ISkShader> TSkShader::MakeGradientTwoPointConical(const TPointF& AStart, float AStartRadius, const TPointF& AEnd,
                                                      float AEndRadius, ColorsF AColors,
                                                      const Ref<ISkColorSpace>& AColorSpace,
                                                      const TMatrix& ALocalMatrix, Positions APositions,
                                                      TSkTileMode ATileMode) {
    return Conical(AStart, AStartRadius, AEnd, AEndRadius, AColors, AColorSpace, APositions, ATileMode, &ALocalMatrix);
}

// ---- noise ----

Ref<ISkShader> TSkShader::MakePerlinNoiseFractalNoise(float ABaseFrequencyX, float ABaseFrequencyY,
                                                      int32_t ANumOctaves, float ASeed) {
    return Result(API::plix_shader_make_perlin_noise_fractal_noise(ABaseFrequencyX, ABaseFrequencyY, ANumOctaves, ASeed,
                                                                   nullptr));
}

Ref<ISkShader> TSkShader::MakePerlinNoiseFractalNoise(float ABaseFrequencyX, float ABaseFrequencyY,
                                                      int32_t ANumOctaves, float ASeed, const Ui::TSize& ATileSize) {
    const plix_isize tileSize = ToNative(ATileSize);
    return Result(API::plix_shader_make_perlin_noise_fractal_noise(ABaseFrequencyX, ABaseFrequencyY, ANumOctaves, ASeed,
                                                                   &tileSize));
}

Ref<ISkShader> TSkShader::MakePerlinNoiseTurbulence(float ABaseFrequencyX, float ABaseFrequencyY, int32_t ANumOctaves,
                                                    float ASeed) {
    return Result(API::plix_shader_make_perlin_noise_turbulence(ABaseFrequencyX, ABaseFrequencyY, ANumOctaves, ASeed,
                                                                nullptr));
}

Ref<ISkShader> TSkShader::MakePerlinNoiseTurbulence(float ABaseFrequencyX, float ABaseFrequencyY, int32_t ANumOctaves,
                                                    float ASeed, const Ui::TSize& ATileSize) {
    const plix_isize tileSize = ToNative(ATileSize);
    return Result(API::plix_shader_make_perlin_noise_turbulence(ABaseFrequencyX, ABaseFrequencyY, ANumOctaves, ASeed,
                                                                &tileSize));
}

// ---- images and pictures ----

Ref<ISkShader> TSkShader::MakeImage(const Ref<ISkImage>& AImage, TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    CheckNotNil(AImage, "AImage");
    return AImage->MakeShader(ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkShader::MakeImage(const Ref<ISkImage>& AImage, const TMatrix& ALocalMatrix, TSkTileMode ATileModeX,
                                    TSkTileMode ATileModeY) {
    CheckNotNil(AImage, "AImage");
    return AImage->MakeShader(ALocalMatrix, ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkShader::MakeImage(const Ref<ISkImage>& AImage, const TSkSamplingOptions& ASampling,
                                    TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    CheckNotNil(AImage, "AImage");
    return AImage->MakeShader(ASampling, ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkShader::MakeImage(const Ref<ISkImage>& AImage, const TMatrix& ALocalMatrix,
                                    const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX,
                                    TSkTileMode ATileModeY) {
    CheckNotNil(AImage, "AImage");
    return AImage->MakeShader(ALocalMatrix, ASampling, ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkShader::MakePicture(const Ref<ISkPicture>& APicture, TSkTileMode ATileModeX, TSkTileMode ATileModeY,
                                      TSkFilterMode AFilterMode) {
    CheckNotNil(APicture, "APicture");
    return APicture->MakeShader(ATileModeX, ATileModeY, AFilterMode);
}

Ref<ISkShader> TSkShader::MakePicture(const Ref<ISkPicture>& APicture, const Ui::TRectF& ATileRect,
                                      TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode) {
    CheckNotNil(APicture, "APicture");
    return APicture->MakeShader(ATileRect, ATileModeX, ATileModeY, AFilterMode);
}

Ref<ISkShader> TSkShader::MakePicture(const Ref<ISkPicture>& APicture, const TMatrix& ALocalMatrix,
                                      TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode) {
    CheckNotNil(APicture, "APicture");
    return APicture->MakeShader(ALocalMatrix, ATileModeX, ATileModeY, AFilterMode);
}

Ref<ISkShader> TSkShader::MakePicture(const Ref<ISkPicture>& APicture, const Ui::TRectF& ATileRect,
                                      const TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY,
                                      TSkFilterMode AFilterMode) {
    CheckNotNil(APicture, "APicture");
    return APicture->MakeShader(ATileRect, ALocalMatrix, ATileModeX, ATileModeY, AFilterMode);
}

// ---- derivations ----

Ref<ISkShader> TSkShader::MakeWithColorFilter(const Ref<ISkColorFilter>& AColorFilter) {
    CheckNotNil(AColorFilter, "AColorFilter");
    return Result(API::plix_shader_make_with_color_filter(Handle(), AColorFilter->GetHandle()));
}

Ref<ISkShader> TSkShader::MakeWithLocalMatrix(const TMatrix& AMatrix) {
    const plix_matrix matrix = ToNative(AMatrix);
    return Result(API::plix_shader_make_with_local_matrix(Handle(), &matrix));
}

}  // namespace Skia
