// Megapixels per second of the software fills and blits on an 800 × 600 target, beside
// memset and memcpy of the same bytes as the ceiling.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/soft/blend_tables.h"
#include "graphics/soft/mem_img.h"
#include "graphics/soft/soft_blit.h"
#include "vornek.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr double kPixels = double{kWidth} * kHeight;

struct Images {
  MEMIMG target{}, source{};
  Images(int colorType, bool transparentPixels) {
    BuildSoftBlendTables();
    CreateMemImg(&target, kWidth, kHeight, -1, 0, colorType, 0, 0, 0, nullptr);
    CreateMemImg(&source, kWidth, kHeight, -1, 0, colorType, 0, 0, 0, nullptr);
    FillMemImg(&target, nullptr, 0xFF406080);
    const int bytes = colorType == Color32 ? 4 : 2;
    std::uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525u + 1013904223u;
        std::uint32_t v = (seed >> 8) | 0xFF000000u;
        // With transparency: one pixel in eight is the transparent colour (0).
        if (transparentPixels && (seed >> 29) == 0) v = 0;
        std::memcpy(source.pixels + y * source.shared->pitch + x * bytes, &v, static_cast<std::size_t>(bytes));
      }
    }
  }
  ~Images() {
    ReleaseMemImg(&target);
    ReleaseMemImg(&source);
  }
};

void SetRate(benchmark::State& state) {
  state.counters["Mpix/s"] =
      benchmark::Counter(kPixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

SoftDrawParams Params(int mode, int p) {
  SoftDrawParams params{};
  params.drawArea = {0, 0, kWidth, kHeight};
  params.blendMode = mode;
  params.blendParam = p;
  params.bright[0] = params.bright[1] = params.bright[2] = 255;
  return params;
}

// Arguments: colour type, blend mode, parameter.
void BM_FillRect(benchmark::State& state) {
  Images images(static_cast<int>(state.range(0)), false);
  const SoftDrawParams params = Params(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  for (auto _ : state) {
    SoftFillRect(&images.target, nullptr, 0xFF8040C0u, params);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

// Arguments: colour type, blend mode, parameter, transparency flag.
void BM_DrawImage(benchmark::State& state) {
  const bool transparent = state.range(3) != 0;
  Images images(static_cast<int>(state.range(0)), transparent);
  const SoftDrawParams params = Params(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  for (auto _ : state) {
    SoftDrawImage(&images.target, &images.source, 0, 0, transparent ? 1 : 0, nullptr, params);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

// Argument: bytes per pixel.
void BM_Memset(benchmark::State& state) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kPixels) * static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::memset(buffer.data(), 0x5A, buffer.size());
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void BM_Memcpy(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(kPixels) * static_cast<std::size_t>(state.range(0));
  std::vector<std::uint8_t> from(size, 1), to(size);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

const int kModes[][2] = {{BlendModeNone, 255},         {BlendModeAlpha, 100},    {BlendModeAlpha, 128},
                         {BlendModeAdd, 100},          {BlendModeAdd, 255},      {BlendModeSubtract, 100},
                         {BlendModeSubtract, 255},     {BlendModeMultiply, 255}, {BlendModeInvertedAlpha, 100},
                         {BlendModeMultiplyAlpha, 100}};

void FillArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"type", "mode", "p"});
  for (int type : {Color32, Color16})
    for (const auto& m : kModes) b->Args({type, m[0], m[1]});
}

void DrawArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"type", "mode", "p", "trans"});
  for (int type : {Color32, Color16})
    for (const auto& m : kModes)
      for (int trans : {0, 1}) b->Args({type, m[0], m[1], trans});
}

}  // namespace

BENCHMARK(BM_Memset)->Arg(4)->Arg(2);
BENCHMARK(BM_Memcpy)->Arg(4)->Arg(2);
BENCHMARK(BM_FillRect)->Apply(FillArgs);
BENCHMARK(BM_DrawImage)->Apply(DrawArgs);
BENCHMARK_MAIN();
