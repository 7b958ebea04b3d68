// The X server the window tests look at: a private Xvfb started for this test process
// (1280 x 800, 24 bits, no window manager) and stopped with it, so the tests neither depend on
// nor type into the desktop they are run from; without Xvfb, the display of DISPLAY. Windows
// are found by the process that made them (_NET_WM_PID), read back with XGetImage and asked to
// close as a window manager would (WM_DELETE_WINDOW); input goes through xdotool.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace WindowTest {

using TWindowId = unsigned long;  // an X11 Window

// Pixels read back from the server, 0xRRGGBB, row by row.
struct TPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// Where a window is: its top-left corner on the screen and its size.
struct TGeometry {
    int X = 0, Y = 0, Width = 0, Height = 0;
};

class TXSession {
public:
    // The session of this process, connected on first use; raises std::runtime_error when no
    // server can be reached or started.
    static TXSession& Get();

    // The display name children are to use (as in DISPLAY).
    const std::string& DisplayName() const { return FDisplayName; }
    int ScreenWidth() const;
    int ScreenHeight() const;

    // The viewable top-level windows that the process APid made (any process's for 0).
    std::vector<TWindowId> WindowsOf(pid_t APid);
    // The first of them named AName, waiting up to ATimeout for it; nullopt if none came.
    std::optional<TWindowId> WaitForWindow(pid_t APid, const std::string& AName, std::chrono::milliseconds ATimeout);
    // The window's title (_NET_WM_NAME, else WM_NAME); empty for a window that is gone.
    std::string WindowName(TWindowId AWindow);
    std::optional<TGeometry> Geometry(TWindowId AWindow);
    // The window's pixels as the server shows them; empty when the window cannot be read.
    TPicture Capture(TWindowId AWindow);
    // Sends WM_DELETE_WINDOW, the request a window manager makes when the close button is pressed.
    void RequestClose(TWindowId AWindow);

    // Runs xdotool with AArguments on this display; true when it succeeded.
    bool Xdotool(const std::vector<std::string>& AArguments);

private:
    TXSession();
    ~TXSession();
    void Sync();

    void* FDisplay = nullptr;  // Display*
    std::string FDisplayName;
    struct TServer;
    TServer* FServer = nullptr;  // the private Xvfb, when there is one
};

// The window's id as xdotool takes it.
std::string WindowArgument(TWindowId AWindow);

}  // namespace WindowTest
