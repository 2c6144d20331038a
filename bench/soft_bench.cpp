// Throughput of the software renderer's fills, lines and circles on an 800 × 600 target, in
// megapixels per second, with memset of the same bytes as the ceiling.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "graphics/soft/blend_tables.h"
#include "graphics/soft/mem_img.h"
#include "graphics/soft/soft_draw.h"
#include "vornek.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

struct Screen {
  MEMIMG image;
  explicit Screen(int colorType) {
    std::memset(&image, 0, sizeof image);
    BuildSoftBlendTables();
    CreateMemImg(&image, kWidth, kHeight, -1, 0, colorType, 0, 0, 0, nullptr);
    FillMemImg(&image, nullptr, 0x00404040);
  }
  ~Screen() { ReleaseMemImg(&image); }
};

void Report(benchmark::State& state, double pixelsPerIteration) {
  state.counters["Mpix/s"] = benchmark::Counter(pixelsPerIteration * static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

int ColorTypeArg(const benchmark::State& state) { return state.range(0) == 32 ? Color32 : Color16; }

void Memset(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(kWidth) * kHeight * (state.range(0) / 8);
  std::vector<unsigned char> buffer(bytes);
  for (auto _ : state) {
    std::memset(buffer.data(), 0x5A, bytes);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  Report(state, kWidth * kHeight);
}
BENCHMARK(Memset)->Arg(32)->Arg(16);

void Fill(benchmark::State& state) {
  Screen screen(ColorTypeArg(state));
  for (auto _ : state) {
    FillMemImg(&screen.image, nullptr, 0xFF123456);
    benchmark::ClobberMemory();
  }
  Report(state, kWidth * kHeight);
}
BENCHMARK(Fill)->Arg(32)->Arg(16);

SoftDrawParams ParamsFor(int mode) {
  return SoftDrawParams{{0, 0, kWidth, kHeight}, mode, mode == BlendModeNone ? 255 : 128, {255, 255, 255}};
}

// Pixels one circle covers, counted on a cleared target.
double CirclePixels(int colorType, int fill, int radius) {
  Screen screen(colorType);
  FillMemImg(&screen.image, nullptr, 0);
  const SoftDrawParams params = ParamsFor(BlendModeNone);
  SoftDrawCircle(&screen.image, &params, 400, 300, radius, 0xFFFFFFFF, fill);
  const int bytes = BytesPerPixel(screen.image.shared);
  double count = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      count += screen.image.pixels[y * screen.image.shared->pitch + x * bytes] != 0;
    }
  }
  return count;
}

void Circle(benchmark::State& state) {
  const int colorType = ColorTypeArg(state);
  const int mode = static_cast<int>(state.range(1));
  const int fill = static_cast<int>(state.range(2));
  const int radius = static_cast<int>(state.range(3));
  Screen screen(colorType);
  const SoftDrawParams params = ParamsFor(mode);
  int k = 0;
  for (auto _ : state) {
    // Small circles wander over the screen; large ones stay whole in the middle.
    const int x = radius > 100 ? 400 : 40 + (k * 37) % 720, y = radius > 100 ? 300 : 40 + (k * 53) % 520;
    SoftDrawCircle(&screen.image, &params, x, y, radius, 0xFF8090A0, fill);
    ++k;
    benchmark::ClobberMemory();
  }
  Report(state, CirclePixels(colorType, fill, radius));
}

void Line(benchmark::State& state) {
  const int colorType = ColorTypeArg(state);
  const int mode = static_cast<int>(state.range(1));
  Screen screen(colorType);
  const SoftDrawParams params = ParamsFor(mode);
  int k = 0;
  for (auto _ : state) {
    // 700-pixel lines at a spread of slopes.
    const int y = (k * 7) % 600;
    SoftDrawLine(&screen.image, &params, 50, y, 750, 599 - y, 0xFF8090A0);
    ++k;
    benchmark::ClobberMemory();
  }
  Report(state, 700);
}

const int kModes[] = {BlendModeNone,     BlendModeAlpha,         BlendModeAdd,          BlendModeSubtract,
                      BlendModeMultiply, BlendModeInvertedAlpha, BlendModeMultiplyAlpha};

void CircleArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"bits", "mode", "fill", "r"});
  for (int bits : {32, 16}) {
    for (int fill : {1, 0}) {
      for (int mode : kModes) b->Args({bits, mode, fill, 30});
    }
    // Long rows: the span loops without the per-row work of a small disc.
    for (int mode : kModes) b->Args({bits, mode, 1, 280});
  }
}
BENCHMARK(Circle)->Apply(CircleArgs);

void LineArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"bits", "mode"});
  for (int bits : {32, 16}) {
    for (int mode : kModes) b->Args({bits, mode});
  }
}
BENCHMARK(Line)->Apply(LineArgs);

}  // namespace

BENCHMARK_MAIN();
