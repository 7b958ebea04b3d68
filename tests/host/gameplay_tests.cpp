// The game played through its real shader files, with scripted input and a fixed clock, observed
// in the state image the state pass writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "GamePlayer.h"
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

// The board's place in the 160 x 87 picture: cells of 5 pixels, the board 50 x 70, centred.
constexpr int CellSize = 5, BoardLeft = 55, BoardTop = 8;

std::string At(int frame, const std::string& event) { return std::to_string(frame) + " " + event + "\n"; }

struct TMouseCase {
    const char* where;
    float x;
    int columns;  // the piece's move
};

TEST(Gameplay, APressBesideTheBoardMovesThePieceOneColumn) {
    const TMouseCase cases[] = {
        {"far left", 3, -1},
        {"just left of the board", BoardLeft - 1, -1},
        {"just right of the board", BoardLeft + 10 * CellSize, 1},
        {"far right", Width - 2, 1},
    };
    for (const TMouseCase& c : cases) {
        SCOPED_TRACE(c.where);
        TRun run;
        const TGameState before = run.Step(2);
        run.game.Queue(Script(At(2, "mouse " + std::to_string(c.x) + " 40")));
        const TGameState after = run.Step();
        EXPECT_EQ(after.PieceX(), before.PieceX() + c.columns);
        EXPECT_EQ(after.Rotation(), before.Rotation());
        EXPECT_EQ(run.Step().PieceX(), after.PieceX()) << "one press moves once";
    }
}

// Holding an arrow moves the piece on the press frame, again after about 0.17 s, then about every
// 0.1 s: at 60 frames a second that is frames 0, 10 and 16 after the press, not every frame.
TEST(Gameplay, AHeldArrowMovesAtOnceThenRepeatsAboutEveryTenthOfASecond) {
    for (const char* key : {"left", "right"}) {
        SCOPED_TRACE(key);
        TRun run;
        const int x0 = run.Step(3).PieceX();
        const int step = std::string(key) == "left" ? -1 : 1;
        run.game.Queue(Script(At(3, std::string("keydown ") + key)));
        std::vector<int> moves;  // frames since the press at which the piece moved
        int x = x0;
        for (int f = 0; f < 20; ++f) {
            const int now = run.Step().PieceX();
            if (now != x) {
                EXPECT_EQ(now - x, step) << "frame " << f;
                moves.push_back(f);
            }
            x = now;
        }
        ASSERT_GE(moves.size(), 3u);
        EXPECT_EQ(moves[0], 0);
        EXPECT_NEAR(moves[1] / 60.0, 0.17, 0.02);
        EXPECT_NEAR((moves[2] - moves[1]) / 60.0, 0.1, 0.02);
    }
}

// One game played by the simple player until ten lines are cleared, every frame kept.
class PlayedGame : public ::testing::Test {
protected:
    static constexpr double TimeStep = 0.1;

    struct TFrame {
        TGameState state;
        std::vector<uint32_t> picture;  // kept from the frame before a lock to the end of a clear
    };

    static void SetUpTestSuite() {
        frames = new std::vector<TFrame>;
        TRun run(TimeStep);
        TGamePlayer player;
        TGameState s = run.Step();
        frames->push_back({s, {}});
        bool keepPictures = false;
        // Until the piece after the tenth line enters.
        for (int f = 1; f < 6000 && !(s.Lines() >= 10 && s.PieceKind() > 0) && !s.GameOver(); ++f) {
            switch (player.Next(s)) {
                case TGamePlayer::TMove::Left: run.game.Queue(Script(At(f, "keydown left") + At(f + 1, "keyup left"))); break;
                case TGamePlayer::TMove::Right: run.game.Queue(Script(At(f, "keydown right") + At(f + 1, "keyup right"))); break;
                case TGamePlayer::TMove::Turn: run.game.Queue(Script(At(f, "mouse 80 43"))); break;
                case TGamePlayer::TMove::None: break;
            }
            s = run.Step();
            keepPictures = keepPictures || s.Blinking();
            std::vector<uint32_t> picture;
            if (keepPictures || (s.PieceKind() > 0 && s.PieceY() == s.GhostY())) {
                picture.resize(size_t(Width * Height));
                run.game.Picture()->ReadPixels(Skia::TSkImageInfo(Width, Height), picture.data(), Width * 4);
            }
            keepPictures = s.Blinking();
            frames->push_back({s, std::move(picture)});
        }
    }
    static void TearDownTestSuite() { delete frames; }

