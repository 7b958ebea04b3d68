// The real tilefall program under test: started as a child process from a working directory of
// its own, on the test display, with its clock stopped (TILEFALL_TEST_TIME_STEP=0) so that what
// it shows depends only on its input, and its state written after every frame
// (TILEFALL_TEST_STATE_FILE). Beside it, the same game drawn headless by this build, which is
// what the window must show.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "GameState.h"
#include "InputScript.h"
#include "XSession.h"

namespace WindowTest {

using namespace std::chrono_literals;

inline constexpr const char* GameCaption = "Tilefall - Press space to reset";
inline constexpr int GameWidth = 640, GameHeight = 347;
// Time limits: generous, since a sanitizer build on a busy machine draws a frame in a second.
inline constexpr auto StartTimeout = 60s;
inline constexpr auto StepTimeout = 30s;

// A folder made for one test and removed with everything in it afterwards.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& AName) const { return FPath + "/" + AName; }

private:
    std::string FPath;
};

struct TGameOptions {
    std::string Canvas = "opengl";  // or "raster"
    std::string Program;            // empty: the tilefall of this build
    std::string WorkingDirectory;   // empty: a fresh empty folder, unrelated to the program's
    TEnvironment Environment;       // further changes
};

class TGame {
public:
    explicit TGame(TGameOptions AOptions = {});
    ~TGame();

    TChildProcess& Process() { return *FProcess; }
    // The game's main window; waits for it (a failed test expectation when it does not come).
    TWindowId Window();
    // The state after the last frame drawn; nullopt before the first.
    std::optional<TGameState> State();
    int Frames();
    // Waits until a frame's state satisfies APredicate; that state, or nullopt after ATimeout.
    std::optional<TGameState> WaitForState(const std::function<bool(const TGameState&)>& APredicate,
                                           std::chrono::milliseconds ATimeout = StepTimeout);
    // Waits until ACount more frames have been drawn.
    bool WaitFrames(int ACount, std::chrono::milliseconds ATimeout = StepTimeout);
    // The window's picture once ACount further frames have been drawn (so it shows the state).
    TPicture SettledPicture(int ACount = 3);

    // Input through xdotool: the window takes the keyboard focus first.
    void KeyDown(const std::string& AKey);
    void KeyUp(const std::string& AKey);
    void Click(int AX, int AY);

    // Closes the window as a window manager does; the program's exit, or nullopt if it did not end.
    std::optional<TExit> Close(std::chrono::milliseconds ATimeout = StepTimeout);

private:
    void Focus();

    TTempDir FTemp;
    std::string FStateFile;
    std::unique_ptr<TChildProcess> FProcess;
    std::optional<TWindowId> FWindow;
    bool FFocused = false;
};

// The tilefall program of this build, and the engine beside it.
std::string GameProgram();
std::string EngineLibrary();
std::string AssetsFolder();

// The same game drawn headless at AWidth x AHeight with its clock stopped: AEvents applied,
// AFrames frames drawn; the last picture as 0xRRGGBB.
TPicture HeadlessPicture(int AWidth, int AHeight, const std::vector<Host::TInputEvent>& AEvents, int AFrames);

// How far two pictures are apart.
struct TDifference {
    bool SameSize = false;
    int MaxChannel = 0;         // largest difference of one channel, 0..255
    size_t PixelsOver = 0;      // pixels with a channel differing by more than the tolerance
};
TDifference Compare(const TPicture& AShown, const TPicture& AExpected, int ATolerance);
// Saves the pictures as PNG files in the working directory for a look after a failure; returns
// where, for the failure message.
std::string SaveForInspection(const std::string& AName, const TPicture& AShown, const TPicture& AExpected);

// Waits for the child's end while closing any error dialog it shows (a window titled "Tilefall"),
// so a report on a desktop where the dialog appears does not hold the test.
std::optional<TExit> WaitClosingDialogs(TChildProcess& AChild, std::chrono::milliseconds ATimeout);

}  // namespace WindowTest
