// A Skia control joined to an animation: the animation runs only while the control can be seen,
// every animation step asks for a repaint, and every paint draws one frame with the animation's
// progress. TSkAnimatedPaintBox draws its frames through its OnAnimationDraw event.
#pragma once

#include <memory>

#include "UI/Animation.h"
#include "UI/CustomControl.h"

namespace Skia::UI {

// (sender, canvas, destination rectangle, progress 0..1, opacity)
using TSkAnimationDrawEvent = TSkEvent<void(Ui::TObject* ASender, const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest,
                                            double AProgress, float AOpacity)>;

class TSkCustomAnimatedControl : public TSkCustomControl {
public:
    // The owned animation, reporting to its control.
    class TAnimationBase : public TSkCustomAnimation {
    public:
        explicit TAnimationBase(TSkCustomAnimatedControl* AOwner);
        Ui::TComponent* GetOwnerRoot() const override;

    protected:
        void HandleFinish() override;
        void HandleProcess() override;
        void HandleStart() override;
        void NotifyChanged() override;

    private:
        TSkCustomAnimatedControl* FControl;
        bool FInsideDoProcess = false;
    };

    explicit TSkCustomAnimatedControl(Ui::TComponent* AOwner);
    ~TSkCustomAnimatedControl() override;

    TAnimationBase* AnimationBase() const { return FAnimation.get(); }
    const TSkAnimationDrawEvent& OnAnimationDraw() const { return FOnAnimationDraw; }
    void SetOnAnimationDraw(TSkAnimationDrawEvent AValue);
    Ui::TNotifyEvent OnAnimationFinish;
    Ui::TNotifyEvent OnAnimationProcess;
    Ui::TNotifyEvent OnAnimationStart;

    // Whether the control can show an animation now: in a scene, not loading or being destroyed,
    // visible with all its parents, of some size, and on a visible form.
    virtual bool AnimationAllowed();
    void RefreshAllowAnimation();

    void AncestorVisibleChanged(bool AVisible) override;
    void SetNewScene(Ui::IScene* AScene) override;

protected:
    // Makes the owned animation; descendants call InitAnimation from their constructor.
    virtual std::unique_ptr<TAnimationBase> MakeAnimation() = 0;
    void InitAnimation();
    virtual void AnimationOptionsChanged() { AdjustDrawCacheKind(); }
    virtual void AnimationFinished();
    virtual void AnimationProgressed();
    virtual void AnimationStarted();
    virtual void DrawFrame(const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest, double AProgress, float AOpacity);

    void DrawContent(const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest, float AOpacity) override;
    void DoRootChanged() override;
    void AdjustDrawCacheKind();
    bool AbsoluteVisible();

private:
    bool FAbsoluteVisible = true;
    bool FAbsoluteVisibleCached = false;
    TSkAnimationDrawEvent FOnAnimationDraw;
    bool FSuccessRedraw = false;
    std::unique_ptr<TAnimationBase> FAnimation;
};

class TSkAnimatedPaintBox : public TSkCustomAnimatedControl {
public:
    // The paint box's animation: its Duration is writable and defaults to 1 second.
    class TAnimation : public TAnimationBase {
    public:
        explicit TAnimation(TSkCustomAnimatedControl* AOwner);
        using TSkCustomAnimation::SetDuration;
        bool Equals(const TAnimation& AOther) const;

    protected:
        void AssignFrom(Ui::TPersistent* ASource) override;
    };

    explicit TSkAnimatedPaintBox(Ui::TComponent* AOwner);

    TAnimation* Animation() const { return static_cast<TAnimation*>(AnimationBase()); }
    // Copies AValue's settings into the owned animation.
    void SetAnimation(TAnimation* AValue) { Animation()->Assign(AValue); }

protected:
    std::unique_ptr<TAnimationBase> MakeAnimation() override;
};

}  // namespace Skia::UI
