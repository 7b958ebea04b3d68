// Canvases: a drawing target's interface. A stack of saved states and layers, a current matrix
// and clip, and the draw operations. A canvas comes from its owner (a surface, a picture
// recorder, the framework canvas) and is never made by the layer's callers.
//
// Every operation makes one native call: the canvas handle first, then the arguments in their
// declared order; records by pointer, numbers and enumerations by value, interfaces as handles
// (0 for an absent optional one). Required arguments are checked first, so a failed check leaves
// the canvas (matrix, clip, save stack) unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Skia/Enums.h"
#include "Skia/Font.h"
#include "Skia/Image.h"
#include "Skia/ImageFilter.h"
#include "Skia/ImageInfo.h"
#include "Skia/Lattice.h"
#include "Skia/Object.h"
#include "Skia/Paint.h"
#include "Skia/Path.h"
#include "Skia/Picture.h"
#include "Skia/Region.h"
#include "Skia/RotationScaleMatrix.h"
#include "Skia/RoundRect.h"
#include "Skia/Sampling.h"
#include "Skia/Shader.h"
#include "Skia/SurfaceProperties.h"
#include "Skia/TextBlob.h"
#include "Skia/Vertices.h"
#include "ui/Types.h"

namespace Skia {

class ISkSurface;

// A Coons patch: 12 cubic control points clockwise from the top left corner, a colour and a
// texture coordinate per corner.
using TSkPatchCubics = std::array<Ui::TPointF, 12>;
using TSkPatchColors = std::array<Ui::TAlphaColor, 4>;
using TSkPatchTexCoords = std::array<Ui::TPointF, 4>;

class ISkCanvas : public virtual ISkObject {
public:
    using TAlphaColor = Ui::TAlphaColor;
    using TAlphaColorF = Ui::TAlphaColorF;
    using TMatrix = Ui::TMatrix;
    using TMatrix3D = Ui::TMatrix3D;
    using TPointF = Ui::TPointF;
    using TRect = Ui::TRect;
    using TRectF = Ui::TRectF;
    static constexpr TSkClipOp Intersect = TSkClipOp::Intersect;
    static constexpr TSkSrcRectConstraint Fast = TSkSrcRectConstraint::Fast;

