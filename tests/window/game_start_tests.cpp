// The real tilefall program where it cannot run: no display, no OpenGL, missing or broken shader
// files, a frame that raises. Each ends (or goes on) in order: a message on standard error that
// says what is wrong, exit status 1, no crash and no hang.
#include <gtest/gtest.h>

#include <sys/stat.h>
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
    const std::string image = ReadFile(fs::path(AssetsFolder()) / "Image.sksl");
    auto withImage = [](TProgramTree& tree) { tree.CopyShader("Image.sksl"); };
    std::string utf16le;
    for (char c : ReadFile(fs::path(AssetsFolder()) / "BufferA.sksl")) utf16le += std::string{c, '\0'};
    const TAssetsCase cases[] = {
        // Every folder tried is named, with what it holds.
        {"no Assets folder", [](TProgramTree&) {},
         {"The specified path was not found", "/Assets/Image.sksl", "Image.sksl was looked for",
          "/Assets/: no such folder", "/bin/Assets/: no such folder"}},
        {"no Image.sksl",
         [](TProgramTree& tree) { tree.CopyShader("BufferA.sksl"); },
         {"The specified file was not found", "/Assets/Image.sksl", "Image.sksl missing, BufferA.sksl found"}},
        {"a directory named Image.sksl",
         [](TProgramTree& tree) {
             tree.CopyShader("BufferA.sksl");
             fs::create_directories(tree.Assets / "Image.sksl");
         },
         {"Image.sksl a directory, not a file"}},
        {"a FIFO named BufferA.sksl",  // must not block the start
         [](TProgramTree& tree) {
             tree.CopyShader("Image.sksl");
             ASSERT_EQ(::mkfifo((tree.Assets / "BufferA.sksl").c_str(), 0600), 0);
         },
         {"BufferA.sksl a FIFO, not a file"}},
        {"an empty BufferA.sksl",
         [&](TProgramTree& tree) {
             withImage(tree);
             WriteFile(tree.Assets / "BufferA.sksl", "");
         },
         {"/Assets/BufferA.sksl\" is empty"}},
        {"a BufferA.sksl in UTF-16 without a byte-order mark",
         [&](TProgramTree& tree) {
             withImage(tree);
             WriteFile(tree.Assets / "BufferA.sksl", utf16le);
         },
         {"BufferA.sksl\" is UTF-16 (little-endian) without a byte-order mark"}},
        {"a BufferA.sksl with a stray NUL byte",
         [&](TProgramTree& tree) {
             withImage(tree);
             WriteFile(tree.Assets / "BufferA.sksl",
                       std::string("// x\n  ") + '\0' + " half4 main(float2 p) { return half4(1); }\n");
         },
         {"BufferA.sksl\" holds a NUL byte at line 2, column 3"}},
        {"a BufferA.sksl that does not compile",
         [&](TProgramTree& tree) {
             withImage(tree);
             WriteFile(tree.Assets / "BufferA.sksl", "half4 main(float2 p) { return undeclaredColour; }\n");
         },
         {"BufferA.sksl\" does not compile", "undeclaredColour", "1:"}},
        {"an Image.sksl without iTime",
         [&](TProgramTree& tree) {
             tree.CopyShader("BufferA.sksl");
             // The same program with the time under another name: it compiles, but the game sets iTime.
             std::string text = image;
             ASSERT_NE(text.find("uniform float iTime;"), std::string::npos) << "Image.sksl no longer declares iTime";
             for (size_t at; (at = text.find("iTime")) != std::string::npos;) text.replace(at, 5, "iClock");
             WriteFile(tree.Assets / "Image.sksl", text);
         },
         {"Image.sksl\" does not declare the uniform iTime, of type float"}},
        {"a BufferA.sksl whose iMouse is a float4",
         [&](TProgramTree& tree) {
             withImage(tree);
             std::string text = ReadFile(fs::path(AssetsFolder()) / "BufferA.sksl");
             const size_t at = text.find("uniform float3 iMouse;");
             ASSERT_NE(at, std::string::npos) << "BufferA.sksl no longer declares iMouse as a float3";
             text.replace(at, 22, "uniform float4 iMouse;");
             WriteFile(tree.Assets / "BufferA.sksl", text);
         },
         {"BufferA.sksl\" declares the uniform iMouse as float4; the game sets it as float3"}},
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

TEST(GameStart, AnUnrelatedAssetsFolderThreeLevelsUpDoesNotHideTheGamesOwn) {
    // The program's own shader files in ROOT/Assets (found above its folder ROOT/bin); the
    // working directory ROOT/elsewhere/a/b/c, three levels below ROOT/elsewhere/Assets, which
    // holds something else.
    TProgramTree tree;
    tree.CopyShader("Image.sksl");
    tree.CopyShader("BufferA.sksl");
    const fs::path unrelated = fs::path(tree.Root.Path()) / "elsewhere";
    WriteFile(unrelated / "Assets" / "notes.txt", "not the game's\n");
    fs::create_directories(unrelated / "a/b/c");

    TGameOptions options;
    options.Program = tree.Program;
    options.WorkingDirectory = unrelated / "a/b/c";
    TGame game(options);
    ASSERT_NE(game.Window(), 0u) << game.Process().Stderr();
    ASSERT_TRUE(game.WaitFrames(1)) << game.Process().Stderr();
    const std::optional<TExit> exit = game.Close();
    ASSERT_TRUE(exit) << "the program did not end when its window was closed";
    EXPECT_TRUE(exit->Exited);
    EXPECT_EQ(exit->Status, 0) << game.Process().Stderr();
}

TEST(GameStart, AFrameThatRaisesIsReportedOnceAndTheProgramGoesOn) {
    // A state file in a folder that does not exist: every frame raises after it is drawn.
    TProgramTree tree;
    tree.CopyShader("Image.sksl");
    tree.CopyShader("BufferA.sksl");
    TGameOptions options;
    options.Program = tree.Program;
    options.WorkingDirectory = tree.WorkingDirectory;
    options.Environment["TILEFALL_TEST_STATE_FILE"] = tree.Root / "no-such-folder/state.bin";
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
    const std::string message = "Tilefall: Cannot write the state file";
    const size_t first = errors.find(message);
    EXPECT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find(message, first + 1), std::string::npos) << "reported more than once:\n" << errors;
}

}  // namespace
