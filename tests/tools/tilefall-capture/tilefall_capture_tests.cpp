// tilefall-capture run as a process from a folder unrelated to the program: options out of
// range, scripts that are no files or name frames past the limit, shader files it cannot use,
// and writes that fail. Each is refused with a message that names the cause, and leaves no
// half-written picture behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A folder of its own for each test, removed afterwards.
class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tilefall_capture_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "cwd");
    }
    void TearDown() override { fs::remove_all(root); }

    struct Result {
        int status = -1;
        std::string err;
    };

    // Runs program (the build's tilefall-capture unless given) in root/cwd; with a file size
    // limit in bytes, through a shell that sets it and ignores SIGXFSZ, so writes fail instead.
    Result Run(const std::vector<std::string>& args, std::string program = TILEFALL_CAPTURE, long fileLimit = 0) {
        const std::string errFile = (root / "stderr.txt").string();
        std::vector<std::string> argv;
        if (fileLimit) {
            argv = {"/bin/sh", "-c",
                    "trap '' XFSZ; ulimit -f " + std::to_string(fileLimit / 512) + " && exec \"$0\" \"$@\"", program};
        } else {
            argv = {program};
        }
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv;
        for (std::string& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string cwd = (root / "cwd").string();
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        pid_t pid = 0;
        Result r;
        if (posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ) == 0) {
            int wstatus = 0;
            waitpid(pid, &wstatus, 0);
            r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        }
        posix_spawn_file_actions_destroy(&actions);
        r.err = ReadFile(errFile);
        return r;
    }

    // What the output folder holds, by name.
    std::vector<std::string> Written() {
        std::vector<std::string> names;
        if (fs::is_directory(root / "out"))
            for (const auto& entry : fs::directory_iterator(root / "out")) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string Out() { return (root / "out").string(); }
    fs::path root;
};

TEST_F(CaptureTest, NumbersOutOfRangeAreRefusedByTheirOptionsName) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--frames", "4294967298"}, "--frames must be from 1 to 100000000, not 4294967298"},
        {{"--frames", "99999999999"}, "--frames must be from 1 to 100000000, not 99999999999"},
        {{"--frames", "99999999999999999999999"}, "--frames must be from 1 to 100000000"},
        {{"--frames", "0"}, "--frames must be from 1 to 100000000, not 0"},
        {{"--frames", "12x"}, "--frames takes a whole number, not \"12x\""},
        {{"--size", "4294967936x347"}, "--size (width) must be from 1 to 16384, not 4294967936"},
        {{"--size", "640x-347"}, "--size (height) must be from 1 to 16384, not -347"},
        {{"--every", "4294967297"}, "--every must be from 1 to 100000000, not 4294967297"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message);
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--out", Out()});
        const Result r = Run(all);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_TRUE(Written().empty());
    }
}

TEST_F(CaptureTest, AnInputThatIsAFolderOrNamesAFramePastTheLimitIsRefused) {
    fs::create_directories(root / "script.d");
    WriteFile(root / "late.txt", "0 keydown left\n100000001 keyup left\n");
    const std::pair<std::string, std::string> cases[] = {
        {(root / "script.d").string(), "script.d\" is a directory, not a file"},
        {(root / "late.txt").string(), "late.txt: line 2: the frame number 100000001 is past the last frame a script may "
                                       "name, 100000000"},
        {(root / "none.txt").string(), "Cannot read the input script \"" + (root / "none.txt").string() +
                                           "\": No such file or directory"},
    };
    for (const auto& [input, message] : cases) {
        SCOPED_TRACE(input);
        const Result r = Run({"--frames", "2", "--size", "32x16", "--input", input, "--out", Out()});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_TRUE(Written().empty());
    }
}

// A copy of the program and its engine with the given shader files beside it.
std::string ProgramWithShaders(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& shaders) {
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "lib");
    fs::copy_file(TILEFALL_CAPTURE, dir / "bin/tilefall-capture");
    fs::copy_file(TILEFALL_ENGINE, dir / "lib" / fs::path(TILEFALL_ENGINE).filename());
    for (const auto& [name, text] : shaders) WriteFile(dir / "bin/Assets" / name, text);
    return (dir / "bin/tilefall-capture").string();
}

TEST_F(CaptureTest, ShaderFilesItCannotUseAreNamedWithTheCause) {
    if (fs::exists(fs::path(TILEFALL_INSTALLED_ASSETS) / "Image.sksl"))
        GTEST_SKIP() << "an installed game's shader files are in " << TILEFALL_INSTALLED_ASSETS;
    const fs::path assets = fs::path(TILEFALL_CAPTURE).parent_path() / "Assets";
    const std::string image = ReadFile(assets / "Image.sksl"), bufferA = ReadFile(assets / "BufferA.sksl");
    std::string timeless = image;
    for (size_t at; (at = timeless.find("iTime")) != std::string::npos;) timeless.replace(at, 5, "iClock");
    const struct {
        const char* Name;
        std::vector<std::pair<std::string, std::string>> Shaders;
        std::vector<std::string> Messages;
    } cases[] = {
        {"missing", {{"BufferA.sksl", bufferA}},
         {"The specified file was not found", "bin/Assets/Image.sksl",
          "bin/Assets/: Image.sksl missing, BufferA.sksl found", "\n  /Assets/: no such folder"}},
        {"no iTime", {{"BufferA.sksl", bufferA}, {"Image.sksl", timeless}},
         {"bin/Assets/Image.sksl\" does not declare the uniform iTime, of type float"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const fs::path tree = root / c.Name;
        const Result r = Run({"--frames", "1", "--size", "32x16", "--out", Out()}, ProgramWithShaders(tree, c.Shaders));
        EXPECT_EQ(r.status, 1) << r.err;
        for (const std::string& message : c.Messages)
            EXPECT_NE(r.err.find(message), std::string::npos) << "no \"" << message << "\" in:\n" << r.err;
        EXPECT_TRUE(Written().empty());
    }
}

TEST_F(CaptureTest, AFailedWriteGivesTheSystemsReasonAndLeavesNoTruncatedPicture) {
    // A 64 x 48 game frame takes some kilobytes: a 512-byte file size limit stops the first write.
    const Result r = Run({"--frames", "3", "--size", "64x48", "--out", Out()}, TILEFALL_CAPTURE, 512);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Cannot write \"" + (root / "out/frame_000000.png").string() + "\": File too large"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Written(), std::vector<std::string>{});
}

TEST_F(CaptureTest, ARunThatCannotFitTheDiskIsRefusedBeforeItFillsIt) {
    const Result r = Run({"--frames", "100000000", "--out", Out()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("the 100000000 frames to save need about"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("MiB free"), std::string::npos) << r.err;
    EXPECT_EQ(Written(), std::vector<std::string>{});
}

TEST_F(CaptureTest, AGoodRunFromAnUnrelatedFolderWritesEveryKthFrameAndTheLast) {
    const Result r = Run({"--frames", "5", "--every", "2", "--size", "32x16", "--state", "--out", Out()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Written(), (std::vector<std::string>{"frame_000000.png", "frame_000002.png", "frame_000004.png",
                                                   "state_000000.png", "state_000002.png", "state_000004.png"}));
}

}  // namespace
