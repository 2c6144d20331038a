// The game's program entry driven on the fake platform.
#include "engine_fixture.h"
#include "game.h"

namespace {

using fake::EventKind;

class GameWindowTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    EngineState.WindowTitle[0] = '\0';
  }
};

TEST_F(GameWindowTest, ClosingTheWindowEndsTheGameWithZero) {
  // Start-up pumps for 200 ms of the fake clock (one idle pass each); the close comes later.
  constexpr int ClosePass = 400;
  fake::Schedule(ClosePass, {EventKind::Close});
  EXPECT_EQ(GameMain(), 0);
  EXPECT_EQ(EngineState.Destroyed, 1);
  EXPECT_LE(fake::CurrentPass(), ClosePass + 1) << "the loop ended in the frame that saw the close";
}

TEST_F(GameWindowTest, EscapeEndsTheGameWithZero) {
  fake::Schedule(400, {EventKind::KeyDown, 1});
  EXPECT_EQ(GameMain(), 0);
  EXPECT_LE(fake::CurrentPass(), 402);
}

TEST_F(GameWindowTest, ASecondCopyEndsWithMinusOne) {
  fake::SetAnotherInstance(true);
  EXPECT_EQ(GameMain(), -1);
}

}  // namespace
