#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "fake_platform.h"
#include "random/random.h"
#include "vornek.h"

namespace {

// A plain MT19937 with the 1998 congruential seeding, written straight from the algorithm's
// description, as the reference for both regeneration paths.
class ReferenceTwister {
 public:
  explicit ReferenceTwister(std::uint32_t seed) {
    for (int i = 0; i < 624; ++i) {
      mt_[i] = seed & 0xFFFF0000u;
      seed = 69069u * seed + 1u;
      mt_[i] |= (seed & 0xFFFF0000u) >> 16;
      seed = 69069u * seed + 1u;
    }
  }
  std::uint32_t Next() {
    if (index_ == 624) {
      for (int k = 0; k < 624; ++k) {
        const std::uint32_t y = (mt_[k] & 0x80000000u) | (mt_[(k + 1) % 624] & 0x7FFFFFFFu);
        mt_[k] = mt_[(k + 397) % 624] ^ (y >> 1) ^ ((y & 1) ? 0x9908B0DFu : 0u);
      }
      index_ = 0;
    }
    std::uint32_t y = mt_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
  }

 private:
  std::uint32_t mt_[624];
  int index_ = 624;
};

constexpr std::uint32_t Sse2Bit = 1u << 26;

class RandomTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetCpu(true, GetParam() ? Sse2Bit : 0);
  }
  void TearDown() override { fake::ResetPlatform(); }
};

TEST_P(RandomTest, FollowsTheReferenceSequenceAcrossManyRefills) {
  for (std::uint32_t seed : {4357u, 0u, 1u, 0xFFFFFFFFu, 123456789u}) {
    SeedRandom(seed);
    ASSERT_EQ(RandomState.vectorPath, GetParam() ? 1 : 0);
    ReferenceTwister reference(seed);
    for (int i = 0; i < 624 * 5 + 7; ++i) {
      ASSERT_EQ(NextRandom32(), reference.Next()) << "seed " << seed << ", output " << i;
    }
  }
}

TEST_P(RandomTest, PublishedFirstOutputsForSeed4357) {
  SeedRandom(4357);
  EXPECT_EQ(NextRandom32(), 0xAAE64AC3u);
  EXPECT_EQ(NextRandom32(), 0x5E7C47DAu);
  EXPECT_EQ(NextRandom32(), 0xB98E8121u);
}

INSTANTIATE_TEST_SUITE_P(Paths, RandomTest, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "Vector" : "Scalar"; });

TEST(RandomSelfSeeding, UnseededGeneratorStartsAtThe625thOutputOfSeed4357) {
  RandomState = RandomStateRecord{{}, {}, RandomStateWords, 0, 0};
  ReferenceTwister reference(4357);
  for (int i = 0; i < 624; ++i) reference.Next();
  EXPECT_EQ(NextRandom32(), reference.Next());
  EXPECT_EQ(RandomState.seeded, 1);
}

// GetRandom maps the next output r to floor(r * (max + 1) / 2^32) with max + 1 wrapping.
TEST(GetRandom, MapsByMultiplyHigh) {
  struct Case {
    int max;
    std::uint32_t r;
    int expected;
  };
  const Case cases[] = {
      {6, 0, 0},
      {6, 0xFFFFFFFFu, 6},
      {6, 0x80000000u, 3},
      {0, 0xFFFFFFFFu, 0},
      {-1, 0xFFFFFFFFu, 0},
      {-2, 0, 0},
      {-2, 1, -1},
      {-2, 0xFFFFFFFFu, -1},
      {INT_MAX, 0, 0},
      {INT_MAX, 1, -1},
      {INT_MAX, 0xFFFFFFFFu, INT_MIN},
      {INT_MAX, 0x80000000u, INT_MIN / 2},
      {INT_MIN, 0xFFFFFFFFu, INT_MIN + 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "max " << c.max << ", r " << c.r);
    RandomState.output[0] = c.r;
    RandomState.readPosition = 0;
    RandomState.seeded = 1;
    EXPECT_EQ(GetRandom(c.max), c.expected);
    EXPECT_EQ(RandomState.readPosition, 1) << "every call consumes one output";
  }
}

TEST(GetRandom, StaysInRangeAndCoversIt) {
  SeedRandom(99);
  std::vector<int> seen(7);
  for (int i = 0; i < 7000; ++i) {
    const int value = GetRandom(6);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 6);
    ++seen[value];
  }
  for (int count : seen) EXPECT_GT(count, 800);
  for (int i = 0; i < 1000; ++i) {
    const int value = GetRandom(INT_MAX);
    ASSERT_LE(value, 0);
  }
}

}  // namespace
