// SoftDrawImageScaled: nearest-neighbour stretch of a whole image into a rectangle.
#include <algorithm>
#include <utility>

#include "blit_gather.h"
#include "soft_blit.h"

namespace {

// Source index for destination offset j from the rectangle's edge, with ratio 16.16 destination
// pixels per source pixel. The same pixels as starting at floor((j << 16) / ratio) with the
// counter rx − remainder and stepping it by 0x10000 per pixel.
struct Stepper {
  std::int64_t ratio;
  std::int64_t index;
  std::int64_t counter;
  Stepper(std::int64_t r, std::int64_t j) : ratio(r) {
    index = (j << 16) / ratio;
    counter = ratio - (j << 16) % ratio;
  }
  std::int64_t Next() {
    const std::int64_t current = index;
    counter -= 0x10000;
    while (counter <= 0) {
      ++index;
      counter += ratio;
    }
    return current;
  }
};

int SourceIndex(std::int64_t index, int size, bool mirrored) {
  const int i = index < size ? static_cast<int>(index) : size - 1;
  return mirrored ? size - 1 - i : i;
}

}  // namespace

void SoftDrawImageScaled(MEMIMG* dst, const MEMIMG* src, const Rect& rect, int transparent, const MEMIMG* graph,
                         const SoftDrawParams& params) {
  std::int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
  const bool mirrorX = left > right, mirrorY = top > bottom;
  if (mirrorX) std::swap(left, right);
  if (mirrorY) std::swap(top, bottom);
  const std::int64_t width = right - left, height = bottom - top;
  if (width == 0 || height == 0) return;
  if (src == nullptr || !IsMemImgValid(src) || src->width <= 0 || src->height <= 0) return;
  if (!mirrorX && !mirrorY && width == src->width && height == src->height) {
    SoftDrawImage(dst, src, rect.left, rect.top, transparent, graph, params);
    return;
  }

  BlitPlan plan;
  if (!PlanBlit(dst, src, transparent, graph, params, &plan)) return;
  // A ratio that truncates to 0 (shrinking by more than 65536 times) is taken as the smallest.
  const std::int64_t rx = std::max<std::int64_t>((width << 16) / src->width, 1);
  const std::int64_t ry = std::max<std::int64_t>((height << 16) / src->height, 1);
  Rect r;
  if (!ClipToArea(left, top, right, bottom, plan.area, &r)) return;

  Stepper rows(ry, r.top - top);
  for (int y = r.top; y < r.bottom; ++y) {
    const int sy = SourceIndex(rows.Next(), src->height, mirrorY);
    Stepper columns(rx, r.left - left);
    DrawGatheredSpan(dst, src, graph, plan, r.left, y, r.right - r.left, [&](int) {
      return Texel{SourceIndex(columns.Next(), src->width, mirrorX), sy};
    });
  }
}
