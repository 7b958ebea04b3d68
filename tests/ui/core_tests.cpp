// The class registry, the platform services, the message bus, the debug log and the
// main-thread queue.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ui/Classes.h"
#include "ui/InterfacedObject.h"
#include "ui/Log.h"
#include "ui/Messaging.h"
#include "ui/PlatformServices.h"
#include "ui/Threading.h"

using namespace Ui;

namespace {

class TRegisteredWidget : public TComponent {
public:
    using TComponent::TComponent;
};

class TPlainOption : public TPersistent {};

class TAbstractThing : public TComponent {
public:
    using TComponent::TComponent;
    virtual void Must() = 0;
};

TEST(ClassRegistry, FindsRegisteredClassesByNameAndMakesThem) {
    RegisterClass<TRegisteredWidget>();
    RegisterClass<TPlainOption>();
    RegisterClass<TAbstractThing>();

    TComponent owner(nullptr);
    TPersistent* made = TClassRegistry::Create("TRegisteredWidget", &owner);
    ASSERT_NE(dynamic_cast<TRegisteredWidget*>(made), nullptr);
    EXPECT_EQ(static_cast<TComponent*>(made)->Owner(), &owner);  // the owner frees it
    EXPECT_EQ(made->ClassName(), "TRegisteredWidget");

    std::unique_ptr<TPersistent> option(TClassRegistry::Create("TPlainOption", nullptr));
    EXPECT_NE(dynamic_cast<TPlainOption*>(option.get()), nullptr);

    EXPECT_NE(TClassRegistry::Get("TAbstractThing"), nullptr);
    EXPECT_THROW(TClassRegistry::Create("TAbstractThing", nullptr), EClassNotFound);
}

TEST(ClassRegistry, UnknownNamesAndClashesAreErrors) {
    EXPECT_EQ(TClassRegistry::Get("TNoSuchClass"), nullptr);
    try {
        TClassRegistry::Find("TNoSuchClass");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class TNoSuchClass not found");
    }
    RegisterClass<TRegisteredWidget>("TClashing");
    RegisterClass<TRegisteredWidget>("TClashing");  // the same class again is fine
    EXPECT_THROW(RegisterClass<TPlainOption>("TClashing"), EComponentError);
    EXPECT_THROW(RegisterClass<TPlainOption>(""), EComponentError);
    TClassRegistry::Unregister("TClashing");
    EXPECT_EQ(TClassRegistry::Get("TClashing"), nullptr);
}

TEST(Component, OwnerDestroysOwnedComponentsAndNamesAreUnique) {
    auto* owner = new TComponent(nullptr);
    auto* a = new TComponent(owner);
    auto* b = new TComponent(owner);
    a->SetName("First");
    EXPECT_THROW(b->SetName("First"), EComponentError);
    EXPECT_THROW(b->SetName("1st"), EComponentError);
    b->SetName("Second");
    EXPECT_EQ(owner->FindComponent("Second"), b);
    EXPECT_EQ(owner->ComponentCount(), 2);
    delete a;  // leaves its owner's list
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_THROW(owner->Components(1), EComponentError);
    delete owner;  // frees b; ASan reports a leak or double free otherwise
}

TEST(Persistent, AssignWithoutSupportRaisesConvertError) {
    TPlainOption a, b;
    try {
        a.Assign(&b);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TPlainOption to a TPlainOption.");
    }
    EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

class ITestService : public virtual IInterface {
public:
    virtual int Answer() = 0;
};

class TTestService : public TInterfacedObject, public ITestService {
public:
    explicit TTestService(int answer) : fAnswer(answer) {}
    int Answer() override { return fAnswer; }

private:
    int fAnswer;
};

TEST(PlatformServices, AddGetRemoveByInterface) {
    TPlatformServices& services = TPlatformServices::Current();
    EXPECT_EQ(services.GetPlatformService<ITestService>(), nullptr);
    EXPECT_FALSE(services.SupportsPlatformService<ITestService>());
    try {
        services.GetRequiredPlatformService<ITestService>("ITestService");
        FAIL();
    } catch (const EUnsupportedPlatformService& e) {
        EXPECT_STREQ(e.what(), "Unsupported platform service: ITestService");
    }

    EXPECT_TRUE(services.AddPlatformService<ITestService>(Ref<ITestService>(new TTestService(1))));
    // A second service for the same interface does not replace the first.
    EXPECT_FALSE(services.AddPlatformService<ITestService>(Ref<ITestService>(new TTestService(2))));
    Ref<ITestService> got;
    ASSERT_TRUE(services.SupportsPlatformService(&got));
    EXPECT_EQ(got->Answer(), 1);

    // Replacing is remove, then add (as a wrapping service does).
    services.RemovePlatformService<ITestService>();
    services.AddPlatformService<ITestService>(Ref<ITestService>(new TTestService(3)));
    EXPECT_EQ(services.GetPlatformService<ITestService>()->Answer(), 3);
    services.RemovePlatformService<ITestService>();
    EXPECT_EQ(services.GetPlatformService<ITestService>(), nullptr);
}

TEST(PlatformServices, FrameworkServicesAreInstalled) {
    Ref<IUITimerService> timers = TPlatformServices::Current().GetPlatformService<IUITimerService>();
    ASSERT_NE(timers, nullptr);
    EXPECT_NE(TPlatformServices::Current().GetPlatformService<IUICanvasService>(), nullptr);

    // The tick is seconds of a steady clock.
    const double t0 = timers->GetTick();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double dt = timers->GetTick() - t0;
    EXPECT_GE(dt, 0.019);
    EXPECT_LT(dt, 5.0);

    EXPECT_EQ(timers->CreateTimer(10, nullptr), 0u);
    const TFmxHandle timer = timers->CreateTimer(10, [] {});
    EXPECT_NE(timer, 0u);
    EXPECT_TRUE(timers->DestroyTimer(timer));
    EXPECT_FALSE(timers->DestroyTimer(timer));
}

class TPingMessage : public TMessage<int> {
public:
    using TMessage::TMessage;
};

class TPongMessage : public TMessageBase {};

TEST(MessageManager, DeliversByExactClassInSubscriptionOrder) {
    TMessageManager bus;
    std::vector<std::string> log;
    const int a = bus.SubscribeToMessage<TPingMessage>([&](TObject*, const TPingMessage& m) {
        log.push_back("a" + std::to_string(m.Value()));
    });
    bus.SubscribeToMessage<TPingMessage>([&](TObject*, const TPingMessage& m) {
        log.push_back("b" + std::to_string(m.Value()));
    });
    bus.SubscribeToMessage<TPongMessage>([&](TObject*, const TPongMessage&) { log.push_back("pong"); });

    bus.SendMessage(nullptr, TPingMessage(1));
    bus.Unsubscribe<TPingMessage>(a);
    bus.Unsubscribe<TPingMessage>(12345);  // unknown ids are ignored
    bus.SendMessage(nullptr, std::make_unique<TPingMessage>(2));
    bus.SendMessage(nullptr, TPongMessage());
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1", "b2", "pong"}));
}

TEST(MessageManager, ListenerMayUnsubscribeOthersDuringDelivery) {
    TMessageManager bus;
    int second = 0, calls = 0;
    bus.SubscribeToMessage<TPongMessage>([&](TObject*, const TPongMessage&) {
        ++calls;
        bus.Unsubscribe<TPongMessage>(second);
    });
    second = bus.SubscribeToMessage<TPongMessage>([&](TObject*, const TPongMessage&) { calls += 100; });
    bus.SendMessage(nullptr, TPongMessage());
    EXPECT_EQ(calls, 1);
}

TEST(MessageManager, MainFormChangedMessageCarriesTheForm) {
    TForm* seen = reinterpret_cast<TForm*>(1);
    TMessageManager& bus = TMessageManager::DefaultManager();
    const int id = bus.SubscribeToMessage<TMainFormChangedMessage>(
        [&](TObject*, const TMainFormChangedMessage& m) { seen = m.Value(); });
    bus.SendMessage(nullptr, TMainFormChangedMessage(nullptr));
    bus.Unsubscribe<TMainFormChangedMessage>(id);
    EXPECT_EQ(seen, nullptr);
}

TEST(Log, SinkCapturesMessages) {
    std::vector<std::string> lines;
    Log::TSink previous = Log::SetSink([&](const std::string& m) { lines.push_back(m); });
    Log::d("one");
    Log::d("two");
    Log::SetSink(previous);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

TEST(MainThread, SynchronizeWaitsForTheMainThreadAndRaisesInTheCaller) {
    ASSERT_TRUE(TThread::IsMainThread());
    std::atomic<int> stage{0};
    bool ranOnMain = false;
    bool caught = false;
    std::thread worker([&] {
        EXPECT_FALSE(TThread::IsMainThread());
        TThread::Synchronize([&] { ranOnMain = TThread::IsMainThread(); });
        stage = 1;  // only after the main thread ran it
        try {
            TThread::Synchronize([] { throw Exception("from main"); });
        } catch (const Exception& e) {
            caught = std::string(e.what()) == "from main";
        }
        stage = 2;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (stage < 2 && std::chrono::steady_clock::now() < deadline) {
        EXPECT_TRUE(stage == 0 || stage == 1);
        TThread::CheckSynchronize();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(caught);
}

TEST(MainThread, QueueRunsLaterWithoutWaitingAndAtOnceOnMain) {
    int order = 0, fromWorker = 0, onMain = 0;
    TThread::Queue([&] { onMain = ++order; });
    EXPECT_EQ(onMain, 1);  // on the main thread: at once
    std::thread worker([&] { TThread::Queue([&] { fromWorker = ++order; }); });
    worker.join();  // the worker did not wait for the main thread
    EXPECT_EQ(fromWorker, 0);
    EXPECT_TRUE(TThread::CheckSynchronize());
    EXPECT_EQ(fromWorker, 2);
    EXPECT_FALSE(TThread::CheckSynchronize());
}

}  // namespace
