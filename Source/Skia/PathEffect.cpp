#include "Skia/PathEffect.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {
namespace {

Ref<ISkPathEffect> Result(plix_handle handle) { return WrapOrNil<TSkPathEffect>(handle); }

}  // namespace

Ref<ISkPathEffect> TSkPathEffect::Make1DPath(const Ref<ISkPath>& APath, float AAdvance, float APhase,
                                             TSkPathEffect1DStyle AStyle) {
    CheckNotNil(APath, "APath");
    return Result(API::plix_patheffect_make_1dpath(APath->GetHandle(), AAdvance, APhase, Marshal::Ord(AStyle)));
}

Ref<ISkPathEffect> TSkPathEffect::Make2DLine(float AWidth, const Ui::TMatrix& AMatrix) {
    const plix_matrix matrix = Marshal::ToNative(AMatrix);
    return Result(API::plix_patheffect_make_2dline(AWidth, &matrix));
}

Ref<ISkPathEffect> TSkPathEffect::Make2DPath(const Ui::TMatrix& AMatrix, const Ref<ISkPath>& APath) {
    CheckNotNil(APath, "APath");
    const plix_matrix matrix = Marshal::ToNative(AMatrix);
    return Result(API::plix_patheffect_make_2dpath(&matrix, APath->GetHandle()));
}

Ref<ISkPathEffect> TSkPathEffect::MakeCompose(const Ref<ISkPathEffect>& AOuter, const Ref<ISkPathEffect>& AInner) {
    CheckNotNil(AOuter, "AOuter");
    CheckNotNil(AInner, "AInner");
    return Result(API::plix_patheffect_make_compose(AOuter->GetHandle(), AInner->GetHandle()));
}

Ref<ISkPathEffect> TSkPathEffect::MakeCorner(float ARadius) {
    return Result(API::plix_patheffect_make_corner(ARadius));
}

Ref<ISkPathEffect> TSkPathEffect::MakeDash(std::span<const float> AIntervals, float APhase) {
    CheckNotEmpty(AIntervals, "AIntervals");
    if (AIntervals.size() % 2 != 0) RaiseParameterSizeOdd("AIntervals");
    return Result(API::plix_patheffect_make_dash(AIntervals.data(), static_cast<int32_t>(AIntervals.size()), APhase));
}

Ref<ISkPathEffect> TSkPathEffect::MakeDiscrete(float ASegLength, float ADeviation, uint32_t ASeedAssist) {
    return Result(API::plix_patheffect_make_discrete(ASegLength, ADeviation, ASeedAssist));
}

Ref<ISkPathEffect> TSkPathEffect::MakeMatrix(const Ui::TMatrix& AMatrix) {
    const plix_matrix matrix = Marshal::ToNative(AMatrix);
    return Result(API::plix_patheffect_make_matrix(&matrix));
}

Ref<ISkPathEffect> TSkPathEffect::MakeMerge(const Ref<ISkPathEffect>& AEffect1, const Ref<ISkPathEffect>& AEffect2,
                                            TSkPathOp AOp) {
    CheckNotNil(AEffect1, "AEffect1");
    CheckNotNil(AEffect2, "AEffect2");
    return Result(API::plix_patheffect_make_merge(AEffect1->GetHandle(), AEffect2->GetHandle(), Marshal::Ord(AOp)));
}

Ref<ISkPathEffect> TSkPathEffect::MakeStroke(float AWidth, TSkStrokeJoin AJoin, TSkStrokeCap ACap, float AMiter) {
    return Result(API::plix_patheffect_make_stroke(AWidth, Marshal::Ord(AJoin), Marshal::Ord(ACap), AMiter));
}

Ref<ISkPathEffect> TSkPathEffect::MakeStrokeAndFill() { return Result(API::plix_patheffect_make_stroke_and_fill()); }

Ref<ISkPathEffect> TSkPathEffect::MakeSum(const Ref<ISkPathEffect>& AEffect1, const Ref<ISkPathEffect>& AEffect2) {
    CheckNotNil(AEffect1, "AEffect1");
    CheckNotNil(AEffect2, "AEffect2");
    return Result(API::plix_patheffect_make_sum(AEffect1->GetHandle(), AEffect2->GetHandle()));
}

Ref<ISkPathEffect> TSkPathEffect::MakeTranslate(float ADX, float ADY) {
    return Result(API::plix_patheffect_make_translate(ADX, ADY));
}

Ref<ISkPathEffect> TSkPathEffect::MakeTrim(float AStart, float AStop, TSkPathEffectTrimMode AMode) {
    return Result(API::plix_patheffect_make_trim(AStart, AStop, Marshal::Ord(AMode)));
}

}  // namespace Skia
