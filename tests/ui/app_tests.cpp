// Forms run by the application over the offscreen back end: start-up order, injected input
// reaching the handlers, painting, exceptions reported while the loop goes on, and the
// animation pulse.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ui/Animation.h"
#include "ui/Forms.h"
#include "ui/Messaging.h"
#include "ui/Offscreen.h"
#include "ui/Threading.h"
#include "ui/Window.h"

using namespace Ui;

namespace {

TPlatformEvent Event(TPlatformEventKind kind, TForm& form) {
    TPlatformEvent e;
    e.Kind = kind;
    e.Window = form.Handle()->PlatformWindow();
    return e;
}

// A form shaped like the game's: one client-aligned box taking mouse presses and double taps.
class TGameForm : public TForm {
public:
    TControl* Box;
    std::vector<std::string> Log;
    float BoxWidthAtCreate = -1;

    explicit TGameForm(TComponent* owner) : TForm(owner) {
        SetCaption("Tilefall - Press space to reset");
        SetClientSize(640, 347);
        SetPosition(TFormPosition::ScreenCenter);
        Box = new TControl(this);
        Box->SetName("Box");
        Box->SetParent(this);
        Box->SetAlign(TAlignLayout::Client);
        Box->Touch.InteractiveGestures = {TInteractiveGesture::DoubleTap};
        Box->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, float x, float y) {
            Log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(static_cast<int>(x)) +
                          "," + std::to_string(static_cast<int>(y)) +
                          (s.Contains(TShiftStateItem::Double) ? " double" : ""));
        };
        Box->OnGesture = [this](TObject*, const TGestureEventInfo& info, bool&) {
            Log.push_back("gesture " + std::to_string(info.GestureID));
        };
        Box->OnPaint = [](TObject*, TCanvas& c, const TRectF&) {
            c.Fill().Color = 0xFF00FF00;
            c.FillRect({0, 0, 10, 10}, 1);
        };
        OnCreate = [this](TObject*) {
            BoxWidthAtCreate = Box->Width();
            Log.push_back("create");
        };
        OnKeyDown = [this](TObject*, uint16_t& key, char32_t& ch, TShiftState) {
            Log.push_back("keydown " + std::to_string(key) + " " + std::to_string(static_cast<uint32_t>(ch)));
        };
        OnKeyUp = [this](TObject*, uint16_t& key, char32_t& ch, TShiftState) {
            Log.push_back("keyup " + std::to_string(key) + " " + std::to_string(static_cast<uint32_t>(ch)));
        };
    }
};

// Ends a Run that would otherwise wait forever.
struct TWatchdog {
    TFmxHandle timer;
    explicit TWatchdog(TApplication& app) {
        timer = TPlatformServices::Current().GetPlatformService<IUITimerService>()->CreateTimer(
            5000, [&app] {
                ADD_FAILURE() << "the loop did not end by itself";
                app.Terminate();
            });
    }
    ~TWatchdog() { TPlatformServices::Current().GetPlatformService<IUITimerService>()->DestroyTimer(timer); }
};

