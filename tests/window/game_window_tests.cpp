// The real tilefall program in its window: where the window opens, what it shows, how it takes
// the arrows, clicks and space, resizing and closing. Each test starts the program on the test
// display with its clock stopped and compares what the X server shows with the same game drawn
// headless by this build, on the OpenGL canvas and on the raster canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "GameRun.h"

using namespace WindowTest;
using Host::TInputEvent;

namespace {

// The picture on the window and the headless one may differ by rounding, no more.
constexpr int Tolerance = 2;

TInputEvent Key(int frame, TInputEvent::TKind kind, TInputEvent::TKey key) {
    TInputEvent e;
    e.Frame = frame;
    e.Kind = kind;
    e.Key = key;
    return e;
}

TInputEvent Mouse(int frame, float x, float y) {
    TInputEvent e;
    e.Frame = frame;
    e.Kind = TInputEvent::TKind::Mouse;
    e.X = x;
    e.Y = y;
    return e;
}

void ExpectPicture(const TPicture& shown, const TPicture& expected, const std::string& name) {
    const TDifference d = Compare(shown, expected, Tolerance);
    ASSERT_TRUE(d.SameSize) << name << ": the window shows " << shown.Width << " x " << shown.Height
                            << " pixels, the headless game drew " << expected.Width << " x " << expected.Height;
    EXPECT_EQ(d.PixelsOver, 0u) << name << ": " << d.PixelsOver << " pixels differ, by up to " << d.MaxChannel
                                << "; pictures in " << SaveForInspection(name, shown, expected);
}

std::string TestName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

class GameWindow : public ::testing::TestWithParam<const char*> {
protected:
    TGameOptions Options() const {
        TGameOptions options;
        options.Canvas = GetParam();
        return options;
    }
};

TEST_P(GameWindow, OpensCentredWithItsCaptionAndClientSize) {
    TGame game(Options());
    const TWindowId window = game.Window();
    ASSERT_NE(window, 0u);
    EXPECT_EQ(TXSession::Get().WindowName(window), GameCaption);
    const std::optional<TGeometry> geometry = TXSession::Get().Geometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->Width, GameWidth);
    EXPECT_EQ(geometry->Height, GameHeight);
    // Centred: as many pixels left as right of it, above as below (one apart for odd sizes).
    const int right = TXSession::Get().ScreenWidth() - geometry->X - geometry->Width;
    const int below = TXSession::Get().ScreenHeight() - geometry->Y - geometry->Height;
    EXPECT_LE(std::abs(geometry->X - right), 1) << "left " << geometry->X << ", right " << right;
    EXPECT_LE(std::abs(geometry->Y - below), 1) << "above " << geometry->Y << ", below " << below;
}

TEST_P(GameWindow, ShowsTheFrameTheHeadlessGameDraws) {
    TGame game(Options());
    ASSERT_TRUE(game.WaitForState([](const TGameState&) { return true; }, StartTimeout)) << game.Process().Stderr();
    ExpectPicture(game.SettledPicture(), HeadlessPicture(GameWidth, GameHeight, {}, 3), TestName());
}

TEST_P(GameWindow, ArrowsMoveThePieceAndAClickOnTheBoardTurnsIt) {
    TGame game(Options());
    const std::optional<TGameState> start = game.WaitForState([](const TGameState&) { return true; }, StartTimeout);
    ASSERT_TRUE(start) << game.Process().Stderr();
    const int x = start->PieceX(), turn = start->Rotation();
    ASSERT_GE(start->PieceKind(), 1);

    // Each arrow is held until a frame has seen it: with the clock stopped it moves one column,
    // however long it is held.
    auto press = [&](const std::string& key, int expectedX) {
        game.KeyDown(key);
        const bool moved = game.WaitForState([&](const TGameState& s) { return s.PieceX() == expectedX; }).has_value();
        game.KeyUp(key);
        EXPECT_TRUE(moved) << key << " did not move the piece to column " << expectedX;
        EXPECT_TRUE(game.WaitFrames(2));
    };
    press("Left", x - 1);
    press("Right", x);
    press("Right", x + 1);
    EXPECT_EQ(game.State()->PieceX(), x + 1);

    // The middle of the window is over the board, which is centred.
    game.Click(GameWidth / 2, GameHeight / 2);
    EXPECT_TRUE(game.WaitForState([&](const TGameState& s) { return s.Rotation() == (turn + 1) % 4; }))
        << "a click on the board did not turn the piece";

    using K = TInputEvent::TKind;
    using Y = TInputEvent::TKey;
    const std::vector<TInputEvent> same = {
        Key(1, K::KeyDown, Y::Left),  Key(2, K::KeyUp, Y::Left),  Key(3, K::KeyDown, Y::Right),
        Key(4, K::KeyUp, Y::Right),   Key(5, K::KeyDown, Y::Right), Key(6, K::KeyUp, Y::Right),
        Mouse(7, GameWidth / 2, GameHeight / 2)};
    ExpectPicture(game.SettledPicture(), HeadlessPicture(GameWidth, GameHeight, same, 9), TestName());
}

