// Paths (immutable; built with TSkPathBuilder) and their walks. Operations that change a path
// return a new one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Skia/Enumerable.h"
#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "ui/Stream.h"
#include "ui/Types.h"

namespace Skia {

class ISkRoundRect;

// One element of a walk: its verb, its points (starting with the segment's start point, so a
// line has 2, a quad or conic 3, a cubic 4, a move 1, a close none) and a conic's weight.
struct TSkPathIteratorElem {
    TSkPathVerb Verb = TSkPathVerb::Move;
    std::array<Ui::TPointF, 4> Points{};
    float ConicWeight = 0;
};

class ISkPathIterator : public virtual ISkEnumerableOf<TSkPathIteratorElem> {};

class ISkPath : public virtual ISkObject {
public:
    virtual bool Contains(float AX, float AY) = 0;
    virtual Ui::TRectF GetBounds() = 0;
    virtual TSkPathFillType GetFillType() = 0;
    // (0, 0) for an empty path.
    virtual Ui::TPointF GetLastPoint() = 0;
    virtual TSkSegmentMasks GetSegmentMasks() = 0;
    virtual Ui::TRectF GetTightBounds() = 0;
    // A walk over the path's elements; AForceClose closes every open contour.
    virtual Ref<ISkPathIterator> GetIterator(bool AForceClose = false) = 0;
    // The path between this one (weight 1) and AEnding (weight 0); nil when they do not match.
    virtual Ref<ISkPath> Interpolate(const Ref<ISkPath>& AEnding, float AWeight) = 0;
    virtual bool IsConvex() = 0;
    virtual bool IsEmpty() = 0;
    virtual bool IsFinite() = 0;
    virtual bool IsInterpolatable(const Ref<ISkPath>& APath) = 0;
    virtual bool IsLastContourClosed() = 0;
    virtual bool IsLine() = 0;
    virtual bool IsLine(Ui::TPointF& APoint1, Ui::TPointF& APoint2) = 0;
    virtual bool IsOval() = 0;
    virtual bool IsOval(Ui::TRectF& ARect) = 0;
    virtual bool IsRect() = 0;
    virtual bool IsRect(Ui::TRectF& ARect) = 0;
    virtual bool IsRoundRect() = 0;
    // ARoundRect receives a new round rect when the path is one, nil otherwise.
    virtual bool IsRoundRect(Ref<ISkRoundRect>& ARoundRect) = 0;
    // The result of the Boolean operation; nil when it fails.
    virtual Ref<ISkPath> Op(const Ref<ISkPath>& APath, TSkPathOp AOp) = 0;
    virtual void SerializeToStream(Ui::TStream& AStream) = 0;
    // SVG path data.
    virtual std::string ToSVG() = 0;
    virtual Ref<ISkPath> Transform(const Ui::TMatrix& AMatrix) = 0;
};

class TSkPath : public TSkObject, public virtual ISkPath {
public:
    using TSkObject::TSkObject;

    // An empty path.
    static Ref<ISkPath> Create();
    // From SVG path data; nil when it does not parse.
    static Ref<ISkPath> MakeFromSVG(const std::string& ASVG);
    // A conic as 2^APower2 quads (APower2 0..5): their points, 1 + 2 x quads of them.
    static std::vector<Ui::TPointF> ConvertConicToQuads(const Ui::TPointF& APoint1, const Ui::TPointF& APoint2,
                                                        const Ui::TPointF& APoint3, float AWeight, int32_t APower2);

    bool Contains(float AX, float AY) override;
    Ui::TRectF GetBounds() override;
    TSkPathFillType GetFillType() override;
    Ui::TPointF GetLastPoint() override;
    TSkSegmentMasks GetSegmentMasks() override;
    Ui::TRectF GetTightBounds() override;
    Ref<ISkPathIterator> GetIterator(bool AForceClose) override;
    Ref<ISkPath> Interpolate(const Ref<ISkPath>& AEnding, float AWeight) override;
    bool IsConvex() override;
    bool IsEmpty() override;
    bool IsFinite() override;
    bool IsInterpolatable(const Ref<ISkPath>& APath) override;
    bool IsLastContourClosed() override;
    bool IsLine() override;
    bool IsLine(Ui::TPointF& APoint1, Ui::TPointF& APoint2) override;
    bool IsOval() override;
    bool IsOval(Ui::TRectF& ARect) override;
    bool IsRect() override;
    bool IsRect(Ui::TRectF& ARect) override;
    bool IsRoundRect() override;
    bool IsRoundRect(Ref<ISkRoundRect>& ARoundRect) override;
    Ref<ISkPath> Op(const Ref<ISkPath>& APath, TSkPathOp AOp) override;
    void SerializeToStream(Ui::TStream& AStream) override;
    std::string ToSVG() override;
    Ref<ISkPath> Transform(const Ui::TMatrix& AMatrix) override;

    // The native walk. It holds a reference to its path, which must outlive it natively.
    class TPathIterator : public TSkEnumerable<TSkPathIteratorElem>, public virtual ISkPathIterator {
    public:
        TPathIterator(NativeUInt AHandle, bool AOwnsHandle, Ref<ISkPath> APath)
            : TSkEnumerable(AHandle, AOwnsHandle), FPath(std::move(APath)) {}
        bool MoveNext() override;
        TSkPathIteratorElem GetCurrent() override { return FCurrent; }

    protected:
        void __DestroyHandle(NativeUInt AHandle) override;

    private:
        Ref<ISkPath> FPath;
        TSkPathIteratorElem FCurrent;
    };

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
