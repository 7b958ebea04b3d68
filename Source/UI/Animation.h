// TSkCustomAnimation: a timed progress from 0 to 1 with delay, speed, looping, auto-reverse,
// reverse play, a partial range and pause. It draws nothing; it tells its owner through three
// hooks when a run starts, advances and finishes. One shared process advances every running
// animation from a single periodic pulse, measuring time with the framework's timer service.
// Times are seconds; the public ones are rounded to three decimals.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "UI/Persistent.h"
#include "ui/Classes.h"
#include "ui/PlatformServices.h"

namespace Skia::UI {

// The periodic callback the shared process runs on: a framework animation that ticks while it
// is enabled and attached to a root (a form).
class ISkAnimationPulse {
public:
    virtual ~ISkAnimationPulse() = default;
    virtual void SetRoot(Ui::TComponent* ARoot) = 0;
    virtual Ui::TComponent* Root() const = 0;
    virtual void SetEnabled(bool AEnabled) = 0;
    virtual bool Enabled() const = 0;
};

class TSkCustomAnimation : public TSkPersistent {
public:
    explicit TSkCustomAnimation(Ui::TComponent* AOwner);
    ~TSkCustomAnimation() override;

    bool AutoReverse() const { return FAutoReverse; }
    void SetAutoReverse(bool AValue) { FAutoReverse = AValue; }
    double CurrentTime() const { return FCurrentTime; }
    void SetCurrentTime(double AValue);
    double Delay() const { return FDelay; }
    void SetDelay(double AValue);
    double Duration() const { return FDuration; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool AValue);
    bool Inverse() const { return FInverse; }
    void SetInverse(bool AValue) { FInverse = AValue; }
    bool Loop() const { return FLoop; }
    void SetLoop(bool AValue);
    bool Pause() const { return FPause; }
    void SetPause(bool AValue);
    double Progress() const { return FProgress; }
    void SetProgress(double AValue);
    bool Running() const { return FRunning; }
    double Speed() const { return FSpeed; }
    void SetSpeed(double AValue);
    bool StartFromCurrent() const { return FStartFromCurrent; }
    void SetStartFromCurrent(bool AValue) { FStartFromCurrent = AValue; }
    double StartProgress() const { return FStartProgress; }
    void SetStartProgress(double AValue);
    double StopProgress() const { return FStopProgress; }
    void SetStopProgress(double AValue);
    Ui::TComponent* Owner() const { return FOwner; }
    bool AllowAnimation() const { return FAllowAnimation; }

    // Starts a run and reports progress at once.
    virtual void Start();
    // Ends the run and jumps to its end.
    virtual void Stop();
    // Ends the run where it is.
    virtual void StopAtCurrent();

    // Right before the owner draws: a pending start happens now when animating is allowed (with
    // no progress report), else the refusal is remembered.
    void StartIfPending();
    // The per-tick step of the shared process.
    void ProcessElapsed(double ADelta);
    // Set by the owner: whether it can animate now (visible, rooted, not empty).
    void SetAllowAnimation(bool AValue);
    // Told by the owner when its root changed.
    void NotifyRootChanged();
    // The root (form) of the owner, or nil.
    virtual Ui::TComponent* GetOwnerRoot() const { return nullptr; }

    bool Equals(const TSkCustomAnimation& AOther) const;

    // The one process that advances every registered animation.
    class TProcess {
    public:
        static void Add(TSkCustomAnimation* AAnimation);
        static void Remove(TSkCustomAnimation* AAnimation);
        static void RootChanged(TSkCustomAnimation* AAnimation);
        // The process, if it exists (tests and diagnostics).
        static TProcess* Instance();
        // Frees the process (between tests; at program end it is left as it is).
        static void Shutdown();

        // How the framework is reached: the pulse maker (ticks call the given callback), the
        // application's main form, and the subscription to main-form changes. Replaceable for
        // tests; set before the first Add.
        struct TFramework {
            std::function<std::unique_ptr<ISkAnimationPulse>(std::function<void()> tick)> MakePulse;
            std::function<Ui::TComponent*()> MainForm;
            std::function<int(std::function<void()> changed)> SubscribeMainFormChanged;
            std::function<void(int id)> Unsubscribe;
        };
        static TFramework& Framework();

        const std::vector<TSkCustomAnimation*>& Animations() const { return FAniList; }
        ISkAnimationPulse& Pulse() const { return *FAnimation; }
        TSkCustomAnimation* AniRoot() const { return FAniRoot; }
        ~TProcess();

    private:
        TProcess();
        void DoAdd(TSkCustomAnimation* AAnimation);
        void DoRemove(TSkCustomAnimation* AAnimation);
        void DoRootChanged(TSkCustomAnimation* AAnimation);
        void ChooseRoot();
        void UpdateEnabled();
        void Tick();

        std::vector<TSkCustomAnimation*> FAniList;
        std::vector<TSkCustomAnimation*> FAniProcessingList;
        TSkCustomAnimation* FAniRoot = nullptr;
        std::unique_ptr<ISkAnimationPulse> FAnimation;
        int FMainFormChangedMessageId = 0;
        double FTime = 0;
        Ui::Ref<Ui::IUITimerService> FTimerService;
    };

protected:
    // A run has ended.
    virtual void HandleFinish() = 0;
    // The animation advanced or changed: the owner should redraw.
    virtual void HandleProcess() = 0;
    // A run has begun.
    virtual void HandleStart() = 0;

    void AssignFrom(Ui::TPersistent* ASource) override;
    void NotifyChanged() override;
    // Descendants that make the duration writable: rounded, non-positive becomes 0.
    void SetDuration(double AValue);
    double SavedProgress() const { return FSavedProgress; }

private:
    void BeginRun(bool AReport);
    void ResetTimes(bool AFlag, double ADelay);
    void RecalcProgress(bool AFromProcessTime, bool ARecalcLength);
    bool ShouldProcess() const;
    void SetProcessing(bool AValue);
    double Lower() const;

    bool FAllowAnimation = false;
    bool FAutoReverse = false;
    double FCurrentTime = 0;
    bool FCurrentTimeChanged = false;
    double FDelay = 0;
    double FDelayTime = 0;
    double FDuration = 0;
    bool FEnabled = true;
    bool FEnabledChanged = false;
    bool FInverse = false;
    bool FLoop = true;
    bool FNeedStart = false;
    bool FNeedStartRepaint = false;
    Ui::TComponent* FOwner;
    bool FPause = false;
    double FProcessDuration = 0;
    bool FProcessing = false;
    double FProcessTime = 0;
    double FProgress = 0;
    bool FRunning = false;
    bool FSavedInverse = false;
    double FSavedProgress = 0;
    double FSpeed = 1;
    bool FStartFromCurrent = false;
    double FStartProgress = 0;
    double FStopProgress = 1;
    int FTickCount = 0;
};

}  // namespace Skia::UI