TEST_P(GameWindow, SpaceStartsANewGame) {
    TGame game(Options());
    const std::optional<TGameState> start = game.WaitForState([](const TGameState&) { return true; }, StartTimeout);
    ASSERT_TRUE(start) << game.Process().Stderr();
    const int entryX = start->PieceX();
    game.KeyDown("Left");
    const bool moved = game.WaitForState([&](const TGameState& s) { return s.PieceX() == entryX - 1; }).has_value();
    game.KeyUp("Left");
    ASSERT_TRUE(moved);

    game.KeyDown("space");
    const std::optional<TGameState> fresh = game.WaitForState(
        [&](const TGameState& s) { return s.PieceX() == entryX && s.Rotation() == 0 && s.PieceY() == start->PieceY(); });
    game.KeyUp("space");
    ASSERT_TRUE(fresh) << "space did not put a new piece at the top";
    EXPECT_FALSE(fresh->GameOver());
    EXPECT_EQ(fresh->LockedCells(), 0);
    EXPECT_EQ(fresh->Score(), 0);
    // One reset, not one a frame: the game stays as it is while space is held and after.
    ASSERT_TRUE(game.WaitFrames(3));
    EXPECT_EQ(game.State()->PieceX(), entryX);
}

TEST_P(GameWindow, AResizedWindowDrawsTheBoardCentredInTheNewSize) {
    TGame game(Options());
    ASSERT_TRUE(game.WaitForState([](const TGameState&) { return true; }, StartTimeout)) << game.Process().Stderr();
    constexpr int Width = 820, Height = 460;
    ASSERT_TRUE(TXSession::Get().Xdotool(
        {"windowsize", "--sync", WindowArgument(game.Window()), std::to_string(Width), std::to_string(Height)}));
    const std::optional<TGeometry> geometry = TXSession::Get().Geometry(game.Window());
    ASSERT_TRUE(geometry);
    ASSERT_EQ(geometry->Width, Width);
    ASSERT_EQ(geometry->Height, Height);
    // The headless game at the new size lays the board out afresh: the same picture means the
    // window did too. The state does not depend on the size.
    ExpectPicture(game.SettledPicture(), HeadlessPicture(Width, Height, {}, 3), TestName());
}

TEST_P(GameWindow, ClosingTheWindowEndsTheProgramWithStatusZero) {
    TGame game(Options());
    ASSERT_TRUE(game.WaitForState([](const TGameState&) { return true; }, StartTimeout)) << game.Process().Stderr();
    const std::optional<TExit> exit = game.Close();
    ASSERT_TRUE(exit) << "the program did not end when its window was closed";
    EXPECT_TRUE(exit->Exited) << "killed by signal " << exit->Status << "\n" << game.Process().Stderr();
    EXPECT_EQ(exit->Status, 0) << game.Process().Stderr();
}

INSTANTIATE_TEST_SUITE_P(Canvases, GameWindow, ::testing::Values("opengl", "raster"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST(GameWindowCanvases, TheRasterCanvasShowsWhatTheOpenGlCanvasShows) {
    TPicture pictures[2];
    const char* canvases[2] = {"opengl", "raster"};
    for (int i = 0; i < 2; ++i) {
        TGameOptions options;
        options.Canvas = canvases[i];
        TGame game(options);
        ASSERT_TRUE(game.WaitForState([](const TGameState&) { return true; }, StartTimeout)) << game.Process().Stderr();
        pictures[i] = game.SettledPicture();
    }
    ExpectPicture(pictures[1], pictures[0], "raster-vs-opengl");
}

TEST(GameWindowInput, ADoubleClickStartsANewGameAsSpaceDoes) {
    TGame game;
    const std::optional<TGameState> start = game.WaitForState([](const TGameState&) { return true; }, StartTimeout);
    ASSERT_TRUE(start) << game.Process().Stderr();
    const int entryX = start->PieceX();
    game.KeyDown("Left");
    const bool moved = game.WaitForState([&](const TGameState& s) { return s.PieceX() == entryX - 1; }).has_value();
    game.KeyUp("Left");
    ASSERT_TRUE(moved);

    // The second press of a double click is the double-tap gesture: the game starts again, and
    // the press itself, seen in the same frame, turns nothing.
    ASSERT_TRUE(TXSession::Get().Xdotool({"mousemove", "--window", WindowArgument(game.Window()),
                                          std::to_string(GameWidth / 2), std::to_string(GameHeight / 2), "click",
                                          "--repeat", "2", "--delay", "80", "1"}));
    EXPECT_TRUE(game.WaitForState([&](const TGameState& s) { return s.PieceX() == entryX && s.Rotation() == 0; }))
        << "a double click did not start a new game";
    ASSERT_TRUE(game.WaitFrames(3));
    EXPECT_EQ(game.State()->PieceX(), entryX);
    EXPECT_EQ(game.State()->Rotation(), 0);
}

TEST(GameWindowClock, WithTheRealClockThePieceFalls) {
    // Without the test clock the game runs on real time: the animation pulse keeps drawing and
    // the piece drops a row every half second.
    TGameOptions options;
    options.Environment["TILEFALL_TEST_TIME_STEP"] = std::nullopt;
    TGame game(options);
    const std::optional<TGameState> start = game.WaitForState([](const TGameState&) { return true; }, StartTimeout);
    ASSERT_TRUE(start) << game.Process().Stderr();
    EXPECT_TRUE(game.WaitForState([&](const TGameState& s) { return s.PieceY() >= start->PieceY() + 2; }))
        << "the piece did not fall";
}

}  // namespace
