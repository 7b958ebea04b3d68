#include "GameRun.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "HeadlessGame.h"

namespace WindowTest {

namespace fs = std::filesystem;

TTempDir::TTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tilefall-window.XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("Cannot make a folder from " + pattern);
    FPath = pattern;
}

TTempDir::~TTempDir() {
    std::error_code error;
    fs::remove_all(FPath, error);
}

std::string GameProgram() { return TILEFALL_PROGRAM; }
std::string EngineLibrary() { return TILEFALL_ENGINE; }
std::string AssetsFolder() { return (fs::path(TILEFALL_PROGRAM).parent_path() / "Assets").string(); }

TGame::TGame(TGameOptions AOptions) {
    FStateFile = FTemp / "state.bin";
    std::string cwd = AOptions.WorkingDirectory;
    if (cwd.empty()) {
        cwd = FTemp / "cwd";
        fs::create_directories(cwd);
    }
    TEnvironment environment = {
        {"DISPLAY", TXSession::Get().DisplayName()},
        {"TILEFALL_TEST_TIME_STEP", "0"},
        {"TILEFALL_TEST_STATE_FILE", FStateFile},
        {"TILEFALL_TEST_CANVAS", AOptions.Canvas},
    };
    for (const auto& [name, value] : AOptions.Environment) environment[name] = value;
    const std::string program = AOptions.Program.empty() ? GameProgram() : AOptions.Program;
    FProcess = std::make_unique<TChildProcess>(program, std::vector<std::string>{}, cwd, environment,
                                               FTemp / "stderr.txt");
}

TGame::~TGame() {
    // A game a test left running is not the next test's business.
    if (FProcess->Running()) FProcess->Kill();
    // In sanitizer builds the program under test is checked as well as the test.
    const std::string errors = FProcess->Stderr();
    EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error:"), std::string::npos) << errors;
}

TWindowId TGame::Window() {
    if (!FWindow) {
        FWindow = TXSession::Get().WaitForWindow(FProcess->Pid(), GameCaption, StartTimeout);
        if (!FWindow) {
            ADD_FAILURE() << "The game's window did not appear. Its errors:\n" << FProcess->Stderr();
            FWindow = 0;
        }
    }
    return *FWindow;
}

std::optional<TGameState> TGame::State() {
    std::ifstream in(FStateFile, std::ios::binary);
    int32_t frames = 0;
    TGameState state;
    state.values.resize(14 * 14 * 4);
    if (!in.read(reinterpret_cast<char*>(&frames), sizeof frames) ||
        !in.read(reinterpret_cast<char*>(state.values.data()), std::streamsize(state.values.size() * sizeof(float))))
        return std::nullopt;
    return state;
}

int TGame::Frames() {
    std::ifstream in(FStateFile, std::ios::binary);
    int32_t frames = 0;
    return in.read(reinterpret_cast<char*>(&frames), sizeof frames) ? frames : 0;
}

