// Unsigned 128-bit products and quotients for converting counter ticks to microseconds.
#pragma once

#include <cstdint>

struct U128 {
  std::uint64_t low;
  std::uint64_t high;
};

U128 MulU64To128(std::uint64_t a, std::uint64_t b);
// The low 64 bits of dividend / divisor; 0 for a divisor of 0.
std::uint64_t DivU128By64(U128 dividend, std::uint64_t divisor);
// The same quotient by long division through repeated doubling: the reference the fast
// division is held to.
std::uint64_t DivU128By64Doubling(U128 dividend, std::uint64_t divisor);
