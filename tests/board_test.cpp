// The board's rules against scripted boards, cursors and colours. The test stands in for the
// three engine calls the rules make, so every frame is exactly reproducible.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "board.h"
#include "vornek.h"  // the stand-ins take the engine calls' C names

namespace {

struct MouseInput {
  int x, y, buttons;
};

MouseInput mouse{0, 0, 0};
std::function<int(int)> randomSource;

}  // namespace

int GetCursorPosition(int* x, int* y) {
  if (x) *x = mouse.x;
  if (y) *y = mouse.y;
  return 0;
}
int GetMouseButtons() { return mouse.buttons; }
int GetRandom(int max) {
  EXPECT_EQ(max, 6);
  return randomSource(max);
}

namespace {

// Client coordinates of a square's centre.
int CentreX(int column) { return BoardLeft + CellPixels * column + 32; }
int CentreY(int row) { return BoardLeft + CellPixels * row + 32; }

// A board from eight strings of eight characters: a digit is a resting ball of that colour,
// '.' an empty square.
void SetBoard(const std::vector<std::string>& rows) {
  ResetBoard();
  for (int row = 0; row < BoardSize; ++row) {
    for (int column = 0; column < BoardSize; ++column) {
      const char c = rows[row][column];
      Board[row][column] = {c == '.' ? 0 : c - '0', Idle, 0};
    }
  }
}

// The colours as strings in the same form; squares in another state than Idle show as their
// state letter: M matched, V vanishing, F falling, S swapping.
std::vector<std::string> Snapshot() {
  std::vector<std::string> rows;
  for (const auto& boardRow : Board) {
    std::string text;
    for (const Cell& cell : boardRow) {
      switch (cell.Status) {
        case Idle:
          text += cell.BallColor == 0 ? '.' : static_cast<char>('0' + cell.BallColor);
          break;
        case Matched:
          text += 'M';
          break;
        case Vanishing:
          text += 'V';
          break;
        case Falling:
          text += 'F';
          break;
        default:
          text += 'S';
          break;
      }
    }
    rows.push_back(text);
  }
  return rows;
}

// One frame as the game runs it.
void Frame(int x, int y, int buttons) {
  mouse = {x, y, buttons};
  HandleMouse();
  TickBoard();
}

// A full board with no run anywhere: colour ((7 - row) * 3 + column) % 7 + 1.
const std::vector<std::string> QuietBoard = {
    "12345671", "56712345", "23456712", "67123456", "34567123", "71234567", "45671234", "12345671",
};

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetBoard();
    mouse = {0, 0, 0};
    randomSource = [](int) { return 0; };
  }
};

TEST_F(BoardTest, EmptyBoardFillsColumnByColumnAndComesToRestAtTick128) {
  int calls = 0;
  // Fill k of column c gets colour (k * 3 + c) % 7 + 1, so the full board has no run.
  randomSource = [&calls](int) {
    const int k = calls / 8, c = calls % 8;
    ++calls;
    return (k * 3 + c) % 7;
  };

  for (int tick = 1; tick <= 128; ++tick) {
    Frame(0, 0, 0);
    int balls = 0, resting = 0;
    for (const auto& row : Board) {
      for (const Cell& cell : row) {
        balls += cell.BallColor != 0;
        resting += cell.BallColor != 0 && cell.Status == Idle;
      }
    }
    SCOPED_TRACE("tick " + std::to_string(tick));
    EXPECT_EQ(balls, 8 * ((tick + 15) / 16));
    EXPECT_EQ(calls, balls);
    if (tick == 1) {
      for (int column = 0; column < BoardSize; ++column) {
        EXPECT_EQ(Board[0][column].Status, Falling);
        EXPECT_EQ(Board[0][column].Counter, 60);
      }
    }
    // The first balls reach the bottom row after 112 ticks; nothing rests before tick 128.
    EXPECT_EQ(Board[7][0].BallColor != 0, tick >= 112);
    EXPECT_EQ(resting, tick == 128 ? 64 : 0);
  }
  EXPECT_EQ(Snapshot(), QuietBoard);
  EXPECT_EQ(Game.Time, 0);
  EXPECT_FALSE(FindMatches());
}

