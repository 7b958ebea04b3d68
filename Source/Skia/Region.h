// Regions: sets of integer rectangles (pixels), with set operations, and walks over their
// rectangles and spans that drive range-based for loops:
//   for (const Ui::TRect& r : region->GetIterator()->GetEnumerator()) ...
#pragma once

#include <cstdint>
#include <span>

#include "Skia/Enumerable.h"
#include "Skia/Object.h"
#include "Skia/Path.h"
#include "ui/Types.h"

namespace Skia {

enum class TSkRegionOp : int32_t { Difference, Intersect, Union, Xor, ReverseDifference, Replace };

// Every rectangle of the region, or those inside a clip (cut to it).
class ISkRegionIterator : public virtual ISkEnumerableOf<Ui::TRect> {};
class ISkRegionCliperator : public virtual ISkEnumerableOf<Ui::TRect> {};
// The spans of one row as (left, right) in X and Y.
class ISkRegionSpanerator : public virtual ISkEnumerableOf<Ui::TPoint> {};

class ISkRegion : public virtual ISkObject {
public:
    virtual bool Contains(const Ref<ISkRegion>& ARegion) = 0;
    virtual bool Contains(const Ui::TRect& ARect) = 0;
    virtual bool Contains(int32_t AX, int32_t AY) = 0;
    virtual Ref<ISkPath> GetBoundaryPath() = 0;
    virtual Ui::TRect GetBounds() = 0;
    // The walks hold a reference to the region.
    virtual Ref<ISkRegionCliperator> GetCliperator(const Ui::TRect& AClip) = 0;
    virtual Ref<ISkRegionIterator> GetIterator() = 0;
    virtual Ref<ISkRegionSpanerator> GetSpanerator(int32_t AY, int32_t ALeft, int32_t ARight) = 0;
    virtual bool Intersects(const Ref<ISkRegion>& ARegion) = 0;
    virtual bool Intersects(const Ui::TRect& ARect) = 0;
    virtual bool IsComplex() = 0;
    virtual bool IsEmpty() = 0;
    virtual bool IsEqual(const Ref<ISkRegion>& ARegion) = 0;
    virtual bool IsRect() = 0;
    // True when the result is not empty.
    virtual bool Op(const Ref<ISkRegion>& ARegion, TSkRegionOp AOp) = 0;
    virtual bool Op(const Ui::TRect& ARect, TSkRegionOp AOp) = 0;
    virtual bool QuickContains(const Ui::TRect& ARect) = 0;
    virtual bool QuickReject(const Ref<ISkRegion>& ARegion) = 0;
    virtual bool QuickReject(const Ui::TRect& ARect) = 0;
    virtual void SetEmpty() = 0;
    // The pixels whose centres APath covers, inside AClip; True when not empty.
    virtual bool SetPath(const Ref<ISkPath>& APath, const Ref<ISkRegion>& AClip) = 0;
    virtual bool SetRect(const Ui::TRect& ARect) = 0;
    // The union of the rectangles; False (and empty) when the engine refuses them (too many).
    virtual bool SetRects(std::span<const Ui::TRect> ARects) = 0;
    virtual void Translate(int32_t ADeltaX, int32_t ADeltaY) = 0;
};

class TSkRegion : public TSkObject, public virtual ISkRegion {
public:
    using TSkObject::TSkObject;

    static Ref<ISkRegion> Create();
    // A copy of ARegion.
    static Ref<ISkRegion> Create(const Ref<ISkRegion>& ARegion);

    bool Contains(const Ref<ISkRegion>& ARegion) override;
    bool Contains(const Ui::TRect& ARect) override;
    bool Contains(int32_t AX, int32_t AY) override;
    Ref<ISkPath> GetBoundaryPath() override;
    Ui::TRect GetBounds() override;
    Ref<ISkRegionCliperator> GetCliperator(const Ui::TRect& AClip) override;
    Ref<ISkRegionIterator> GetIterator() override;
    Ref<ISkRegionSpanerator> GetSpanerator(int32_t AY, int32_t ALeft, int32_t ARight) override;
    bool Intersects(const Ref<ISkRegion>& ARegion) override;
    bool Intersects(const Ui::TRect& ARect) override;
    bool IsComplex() override;
    bool IsEmpty() override;
    bool IsEqual(const Ref<ISkRegion>& ARegion) override;
    bool IsRect() override;
    bool Op(const Ref<ISkRegion>& ARegion, TSkRegionOp AOp) override;
    bool Op(const Ui::TRect& ARect, TSkRegionOp AOp) override;
    bool QuickContains(const Ui::TRect& ARect) override;
    bool QuickReject(const Ref<ISkRegion>& ARegion) override;
    bool QuickReject(const Ui::TRect& ARect) override;
    void SetEmpty() override;
    bool SetPath(const Ref<ISkPath>& APath, const Ref<ISkRegion>& AClip) override;
    bool SetRect(const Ui::TRect& ARect) override;
    bool SetRects(std::span<const Ui::TRect> ARects) override;
    void Translate(int32_t ADeltaX, int32_t ADeltaY) override;

    // The native walks; each holds a reference to its region, which must outlive it natively.
    template <class Interface, class Element>
    class TRegionWalk : public TSkEnumerable<Element>, public virtual Interface {
    public:
        TRegionWalk(NativeUInt AHandle, bool AOwnsHandle, Ref<ISkRegion> ARegion)
            : TSkEnumerable<Element>(AHandle, AOwnsHandle), FRegion(std::move(ARegion)) {}
        Element GetCurrent() override { return FCurrent; }

    protected:
        Ref<ISkRegion> FRegion;
        Element FCurrent{};
    };
    class TRegionIterator : public TRegionWalk<ISkRegionIterator, Ui::TRect> {
    public:
        using TRegionWalk::TRegionWalk;
        bool MoveNext() override;

    protected:
        void __DestroyHandle(NativeUInt AHandle) override;
    };
    class TRegionCliperator : public TRegionWalk<ISkRegionCliperator, Ui::TRect> {
    public:
        using TRegionWalk::TRegionWalk;
        bool MoveNext() override;

    protected:
        void __DestroyHandle(NativeUInt AHandle) override;
    };
    class TRegionSpanerator : public TRegionWalk<ISkRegionSpanerator, Ui::TPoint> {
    public:
        using TRegionWalk::TRegionWalk;
        bool MoveNext() override;

    protected:
        void __DestroyHandle(NativeUInt AHandle) override;
    };

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
