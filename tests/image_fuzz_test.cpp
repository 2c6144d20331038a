// A few seconds of the image fuzzer in the suite; scripts/fuzz.sh images runs it for longer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fuzz/image_fuzzer.h"

TEST(ImageFuzzTest, DamagedFilesNeverCrashNorLeak) {
  const char* chosen = std::getenv("VORNEK_FUZZ_SEED");
  const std::uint64_t first = chosen != nullptr ? std::strtoull(chosen, nullptr, 10) : 1;
  for (std::uint64_t seed = first; seed < first + 4; ++seed) {
    const ImageFuzzResult result = RunImageFuzz(seed, 25000);
    EXPECT_FALSE(result.leaked) << "replay: VORNEK_FUZZ_SEED=" << seed;
    // Most mutants are refused, but not all: the damage must not only ever hit the signature.
    EXPECT_GT(result.accepted, 0);
  }
}
