#include "UI/AnimatedControl.h"

#include "ui/Forms.h"

namespace Skia::UI {

// ---- the owned animation ----

TSkCustomAnimatedControl::TAnimationBase::TAnimationBase(TSkCustomAnimatedControl* AOwner)
    : TSkCustomAnimation(AOwner), FControl(AOwner) {
    AfterConstruction();
}

Ui::TComponent* TSkCustomAnimatedControl::TAnimationBase::GetOwnerRoot() const {
    return FControl->Root() ? FControl->Root()->GetObject() : nullptr;
}

void TSkCustomAnimatedControl::TAnimationBase::HandleFinish() { FControl->AnimationFinished(); }

void TSkCustomAnimatedControl::TAnimationBase::HandleProcess() {
    if (FInsideDoProcess) return;  // the owner's handlers changed the animation
    FInsideDoProcess = true;
    try {
        FControl->AnimationProgressed();
    } catch (...) {
        FInsideDoProcess = false;
        throw;
    }
    FInsideDoProcess = false;
}

void TSkCustomAnimatedControl::TAnimationBase::HandleStart() { FControl->AnimationStarted(); }

void TSkCustomAnimatedControl::TAnimationBase::NotifyChanged() {
    TSkCustomAnimation::NotifyChanged();
    if (FControl->FAnimation.get() == this) FControl->AnimationOptionsChanged();
}

// ---- the control ----

TSkCustomAnimatedControl::TSkCustomAnimatedControl(Ui::TComponent* AOwner) : TSkCustomControl(AOwner) {}

TSkCustomAnimatedControl::~TSkCustomAnimatedControl() {
    BeginDestruction();
    FAnimation.reset();  // unregisters from the shared process
}

void TSkCustomAnimatedControl::InitAnimation() {
    FAnimation = MakeAnimation();
    FAbsoluteVisible = Visible();
    FAbsoluteVisibleCached = true;
    AdjustDrawCacheKind();
}

void TSkCustomAnimatedControl::SetOnAnimationDraw(TSkAnimationDrawEvent AValue) {
    if (AValue.SameHandler(FOnAnimationDraw)) return;
    FOnAnimationDraw = std::move(AValue);
    Redraw();
}

bool TSkCustomAnimatedControl::AbsoluteVisible() {
    if (!FAbsoluteVisibleCached) {
        FAbsoluteVisible = ParentedVisible();
        FAbsoluteVisibleCached = true;
    }
    return FAbsoluteVisible;
}

bool TSkCustomAnimatedControl::AnimationAllowed() {
    if (!Scene()) return false;
    if (IsLoading() || IsDestroying()) return false;
    if (!AbsoluteVisible()) return false;
    if (SameValue(AbsoluteWidth(), 0, 0.001) || SameValue(AbsoluteHeight(), 0, 0.001)) return false;
    auto* form = dynamic_cast<Ui::TForm*>(Scene()->GetObject());
    return form && form->Visible();
}

void TSkCustomAnimatedControl::RefreshAllowAnimation() {
    if (FAnimation) FAnimation->SetAllowAnimation(AnimationAllowed());
}

void TSkCustomAnimatedControl::AdjustDrawCacheKind() {
    if (!FAnimation) return;
    SetDrawCacheKind(SameValue(FAnimation->Duration(), 0, 0.001) ? TSkDrawCacheKind::Raster : TSkDrawCacheKind::Never);
}

void TSkCustomAnimatedControl::AnimationFinished() {
    Redraw();
    if (OnAnimationFinish) OnAnimationFinish(this);
}

void TSkCustomAnimatedControl::AnimationProgressed() {
    // A step whose repaint request produced no paint: the control may have stopped being paintable.
    if (!FSuccessRedraw) RefreshAllowAnimation();
    FSuccessRedraw = false;
    Redraw();
    if (OnAnimationProcess) OnAnimationProcess(this);
}

void TSkCustomAnimatedControl::AnimationStarted() {
    if (OnAnimationStart) OnAnimationStart(this);
}

void TSkCustomAnimatedControl::DrawFrame(const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest, double AProgress,
                                         float AOpacity) {
    if (FOnAnimationDraw) FOnAnimationDraw(this, ACanvas, ADest, AProgress, AOpacity);
}

void TSkCustomAnimatedControl::DrawContent(const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest, float AOpacity) {
    TSkCustomControl::DrawContent(ACanvas, ADest, AOpacity);
    if (!FAnimation->AllowAnimation()) RefreshAllowAnimation();
    FAnimation->StartIfPending();
    DrawFrame(ACanvas, ADest, FAnimation->Progress(), AOpacity);
    FSuccessRedraw = true;
}

void TSkCustomAnimatedControl::AncestorVisibleChanged(bool AVisible) {
    const bool wasVisible = FAbsoluteVisible;
    if (!AVisible) {
        FAbsoluteVisible = false;
        FAbsoluteVisibleCached = true;
    } else {
        FAbsoluteVisibleCached = false;
    }
    // Shown again: a looping run restarts from its beginning.
    if (FAnimation && FAnimation->Loop() && FAnimation->Running() && !wasVisible && AbsoluteVisible())
        FAnimation->Start();
    RefreshAllowAnimation();
    TSkCustomControl::AncestorVisibleChanged(AVisible);
}

void TSkCustomAnimatedControl::SetNewScene(Ui::IScene* AScene) {
    const bool hadNone = Scene() == nullptr;
    TSkCustomControl::SetNewScene(AScene);
    if (hadNone) RefreshAllowAnimation();
}

void TSkCustomAnimatedControl::DoRootChanged() {
    TSkCustomControl::DoRootChanged();
    if (FAnimation) FAnimation->NotifyRootChanged();
}

// ---- the paint box ----

TSkAnimatedPaintBox::TAnimation::TAnimation(TSkCustomAnimatedControl* AOwner) : TAnimationBase(AOwner) {
    SetDuration(1);
}

void TSkAnimatedPaintBox::TAnimation::AssignFrom(Ui::TPersistent* ASource) {
    if (!ASource)
        SetDuration(1);
    else if (auto* other = dynamic_cast<TSkCustomAnimation*>(ASource))
        SetDuration(other->Duration());
    TAnimationBase::AssignFrom(ASource);
}

bool TSkAnimatedPaintBox::TAnimation::Equals(const TAnimation& AOther) const {
    return TSkCustomAnimation::Equals(AOther) && SameValue(Duration(), AOther.Duration(), 0.001);
}

TSkAnimatedPaintBox::TSkAnimatedPaintBox(Ui::TComponent* AOwner) : TSkCustomAnimatedControl(AOwner) { InitAnimation(); }

std::unique_ptr<TSkCustomAnimatedControl::TAnimationBase> TSkAnimatedPaintBox::MakeAnimation() {
    return std::make_unique<TAnimation>(this);
}

}  // namespace Skia::UI
