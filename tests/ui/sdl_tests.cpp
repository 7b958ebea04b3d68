// The SDL2 back end: the key-code table; a real window under X (skipped without a display) whose
// input arrives through SDL's event queue, whose pixels reach the X server and which is not
// painted while another client unmaps it; no start on SDL's invisible fallback drivers unless
// asked for; X errors kept while a window is made.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "X11ErrorTrap.h"
#include "ui/Forms.h"
#include "ui/Sdl.h"
#include "ui/Window.h"

// After the framework's headers: X11 defines None as a macro.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace Ui;

// SDL's session bus connection (libdbus) keeps a buffer for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

TEST(SdlKeys, VirtualKeyCodes) {
    struct Case { SDL_Keycode sdl; uint16_t vk; };
    for (const Case& c : {Case{SDLK_LEFT, 37}, Case{SDLK_UP, 38}, Case{SDLK_RIGHT, 39}, Case{SDLK_DOWN, 40},
                          Case{SDLK_SPACE, 32}, Case{SDLK_RETURN, 13}, Case{SDLK_KP_ENTER, 13},
                          Case{SDLK_ESCAPE, 27}, Case{SDLK_BACKSPACE, 8}, Case{SDLK_TAB, 9},
                          Case{SDLK_a, 'A'}, Case{SDLK_z, 'Z'}, Case{SDLK_0, '0'}, Case{SDLK_9, '9'},
                          Case{SDLK_F1, 112}, Case{SDLK_F12, 123}, Case{SDLK_LSHIFT, 16}, Case{SDLK_RCTRL, 17},
                          Case{SDLK_DELETE, 46}, Case{SDLK_KP_5, 101}, Case{SDLK_COMMA, 188},
                          Case{SDLK_UNKNOWN, 0}, Case{SDLK_AUDIOPLAY, 0}})
        EXPECT_EQ(Sdl::VirtualKeyOf(c.sdl), c.vk) << SDL_GetKeyName(c.sdl);
}

class TLoggingForm : public TForm {
public:
    TControl* Box;
    std::vector<std::string> Log;
    int Paints = 0;

    explicit TLoggingForm(TComponent* owner) : TForm(owner) {
        SetCaption("Tilefall - Press space to reset");
        SetClientSize(240, 120);
        SetPosition(TFormPosition::ScreenCenter);
        Fill.Color = 0xFFFF0000;
        Box = new TControl(this);
        Box->SetParent(this);
        Box->SetAlign(TAlignLayout::Client);
        Box->Touch.InteractiveGestures = {TInteractiveGesture::DoubleTap};
        Box->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, float x, float y) {
            Log.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(static_cast<int>(x)) +
                          "," + std::to_string(static_cast<int>(y)));
        };
        Box->OnGesture = [this](TObject*, const TGestureEventInfo& info, bool&) {
            Log.push_back("gesture " + std::to_string(info.GestureID));
        };
        OnKeyDown = [this](TObject*, uint16_t& key, char32_t& ch, TShiftState) {
            Log.push_back("keydown " + std::to_string(key) + " " + std::to_string(static_cast<uint32_t>(ch)));
        };
        OnKeyUp = [this](TObject*, uint16_t& key, char32_t&, TShiftState) { Log.push_back("keyup " + std::to_string(key)); };
        OnPaint = [this](TObject*, TCanvas&, const TRectF&) { ++Paints; };
    }
};

// Handles messages for a while, so that the X server and SDL catch up.
void Pump(TApplication& app, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        app.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

uint32_t ScreenPixel(Display* display, Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xDEADBEEF;
    const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

TEST(SdlWindow, ShowsPaintsAndTakesInput) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    Sdl::Use();
    TApplication app;
    app.Initialize();
    app.OnException = [](TObject*, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            ADD_FAILURE() << x.what();
        }
    };
    // Run's first steps, without its blocking loop.
    TLoggingForm* form = CreateForm<TLoggingForm>(&app);
    app.SetMainForm(form);
    form->Show();
    Pump(app, 300);

    const TNativeWindow native = form->Handle()->NativeWindow();
    ASSERT_EQ(native.Kind, TNativeWindow::TKind::X11);
    auto* display = static_cast<Display*>(native.Display);
    const auto window = static_cast<Window>(native.Window);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display, window, &name));
    EXPECT_STREQ(name, "Tilefall - Press space to reset");
    XFree(name);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
    EXPECT_EQ(attributes.width, 240);
    EXPECT_EQ(attributes.height, 120);
    // Centred on the screen (without a window manager there is no frame to allow for).
    Window child;
    int x = 0, y = 0;
    XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
    EXPECT_NEAR(x + 120, WidthOfScreen(attributes.screen) / 2, 2);
    EXPECT_NEAR(y + 60, HeightOfScreen(attributes.screen) / 2, 2);
    // The red background went through the window surface to the server.
    EXPECT_EQ(ScreenPixel(display, window, 10, 10), 0xFF0000u);

    const Uint32 id = Sdl::WindowId(form->Handle()->PlatformWindow());
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = id;
    e.key.keysym.sym = SDLK_LEFT;
    SDL_PushEvent(&e);
    e = {};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = id;
    SDL_strlcpy(e.text.text, " \xC3\xA9", sizeof e.text.text);  // a space and an e-acute
    SDL_PushEvent(&e);
    e = {};
    e.type = SDL_KEYUP;
    e.key.windowID = id;
    e.key.keysym.sym = SDLK_LEFT;
    SDL_PushEvent(&e);
    e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = id;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.clicks = 1;
    e.button.x = 30;
    e.button.y = 40;
    SDL_PushEvent(&e);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = 2;
    SDL_PushEvent(&e);
    Pump(app, 100);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"keydown 37 0", "keydown 0 32", "keydown 0 233", "keyup 37",
                                                   "down 1 30,40", "down 0 30,40", "gesture 265"}));

    // A resize reaches the form and its client-aligned child.
    form->SetClientSize(300, 200);
    Pump(app, 200);
    EXPECT_EQ(form->Box->BoundsRect(), TRectF(0, 0, 300, 200));
    EXPECT_EQ(ScreenPixel(display, window, 290, 190), 0xFF0000u);

    // Closing the window closes the main form and ends the application.
    e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    Pump(app, 50);
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(form->Visible());
}