    // Indices of the frames at which a piece locked.
    static std::vector<size_t> Locks() {
        std::vector<size_t> locks;
        for (size_t i = 1; i < frames->size(); ++i)
            if ((*frames)[i - 1].state.PieceKind() > 0 && (*frames)[i].state.PieceKind() == 0) locks.push_back(i);
        return locks;
    }
    static TLockResult Expected(size_t lock) {
        const TGameState& before = (*frames)[lock - 1].state;
        return Lock(BoardOf(before), before.PieceCells(), before.PieceKind());
    }

    static std::vector<TFrame>* frames;
};
std::vector<PlayedGame::TFrame>* PlayedGame::frames = nullptr;

TEST_F(PlayedGame, TenLinesAreClearedAndTheLevelRises) {
    const TGameState& last = frames->back().state;
    std::string board;
    for (int y = 0; y < TGameState::Rows; ++y) {
        for (int x = 0; x < TGameState::Columns; ++x) board += char('0' + last.Cell(x, y));
        board += "\n";
    }
    ASSERT_FALSE(last.GameOver()) << "the player lost after " << last.Lines() << " lines, " << frames->size() << " frames:\n" << board;
    EXPECT_GE(last.Lines(), 10);
    EXPECT_EQ(last.Level(), last.Lines() / 10);
    EXPECT_GE(last.Level(), 1);
    EXPECT_EQ(last.Best(), last.Score());
}

TEST_F(PlayedGame, ALockedPieceStaysWhereItRested) {
    for (size_t lock : Locks()) {
        SCOPED_TRACE("lock at frame " + std::to_string(lock));
        EXPECT_EQ(BoardOf((*frames)[lock].state), Expected(lock).locked);
    }
}

TEST_F(PlayedGame, FullRowsBlinkForAboutAThirdOfASecondThenVanishAndTheRowsAboveMoveDown) {
    int clears = 0;
    for (size_t lock : Locks()) {
        const TLockResult expected = Expected(lock);
        const TGameState& s = (*frames)[lock].state;
        SCOPED_TRACE("lock at frame " + std::to_string(lock));
        for (int y = 0; y < TGameState::Rows; ++y) {
            const bool full = std::find(expected.fullRows.begin(), expected.fullRows.end(), y) != expected.fullRows.end();
            EXPECT_EQ(s.RowBlinking(y), full) << "row " << y;
        }
        if (expected.fullRows.empty()) {
            EXPECT_FALSE(s.Blinking());
            continue;
        }
        ++clears;
        EXPECT_TRUE(s.Blinking());
        size_t end = lock;
        while (end < frames->size() && (*frames)[end].state.Blinking()) {
            EXPECT_EQ((*frames)[end].state.PieceKind(), 0) << "nothing falls while rows blink";
            EXPECT_EQ(BoardOf((*frames)[end].state), expected.locked);
            ++end;
        }
        ASSERT_LT(end, frames->size());
        EXPECT_NEAR(double(end - lock) * TimeStep, 0.3, TimeStep + 0.01);
        EXPECT_EQ(BoardOf((*frames)[end].state), expected.cleared);
        for (int y = 0; y < TGameState::Rows; ++y) EXPECT_FALSE((*frames)[end].state.RowBlinking(y));
    }
    EXPECT_GE(clears, 3);
}

// The picture of a full row flashes: every tile in it is lit toward white while it blinks.
TEST_F(PlayedGame, FullRowsFlashInThePicture) {
    int flashes = 0;
    for (size_t lock : Locks()) {
        const TLockResult expected = Expected(lock);
        const TFrame& blink = (*frames)[lock];
        if (expected.fullRows.empty() || blink.picture.empty() || (*frames)[lock - 1].picture.empty()) continue;
        ++flashes;
        for (int y : expected.fullRows) {
            for (int x = 0; x < TGameState::Columns; ++x) {
                if ((*frames)[lock - 1].state.Cell(x, y) == 0) continue;  // the piece's own cell
                const size_t at = size_t((BoardTop + y * CellSize + 2) * Width + BoardLeft + x * CellSize + 2);
                auto lightest = [](uint32_t c) { return std::min({c & 255, (c >> 8) & 255, (c >> 16) & 255}); };
                const uint32_t before = lightest((*frames)[lock - 1].picture[at]);
                const uint32_t during = lightest(blink.picture[at]);
                // Mixed at least 30% toward white.
                EXPECT_GE(during, before + (255 - before) * 3 / 10 - 2) << "cell " << x << ", " << y;
            }
        }
    }
    EXPECT_GE(flashes, 1);
}

