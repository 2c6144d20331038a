// Whole-pixel arithmetic shared by the blit and fill loops: packed saturating add and subtract,
// and the divisions by 255 and 63 done as multiplications (exact over the ranges used here).
#pragma once

#include <cstdint>

#include "blit_isa.h"

namespace VORNEK_BLIT_NS {

// x / 255 for 0 <= x <= 255 * 255: the value ScaleTable holds for p * c.
inline std::uint32_t Div255(std::uint32_t x) { return (x * 0x8081u) >> 23; }
// x / 63 for 0 <= x <= 63 * 63: the value Mix63Table holds for a * k + b * (63 - k).
inline std::uint32_t Div63(std::uint32_t x) { return (x * 2081u) >> 17; }
// p * d / 255 truncated toward zero for -255 <= d <= 255: SignedScaleTable.
inline std::int32_t SignedDiv255(std::int32_t p, std::int32_t d) {
  const std::int32_t x = p * d;
  const std::int32_t q = static_cast<std::int32_t>(Div255(static_cast<std::uint32_t>(x < 0 ? -x : x)));
  return x < 0 ? -q : q;
}

// Carry-propagating add with saturation per channel; the filler byte ends as the carry out of red.
inline std::uint32_t PackedAdd32(std::uint32_t d, std::uint32_t s) {
  const std::uint32_t t = (d & 0xFEFEFFu) + (s & 0xFEFEFFu);
  const std::uint32_t c = t & 0x1010100u;
  return (c - (c >> 8)) | ((d | s) & 0x10100u) | t;
}
inline std::uint32_t PackedSubtract32(std::uint32_t d, std::uint32_t s) {
  const std::uint32_t t = (d | 0x1010100u) - (s & 0xFEFEFEFFu);
  const std::uint32_t c = t & 0x1010100u;
  return (c - (c >> 8)) & t;
}
inline std::uint32_t PackedAdd16(std::uint32_t d, std::uint32_t s) {
  const std::uint32_t t = (d & 0xF7DFu) + (s & 0xF7DFu);
  const std::uint32_t c = t & 0x10820u;
  return ((c - (c >> 5)) | ((d | s) & 0x820u) | t) & 0xFFFFu;
}
inline std::uint32_t PackedSubtract16(std::uint32_t d, std::uint32_t s) {
  const std::uint32_t t = (d | 0x10820u) - (s & 0xF7DFu);
  const std::uint32_t c = t & 0x10820u;
  return ((c - (c >> 5)) & t) & 0xFFFFu;
}

// Per-byte saturation over all four bytes, filler included (the vector unit's byte add).
inline std::uint32_t ByteSaturatingAdd32(std::uint32_t d, std::uint32_t s) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t v = ((d >> shift) & 0xFFu) + ((s >> shift) & 0xFFu);
    out |= (v > 255u ? 255u : v) << shift;
  }
  return out;
}
inline std::uint32_t ByteSaturatingSubtract32(std::uint32_t d, std::uint32_t s) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t a = (d >> shift) & 0xFFu, b = (s >> shift) & 0xFFu;
    out |= (a > b ? a - b : 0u) << shift;
  }
  return out;
}

}  // namespace VORNEK_BLIT_NS