TEST_F(BoardTest, CursorMapsToSquaresOnlyInsideTheBoard) {
  struct Case {
    int x, y, column, row;
  };
  const Case cases[] = {
      {16, 16, 0, 0},        {527, 527, 7, 7},      {15, 100, -1, -1},     {528, 100, -1, -1},
      {100, 15, -1, -1},     {100, 528, -1, -1},    {79, 80, 0, 1},        {-1, -1, -1, -1},
      {INT_MIN, 20, -1, -1}, {INT_MAX, 20, -1, -1}, {20, INT_MIN, -1, -1}, {-496, -496, -1, -1},
  };
  SetBoard(QuietBoard);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    mouse = {c.x, c.y, 0};
    HandleMouse();
    EXPECT_EQ(Game.MousePos.x, c.x);
    EXPECT_EQ(Game.MousePos.y, c.y);
    EXPECT_EQ(Game.FieldPos.x, c.column);
    EXPECT_EQ(Game.FieldPos.y, c.row);
  }
}

TEST_F(BoardTest, SwapInEachDirectionSetsStatesFromTheCursorSide) {
  struct Case {
    const char* name;
    int dColumn, dRow;
    CellState cursorState, checkState;
  };
  const Case cases[] = {
      {"left", -1, 0, SwapFromRight, SwapFromLeft},
      {"right", 1, 0, SwapFromLeft, SwapFromRight},
      {"above", 0, -1, SwapFromBelow, SwapFromAbove},
      {"below", 0, 1, SwapFromAbove, SwapFromBelow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetBoard(QuietBoard);
    const int row = 3, column = 3;
    const int selected = Board[row][column].BallColor;
    const int other = Board[row + c.dRow][column + c.dColumn].BallColor;
    Frame(CentreX(column), CentreY(row), 1);
    EXPECT_TRUE(Game.Selected);
    Frame(CentreX(column + c.dColumn), CentreY(row + c.dRow), 1);
    EXPECT_FALSE(Game.Selected);
    const Cell& under = Board[row + c.dRow][column + c.dColumn];
    const Cell& check = Board[row][column];
    EXPECT_EQ(under.BallColor, selected);
    EXPECT_EQ(check.BallColor, other);
    EXPECT_EQ(under.Status, c.cursorState);
    EXPECT_EQ(check.Status, c.checkState);
    // Swapped at 64, then counted down by the same frame's tick.
    EXPECT_EQ(under.Counter, 60);
    EXPECT_EQ(check.Counter, 60);
    EXPECT_EQ(Game.Time, 60);

    // Fifteen more frames bring both to rest; the quiet board stays without a run.
    for (int i = 0; i < 15; ++i) Frame(CentreX(column), CentreY(row), 0);
    EXPECT_EQ(under.Status, Idle);
    EXPECT_EQ(check.Status, Idle);
    EXPECT_EQ(Game.Time, 0);
    EXPECT_EQ(under.BallColor, selected);
  }
}

// A scripted drag: each step is one frame's cursor square and buttons, with the selection
// expected after it.
struct DragStep {
  int column, row, buttons;
  bool selected;
};

struct DragCase {
  const char* name;
  std::vector<DragStep> steps;
  bool swapped;  // squares (3,3) and (4,3) [column, row] exchanged
};

TEST_F(BoardTest, SelectionFollowsTheDragRules) {
  const DragCase cases[] = {
      {"press selects, release cancels, no swap", {{3, 3, 1, true}, {3, 3, 0, false}, {4, 3, 0, false}}, false},
      {"held on the same square keeps the selection", {{3, 3, 1, true}, {3, 3, 2, true}, {3, 3, 1, true}}, false},
      {"any button selects", {{3, 3, 0x80, true}, {4, 3, 0x80, false}}, true},
      {"diagonal keeps the selection, then a neighbour swaps",
       {{3, 3, 1, true}, {4, 4, 1, true}, {4, 3, 1, false}},
       true},
      {"far square keeps the selection", {{3, 3, 1, true}, {6, 6, 1, true}, {3, 3, 1, true}}, false},
      {"leaving the board drops the selection; coming back held selects anew",
       {{3, 3, 1, true}, {-1, 3, 1, false}, {4, 3, 1, true}},
       false},
      {"release then press elsewhere starts again", {{3, 3, 1, true}, {5, 5, 0, false}, {5, 5, 1, true}}, false},
  };
  for (const DragCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetBoard(QuietBoard);
    const int a = Board[3][3].BallColor, b = Board[3][4].BallColor;
    for (const DragStep& step : c.steps) {
      const int x = step.column < 0 ? 5 : CentreX(step.column);
      mouse = {x, CentreY(step.row), step.buttons};
      HandleMouse();
      EXPECT_EQ(Game.Selected, step.selected);
    }
    EXPECT_EQ(Board[3][3].BallColor, c.swapped ? b : a);
    EXPECT_EQ(Board[3][4].BallColor, c.swapped ? a : b);
  }
}

TEST_F(BoardTest, OnlyRestingBallsCanBeSelectedOrSwapped) {
  SetBoard(QuietBoard);
  Board[3][3] = {0, Idle, 0};
  Frame(CentreX(3), CentreY(3), 1);
  EXPECT_FALSE(Game.Selected) << "empty square";
  EXPECT_EQ(Game.Check.x, 0);

  SetBoard(QuietBoard);
  Board[3][3].Status = Falling;
  Board[3][3].Counter = 0;  // moving but not holding Time up
  mouse = {CentreX(3), CentreY(3), 1};
  HandleMouse();
  EXPECT_FALSE(Game.Selected) << "moving ball";

  // Passing over a moving square drops the selection.
  SetBoard(QuietBoard);
  Board[4][4].Status = SwapFromLeft;
  mouse = {CentreX(3), CentreY(3), 1};
  HandleMouse();
  EXPECT_TRUE(Game.Selected);
  mouse = {CentreX(4), CentreY(4), 1};
  HandleMouse();
  EXPECT_FALSE(Game.Selected);

  // The selected ball itself starting to move also drops it.
  SetBoard(QuietBoard);
  mouse = {CentreX(3), CentreY(3), 1};
  HandleMouse();
  Board[3][3].Status = Vanishing;
  mouse = {CentreX(4), CentreY(3), 1};
  HandleMouse();
  EXPECT_FALSE(Game.Selected);
  EXPECT_EQ(Board[3][4].Status, Idle);
}

TEST_F(BoardTest, AnyRunningAnimationBlocksAndCancelsSelection) {
  SetBoard(QuietBoard);
  mouse = {CentreX(3), CentreY(3), 1};
  HandleMouse();
  ASSERT_TRUE(Game.Selected);
  Game.Time = 1;
  HandleMouse();
  EXPECT_FALSE(Game.Selected);
  Game.Time = 4;
  HandleMouse();
  EXPECT_FALSE(Game.Selected);
  Game.Time = 0;
  HandleMouse();
  EXPECT_TRUE(Game.Selected);
}

struct MatchCase {
  const char* name;
  std::vector<std::string> board;
  std::vector<std::string> marked;  // after FindMatches
};

TEST_F(BoardTest, FindMatchesMarksWholeRunsAndCrossings) {
  const std::string quiet = "........";
  const MatchCase cases[] = {
      {"three in a row",
       {"111.....", quiet, quiet, quiet, quiet, quiet, quiet, quiet},
       {"MMM.....", quiet, quiet, quiet, quiet, quiet, quiet, quiet}},
      {"two is no run",
       {"11.2....", quiet, quiet, quiet, quiet, quiet, quiet, quiet},
       {"11.2....", quiet, quiet, quiet, quiet, quiet, quiet, quiet}},
      {"four in a row",
       {".2222...", quiet, quiet, quiet, quiet, quiet, quiet, quiet},
       {".MMMM...", quiet, quiet, quiet, quiet, quiet, quiet, quiet}},
      {"eight in a row",
       {quiet, quiet, quiet, "55555555", quiet, quiet, quiet, quiet},
       {quiet, quiet, quiet, "MMMMMMMM", quiet, quiet, quiet, quiet}},
      {"run at the right edge",
       {".....343", "......33", quiet, quiet, quiet, quiet, quiet, "12.66633"},
       {".....343", "......33", quiet, quiet, quiet, quiet, quiet, "12.MMM33"}},
      {"vertical five",
       {quiet, "...4....", "...4....", "...4....", "...4....", "...4....", quiet, quiet},
       {quiet, "...M....", "...M....", "...M....", "...M....", "...M....", quiet, quiet}},
      {"vertical at the bottom edge",
       {quiet, quiet, quiet, quiet, quiet, "7.......", "7.......", "7......."},
       {quiet, quiet, quiet, quiet, quiet, "M.......", "M.......", "M......."}},
      {"L shape",
       {"3.......", "3.......", "333.....", quiet, quiet, quiet, quiet, quiet},
       {"M.......", "M.......", "MMM.....", quiet, quiet, quiet, quiet, quiet}},
      {"T shape",
       {".666....", "..6.....", "..6.....", quiet, quiet, quiet, quiet, quiet},
       {".MMM....", "..M.....", "..M.....", quiet, quiet, quiet, quiet, quiet}},
      {"cross",
       {"..1.....", ".111....", "..1.....", quiet, quiet, quiet, quiet, quiet},
       {"..M.....", ".MMM....", "..M.....", quiet, quiet, quiet, quiet, quiet}},
      {"different colours break runs",
       {"1121....", "2.......", "1.......", "1.......", quiet, quiet, quiet, quiet},
       {"1121....", "2.......", "1.......", "1.......", quiet, quiet, quiet, quiet}},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetBoard(c.board);
    const bool any = FindMatches();
    EXPECT_EQ(Snapshot(), c.marked);
    EXPECT_EQ(any, c.board != c.marked);
  }
}

TEST_F(BoardTest, OnlyRestingOrMatchedBallsFormRuns) {
  SetBoard({"111.....", "........", "........", "........", "........", "........", "........", "........"});
  Board[0][2].Status = Falling;
  EXPECT_FALSE(FindMatches());
  EXPECT_EQ(Board[0][0].Status, Idle);

  // Already matched balls still count, so overlapping runs are marked whole.
  Board[0][2].Status = Matched;
  EXPECT_TRUE(FindMatches());
  EXPECT_EQ(Board[0][0].Status, Matched);
}

TEST_F(BoardTest, FallingThirdBallMatchesOnlyOnceItLands) {
  SetBoard(QuietBoard);
  Board[7][0].BallColor = 2;
  Board[6][0].BallColor = 2;
  Board[5][0] = {2, Falling, 8};
  Frame(0, 0, 0);  // counter 8 -> 4
  EXPECT_EQ(Board[6][0].Status, Idle);
  Frame(0, 0, 0);  // counter 4 -> 0: comes to rest on the ball below, then matches
  EXPECT_EQ(Board[5][0].Status, Matched);
  EXPECT_EQ(Board[6][0].Status, Matched);
  EXPECT_EQ(Board[7][0].Status, Matched);
}

TEST_F(BoardTest, MatchedBallsVanishOverThirtyTicksThenTheColumnFalls) {
  SetBoard(QuietBoard);
  Board[7][1].BallColor = Board[7][2].BallColor = 1;  // row 7: 111 4 5 6 7 1
  ASSERT_TRUE(FindMatches());
  randomSource = [](int) { return 4; };

  Frame(0, 0, 0);
  EXPECT_EQ(Board[7][0].Status, Vanishing);
  EXPECT_EQ(Board[7][0].Counter, 30);
  EXPECT_EQ(Game.Time, 30);
  for (int shown = 29; shown >= 1; --shown) {
    Frame(0, 0, 0);
    ASSERT_EQ(Board[7][0].Counter, shown);
  }
  // The 31st tick pulls the resting ball from above into each vanished square (it keeps 64);
  // the squares above are visited after and each pulls its upper neighbour (counted to 60), and
  // row 0 receives a new ball.
  Frame(0, 0, 0);
  for (int column = 0; column < 3; ++column) {
    SCOPED_TRACE(column);
    EXPECT_EQ(Board[7][column].Status, Falling);
    EXPECT_EQ(Board[7][column].Counter, 64);
    EXPECT_EQ(Board[7][column].BallColor, QuietBoard[6][column] - '0');
    EXPECT_EQ(Board[6][column].BallColor, QuietBoard[5][column] - '0');
    EXPECT_EQ(Board[6][column].Counter, 60);
    EXPECT_EQ(Board[1][column].BallColor, QuietBoard[0][column] - '0');
    EXPECT_EQ(Board[0][column].BallColor, 5);
    EXPECT_EQ(Board[0][column].Status, Falling);
    EXPECT_EQ(Board[0][column].Counter, 60);
  }
  EXPECT_EQ(Board[7][3].Status, Idle);
  EXPECT_EQ(Game.Time, 64) << "a ball pulled in at the end of a countdown counts at 64";
}

TEST_F(BoardTest, VanishedBallBelowAMovingBallLeavesAGap) {
  SetBoard(QuietBoard);
  Board[7][0] = {1, Vanishing, 1};
  Board[6][0].Status = SwapFromLeft;
  Board[6][0].Counter = 32;
  Frame(0, 0, 0);
  EXPECT_EQ(Board[7][0].BallColor, 0);
  EXPECT_EQ(Board[7][0].Status, Idle);
  EXPECT_EQ(Board[6][0].Counter, 28);
}

TEST_F(BoardTest, BallWaitingAboveAMovingSquareKeepsMovingAtZeroWithoutHoldingTime) {
  SetBoard(QuietBoard);
  Board[6][0] = {3, Falling, 4};
  Board[7][0] = {2, Falling, 24};
  // Tick 1: row 7 -> 20; row 6 -> 0 above a square still moving: stays Falling at 0.
  Frame(0, 0, 0);
  EXPECT_EQ(Board[6][0].Status, Falling);
  EXPECT_EQ(Board[6][0].Counter, 0);
  EXPECT_EQ(Game.Time, 20);
  // Tick 2: -4, settles again, back to 0.
  Frame(0, 0, 0);
  EXPECT_EQ(Board[6][0].Status, Falling);
  EXPECT_EQ(Board[6][0].Counter, 0);
  EXPECT_EQ(Game.Time, 16);
  for (int i = 0; i < 3; ++i) Frame(0, 0, 0);
  EXPECT_EQ(Board[7][0].Counter, 4);
  EXPECT_EQ(Board[6][0].Status, Falling);
  // Row 7 is visited first, so both come to rest in the same tick.
  Frame(0, 0, 0);
  EXPECT_EQ(Board[7][0].Status, Idle);
  EXPECT_EQ(Board[6][0].Status, Idle);
  EXPECT_EQ(Game.Time, 0);
}

TEST_F(BoardTest, SwapThatMakesARunIsMarkedWhenTheBallsLand) {
  SetBoard(QuietBoard);
  const char* row7 = "22624671";
  for (int column = 0; column < BoardSize; ++column) Board[7][column].BallColor = row7[column] - '0';
  ASSERT_FALSE(FindMatches());
  // Dragging column 3's 2 onto column 2's 6 makes 2 2 2.
  Frame(CentreX(3), CentreY(7), 1);
  Frame(CentreX(2), CentreY(7), 1);
  EXPECT_EQ(Snapshot()[7], "22SS4671");
  for (int i = 0; i < 14; ++i) Frame(CentreX(2), CentreY(7), 1);
  EXPECT_EQ(Snapshot()[7], "22SS4671");
  Frame(CentreX(2), CentreY(7), 1);
  EXPECT_EQ(Snapshot()[7], "MMM64671");
  EXPECT_FALSE(Game.Selected) << "a held button during the animation selects nothing";
}

}  // namespace
