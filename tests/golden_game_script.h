// The scripted game both golden-frame tests play, on the fake platform and on the real one: the
// board fills, settles, and the first horizontal swap that makes a run is dragged with the mouse,
// then marked, vanishes and is refilled. Each platform supplies how the pointer moves and how a
// frame is compared; the board, the frame numbers and the frame names are the same for both.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "board.h"
#include "game.h"
#include "vornek.h"

namespace golden_game {

// Whether the board has three equal balls in a row or column.
inline bool HasRun(const Cell board[BoardSize][BoardSize]) {
  for (int r = 0; r < BoardSize; ++r) {
    for (int c = 0; c < BoardSize; ++c) {
      const int color = board[r][c].BallColor;
      if (color == 0) continue;
      if (c + 2 < BoardSize && board[r][c + 1].BallColor == color && board[r][c + 2].BallColor == color) return true;
      if (r + 2 < BoardSize && board[r + 1][c].BallColor == color && board[r + 2][c].BallColor == color) return true;
    }
  }
  return false;
}

// The first horizontal swap (row, column) with (row, column + 1) that makes a run.
inline bool FindMatchingSwap(int* row, int* column) {
  for (int r = 0; r < BoardSize; ++r) {
    for (int c = 0; c + 1 < BoardSize; ++c) {
      Cell copy[BoardSize][BoardSize];
      for (int i = 0; i < BoardSize; ++i) {
        for (int j = 0; j < BoardSize; ++j) copy[i][j] = Board[i][j];
      }
      std::swap(copy[r][c].BallColor, copy[r][c + 1].BallColor);
      if (HasRun(copy)) {
        *row = r;
        *column = c;
        return true;
      }
    }
  }
  return false;
}

// Every square holds a resting ball and no run is being played out.
inline bool BoardIsQuiet() {
  for (const auto& r : Board) {
    for (const Cell& cell : r) {
      if (cell.BallColor == 0 || cell.Status != Idle) return false;
    }
  }
  return Game.Time == 0;
}

inline bool AnyMatched() {
  for (const auto& r : Board) {
    for (const Cell& cell : r) {
      if (cell.Status == Matched) return true;
    }
  }
  return false;
}

class Platform {
 public:
  virtual ~Platform() = default;
  // Puts the cursor on a client position with the left button held or not, and returns once the
  // engine's input reports exactly that, so the next frame sees it. Fails the test (fatally)
  // when it cannot.
  virtual void Mouse(int x, int y, bool held) = 0;
  // Compares the frame just drawn with the reference called name.
  virtual void ExpectFrame(const std::string& name) = 0;
};

inline int CentreX(int column) { return BoardLeft + CellPixels * column + CellPixels / 2; }
inline int CentreY(int row) { return BoardLeft + CellPixels * row + CellPixels / 2; }

// Plays the script on a started engine whose board was just reset.
inline void Play(Platform& platform) {
  int tick = 0;
  auto frames = [&tick](int count) {
    for (int i = 0; i < count; ++i) {
      RunFrame();
      PumpMessages();
      ++tick;
    }
  };

  ASSERT_NO_FATAL_FAILURE(platform.Mouse(700, 500, false));  // beside the board: "Out of Field."
  frames(1);
  platform.ExpectFrame("01_first_tick");
  frames(59);
  platform.ExpectFrame("02_filling");
  frames(68);
  ASSERT_EQ(tick, 128);
  platform.ExpectFrame("03_all_at_rest");

  // Let any runs of the random board play out until every square holds a resting ball.
  for (int guard = 0; guard < 2000 && !BoardIsQuiet(); ++guard) frames(1);
  ASSERT_TRUE(BoardIsQuiet());
  int row = 0, column = 0;
  ASSERT_TRUE(FindMatchingSwap(&row, &column)) << "no swap makes a run on this board";

  ASSERT_NO_FATAL_FAILURE(platform.Mouse(CentreX(column), CentreY(row), true));
  frames(1);
  ASSERT_TRUE(Game.Selected);
  platform.ExpectFrame("04_selected");
  ASSERT_NO_FATAL_FAILURE(platform.Mouse(CentreX(column + 1), CentreY(row), true));
  frames(1);
  ASSERT_NE(Board[row][column].Status, Idle) << "swapped";
  platform.ExpectFrame("05_swap_started");
  frames(7);
  platform.ExpectFrame("06_swap_in_flight");
  ASSERT_NO_FATAL_FAILURE(platform.Mouse(CentreX(column + 1), CentreY(row), false));
  frames(8);
  ASSERT_TRUE(AnyMatched()) << "the swapped balls landed in a run";
  platform.ExpectFrame("07_match_marked");
  frames(10);
  platform.ExpectFrame("08_vanishing");
  frames(22);
  platform.ExpectFrame("09_refilling");
}

}  // namespace golden_game
