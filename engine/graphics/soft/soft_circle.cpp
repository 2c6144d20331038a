// Circles by the integer midpoint scheme: the outline point by point, the disc row by row with
// each row drawn once so that blending never touches a pixel twice.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "soft_memory.h"
#include "channel_tables.h"
#include "loop_table.h"
#include "solid_runs.h"
#include "soft_draw.h"
#include "target_layout.h"

namespace {

// Coordinates are 64-bit: centre ± radius must not overflow for any int inputs.
using Coord = long long;

struct CircleTarget {
  std::uint8_t* pixels;  // pixel (0, 0) of the view
  std::ptrdiff_t pitch;
  Coord left, top, right, bottom;  // draw area, already inside the view
  std::uint8_t* rowDrawn;          // filled circles: one flag per row from flagTop on
  Coord flagTop;
};

// Skipping ahead in the midpoint scheme. While v ≥ u + 2 each step lowers v by at most one and
// the walk holds v at the largest w with 2u² + w² + (w − 1)² < 2r² and
// d = 2(u + 1)² + v² + (v − 1)² − 2r². So the state at any later u of that stretch follows
// directly, and a huge radius far from the area costs a few square roots instead of billions
// of steps. Skipped steps are exactly those that touch no pixel of the area: an outline step's
// points lie u columns or u rows from the centre; a disc step's rows lie u rows away, and the
// row v away is drawn (u wide) only at the last step of each v.
class MidpointSkip {
 public:
  MidpointSkip(Coord cx, Coord cy, Coord r, const CircleTarget& t, bool disc)
      : r_(r),
        disc_(disc),
        rows_{{t.top - cy, t.bottom - 1 - cy}, {cy - t.bottom + 1, cy - t.top}},
        columns_{{t.left - cx, t.right - 1 - cx}, {cx - t.right + 1, cx - t.left}},
        reachU_(std::max<Coord>({0, t.left - cx, cx - t.right + 1})) {}

  // Moves (u, v, d) forward to the next step that can touch the area. Returns false when no
  // later step can.
  bool Advance(Coord* u, Coord* v, Coord* d) const {
    Coord target = NextIn(rows_, *u);
    if (target == *u) return true;
    if (!disc_) {
      target = std::min(target, NextIn(columns_, *u));
    } else {
      // v only falls, one at a time: the next row v away to draw is the highest one of a band
      // that v still reaches, at its last step.
      const Coord start = std::max(*u, reachU_);
      if (!Exact(start)) {
        target = std::min(target, start);
      } else {
        const Coord rowV = HighestIn(rows_, start == *u ? *v : VAt(start));
        if (rowV >= 0) target = std::min(target, FirstStepWithVAtMost(rowV - 1) - 1);
      }
    }
    if (target == kNever) return false;
    if (target <= *u) return true;
    if (!Exact(target)) {
      // Past the stretch where the closed form holds: stop a few steps before its end.
      Coord low = *u, high = target;
      while (high - low > 1) {
        const Coord mid = low + (high - low) / 2;
        (Exact(mid) ? low : high) = mid;
      }
      target = low;
      if (target <= *u + 1) return true;
    }
    *u = target;
    *v = VAt(target);
    const Wide w = *v, uu = target + 1;
    *d = static_cast<Coord>(2 * uu * uu + w * w + (w - 1) * (w - 1) - 2 * Wide{r_} * r_);
    return true;
  }

 private:
  using Wide = __int128;
  struct Band {
    Coord low, high;
  };
  static constexpr Coord kNever = INT64_MAX;

  // The smallest offset ≥ k in a band, or kNever.
  static Coord NextIn(const Band (&bands)[2], Coord k) {
    Coord next = kNever;
    for (const Band& band : bands) {
      if (band.high >= k && band.low <= band.high) next = std::min(next, std::max(band.low, k));
    }
    return next;
  }

  // The largest offset ≤ k in a band (offsets below 0 never count), or −1.
  static Coord HighestIn(const Band (&bands)[2], Coord k) {
    Coord highest = -1;
    for (const Band& band : bands) {
      if (band.low <= k && band.low <= band.high) highest = std::max(highest, std::min(band.high, k));
    }
    return highest;
  }

  bool Exact(Coord u) const { return VAt(u) >= u + 4; }

  // Largest w with 2w² − 2w + 1 < 2r² − 2u².
  Coord VAt(Coord u) const {
    const Wide k = 2 * Wide{r_} * r_ - 2 * Wide{u} * u;
    auto below = [k](Wide w) { return 2 * w * w - 2 * w + 1 < k; };
    Wide w = static_cast<Wide>((1.0L + std::sqrt(std::max(0.0L, 2.0L * static_cast<long double>(k) - 1.0L))) / 2.0L);
    while (below(w + 1)) ++w;
    while (w > 0 && !below(w)) --w;
    return static_cast<Coord>(w);
  }

