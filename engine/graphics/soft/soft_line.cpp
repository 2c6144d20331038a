// One-pixel lines: clipped against the draw area by their line equation, then stepped with an
// integer error term.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <type_traits>

#include "channel_tables.h"
#include "loop_table.h"
#include "soft_draw.h"
#include "target_layout.h"

namespace {

// Where the stepping starts and how it moves, in bytes.
struct LineWalk {
  std::uint8_t* start;
  int count;
  std::ptrdiff_t majorStep, minorStep;
  int errorStep, errorLimit;
};

// Below this many pixels the channel tables cost more than they save.
constexpr int kTableWorthIt = 128;

// Each pixel mixed by the operation itself; with Tabulated (5:6:5 mixes only), looked up in
// channel tables made once per line.
template <class Format, int Stride, BlendOp Op, bool Tabulated>
struct LineLoop {
  template <class Apply>
  // Kept out of line, where the loop starts aligned: inlined into SoftDrawLine, one landed
  // across a 32-byte boundary and ran a third slower.
  __attribute__((noinline)) static void Walk(const LineWalk& walk, Apply apply) {
    using Pixel = typename Format::Pixel;
    std::uint8_t* at = walk.start;
    int error = 0;
    for (int k = 0; k < walk.count; ++k) {
      Pixel* pixel = reinterpret_cast<Pixel*>(at);
      *pixel = apply(*pixel);
      at += walk.majorStep;
      error += walk.errorStep;
      if (error >= walk.errorLimit) {
        at += walk.minorStep;
        error -= walk.errorLimit;
      }
    }
  }

  static void Run(const LineWalk& walk, std::uint32_t color, int p) {
    const PixelBlend<Format, Op> op(p);
    const auto source = op.Prepare(color);
    if constexpr (Tabulated) {
      const ChannelTables<Op> tables(op, source);
      Walk(walk, [&](std::uint16_t d) { return tables.Apply(d); });
    } else {
      Walk(walk, [op, source](typename Format::Pixel d) { return op.Apply(d, source); });
    }
  }
};

template <class Format, int Stride, BlendOp Op>
using PlainLineLoop = LineLoop<Format, Stride, Op, false>;

template <class Format, int Stride, BlendOp Op>
using TabulatedLineLoop = LineLoop<Format, Stride, Op, std::is_same_v<Format, Rgb565> && kTabulated<Op>>;

using LineLoopFn = void (*)(const LineWalk& walk, std::uint32_t color, int p);

// trunc() of a clipped coordinate. Far outside the int range the value only has to stay far
// outside the area, which the final clamps then settle.
long long TruncateCoordinate(double v) {
  constexpr double kFar = 1e15;
  if (!(v > -kFar)) return -static_cast<long long>(kFar);
  if (!(v < kFar)) return static_cast<long long>(kFar);
  return static_cast<long long>(v);
}

}  // namespace

void SoftDrawLine(MEMIMG* target, const SoftDrawParams* params, int x1, int y1, int x2, int y2, std::uint32_t color) {
  const TargetLayout layout = LayoutOfTarget(target);
  if (layout == TargetLayout::Unsupported || params == nullptr) return;
  // The area never reaches past the image, whatever the caller's draw state says.
  Rect area = params->drawArea;
  const Rect whole{0, 0, target->width, target->height};
  ClipRect(&area, &whole);
  const long long L = area.left, T = area.top, R = area.right, B = area.bottom;
  if (L >= R || T >= B) return;

  if (std::min(y1, y2) >= B || std::min(x1, x2) >= R || std::max(y1, y2) < T || std::max(x1, x2) < L) return;

  // Differences in double: int endpoints may be INT_MIN and INT_MAX.
  const double kx = y1 == y2 ? 0.0 : (static_cast<double>(x2) - x1) / (static_cast<double>(y2) - y1);
  const double ky = x1 == x2 ? 0.0 : (static_cast<double>(y2) - y1) / (static_cast<double>(x2) - x1);
  const double bx = x1 - kx * y1;
  const double by = y1 - ky * x1;
  long long sx1 = x1, sy1 = y1, ex2 = x2, ey2 = y2;
  if (sx1 < L) {
    sx1 = L;
    sy1 = TruncateCoordinate(by + ky * static_cast<double>(L));
  } else if (sx1 >= R) {
    sx1 = R - 1;
    sy1 = TruncateCoordinate(by + ky * static_cast<double>(R - 1));
  }
  if (ex2 < L) {
    ex2 = L - 1;
    ey2 = TruncateCoordinate(by + ky * static_cast<double>(L - 1));
  } else if (ex2 >= R) {
    ex2 = R;
    ey2 = TruncateCoordinate(by + ky * static_cast<double>(R));
  }
  if (sy1 < T) {
    sy1 = T;
    sx1 = TruncateCoordinate(bx + kx * static_cast<double>(T));
  } else if (sy1 >= B) {
    sy1 = B - 1;
    sx1 = TruncateCoordinate(bx + kx * static_cast<double>(B - 1));
  }
  if (ey2 < T) {
    ey2 = T - 1;
    ex2 = TruncateCoordinate(bx + kx * static_cast<double>(T - 1));
  } else if (ey2 >= B) {
    ey2 = B;
    ex2 = TruncateCoordinate(bx + kx * static_cast<double>(B));
  }
  sx1 = std::clamp(sx1, L, R - 1);
  sy1 = std::clamp(sy1, T, B - 1);
  ex2 = ex2 < L ? L - 1 : ex2 >= R ? R : ex2;
  ey2 = ey2 < T ? T - 1 : ey2 >= B ? B : ey2;

  // All four now lie within one pixel of an area inside the image, so int holds them.
  const int dx = static_cast<int>(ex2 - sx1), dy = static_cast<int>(ey2 - sy1);
  if (dx == 0 && dy == 0) return;
  const LoopKey key{SoftOperation::Line, SourceKind::Direct, layout,
                    SimplifySolidBlend(params->blendMode, params->blendParam),
                    std::max(std::abs(dx), std::abs(dy)) >= kTableWorthIt ? kLongOption : std::uint8_t{0}};
  const auto loop = FindLoopAs<LineLoopFn>(key);
  if (loop == nullptr) return;
  const std::uint32_t source = ApplyBrightnessFor(layout, color, params->bright);

  const std::ptrdiff_t pitch = target->shared->pitch;
  const std::ptrdiff_t pixelBytes = BytesPerTargetPixel(layout);
  const std::ptrdiff_t xStep = dx < 0 ? -pixelBytes : pixelBytes;
  const std::ptrdiff_t yStep = dy < 0 ? -pitch : pitch;
  const int ax = std::abs(dx), ay = std::abs(dy);
  LineWalk walk;
  walk.start =
      target->pixels + static_cast<std::ptrdiff_t>(sy1) * pitch + static_cast<std::ptrdiff_t>(sx1) * pixelBytes;
  if (ax >= ay) {
    walk = {walk.start, ax, xStep, yStep, ay, ax};
  } else {
    walk = {walk.start, ay, yStep, xStep, ax, ay};
  }
  loop(walk, source, params->blendParam);
}

AnyLoop loop_instances::TabulatedLines(const LoopKey& key) { return OneColourInstance<TabulatedLineLoop>(key); }
AnyLoop loop_instances::GeneralLines(const LoopKey& key) { return OneColourInstance<PlainLineLoop>(key); }