std::optional<TGameState> TGame::WaitForState(const std::function<bool(const TGameState&)>& APredicate,
                                              std::chrono::milliseconds ATimeout) {
    const auto end = std::chrono::steady_clock::now() + ATimeout;
    do {
        if (std::optional<TGameState> state = State(); state && state->Valid() && APredicate(*state)) return state;
        if (!FProcess->Running()) return std::nullopt;
        std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

bool TGame::WaitFrames(int ACount, std::chrono::milliseconds ATimeout) {
    const int target = Frames() + ACount;
    const auto end = std::chrono::steady_clock::now() + ATimeout;
    while (Frames() < target) {
        if (std::chrono::steady_clock::now() >= end || !FProcess->Running()) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TPicture TGame::SettledPicture(int ACount) {
    const TWindowId window = Window();
    EXPECT_TRUE(WaitFrames(ACount)) << "the game stopped drawing frames";
    return TXSession::Get().Capture(window);
}

void TGame::Focus() {
    if (FFocused) return;
    // Without a window manager nobody gives the new window the keyboard; xdotool does.
    EXPECT_TRUE(TXSession::Get().Xdotool({"windowfocus", "--sync", WindowArgument(Window())}));
    FFocused = true;
}

void TGame::KeyDown(const std::string& AKey) {
    Focus();
    EXPECT_TRUE(TXSession::Get().Xdotool({"keydown", AKey}));
}

void TGame::KeyUp(const std::string& AKey) {
    Focus();
    EXPECT_TRUE(TXSession::Get().Xdotool({"keyup", AKey}));
}

void TGame::Click(int AX, int AY) {
    EXPECT_TRUE(TXSession::Get().Xdotool(
        {"mousemove", "--window", WindowArgument(Window()), std::to_string(AX), std::to_string(AY), "click", "1"}));
}

std::optional<TExit> TGame::Close(std::chrono::milliseconds ATimeout) {
    TXSession::Get().RequestClose(Window());
    return FProcess->Wait(ATimeout);
}

TPicture HeadlessPicture(int AWidth, int AHeight, const std::vector<Host::TInputEvent>& AEvents, int AFrames) {
    // The game looks for its shader files from the working directory first; from an empty folder
    // it takes those beside the test programs, the very files the program under test reads.
    TTempDir empty;
    const fs::path previous = fs::current_path();
    fs::current_path(empty.Path());
    TPicture picture{AWidth, AHeight, {}};
    try {
        Host::THeadlessGame game(AWidth, AHeight, 0.0);
        game.Queue(AEvents);
        for (int i = 0; i < AFrames; ++i) game.Frame();
        std::vector<uint32_t> pixels(size_t(AWidth) * size_t(AHeight));
        if (game.Picture()->ReadPixels(Skia::TSkImageInfo(AWidth, AHeight), pixels.data(), size_t(AWidth) * 4)) {
            for (uint32_t& p : pixels) p &= 0xFFFFFF;
            picture.Pixels = std::move(pixels);
        }
    } catch (...) {
        fs::current_path(previous);
        throw;
    }
    fs::current_path(previous);
    return picture;
}

TDifference Compare(const TPicture& AShown, const TPicture& AExpected, int ATolerance) {
    TDifference d;
    d.SameSize = AShown.Width == AExpected.Width && AShown.Height == AExpected.Height &&
                 AShown.Pixels.size() == AExpected.Pixels.size() && !AShown.Pixels.empty();
    if (!d.SameSize) return d;
    for (size_t i = 0; i < AShown.Pixels.size(); ++i) {
        int worst = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int a = int(AShown.Pixels[i] >> shift & 0xFF), b = int(AExpected.Pixels[i] >> shift & 0xFF);
            worst = std::max(worst, std::abs(a - b));
        }
        d.MaxChannel = std::max(d.MaxChannel, worst);
        if (worst > ATolerance) ++d.PixelsOver;
    }
    return d;
}

std::string SaveForInspection(const std::string& AName, const TPicture& AShown, const TPicture& AExpected) {
    auto save = [](const TPicture& picture, const std::string& file) {
        if (picture.Pixels.empty()) return;
        std::vector<uint32_t> opaque(picture.Pixels);
        for (uint32_t& p : opaque) p |= 0xFF000000;
        const Skia::Ref<Skia::ISkImage> image = Skia::TSkImage::MakeRasterCopy(
            Skia::TSkImageInfo(picture.Width, picture.Height), opaque.data(), size_t(picture.Width) * 4);
        if (image) image->EncodeToFile(file);
    };
    const std::string base = (fs::current_path() / AName).string();
    save(AShown, base + "-shown.png");
    save(AExpected, base + "-expected.png");
    return base + "-{shown,expected}.png";
}

std::optional<TExit> WaitClosingDialogs(TChildProcess& AChild, std::chrono::milliseconds ATimeout) {
    const auto end = std::chrono::steady_clock::now() + ATimeout;
    for (;;) {
        if (std::optional<TExit> exit = AChild.Wait(50ms)) return exit;
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        for (const TWindowId window : TXSession::Get().WindowsOf(0))
            if (TXSession::Get().WindowName(window) == "Tilefall") TXSession::Get().RequestClose(window);
    }
}

}  // namespace WindowTest