TEST(Application, RunsTheGameFormWithInjectedInput) {
    TApplication app;
    app.Initialize();
    TGameForm* form = nullptr;
    app.CreateForm(form);
    EXPECT_EQ(form, nullptr);  // recorded, not made yet
    TForm* second = nullptr;
    app.CreateForm(second);
    app.FormFactor.Orientations = {TFormOrientation::Landscape, TFormOrientation::InvertedLandscape};
    EXPECT_EQ(app.FormFactor.Orientations.Bits(), 10u);
    app.OnException = [](TObject*, std::exception_ptr) { ADD_FAILURE() << "unexpected exception"; };
    TWatchdog watchdog(app);
    Ref<IUITimerService> timers = TPlatformServices::Current().GetPlatformService<IUITimerService>();
    TFmxHandle closer = 0;

    // The first form made becomes the main form: script the user's input once it is shown.
    TForm* announced = nullptr;
    int shows = 0;
    TMessageManager& bus = TMessageManager::DefaultManager();
    const int sub = bus.SubscribeToMessage<TMainFormChangedMessage>([&](TObject*, const TMainFormChangedMessage& m) {
        announced = m.Value();
        if (!m.Value()) return;
        TForm& f = *m.Value();
        f.OnShow = [&](TObject*) {
            ++shows;
            TPlatformEvent e = Event(TPlatformEventKind::KeyDown, f);
            e.Key = 37;
            Offscreen::PostEvent(e);
            e = Event(TPlatformEventKind::Char, f);
            e.KeyChar = U' ';
            Offscreen::PostEvent(e);
            e = Event(TPlatformEventKind::KeyUp, f);
            e.Key = 37;
            Offscreen::PostEvent(e);
            e = Event(TPlatformEventKind::MouseDown, f);
            e.Button = TMouseButton::Right;
            e.X = 100;
            e.Y = 50;
            Offscreen::PostEvent(e);
            e = Event(TPlatformEventKind::MouseDown, f);
            e.X = 10;
            e.Y = 20;
            e.Clicks = 2;
            Offscreen::PostEvent(e);
            Offscreen::ResizeByUser(f.Handle()->PlatformWindow(), 320, 200);
            // Close only after the loop had time to paint.
            closer = timers->CreateTimer(50, [&] {
                timers->DestroyTimer(closer);
                Offscreen::PostEvent(Event(TPlatformEventKind::CloseRequest, f));
            });
        };
    });
    app.Run();
    bus.Unsubscribe<TMainFormChangedMessage>(sub);

    ASSERT_NE(form, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(app.MainForm(), form);
    EXPECT_EQ(announced, form);
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(second->Visible());  // only the main form is shown
    EXPECT_FLOAT_EQ(form->BoxWidthAtCreate, 640);  // children exist and are aligned before OnCreate
    EXPECT_EQ(form->Log, (std::vector<std::string>{"create", "keydown 37 0", "keydown 0 32", "keyup 37 0",
                                                   "down 1 100,50", "down 0 10,20 double", "gesture 265"}));
    EXPECT_EQ(form->Box->BoundsRect(), TRectF(0, 0, 320, 200));  // followed the user's resize

    TPlatformWindow* window = form->Handle()->PlatformWindow();
    const Offscreen::TWindowInfo info = Offscreen::Info(window);
    EXPECT_EQ(info.Caption, "Tilefall - Press space to reset");
    EXPECT_TRUE(info.Centered);
    EXPECT_EQ(info.ClientWidth, 320);
    EXPECT_FALSE(info.Visible);  // closing the main form hid it and ended the loop
    EXPECT_GE(info.PresentCount, 1);
    EXPECT_EQ(Offscreen::Pixel(window, 5, 5), 0xFF00FF00u);     // the box's OnPaint
    EXPECT_EQ(Offscreen::Pixel(window, 50, 50), 0xFFFFFFFFu);   // the form's white background
}

TEST(Application, FormCreationFailureLeavesRunWithoutAWindow) {
    TApplication app;
    struct TFailing : TForm {
        explicit TFailing(TComponent* owner) : TForm(owner) {
            OnCreate = [](TObject*) { throw Exception("The specified file was not found"); };
        }
    };
    TFailing* form = nullptr;
    app.CreateForm(form);
    const size_t windows = Offscreen::Windows().size();
    try {
        app.Run();
        FAIL() << "Run returned";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "The specified file was not found");
    }
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(app.MainForm(), nullptr);
    EXPECT_EQ(Offscreen::Windows().size(), windows);
    EXPECT_EQ(app.ComponentCount(), 0);  // the half-made form is gone
}

