// Reads the game's 14 x 14 state image: the board in columns 0..9 and the game's variables in
// columns 10..13, each value n stored as n / 255.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

struct TGameState {
    std::vector<float> values;  // 14 x 14 x 4 floats, row by row

    int N(int x, int y, int channel) const {
        return static_cast<int>(std::floor(values[size_t((y * 14 + x) * 4 + channel)] * 255 + 0.5f));
    }
    bool Valid() const { return !values.empty() && N(10, 0, 0) == 200; }
    bool GameOver() const { return N(10, 0, 1) == 1; }
    int PieceKind() const { return N(10, 1, 0); }  // 0: none in play; 1..7: I O T S Z J L
    int Rotation() const { return N(10, 1, 1); }
    int PieceX() const { return N(10, 2, 0) - 16; }  // top-left of the piece's 4 x 4 box
    int PieceY() const { return N(10, 2, 1) - 16; }
    int Number(int y) const { return N(10, y, 0) * 10000 + N(10, y, 1) * 100 + N(10, y, 2); }
    int Score() const { return Number(3); }
    int Lines() const { return Number(4); }
    int Level() const { return N(10, 5, 0); }
    int Cell(int x, int y) const { return N(x, y, 0); }  // locked kind, 0 empty
    int LockedCells() const {
        int n = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 10; ++x) n += Cell(x, y) != 0;
        return n;
    }
    // The falling piece's cells as board columns.
    std::vector<int> PieceColumns() const {
        const int cells[4] = {N(12, 0, 0), N(12, 0, 1), N(12, 0, 2), N(12, 1, 0)};
        std::vector<int> columns;
        for (int c : cells) columns.push_back(PieceX() + c % 4);
        return columns;
    }
};
