// The game's loop on the real platform with SDL's off-screen video driver, which refreshes at
// 60 Hz: every refresh brings one game tick, and the front-screen timer, which ticks in the
// loop's message pump, presents nothing the game has just presented.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>

#include "core/tracked_memory.h"
#include "game_pacing.h"
#include "test_support.h"

namespace {

TEST(RealPacing, TheGameAdvancesOnceARefreshForThreeSeconds) {
  test_support::TempDirectory directory;
  // A copy of the game elsewhere on this machine must not look like this one.
  setenv("XDG_RUNTIME_DIR", directory.path().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(StartGame(), 0);
  const GamePacing pacing = RunGameLoopFor(3.0);
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";

  std::printf("%.1f ticks, %.1f presents and %.1f distinct pictures per second over %.2f s\n",
              pacing.TicksPerSecond(), pacing.PresentsPerSecond(), pacing.PicturesPerSecond(), pacing.seconds);
  EXPECT_EQ(pacing.presents, static_cast<unsigned>(pacing.ticks)) << "one present per tick, none from the timer";
#ifdef PACING_FLOOR
  // An idle machine gives 59-60; the floor leaves room for a busy one and still tells the
  // 40 ticks a second of a timer that took every third refresh.
  EXPECT_GE(pacing.TicksPerSecond(), PACING_FLOOR);
#endif
}

}  // namespace
