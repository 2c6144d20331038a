#include "game.h"

#include "board.h"
#include "color_table.h"
#include "vornek.h"

namespace {

constexpr int EscapeKey = 1;
constexpr int PanelX = 544;

int Color(ColorIndex index) { return static_cast<int>(ColorTable[index]); }

void DrawSquareFrame(int x, int y, int color) {
  DrawLine(x - 1, y, x + 65, y, color, 3);
  DrawLine(x, y - 1, x, y + 65, color, 3);
  DrawLine(x + 64, y - 1, x + 64, y + 65, color, 3);
  DrawLine(x - 1, y + 64, x + 65, y + 64, color, 3);
}

void DrawGrid() {
  const int end = BoardLeft + BoardSize * CellPixels;
  for (int k = 0; k <= BoardSize; ++k) {
    DrawLine(BoardLeft, BoardLeft + CellPixels * k, end, BoardLeft + CellPixels * k, Color(White), 1);
  }
  for (int k = 0; k <= BoardSize; ++k) {
    DrawLine(BoardLeft + CellPixels * k, BoardLeft, BoardLeft + CellPixels * k, end, Color(White), 1);
  }
}

void DrawSquare(int row, int column) {
  const Cell& cell = Board[row][column];
  const int x = BoardLeft + CellPixels * column;
  const int y = BoardLeft + CellPixels * row;
  if (cell.Status == Matched) DrawSquareFrame(x, y, Color(Red));

  int cx = x + 32, cy = y + 32;
  switch (cell.Status) {
    case Falling:
    case SwapFromAbove:
      cy -= cell.Counter;
      break;
    case SwapFromBelow:
      cy += cell.Counter;
      break;
    case SwapFromRight:
      cx += cell.Counter;
      break;
    case SwapFromLeft:
      cx -= cell.Counter;
      break;
    default:
      break;
  }
  if (cell.BallColor >= 1 && cell.BallColor <= 7) {
    DrawCircle(cx, cy, 30, Color(White), TRUE);
    DrawCircle(cx, cy, 28, static_cast<int>(ColorTable[cell.BallColor]), TRUE);
  }
  if (cell.Status == Vanishing) DrawTextFormat(cx - 8, cy - 8, Color(White), "%2d", cell.Counter);
  if (cell.Status == Falling) DrawTextFormat(cx - 8, cy - 8, Color(Blue), "%2d", cell.Counter);
}

void DrawPanel() {
  DrawTextFormat(PanelX, 32, Color(White), "MousePos(%3d,%3d)", Game.MousePos.x, Game.MousePos.y);
  if (Game.FieldPos.x == -1 && Game.FieldPos.y == -1) {
    DrawText(PanelX, 64, "Out of Field.", Color(White), 0);
    return;
  }
  const Cell& under = Board[Game.FieldPos.y][Game.FieldPos.x];
  DrawTextFormat(PanelX, 48, Color(White), "FieldPos(%3d,%3d)", Game.FieldPos.x, Game.FieldPos.y);
  DrawTextFormat(PanelX, 64, Color(White), "BallColor:%d", under.BallColor);
  DrawTextFormat(PanelX, 80, Color(White), "Status:%d", under.Status);
  DrawTextFormat(PanelX, 112, Color(White), "Check:(%3d,%3d)", Game.Check.x, Game.Check.y);
  DrawTextFormat(PanelX, 128, Color(White), "Time:%d", Game.Time);
  if (Game.Selected) DrawText(PanelX, 160, "Mouse Clicked!", Color(White), 0);
}

}  // namespace

void DrawFrame() {
  DrawGrid();
  DrawText(PanelX, 16, "SCORE", Color(White), 0);
  for (int column = 0; column < BoardSize; ++column) {
    for (int row = 0; row < BoardSize; ++row) DrawSquare(row, column);
  }
  if (Game.FieldPos.x != -1 || Game.FieldPos.y != -1) {
    DrawSquareFrame(BoardLeft + CellPixels * Game.FieldPos.x, BoardLeft + CellPixels * Game.FieldPos.y, Color(White));
  }
  DrawPanel();
}

void RunMainLoop() {
  if (PumpMessages() != 0) return;
  for (;;) {
    if (IsKeyDown(EscapeKey) != 0) return;
    RunFrame();
    if (PumpMessages() != 0) return;
  }
}

void RunFrame() {
  ClearScreen();
  HandleMouse();
  TickBoard();
  DrawFrame();
  PresentScreen();
}

int StartGame() {
  SetWindowTitle("Pellimar　ver0.10");
  SetLogOutputFlag(FALSE);
  ChangeWindowMode(TRUE);
  SetScreenMode(800, 600, 32, 60);
  return InitEngine() != 0 ? -1 : 0;
}

int GameMain() {
  if (StartGame() != 0) return -1;
  RunMainLoop();
  EndEngine();
  return 0;
}