    virtual void Clear(TAlphaColor AColor) = 0;
    virtual void Clear(const TAlphaColorF& AColor) = 0;
    virtual void Discard() = 0;
    virtual void ClipPath(const Ref<ISkPath>& APath, TSkClipOp AOp = Intersect, bool AAntiAlias = false) = 0;
    virtual void ClipRect(const TRectF& ARect, TSkClipOp AOp = Intersect, bool AAntiAlias = false) = 0;
    virtual void ClipRegion(const Ref<ISkRegion>& ARegion, TSkClipOp AOp = Intersect) = 0;
    virtual void ClipRoundRect(const Ref<ISkRoundRect>& ARoundRect, TSkClipOp AOp = Intersect,
                               bool AAntiAlias = false) = 0;
    virtual void ClipShader(const Ref<ISkShader>& AShader, TSkClipOp AOp = Intersect) = 0;
    virtual void Concat(const TMatrix& AMatrix) = 0;
    virtual void Concat(const TMatrix3D& AMatrix) = 0;
    // Attaches a key (and a value of ASize bytes) to an area, for back ends that keep them.
    virtual void DrawAnnotation(const TRectF& ARect, const std::string& AKey) = 0;
    virtual void DrawAnnotation(const TRectF& ARect, const std::string& AKey, const void* AValue, size_t ASize) = 0;
    // Angles in degrees.
    virtual void DrawArc(const TRectF& AOval, float AStartAngle, float ASweepAngle, bool AUseCenter,
                         const Ref<ISkPaint>& APaint) = 0;
    // Sprites of AAtlas placed by the transforms (as many sprites as transforms), tinted by
    // AColors when given (as many as sprites).
    virtual void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                           std::span<const TRectF> ASprites, TSkBlendMode ABlendMode,
                           std::span<const TAlphaColor> AColors = {}, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                           std::span<const TRectF> ASprites, TSkBlendMode ABlendMode,
                           const TSkSamplingOptions& ASampling, std::span<const TAlphaColor> AColors = {},
                           const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                           std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TRectF& ACullRect,
                           std::span<const TAlphaColor> AColors = {}, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                           std::span<const TRectF> ASprites, TSkBlendMode ABlendMode,
                           const TSkSamplingOptions& ASampling, const TRectF& ACullRect,
                           std::span<const TAlphaColor> AColors = {}, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawCircle(const TPointF& ACenter, float ARadius, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawCircle(float ACenterX, float ACenterY, float ARadius, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawColor(TAlphaColor AColor, TSkBlendMode ABlendMode = TSkBlendMode::SrcOver) = 0;
    virtual void DrawColor(const TAlphaColorF& AColor, TSkBlendMode ABlendMode = TSkBlendMode::SrcOver) = 0;
    // One position (or transform) per glyph.
    virtual void DrawGlyphs(std::span<const uint16_t> AGlyphs, std::span<const TPointF> APositions,
                            const TPointF& AOrigin, const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawGlyphs(std::span<const uint16_t> AGlyphs, std::span<const TSkRotationScaleMatrix> AMatrices,
                            const TPointF& AOrigin, const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawImage(const Ref<ISkImage>& AImage, float AX, float AY, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawImage(const Ref<ISkImage>& AImage, float AX, float AY, const TSkSamplingOptions& ASampling,
                           const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawImageLattice(const Ref<ISkImage>& AImage, const TSkLattice& ALattice, const TRectF& ADest,
                                  TSkFilterMode AFilterMode = TSkFilterMode::Nearest,
                                  const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawImageNine(const Ref<ISkImage>& AImage, const TRect& ACenter, const TRectF& ADest,
                               TSkFilterMode AFilterMode = TSkFilterMode::Nearest,
                               const Ref<ISkPaint>& APaint = nullptr) = 0;
    // Without a source rectangle: the whole image.
    virtual void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ADest, const Ref<ISkPaint>& APaint = nullptr,
                               TSkSrcRectConstraint AConstraint = Fast) = 0;
    virtual void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ADest, const TSkSamplingOptions& ASampling,
                               const Ref<ISkPaint>& APaint = nullptr, TSkSrcRectConstraint AConstraint = Fast) = 0;
    virtual void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ASrc, const TRectF& ADest,
                               const Ref<ISkPaint>& APaint = nullptr, TSkSrcRectConstraint AConstraint = Fast) = 0;
    virtual void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ASrc, const TRectF& ADest,
                               const TSkSamplingOptions& ASampling, const Ref<ISkPaint>& APaint = nullptr,
                               TSkSrcRectConstraint AConstraint = Fast) = 0;
    virtual void DrawLine(const TPointF& APoint1, const TPointF& APoint2, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawLine(float AX1, float AY1, float AX2, float AY2, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawOval(const TRectF& AOval, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawPaint(const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawPatch(const TSkPatchCubics& ACubics, const TSkPatchColors& AColors,
                           const TSkPatchTexCoords& ATexCoords, TSkBlendMode ABlendMode,
                           const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawPath(const Ref<ISkPath>& APath, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawPicture(const Ref<ISkPicture>& APicture, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawPicture(const Ref<ISkPicture>& APicture, const TMatrix& AMatrix,
                             const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void DrawPoint(const TPointF& APoint, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawPoint(float AX, float AY, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawPoints(TSkDrawPointsMode AMode, std::span<const TPointF> APoints,
                            const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawRect(const TRectF& ARect, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawRegion(const Ref<ISkRegion>& ARegion, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawRoundRect(const Ref<ISkRoundRect>& ARoundRect, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawRoundRect(const TRectF& ARect, float ARadiusX, float ARadiusY, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawRoundRectDifference(const Ref<ISkRoundRect>& AOuter, const Ref<ISkRoundRect>& AInner,
                                         const Ref<ISkPaint>& APaint) = 0;
    // AText is UTF-8; it crosses as UTF-16.
    virtual void DrawSimpleText(const std::string& AText, float AX, float AY, const Ref<ISkFont>& AFont,
                                const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawSimpleTextGlyphs(std::span<const uint16_t> AGlyphs, float AX, float AY,
                                      const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawTextBlob(const Ref<ISkTextBlob>& ATextBlob, float AX, float AY, const Ref<ISkPaint>& APaint) = 0;
    virtual void DrawVertices(const Ref<ISkVertices>& AVertices, TSkBlendMode ABlendMode,
                              const Ref<ISkPaint>& APaint) = 0;
    virtual TSkSurfaceProperties GetBaseProperties() = 0;
    virtual TRect GetDeviceClipBounds() = 0;
    virtual TRectF GetLocalClipBounds() = 0;
    virtual TMatrix3D GetLocalToDevice() = 0;
    virtual TMatrix GetLocalToDeviceAs3x3() = 0;
    virtual int32_t GetSaveCount() = 0;
    virtual TSkSurfaceProperties GetTopProperties() = 0;
    // A surface like this canvas's target; nil when it cannot be made.
    virtual Ref<ISkSurface> MakeSurface(const TSkImageInfo& AImageInfo) = 0;
    virtual Ref<ISkSurface> MakeSurface(const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties) = 0;
    virtual bool QuickReject(const TRectF& ARect) = 0;
    virtual bool QuickReject(const Ref<ISkPath>& APath) = 0;
    virtual void ResetMatrix() = 0;
    virtual void Restore() = 0;
    virtual void RestoreToCount(int32_t ASaveCount) = 0;
    virtual void Rotate(float ADegrees) = 0;
    virtual void Rotate(float ADegrees, float APX, float APY) = 0;
    virtual void RotateRadians(float ARadians) = 0;
    virtual int32_t Save() = 0;
    virtual int32_t SaveLayer(const Ref<ISkPaint>& APaint = nullptr, const Ref<ISkImageFilter>& ABackdrop = nullptr,
                              TSkSaveLayerFlags AFlags = {}) = 0;
    virtual int32_t SaveLayer(const TRectF& ABounds, const Ref<ISkPaint>& APaint = nullptr,
                              const Ref<ISkImageFilter>& ABackdrop = nullptr, TSkSaveLayerFlags AFlags = {}) = 0;
    virtual int32_t SaveLayerAlpha(uint8_t AAlpha) = 0;
    virtual int32_t SaveLayerAlpha(const TRectF& ABounds, uint8_t AAlpha) = 0;
    virtual void Scale(float AScaleX, float AScaleY) = 0;
    virtual void SetMatrix(const TMatrix& AMatrix) = 0;
    virtual void SetMatrix(const TMatrix3D& AMatrix) = 0;
    virtual void Skew(float ASkewX, float ASkewY) = 0;
    virtual void Translate(float ADeltaX, float ADeltaY) = 0;
};

class TSkCanvas : public TSkObject, public virtual ISkCanvas {
public:
    using TSkObject::TSkObject;

    void Clear(TAlphaColor AColor) override;
    void Clear(const TAlphaColorF& AColor) override;
    void Discard() override;
    void ClipPath(const Ref<ISkPath>& APath, TSkClipOp AOp, bool AAntiAlias) override;
    void ClipRect(const TRectF& ARect, TSkClipOp AOp, bool AAntiAlias) override;
    void ClipRegion(const Ref<ISkRegion>& ARegion, TSkClipOp AOp) override;
    void ClipRoundRect(const Ref<ISkRoundRect>& ARoundRect, TSkClipOp AOp, bool AAntiAlias) override;
    void ClipShader(const Ref<ISkShader>& AShader, TSkClipOp AOp) override;
    void Concat(const TMatrix& AMatrix) override;
    void Concat(const TMatrix3D& AMatrix) override;
    void DrawAnnotation(const TRectF& ARect, const std::string& AKey) override;
    void DrawAnnotation(const TRectF& ARect, const std::string& AKey, const void* AValue, size_t ASize) override;
    void DrawArc(const TRectF& AOval, float AStartAngle, float ASweepAngle, bool AUseCenter,
                 const Ref<ISkPaint>& APaint) override;
    void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                   std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, std::span<const TAlphaColor> AColors,
                   const Ref<ISkPaint>& APaint) override;
    void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                   std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TSkSamplingOptions& ASampling,
                   std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint) override;
    void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                   std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TRectF& ACullRect,
                   std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint) override;
    void DrawAtlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
                   std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TSkSamplingOptions& ASampling,
                   const TRectF& ACullRect, std::span<const TAlphaColor> AColors,
                   const Ref<ISkPaint>& APaint) override;
    void DrawCircle(const TPointF& ACenter, float ARadius, const Ref<ISkPaint>& APaint) override;
    void DrawCircle(float ACenterX, float ACenterY, float ARadius, const Ref<ISkPaint>& APaint) override;
    void DrawColor(TAlphaColor AColor, TSkBlendMode ABlendMode) override;
    void DrawColor(const TAlphaColorF& AColor, TSkBlendMode ABlendMode) override;
    void DrawGlyphs(std::span<const uint16_t> AGlyphs, std::span<const TPointF> APositions, const TPointF& AOrigin,
                    const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) override;
    void DrawGlyphs(std::span<const uint16_t> AGlyphs, std::span<const TSkRotationScaleMatrix> AMatrices,
                    const TPointF& AOrigin, const Ref<ISkFont>& AFont, const Ref<ISkPaint>& APaint) override;
    void DrawImage(const Ref<ISkImage>& AImage, float AX, float AY, const Ref<ISkPaint>& APaint) override;
    void DrawImage(const Ref<ISkImage>& AImage, float AX, float AY, const TSkSamplingOptions& ASampling,
                   const Ref<ISkPaint>& APaint) override;
    void DrawImageLattice(const Ref<ISkImage>& AImage, const TSkLattice& ALattice, const TRectF& ADest,
                          TSkFilterMode AFilterMode, const Ref<ISkPaint>& APaint) override;
    void DrawImageNine(const Ref<ISkImage>& AImage, const TRect& ACenter, const TRectF& ADest,
                       TSkFilterMode AFilterMode, const Ref<ISkPaint>& APaint) override;
    void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ADest, const Ref<ISkPaint>& APaint,
                       TSkSrcRectConstraint AConstraint) override;
    void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ADest, const TSkSamplingOptions& ASampling,
                       const Ref<ISkPaint>& APaint, TSkSrcRectConstraint AConstraint) override;
    void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ASrc, const TRectF& ADest,
                       const Ref<ISkPaint>& APaint, TSkSrcRectConstraint AConstraint) override;
    void DrawImageRect(const Ref<ISkImage>& AImage, const TRectF& ASrc, const TRectF& ADest,
                       const TSkSamplingOptions& ASampling, const Ref<ISkPaint>& APaint,
                       TSkSrcRectConstraint AConstraint) override;
    void DrawLine(const TPointF& APoint1, const TPointF& APoint2, const Ref<ISkPaint>& APaint) override;
    void DrawLine(float AX1, float AY1, float AX2, float AY2, const Ref<ISkPaint>& APaint) override;
    void DrawOval(const TRectF& AOval, const Ref<ISkPaint>& APaint) override;
    void DrawPaint(const Ref<ISkPaint>& APaint) override;
    void DrawPatch(const TSkPatchCubics& ACubics, const TSkPatchColors& AColors, const TSkPatchTexCoords& ATexCoords,
                   TSkBlendMode ABlendMode, const Ref<ISkPaint>& APaint) override;
    void DrawPath(const Ref<ISkPath>& APath, const Ref<ISkPaint>& APaint) override;
    void DrawPicture(const Ref<ISkPicture>& APicture, const Ref<ISkPaint>& APaint) override;
    void DrawPicture(const Ref<ISkPicture>& APicture, const TMatrix& AMatrix, const Ref<ISkPaint>& APaint) override;
    void DrawPoint(const TPointF& APoint, const Ref<ISkPaint>& APaint) override;
    void DrawPoint(float AX, float AY, const Ref<ISkPaint>& APaint) override;
    void DrawPoints(TSkDrawPointsMode AMode, std::span<const TPointF> APoints, const Ref<ISkPaint>& APaint) override;
    void DrawRect(const TRectF& ARect, const Ref<ISkPaint>& APaint) override;
    void DrawRegion(const Ref<ISkRegion>& ARegion, const Ref<ISkPaint>& APaint) override;
    void DrawRoundRect(const Ref<ISkRoundRect>& ARoundRect, const Ref<ISkPaint>& APaint) override;
    void DrawRoundRect(const TRectF& ARect, float ARadiusX, float ARadiusY, const Ref<ISkPaint>& APaint) override;
    void DrawRoundRectDifference(const Ref<ISkRoundRect>& AOuter, const Ref<ISkRoundRect>& AInner,
                                 const Ref<ISkPaint>& APaint) override;
    void DrawSimpleText(const std::string& AText, float AX, float AY, const Ref<ISkFont>& AFont,
                        const Ref<ISkPaint>& APaint) override;
    void DrawSimpleTextGlyphs(std::span<const uint16_t> AGlyphs, float AX, float AY, const Ref<ISkFont>& AFont,
                              const Ref<ISkPaint>& APaint) override;
    void DrawTextBlob(const Ref<ISkTextBlob>& ATextBlob, float AX, float AY, const Ref<ISkPaint>& APaint) override;
    void DrawVertices(const Ref<ISkVertices>& AVertices, TSkBlendMode ABlendMode, const Ref<ISkPaint>& APaint) override;
    TSkSurfaceProperties GetBaseProperties() override;
    TRect GetDeviceClipBounds() override;
    TRectF GetLocalClipBounds() override;
    TMatrix3D GetLocalToDevice() override;
    TMatrix GetLocalToDeviceAs3x3() override;
    int32_t GetSaveCount() override;
    TSkSurfaceProperties GetTopProperties() override;
    Ref<ISkSurface> MakeSurface(const TSkImageInfo& AImageInfo) override;
    Ref<ISkSurface> MakeSurface(const TSkImageInfo& AImageInfo, const TSkSurfaceProperties& AProperties) override;
    bool QuickReject(const TRectF& ARect) override;
    bool QuickReject(const Ref<ISkPath>& APath) override;
    void ResetMatrix() override;
    void Restore() override;
    void RestoreToCount(int32_t ASaveCount) override;
    void Rotate(float ADegrees) override;
    void Rotate(float ADegrees, float APX, float APY) override;
    void RotateRadians(float ARadians) override;
    int32_t Save() override;
    int32_t SaveLayer(const Ref<ISkPaint>& APaint, const Ref<ISkImageFilter>& ABackdrop,
                      TSkSaveLayerFlags AFlags) override;
    int32_t SaveLayer(const TRectF& ABounds, const Ref<ISkPaint>& APaint, const Ref<ISkImageFilter>& ABackdrop,
                      TSkSaveLayerFlags AFlags) override;
    int32_t SaveLayerAlpha(uint8_t AAlpha) override;
    int32_t SaveLayerAlpha(const TRectF& ABounds, uint8_t AAlpha) override;
    void Scale(float AScaleX, float AScaleY) override;
    void SetMatrix(const TMatrix& AMatrix) override;
    void SetMatrix(const TMatrix3D& AMatrix) override;
    void Skew(float ASkewX, float ASkewY) override;
    void Translate(float ADeltaX, float ADeltaY) override;

protected:
    // Only for canvases the caller owns; those of surfaces and recorders are wrapped not owning.
    void __DestroyHandle(NativeUInt AHandle) override;

private:
    void Atlas(const Ref<ISkImage>& AAtlas, std::span<const TSkRotationScaleMatrix> ATansforms,
               std::span<const TRectF> ASprites, TSkBlendMode ABlendMode, const TSkSamplingOptions& ASampling,
               const TRectF* ACullRect, std::span<const TAlphaColor> AColors, const Ref<ISkPaint>& APaint);
    int32_t Layer(const TRectF* ABounds, const Ref<ISkPaint>& APaint, const Ref<ISkImageFilter>& ABackdrop,
                  TSkSaveLayerFlags AFlags);
};

}  // namespace Skia