// Sets an environment variable (or removes it, for nullopt) until the end of the scope.
class TScopedVariable {
public:
    TScopedVariable(const char* name, const std::optional<std::string>& value) : fName(name) {
        if (const char* old = std::getenv(name)) fOld = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~TScopedVariable() {
        if (fOld)
            ::setenv(fName, fOld->c_str(), 1);
        else
            ::unsetenv(fName);
    }
    TScopedVariable(const TScopedVariable&) = delete;
    TScopedVariable& operator=(const TScopedVariable&) = delete;

private:
    const char* fName;
    std::optional<std::string> fOld;
};

TEST(SdlStart, WithoutAWindowSystemOnlyAnInvisibleDriverAskedForStarts) {
    struct Case {
        std::optional<std::string> Driver;  // SDL_VIDEODRIVER
        bool Starts;
    };
    TScopedVariable display("DISPLAY", std::nullopt), wayland("WAYLAND_DISPLAY", std::nullopt);
    for (const Case& c : {Case{std::nullopt, false}, Case{"offscreen", true}, Case{"x11,OFFSCREEN", true},
                          Case{"dummy", true}}) {
        SCOPED_TRACE("SDL_VIDEODRIVER=" + c.Driver.value_or("(unset)"));
        TScopedVariable driver("SDL_VIDEODRIVER", c.Driver);
        std::string error;
        const bool started = Sdl::Backend().Initialize(error);
        const char* current = started ? SDL_GetCurrentVideoDriver() : nullptr;
        const std::string name = current ? current : "";
        if (started) Sdl::Backend().Finalize();
        // A machine whose console SDL can draw on (KMS) has a display after all.
        if (!c.Driver && started && name != "offscreen" && name != "dummy" && name != "evdev")
            GTEST_SKIP() << "SDL found a display without X: " << name;
        EXPECT_EQ(started, c.Starts) << error;
        if (!c.Starts) {
            EXPECT_EQ(error, "There is no display to show the window on (is DISPLAY set to a running X server?).");
        }
    }
}

TEST(SdlWindow, IsNotPaintedWhileUnmappedOrMinimisedAndIsPaintedWhenBack) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    Sdl::Use();
    TApplication app;
    app.Initialize();
    TLoggingForm* form = CreateForm<TLoggingForm>(&app);
    app.SetMainForm(form);
    form->Show();
    Pump(app, 300);
    ASSERT_TRUE(form->Showing());
    ASSERT_GE(form->Paints, 1);

    // Another client (a window manager iconifying it) unmaps the window: SDL hears it is hidden.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const auto window = static_cast<Window>(form->Handle()->NativeWindow().Window);
    XUnmapWindow(other, window);
    XSync(other, False);
    Pump(app, 200);
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(form->Showing());
    const int paints = form->Paints;
    form->Invalidate();
    Pump(app, 100);
    EXPECT_EQ(form->Paints, paints);

    XMapWindow(other, window);
    XSync(other, False);
    Pump(app, 300);
    EXPECT_TRUE(form->Showing());
    EXPECT_GT(form->Paints, paints);
    EXPECT_EQ(ScreenPixel(other, window, 10, 10), 0xFF0000u);
    XCloseDisplay(other);

    // Minimised and restored, as SDL reports it under a window manager.
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = Sdl::WindowId(form->Handle()->PlatformWindow());
    e.window.event = SDL_WINDOWEVENT_MINIMIZED;
    SDL_PushEvent(&e);
    Pump(app, 50);
    EXPECT_FALSE(form->Showing());
    const int minimised = form->Paints;
    form->Invalidate();
    Pump(app, 50);
    EXPECT_EQ(form->Paints, minimised);
    e.window.event = SDL_WINDOWEVENT_RESTORED;
    SDL_PushEvent(&e);
    Pump(app, 50);
    EXPECT_TRUE(form->Showing());
    EXPECT_GT(form->Paints, minimised);
}

TEST(X11ErrorTrap, KeepsTheErrorsOfItsTimeAndNoneAfter) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    static int later = 0;
    later = 0;
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
        ++later;
        return 0;
    });
    {
        Sdl::TX11ErrorTrap trap;
        EXPECT_FALSE(trap.Caught());
        XMapWindow(display, 1);  // no such window
        XUnmapWindow(display, 2);
        trap.Sync(display);
        EXPECT_TRUE(trap.Caught());
        EXPECT_EQ(trap.Message().rfind("BadWindow", 0), 0u) << trap.Message();
        EXPECT_NE(trap.Message().find("request 8.0"), std::string::npos) << trap.Message();  // X_MapWindow
    }
    // The handler before the trap has the errors again.
    XMapWindow(display, 1);
    XSync(display, False);
    EXPECT_EQ(later, 1);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
}

}  // namespace
