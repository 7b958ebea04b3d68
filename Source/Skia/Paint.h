// Paints: how something is drawn. Colour, alpha, style, stroke settings, anti-aliasing,
// dithering and the attached shader, filters, blender and path effect. All state lives in the
// native paint; attaching an object makes the paint hold a reference of its own, and setting
// nil detaches it.
#pragma once

#include <cstdint>

#include "Skia/Blender.h"
#include "Skia/ColorFilter.h"
#include "Skia/ColorSpace.h"
#include "Skia/Enums.h"
#include "Skia/ImageFilter.h"
#include "Skia/MaskFilter.h"
#include "Skia/Object.h"
#include "Skia/Path.h"
#include "Skia/PathEffect.h"
#include "Skia/Shader.h"
#include "ui/Types.h"

namespace Skia {

class ISkPaint : public virtual ISkObject {
public:
    virtual uint8_t GetAlpha() = 0;
    virtual float GetAlphaF() = 0;
    virtual bool GetAntiAlias() = 0;
    // The getters of attached objects give a new owning wrapper each time, nil when none.
    virtual Ref<ISkBlender> GetBlender() = 0;
    virtual Ui::TAlphaColor GetColor() = 0;
    virtual Ui::TAlphaColorF GetColorF() = 0;
    virtual Ref<ISkColorFilter> GetColorFilter() = 0;
    virtual bool GetDither() = 0;
    // The outline this paint fills when it draws APath (strokes and path effects applied).
    virtual Ref<ISkPath> GetFillPath(const Ref<ISkPath>& APath) = 0;
    virtual Ref<ISkPath> GetFillPath(const Ref<ISkPath>& APath, const Ui::TRectF& ACullRect, float AResScale = 1) = 0;
    virtual Ref<ISkImageFilter> GetImageFilter() = 0;
    virtual Ref<ISkMaskFilter> GetMaskFilter() = 0;
    virtual Ref<ISkPathEffect> GetPathEffect() = 0;
    virtual Ref<ISkShader> GetShader() = 0;
    virtual TSkStrokeCap GetStrokeCap() = 0;
    virtual TSkStrokeJoin GetStrokeJoin() = 0;
    virtual float GetStrokeMiter() = 0;
    virtual float GetStrokeWidth() = 0;
    virtual TSkPaintStyle GetStyle() = 0;
    // Back to the native default paint.
    virtual void Reset() = 0;
    virtual void SetAlpha(uint8_t AValue) = 0;
    virtual void SetAlphaF(float AValue) = 0;
    virtual void SetAntiAlias(bool AValue) = 0;
    virtual void SetARGB(uint8_t A, uint8_t R, uint8_t G, uint8_t B) = 0;
    virtual void SetBlender(const Ref<ISkBlender>& AValue) = 0;
    virtual void SetColor(Ui::TAlphaColor AValue) = 0;
    virtual void SetColorF(const Ui::TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace = nullptr) = 0;
    virtual void SetColorFilter(const Ref<ISkColorFilter>& AValue) = 0;
    virtual void SetDither(bool AValue) = 0;
    virtual void SetImageFilter(const Ref<ISkImageFilter>& AValue) = 0;
    virtual void SetMaskFilter(const Ref<ISkMaskFilter>& AValue) = 0;
    virtual void SetPathEffect(const Ref<ISkPathEffect>& AValue) = 0;
    virtual void SetShader(const Ref<ISkShader>& AValue) = 0;
    virtual void SetStrokeCap(TSkStrokeCap AValue) = 0;
    virtual void SetStrokeJoin(TSkStrokeJoin AValue) = 0;
    virtual void SetStrokeMiter(float AValue) = 0;
    virtual void SetStrokeWidth(float AValue) = 0;
    virtual void SetStyle(TSkPaintStyle AValue) = 0;
};

class TSkPaint : public TSkObject, public virtual ISkPaint {
public:
    using TSkObject::TSkObject;

    // The native default paint.
    static Ref<ISkPaint> Create();
    // A copy of every setting of APaint.
    static Ref<ISkPaint> Create(const Ref<ISkPaint>& APaint);
    static Ref<ISkPaint> Create(TSkPaintStyle AStyle);

    uint8_t GetAlpha() override;
    float GetAlphaF() override;
    bool GetAntiAlias() override;
    Ref<ISkBlender> GetBlender() override;
    Ui::TAlphaColor GetColor() override;
    Ui::TAlphaColorF GetColorF() override;
    Ref<ISkColorFilter> GetColorFilter() override;
    bool GetDither() override;
    Ref<ISkPath> GetFillPath(const Ref<ISkPath>& APath) override;
    Ref<ISkPath> GetFillPath(const Ref<ISkPath>& APath, const Ui::TRectF& ACullRect, float AResScale) override;
    Ref<ISkImageFilter> GetImageFilter() override;
    Ref<ISkMaskFilter> GetMaskFilter() override;
    Ref<ISkPathEffect> GetPathEffect() override;
    Ref<ISkShader> GetShader() override;
    TSkStrokeCap GetStrokeCap() override;
    TSkStrokeJoin GetStrokeJoin() override;
    float GetStrokeMiter() override;
    float GetStrokeWidth() override;
    TSkPaintStyle GetStyle() override;
    void Reset() override;
    void SetAlpha(uint8_t AValue) override;
    void SetAlphaF(float AValue) override;
    void SetAntiAlias(bool AValue) override;
    void SetARGB(uint8_t A, uint8_t R, uint8_t G, uint8_t B) override;
    void SetBlender(const Ref<ISkBlender>& AValue) override;
    void SetColor(Ui::TAlphaColor AValue) override;
    void SetColorF(const Ui::TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace) override;
    void SetColorFilter(const Ref<ISkColorFilter>& AValue) override;
    void SetDither(bool AValue) override;
    void SetImageFilter(const Ref<ISkImageFilter>& AValue) override;
    void SetMaskFilter(const Ref<ISkMaskFilter>& AValue) override;
    void SetPathEffect(const Ref<ISkPathEffect>& AValue) override;
    void SetShader(const Ref<ISkShader>& AValue) override;
    void SetStrokeCap(TSkStrokeCap AValue) override;
    void SetStrokeJoin(TSkStrokeJoin AValue) override;
    void SetStrokeMiter(float AValue) override;
    void SetStrokeWidth(float AValue) override;
    void SetStyle(TSkPaintStyle AValue) override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