TEST_F(PlayedGame, ClearsScoreFortyOneHundredThreeHundredOrTwelveHundredTimesTheLevelPlusOne) {
    const int points[] = {0, 40, 100, 300, 1200};
    for (size_t lock : Locks()) {
        const TLockResult expected = Expected(lock);
        const TGameState& before = (*frames)[lock - 1].state;
        const TGameState& after = (*frames)[lock].state;
        const int n = int(expected.fullRows.size());
        SCOPED_TRACE("lock at frame " + std::to_string(lock) + ", " + std::to_string(n) + " rows");
        EXPECT_EQ(after.Score(), before.Score() + points[n] * (before.Level() + 1));
        EXPECT_EQ(after.Lines(), before.Lines() + n);
        EXPECT_EQ(after.Level(), after.Lines() / 10);
    }
}

TEST_F(PlayedGame, EachNewPieceIsTheOneThePreviewShowed) {
    int spawns = 0;
    for (size_t i = 1; i < frames->size(); ++i) {
        const TGameState& before = (*frames)[i - 1].state;
        const TGameState& s = (*frames)[i].state;
        if (before.PieceKind() != 0 || s.PieceKind() == 0) continue;
        ++spawns;
        EXPECT_EQ(s.PieceKind(), before.NextKind()) << "frame " << i;
        // It enters in the orientation the preview showed, in the middle of the top row.
        std::array<int, 4> cells{};
        const auto [x0, y0] = std::pair{s.PieceX(), s.PieceY()};
        for (size_t k = 0; k < 4; ++k) cells[k] = (s.PieceCells()[k].first - x0) + 4 * (s.PieceCells()[k].second - y0);
        std::array<int, 4> shown = before.NextCells();
        std::sort(cells.begin(), cells.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(cells, shown) << "frame " << i;
        EXPECT_EQ(s.PieceX(), 3);
    }
    EXPECT_GE(spawns, 20);
}

// The colour class of a tile pixel: 1..7 for I O T S Z J L (cyan, yellow, purple, green, red, blue,
// orange), 0 for anything else.
int TileColour(uint32_t rgba) {
    const int r = rgba & 255, g = (rgba >> 8) & 255, b = (rgba >> 16) & 255;
    const int hi = 140, lo = 110;
    if (r < lo && g > hi && b > hi) return 1;
    if (r > hi && g > hi && b < lo) return 2;
    if (r > hi && g < lo && b > hi) return 3;
    if (g > hi && r < lo && b < lo) return 4;
    if (r > hi && g < lo && b < lo) return 5;
    if (b > hi && r < lo && g < lo + 20) return 6;
    if (r > hi && g > 90 && g < 170 && b < lo) return 7;
    return 0;
}

TEST(Gameplay, ThePreviewShowsThePieceThatEntersNext) {
    constexpr int W = 640, H = 347;
    THeadlessGame game(W, H, 0.1);
    game.Frame();
    TGameState s{game.StateValues()};
    const int falling = s.PieceKind();
    // The box right of the board, above the title: board cells of 22 pixels from (210, 19).
    std::vector<uint32_t> picture(W * H);
    game.Picture()->ReadPixels(Skia::TSkImageInfo(W, H, Skia::TSkColorType::RGBA8888, Skia::TSkAlphaType::Premul),
                               picture.data(), W * 4);
    int count[8] = {};
    for (int y = 19 + 22; y < 19 + 5 * 22; ++y)
        for (int x = 210 + 10 * 22 + 11; x < 210 + 17 * 22; ++x) ++count[TileColour(picture[size_t(y * W + x)])];
    const int shown = int(std::max_element(count + 1, count + 8) - count);
    EXPECT_GT(count[shown], 200) << count[1] << " " << count[2] << " " << count[3] << " " << count[4] << " " << count[5] << " " << count[6] << " " << count[7];
    EXPECT_EQ(shown, s.NextKind());

    for (int f = 0; f < 400 && s.PieceKind() != 0; ++f) {
        game.Frame();
        s = TGameState{game.StateValues()};
    }
    for (int f = 0; f < 10 && s.PieceKind() == 0; ++f) {
        game.Frame();
        s = TGameState{game.StateValues()};
    }
    EXPECT_NE(falling, 0);
    EXPECT_EQ(s.PieceKind(), shown);
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
