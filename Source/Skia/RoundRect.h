// Round rectangles: a rectangle with an elliptic radius pair per corner (upper left, upper
// right, lower right, lower left).
#pragma once

#include <array>

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "ui/Types.h"

namespace Skia {

// One (x, y) radius pair per corner, in TSkRoundRectCorner order.
using TSkRoundRectRadii = std::array<Ui::TPointF, 4>;

class ISkRoundRect : public virtual ISkObject {
public:
    virtual bool Contains(const Ui::TRectF& ARect) = 0;
    virtual void Deflate(float ADX, float ADY) = 0;
    virtual float GetHeight() = 0;
    virtual Ui::TPointF GetRadii(TSkRoundRectCorner ACorner) = 0;
    virtual Ui::TRectF GetRect() = 0;
    // The upper-left radii, which all corners share in a simple round rect.
    virtual Ui::TPointF GetSimpleRadii() = 0;
    virtual float GetWidth() = 0;
    virtual void Inflate(float ADX, float ADY) = 0;
    virtual bool IsComplex() = 0;
    virtual bool IsEmpty() = 0;
    // nil is never equal.
    virtual bool IsEqual(const Ref<ISkRoundRect>& ARoundRect) = 0;
    virtual bool IsNinePatch() = 0;
    virtual bool IsOval() = 0;
    virtual bool IsRect() = 0;
    virtual bool IsSimple() = 0;
    virtual bool IsValid() = 0;
    virtual void Offset(float ADX, float ADY) = 0;
    virtual void SetEmpty() = 0;
    // Left corners share the x radius ALeftRadius, top corners the y radius ATopRadius, and so on.
    virtual void SetNinePatch(const Ui::TRectF& ARect, float ALeftRadius, float ATopRadius, float ARightRadius,
                              float ABottomRadius) = 0;
    virtual void SetOval(const Ui::TRectF& ARect) = 0;
    virtual void SetRect(const Ui::TRectF& ARect) = 0;
    virtual void SetRect(const Ui::TRectF& ARect, float ARadiusX, float ARadiusY) = 0;
    virtual void SetRect(const Ui::TRectF& ARect, const TSkRoundRectRadii& ARadii) = 0;
    // A new round rect; nil when the matrix does not keep it one (only scales, translations
    // and quarter turns do).
    virtual Ref<ISkRoundRect> Transform(const Ui::TMatrix& AMatrix) = 0;
};

class TSkRoundRect : public TSkObject, public virtual ISkRoundRect {
public:
    using TSkObject::TSkObject;

    // An empty round rect.
    static Ref<ISkRoundRect> Create();
    // A copy.
    static Ref<ISkRoundRect> Create(const Ref<ISkRoundRect>& ARoundRect);
    static Ref<ISkRoundRect> Create(const Ui::TRectF& ARect, float ARadiusX, float ARadiusY);
    static Ref<ISkRoundRect> Create(const Ui::TRectF& ARect, const TSkRoundRectRadii& ARadii);

    bool Contains(const Ui::TRectF& ARect) override;
    void Deflate(float ADX, float ADY) override;
    float GetHeight() override;
    Ui::TPointF GetRadii(TSkRoundRectCorner ACorner) override;
    Ui::TRectF GetRect() override;
    Ui::TPointF GetSimpleRadii() override;
    float GetWidth() override;
    void Inflate(float ADX, float ADY) override;
    bool IsComplex() override;
    bool IsEmpty() override;
    bool IsEqual(const Ref<ISkRoundRect>& ARoundRect) override;
    bool IsNinePatch() override;
    bool IsOval() override;
    bool IsRect() override;
    bool IsSimple() override;
    bool IsValid() override;
    void Offset(float ADX, float ADY) override;
    void SetEmpty() override;
    void SetNinePatch(const Ui::TRectF& ARect, float ALeftRadius, float ATopRadius, float ARightRadius,
                      float ABottomRadius) override;
    void SetOval(const Ui::TRectF& ARect) override;
    void SetRect(const Ui::TRectF& ARect) override;
    void SetRect(const Ui::TRectF& ARect, float ARadiusX, float ARadiusY) override;
    void SetRect(const Ui::TRectF& ARect, const TSkRoundRectRadii& ARadii) override;
    Ref<ISkRoundRect> Transform(const Ui::TMatrix& AMatrix) override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
