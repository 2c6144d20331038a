#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "core/wide_arithmetic.h"

namespace {

using Wide = unsigned __int128;
constexpr std::uint64_t Max = ~std::uint64_t{0};

Wide ToWide(U128 v) { return (static_cast<Wide>(v.high) << 64) | v.low; }
U128 FromWide(Wide v) { return U128{static_cast<std::uint64_t>(v), static_cast<std::uint64_t>(v >> 64)}; }

TEST(WideArithmeticTest, ProductsAreExact) {
  const std::uint64_t values[] = {
      0, 1, 2, 0xFFFFFFFFu, 0x100000000u, 0x1FFFFFFFFu, 1000000u, 0x8000000000000000u, Max - 1, Max};
  for (std::uint64_t a : values) {
    for (std::uint64_t b : values) {
      EXPECT_TRUE(ToWide(MulU64To128(a, b)) == static_cast<Wide>(a) * b) << a << " * " << b;
    }
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 10000; ++i) {
    const std::uint64_t a = random() >> (random() % 64), b = random() >> (random() % 64);
    ASSERT_TRUE(ToWide(MulU64To128(a, b)) == static_cast<Wide>(a) * b) << a << " * " << b;
  }
}

// Both divisions give the low 64 bits of the exact quotient; the doubling one is the reference.
void ExpectQuotient(Wide dividend, std::uint64_t divisor) {
  const std::uint64_t exact = static_cast<std::uint64_t>(dividend / divisor);
  EXPECT_EQ(DivU128By64Doubling(FromWide(dividend), divisor), exact)
      << static_cast<std::uint64_t>(dividend >> 64) << ":" << static_cast<std::uint64_t>(dividend) << " / " << divisor;
  EXPECT_EQ(DivU128By64(FromWide(dividend), divisor), exact);
}

TEST(WideArithmeticTest, QuotientsAreExactIncludingTheExtremes) {
  const Wide top = ~Wide{0};
  struct Case {
    Wide dividend;
    std::uint64_t divisor;
  };
  const Case cases[] = {
      {0, 1},
      {5, 7},  // smaller than the divisor: 0
      {7, 7},  // equal: 1
      {Max, Max},
      {Max - 1, Max},
      {top, 1},  // the quotient's top 64 bits are dropped
      {top, Max},
      {top, 2},
      {Wide{1} << 127, 1},  // the doubling reaches the top bit
      {Wide{1} << 127, 3},
      {(Wide{1} << 127) - 1, 1},
      {static_cast<Wide>(Max) * 1000000u, 1000000u},
      {static_cast<Wide>(Max) * 1000000u, 3579545u},
      {static_cast<Wide>(123456789012345u) * 1000000u, 1000000000u},
  };
  for (const Case& c : cases) ExpectQuotient(c.dividend, c.divisor);

  std::mt19937_64 random(11);
  for (int i = 0; i < 2000; ++i) {
    const Wide dividend = (static_cast<Wide>(random()) << 64 | random()) >> (random() % 128);
    const std::uint64_t divisor = (random() >> (random() % 64)) | 1;
    ExpectQuotient(dividend, divisor);
  }
}

TEST(WideArithmeticTest, DivisionByZeroGivesZeroInsteadOfHanging) {
  EXPECT_EQ(DivU128By64(U128{5, 0}, 0), 0u);
  EXPECT_EQ(DivU128By64Doubling(U128{5, 0}, 0), 0u);
}

}  // namespace
