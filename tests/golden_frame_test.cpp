// The game's frames on the fake platform, compared with stored reference images. The fake clock
// makes the seed and so the board the same on every run; the mouse is scripted from the board.
#include <gtest/gtest.h>

#include <string>

#include "board.h"
#include "core/tracked_memory.h"
#include "engine_fixture.h"
#include "game.h"
#include "golden.h"
#include "golden_game_script.h"
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

class GoldenFrameTest : public EngineFixture, public golden_game::Platform {
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

  void Mouse(int x, int y, bool held) override {
    const RECT& client = EngineState.ClientRectOnScreen;
    fake::Send({fake::EventKind::MouseMove, client.left + x, client.top + y});
    if (held != buttonHeld_) fake::Send({held ? fake::EventKind::ButtonDown : fake::EventKind::ButtonUp, 0});
    buttonHeld_ = held;
    PumpMessages();  // the events arrive before the next frame, as they would between two frames
  }

  void ExpectFrame(const std::string& name) override {
    const std::string failure = CompareWithGolden(PresentedImage(), GOLDEN_DIR, GOLDEN_OUTPUT_DIR, name);
    if (!failure.empty()) ADD_FAILURE() << failure;
  }

  bool buttonHeld_ = false;
  test_support::TempDirectory directory_;
};

TEST_F(GoldenFrameTest, TheGameFromAnEmptyBoardThroughASwapAndARefill) {
  ASSERT_EQ(StartGame(), 0);
  SetVSyncWait(FALSE);
  fake::SetIdlePassTime(0);
  golden_game::Play(*this);
}

}  // namespace
