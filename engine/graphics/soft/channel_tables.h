// The 5:6:5 mixes work each channel on its own, so with one colour their results fit in three
// small tables of 32, 64 and 32 entries. Looking a pixel up costs a fraction of mixing its
// three channels, which pays on lines and outlines of a hundred pixels or more.
#pragma once

#include <cstdint>

#include "pixel_ops.h"

constexpr bool IsTabulated(BlendOp op) {
  return op == BlendOp::Alpha || op == BlendOp::InvertedAlpha || op == BlendOp::MultiplyAlpha;
}
template <BlendOp Op>
constexpr bool kTabulated = IsTabulated(Op);

template <BlendOp Op>
class ChannelTables {
 public:
  // Worked out by the operation itself, on 64 pixels whose green runs through all its values
  // and whose red and blue are half of it: every red and blue value comes up, at even greens.
  ChannelTables(const PixelBlend<Rgb565, Op>& op, typename PixelBlend<Rgb565, Op>::Prepared source) {
    for (std::uint16_t g = 0; g < 64; ++g) {
      const std::uint16_t half = g >> 1;
      const std::uint16_t out = op.Apply(static_cast<std::uint16_t>(half << 11 | g << 5 | half), source);
      green_[g] = out & 0x7E0u;
      red_[half] = out & 0xF800u;
      blue_[half] = out & 0x1Fu;
    }
  }
  std::uint16_t Apply(std::uint16_t d) const {
    return static_cast<std::uint16_t>(red_[d >> 11] | green_[(d >> 5) & 0x3F] | blue_[d & 0x1F]);
  }

 private:
  std::uint16_t red_[32], green_[64], blue_[32];
};
