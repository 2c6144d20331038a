// The game's program entry driven on the fake platform.
#include <set>

#include "engine_fixture.h"
#include "game.h"
#include "platform/winmm.h"

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

// The game's loop on a 60 Hz display: each frame's present waits for the next refresh, and the
// front-screen timer, which ticks in the loop's message pump, takes none of them, so every
// refresh brings one game tick and at most one present.
TEST_F(GameWindowTest, EveryRefreshOfA60HzDisplayBringsOneTick) {
  fake::SetRefreshRate(60);
  ASSERT_EQ(StartGame(), 0);
  ASSERT_EQ(PumpMessages(), 0);
  const int firstRefresh = fake::RefreshAt(timeGetTime());
  const std::size_t firstPresent = fake::Presented().times.size();

  constexpr int Frames = 600;
  for (int frame = 0; frame < Frames; ++frame) {
    ASSERT_EQ(IsKeyDown(1), 0);
    RunFrame();
    ASSERT_EQ(PumpMessages(), 0);
  }

  EXPECT_EQ(fake::RefreshAt(timeGetTime()) - firstRefresh, Frames) << "one tick per refresh";
  const std::vector<DWORD>& times = fake::Presented().times;
  std::multiset<int> refreshes;
  for (std::size_t i = firstPresent; i < times.size(); ++i) refreshes.insert(fake::RefreshAt(times[i]));
  EXPECT_EQ(refreshes.size(), static_cast<std::size_t>(Frames)) << "one present per tick";
  int most = 0;
  for (int refresh : refreshes) most = std::max(most, static_cast<int>(refreshes.count(refresh)));
  EXPECT_EQ(most, 1) << "at most one present per refresh";
}

TEST_F(GameWindowTest, ASecondCopyEndsWithMinusOne) {
  fake::SetAnotherInstance(true);
  EXPECT_EQ(GameMain(), -1);
}

}  // namespace
