#include "ui/Animation.h"

#include <algorithm>
#include <cmath>

namespace Ui {

namespace {

struct TAnimatorState {
    std::vector<TAnimation*> animations;
    int rate = 60;
    TFmxHandle timer = 0;
    double lastTick = 0;
};

TAnimatorState& State() {
    static TAnimatorState* state = new TAnimatorState();
    return *state;
}

Ref<IUITimerService> TimerService() {
    return TPlatformServices::Current().GetRequiredPlatformService<IUITimerService>("IUITimerService");
}

void UpdateTimer() {
    TAnimatorState& s = State();
    if (!s.animations.empty() && !s.timer) {
        Ref<IUITimerService> timers = TimerService();
        s.lastTick = timers->GetTick();
        s.timer = timers->CreateTimer(TAnimator::IntervalMs(), [] { TAnimator::Tick(); });
    } else if (s.animations.empty() && s.timer) {
        TimerService()->DestroyTimer(s.timer);
        s.timer = 0;
    }
}

}  // namespace

TAnimation::TAnimation(TComponent* owner) : TFmxObject(owner) {}

TAnimation::~TAnimation() {
    BeginDestruction();
    TAnimator::Remove(this);
}

void TAnimation::SetDuration(float seconds) { fDuration = std::isfinite(seconds) && seconds > 0 ? seconds : 0; }

void TAnimation::SetEnabled(bool enabled) {
    if (enabled == fEnabled) return;
    fEnabled = enabled;
    if (enabled)
        Start();
    else
        Stop();
}

float TAnimation::NormalizedTime() const { return fDuration > 0 ? fTime / fDuration : 0; }

void TAnimation::Start() {
    fEnabled = true;
    fTime = 0;
    fRunning = true;
    TAnimator::Add(this);
}

void TAnimation::Stop() {
    if (!fRunning) return;
    fRunning = false;
    fEnabled = false;
    TAnimator::Remove(this);
}

void TAnimation::ProcessTick(float deltaTime) {
    if (!fRunning || !(deltaTime >= 0)) return;
    fTime += deltaTime;
    bool finished = false;
    if (fTime >= fDuration) {
        if (fLoop && fDuration > 0)
            fTime = std::fmod(fTime, fDuration);
        else {
            fTime = fDuration;
            finished = true;
        }
    }
    ProcessAnimation();
    if (OnProcess) OnProcess(this);
    if (finished) {
        Stop();
        if (OnFinish) OnFinish(this);
    }
}

int TAnimator::AniFrameRate() { return State().rate; }

void TAnimator::SetAniFrameRate(int rate) { State().rate = std::clamp(rate, 5, 100); }

int TAnimator::IntervalMs() {
    const int ms = 1000 / State().rate / 10 * 10;
    return ms > 0 ? ms : 1;
}

void TAnimator::Add(TAnimation* animation) {
    TAnimatorState& s = State();
    if (std::find(s.animations.begin(), s.animations.end(), animation) == s.animations.end())
        s.animations.push_back(animation);
    UpdateTimer();
}

void TAnimator::Remove(TAnimation* animation) {
    std::erase(State().animations, animation);
    UpdateTimer();
}

bool TAnimator::TimerActive() { return State().timer != 0; }

void TAnimator::Tick() {
    TAnimatorState& s = State();
    const double now = TimerService()->GetTick();
    const auto delta = static_cast<float>(now - s.lastTick);
    s.lastTick = now;
    // Animations may stop (and leave the list) during the walk.
    for (TAnimation* a : std::vector<TAnimation*>(s.animations)) {
        if (std::find(s.animations.begin(), s.animations.end(), a) == s.animations.end()) continue;
        if (a->Root() && !a->IsDestroying()) a->ProcessTick(delta);
    }
}

}  // namespace Ui
