// Lines and circles drawn in software into a MEMIMG.
#pragma once

#include <cstdint>

#include "mem_img.h"

// What the drawing front-end passes from its draw state: the area pixels may be drawn in
// (right and bottom exclusive), the blend mode and its parameter 0-255, and the draw brightness
// as red, green, blue (255, 255, 255 = unchanged).
struct SoftDrawParams {
  Rect drawArea;
  int blendMode;
  int blendParam;
  std::uint8_t bright[3];
};

// Steps from (x1, y1) towards (x2, y2); the end point itself is not drawn.
void SoftDrawLine(MEMIMG* target, const SoftDrawParams* params, int x1, int y1, int x2, int y2, std::uint32_t color);
// fill 0 draws the outline; otherwise every row of the disc is drawn once.
void SoftDrawCircle(MEMIMG* target, const SoftDrawParams* params, int cx, int cy, int r, std::uint32_t color, int fill);
