// SoftFillRect: a rectangle of one colour through the solid-colour blend operations.
#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <type_traits>
#include <utility>

#include "blit_plan.h"
#include "blit_table.h"
#include "blit_vector.h"
#include "pixel_ops.h"
#include "soft_blit.h"

namespace {

using namespace VORNEK_BLIT_NS::blit_vector;

// The blit operation that gives the same pixels as a solid-colour kind, for the vector loop.
constexpr BlitOp VectorOpFor(BlendKind kind) {
  switch (kind) {
    case BlendKind::Alpha:
      return BlitOp::Alpha;
    case BlendKind::Add:
      return BlitOp::Add;
    case BlendKind::Subtract:
      return BlitOp::Subtract;
    case BlendKind::Multiply:
      return BlitOp::Multiply;
    case BlendKind::InvertedAlpha:
      return BlitOp::InvertedAlpha;
    case BlendKind::MultiplyAlpha:
      return BlitOp::MultiplyAlpha;
    default:
      return BlitOp::Copy;
  }
}

// 5:6:5 pixels under the solid-colour forms that step by SignedScaleTable.
template <BlendKind Kind>
Reg SignedStepFill16(Reg d, Reg s, const Constants& c) {
    const Channels16 dc = Split16(d);
  Channels16 target = Split16(Kind == BlendKind::InvertedAlpha ? Xor(s, Splat16(0xFFFFu)) : s);
  if constexpr (Kind == BlendKind::MultiplyAlpha) {
    target = {Srl16(Mullo16(target.r, dc.r), 5), Srl16(Mullo16(target.g, dc.g), 6),
              Srl16(Mullo16(target.b, dc.b), 5)};
  }
  return Join16({SignedStep(target.r, dc.r, c), SignedStep(target.g, dc.g, c), SignedStep(target.b, dc.b, c)});
}

template <class Format, BlendKind Kind>
Reg FillVector(Reg d, Reg s, const Constants& c) {
  constexpr bool signedStep =
      Kind == BlendKind::Alpha || Kind == BlendKind::InvertedAlpha || Kind == BlendKind::MultiplyAlpha;
  if constexpr (std::is_same_v<Format, Rgb565> && signedStep) {
    return SignedStepFill16<Kind>(d, s, c);
  } else {
    return Blend<std::is_same_v<Format, Rgb32> ? 32 : 16, VectorOpFor(Kind)>(d, s, c);
  }
}

// Plain fills go through the C library's wide-character fill, which uses the widest stores the
// processor has; 16-bit rows as pixel pairs, with an odd pixel at either end.
template <class Format>
void FillRowsPlain(MEMIMG* dst, Rect r, std::uint32_t color) {
  using Pixel = typename Format::Pixel;
  // Whole rows with no padding between them are one run.
  const std::int64_t rowBytes = static_cast<std::int64_t>(r.right - r.left) * static_cast<std::int64_t>(sizeof(Pixel));
  if (r.left == 0 && r.right == dst->width && dst->shared->pitch == rowBytes &&
      rowBytes * (r.bottom - r.top) <= INT32_MAX) {
    r.right = static_cast<int>(r.right * (r.bottom - r.top));
    r.bottom = r.top + 1;
  }
  const int n = r.right - r.left;
  const Pixel value = static_cast<Pixel>(color);
  const std::uint32_t pattern = sizeof(Pixel) == 4 ? color : (color & 0xFFFFu) * 0x10001u;
  for (int y = r.top; y < r.bottom; ++y) {
    std::uint8_t* row = PixelAt(dst, r.left, y, sizeof(Pixel));
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
    for (i += pairs * 4 / static_cast<int>(sizeof(Pixel)); i < n; ++i) std::memcpy(row + i * sizeof(Pixel), &value, sizeof value);
  }
}

template <class Format, BlendKind Kind>
void FillRows(MEMIMG* dst, const Rect& r, std::uint32_t color, int p) {
  if constexpr (Kind == BlendKind::Copy) {
    FillRowsPlain<Format>(dst, r, color);
    return;
  }
  using Pixel = typename Format::Pixel;
  constexpr bool is32 = std::is_same_v<Format, Rgb32>;
  constexpr int lanes = static_cast<int>(sizeof(Reg) / sizeof(Pixel));
  // 32-bit rows start in the widest groups the processor has.
  const FillGroupsFn groups = is32 ? FindFillGroups(VectorOpFor(Kind)) : nullptr;
  const BlendOp<Format, Kind> op(p);
  const auto prepared = op.Prepare(color);
  const Constants constants = MakeConstants(static_cast<std::uint32_t>(p));
  const Reg source = sizeof(Pixel) == 4 ? Splat32(color) : Splat16(color);
  const int n = r.right - r.left;
  for (int y = r.top; y < r.bottom; ++y) {
    std::uint8_t* row = PixelAt(dst, r.left, y, sizeof(Pixel));
    int i = is32 ? groups(row, n, color, static_cast<std::uint32_t>(p)) : 0;
    for (; i + lanes <= n; i += lanes) {
      std::uint8_t* at = row + i * sizeof(Pixel);
      StoreU(at, FillVector<Format, Kind>(LoadU(at), source, constants));
    }
    for (; i < n; ++i) {
      Pixel d;
      std::memcpy(&d, row + i * sizeof(Pixel), sizeof d);
      const Pixel v = static_cast<Pixel>(op.Apply(d, prepared));
      std::memcpy(row + i * sizeof(Pixel), &v, sizeof v);
    }
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
