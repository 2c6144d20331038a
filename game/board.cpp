#include "board.h"

#include "vornek.h"

Cell Board[BoardSize][BoardSize];
GameVariables Game;

namespace {

bool IsBall(const Cell& cell) { return cell.BallColor != 0; }
bool IsRestingBall(const Cell& cell) { return cell.Status == Idle && IsBall(cell); }
bool CanMatch(const Cell& cell) { return cell.Status == Idle || cell.Status == Matched; }

Cell& At(Point square) { return Board[square.y][square.x]; }

void Swap(Point cursor, Point check) {
  Cell& under = At(cursor);
  Cell& selected = At(check);
  const std::int32_t color = under.BallColor;
  under.BallColor = selected.BallColor;
  selected.BallColor = color;
  under.Counter = selected.Counter = 64;
  if (cursor.y == check.y) {
    const bool left = cursor.x == check.x - 1;
    under.Status = left ? SwapFromRight : SwapFromLeft;
    selected.Status = left ? SwapFromLeft : SwapFromRight;
  } else {
    const bool above = cursor.y == check.y - 1;
    under.Status = above ? SwapFromBelow : SwapFromAbove;
    selected.Status = above ? SwapFromAbove : SwapFromBelow;
  }
}

bool AreNeighbours(Point a, Point b) {
  const int dx = a.x - b.x, dy = a.y - b.y;
  return (dx == 0 && (dy == 1 || dy == -1)) || (dy == 0 && (dx == 1 || dx == -1));
}

bool SameColorRun(int row, int column, int rowStep, int columnStep) {
  const Cell& first = Board[row][column];
  const Cell& second = Board[row + rowStep][column + columnStep];
  const Cell& third = Board[row + 2 * rowStep][column + 2 * columnStep];
  return second.BallColor == first.BallColor && third.BallColor == first.BallColor && CanMatch(first) &&
         CanMatch(second) && CanMatch(third);
}

void MarkRun(int row, int column, int rowStep, int columnStep) {
  for (int i = 0; i < 3; ++i) Board[row + i * rowStep][column + i * columnStep].Status = Matched;
}

}  // namespace

void ResetBoard() {
  for (auto& row : Board) {
    for (Cell& cell : row) cell = {};
  }
  Game = {};
}

void HandleMouse() {
  GetCursorPosition(&Game.MousePos.x, &Game.MousePos.y);
  const int buttons = GetMouseButtons();

  const auto dx = static_cast<std::uint32_t>(Game.MousePos.x) - BoardLeft;
  const auto dy = static_cast<std::uint32_t>(Game.MousePos.y) - BoardLeft;
  if (dx >= BoardSize * CellPixels || dy >= BoardSize * CellPixels) {
    Game.FieldPos = {-1, -1};
    Game.Selected = false;
    return;
  }
  Game.FieldPos = {static_cast<std::int32_t>(dx / CellPixels), static_cast<std::int32_t>(dy / CellPixels)};

  if (Game.Time > 0 || buttons == 0) {
    Game.Selected = false;
    return;
  }
  if (!Game.Selected) {
    if (IsRestingBall(At(Game.FieldPos))) {
      Game.Check = Game.FieldPos;
      Game.Selected = true;
    }
    return;
  }
  if (Game.FieldPos.x == Game.Check.x && Game.FieldPos.y == Game.Check.y) return;
  if (!IsRestingBall(At(Game.FieldPos)) || !IsRestingBall(At(Game.Check))) {
    Game.Selected = false;
    return;
  }
  if (AreNeighbours(Game.FieldPos, Game.Check)) {
    Swap(Game.FieldPos, Game.Check);
    Game.Selected = false;
  }
}

void FillCell(int row, int column) {
  Cell& cell = Board[row][column];
  if (row == 0) {
    cell.BallColor = GetRandom(6) + 1;
    cell.Status = Falling;
    cell.Counter = 64;
    return;
  }
  Cell& above = Board[row - 1][column];
  if (IsRestingBall(above)) {
    cell.BallColor = above.BallColor;
    cell.Status = Falling;
    cell.Counter = 64;
    above.BallColor = 0;
    above.Status = Idle;
    return;
  }
  cell.BallColor = 0;
  cell.Status = Idle;
}

void SettleCell(int row, int column) {
  Cell& cell = Board[row][column];
  if (row == BoardSize - 1) {
    cell.Status = Idle;
    cell.Counter = 0;
    return;
  }
  Cell& below = Board[row + 1][column];
  if (!IsBall(below)) {
    below.BallColor = cell.BallColor;
    below.Status = Falling;
    below.Counter = 64;
    cell.BallColor = 0;
    cell.Status = Idle;
    cell.Counter = 0;
    return;
  }
  if (below.Status == Idle) cell.Status = Idle;
  cell.Counter = 0;
}

void TickBoard() {
  Game.Time = 0;
  for (int row = BoardSize - 1; row >= 0; --row) {
    for (int column = 0; column < BoardSize; ++column) {
      Cell& cell = Board[row][column];
      if (!IsBall(cell)) FillCell(row, column);
      switch (cell.Status) {
        case Matched:
          cell.Status = Vanishing;
          cell.Counter = 30;
          break;
        case Falling:
        case SwapFromRight:
        case SwapFromLeft:
        case SwapFromBelow:
        case SwapFromAbove:
          cell.Counter -= 4;
          if (cell.Counter <= 0) SettleCell(row, column);
          break;
        case Vanishing:
          if (--cell.Counter <= 0) FillCell(row, column);
          break;
        default:
          break;
      }
      if (cell.Counter > Game.Time) Game.Time = cell.Counter;
    }
  }
  FindMatches();
}

bool FindMatches() {
  bool found = false;
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      if (Board[row][column].BallColor == 0) continue;
      if (column < BoardSize - 2 && SameColorRun(row, column, 0, 1)) {
        MarkRun(row, column, 0, 1);
        found = true;
      }
      if (row < BoardSize - 2 && SameColorRun(row, column, 1, 0)) {
        MarkRun(row, column, 1, 0);
        found = true;
      }
    }
  }
  return found;
}
