// The general row's runs of one colour: every pixel on its own.
#include <cstring>

#include "loop_table.h"
#include "pixel_ops.h"

namespace {

template <class Format, BlendOp Op>
void PixelByPixel(const SolidRun* runs, int n, std::uint32_t color, std::uint32_t p) {
  using Pixel = typename Format::Pixel;
  const PixelBlend<Format, Op> op(static_cast<int>(p));
  const auto source = op.Prepare(color);
  for (int k = 0; k < n; ++k) {
    for (int i = 0; i < runs[k].count; ++i) {
      std::uint8_t* at = runs[k].row + static_cast<std::ptrdiff_t>(i) * sizeof(Pixel);
      Pixel d;
      std::memcpy(&d, at, sizeof d);
      const Pixel out = static_cast<Pixel>(op.Apply(d, source));
      std::memcpy(at, &out, sizeof out);
    }
  }
}

template <class Format>
AnyLoop PixelByPixelFor(BlendOp op) {
  return WithSolidBlendOp(op, []<BlendOp Op>() { return reinterpret_cast<AnyLoop>(&PixelByPixel<Format, Op>); });
}

}  // namespace

AnyLoop loop_instances::GeneralSolidRuns(const LoopKey& key) {
  switch (key.destination) {
    case TargetLayout::Rgb32:
      return PixelByPixelFor<Rgb32>(key.op);
    case TargetLayout::Rgb565:
      return PixelByPixelFor<Rgb565>(key.op);
    default:
      return nullptr;
  }
}
