// The SDL2 back end of the framework's platform table.
#include "ui/Sdl.h"

#include <SDL.h>
#include <SDL_syswm.h>
// X11's headers define None, a name the framework's enumerations use.
#undef None

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <deque>
#include <map>
#include <string>

#include "X11ErrorTrap.h"

namespace Ui {

struct TPlatformWindow {
    SDL_Window* Window = nullptr;
    Uint32 Id = 0;
    SDL_Surface* Surface = nullptr;  // locked between LockSurface and Present
};

namespace Sdl {

namespace {

std::atomic<bool> gRunning{false};
Uint32 gWakeEvent = 0;
std::map<Uint32, TPlatformWindow*> gWindows;
std::deque<TPlatformEvent> gPending;  // events made from one SDL event beyond the first

TShiftState ShiftOf(Uint16 mod, Uint32 buttons) {
    TShiftState s;
    if (mod & KMOD_SHIFT) s.Include(TShiftStateItem::Shift);
    if (mod & KMOD_ALT) s.Include(TShiftStateItem::Alt);
    if (mod & KMOD_CTRL) s.Include(TShiftStateItem::Ctrl);
    if (mod & KMOD_GUI) s.Include(TShiftStateItem::Command);
    if (buttons & SDL_BUTTON_LMASK) s.Include(TShiftStateItem::Left);
    if (buttons & SDL_BUTTON_RMASK) s.Include(TShiftStateItem::Right);
    if (buttons & SDL_BUTTON_MMASK) s.Include(TShiftStateItem::Middle);
    return s;
}

TShiftState CurrentShift() { return ShiftOf(static_cast<Uint16>(SDL_GetModState()), SDL_GetMouseState(nullptr, nullptr)); }

TPlatformWindow* WindowOf(Uint32 id) {
    const auto it = gWindows.find(id);
    return it == gWindows.end() ? nullptr : it->second;
}

// Whether the window is mapped and not minimised, as SDL last learnt from the window system.
bool IsOnScreen(TPlatformWindow* window) {
    const Uint32 flags = SDL_GetWindowFlags(window->Window);
    return (flags & SDL_WINDOW_SHOWN) && !(flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED));
}

// Decodes UTF-8 text into code points; malformed bytes are skipped.
void DecodeUtf8(const char* text, TPlatformWindow* window, std::deque<TPlatformEvent>& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        char32_t c = 0;
        int extra = 0;
        if (*p < 0x80) {
            c = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            c = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            c = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            c = *p & 0x07;
            extra = 3;
        } else {
            ++p;
            continue;
        }
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (*p & 0x3F);
        }
        if (!ok) continue;
        TPlatformEvent e;
        e.Kind = TPlatformEventKind::Char;
        e.Window = window;
        e.KeyChar = c;
        e.Shift = CurrentShift();
        out.push_back(e);
    }
}

// Turns one SDL event into framework events (appended to out).
void Translate(const SDL_Event& s, std::deque<TPlatformEvent>& out) {
    TPlatformEvent e;
    switch (s.type) {
        case SDL_QUIT:
            e.Kind = TPlatformEventKind::Quit;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            e.Kind = s.type == SDL_KEYDOWN ? TPlatformEventKind::KeyDown : TPlatformEventKind::KeyUp;
            e.Window = WindowOf(s.key.windowID);
            e.Key = VirtualKeyOf(s.key.keysym.sym);
            e.Repeat = s.key.repeat != 0;
            e.Shift = ShiftOf(s.key.keysym.mod, SDL_GetMouseState(nullptr, nullptr));
            if (e.Key == 0) return;
            break;
        case SDL_TEXTINPUT:
            DecodeUtf8(s.text.text, WindowOf(s.text.windowID), out);
            return;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            switch (s.button.button) {
                case SDL_BUTTON_LEFT: e.Button = TMouseButton::Left; break;
                case SDL_BUTTON_RIGHT: e.Button = TMouseButton::Right; break;
                case SDL_BUTTON_MIDDLE: e.Button = TMouseButton::Middle; break;
                default: return;
            }
            e.Kind = s.type == SDL_MOUSEBUTTONDOWN ? TPlatformEventKind::MouseDown : TPlatformEventKind::MouseUp;
            e.Window = WindowOf(s.button.windowID);
            e.X = static_cast<float>(s.button.x);
            e.Y = static_cast<float>(s.button.y);
            // The third press of a triple click is not a second double click.
            e.Clicks = std::max<int>(1, s.button.clicks);
            e.Shift = CurrentShift();
            break;
        }
        case SDL_MOUSEMOTION:
            e.Kind = TPlatformEventKind::MouseMove;
            e.Window = WindowOf(s.motion.windowID);
            e.X = static_cast<float>(s.motion.x);
            e.Y = static_cast<float>(s.motion.y);
            e.Shift = ShiftOf(static_cast<Uint16>(SDL_GetModState()), s.motion.state);
            break;
        case SDL_MOUSEWHEEL: {
            e.Kind = TPlatformEventKind::MouseWheel;
            e.Window = WindowOf(s.wheel.windowID);
            e.WheelDelta = s.wheel.preciseY;
            if (s.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) e.WheelDelta = -e.WheelDelta;
            int x = 0, y = 0;
            SDL_GetMouseState(&x, &y);
            e.X = static_cast<float>(x);
            e.Y = static_cast<float>(y);
            e.Shift = CurrentShift();
            break;
        }
        case SDL_WINDOWEVENT:
            e.Window = WindowOf(s.window.windowID);
            switch (s.window.event) {
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    e.Kind = TPlatformEventKind::Resized;
                    e.Width = s.window.data1;
                    e.Height = s.window.data2;
                    if (e.Window) e.Window->Surface = nullptr;
                    break;
                case SDL_WINDOWEVENT_CLOSE: e.Kind = TPlatformEventKind::CloseRequest; break;
                case SDL_WINDOWEVENT_EXPOSED: e.Kind = TPlatformEventKind::Exposed; break;
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_RESTORED:
                    // Restoring a maximised window that is still unmapped, or mapping one that
                    // stays minimised, does not show it.
                    if (e.Window && !IsOnScreen(e.Window)) return;
                    e.Kind = TPlatformEventKind::Shown;
                    break;
                case SDL_WINDOWEVENT_HIDDEN:
                case SDL_WINDOWEVENT_MINIMIZED: e.Kind = TPlatformEventKind::Hidden; break;
                default: return;
            }
            break;
        default:
            return;
    }
    if (e.Kind != TPlatformEventKind::Quit && !e.Window) return;  // a window already gone
    out.push_back(e);
}

