// The real tilefall program where it cannot run: no display, no OpenGL, missing or broken shader
// files, a frame that raises. Each ends (or goes on) in order: a message on standard error that
// says what is wrong, exit status 1, no crash and no hang.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "GameRun.h"

using namespace WindowTest;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void LinkOrCopy(const fs::path& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (error) fs::copy_file(from, to);
}

// A copy of the program and its engine with no shader files beside them, run from a folder
// three levels below the copy's root, so "../../../Assets/" is ROOT/Assets, which each test fills
// as it needs.
struct TProgramTree {
    TTempDir Root;
    std::string Program = Root / "bin/tilefall";
    std::string WorkingDirectory = Root / "run/a/b";
    fs::path Assets = Root / "Assets";

    TProgramTree() {
        LinkOrCopy(GameProgram(), Program);
        LinkOrCopy(EngineLibrary(), Root / ("lib/" + fs::path(EngineLibrary()).filename().string()));
        fs::create_directories(WorkingDirectory);
    }
    void CopyShader(const std::string& name) { WriteFile(Assets / name, ReadFile(fs::path(AssetsFolder()) / name)); }
};

struct TOutcome {
    std::optional<TExit> Exit;
    std::string Stderr;
    bool WindowShown = false;
};

// Runs the game to its end, watching whether its main window ever shows.
TOutcome RunToEnd(TGameOptions options, std::chrono::milliseconds timeout = StartTimeout) {
    TGame game(std::move(options));
    TOutcome outcome;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!outcome.Exit && std::chrono::steady_clock::now() < end) {
        for (const TWindowId window : TXSession::Get().WindowsOf(game.Process().Pid()))
            outcome.WindowShown = outcome.WindowShown || TXSession::Get().WindowName(window) == GameCaption;
        outcome.Exit = WaitClosingDialogs(game.Process(), 100ms);
    }
    if (!outcome.Exit) game.Process().Kill();
    outcome.Stderr = game.Process().Stderr();
    return outcome;
}

void ExpectFailure(const TOutcome& outcome, const std::vector<std::string>& messages) {
    ASSERT_TRUE(outcome.Exit) << "the program did not end; it wrote:\n" << outcome.Stderr;
    EXPECT_TRUE(outcome.Exit->Exited) << "killed by signal " << outcome.Exit->Status << "; it wrote:\n" << outcome.Stderr;
    EXPECT_EQ(outcome.Exit->Status, 1) << outcome.Stderr;
    EXPECT_NE(outcome.Stderr.find("Tilefall: "), std::string::npos) << outcome.Stderr;
    for (const std::string& message : messages)
        EXPECT_NE(outcome.Stderr.find(message), std::string::npos) << "no \"" << message << "\" in:\n" << outcome.Stderr;
}

// A display number nobody serves.
std::string UnusedDisplay() {
    for (int n = 4000;; ++n)
        if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) && !fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            return ":" + std::to_string(n);
}

TEST(GameStart, WithoutADisplayItSaysSoAndExitsWithOne) {
    // The raster canvas could draw on SDL's invisible fallback window for ever; it must not.
    const std::optional<std::string> displays[] = {std::nullopt, UnusedDisplay()};
    for (const char* canvas : {"opengl", "raster"})
        for (const std::optional<std::string>& display : displays) {
            SCOPED_TRACE(std::string(canvas) + (display ? ", DISPLAY=" + *display : ", DISPLAY unset"));
            TGameOptions options;
            options.Canvas = canvas;
            options.Environment = {
                {"DISPLAY", display}, {"WAYLAND_DISPLAY", std::nullopt}, {"SDL_VIDEODRIVER", std::nullopt}};
            const TOutcome outcome = RunToEnd(options);
            ExpectFailure(outcome, {"display", "DISPLAY"});
            EXPECT_FALSE(outcome.WindowShown);
        }
}

// The GL libraries load drivers and vendor libraries they then cannot use and unload again; what
// those allocated meanwhile shows in sanitizer builds as leaks of an unknown module, which no
// suppression can name. The child runs without leak checks; memory-error checks stay on.
void WithoutLeakChecks(TGameOptions& options) {
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    options.Environment["ASAN_OPTIONS"] = std::string(sanitizer ? sanitizer : "") + ":detect_leaks=0";
}

TEST(GameStart, AnOpenGlDriverThatFailsWhileTheWindowIsMadeIsReportedByTheGame) {
    // Mesa cannot load the driver, so GLX fails inside the windowing library's window creation,
    // where Xlib would end the program with an "X Error of failed request" of its own.
    TGameOptions options;
    options.Environment = {{"GALLIUM_DRIVER", "nonexistent"}};
    WithoutLeakChecks(options);
    const TOutcome outcome = RunToEnd(options);
    ExpectFailure(outcome, {"OpenGL"});
    EXPECT_EQ(outcome.Stderr.find("X Error"), std::string::npos) << outcome.Stderr;
    EXPECT_FALSE(outcome.WindowShown);
}

