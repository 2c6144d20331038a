// The sound decoder fuzzer's seeded runs, in every run of the suite. VORNEK_FUZZ_SEED replays
// one seed (as printed by a failing run) instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "fuzz/sound_fuzzer.h"

namespace {

TEST(SoundFuzz, DamagedFilesNeverBreakTheDecoders) {
  std::vector<std::uint64_t> seeds = {1, 2, 3, 4};
  if (const char* replay = std::getenv("VORNEK_FUZZ_SEED")) seeds = {std::strtoull(replay, nullptr, 10)};
  for (std::uint64_t seed : seeds) {
    const SoundFuzzResult result = RunSoundFuzz(seed, 1500);
    EXPECT_EQ(result.failure, "") << "replay with VORNEK_FUZZ_SEED=" << seed;
    EXPECT_GT(result.decoded, 1500 / 16) << "the undamaged seeds at least";
  }
}

}  // namespace
