// Framework animations and the animation pulse. A TAnimation is an object of the tree that,
// while enabled and in a rooted tree, is advanced on every tick of the shared animation timer
// (a timer of the timer service, every 10 ms at the default 60 frames per second) and raises
// OnProcess. TAnimator owns that timer: it runs only while some animation runs.
#pragma once

#include <vector>

#include "ui/Controls.h"
#include "ui/PlatformServices.h"

namespace Ui {

class TAnimation : public TFmxObject {
public:
    explicit TAnimation(TComponent* owner);
    ~TAnimation() override;

    float Duration() const { return fDuration; }  // seconds
    void SetDuration(float seconds);
    bool Loop() const { return fLoop; }
    void SetLoop(bool loop) { fLoop = loop; }
    bool Enabled() const { return fEnabled; }
    // Enabling starts the animation, disabling stops it.
    void SetEnabled(bool enabled);
    bool Running() const { return fRunning; }
    float CurrentTime() const { return fTime; }
    // CurrentTime / Duration (0 for a zero duration).
    float NormalizedTime() const;

    void Start();
    void Stop();
    // One frame: advances by deltaTime seconds; the animator calls it while the animation
    // runs and has a root.
    void ProcessTick(float deltaTime);

    TNotifyEvent OnProcess;
    TNotifyEvent OnFinish;

protected:
    // The animation's own frame step (after the time advanced); the base does nothing.
    virtual void ProcessAnimation() {}

private:
    float fDuration = 0.2f;
    bool fLoop = false;
    bool fEnabled = false;
    bool fRunning = false;
    float fTime = 0;
};

class TAnimator {
public:
    // Frames per second of the animation timer, clamped to 5..100 (60 by default).
    static int AniFrameRate();
    static void SetAniFrameRate(int rate);
    // The timer interval: trunc(1000 / rate / 10) * 10 ms, at least 1.
    static int IntervalMs();
    static void Add(TAnimation* animation);
    static void Remove(TAnimation* animation);
    static bool TimerActive();
    // One tick of the timer (tests may call it): every running, rooted animation advances by
    // the time since the last tick.
    static void Tick();
};

}  // namespace Ui
