// sksl-render run as a process: the pictures it draws against the reference engine's (made by
// make_expected.mjs), its exit status and messages for each kind of mistake, and --list.
#include <gtest/gtest.h>
#include <png.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
const std::string kFixtures = SKSL_RENDER_FIXTURES;

struct Result {
    int status = -1;  // exit status
    std::string out, err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Runs the tool in the fixture folder (or cwd) with stdout and stderr caught in files.
Result RunTool(const std::vector<std::string>& args, const std::string& cwd = kFixtures) {
    static int runs = 0;
    const fs::path base = fs::path(SKSL_RENDER_OUT) / ("run" + std::to_string(getpid()) + "_" + std::to_string(runs++));
    fs::create_directories(base.parent_path());
    const std::string outFile = base.string() + ".out", errFile = base.string() + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    std::vector<char*> argv{const_cast<char*>(SKSL_RENDER)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    Result r;
    if (posix_spawn(&pid, SKSL_RENDER, &actions, nullptr, argv.data(), environ) == 0) {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = ReadFile(outFile);
    r.err = ReadFile(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
}

std::string Describe(const std::vector<std::string>& args, const Result& r) {
    std::string s = "sksl-render";
    for (const auto& a : args) s += " " + a;
    return s + "\nexit " + std::to_string(r.status) + "\nstderr: " + r.err;
}

// An 8-bit RGBA PNG as stored (unpremultiplied); false when the file is not one.
struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> px;
};
bool ReadRgba8(const std::string& path, Png* png) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    const bool rgba8 = image.format == PNG_FORMAT_RGBA;
    image.format = PNG_FORMAT_RGBA;
    png->px.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, png->px.data(), 0, nullptr)) return false;
    png->width = int(image.width), png->height = int(image.height);
    return rgba8;
}

