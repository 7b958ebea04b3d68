#include "ui/Offscreen.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

namespace Ui {

struct TPlatformWindow {
    Offscreen::TWindowInfo Info;
    std::vector<uint32_t> Back;     // what canvases draw into
    std::vector<uint32_t> Shown;    // what was last presented
    int PixelWidth = 0, PixelHeight = 0;
};

namespace Offscreen {

namespace {

struct TState {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<TPlatformEvent> events;
    bool woken = false;
    std::vector<std::unique_ptr<TPlatformWindow>> windows;
    std::vector<std::string> dialogs;
    float scale = 1;
};

TState& State() {
    static TState* state = new TState();
    return *state;
}

void Reallocate(TPlatformWindow& w) {
    w.PixelWidth = static_cast<int>(std::nearbyint(static_cast<float>(w.Info.ClientWidth) * w.Info.Scale));
    w.PixelHeight = static_cast<int>(std::nearbyint(static_cast<float>(w.Info.ClientHeight) * w.Info.Scale));
    const size_t n = static_cast<size_t>(w.PixelWidth) * static_cast<size_t>(w.PixelHeight);
    w.Back.assign(n, 0);
    w.Shown.assign(n, 0);
}

bool Initialize(std::string&) { return true; }

void Finalize() {
    TState& s = State();
    std::lock_guard guard(s.lock);
    s.events.clear();
}

TPlatformWindow* CreateWindow(const TWindowParams& params, std::string& error) {
    if (params.ClientWidth < 0 || params.ClientHeight < 0 || params.ClientWidth > 1 << 14 ||
        params.ClientHeight > 1 << 14) {
        error = "invalid client size";
        return nullptr;
    }
    TState& s = State();
    std::lock_guard guard(s.lock);
    auto w = std::make_unique<TPlatformWindow>();
    w->Info.Caption = params.Caption;
    w->Info.ClientWidth = params.ClientWidth;
    w->Info.ClientHeight = params.ClientHeight;
    w->Info.Centered = params.Centered;
    w->Info.OpenGL = params.OpenGL;
    w->Info.Scale = s.scale;
    Reallocate(*w);
    s.windows.push_back(std::move(w));
    return s.windows.back().get();
}

void DestroyWindow(TPlatformWindow* window) {
    TState& s = State();
    std::lock_guard guard(s.lock);
    std::erase_if(s.windows, [window](const auto& w) { return w.get() == window; });
    std::erase_if(s.events, [window](const TPlatformEvent& e) { return e.Window == window; });
}

void SetVisible(TPlatformWindow* window, bool visible) {
    std::lock_guard guard(State().lock);
    window->Info.Visible = visible;
}

void SetCaption(TPlatformWindow* window, const std::string& caption) {
    std::lock_guard guard(State().lock);
    window->Info.Caption = caption;
}

void SetClientSize(TPlatformWindow* window, int width, int height) {
    std::lock_guard guard(State().lock);
    window->Info.ClientWidth = std::clamp(width, 0, 1 << 14);
    window->Info.ClientHeight = std::clamp(height, 0, 1 << 14);
    Reallocate(*window);
}

TSize GetClientSize(TPlatformWindow* window) {
    std::lock_guard guard(State().lock);
    return {window->Info.ClientWidth, window->Info.ClientHeight};
}

TPointF GetPosition(TPlatformWindow*) { return {0, 0}; }

float GetScale(TPlatformWindow* window) {
    std::lock_guard guard(State().lock);
    return window->Info.Scale;
}

TNativeWindow GetNativeWindow(TPlatformWindow*) { return {}; }

bool LockSurface(TPlatformWindow* window, TWindowSurface& surface) {
    std::lock_guard guard(State().lock);
    if (window->Back.empty()) return false;
    surface = {window->Back.data(), window->PixelWidth * 4, window->PixelWidth, window->PixelHeight};
    return true;
}

void Present(TPlatformWindow* window) {
    std::lock_guard guard(State().lock);
    window->Shown = window->Back;
    ++window->Info.PresentCount;
}

bool WaitEvent(TPlatformEvent& event, int timeoutMs) {
    TState& s = State();
    std::unique_lock guard(s.lock);
    s.changed.wait_for(guard, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                       [&] { return !s.events.empty() || s.woken; });
    s.woken = false;
    if (s.events.empty()) return false;
    event = s.events.front();
    s.events.pop_front();
    return true;
}

void WakeUp() {
    TState& s = State();
    {
        std::lock_guard guard(s.lock);
        s.woken = true;
    }
    s.changed.notify_all();
}

void ShowErrorDialog(const std::string&, const std::string& message) {
    std::lock_guard guard(State().lock);
    State().dialogs.push_back(message);
}

const TPlatformBackend kBackend = {
    "offscreen", Initialize, Finalize, CreateWindow, DestroyWindow, SetVisible, SetCaption, SetClientSize,
    GetClientSize, GetPosition, GetScale, GetNativeWindow, LockSurface, Present, WaitEvent, WakeUp,
    ShowErrorDialog,
};

}  // namespace

const TPlatformBackend& Backend() { return kBackend; }

std::vector<TPlatformWindow*> Windows() {
    TState& s = State();
    std::lock_guard guard(s.lock);
    std::vector<TPlatformWindow*> out;
    for (const auto& w : s.windows) out.push_back(w.get());
    return out;
}

TWindowInfo Info(TPlatformWindow* window) {
    std::lock_guard guard(State().lock);
    return window ? window->Info : TWindowInfo();
}

uint32_t Pixel(TPlatformWindow* window, int x, int y) {
    std::lock_guard guard(State().lock);
    if (!window || x < 0 || y < 0 || x >= window->PixelWidth || y >= window->PixelHeight) return 0;
    return window->Shown[static_cast<size_t>(y) * static_cast<size_t>(window->PixelWidth) + static_cast<size_t>(x)];
}

void PostEvent(const TPlatformEvent& event) {
    TState& s = State();
    {
        std::lock_guard guard(s.lock);
        s.events.push_back(event);
    }
    s.changed.notify_all();
}

void ResizeByUser(TPlatformWindow* window, int width, int height) {
    SetClientSize(window, width, height);
    TPlatformEvent e;
    e.Kind = TPlatformEventKind::Resized;
    e.Window = window;
    e.Width = width;
    e.Height = height;
    PostEvent(e);
}

void SetScale(float scale) {
    if (!(scale > 0) || !std::isfinite(scale)) return;
    std::lock_guard guard(State().lock);
    State().scale = scale;
}

std::vector<std::string> ErrorDialogs() {
    std::lock_guard guard(State().lock);
    return State().dialogs;
}

void ClearErrorDialogs() {
    std::lock_guard guard(State().lock);
    State().dialogs.clear();
}

}  // namespace Offscreen

}  // namespace Ui