// SDL's video drivers that show nothing: SDL falls back to them when no window system answers.
bool IsInvisibleDriver(const std::string& driver) {
    return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

// Whether SDL_VIDEODRIVER (a comma-separated list) names the driver.
bool RequestedDriver(const std::string& driver) {
    const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!hint) return false;
    std::string list = hint;
    for (char& c : list) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(',', start);
        if (list.substr(start, end - start) == driver) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

bool Initialize(std::string& error) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");      // window surfaces in plain memory
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");     // closing is the form's decision
    // OpenGL windows get a GLX-chosen visual, which EGL configs match; with EGL SDL would
    // make a surface of its own on the window and the canvas could make none.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = SDL_GetError();
        return false;
    }
    // Windows nobody can see would run forever unnoticed: only a program that asks for such a
    // driver gets one.
    const char* current = SDL_GetCurrentVideoDriver();
    const std::string driver = current ? current : "";
    if (IsInvisibleDriver(driver) && !RequestedDriver(driver)) {
        SDL_Quit();
        error = "There is no display to show the window on (is DISPLAY set to a running X server?).";
        return false;
    }
    gWakeEvent = SDL_RegisterEvents(1);
    if (gWakeEvent == static_cast<Uint32>(-1)) {
        error = "no user event is left";
        SDL_Quit();
        return false;
    }
    SDL_StartTextInput();
    gRunning = true;
    return true;
}

void Finalize() {
    gRunning = false;
    gPending.clear();
    SDL_Quit();
}

// The X connection SDL made the window on; nullptr for other window systems.
void* X11Display(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) return info.info.x11.display;
#else
    (void)window;
#endif
    return nullptr;
}

TPlatformWindow* CreateWindow(const TWindowParams& params, std::string& error) {
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (params.Resizable) flags |= SDL_WINDOW_RESIZABLE;
    // On X11 an OpenGL window only needs a GL-capable visual. Elsewhere (Wayland) SDL would
    // bind the window to an EGL surface of its own, so the window stays plain there.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (params.OpenGL && driver && std::string(driver) == "x11") flags |= SDL_WINDOW_OPENGL;
    const int x = params.Centered ? SDL_WINDOWPOS_CENTERED : params.Left;
    const int y = params.Centered ? SDL_WINDOWPOS_CENTERED : params.Top;
    SDL_Window* w = nullptr;
    {
        // An OpenGL driver that fails inside SDL (a GLX context the server refuses) would end
        // the program with Xlib's message; its error fails the window instead.
        TX11ErrorTrap trap;
        w = SDL_CreateWindow(params.Caption.c_str(), x, y, std::max(params.ClientWidth, 1),
                             std::max(params.ClientHeight, 1), flags);
        if (w) trap.Sync(X11Display(w));
        if (trap.Caught()) {
            error = (flags & SDL_WINDOW_OPENGL)
                        ? "the X server refused the window's OpenGL setup (is the OpenGL driver working?): "
                        : "the X server refused a request for the window: ";
            error += trap.Message();
            if (w) SDL_DestroyWindow(w);
            return nullptr;
        }
    }
    if (!w) {
        error = SDL_GetError();
        return nullptr;
    }
    auto* window = new TPlatformWindow{w, SDL_GetWindowID(w), nullptr};
    gWindows[window->Id] = window;
    return window;
}

