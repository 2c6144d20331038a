// Slow, literal model of the software renderer's per-pixel operations, lines and circles,
// written straight from the drawing rules with the shared tables and no shortcuts. The fast
// loops are compared against it.
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

// A target of either pixel size, as a plain array of pixel values.
struct Image {
  int width = 0, height = 0;
  bool is16 = false;
  std::vector<std::uint32_t> pixels;
  std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Params {
  int left, top, right, bottom;
  int blendMode, blendParam;
  std::uint8_t bright[3];
};

// The colour after the draw brightness, at the target's pixel size.
std::uint32_t Brighten(std::uint32_t color, bool is16, const std::uint8_t bright[3]);
// False when the mode and parameter draw nothing at all.
bool ModeDraws(int blendMode, int p);
// The new destination pixel for source s over destination d.
std::uint32_t BlendPixel(std::uint32_t d, std::uint32_t s, bool is16, int blendMode, int p);

void DrawLine(Image* image, const Params& params, int x1, int y1, int x2, int y2, std::uint32_t color);
void DrawCircle(Image* image, const Params& params, int cx, int cy, int r, std::uint32_t color, int fill);

}  // namespace reference
