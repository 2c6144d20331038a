// Chooses, once per drawing call, the template instance of a pixel loop for the target's pixel
// layout and the blend operation: the loops themselves then carry no per-pixel decisions.
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

namespace pixel_loop_detail {

template <template <class, int, BlendKind> class Loop, class Format, int Stride, class... Args>
void ForKind(BlendKind kind, Args&&... args) {
  WithBlendKind(kind, [&]<BlendKind Kind>() {
    if constexpr (Kind != BlendKind::Nothing) Loop<Format, Stride, Kind>::Run(args...);
  });
}

}  // namespace pixel_loop_detail

// Runs Loop<Format, Stride, Kind>::Run(args...), where Format is the pixel type the blend
// operation works on and Stride the distance between pixels in units of that type.
template <template <class, int, BlendKind> class Loop, class... Args>
void RunPixelLoop(TargetLayout layout, BlendKind kind, Args&&... args) {
  switch (layout) {
    case TargetLayout::Rgb32:
      return pixel_loop_detail::ForKind<Loop, Rgb32, 1>(kind, args...);
    case TargetLayout::Rgb565:
      return pixel_loop_detail::ForKind<Loop, Rgb565, 1>(kind, args...);
    case TargetLayout::Rgb565WithAlpha:
      return pixel_loop_detail::ForKind<Loop, Rgb565, 2>(kind, args...);
    case TargetLayout::Unsupported:
      return;
  }
}
