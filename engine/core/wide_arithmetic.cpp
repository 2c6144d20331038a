#include "wide_arithmetic.h"

namespace {

using Wide = unsigned __int128;

Wide ToWide(U128 value) { return (static_cast<Wide>(value.high) << 64) | value.low; }

}  // namespace

U128 MulU64To128(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
  const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
  const std::uint64_t lowLow = aLow * bLow;
  const std::uint64_t lowHigh = aLow * bHigh;
  const std::uint64_t highLow = aHigh * bLow;
  const std::uint64_t highHigh = aHigh * bHigh;
  // The middle column: three 32-bit quantities, so it cannot overflow 64 bits.
  const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
  U128 product;
  product.low = (middle << 32) | (lowLow & 0xFFFFFFFFu);
  product.high = highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32);
  return product;
}

std::uint64_t DivU128By64(U128 dividend, std::uint64_t divisor) {
  if (divisor == 0) return 0;
  return static_cast<std::uint64_t>(ToWide(dividend) / divisor);
}

std::uint64_t DivU128By64Doubling(U128 dividend, std::uint64_t divisor) {
  if (divisor == 0) return 0;  // doubling 0 never passes the remainder
  Wide remainder = ToWide(dividend);
  Wide quotient = 0;
  for (;;) {
    // Double from the divisor while it fits in the remainder. A value with its top bit set
    // cannot double inside 128 bits; it counts as the last doubling, whose half it is.
    Wide doubled = divisor;
    Wide lastFitting = 0;
    int doublings = 0;
    while (doubled <= remainder) {
      lastFitting = doubled;
      ++doublings;
      if (doubled >> 127) break;
      doubled <<= 1;
    }
    if (doublings == 0) break;
    quotient |= static_cast<Wide>(1) << (doublings - 1);
    remainder -= lastFitting;
  }
  return static_cast<std::uint64_t>(quotient);
}
