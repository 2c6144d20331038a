// SoftFillRect: a rectangle of one colour through the solid-colour blend operations.
#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <type_traits>
#include <utility>

#include "blit_plan.h"
#include "loop_table.h"
#include "pixel_ops.h"
#include "soft_blit.h"
#include "solid_runs.h"

namespace {

// Whole rows with no padding between them are one run: r becomes one row of them all.
void JoinWholeRows(const MEMIMG* dst, Rect* r, std::size_t pixelBytes) {
  const std::int64_t rowBytes = static_cast<std::int64_t>(r->right - r->left) * static_cast<std::int64_t>(pixelBytes);
  if (r->left == 0 && r->right == dst->width && dst->shared->pitch == rowBytes &&
      rowBytes * (r->bottom - r->top) <= INT32_MAX) {
    r->right = static_cast<int>(r->right * (r->bottom - r->top));
    r->bottom = r->top + 1;
  }
}

// Plain fills go through the C library's wide-character fill, which uses the widest stores the
// processor has; 16-bit runs as pixel pairs, with an odd pixel at either end.
template <class Format>
void PlainRuns(const SolidRun* runs, int count, std::uint32_t color, std::uint32_t) {
  using Pixel = typename Format::Pixel;
  const Pixel value = static_cast<Pixel>(color);
  const std::uint32_t pattern = sizeof(Pixel) == 4 ? color : (color & 0xFFFFu) * 0x10001u;
  for (int k = 0; k < count; ++k) {
    std::uint8_t* row = runs[k].row;
    const int n = runs[k].count;
    int i = 0;
    const std::uintptr_t misalign = reinterpret_cast<std::uintptr_t>(row) % 4;
    if (misalign == 2 && sizeof(Pixel) == 2 && n > 0) {
      std::memcpy(row, &value, sizeof value);
      i = 1;
    } else if (misalign != 0) {  // rows of an odd caller-given pitch
      for (; i < n; ++i) std::memcpy(row + i * sizeof(Pixel), &value, sizeof value);
      continue;
    }
    const int pairs = (n - i) * static_cast<int>(sizeof(Pixel)) / 4;
    std::wmemset(reinterpret_cast<wchar_t*>(row + i * sizeof(Pixel)), static_cast<wchar_t>(pattern),
                 static_cast<std::size_t>(pairs));
    for (i += pairs * 4 / static_cast<int>(sizeof(Pixel)); i < n; ++i)
      std::memcpy(row + i * sizeof(Pixel), &value, sizeof value);
  }
}

template <class Format>
void FillWith(BlendOp op, MEMIMG* dst, Rect r, std::uint32_t color, int p) {
  using Pixel = typename Format::Pixel;
  const SolidRunsFn runs = FindSolidRuns(
      SoftOperation::Fill, std::is_same_v<Format, Rgb32> ? TargetLayout::Rgb32 : TargetLayout::Rgb565, op);
  if (runs == nullptr) return;
  JoinWholeRows(dst, &r, sizeof(Pixel));
  SolidRunBatch batch(runs, color, p);
  for (int y = r.top; y < r.bottom; ++y) batch.Add(PixelAt(dst, r.left, y, sizeof(Pixel)), r.right - r.left);
  batch.Flush();
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
  const BlendOp op = SimplifySolidBlend(params.blendMode, p);
  const bool bright = !IsFullBrightness(params.bright);
  if (dst->shared->colorType == Color32) {
    if (bright) color = ApplyBrightness(Rgb32{}, color, params.bright);
    FillWith<Rgb32>(op, dst, r, color, p);
  } else {
    if (bright) color = ApplyBrightness(Rgb565{}, color, params.bright);
    FillWith<Rgb565>(op, dst, r, color, p);
  }
}

AnyLoop loop_instances::PlainFillRuns(const LoopKey& key) {
  if (key.op != BlendOp::Copy) return nullptr;
  switch (key.destination) {
    case TargetLayout::Rgb32:
      return reinterpret_cast<AnyLoop>(&PlainRuns<Rgb32>);
    case TargetLayout::Rgb565:
      return reinterpret_cast<AnyLoop>(&PlainRuns<Rgb565>);
    default:
      return nullptr;
  }
}
