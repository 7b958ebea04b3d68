// The real tilefall program while its window is unmapped, as a window manager does when it
// minimises it: no frames are drawn meanwhile, and once the window is mapped again frames resume
// and the first of them sees the whole gap as its iTimeDelta. The game runs on the real clock with
// a BufferA.sksl that also keeps, in a state pixel the game leaves unused, the longest iTimeDelta
// seen so far and the frame that saw it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "GameRun.h"

using namespace WindowTest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Kept in state pixel (13, 13): r the longest iTimeDelta / 256 s, g and b the frame that saw it
// (high and low byte, as n / 255).
constexpr const char* DeltaProbe = R"(half4 main(float2 fragCoord) {
    if (fragCoord.x == 13.5 && fragCoord.y == 13.5) {
        float4 was = prev(13.0, 13.0);
        float most = iFrame == 0 ? 0.0 : was.r * 256.0;
        float at = iFrame == 0 ? 0.0 : floor(was.g * 255.0 + 0.5) * 256.0 + floor(was.b * 255.0 + 0.5);
        if (iTimeDelta > most) {
            most = iTimeDelta;
            at = float(iFrame);
        }
        return half4(half(most / 256.0), half(floor(at / 256.0) / 255.0), half(mod(at, 256.0) / 255.0), 1.0);
    }
)";

struct TLongestDelta {
    double Seconds = 0;
    int Frame = 0;  // the frame's iFrame: the count of frames drawn before it
};

TLongestDelta LongestDelta(const TGameState& state) {
    const size_t at = size_t(13 * 14 + 13) * 4;
    return {state.values[at] * 256.0, state.N(13, 13, 1) * 256 + state.N(13, 13, 2)};
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class GameHiddenWindow : public ::testing::TestWithParam<const char*> {};

TEST_P(GameHiddenWindow, DrawsNoFramesWhileUnmappedAndTheFirstFrameAfterSeesTheGap) {
    // The game finds its shader files in ../../../Assets from its working directory.
    TTempDir tree;
    fs::create_directories(tree / "Assets");
    fs::create_directories(tree / "run/a/b");
    fs::copy_file(fs::path(AssetsFolder()) / "Image.sksl", tree / "Assets/Image.sksl");
    std::string bufferA = ReadFile(fs::path(AssetsFolder()) / "BufferA.sksl");
    const std::string entry = "half4 main(float2 fragCoord) {\n";
    const size_t at = bufferA.find(entry);
    ASSERT_NE(at, std::string::npos) << "BufferA.sksl no longer has " << entry;
    bufferA.replace(at, entry.size(), DeltaProbe);
    std::ofstream(tree / "Assets/BufferA.sksl", std::ios::binary) << bufferA;

    TGameOptions options;
    options.Canvas = GetParam();
    options.WorkingDirectory = tree / "run/a/b";
    options.Environment["TILEFALL_TEST_TIME_STEP"] = std::nullopt;
    TGame game(options);
    ASSERT_TRUE(game.WaitForState([](const TGameState&) { return true; }, StartTimeout)) << game.Process().Stderr();
    ASSERT_TRUE(game.WaitFrames(5)) << game.Process().Stderr();
    const TWindowId window = game.Window();
    ASSERT_NE(window, 0u);
    // Away for longer than any frame so far took, so that the gap is the longest delta.
    const double before = LongestDelta(*game.State()).Seconds;
    const auto away = std::chrono::duration<double>(std::max(3.0, before + 2.0));

    const Clock::time_point unmapped = Clock::now();
    ASSERT_TRUE(TXSession::Get().Xdotool({"windowunmap", "--sync", WindowArgument(window)}));
    // A frame under way when the window went may still end; then the count holds.
    int frames = game.Frames();
    for (const Clock::time_point end = Clock::now() + StepTimeout; Clock::now() < end;) {
        std::this_thread::sleep_for(300ms);
        if (game.Frames() == frames) break;
        frames = game.Frames();
    }
    const Clock::time_point quiet = Clock::now();
    std::this_thread::sleep_for(away);
    EXPECT_EQ(game.Frames(), frames) << "frames were drawn while the window was unmapped";
    const double hidden = SecondsSince(quiet);

    ASSERT_TRUE(TXSession::Get().Xdotool({"windowmap", "--sync", WindowArgument(window)}));
    ASSERT_TRUE(game.WaitFrames(2)) << "no frames after the window was mapped again; it wrote:\n"
                                    << game.Process().Stderr();
    const double sinceUnmapped = SecondsSince(unmapped);
    const TLongestDelta longest = LongestDelta(*game.State());
    EXPECT_EQ(longest.Frame, frames) << "the longest iTimeDelta was not the first frame's after the gap";
    EXPECT_GE(longest.Seconds, hidden - 0.01);
    // The frame before the gap came at most a frame's time before the unmapping.
    EXPECT_LE(longest.Seconds, sinceUnmapped + before + 0.5);
}

INSTANTIATE_TEST_SUITE_P(Canvases, GameHiddenWindow, ::testing::Values("opengl", "raster"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