  // Smallest u whose v is at most vTarget: 2u² ≥ 2r² − (vTarget + 1)² − vTarget².
  Coord FirstStepWithVAtMost(Coord vTarget) const {
    const Wide m = 2 * Wide{r_} * r_ - Wide{vTarget + 1} * (vTarget + 1) - Wide{vTarget} * vTarget;
    if (m <= 0) return 0;
    Wide u = static_cast<Wide>(std::sqrt(static_cast<long double>(m) / 2.0L));
    while (u > 0 && 2 * (u - 1) * (u - 1) >= m) --u;
    while (2 * u * u < m) ++u;
    return static_cast<Coord>(u);
  }

  Coord r_;
  bool disc_;
  Band rows_[2], columns_[2];
  Coord reachU_;
};

// Walks the midpoint scheme and hands each step's points (outline) or rows (disc) to Draw.
// kWhole: the circle lies wholly inside the area, so there is nothing to skip.
template <bool kWhole, class Draw>
void WalkOutline(Coord cx, Coord cy, Coord r, const CircleTarget& t, Draw plot) {
  const MidpointSkip skip(cx, cy, r, t, false);
  Coord d = 3 - 2 * r, v = r;
  plot(cx - r, cy);
  plot(cx + r, cy);
  plot(cx, cy + r);
  plot(cx, cy - r);
  if (d >= 0) {
    v = r - 1;
    d = d - 4 * (r - 1) + 6;
  } else {
    d += 6;
  }
  for (Coord u = 1; v >= u; ) {
    if constexpr (!kWhole) {
      const Coord before = u;
      if (!skip.Advance(&u, &v, &d)) break;
      if (u != before) continue;
    }
    plot(cx - v, cy + u);
    plot(cx + v, cy + u);
    plot(cx - v, cy - u);
    plot(cx + v, cy - u);
    plot(cx - u, cy + v);
    plot(cx + u, cy + v);
    plot(cx - u, cy - v);
    plot(cx + u, cy - v);
    if (d >= 0) {
      --v;
      d -= 4 * v;
    }
    ++u;
    d += 4 * u + 2;
  }
}

template <bool kWhole, class Span>
void WalkDisc(Coord cx, Coord cy, Coord r, const CircleTarget& t, Span span) {
  const MidpointSkip skip(cx, cy, r, t, true);
  Coord d = 3 - 2 * r, v = r;
  span(cy, cx - r, cx + r);
  if (d >= 0) {
    span(cy + r, cx, cx);
    span(cy - r, cx, cx);
    v = r - 1;
    d = d - 4 * (r - 1) + 6;
  } else {
    d += 6;
  }
  for (Coord u = 1; v >= u; ) {
    if constexpr (!kWhole) {
      const Coord before = u;
      if (!skip.Advance(&u, &v, &d)) break;
      if (u != before) continue;
    }
    span(cy + u, cx - v, cx + v);
    span(cy - u, cx - v, cx + v);
    if (d >= 0) {
      span(cy + v, cx - u, cx + u);
      span(cy - v, cx - u, cx + u);
      --v;
      d -= 4 * v;
    }
    ++u;
    d += 4 * u + 2;
  }
}

// Hands each row of the disc inside the area to run(row, first, count), once per row.
template <class Run>
void WalkDiscRows(Coord cx, Coord cy, Coord r, const CircleTarget& t, Run run) {
  // Inlined at each of the walk's calls: a small disc is mostly per-row work.
  auto span = [&](Coord y, Coord a, Coord b) __attribute__((always_inline)) {
    if (y < t.top || y >= t.bottom || b < t.left || a >= t.right) return;
    std::uint8_t& drawn = t.rowDrawn[y - t.flagTop];
    if (drawn) return;
    drawn = 1;
    const Coord first = std::max(a, t.left), last = std::min(b, t.right - 1);
    run(y, first, static_cast<std::ptrdiff_t>(last - first + 1));
  };
  if (cy - r >= t.top && cy + r < t.bottom) {
    WalkDisc<true>(cx, cy, r, t, span);
  } else {
    WalkDisc<false>(cx, cy, r, t, span);
  }
}

struct CircleCall {
  Coord cx, cy, r;
  int fill;
};

// Each point mixed by the operation itself; with Tabulated (5:6:5 mixes only), outline points
// are looked up in channel tables made once per circle.
template <class Format, int Stride, BlendOp Op, bool Tabulated>
struct CircleLoop {
  using Pixel = typename Format::Pixel;

