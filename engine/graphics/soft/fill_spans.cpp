#include "fill_spans.h"

#include <algorithm>

#include "blit_plan.h"
#include "loop_table.h"
#include "pixel_ops.h"
#include "solid_runs.h"

Rect SoftShapeArea(const MEMIMG* dst, const SoftDrawParams& params) {
  if (!IsBlitTarget(dst)) return Rect{0, 0, 0, 0};
  return TargetArea(dst, params);
}

void SoftFillSpans(MEMIMG* dst, const FillSpan* spans, int count, std::uint32_t color, const SoftDrawParams& params) {
  if (!IsBlitTarget(dst) || spans == nullptr || count <= 0) return;
  const int p = std::clamp(params.blendParam, 0, 255);
  const BlendOp op = SimplifySolidBlend(params.blendMode, p);
  const bool wide = dst->shared->colorType == Color32;
  const TargetLayout layout = wide ? TargetLayout::Rgb32 : TargetLayout::Rgb565;
  if (!IsFullBrightness(params.bright)) {
    color = wide ? ApplyBrightness(Rgb32{}, color, params.bright) : ApplyBrightness(Rgb565{}, color, params.bright);
  }
  const SolidRunsFn runs = FindSolidRuns(SoftOperation::Fill, layout, op);
  if (runs == nullptr) return;
  const int bytes = wide ? 4 : 2;
  const Rect area = TargetArea(dst, params);
  SolidRunBatch batch(runs, color, p);
  for (int i = 0; i < count; ++i) {
    // Held inside the area whatever the caller worked out.
    const FillSpan& s = spans[i];
    if (s.y < area.top || s.y >= area.bottom) continue;
    const int left = std::max(s.left, area.left), right = std::min(s.right, area.right);
    if (left < right) batch.Add(PixelAt(dst, left, s.y, bytes), right - left);
  }
  batch.Flush();
}
