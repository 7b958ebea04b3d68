#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UI/Animation.h"

using namespace Skia::UI;

namespace {

// A timer service whose clock the test sets.
class TFakeTimers : public Ui::IUITimerService {
public:
    int32_t AddRef() noexcept override { return ++fRefs; }
    int32_t Release() noexcept override { return --fRefs; }  // lives on the test's stack
    Ui::TFmxHandle CreateTimer(int, Ui::TTimerProc) override { return 1; }
    bool DestroyTimer(Ui::TFmxHandle) override { return true; }
    double GetTick() override { return now; }
    double now = 100;

private:
    int32_t fRefs = 0;
};

// The pulse the process runs on; the test calls the tick.
class TFakePulse : public ISkAnimationPulse {
public:
    void SetRoot(Ui::TComponent* r) override { root = r; }
    Ui::TComponent* Root() const override { return root; }
    void SetEnabled(bool e) override { enabled = e; }
    bool Enabled() const override { return enabled; }
    Ui::TComponent* root = nullptr;
    bool enabled = false;
};

class TTestAnimation : public TSkCustomAnimation {
public:
    explicit TTestAnimation(Ui::TComponent* root) : TSkCustomAnimation(nullptr), fRoot(root) { AfterConstruction(); }
    using TSkCustomAnimation::SetDuration;
    Ui::TComponent* GetOwnerRoot() const override { return fRoot; }
    std::vector<std::string> events;
    std::vector<double> progress;  // at each HandleProcess
    std::function<void()> onProcess;

protected:
    void HandleFinish() override { events.push_back("finish"); }
    void HandleProcess() override {
        events.push_back("process");
        progress.push_back(Progress());
        if (onProcess) onProcess();
    }
    void HandleStart() override { events.push_back("start"); }

private:
    Ui::TComponent* fRoot;
};

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& services = Ui::TPlatformServices::Current();
        savedTimers = services.GetPlatformService<Ui::IUITimerService>();
        services.RemovePlatformService<Ui::IUITimerService>();
        services.AddPlatformService<Ui::IUITimerService>(Ui::Ref<Ui::IUITimerService>(&timers));
        TSkCustomAnimation::TProcess::Framework().MakePulse = [this](std::function<void()> t) {
            tick = std::move(t);
            auto p = std::make_unique<TFakePulse>();
            pulse = p.get();
            return p;
        };
    }
    void TearDown() override {
        TSkCustomAnimation::TProcess::Shutdown();
        TSkCustomAnimation::TProcess::Framework() = {};
        auto& services = Ui::TPlatformServices::Current();
        services.RemovePlatformService<Ui::IUITimerService>();
        if (savedTimers) services.AddPlatformService<Ui::IUITimerService>(savedTimers);
    }

    // A started animation of the given duration, allowed to animate.
    std::unique_ptr<TTestAnimation> Running(double duration, std::function<void(TTestAnimation&)> setup = {}) {
        auto a = std::make_unique<TTestAnimation>(&root);
        a->SetDuration(duration);
        if (setup) setup(*a);
        a->SetAllowAnimation(true);
        a->Start();
        a->events.clear();
        a->progress.clear();
        return a;
    }

    void Advance(double seconds) {
        timers.now += seconds;
        tick();
    }

    TFakeTimers timers;
    Ui::Ref<Ui::IUITimerService> savedTimers;
    Ui::TComponent root{nullptr};
    std::function<void()> tick;
    TFakePulse* pulse = nullptr;
};

TEST_F(AnimationTest, ALoopingRunWrapsAndNeverFinishes) {
    auto a = Running(2);
    for (int i = 0; i < 4; ++i) Advance(0.5);
    EXPECT_EQ(a->progress, (std::vector<double>{0.25, 0.5, 0.75, 0}));
    EXPECT_TRUE(a->Running());
    EXPECT_EQ(std::count(a->events.begin(), a->events.end(), "finish"), 0);
}

