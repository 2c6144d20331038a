// The game's loop for 100 000 ticks of random input on the fake platform, the board's
// invariants checked after every tick; the whole frame is drawn every 100th tick.
#include <gtest/gtest.h>

#include "soak/game_soak.h"

namespace {

TEST(GameSoak, TicksOfRandomInputKeepTheBoardWhole) {
  constexpr std::uint64_t Seed = 20261210;
  const GameSoakResult result = RunGameSoak(Seed, 100000, 100);
  EXPECT_EQ(result.failure, "") << "replay: build-asan/tests/game_soak --seed " << Seed << " --ticks 100000";
  EXPECT_EQ(result.ticks, 100000);
  EXPECT_EQ(result.frames, 1000);
  // The input really played: drags swapped balls, and runs vanished and were refilled.
  EXPECT_GT(result.swaps, 0);
  EXPECT_GT(result.vanished, 0);
  EXPECT_GT(result.entered, 64);
}

}  // namespace
