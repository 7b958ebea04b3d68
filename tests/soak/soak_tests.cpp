// The game played for a long time keeps its memory flat: the real main form and its frame
// handler draw on the headless raster surface with a fixed clock, under seeded random input that
// moves and turns pieces, locks them, clears rows and restarts finished games. The resident set
// after the run must stay within a small bound of that after the warm-up; under AddressSanitizer
// its leak checker looks at the same run when the test program ends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <fstream>
#include <vector>

#include "GameState.h"
#include "HeadlessGame.h"

namespace {

using Host::TInputEvent;

#if defined(__SANITIZE_ADDRESS__)
#define TILEFALL_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TILEFALL_SOAK_SANITIZED 1
#endif
#endif

#ifdef TILEFALL_SOAK_SANITIZED
// A sanitized build runs frames many times slower: fewer frames keep the test under a minute,
// and the leak checker needs no long run to see a leak. To see games end and restart in that
// time, the player stacks every piece in the middle.
constexpr int Frames = 4000;
constexpr int WarmUpFrames = 1000;
constexpr bool StackInTheMiddle = true;
#else
constexpr int Frames = 36000;  // ten minutes at 60 frames a second
constexpr int WarmUpFrames = 1000;
constexpr bool StackInTheMiddle = false;
#endif

// A small picture keeps the run short; the frame pipeline is the same at any size.
constexpr int Width = 64, Height = 35;

// The resident set in bytes, from /proc/self/statm (second field, in pages).
long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// A small linear congruential generator: the same input on every run.
class TRandom {
public:
    uint32_t Next() {
        fState = fState * 1664525u + 1013904223u;
        return fState >> 8;
    }
    bool OneIn(uint32_t n) { return Next() % n == 0; }

private:
    uint32_t fState = 20261210;
};

// Steers each piece towards a column (mostly the lowest part of the stack, sometimes one at
// random, sometimes turned first) by tapping the arrows, and restarts finished games with space
// or a double tap: rows fill and clear, and games end and start again.
class TPlayer {
public:
    explicit TPlayer(Host::THeadlessGame& AGame) : fGame(AGame) {}

    // Queues this frame's input, from the state every few frames.
    void Play(int frame) {
        std::vector<TInputEvent> events;
        for (auto it = fReleases.begin(); it != fReleases.end();) {
            if (it->Frame <= frame) {
                TInputEvent e = *it;
                e.Frame = frame;
                events.push_back(e);
                it = fReleases.erase(it);
            } else {
                ++it;
            }
        }
        if (frame % 4 == 3 && fReleases.empty()) Decide(frame, events);
        fGame.Queue(events);
    }

    int GamesOver = 0, MostLines = 0, MostLocked = 0;

private:
    void Tap(int frame, TInputEvent::TKey key, std::vector<TInputEvent>& events) {
        TInputEvent e;
        e.Frame = frame;
        e.Kind = TInputEvent::TKind::KeyDown;
        e.Key = key;
        events.push_back(e);
        e.Kind = TInputEvent::TKind::KeyUp;
        e.Frame = frame + 2;
        fReleases.push_back(e);
    }

    void Decide(int frame, std::vector<TInputEvent>& events) {
        const TGameState state{fGame.StateValues()};
        ASSERT_TRUE(state.Valid()) << "frame " << frame;
        MostLines = std::max(MostLines, state.Lines());
        MostLocked = std::max(MostLocked, state.LockedCells());
        if (state.GameOver()) {
            if (!fOver) ++GamesOver;
            fOver = true;
            if (fRandom.OneIn(2)) {
                Tap(frame, TInputEvent::TKey::Space, events);
            } else {
                TInputEvent e;
                e.Frame = frame;
                e.Kind = TInputEvent::TKind::DoubleTap;
                events.push_back(e);
            }
            return;
        }
        fOver = false;
        if (state.PieceKind() == 0) return;
        if (state.PieceY() < fLastY || state.PieceKind() != fLastKind) NewPiece(frame, state, events);
        fLastY = state.PieceY();
        fLastKind = state.PieceKind();

        int left = TGameState::Columns;
        for (int x : state.PieceColumns()) left = std::min(left, x);
        if (left < fTarget) Tap(frame, TInputEvent::TKey::Right, events);
        if (left > fTarget) Tap(frame, TInputEvent::TKey::Left, events);
    }

    void NewPiece(int frame, const TGameState& state, std::vector<TInputEvent>& events) {
        if (fRandom.OneIn(3)) {  // a press on the board turns the piece
            TInputEvent e;
            e.Frame = frame;
            e.Kind = TInputEvent::TKind::Mouse;
            e.X = Width / 2.0f;
            e.Y = Height / 2.0f;
            events.push_back(e);
        }
        if (StackInTheMiddle) {
            fTarget = TGameState::Columns / 2 - 1;
            return;
        }
        if (fRandom.OneIn(4)) {
            fTarget = static_cast<int>(fRandom.Next() % TGameState::Columns);
            return;
        }
        int lowest = -1;
        for (int x = 0; x < TGameState::Columns; ++x) {
            int top = 0;
            while (top < TGameState::Rows && state.Cell(x, top) == 0) ++top;
            if (top > lowest) lowest = top, fTarget = x;
        }
    }

    Host::THeadlessGame& fGame;
    TRandom fRandom;
    std::vector<TInputEvent> fReleases;
    bool fOver = false;
    int fLastY = 1 << 20, fLastKind = 0, fTarget = 0;
};

TEST(Soak, TenMinutesOfPlayKeepMemoryFlat) {
    Host::THeadlessGame game(Width, Height, 1.0 / 60.0);
    TPlayer player(game);
    long afterWarmUp = 0;
    for (int frame = 0; frame < Frames; ++frame) {
        player.Play(frame);
        if (::testing::Test::HasFatalFailure()) return;
        game.Frame();
        if (frame + 1 == WarmUpFrames) afterWarmUp = ResidentBytes();
    }
    const long atEnd = ResidentBytes();

    // The play did what a player does: pieces locked, games ended and started again.
    EXPECT_GT(player.MostLocked, 4);
    if (!StackInTheMiddle) {
        EXPECT_GT(player.MostLines, 0);
    }
    EXPECT_GE(player.GamesOver, 2);
    std::printf("soak: %d frames of %d x %d, %d games over, most lines %d; resident %.1f MiB after %d frames, "
                "%.1f MiB at the end\n",
                Frames, Width, Height, player.GamesOver, player.MostLines, afterWarmUp / 1048576.0, WarmUpFrames,
                atEnd / 1048576.0);
#ifndef TILEFALL_SOAK_SANITIZED
    // The sanitizer's allocator keeps freed memory in quarantine, so only a plain build can
    // judge the resident set. 4 MiB: well above allocator noise, well below a frame's garbage
    // kept 35,000 times.
    EXPECT_LE(atEnd - afterWarmUp, 4L << 20);
#endif
}

}  // namespace
