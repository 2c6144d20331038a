// 10 000 turned 32 x 32 sprites with alpha a frame, cleared and presented, on the engine's two
// back-ends of the real platform, beside SDL's own renderer (OpenGL, and its software renderer)
// drawing the same sprites with SDL_RenderCopyEx. The process's CPU time per frame counts the
// rasteriser's threads too; presents do not wait for the display.
// Run: xvfb-run -a -s '-screen 0 1280x1024x24' build/bench/sprite_bench
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "vornek.h"

namespace {

constexpr int Sprites = 10000, Side = 32, Width = 800, Height = 600;

std::vector<std::uint32_t> SpritePixels() {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < Side; ++y) {
    for (int x = 0; x < Side; ++x) {
      const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16) / 16;
      const auto a = static_cast<std::uint32_t>(d < 0.7 ? 255 : std::max(0.0, 255 * (1 - (d - 0.7) / 0.3)));
      pixels.push_back(a << 24 | static_cast<std::uint32_t>(x * 8) << 16 | static_cast<std::uint32_t>(y * 8) << 8 |
                       0xA0u);
    }
  }
  return pixels;
}

struct Placement {
  int x, y;
  double angle;
};

std::vector<Placement> Placements(int frame) {
  std::vector<Placement> out;
  for (int i = 0; i < Sprites; ++i) {
    out.push_back({(i * 37) % Width, (i * 53 + i / 97) % Height, i * 0.01 + frame * 0.05});
  }
  return out;
}

void EngineSprites(benchmark::State& state) {
  const bool software = state.range(0) != 0;
  if (software) {
    setenv("VORNEK_SOFTWARE", "1", 1);
  } else {
    unsetenv("VORNEK_SOFTWARE");
  }
  SetLogOutputFlag(FALSE);
  ChangeWindowMode(TRUE);
  SetScreenMode(Width, Height, 32, 60);
  if (InitEngine() != 0) {
    state.SkipWithError("the engine did not start");
    return;
  }
  SetVSyncWait(FALSE);
  SelectDrawTarget(ScreenBack);
  const std::vector<std::uint32_t> pixels = SpritePixels();
  const int sprite = CreateGraphicFromPixels(Side, Side, pixels.data(), TRUE);
  int frame = 0;
  for (auto _ : state) {
    ClearScreen();
    for (const Placement& p : Placements(frame)) DrawGraphRotated(p.x, p.y, 1.0, p.angle, sprite, TRUE);
    PresentScreen();
    ++frame;
  }
  state.SetLabel(software ? "engine, software back-end" : "engine, hardware back-end (OpenGL)");
  state.counters["sprites/s"] = benchmark::Counter(static_cast<double>(Sprites) * frame, benchmark::Counter::kIsRate);
  ReleaseGraphic(sprite);
  EndEngine();
}

// SDL's renderer, accelerated (OpenGL) or its software one, on a window of the same size.
void PeerSprites(benchmark::State& state) {
  const bool software = state.range(0) != 0;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    state.SkipWithError("no SDL video");
    return;
  }
  SDL_Window* window = SDL_CreateWindow("peer", 0, 0, Width, Height, 0);
  SDL_Renderer* renderer =
      window != nullptr ? SDL_CreateRenderer(window, -1, software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED)
                        : nullptr;
  if (renderer == nullptr) {
    state.SkipWithError("no SDL renderer");
    if (window != nullptr) SDL_DestroyWindow(window);
    SDL_Quit();
    return;
  }
  std::vector<std::uint32_t> pixels = SpritePixels();
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), Side, Side, 32, Side * 4, SDL_PIXELFORMAT_ARGB8888);
  SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
  SDL_FreeSurface(surface);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  int frame = 0;
  for (auto _ : state) {
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    for (const Placement& p : Placements(frame)) {
      const SDL_Rect to = {p.x - Side / 2, p.y - Side / 2, Side, Side};
      SDL_RenderCopyEx(renderer, texture, nullptr, &to, p.angle * 180.0 / M_PI, nullptr, SDL_FLIP_NONE);
    }
    SDL_RenderPresent(renderer);
    ++frame;
  }
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  state.SetLabel(std::string("SDL_RenderCopyEx, ") + info.name);
  state.counters["sprites/s"] = benchmark::Counter(static_cast<double>(Sprites) * frame, benchmark::Counter::kIsRate);
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
}

BENCHMARK(EngineSprites)
    ->ArgName("software")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(PeerSprites)
    ->ArgName("software")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