void DestroyWindow(TPlatformWindow* window) {
    if (!window) return;
    gWindows.erase(window->Id);
    std::erase_if(gPending, [window](const TPlatformEvent& e) { return e.Window == window; });
    SDL_DestroyWindow(window->Window);
    delete window;
}

void SetVisible(TPlatformWindow* window, bool visible) {
    if (visible)
        SDL_ShowWindow(window->Window);
    else
        SDL_HideWindow(window->Window);
}

void SetCaption(TPlatformWindow* window, const std::string& caption) { SDL_SetWindowTitle(window->Window, caption.c_str()); }

void SetClientSize(TPlatformWindow* window, int width, int height) {
    SDL_SetWindowSize(window->Window, std::max(width, 1), std::max(height, 1));
    window->Surface = nullptr;
}

TSize GetClientSize(TPlatformWindow* window) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window->Window, &w, &h);
    return {w, h};
}

TPointF GetPosition(TPlatformWindow* window) {
    int x = 0, y = 0;
    SDL_GetWindowPosition(window->Window, &x, &y);
    return {static_cast<float>(x), static_cast<float>(y)};
}

float GetScale(TPlatformWindow* window) {
    int w = 0, h = 0, pw = 0, ph = 0;
    SDL_GetWindowSize(window->Window, &w, &h);
    SDL_GetWindowSizeInPixels(window->Window, &pw, &ph);
    return w > 0 && pw > 0 ? static_cast<float>(pw) / static_cast<float>(w) : 1.0f;
}

TNativeWindow GetNativeWindow(TPlatformWindow* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    TNativeWindow out;
    if (!SDL_GetWindowWMInfo(window->Window, &info)) return out;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) {
        out.Kind = TNativeWindow::TKind::X11;
        out.Display = info.info.x11.display;
        out.Window = static_cast<uintptr_t>(info.info.x11.window);
    }
#endif
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (info.subsystem == SDL_SYSWM_WAYLAND) {
        out.Kind = TNativeWindow::TKind::Wayland;
        out.Display = info.info.wl.display;
        out.Window = reinterpret_cast<uintptr_t>(info.info.wl.surface);
    }
#endif
    return out;
}

bool LockSurface(TPlatformWindow* window, TWindowSurface& surface) {
    SDL_Surface* s = SDL_GetWindowSurface(window->Window);
    // Only 32-bit surfaces laid out B, G, R, A (or X) in memory can be drawn as BGRA.
    if (!s || (s->format->format != SDL_PIXELFORMAT_ARGB8888 && s->format->format != SDL_PIXELFORMAT_RGB888))
        return false;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return false;
    window->Surface = s;
    surface = {s->pixels, s->pitch, s->w, s->h};
    return true;
}

void Present(TPlatformWindow* window) {
    if (window->Surface && SDL_MUSTLOCK(window->Surface)) SDL_UnlockSurface(window->Surface);
    window->Surface = nullptr;
    SDL_UpdateWindowSurface(window->Window);
}

bool WaitEvent(TPlatformEvent& event, int timeoutMs) {
    const Uint32 deadline = SDL_GetTicks() + static_cast<Uint32>(std::max(timeoutMs, 0));
    for (;;) {
        if (!gPending.empty()) {
            event = gPending.front();
            gPending.pop_front();
            return true;
        }
        const int left = static_cast<int>(deadline - SDL_GetTicks());
        SDL_Event s;
        const int got = left > 0 ? SDL_WaitEventTimeout(&s, left) : SDL_PollEvent(&s);
        if (!got) return false;
        if (s.type == gWakeEvent) return false;
        Translate(s, gPending);
    }
}

void WakeUp() {
    if (!gRunning) return;
    SDL_Event e{};
    e.type = gWakeEvent;
    SDL_PushEvent(&e);
}

void ShowErrorDialog(const std::string& title, const std::string& message) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), nullptr);
}

const TPlatformBackend kBackend = {
    "SDL2", Initialize, Finalize, CreateWindow, DestroyWindow, SetVisible, SetCaption, SetClientSize,
    GetClientSize, GetPosition, GetScale, GetNativeWindow, LockSurface, Present, WaitEvent, WakeUp,
    ShowErrorDialog,
};

}  // namespace

const TPlatformBackend& Backend() { return kBackend; }

void Use() { TPlatform::SetBackend(kBackend); }

uint32_t WindowId(const TPlatformWindow* window) { return window ? window->Id : 0; }

}  // namespace Sdl

}  // namespace Ui
