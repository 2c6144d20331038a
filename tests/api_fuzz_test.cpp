// The API fuzzer's seeded runs: a few thousand calls per seed, in every run of the suite.
// VORNEK_FUZZ_SEED replays one seed (as printed by a failing run) instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/api_fuzzer.h"

namespace {

TEST(ApiFuzz, SeededRunsLeaveNothingBehind) {
  std::vector<std::uint64_t> seeds = {1, 2, 3, 4};
  if (const char* replay = std::getenv("VORNEK_FUZZ_SEED")) seeds = {std::strtoull(replay, nullptr, 10)};
  for (std::uint64_t seed : seeds) {
    const ApiFuzzResult result = RunApiFuzz(seed, 3000, true);
    EXPECT_EQ(result.failure, "") << "replay with VORNEK_FUZZ_SEED=" << seed;
    EXPECT_EQ(result.calls, 3000);
  }
}

}  // namespace
