// The swap puzzle's board, its rules and its once-per-frame steps.
#pragma once

#include <cstdint>

constexpr int BoardSize = 8;
constexpr int BoardLeft = 16;  // client x and y of the board's top-left corner
constexpr int CellPixels = 64;

enum CellState : std::int32_t {
  Idle = 0,
  Matched = 1,
  Falling = 2,
  SwapFromRight = 4,
  SwapFromLeft = 5,
  SwapFromBelow = 6,
  SwapFromAbove = 7,
  Vanishing = 8,
};

struct Cell {
  std::int32_t BallColor;  // 0 = empty, 1..7 = colour number
  std::int32_t Status;     // a CellState
  std::int32_t Counter;    // animation counter
};

struct Point {
  std::int32_t x, y;
};

struct GameVariables {
  Point MousePos;     // cursor in client pixels
  Point FieldPos;     // column, row under the cursor, or (-1, -1)
  bool Selected;      // a ball is selected and a button is still held
  Point Check;        // column, row of the selected square; kept after deselection
  std::int32_t Time;  // largest counter seen by the last TickBoard
};

extern Cell Board[BoardSize][BoardSize];  // [row][column]; row 0 is the top
extern GameVariables Game;

// Back to the state at program load: every square empty and Idle.
void ResetBoard();

void HandleMouse();
void TickBoard();
void FillCell(int row, int column);
void SettleCell(int row, int column);
bool FindMatches();
