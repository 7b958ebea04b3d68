// Path effects (reference-counted): changes to a path's geometry before it is drawn (dashes,
// corners, stamps along the path, trims ...). Factories answer nil when the engine refuses the
// numbers (see each), as a paint without an effect then draws the path plainly.
#pragma once

#include <cstdint>
#include <span>

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "Skia/Path.h"
#include "ui/Types.h"

namespace Skia {

// How a 1D path effect places each stamp: moved to the spot, also turned along the path, or
// bent to follow it.
enum class TSkPathEffect1DStyle : int32_t { Translate, Rotate, Morph };
// Trim keeps the part between start and stop, or everything but it.
enum class TSkPathEffectTrimMode : int32_t { Normal, Inverted };

class ISkPathEffect : public virtual ISkReferenceCounted {};

class TSkPathEffect : public TSkReferenceCounted, public virtual ISkPathEffect {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // A copy of APath every AAdvance along each contour; nil for a non-positive advance.
    static Ref<ISkPathEffect> Make1DPath(const Ref<ISkPath>& APath, float AAdvance, float APhase,
                                         TSkPathEffect1DStyle AStyle);
    // Lines AWidth wide through the cells of the lattice AMatrix inside the path.
    static Ref<ISkPathEffect> Make2DLine(float AWidth, const Ui::TMatrix& AMatrix);
    // A copy of APath at every cell of the lattice AMatrix inside the path.
    static Ref<ISkPathEffect> Make2DPath(const Ui::TMatrix& AMatrix, const Ref<ISkPath>& APath);
    // AInner first, then AOuter on its result.
    static Ref<ISkPathEffect> MakeCompose(const Ref<ISkPathEffect>& AOuter, const Ref<ISkPathEffect>& AInner);
    static Ref<ISkPathEffect> MakeCorner(float ARadius);
    // AIntervals: on and off lengths in turn (an even count); nil for negative or all-zero lengths.
    static Ref<ISkPathEffect> MakeDash(std::span<const float> AIntervals, float APhase);
    static Ref<ISkPathEffect> MakeDiscrete(float ASegLength, float ADeviation, uint32_t ASeedAssist = 0);
    static Ref<ISkPathEffect> MakeMatrix(const Ui::TMatrix& AMatrix);
    // Both results' outlines combined by AOp, filled.
    static Ref<ISkPathEffect> MakeMerge(const Ref<ISkPathEffect>& AEffect1, const Ref<ISkPathEffect>& AEffect2,
                                        TSkPathOp AOp);
    // The stroke outline, filled: AWidth 0 is a hairline.
    static Ref<ISkPathEffect> MakeStroke(float AWidth, TSkStrokeJoin AJoin, TSkStrokeCap ACap, float AMiter = 4);
    static Ref<ISkPathEffect> MakeStrokeAndFill();
    // Both results drawn.
    static Ref<ISkPathEffect> MakeSum(const Ref<ISkPathEffect>& AEffect1, const Ref<ISkPathEffect>& AEffect2);
    static Ref<ISkPathEffect> MakeTranslate(float ADX, float ADY);
    // AStart and AStop are fractions of the whole length.
    static Ref<ISkPathEffect> MakeTrim(float AStart, float AStop,
                                       TSkPathEffectTrimMode AMode = TSkPathEffectTrimMode::Normal);
};

}  // namespace Skia
