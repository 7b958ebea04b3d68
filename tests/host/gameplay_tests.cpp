// The game played through its real shader files, with scripted input and a fixed clock, observed
// in the state image the state pass writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "GameState.h"
#include "HeadlessGame.h"

using namespace Host;

namespace {

// A small picture keeps the image pass cheap; the board's layout follows the size.
constexpr int Width = 160, Height = 87;

std::vector<TInputEvent> Script(const std::string& text) {
    std::istringstream in(text);
    return ParseInputScript(in);
}

struct TRun {
    explicit TRun(double dt = 1.0 / 60) : game(Width, Height, dt) {}
    TGameState Step(int frames = 1) {
        for (int i = 0; i < frames; ++i) game.Frame();
        return {game.StateValues()};
    }
    THeadlessGame game;
};

TEST(Gameplay, TheFirstFrameStartsAGameWithAPieceAtTheTop) {
    TRun run;
    const TGameState s = run.Step();
    ASSERT_TRUE(s.Valid());
    EXPECT_FALSE(s.GameOver());
    EXPECT_GE(s.PieceKind(), 1);
    EXPECT_LE(s.PieceKind(), 7);
    EXPECT_LE(s.PieceY(), 0);
    EXPECT_EQ(s.LockedCells(), 0);
    EXPECT_EQ(s.Score(), 0);
}

TEST(Gameplay, ThePieceFallsOneRowPerFallInterval) {
    TRun run;  // 60 frames a second; a row every half second at level 0
    // Sampled between the steps (at 0.25 s, 0.75 s, 1.25 s), away from the moments a row drops.
    const int y0 = run.Step(16).PieceY();
    const int y1 = run.Step(30).PieceY();
    const int y2 = run.Step(30).PieceY();
    EXPECT_EQ(y1, y0 + 1);
    EXPECT_EQ(y2, y0 + 2);
}

TEST(Gameplay, ALongGapDropsThePieceAtMostOneRow) {
    TRun run(10.0);  // ten seconds between frames
    const TGameState a = run.Step();
    const TGameState b = run.Step();
    EXPECT_LE(b.PieceY() - a.PieceY(), 1);
}

TEST(Gameplay, HoldingLeftMovesThePieceToTheWallAndNoFurther) {
    TRun run;
    run.game.Queue(Script("1 keydown left\n"));
    const TGameState s = run.Step(60);
    const auto columns = s.PieceColumns();
    EXPECT_EQ(*std::min_element(columns.begin(), columns.end()), 0);
}

TEST(Gameplay, APressOnTheBoardRotatesThePiece) {
    TRun run;
    const TGameState before = run.Step(2);
    // The board is centred: its middle is the picture's middle.
    run.game.Queue(Script("2 mouse 80 43\n"));
    const TGameState after = run.Step();
    if (before.PieceKind() == 2) GTEST_SKIP() << "the O piece looks the same turned";
    EXPECT_EQ(after.Rotation(), (before.Rotation() + 1) % 4);
}

TEST(Gameplay, StackingToTheTopEndsTheGameAndSpaceStartsANewOne) {
    TRun run(0.1);
    TGameState s = run.Step();
    for (int i = 0; i < 3000 && !s.GameOver(); ++i) s = run.Step();
    ASSERT_TRUE(s.GameOver());
    EXPECT_GT(s.LockedCells(), 0);

    run.game.Queue(Script(std::to_string(run.game.FrameIndex()) + " keydown space\n"));
    s = run.Step();
    EXPECT_FALSE(s.GameOver());
    EXPECT_EQ(s.LockedCells(), 0);
    EXPECT_EQ(s.Score(), 0);
}

TEST(Gameplay, TheSameScriptGivesTheSameFramesTwice) {
    const std::string script = "5 keydown right\n20 keyup right\n30 mouse 80 43\n45 keydown left\n";
    std::vector<float> states[2];
    std::vector<uint32_t> pictures[2];
    for (int round = 0; round < 2; ++round) {
        TRun run;
        run.game.Queue(Script(script));
        states[round] = run.Step(90).values;
        pictures[round].resize(Width * Height);
        run.game.Picture()->ReadPixels(Skia::TSkImageInfo(Width, Height), pictures[round].data(), Width * 4);
    }
    EXPECT_EQ(states[0], states[1]);
    EXPECT_EQ(pictures[0], pictures[1]);
}

}  // namespace
