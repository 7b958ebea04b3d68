#include "UI/Animation.h"

#include <algorithm>
#include <cmath>

namespace Skia::UI {

namespace {

constexpr double TimeEpsilon = 0.001;

double Clamp(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

}  // namespace

TSkCustomAnimation::TSkCustomAnimation(Ui::TComponent* AOwner) : FOwner(AOwner) {
    // Fields start from zero as in any new object; the defaults arrive through setters, so that a
    // new animation is enabled with its start pending.
    FEnabled = false;
    FLoop = false;
    FSpeed = 0;
    FStopProgress = 0;
    Assign(nullptr);
}

TSkCustomAnimation::~TSkCustomAnimation() { TProcess::Remove(this); }

// ---- properties ----

void TSkCustomAnimation::SetCurrentTime(double AValue) {
    const double t = RoundTo3(AValue);
    BeginUpdate();
    const bool delayChanged = ReplaceValue(FDelayTime, 0.0, TimeEpsilon);
    const bool timeChanged = ReplaceValue(FCurrentTime, Clamp(t, 0, FDuration), TimeEpsilon);
    FCurrentTimeChanged = FCurrentTimeChanged || delayChanged || timeChanged;
    EndUpdate();
}

void TSkCustomAnimation::SetDelay(double AValue) { FDelay = std::max(RoundTo3(AValue), 0.0); }

void TSkCustomAnimation::SetDuration(double AValue) {
    double v = RoundTo3(AValue);
    if (!(v > 0)) v = 0;
    ReplaceValue(FDuration, v, TimeEpsilon);
}

void TSkCustomAnimation::SetEnabled(bool AValue) {
    BeginUpdate();
    FEnabledChanged = ReplaceValue(FEnabled, AValue) || FEnabledChanged;
    EndUpdate();
}

void TSkCustomAnimation::SetLoop(bool AValue) { ReplaceValue(FLoop, AValue); }

void TSkCustomAnimation::SetPause(bool AValue) { ReplaceValue(FPause, AValue); }

void TSkCustomAnimation::SetProgress(double AValue) {
    FSavedProgress = AValue;
    SetCurrentTime(Clamp(AValue, 0, 1) * FDuration);
}

void TSkCustomAnimation::SetSpeed(double AValue) {
    double v = RoundTo3(AValue);
    if (!(v > 0)) v = 0;
    ReplaceValue(FSpeed, v, TimeEpsilon);
}

void TSkCustomAnimation::SetStartProgress(double AValue) { ReplaceValue(FStartProgress, Clamp(AValue, 0, 1)); }

void TSkCustomAnimation::SetStopProgress(double AValue) { ReplaceValue(FStopProgress, Clamp(AValue, 0, 1)); }

void TSkCustomAnimation::SetAllowAnimation(bool AValue) { ReplaceValue(FAllowAnimation, AValue); }

bool TSkCustomAnimation::Equals(const TSkCustomAnimation& AOther) const {
    return FAutoReverse == AOther.FAutoReverse && FEnabled == AOther.FEnabled && FInverse == AOther.FInverse &&
           FLoop == AOther.FLoop && FPause == AOther.FPause && FStartFromCurrent == AOther.FStartFromCurrent &&
           FRunning == AOther.FRunning && SameValue(FCurrentTime, AOther.FCurrentTime, TimeEpsilon) &&
           SameValue(FDelay, AOther.FDelay, TimeEpsilon) && SameValue(FSpeed, AOther.FSpeed, TimeEpsilon) &&
           SameValue(FStartProgress, AOther.FStartProgress) && SameValue(FStopProgress, AOther.FStopProgress);
}

void TSkCustomAnimation::AssignFrom(Ui::TPersistent* ASource) {
    if (ASource == nullptr) {
        SetAutoReverse(false);
        SetDelay(0);
        SetEnabled(true);
        SetInverse(false);
        SetLoop(true);
        SetPause(false);
        SetSpeed(1);
        SetStartFromCurrent(false);
        SetStartProgress(0);
        SetStopProgress(1);
        SetCurrentTime(0);
        FRunning = false;
    } else if (auto* other = dynamic_cast<TSkCustomAnimation*>(ASource)) {
        SetAutoReverse(other->FAutoReverse);
        SetDelay(other->FDelay);
        SetEnabled(other->FEnabled);
        SetInverse(other->FInverse);
        SetLoop(other->FLoop);
        SetPause(other->FPause);
        SetSpeed(other->FSpeed);
        SetStartFromCurrent(other->FStartFromCurrent);
        SetStartProgress(other->FStartProgress);
        SetStopProgress(other->FStopProgress);
        SetCurrentTime(other->FCurrentTime);
        FRunning = other->FRunning;
    } else {
        TSkPersistent::AssignFrom(ASource);
    }
}

// ---- progress ----

double TSkCustomAnimation::Lower() const { return std::min(FStartProgress, FStopProgress); }

void TSkCustomAnimation::RecalcProgress(bool AFromProcessTime, bool ARecalcLength) {
    const double lower = Lower();
    if (ARecalcLength) {
        FProcessDuration = std::abs(FStopProgress - FStartProgress) * FDuration;
        if (FProcessDuration < TimeEpsilon) FProcessDuration = 0;
    }
    if (AFromProcessTime && FCurrentTimeChanged)  // a seek from outside while running
        FProcessTime = Clamp(FCurrentTime - lower * FDuration, 0, FProcessDuration);
    if (AFromProcessTime)
        FCurrentTime = lower * FDuration + FProcessTime;
    else
        FCurrentTime = Clamp(FCurrentTime, 0, FDuration);
    FCurrentTimeChanged = false;
    if (FDuration >= TimeEpsilon)
        FProgress = FCurrentTime / FDuration;
    else
        FProgress = FInverse ? FStopProgress : FStartProgress;
}

bool TSkCustomAnimation::ShouldProcess() const {
    return FRunning && !FPause && FSpeed >= TimeEpsilon && FProcessDuration >= TimeEpsilon &&
           (FAllowAnimation || !FLoop);
}

void TSkCustomAnimation::SetProcessing(bool AValue) {
    if (AValue == FProcessing) return;
    FProcessing = AValue;
    if (AValue)
        TProcess::Add(this);
    else
        TProcess::Remove(this);
}

void TSkCustomAnimation::NotifyChanged() {
    RecalcProgress(FRunning, true);
    bool allowed = FAllowAnimation;
    if (FEnabledChanged) {
        FEnabledChanged = false;
        if (!FEnabled) {
            Stop();
        } else {
            FNeedStart = true;
            FNeedStartRepaint = false;
        }
    }
    if (FNeedStart && FNeedStartRepaint && FAllowAnimation) {
        Start();
        allowed = false;
    }
    SetProcessing(ShouldProcess());
    TSkPersistent::NotifyChanged();
    if (allowed) HandleProcess();
}

// ---- runs ----

void TSkCustomAnimation::ResetTimes(bool AFlag, double ADelay) {
    FDelayTime = ADelay;
    if (FStartFromCurrent && !AFlag)
        FProcessTime = Clamp(FCurrentTime - Lower() * FDuration, 0, FProcessDuration);
    else
        FProcessTime = AFlag != FInverse ? FProcessDuration : 0;  // forward from 0, backward from the end
    RecalcProgress(true, Updating());
}

void TSkCustomAnimation::BeginRun(bool AReport) {
    FNeedStart = false;
    if (!FLoop) FTickCount = 0;
    if (FAutoReverse) {
        if (FRunning)
            FInverse = FSavedInverse;
        else
            FSavedInverse = FInverse;
    }
    if (FProcessDuration < TimeEpsilon) {  // nothing to play: start, report and finish at once
        ResetTimes(true, 0);
        FRunning = true;
        HandleStart();
        if (AReport && FAllowAnimation) HandleProcess();
        FRunning = false;
        FProcessTime = 0;
        HandleFinish();
        return;
    }
    ResetTimes(false, FDelay);
    FRunning = true;
    FEnabled = true;
    SetProcessing(ShouldProcess());
    HandleStart();
    if (FDelay < TimeEpsilon && AReport && FAllowAnimation) HandleProcess();
}

void TSkCustomAnimation::Start() { BeginRun(true); }

void TSkCustomAnimation::StartIfPending() {
    if (!FNeedStart) return;
    if (FAllowAnimation)
        BeginRun(false);
    else
        FNeedStartRepaint = true;
}

void TSkCustomAnimation::Stop() {
    FNeedStart = false;
    if (!FRunning) return;
    if (FAutoReverse) FInverse = FSavedInverse;
    if (FInverse) {
        FCurrentTime = 0;
        FProgress = 0;
    } else {
        FCurrentTime = FProcessDuration;
        FProgress = 1;
    }
    if (FAllowAnimation) HandleProcess();
    FRunning = false;
    FEnabled = false;
    SetProcessing(false);
    HandleFinish();
}

void TSkCustomAnimation::StopAtCurrent() {
    FNeedStart = false;
    if (!FRunning) return;
    if (FAutoReverse) FInverse = FSavedInverse;
    FRunning = false;
    FEnabled = false;
    SetProcessing(false);
    HandleFinish();
}

void TSkCustomAnimation::ProcessElapsed(double ADelta) {
    if (FOwner && FOwner->IsDestroying()) return;
    SetProcessing(ShouldProcess());
    if (!FRunning || FPause || FSpeed < TimeEpsilon || !FProcessing) return;

    if (FDelayTime >= TimeEpsilon) {
        FDelayTime -= ADelta;
        if (FDelayTime >= TimeEpsilon) return;
        ADelta = std::max(-FDelayTime, 0.0);  // the part of the tick after the delay ended
        ResetTimes(false, 0);
        if (ADelta < TimeEpsilon) return;
    }

    FProcessTime += FInverse ? -ADelta * FSpeed : ADelta * FSpeed;

    bool ended = false;
    if (FProcessTime >= FProcessDuration) {
        FProcessTime = FProcessDuration;
        if (FLoop && FAutoReverse) {
            FInverse = true;
        } else if (FLoop) {
            FProcessTime = 0;
        } else if (FAutoReverse && FTickCount == 0) {
            ++FTickCount;
            FInverse = true;
        } else {
            ended = true;
        }
    } else if (FProcessTime <= 0) {
        FProcessTime = 0;
        if (FLoop && FAutoReverse) {
            FInverse = false;
        } else if (FLoop) {
            FProcessTime = FProcessDuration;
        } else if (FAutoReverse && FTickCount == 0) {
            ++FTickCount;
            FInverse = false;
        } else {
            ended = true;
        }
    }
    if (ended) FRunning = false;

    RecalcProgress(true, Updating());
    if (ended) {
        if (FAutoReverse) FInverse = FSavedInverse;
        FEnabled = false;
        SetProcessing(false);
    }
    if (FAllowAnimation) HandleProcess();
    if (ended) HandleFinish();
}

void TSkCustomAnimation::NotifyRootChanged() {
    if (FProcessing) TProcess::RootChanged(this);
}

}  // namespace Skia::UI