TEST(Application, ExceptionsInHandlersAreReportedAndTheLoopGoesOn) {
    TApplication app;
    TForm* form = nullptr;
    app.CreateForm(form);
    TWatchdog watchdog(app);
    std::vector<std::string> reports;
    app.OnException = [&](TObject* sender, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            reports.push_back(std::string(x.what()) + (sender == form ? " from the form" : ""));
        }
    };
    int keys = 0;
    bool shownOnce = false;
    TMessageManager& bus = TMessageManager::DefaultManager();
    const int sub = bus.SubscribeToMessage<TMainFormChangedMessage>([&](TObject*, const TMainFormChangedMessage& m) {
        if (!m.Value()) return;
        TForm& f = *m.Value();
        f.OnKeyDown = [&](TObject*, uint16_t& key, char32_t&, TShiftState) {
            ++keys;
            if (key == 1) throw Exception("frame failed");
            if (key == 2) Abort();  // silent
        };
        f.OnShow = [&](TObject*) {
            shownOnce = true;
            for (uint16_t k : {1, 2, 3}) {
                TPlatformEvent e = Event(TPlatformEventKind::KeyDown, f);
                e.Key = k;
                Offscreen::PostEvent(e);
            }
            Offscreen::PostEvent(Event(TPlatformEventKind::CloseRequest, f));
        };
    });
    app.Run();
    bus.Unsubscribe<TMainFormChangedMessage>(sub);
    EXPECT_TRUE(shownOnce);
    EXPECT_EQ(keys, 3);  // the keys after the failure still arrived
    EXPECT_EQ(reports, (std::vector<std::string>{"frame failed from the form"}));
}

TEST(Application, DefaultReportShowsTheErrorDialog) {
    TApplication app;
    app.Initialize();
    Offscreen::ClearErrorDialogs();
    try {
        throw Exception("Operation is invalid");
    } catch (...) {
        app.HandleException(nullptr);
    }
    try {
        Abort();
    } catch (...) {
        app.HandleException(nullptr);
    }
    EXPECT_EQ(Offscreen::ErrorDialogs(), (std::vector<std::string>{"Operation is invalid"}));
}

TEST(Application, CloseQueryAndCloseActionDecide) {
    TApplication app;
    auto* form = CreateForm<TForm>(&app);
    form->Show();
    bool allow = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    form->Close();
    EXPECT_TRUE(form->Visible());
    allow = true;
    form->OnClose = [](TObject*, TCloseAction& action) { action = TCloseAction::Free; };
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    app.SetMainForm(nullptr);
    form->Close();
    EXPECT_FALSE(destroyed);  // freed once the event is handled
    app.ProcessMessages();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(app.ComponentCount(), 0);
    EXPECT_FALSE(app.Terminated());  // not the main form
}

TEST(Application, TimersAndThePulseRunOnTheLoop) {
    TApplication app;
    auto* form = CreateForm<TForm>(&app);
    auto* pulse = new TAnimation(nullptr);
    pulse->SetLoop(true);
    pulse->SetDuration(30);
    int ticks = 0;
    pulse->OnProcess = [&](TObject*) { ++ticks; };
    pulse->SetEnabled(true);
    EXPECT_TRUE(TAnimator::TimerActive());
    EXPECT_EQ(TAnimator::IntervalMs(), 10);

    auto spin = [&](int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) app.HandleMessage();
    };
    spin(60);
    EXPECT_EQ(ticks, 0);  // not rooted: no frames
    pulse->SetParent(form);
    spin(100);
    EXPECT_GE(ticks, 3);
    EXPECT_LE(ticks, 11);
    EXPECT_GT(pulse->CurrentTime(), 0.05f);
    pulse->SetEnabled(false);
    EXPECT_FALSE(TAnimator::TimerActive());
    const int stopped = ticks;
    spin(40);
    EXPECT_EQ(ticks, stopped);

    TAnimator::SetAniFrameRate(1000);
    EXPECT_EQ(TAnimator::AniFrameRate(), 100);
    TAnimator::SetAniFrameRate(30);
    EXPECT_EQ(TAnimator::IntervalMs(), 30);
    TAnimator::SetAniFrameRate(60);
}

TEST(Animation, NonLoopingRunEndsAtItsDuration) {
    TAnimation a(nullptr);
    a.SetDuration(1);
    int finished = 0;
    a.OnFinish = [&](TObject*) { ++finished; };
    a.Start();
    a.ProcessTick(0.4f);
    EXPECT_FLOAT_EQ(a.NormalizedTime(), 0.4f);
    a.ProcessTick(0.8f);
    EXPECT_FLOAT_EQ(a.NormalizedTime(), 1);
    EXPECT_FALSE(a.Running());
    EXPECT_FALSE(a.Enabled());
    EXPECT_EQ(finished, 1);
    a.ProcessTick(NAN);  // ignored
    EXPECT_EQ(finished, 1);
}

}  // namespace
