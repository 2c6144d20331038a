// Circles by the integer midpoint scheme: the outline point by point, the disc row by row with
// each row drawn once so that blending never touches a pixel twice.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "../circle_walk.h"
#include "channel_tables.h"
#include "loop_table.h"
#include "solid_runs.h"
#include "soft_draw.h"
#include "target_layout.h"

namespace {

using circle_walk::Coord;

struct CircleTarget {
  std::uint8_t* pixels;  // pixel (0, 0) of the view
  std::ptrdiff_t pitch;
  circle_walk::Area area;  // draw area, already inside the view
};

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
        circle_walk::WalkOutline(
            call.cx, call.cy, call.r, t.area, [&](Coord x, Coord y) __attribute__((always_inline)) {
              Pixel* pixel = reinterpret_cast<Pixel*>(t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch +
                                                      static_cast<std::ptrdiff_t>(x) * pixelBytes);
              *pixel = apply(*pixel);
            });
      };
      if constexpr (Tabulated) {
        const ChannelTables<Op> tables(op, source);
        return outline([&](Pixel d) { return tables.Apply(d); });
      }
      return outline([&](Pixel d) { return op.Apply(d, source); });
    }
    circle_walk::WalkDisc(
        call.cx, call.cy, call.r, t.area, [&](Coord y, Coord first, Coord end) __attribute__((always_inline)) {
          Pixel* row = reinterpret_cast<Pixel*>(t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch) + first * Stride;
          const auto count = static_cast<std::ptrdiff_t>(end - first);
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

  const CircleTarget t{target->pixels, target->shared->pitch, {area.left, area.top, area.right, area.bottom}};
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
    circle_walk::WalkDisc(
        cx, cy, r, t.area, [&](Coord y, Coord first, Coord end) __attribute__((always_inline)) {
          batch.Add(t.pixels + static_cast<std::ptrdiff_t>(y) * t.pitch + static_cast<std::ptrdiff_t>(first) * bytes,
                    static_cast<int>(end - first));
        });
    batch.Flush();
  } else {
    // An outline has about 5.7 r points.
    const bool manyPoints = !fill && r >= 24;
    const auto loop = FindLoopAs<CircleLoopFn>(
        {SoftOperation::Circle, SourceKind::Direct, layout, op, manyPoints ? kLongOption : std::uint8_t{0}});
    if (loop != nullptr) loop(t, CircleCall{cx, cy, r, fill}, source, p);
  }
}

AnyLoop loop_instances::TabulatedCircles(const LoopKey& key) { return OneColourInstance<TabulatedCircleLoop>(key); }
AnyLoop loop_instances::GeneralCircles(const LoopKey& key) { return OneColourInstance<PlainCircleLoop>(key); }
