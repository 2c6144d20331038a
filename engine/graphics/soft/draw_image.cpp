// SoftDrawImage: a whole source image at a point, unscaled.
#include <algorithm>

#include "blit_plan.h"
#include "soft_blit.h"

namespace {

// Whole image, whole storage: only then do the stored run codes describe the rows drawn.
bool RunCodesUsable(const MEMIMG* src, const Rect& clipped, int x, int y) {
  const MemImgShared* s = src->shared;
  return s->runCodesValid == 1 && s->runCodes != nullptr && src->pixels == s->pixelBuffer && src->width == s->width &&
         src->height == s->height && clipped.left == x && clipped.top == y &&
         clipped.right - clipped.left == src->width && clipped.bottom - clipped.top == src->height;
}

void DrawRows(MEMIMG* dst, const MEMIMG* src, const MEMIMG* graph, const BlitPlan& plan, const Rect& r, int sx,
              int sy) {
  const int dstBytes = plan.bits / 8;
  const int n = r.right - r.left;
  for (int row = 0; row < r.bottom - r.top; ++row) {
    const std::uint8_t* g = graph != nullptr ? PixelAt(graph, sx, sy + row, 1) : nullptr;
    plan.pixelSpan(PixelAt(dst, r.left, r.top + row, dstBytes), PixelAt(src, sx, sy + row, plan.srcBytes), g, n,
                   plan.ctx);
  }
}

// Reads the codes row after row. Runs never go past the row or the code buffer, whatever the
// codes say.
void DrawRuns(MEMIMG* dst, const MEMIMG* src, const MEMIMG* graph, const BlitPlan& plan, int x, int y) {
  const MemImgShared* s = src->shared;
  const int dstBytes = plan.bits / 8;
  const std::uint8_t* code = s->runCodes;
  const std::uint8_t* const codeEnd = code + static_cast<std::ptrdiff_t>(s->width + 5) * s->height;
  for (int row = 0; row < src->height; ++row) {
    int col = 0;
    while (code < codeEnd) {
      const std::uint8_t c = *code++;
      if (c == RunEnd) break;
      const int n = std::min((c & 0x3F) + 1, src->width - col);
      const std::uint8_t kind = c & 0xC0;
      if (kind != RunTransparent && n > 0) {
        const BlitSpanFn span = kind == RunOpaque ? plan.opaqueSpan : plan.translucentSpan;
        if (span != nullptr) {
          const std::uint8_t* g = graph != nullptr ? PixelAt(graph, col, row, 1) : nullptr;
          span(PixelAt(dst, x + col, y + row, dstBytes), PixelAt(src, col, row, plan.srcBytes), g, n, plan.ctx);
        }
      }
      col += n;
    }
  }
}

}  // namespace

void SoftDrawImage(MEMIMG* dst, const MEMIMG* src, int x, int y, int transparent, const MEMIMG* graph,
                   const SoftDrawParams& params) {
  BlitPlan plan;
  if (!PlanBlit(dst, src, transparent, graph, params, &plan)) return;
  Rect r;
  if (!ClipToArea(x, y, static_cast<std::int64_t>(x) + src->width, static_cast<std::int64_t>(y) + src->height,
                  plan.area, &r)) {
    return;
  }
  if (transparent == 1 && RunCodesUsable(src, r, x, y)) {
    DrawRuns(dst, src, graph, plan, x, y);
  } else {
    DrawRows(dst, src, graph, plan, r, r.left - x, r.top - y);
  }
}
