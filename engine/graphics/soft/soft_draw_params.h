// What the software primitives take from the draw state: where they may draw and how.
#pragma once

#include <cstdint>

#include "mem_img.h"

struct SoftDrawParams {
  Rect drawArea;            // right and bottom exclusive; also kept inside the target
  int blendMode;            // BlendMode* value; unknown values draw nothing
  int blendParam;           // 0-255
  std::uint8_t bright[3];   // red, green, blue factors; 255, 255, 255 leaves colours alone
};
