// How a drawing target lays out the pixels the one-colour operations (lines, circles) work on.
#pragma once

#include <cstdint>

#include "mem_img.h"
#include "pixel_ops.h"

// How a target stores the pixels the colour operations work on. A 5:6:5 image with alpha keeps
// its colour in the low 16 bits of each 4-byte pixel, so it is stepped two 16-bit units at a time.
enum class TargetLayout { Unsupported, Rgb32, Rgb565, Rgb565WithAlpha };

inline TargetLayout LayoutOfTarget(const MEMIMG* target) {
  if (!IsMemImgValid(target)) return TargetLayout::Unsupported;
  const MemImgShared* shared = target->shared;
  if (shared->paletted || shared->pixelBuffer == nullptr) return TargetLayout::Unsupported;
  switch (shared->colorType) {
    case Color32:
      return TargetLayout::Rgb32;
    case Color16:
      return shared->hasAlpha ? TargetLayout::Rgb565WithAlpha : TargetLayout::Rgb565;
    default:
      return TargetLayout::Unsupported;
  }
}

inline int BytesPerTargetPixel(TargetLayout layout) { return layout == TargetLayout::Rgb565 ? 2 : 4; }

inline std::uint32_t ApplyBrightnessFor(TargetLayout layout, std::uint32_t color, const std::uint8_t bright[3]) {
  if (IsFullBrightness(bright)) return color;
  return layout == TargetLayout::Rgb32 ? ApplyBrightness(Rgb32{}, color, bright)
                                       : ApplyBrightness(Rgb565{}, color, bright);
}
