// The shared process that advances every running TSkCustomAnimation.
#include <algorithm>
#include <cmath>

#include "UI/Animation.h"

namespace Skia::UI {

namespace {

// The pulse rate of the framework's animation timer: trunc(1000 / rate / 10) * 10 ms at 60
// frames per second, that is 10 ms.
constexpr int PulseIntervalMs = 10;

// A pulse on the framework's timer service: a timer runs while the pulse is enabled and rooted.
class TTimerPulse final : public ISkAnimationPulse {
public:
    TTimerPulse(Ui::Ref<Ui::IUITimerService> timers, std::function<void()> tick)
        : fTimers(std::move(timers)), fTick(std::move(tick)) {}
    ~TTimerPulse() override { StopTimer(); }

    void SetRoot(Ui::TComponent* root) override {
        fRoot = root;
        Update();
    }
    Ui::TComponent* Root() const override { return fRoot; }
    void SetEnabled(bool enabled) override {
        fEnabled = enabled;
        Update();
    }
    bool Enabled() const override { return fEnabled; }

private:
    void Update() {
        if (fEnabled && fRoot && !fTimer)
            fTimer = fTimers->CreateTimer(PulseIntervalMs, fTick);
        else if (!(fEnabled && fRoot))
            StopTimer();
    }
    void StopTimer() {
        if (fTimer) fTimers->DestroyTimer(fTimer);
        fTimer = 0;
    }

    Ui::Ref<Ui::IUITimerService> fTimers;
    std::function<void()> fTick;
    Ui::TComponent* fRoot = nullptr;
    bool fEnabled = false;
    Ui::TFmxHandle fTimer = 0;
};

// The process lives until the program ends and is not destroyed at exit: it talks to framework
// services that static destruction may already have taken down.
TSkCustomAnimation::TProcess*& Holder() {
    static TSkCustomAnimation::TProcess* process = nullptr;
    return process;
}

template <class T>
void Erase(std::vector<T>& list, const T& value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

}  // namespace

using TProcess = TSkCustomAnimation::TProcess;

TProcess::TFramework& TProcess::Framework() {
    static TFramework framework;
    return framework;
}

TProcess* TProcess::Instance() { return Holder(); }

void TProcess::Shutdown() {
    delete Holder();
    Holder() = nullptr;
}

void TProcess::Add(TSkCustomAnimation* AAnimation) {
    auto*& holder = Holder();
    if (!holder) holder = new TProcess();
    holder->DoAdd(AAnimation);
}

void TProcess::Remove(TSkCustomAnimation* AAnimation) {
    if (auto* p = Instance()) p->DoRemove(AAnimation);
}

void TProcess::RootChanged(TSkCustomAnimation* AAnimation) {
    if (auto* p = Instance()) p->DoRootChanged(AAnimation);
}

TProcess::TProcess() {
    FTimerService = Ui::TPlatformServices::Current().GetRequiredPlatformService<Ui::IUITimerService>("IUITimerService");
    auto& framework = Framework();
    auto tick = [this] { Tick(); };
    if (framework.MakePulse)
        FAnimation = framework.MakePulse(tick);
    else
        FAnimation = std::make_unique<TTimerPulse>(FTimerService, tick);
    if (framework.SubscribeMainFormChanged)
        FMainFormChangedMessageId = framework.SubscribeMainFormChanged([this] {
            FAnimation->SetRoot(nullptr);
            FAniRoot = nullptr;
            ChooseRoot();
            UpdateEnabled();
        });
}

TProcess::~TProcess() {
    if (FMainFormChangedMessageId && Framework().Unsubscribe) Framework().Unsubscribe(FMainFormChangedMessageId);
}

void TProcess::DoAdd(TSkCustomAnimation* AAnimation) {
    if (std::find(FAniList.begin(), FAniList.end(), AAnimation) == FAniList.end()) FAniList.push_back(AAnimation);
    if (!FAnimation->Enabled() && !FAniList.empty()) {
        FTime = FTimerService->GetTick();
        auto* mainForm = Framework().MainForm ? Framework().MainForm() : nullptr;
        if (mainForm) {
            FAnimation->SetRoot(mainForm);
            FAniRoot = nullptr;
        } else if (auto* root = AAnimation->GetOwnerRoot()) {
            FAnimation->SetRoot(root);
            FAniRoot = AAnimation;
        }
    }
    UpdateEnabled();
}

void TProcess::DoRemove(TSkCustomAnimation* AAnimation) {
    Erase(FAniList, AAnimation);
    Erase(FAniProcessingList, AAnimation);
    if (AAnimation == FAniRoot) {
        FAnimation->SetRoot(nullptr);
        FAniRoot = nullptr;
        ChooseRoot();
    }
    UpdateEnabled();
}

void TProcess::DoRootChanged(TSkCustomAnimation* AAnimation) {
    if (AAnimation == FAniRoot) {
        FAnimation->SetRoot(nullptr);
        FAniRoot = nullptr;
        ChooseRoot();
    } else if (!FAnimation->Root()) {
        if (auto* root = AAnimation->GetOwnerRoot()) {
            FAnimation->SetRoot(root);
            FAniRoot = AAnimation;
        }
    }
    UpdateEnabled();
}

void TProcess::ChooseRoot() {
    if (auto* mainForm = Framework().MainForm ? Framework().MainForm() : nullptr) {
        FAnimation->SetRoot(mainForm);
        FAniRoot = nullptr;
        return;
    }
    for (auto* animation : FAniList) {
        if (auto* root = animation->GetOwnerRoot()) {
            FAnimation->SetRoot(root);
            FAniRoot = animation;
            return;
        }
    }
}

void TProcess::UpdateEnabled() { FAnimation->SetEnabled(FAnimation->Root() != nullptr && !FAniList.empty()); }

void TProcess::Tick() {
    const double now = FTimerService->GetTick();
    const double delta = now - FTime;
    if (!(delta >= 0.001)) return;  // too soon, or not a number: the time counts toward the next tick
    FTime = now;
    if (FAniList.empty()) return;

    FAniProcessingList.insert(FAniProcessingList.end(), FAniList.begin(), FAniList.end());
    // From the last entry down; an animation may remove itself or others during its step, and
    // Remove takes it off this list too.
    for (ptrdiff_t i = ptrdiff_t(FAniProcessingList.size()) - 1; i >= 0;) {
        auto* animation = FAniProcessingList[size_t(i)];
        FAniProcessingList.erase(FAniProcessingList.begin() + i);
        if (animation->Running()) animation->ProcessElapsed(delta);
        i = std::min(i - 1, ptrdiff_t(FAniProcessingList.size()) - 1);
    }
}

}  // namespace Skia::UI
