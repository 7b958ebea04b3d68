// Reads the game's 14 x 14 state image: the board in columns 0..9 and the game's variables in
// columns 10..13, each value n stored as n / 255.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

struct TGameState {
    std::vector<float> values;  // 14 x 14 x 4 floats, row by row

    static constexpr int Columns = 10, Rows = 14;

    int N(int x, int y, int channel) const {
        return static_cast<int>(std::floor(values[size_t((y * 14 + x) * 4 + channel)] * 255 + 0.5f));
    }
    bool Valid() const { return !values.empty() && N(10, 0, 0) == 200; }
    bool GameOver() const { return N(10, 0, 1) == 1; }
    bool Blinking() const { return N(10, 0, 2) == 1; }  // full rows flash before they vanish
    int PieceKind() const { return N(10, 1, 0); }  // 0: none in play; 1..7: I O T S Z J L
    int Rotation() const { return N(10, 1, 1); }
    int NextKind() const { return N(10, 1, 2); }
    int PieceX() const { return N(10, 2, 0) - 16; }  // top-left of the piece's 4 x 4 box
    int PieceY() const { return N(10, 2, 1) - 16; }
    int GhostY() const { return N(10, 2, 2) - 16; }  // the y where the piece would land
    int Number(int y) const { return N(10, y, 0) * 10000 + N(10, y, 1) * 100 + N(10, y, 2); }
    int Score() const { return Number(3); }
    int Lines() const { return Number(4); }
    int Level() const { return N(10, 5, 0); }
    int Best() const { return Number(6); }
    int Cell(int x, int y) const { return N(x, y, 0); }  // locked kind, 0 empty
    bool RowBlinking(int y) const { return N(0, y, 1) == 1; }
    int LockedCells() const {
        int n = 0;
        for (int y = 0; y < Rows; ++y)
            for (int x = 0; x < Columns; ++x) n += Cell(x, y) != 0;
        return n;
    }
    // The falling piece's cells as board (column, row).
    std::array<std::pair<int, int>, 4> PieceCells() const {
        const int cells[4] = {N(12, 0, 0), N(12, 0, 1), N(12, 0, 2), N(12, 1, 0)};
        std::array<std::pair<int, int>, 4> out;
        for (int i = 0; i < 4; ++i) out[size_t(i)] = {PieceX() + cells[i] % 4, PieceY() + cells[i] / 4};
        return out;
    }
    // The next piece's cells in its 4 x 4 box, entry orientation.
    std::array<int, 4> NextCells() const { return {N(12, 2, 0), N(12, 2, 1), N(12, 2, 2), N(12, 3, 0)}; }
    std::vector<int> PieceColumns() const {
        std::vector<int> columns;
        for (const auto& [x, y] : PieceCells()) columns.push_back(x);
        return columns;
    }
};