// The rendered cases: NAME ARGS... lines of cases.txt.
struct RenderCase {
    std::string name;
    std::vector<std::string> args;
};
std::vector<RenderCase> LoadRenderCases() {
    std::vector<RenderCase> cases;
    std::istringstream lines(ReadFile(kFixtures + "/cases.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        RenderCase c;
        words >> c.name;
        for (std::string w; words >> w;) c.args.push_back(w);
        cases.push_back(c);
    }
    return cases;
}

class Renders : public testing::TestWithParam<RenderCase> {};

// Premultiplied values within 3 levels of the reference everywhere; the stored (unpremultiplied)
// values close where alpha is high enough to show them.
TEST_P(Renders, LikeTheReferenceEngine) {
    const RenderCase& c = GetParam();
    const std::string out = (fs::path(SKSL_RENDER_OUT) / (c.name + ".png")).string();
    fs::remove(out);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", out});
    const Result r = RunTool(args);
    ASSERT_EQ(r.status, 0) << Describe(args, r);
    EXPECT_EQ(r.err, "");
    for (const auto& e : fs::directory_iterator(SKSL_RENDER_OUT))  // written aside, then renamed
        EXPECT_NE(e.path().filename().string().rfind(c.name + ".png.partial", 0), 0u) << e.path();
    Png got, want;
    ASSERT_TRUE(ReadRgba8(out, &got)) << out << " is not an 8-bit RGBA PNG";
    ASSERT_TRUE(ReadRgba8(kFixtures + "/expected/" + c.name + ".png", &want));
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    int worstPremul = 0, worstStored = 0;
    for (size_t i = 0; i < got.px.size(); i += 4) {
        for (size_t k = 0; k < 4; ++k) {
            const int a = k < 3 ? got.px[i + 3] : 255, b = k < 3 ? want.px[i + 3] : 255;
            worstPremul = std::max(worstPremul, std::abs(got.px[i + k] * a / 255 - want.px[i + k] * b / 255));
            if (want.px[i + 3] >= 128) worstStored = std::max(worstStored, std::abs(got.px[i + k] - want.px[i + k]));
        }
    }
    EXPECT_LE(worstPremul, 3);
    EXPECT_LE(worstStored, 6);
}

INSTANTIATE_TEST_SUITE_P(Cases, Renders, testing::ValuesIn(LoadRenderCases()),
                         [](const testing::TestParamInfo<RenderCase>& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> messages;  // each must appear in stderr
};

const FailureCase kFailures[] = {
    // Usage: the command line cannot be run as written.
    {"no_arguments", {}, 2, {"no program file"}},
    {"unknown_option", {"--colour", "red", "-o", "x.png", "rings.sksl"}, 2, {"unknown option --colour", "--help"}},
    {"unknown_kind", {"--kind", "paint", "-o", "x.png", "rings.sksl"}, 2, {"--kind is shader, colorfilter or blender"}},
    {"size_without_x", {"--size", "64", "-o", "x.png", "rings.sksl"}, 2, {"--size takes WxH"}},
    {"size_zero", {"--size", "0x10", "-o", "x.png", "rings.sksl"}, 2, {"--size takes WxH between 1x1 and 8192x8192"}},
    {"size_too_big", {"--size", "9000x10", "-o", "x.png", "rings.sksl"}, 2, {"--size takes WxH"}},
    {"size_negative", {"--size", "-4x4", "-o", "x.png", "rings.sksl"}, 2, {"--size takes WxH"}},
    {"uniform_without_value", {"--uniform", "width", "-o", "x.png", "rings.sksl"}, 2, {"--uniform takes NAME=VALUE"}},
    {"uniform_empty_value", {"--uniform", "centre=1,,2", "-o", "x.png", "rings.sksl"}, 2, {"empty value"}},
    {"uniform_twice", {"--uniform", "width=1", "--uniform", "width=2", "-o", "x.png", "rings.sksl"}, 2,
     {"uniform \"width\" is given twice"}},
    {"child_without_file", {"--child", "tile", "-o", "x.png", "tiled_child.sksl"}, 2, {"--child takes NAME=VALUE"}},
    {"no_output", {"rings.sksl"}, 2, {"no output file"}},
    {"option_without_value", {"rings.sksl", "-o"}, 2, {"-o needs a value"}},
    {"two_programs", {"-o", "x.png", "rings.sksl", "warm.sksl"}, 2, {"one program file only"}},
    {"filter_without_input", {"--kind", "colorfilter", "-o", "x.png", "warm.sksl"}, 2, {"needs --input"}},
    {"blender_without_input", {"--kind", "blender", "-o", "x.png", "soft_light.sksl"}, 2, {"needs --input"}},
    {"shader_with_input", {"--input", "photo.png", "-o", "x.png", "rings.sksl"}, 2,
     {"--input is for colour filters and blenders"}},
    // The program, or what it is given, does not work.
    {"compile_errors", {"-o", "x.png", "broken.sksl"}, 1,
     {"broken.sksl:3:15: error: unknown identifier 'undefined_name'", "    half3 c = undefined_name;", "^"}},
    {"wrong_kind", {"--kind", "blender", "--input", "photo.png", "-o", "x.png", "rings.sksl"}, 1, {"rings.sksl:", "error:"}},
    {"missing_program", {"-o", "x.png", "nothing.sksl"}, 1, {"cannot read nothing.sksl"}},
    {"unknown_uniform", {"--uniform", "radius=3", "-o", "x.png", "rings.sksl"}, 1, {"the program has no uniform \"radius\""}},
    {"too_few_values", {"--uniform", "centre=3", "-o", "x.png", "rings.sksl"}, 1,
     {"uniform \"centre\" is float2: it takes 2 values, not 1"}},
    {"too_many_values", {"--uniform", "width=1,2", "-o", "x.png", "rings.sksl"}, 1,
     {"uniform \"width\" is float: it takes 1 value, not 2"}},
    {"array_values", {"--uniform", "tints=1,2,3", "-o", "x.png", "listing.sksl"}, 1,
     {"uniform \"tints\" is float3[2]: it takes 6 values, not 3"}},
    {"float_for_int", {"--uniform", "bands=2.5", "-o", "x.png", "rings.sksl"}, 1,
     {"uniform \"bands\" is an int uniform: \"2.5\" is not a 32-bit integer"}},
    {"int_out_of_range", {"--uniform", "bands=4294967296", "-o", "x.png", "rings.sksl"}, 1, {"is not a 32-bit integer"}},
    {"not_a_number", {"--uniform", "width=wide", "-o", "x.png", "rings.sksl"}, 1, {"uniform \"width\": \"wide\" is not a number"}},
    {"float_out_of_range", {"--uniform", "width=1e400", "-o", "x.png", "rings.sksl"}, 1,
     {"uniform \"width\": \"1e400\" is out of range for a float"}},
    {"directory_as_program", {"-o", "x.png", "expected"}, 1, {"cannot read expected: it is a directory"}},
    {"missing_input", {"--kind", "colorfilter", "--input", "nothing.png", "-o", "x.png", "warm.sksl"}, 1,
     {"cannot read nothing.png (the input image): No such file or directory"}},
    {"input_not_an_image", {"--kind", "colorfilter", "--input", "warm.sksl", "-o", "x.png", "warm.sksl"}, 1,
     {"cannot read warm.sksl (the input image): not a PNG"}},
    {"unknown_child", {"--child", "picture=tile.png", "-o", "x.png", "tiled_child.sksl"}, 1,
     {"the program has no child \"picture\""}},
    {"child_not_a_shader", {"--child", "compose=tile.png", "-o", "x.png", "listing.sksl"}, 1,
     {"child \"compose\" is a blender: only shader children take an image"}},
    {"missing_child_image", {"--child", "tile=gone.png", "-o", "x.png", "tiled_child.sksl"}, 1,
     {"cannot read gone.png (the image of child \"tile\")"}},
    {"unwritable_output", {"-o", "no/such/folder/x.png", "rings.sksl"}, 1, {"cannot write no/such/folder/x.png"}},
};

class Fails : public testing::TestWithParam<FailureCase> {};

TEST_P(Fails, WithItsStatusAndMessage) {
    const FailureCase& c = GetParam();
    const Result r = RunTool(c.args);
    EXPECT_EQ(r.status, c.status) << Describe(c.args, r);
    for (const std::string& m : c.messages) EXPECT_NE(r.err.find(m), std::string::npos) << "missing: " << m << "\n" << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(kFixtures + "/x.png")) << "a failed run wrote a picture";
}

INSTANTIATE_TEST_SUITE_P(Cases, Fails, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(SkslRender, CompileErrorsAreAllReportedWithPositions) {
    const Result r = RunTool({"-o", "x.png", "broken.sksl"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("broken.sksl:3:15: error: ", 0), 0u) << r.err;  // first, with no preamble
    EXPECT_NE(r.err.find("broken.sksl:4:"), std::string::npos) << r.err;  // the second one too
    EXPECT_NE(r.err.find("2 errors"), std::string::npos) << r.err;
}

TEST(SkslRender, ListPrintsUniformsAndChildren) {
    const Result r = RunTool({"--list", "listing.sksl"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "uniform origin float2 count 1 offset 0\n"
              "uniform tints float3 count 2 offset 8\n"
              "uniform mixing float4x4 count 1 offset 32\n"
              "uniform flags int4 count 1 offset 96\n"
              "child picture shader\n"
              "child grade colorFilter\n"
              "child compose blender\n");
    EXPECT_EQ(r.err, "");

    const Result blender = RunTool({"--kind", "blender", "--list", "soft_light.sksl"});
    EXPECT_EQ(blender.status, 0) << blender.err;
    EXPECT_EQ(blender.out, "uniform weight float count 1 offset 0\n");
    EXPECT_EQ(RunTool({"--list", "broken.sksl"}).status, 1);
}

// A shader child the command line leaves out draws transparent, with a warning naming it.
TEST(SkslRender, WarnsOfAChildNotGiven) {
    const std::string out = (fs::path(SKSL_RENDER_OUT) / "child_left_out.png").string();
    const Result r = RunTool({"--size", "4x4", "--uniform", "scale=3", "-o", out, "tiled_child.sksl"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: child \"tile\" is not given"), std::string::npos) << r.err;
}

// The README's sksl-render commands work as written from the project root.
TEST(SkslRender, ReadmeExamplesRunFromTheProjectRoot) {
    const fs::path root = fs::path(kFixtures) / ".." / ".." / "..";
    std::istringstream readme(ReadFile(root / "README.md"));
    std::vector<std::vector<std::string>> commands;
    std::string line, command;
    while (std::getline(readme, line)) {
        if (command.empty() && line.rfind("build/bin/sksl-render ", 0) != 0) continue;
        const bool continued = !line.empty() && line.back() == '\\';
        command += (continued ? line.substr(0, line.size() - 1) : line) + " ";
        if (continued) continue;
        std::istringstream words(command);
        std::vector<std::string> args;
        for (std::string w; words >> w;) args.push_back(w);
        args.erase(args.begin());  // the tool itself
        for (size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == "-o") args[i + 1] = (fs::path(SKSL_RENDER_OUT) / ("readme_" + args[i + 1])).string();
        }
        commands.push_back(args);
        command.clear();
    }
    ASSERT_GE(commands.size(), 3u);
    for (const auto& args : commands) {
        const Result r = RunTool(args, root.string());
        EXPECT_EQ(r.status, 0) << Describe(args, r);
        EXPECT_EQ(r.err, "") << Describe(args, r);
    }
}

TEST(SkslRender, HelpGoesToStandardOutput) {
    const Result r = RunTool({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: sksl-render"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

}  // namespace
