// Fonts: a typeface at a size with its rendering settings, for glyph-level drawing and
// measuring. Glyph arrays cross as 16-bit ids; result arrays are sized here and filled natively.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "Skia/FontStyle.h"
#include "Skia/Object.h"
#include "Skia/Typeface.h"
#include "ui/Types.h"

namespace Skia {

class ISkPaint;
class ISkPath;

// Called per glyph with its outline (nil for a glyph without one; valid during the call only)
// and the outline's transform.
using TSkGlyphPathProc = std::function<void(const Ref<ISkPath>& APath, const Ui::TMatrix& AMatrix)>;

class ISkFont : public virtual ISkObject {
public:
    virtual bool GetBaselineSnap() = 0;
    virtual std::vector<Ui::TRectF> GetBounds(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual TSkFontEdging GetEdging() = 0;
    virtual bool GetEmbeddedBitmaps() = 0;
    virtual bool GetEmbolden() = 0;
    virtual bool GetForceAutoHinting() = 0;
    // AText is UTF-8; it crosses as UTF-16.
    virtual std::vector<uint16_t> GetGlyphs(const std::string& AText) = 0;
    virtual TSkFontHinting GetHinting() = 0;
    virtual std::vector<float> GetHorizontalPositions(std::span<const uint16_t> AGlyphs, float AOriginX = 0) = 0;
    virtual std::vector<float> GetIntercepts(std::span<const uint16_t> AGlyphs, std::span<const Ui::TPointF> APositions,
                                             float AUpperBounds, float ALowerBounds,
                                             const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual bool GetLinearMetrics() = 0;
    // Returns the recommended line spacing.
    virtual float GetMetrics(TSkFontMetrics& AMetrics) = 0;
    virtual Ref<ISkPath> GetPath(uint16_t AGlyph) = 0;
    virtual void GetPaths(std::span<const uint16_t> AGlyphs, const TSkGlyphPathProc& AProc) = 0;
    virtual std::vector<Ui::TPointF> GetPositions(std::span<const uint16_t> AGlyphs) = 0;
    virtual std::vector<Ui::TPointF> GetPositions(std::span<const uint16_t> AGlyphs, const Ui::TPointF& AOrigin) = 0;
    virtual float GetScaleX() = 0;
    virtual float GetSize() = 0;
    virtual float GetSkewX() = 0;
    virtual float GetSpacing() = 0;
    virtual bool GetSubpixel() = 0;
    virtual Ref<ISkTypeface> GetTypeface() = 0;
    virtual Ref<ISkTypeface> GetTypefaceOrDefault() = 0;
    virtual std::vector<float> GetWidths(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void GetWidthsAndBounds(std::span<const uint16_t> AGlyphs, std::vector<float>& AWidths,
                                    std::vector<Ui::TRectF>& ABounds, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual bool IsEqual(const Ref<ISkFont>& AFont) = 0;
    // A copy at another size; this font is unchanged.
    virtual Ref<ISkFont> MakeWithSize(float ASize) = 0;
    virtual float MeasureText(const std::string& AText, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual float MeasureText(const std::string& AText, Ui::TRectF& ABounds, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual float MeasureTextGlyphs(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual float MeasureTextGlyphs(std::span<const uint16_t> AGlyphs, Ui::TRectF& ABounds,
                                    const Ref<ISkPaint>& APaint = nullptr) = 0;
    virtual void SetBaselineSnap(bool AValue) = 0;
    virtual void SetEdging(TSkFontEdging AValue) = 0;
    virtual void SetEmbeddedBitmaps(bool AValue) = 0;
    virtual void SetEmbolden(bool AValue) = 0;
    virtual void SetForceAutoHinting(bool AValue) = 0;
    virtual void SetHinting(TSkFontHinting AValue) = 0;
    virtual void SetLinearMetrics(bool AValue) = 0;
    virtual void SetScaleX(float AValue) = 0;
    virtual void SetSize(float AValue) = 0;
    virtual void SetSkewX(float AValue) = 0;
    virtual void SetSubpixel(bool AValue) = 0;
    virtual void SetTypeface(const Ref<ISkTypeface>& AValue) = 0;
    virtual uint16_t UnicharToGlyph(int32_t AUnichar) = 0;
    virtual std::vector<uint16_t> UnicharsToGlyphs(std::span<const int32_t> AUnichars) = 0;
};

class TSkFont : public TSkObject, public virtual ISkFont {
public:
    using TSkObject::TSkObject;

    // A nil typeface means the native default.
    static Ref<ISkFont> Create(const Ref<ISkTypeface>& ATypeface = nullptr, float ASize = 12, float AScaleX = 1,
                               float ASkewX = 0);
    // A copy of AFont.
    static Ref<ISkFont> Create(const Ref<ISkFont>& AFont);

    bool GetBaselineSnap() override;
    std::vector<Ui::TRectF> GetBounds(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint) override;
    TSkFontEdging GetEdging() override;
    bool GetEmbeddedBitmaps() override;
    bool GetEmbolden() override;
    bool GetForceAutoHinting() override;
    std::vector<uint16_t> GetGlyphs(const std::string& AText) override;
    TSkFontHinting GetHinting() override;
    std::vector<float> GetHorizontalPositions(std::span<const uint16_t> AGlyphs, float AOriginX) override;
    std::vector<float> GetIntercepts(std::span<const uint16_t> AGlyphs, std::span<const Ui::TPointF> APositions,
                                     float AUpperBounds, float ALowerBounds, const Ref<ISkPaint>& APaint) override;
    bool GetLinearMetrics() override;
    float GetMetrics(TSkFontMetrics& AMetrics) override;
    Ref<ISkPath> GetPath(uint16_t AGlyph) override;
    void GetPaths(std::span<const uint16_t> AGlyphs, const TSkGlyphPathProc& AProc) override;
    std::vector<Ui::TPointF> GetPositions(std::span<const uint16_t> AGlyphs) override;
    std::vector<Ui::TPointF> GetPositions(std::span<const uint16_t> AGlyphs, const Ui::TPointF& AOrigin) override;
    float GetScaleX() override;
    float GetSize() override;
    float GetSkewX() override;
    float GetSpacing() override;
    bool GetSubpixel() override;
    Ref<ISkTypeface> GetTypeface() override;
    Ref<ISkTypeface> GetTypefaceOrDefault() override;
    std::vector<float> GetWidths(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint) override;
    void GetWidthsAndBounds(std::span<const uint16_t> AGlyphs, std::vector<float>& AWidths,
                            std::vector<Ui::TRectF>& ABounds, const Ref<ISkPaint>& APaint) override;
    bool IsEqual(const Ref<ISkFont>& AFont) override;
    Ref<ISkFont> MakeWithSize(float ASize) override;
    float MeasureText(const std::string& AText, const Ref<ISkPaint>& APaint) override;
    float MeasureText(const std::string& AText, Ui::TRectF& ABounds, const Ref<ISkPaint>& APaint) override;
    float MeasureTextGlyphs(std::span<const uint16_t> AGlyphs, const Ref<ISkPaint>& APaint) override;
    float MeasureTextGlyphs(std::span<const uint16_t> AGlyphs, Ui::TRectF& ABounds, const Ref<ISkPaint>& APaint) override;
    void SetBaselineSnap(bool AValue) override;
    void SetEdging(TSkFontEdging AValue) override;
    void SetEmbeddedBitmaps(bool AValue) override;
    void SetEmbolden(bool AValue) override;
    void SetForceAutoHinting(bool AValue) override;
    void SetHinting(TSkFontHinting AValue) override;
    void SetLinearMetrics(bool AValue) override;
    void SetScaleX(float AValue) override;
    void SetSize(float AValue) override;
    void SetSkewX(float AValue) override;
    void SetSubpixel(bool AValue) override;
    void SetTypeface(const Ref<ISkTypeface>& AValue) override;
    uint16_t UnicharToGlyph(int32_t AUnichar) override;
    std::vector<uint16_t> UnicharsToGlyphs(std::span<const int32_t> AUnichars) override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