TEST(GameStart, WithoutOpenGlItSaysSoAndExitsWithOne) {
    // An EGL vendor list that names no driver: EGL offers no display at all.
    TTempDir temp;
    WriteFile(temp / "no-vendors.json", "");
    TGameOptions options;
    options.Environment = {{"__EGL_VENDOR_LIBRARY_FILENAMES", temp / "no-vendors.json"}};
    WithoutLeakChecks(options);
    ExpectFailure(RunToEnd(options), {"OpenGL", "Could not get shared display."});
}

TEST(GameStart, TestHooksWithBadValuesAreRefusedByName) {
    const std::pair<const char*, const char*> cases[] = {
        {"TILEFALL_TEST_TIME_STEP", "fast"},  {"TILEFALL_TEST_TIME_STEP", "-1"},
        {"TILEFALL_TEST_TIME_STEP", "nan"},   {"TILEFALL_TEST_TIME_STEP", "1e9"},
        {"TILEFALL_TEST_CANVAS", "vulkan"},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        TGameOptions options;
        options.Environment = {{name, value}};
        const TOutcome outcome = RunToEnd(options);
        ExpectFailure(outcome, {name, value});
        EXPECT_FALSE(outcome.WindowShown);
    }
}

// Shader folders that stop the game before its window shows, and what the program says.
struct TAssetsCase {
    const char* Name;
    std::function<void(TProgramTree&)> Prepare;
    std::vector<std::string> Messages;
};

TEST(GameStart, MissingOrBrokenShaderFilesEndItBeforeTheWindowShows) {
    const TAssetsCase cases[] = {
        {"no Assets folder", [](TProgramTree&) {}, {"The specified path was not found", "were looked for in"}},
        {"no Image.sksl",
         [](TProgramTree& tree) { tree.CopyShader("BufferA.sksl"); },
         {"The specified file was not found", "were looked for in"}},
        {"an empty BufferA.sksl",
         [](TProgramTree& tree) {
             tree.CopyShader("Image.sksl");
             WriteFile(tree.Assets / "BufferA.sksl", "");
         },
         {"Parameter ASKSL cannot be empty"}},
        {"a BufferA.sksl that does not compile",
         [](TProgramTree& tree) {
             tree.CopyShader("Image.sksl");
             WriteFile(tree.Assets / "BufferA.sksl", "half4 main(float2 p) { return undeclaredColour; }\n");
         },
         {"BufferA.sksl\" does not compile", "undeclaredColour", "1:"}},
    };
    for (const TAssetsCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TProgramTree tree;
        // An installed game's shader files would stand in for missing ones.
        if (fs::exists(fs::path(TILEFALL_INSTALLED_ASSETS) / "Image.sksl"))
            GTEST_SKIP() << "an installed game's shader files are in " << TILEFALL_INSTALLED_ASSETS;
        c.Prepare(tree);
        TGameOptions options;
        options.Program = tree.Program;
        options.WorkingDirectory = tree.WorkingDirectory;
        const TOutcome outcome = RunToEnd(options);
        ExpectFailure(outcome, c.Messages);
        EXPECT_FALSE(outcome.WindowShown);
    }
}

TEST(GameStart, AFrameThatRaisesIsReportedOnceAndTheProgramGoesOn) {
    // iMouse declared one float too wide: the state pass's SetUniform raises on every frame.
    TProgramTree tree;
    tree.CopyShader("Image.sksl");
    std::string bufferA = ReadFile(fs::path(AssetsFolder()) / "BufferA.sksl");
    const std::string declaration = "uniform float3 iMouse;";
    const size_t at = bufferA.find(declaration);
    ASSERT_NE(at, std::string::npos) << "BufferA.sksl no longer declares " << declaration;
    bufferA.replace(at, declaration.size(), "uniform float4 iMouse;");
    WriteFile(tree.Assets / "BufferA.sksl", bufferA);

    TGameOptions options;
    options.Program = tree.Program;
    options.WorkingDirectory = tree.WorkingDirectory;
    TGame game(options);
    ASSERT_NE(game.Window(), 0u);
    // Frames come every 10 ms or so; a second is many failed frames.
    std::this_thread::sleep_for(1500ms);
    for (const TWindowId window : TXSession::Get().WindowsOf(0))
        if (TXSession::Get().WindowName(window) == "Tilefall") TXSession::Get().RequestClose(window);
    ASSERT_TRUE(game.Process().Running()) << game.Process().Stderr();
    EXPECT_TRUE(TXSession::Get().Geometry(game.Window())) << "the window is gone";

    const std::optional<TExit> exit = game.Close();
    ASSERT_TRUE(exit) << "the program did not end when its window was closed";
    EXPECT_TRUE(exit->Exited);
    EXPECT_EQ(exit->Status, 0);
    const std::string errors = game.Process().Stderr();
    const std::string message = "Tilefall: Operation is invalid";
    const size_t first = errors.find(message);
    EXPECT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(message, first + 1), std::string::npos) << "reported more than once:\n" << errors;
}

}  // namespace
