// A simple player for the game tests: for each new piece it picks the column (in the piece's
// entry orientation) that leaves the flattest board and taps the arrows to get there, so that
// rows fill and clear without a scripted piece sequence.
#pragma once

#include <array>
#include <vector>

#include "GameState.h"

using TBoard = std::array<std::array<int, TGameState::Columns>, TGameState::Rows>;  // [row][column]

inline TBoard BoardOf(const TGameState& s) {
    TBoard b{};
    for (int y = 0; y < TGameState::Rows; ++y)
        for (int x = 0; x < TGameState::Columns; ++x) b[size_t(y)][size_t(x)] = s.Cell(x, y);
    return b;
}

using TCells = std::array<std::pair<int, int>, 4>;  // (column, row)

inline bool Fits(const TBoard& b, const TCells& cells, int dx, int dy) {
    for (const auto& [x0, y0] : cells) {
        const int x = x0 + dx, y = y0 + dy;
        if (x < 0 || x >= TGameState::Columns || y >= TGameState::Rows) return false;
        if (y >= 0 && b[size_t(y)][size_t(x)] != 0) return false;
    }
    return true;
}

// The board with the piece locked at its cells, and the rows it completes (top to bottom).
struct TLockResult {
    TBoard locked{};
    std::vector<int> fullRows;
    TBoard cleared{};  // after the full rows are removed and the rows above moved down
};

inline TLockResult Lock(const TBoard& b, const TCells& cells, int kind) {
    TLockResult r;
    r.locked = b;
    for (const auto& [x, y] : cells)
        if (y >= 0) r.locked[size_t(y)][size_t(x)] = kind;
    for (int y = 0; y < TGameState::Rows; ++y) {
        bool full = true;
        for (int c : r.locked[size_t(y)]) full = full && c != 0;
        if (full) r.fullRows.push_back(y);
    }
    int to = TGameState::Rows - 1;
    for (int y = TGameState::Rows - 1; y >= 0; --y) {
        bool full = false;
        for (int f : r.fullRows) full = full || f == y;
        if (!full) r.cleared[size_t(to--)] = r.locked[size_t(y)];
    }
    return r;
}

// The cells of kinds 1..7 (I O T S Z J L) in their 4 x 4 box as cx + 4 * cy, for the four
// clockwise quarter turns from the entry orientation.
constexpr int Shapes[7][4][4] = {
    {{4, 5, 6, 7}, {2, 6, 10, 14}, {8, 9, 10, 11}, {1, 5, 9, 13}},
    {{1, 2, 5, 6}, {1, 2, 5, 6}, {1, 2, 5, 6}, {1, 2, 5, 6}},
    {{1, 4, 5, 6}, {1, 5, 6, 9}, {4, 5, 6, 9}, {1, 4, 5, 9}},
    {{1, 2, 4, 5}, {1, 5, 6, 10}, {5, 6, 8, 9}, {0, 4, 5, 9}},
    {{0, 1, 5, 6}, {2, 5, 6, 9}, {4, 5, 9, 10}, {1, 4, 5, 8}},
    {{0, 4, 5, 6}, {1, 2, 5, 9}, {4, 5, 6, 10}, {1, 5, 8, 9}},
    {{2, 4, 5, 6}, {1, 5, 9, 10}, {4, 5, 6, 8}, {0, 1, 5, 9}},
};

inline TCells CellsAt(int kind, int rotation, int x, int y) {
    TCells cells;
    for (int i = 0; i < 4; ++i) {
        const int c = Shapes[kind - 1][rotation][i];
        cells[size_t(i)] = {x + c % 4, y + c / 4};
    }
    return cells;
}

class TGamePlayer {
public:
    enum class TMove { None, Left, Right, Turn };

    // What to do this frame: a tap on every other frame (a key is released in between).
    TMove Next(const TGameState& s) {
        if (s.PieceKind() == 0 || s.GameOver()) {
            FPlanned = false;
            return TMove::None;
        }
        if (!FPlanned) Plan(s);
        FTapped = !FTapped;
        if (!FTapped) return TMove::None;
        if (s.Rotation() != FRotation) return TMove::Turn;
        if (s.PieceX() > FX) return TMove::Left;
        if (s.PieceX() < FX) return TMove::Right;
        return TMove::None;
    }

private:
    // The placement that leaves the best board: rows cleared, low, few holes, even.
    void Plan(const TGameState& s) {
        FPlanned = true;
        FRotation = 0;
        FX = s.PieceX();
        const TBoard b = BoardOf(s);
        double bestScore = -1e9;
        for (int rot = 0; rot < 4; ++rot) {
            for (int x = -3; x < TGameState::Columns; ++x) {
                const TCells cells = CellsAt(s.PieceKind(), rot, x, s.PieceY());
                if (!Fits(b, cells, 0, 0)) continue;
                int dy = 0;
                while (Fits(b, cells, 0, dy + 1)) ++dy;
                TCells landed = cells;
                for (auto& c : landed) c.second += dy;
                const double score = Rate(Lock(b, landed, s.PieceKind()));
                if (score > bestScore) bestScore = score, FRotation = rot, FX = x;
            }
        }
    }

    static double Rate(const TLockResult& r) {
        int height = 0, holes = 0, bumps = 0, previous = -1;
        for (int x = 0; x < TGameState::Columns; ++x) {
            int top = TGameState::Rows;
            for (int y = 0; y < TGameState::Rows; ++y)
                if (r.cleared[size_t(y)][size_t(x)] != 0) {
                    top = y;
                    break;
                }
            const int h = TGameState::Rows - top;
            height += h;
            for (int y = top + 1; y < TGameState::Rows; ++y) holes += r.cleared[size_t(y)][size_t(x)] == 0;
            if (previous >= 0) bumps += std::abs(h - previous);
            previous = h;
        }
        return 0.76 * double(r.fullRows.size()) - 0.51 * height - 0.36 * holes - 0.18 * bumps;
    }

    bool FPlanned = false, FTapped = false;
    int FRotation = 0, FX = 0;
};