TEST_F(AnimationTest, ANonLoopingRunEndsAtOneAndFinishesAfterItsLastReport) {
    auto a = Running(2, [](TTestAnimation& a) { a.SetLoop(false); });
    for (int i = 0; i < 5; ++i) Advance(0.5);
    EXPECT_EQ(a->progress, (std::vector<double>{0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(a->events.back(), "finish");
    EXPECT_EQ(a->events[a->events.size() - 2], "process");
    EXPECT_FALSE(a->Running());
    EXPECT_FALSE(a->Enabled());
    EXPECT_TRUE(TSkCustomAnimation::TProcess::Instance()->Animations().empty());
}

TEST_F(AnimationTest, AutoReverseWithoutLoopGoesThereAndBackOnce) {
    auto a = Running(1, [](TTestAnimation& a) {
        a.SetLoop(false);
        a.SetAutoReverse(true);
    });
    for (int i = 0; i < 6; ++i) Advance(0.5);
    EXPECT_EQ(a->progress, (std::vector<double>{0.5, 1, 0.5, 0}));
    EXPECT_FALSE(a->Running());
    EXPECT_FALSE(a->Inverse());  // restored to its value before the start
}

TEST_F(AnimationTest, ADelayHoldsTheRunAndItsOvershootCounts) {
    auto a = Running(2, [](TTestAnimation& a) { a.SetDelay(1); });
    Advance(0.4);
    Advance(0.4);
    EXPECT_TRUE(a->progress.empty());
    Advance(0.4);  // 0.2 s past the delay
    ASSERT_EQ(a->progress.size(), 1u);
    EXPECT_NEAR(a->progress[0], 0.1, 1e-9);
}

TEST_F(AnimationTest, APartialRangePlaysOnlyItsPart) {
    auto a = Running(4, [](TTestAnimation& a) {
        a.SetLoop(false);
        a.SetStartProgress(0.25);
        a.SetStopProgress(0.75);
    });
    for (int i = 0; i < 5; ++i) Advance(0.5);
    EXPECT_EQ(a->progress, (std::vector<double>{0.375, 0.5, 0.625, 0.75}));
}

TEST_F(AnimationTest, ZeroSpeedNeverAdvancesNorRegisters) {
    for (double speed : {0.0, 0.0004}) {
        auto a = Running(2, [speed](TTestAnimation& a) { a.SetSpeed(speed); });
        EXPECT_DOUBLE_EQ(a->Speed(), 0);
        EXPECT_TRUE(TSkCustomAnimation::TProcess::Instance() == nullptr ||
                    TSkCustomAnimation::TProcess::Instance()->Animations().empty());
    }
}

TEST_F(AnimationTest, NothingToPlayStartsReportsAndFinishesAtOnce) {
    auto a = std::make_unique<TTestAnimation>(&root);
    a->SetStartProgress(0.3);
    a->SetAllowAnimation(true);
    a->events.clear();
    a->Start();
    EXPECT_EQ(a->events, (std::vector<std::string>{"start", "process", "finish"}));
    EXPECT_DOUBLE_EQ(a->Progress(), 0.3);
}

TEST_F(AnimationTest, TicksUnderAMillisecondApartAreIgnoredButTheirTimeCounts) {
    auto a = Running(2);
    Advance(0.5);
    Advance(0.0005);
    EXPECT_EQ(a->progress.size(), 1u);
    Advance(0.4995);
    EXPECT_EQ(a->progress, (std::vector<double>{0.25, 0.5}));
}

TEST_F(AnimationTest, StopJumpsToTheEndAndStopAtCurrentStaysPut) {
    auto a = Running(2);
    Advance(0.5);
    a->events.clear();
    a->Stop();
    EXPECT_EQ(a->events, (std::vector<std::string>{"process", "finish"}));
    EXPECT_DOUBLE_EQ(a->Progress(), 1);

    auto b = Running(2);
    Advance(0.5);
    b->events.clear();
    b->StopAtCurrent();
    EXPECT_EQ(b->events, (std::vector<std::string>{"finish"}));
    EXPECT_DOUBLE_EQ(b->Progress(), 0.25);
}

TEST_F(AnimationTest, SettingTheDelayAloneNotifiesNothing) {
    auto a = std::make_unique<TTestAnimation>(&root);
    int changes = 0;
    a->OnChange = [&](Ui::TObject*) { ++changes; };
    a->SetDelay(0.5);
    EXPECT_EQ(changes, 0);
    EXPECT_DOUBLE_EQ(a->Delay(), 0.5);
    a->SetLoop(false);
    EXPECT_EQ(changes, 1);
}

TEST_F(AnimationTest, ANewAnimationStartsAtItsOwnersFirstAllowedPaint) {
    auto a = std::make_unique<TTestAnimation>(&root);
    a->SetDuration(10000);
    EXPECT_TRUE(a->Enabled());
    EXPECT_FALSE(a->Running());
    a->StartIfPending();  // not allowed yet: remembered
    EXPECT_FALSE(a->Running());
    a->SetAllowAnimation(true);  // the refused start happens now
    EXPECT_TRUE(a->Running());
    ASSERT_NE(pulse, nullptr);
    EXPECT_EQ(pulse->root, &root);
    EXPECT_TRUE(pulse->enabled);
}

TEST_F(AnimationTest, ALoopingAnimationStopsTakingTicksWhileItsOwnerCannotAnimate) {
    auto a = Running(2);
    a->SetAllowAnimation(false);
    EXPECT_TRUE(TSkCustomAnimation::TProcess::Instance()->Animations().empty());
    EXPECT_FALSE(pulse->enabled);
    a->SetAllowAnimation(true);
    EXPECT_TRUE(pulse->enabled);
}

TEST_F(AnimationTest, AnAnimationMayRemoveAnotherDuringTheTick) {
    auto a = Running(2);
    auto b = Running(2);
    // b is walked first (the walk runs from the last entry); stopping a from b's step must not
    // disturb the walk.
    TTestAnimation* victim = a.get();
    b->onProcess = [victim] { victim->StopAtCurrent(); };
    Advance(0.5);
    EXPECT_FALSE(a->Running());
    EXPECT_TRUE(a->progress.empty());  // taken off the tick's work list before its turn
    EXPECT_EQ(b->progress, (std::vector<double>{0.25}));
}

}  // namespace
