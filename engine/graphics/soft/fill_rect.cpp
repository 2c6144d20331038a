// SoftFillRect: a rectangle of one colour through the solid-colour blend operations.
#include <algorithm>
#include <utility>

#include "blit_plan.h"
#include "pixel_ops.h"
#include "soft_blit.h"

namespace {

template <class Format, BlendKind Kind>
void FillRows(MEMIMG* dst, const Rect& r, std::uint32_t color, int p) {
  using Pixel = typename Format::Pixel;
  const BlendOp<Format, Kind> op(p);
  const auto prepared = op.Prepare(color);
  const int n = r.right - r.left;
  for (int y = r.top; y < r.bottom; ++y) {
    auto* row = reinterpret_cast<Pixel*>(PixelAt(dst, r.left, y, sizeof(Pixel)));
    for (int i = 0; i < n; ++i) row[i] = static_cast<Pixel>(op.Apply(row[i], prepared));
  }
}

template <class Format>
void FillWith(BlendKind kind, MEMIMG* dst, const Rect& r, std::uint32_t color, int p) {
  switch (kind) {
    case BlendKind::Nothing:
      return;
    case BlendKind::Copy:
      return FillRows<Format, BlendKind::Copy>(dst, r, color, p);
    case BlendKind::Alpha:
      return FillRows<Format, BlendKind::Alpha>(dst, r, color, p);
    case BlendKind::Add:
      return FillRows<Format, BlendKind::Add>(dst, r, color, p);
    case BlendKind::Subtract:
      return FillRows<Format, BlendKind::Subtract>(dst, r, color, p);
    case BlendKind::Multiply:
      return FillRows<Format, BlendKind::Multiply>(dst, r, color, p);
    case BlendKind::InvertedAlpha:
      return FillRows<Format, BlendKind::InvertedAlpha>(dst, r, color, p);
    case BlendKind::MultiplyAlpha:
      return FillRows<Format, BlendKind::MultiplyAlpha>(dst, r, color, p);
  }
}

}  // namespace

void SoftFillRect(MEMIMG* dst, const Rect* rect, std::uint32_t color, const SoftDrawParams& params) {
  if (!IsBlitTarget(dst)) return;
  Rect r = rect != nullptr ? *rect : Rect{0, 0, dst->width, dst->height};
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  const Rect area = TargetArea(dst, params);
  ClipRect(&r, &area);
  if (r.left >= r.right || r.top >= r.bottom) return;

  const int p = std::clamp(params.blendParam, 0, 255);
  const BlendKind kind = ResolveBlendKind(params.blendMode, p);
  const bool bright = !IsFullBrightness(params.bright);
  if (dst->shared->colorType == Color32) {
    if (bright) color = ApplyBrightness(Rgb32{}, color, params.bright);
    FillWith<Rgb32>(kind, dst, r, color, p);
  } else {
    if (bright) color = ApplyBrightness(Rgb565{}, color, params.bright);
    FillWith<Rgb565>(kind, dst, r, color, p);
  }
}
