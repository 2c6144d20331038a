#include "solid_runs.h"

#include <cstring>

#include "blit_table.h"

namespace {

// The plain per-pixel form of every run, for GeneralPixelLoopsOnly.
template <class Format, BlendKind Kind>
void PixelByPixel(const SolidRun* runs, int n, std::uint32_t color, std::uint32_t p) {
  using Pixel = typename Format::Pixel;
  const BlendOp<Format, Kind> op(static_cast<int>(p));
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
SolidRunsFn PixelByPixelFor(BlendKind kind) {
  return WithBlendKind(kind, []<BlendKind Kind>() -> SolidRunsFn {
    if constexpr (Kind == BlendKind::Nothing) {
      return nullptr;
    } else {
      return &PixelByPixel<Format, Kind>;
    }
  });
}

}  // namespace

SolidRunsFn FindSolidRuns(bool is32, BlendKind kind) {
  switch (ChosenLoopSet()) {
    case LoopSet::General:
      return is32 ? PixelByPixelFor<Rgb32>(kind) : PixelByPixelFor<Rgb565>(kind);
    case LoopSet::Wide:
      return is32 ? FindSolidRuns32Wide(kind) : FindSolidRuns16Wide(kind);
    case LoopSet::Baseline:
      break;
  }
  return is32 ? FindSolidRuns32(kind) : FindSolidRuns16(kind);
}
