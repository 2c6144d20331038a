// The game's frames on the fake platform, compared with stored reference images. The fake clock
// makes the seed and so the board the same on every run; the mouse is scripted from the board.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "board.h"
#include "core/tracked_memory.h"
#include "engine_fixture.h"
#include "game.h"
#include "golden.h"
#include "test_support.h"

namespace {

PngImage PresentedImage() {
  const fake::PresentedFrame& frame = fake::Presented();
  PngImage image;
  image.width = frame.width;
  image.height = frame.height;
  image.pixels.resize(frame.pixels.size());
  for (std::size_t i = 0; i < frame.pixels.size(); ++i) image.pixels[i] = frame.pixels[i] & 0xFFFFFF;
  return image;
}

void ExpectFrame(const std::string& name) {
  const std::string failure = CompareWithGolden(PresentedImage(), GOLDEN_DIR, GOLDEN_OUTPUT_DIR, name);
  if (!failure.empty()) ADD_FAILURE() << failure;
}

// Whether the board has three equal balls in a row or column.
bool HasRun(const Cell board[BoardSize][BoardSize]) {
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
bool FindMatchingSwap(int* row, int* column) {
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

class GoldenFrameTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    fake::SetClientSize(800, 600);
    ResetBoard();
  }
  void TearDown() override {
    EngineFixture::TearDown();
    EXPECT_EQ(LiveBlockCount(), 0);
  }

  // Moves the cursor to a client position, with the left button held or not.
  void Mouse(int x, int y, bool held) {
    const RECT& client = EngineState.ClientRectOnScreen;
    fake::Send({fake::EventKind::MouseMove, client.left + x, client.top + y});
    if (held != buttonHeld_) fake::Send({held ? fake::EventKind::ButtonDown : fake::EventKind::ButtonUp, 0});
    buttonHeld_ = held;
    PumpMessages();  // the events arrive before the next frame, as they would between two frames
  }

  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      RunFrame();
      PumpMessages();
      ++tick_;
    }
  }

  static int CentreX(int column) { return BoardLeft + CellPixels * column + 32; }
  static int CentreY(int row) { return BoardLeft + CellPixels * row + 32; }

  int tick_ = 0;
  bool buttonHeld_ = false;
  test_support::TempDirectory directory_;
};

TEST_F(GoldenFrameTest, TheGameFromAnEmptyBoardThroughASwapAndARefill) {
  ASSERT_EQ(StartGame(), 0);
  SetVSyncWait(FALSE);
  fake::SetIdlePassTime(0);
  Mouse(700, 500, false);  // beside the board: the panel says "Out of Field."

  Frames(1);
  ExpectFrame("01_first_tick");
  Frames(59);
  ExpectFrame("02_filling");
  Frames(68);
  ASSERT_EQ(tick_, 128);
  ExpectFrame("03_all_at_rest");

  // Let any runs of the random board play out until every square holds a resting ball.
  auto quiet = [] {
    for (const auto& r : Board) {
      for (const Cell& cell : r) {
        if (cell.BallColor == 0 || cell.Status != Idle) return false;
      }
    }
    return Game.Time == 0;
  };
  for (int guard = 0; guard < 2000 && !quiet(); ++guard) Frames(1);
  ASSERT_TRUE(quiet());
  int row = 0, column = 0;
  ASSERT_TRUE(FindMatchingSwap(&row, &column)) << "no swap makes a run on this board";

  Mouse(CentreX(column), CentreY(row), true);
  Frames(1);
  ASSERT_TRUE(Game.Selected);
  ExpectFrame("04_selected");
  Mouse(CentreX(column + 1), CentreY(row), true);
  Frames(1);
  ASSERT_NE(Board[row][column].Status, Idle) << "swapped";
  ExpectFrame("05_swap_started");
  Frames(7);
  ExpectFrame("06_swap_in_flight");
  Mouse(CentreX(column + 1), CentreY(row), false);
  Frames(8);
  bool matched = false;
  for (const auto& r : Board) {
    for (const Cell& cell : r) matched = matched || cell.Status == Matched;
  }
  ASSERT_TRUE(matched) << "the swapped balls landed in a run";
  ExpectFrame("07_match_marked");
  Frames(10);
  ExpectFrame("08_vanishing");
  Frames(22);
  ExpectFrame("09_refilling");
}

}  // namespace
