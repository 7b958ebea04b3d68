// The platform back end: one table of plain functions through which the framework makes
// windows, reads events and presents pixels. The SDL2 back end (library ui_sdl) drives real
// windows; the offscreen back end (Offscreen.h) keeps windows as memory and takes events from
// tests. Nothing above this table knows which one runs.
#pragma once

#include <cstdint>
#include <string>

#include "ui/Types.h"

namespace Ui {

// A window of the back end; opaque above it.
struct TPlatformWindow;

struct TWindowParams {
    std::string Caption;
    int ClientWidth = 0, ClientHeight = 0;  // logical units
    int Left = 0, Top = 0;
    bool Centered = false;  // centred on the screen, ignoring Left and Top
    bool Resizable = true;
    bool OpenGL = false;  // the window must take an OpenGL (EGL) surface
};

// What EGL needs to make a window surface.
struct TNativeWindow {
    enum class TKind { None, X11, Wayland };
    TKind Kind = TKind::None;
    void* Display = nullptr;  // Display* or wl_display*
    uintptr_t Window = 0;     // X11 Window, or wl_surface* for Wayland
};

// The window's pixels for a CPU canvas: BGRA8888 premultiplied, rows top-down.
struct TWindowSurface {
    void* Pixels = nullptr;
    int Pitch = 0;  // bytes per row
    int Width = 0, Height = 0;  // device pixels
};

enum class TPlatformEventKind {
    None,
    KeyDown,     // Key and Shift; Repeat for auto-repeat
    KeyUp,       // Key and Shift
    Char,        // KeyChar typed (text input), Shift
    MouseDown,   // Button, Shift, X, Y (client coordinates, logical units), Clicks
    MouseMove,   // Shift, X, Y
    MouseUp,     // Button, Shift, X, Y
    MouseWheel,  // WheelDelta (positive away from the user), Shift, X, Y
    Resized,     // Width, Height: new client size in logical units
    CloseRequest,
    Exposed,     // the window's pixels must be drawn again
    Shown,       // the window system shows the window again (mapped, restored)
    Hidden,      // minimised or unmapped: the window gets no paints until Shown
    Quit,        // the session ends (all windows)
};

struct TPlatformEvent {
    TPlatformEventKind Kind = TPlatformEventKind::None;
    TPlatformWindow* Window = nullptr;
    uint16_t Key = 0;       // Windows virtual-key code
    char32_t KeyChar = 0;   // Unicode character
    bool Repeat = false;
    TShiftState Shift;
    TMouseButton Button = TMouseButton::Left;
    float X = 0, Y = 0;
    int Clicks = 1;         // 2 for the second press of a double click
    float WheelDelta = 0;
    int Width = 0, Height = 0;
};

struct TPlatformBackend {
    const char* Name;
    // False with a message when the back end cannot start (for example no display).
    bool (*Initialize)(std::string& error);
    void (*Finalize)();
    // nullptr with a message when the window cannot be made.
    TPlatformWindow* (*CreateWindow)(const TWindowParams& params, std::string& error);
    void (*DestroyWindow)(TPlatformWindow* window);
    void (*SetVisible)(TPlatformWindow* window, bool visible);
    void (*SetCaption)(TPlatformWindow* window, const std::string& caption);
    void (*SetClientSize)(TPlatformWindow* window, int width, int height);
    TSize (*GetClientSize)(TPlatformWindow* window);  // logical units
    TPointF (*GetPosition)(TPlatformWindow* window);  // top-left on the screen
    float (*GetScale)(TPlatformWindow* window);       // device pixels per logical unit
    TNativeWindow (*GetNativeWindow)(TPlatformWindow* window);
    // The window's pixels, valid until Present or the next resize.
    bool (*LockSurface)(TPlatformWindow* window, TWindowSurface& surface);
    void (*Present)(TPlatformWindow* window);
    // Waits up to timeoutMs (0: just look) for an event; False when none came.
    bool (*WaitEvent)(TPlatformEvent& event, int timeoutMs);
    // Ends a WaitEvent in progress; callable from any thread.
    void (*WakeUp)();
    void (*ShowErrorDialog)(const std::string& title, const std::string& message);
};

class TPlatform {
public:
    // The back end in use: the offscreen one unless another was chosen.
    static const TPlatformBackend& Backend();
    // Chooses the back end; only before the first window is made (EInvalidOperation after).
    static void SetBackend(const TPlatformBackend& backend);
    // Starts the back end once; raises EPlatformError with its message when it cannot start.
    static void EnsureInitialized();
    static bool Initialized();
    // Stops the back end (when no window is left); the next use starts it again.
    static void Finalize();
};

}  // namespace Ui
