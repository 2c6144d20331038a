// The game's loop for 3 s on the real platform with SDL's off-screen video driver (60 Hz):
// game ticks, presents and distinct pictures per second. An idle machine should show 59-60 of
// each, and never more presents than ticks.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "game_pacing.h"

namespace {

void GameLoopThreeSeconds(benchmark::State& state) {
  const std::string runtime = "/tmp/vornek-pacing-bench-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
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

}  // namespace

BENCHMARK_MAIN();
