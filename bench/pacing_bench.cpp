// The game's loop for 3 s on the real platform with SDL's off-screen video driver (60 Hz):
// game ticks, presents and distinct pictures per second. An idle machine should show 59-60 of
// each, and never more presents than ticks. Under X (xvfb-run -a build/bench/pacing_bench) the
// same on the hardware back-end, with the refresh rate and the ticks that missed a refresh.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "game_pacing.h"

namespace {

// The platform keeps SDL's video up once started, with the driver it started with: each loop
// needs its own process (--benchmark_filter) when the other one ran first.
bool VideoUpWith(bool dummy) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return true;
  const char* driver = SDL_GetCurrentVideoDriver();
  return (driver != nullptr && std::string(driver) == "dummy") == dummy;
}

void GameLoopThreeSeconds(benchmark::State& state) {
  const std::string runtime = "/tmp/vornek-pacing-bench-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  if (!VideoUpWith(true)) {
    state.SkipWithError("video already started on another driver: run with --benchmark_filter");
    return;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (StartGame() != 0) {
    state.SkipWithError("the engine did not start");
    return;
  }
  GamePacing pacing;
  for (auto _ : state) pacing = RunGameLoopFor(3.0);
  EndEngine();
  rmdir(runtime.c_str());
  state.counters["ticks/s"] = pacing.TicksPerSecond();
  state.counters["presents/s"] = pacing.PresentsPerSecond();
  state.counters["pictures/s"] = pacing.PicturesPerSecond();
}
BENCHMARK(GameLoopThreeSeconds)->Iterations(1)->Unit(benchmark::kSecond);

void HardwareGameLoopThreeSeconds(benchmark::State& state) {
  if (getenv("DISPLAY") == nullptr) {
    state.SkipWithError("no X display");
    return;
  }
  if (!VideoUpWith(false)) {
    state.SkipWithError("video already started on the off-screen driver: run with --benchmark_filter=Hardware");
    return;
  }
  const std::string runtime = "/tmp/vornek-pacing-bench-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  unsetenv("SDL_VIDEODRIVER");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (StartGame() != 0 || !UsingHardwarePath()) {
    EndEngine();
    rmdir(runtime.c_str());
    state.SkipWithError("no hardware back-end");
    return;
  }
  GamePacing pacing;
  for (auto _ : state) pacing = RunGameLoopFor(3.0);
  EndEngine();
  rmdir(runtime.c_str());
  state.counters["ticks/s"] = pacing.TicksPerSecond();
  state.counters["presents/s"] = pacing.PresentsPerSecond();
  state.counters["refreshes/s"] = pacing.seconds > 0 ? pacing.refreshes / pacing.seconds : 0;
  state.counters["long_ticks"] = pacing.longTicks;
  state.counters["missed_ticks"] = pacing.missedTicks;
}
BENCHMARK(HardwareGameLoopThreeSeconds)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