  static void Run(const CircleTarget& t, const CircleCall& call, std::uint32_t color, int p) {
    const PixelBlend<Format, Op> op(p);
    const auto source = op.Prepare(color);
    constexpr std::ptrdiff_t pixelBytes = static_cast<std::ptrdiff_t>(sizeof(Pixel)) * Stride;
    if (!call.fill) {
      auto outline = [&](auto apply) {
        // Called for every point: kept inline, which the compiler does not always choose.
        auto plot = [&](Coord x, Coord y) __attribute__((always_inline)) {
          Pixel* pixel = reinterpret_cast<Pixel*>(t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch +
                                                  static_cast<std::ptrdiff_t>(x) * pixelBytes);
          *pixel = apply(*pixel);
        };
        if (call.cx - call.r >= t.left && call.cx + call.r < t.right && call.cy - call.r >= t.top &&
            call.cy + call.r < t.bottom) {
          WalkOutline<true>(call.cx, call.cy, call.r, t, plot);
        } else {
          WalkOutline<false>(call.cx, call.cy, call.r, t, [&](Coord x, Coord y) __attribute__((always_inline)) {
            if (x >= t.left && x < t.right && y >= t.top && y < t.bottom) plot(x, y);
          });
        }
      };
      if constexpr (Tabulated) {
        const ChannelTables<Op> tables(op, source);
        return outline([&](Pixel d) { return tables.Apply(d); });
      }
      return outline([&](Pixel d) { return op.Apply(d, source); });
    }
    WalkDiscRows(call.cx, call.cy, call.r, t, [&](Coord y, Coord first, std::ptrdiff_t count) {
      Pixel* row = reinterpret_cast<Pixel*>(t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch) + first * Stride;
      for (std::ptrdiff_t i = 0; i < count; ++i) row[i * Stride] = op.Apply(row[i * Stride], source);
    });
  }
};

template <class Format, int Stride, BlendOp Op>
using PlainCircleLoop = CircleLoop<Format, Stride, Op, false>;

template <class Format, int Stride, BlendOp Op>
using TabulatedCircleLoop = CircleLoop<Format, Stride, Op, std::is_same_v<Format, Rgb565> && kTabulated<Op>>;

using CircleLoopFn = void (*)(const CircleTarget& t, const CircleCall& call, std::uint32_t color, int p);

}  // namespace

void SoftDrawCircle(MEMIMG* target, const SoftDrawParams* params, int cx, int cy, int r, std::uint32_t color,
                    int fill) {
  const TargetLayout layout = LayoutOfTarget(target);
  if (layout == TargetLayout::Unsupported || params == nullptr || r < 0) return;
  Rect area = params->drawArea;
  const Rect whole{0, 0, target->width, target->height};
  ClipRect(&area, &whole);
  if (area.left >= area.right || area.top >= area.bottom) return;

  CircleTarget t{target->pixels, target->shared->pitch, area.left, area.top, area.right, area.bottom, nullptr, 0};
  // Flags for the rows the disc can reach inside the area; small discs keep them on the stack.
  std::uint8_t nearFlags[512];
  std::uint8_t* farFlags = nullptr;
  if (fill) {
    const Coord first = std::max<Coord>(t.top, Coord{cy} - r), end = std::min<Coord>(t.bottom, Coord{cy} + r + 1);
    if (first >= end) return;
    const auto rows = static_cast<std::size_t>(end - first);
    if (rows <= sizeof nearFlags) {
      std::memset(nearFlags, 0, rows);
      t.rowDrawn = nearFlags;
    } else {
      farFlags = static_cast<std::uint8_t*>(SoftAllocateZeroed(rows));
      if (farFlags == nullptr) return;
      t.rowDrawn = farFlags;
    }
    t.flagTop = first;
  }
  const BlendOp op = SimplifySolidBlend(params->blendMode, params->blendParam);
  const std::uint32_t source = ApplyBrightnessFor(layout, color, params->bright);
  const int p = params->blendParam;
  // Disc rows go to the solid-colour runs, except on 5:6:5 targets with alpha, stepped two units
  // a pixel, and with a parameter outside 0-255, which only the engine's own callers could pass.
  const SolidRunsFn runs = fill && layout != TargetLayout::Rgb565WithAlpha && p >= 0 && p <= 255
                               ? FindSolidRuns(SoftOperation::DiscRows, layout, op)
                               : nullptr;
  if (runs != nullptr) {
    SolidRunBatch batch(runs, source, p);
    const int bytes = BytesPerTargetPixel(layout);
    WalkDiscRows(cx, cy, r, t, [&](Coord y, Coord first, std::ptrdiff_t count) {
      batch.Add(t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch + static_cast<std::ptrdiff_t>(first) * bytes,
                static_cast<int>(count));
    });
    batch.Flush();
  } else {
    // An outline has about 5.7 r points.
    const bool manyPoints = !fill && r >= 24;
    const auto loop = FindLoopAs<CircleLoopFn>(
        {SoftOperation::Circle, SourceKind::Direct, layout, op, manyPoints ? kLongOption : std::uint8_t{0}});
    if (loop != nullptr) loop(t, CircleCall{cx, cy, r, fill}, source, p);
  }
  SoftRelease(farFlags);
}

AnyLoop loop_instances::TabulatedCircles(const LoopKey& key) { return OneColourInstance<TabulatedCircleLoop>(key); }
AnyLoop loop_instances::GeneralCircles(const LoopKey& key) { return OneColourInstance<PlainCircleLoop>(key); }
