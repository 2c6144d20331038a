// DrawCircle with a radius of 10^9 on an 800 × 600 screen, on both back-ends of the fake
// platform (the hardware one on the recording device): the cost of a bad radius that shows an
// arc, a corner, the inside of the circle, or nothing of it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fake_d3d9.h"
#include "fake_platform.h"
#include "core/engine_state.h"
#include "graphics/graphics_state.h"
#include "vornek.h"

namespace {

constexpr int kRadius = 1000000000;

struct Placement {
  const char* name;
  int cx, cy;
};

const Placement kPlacements[] = {
    {"top arc", 400, kRadius + 100},
    {"corner at 45 degrees", 400 - 707106781, 300 - 707106781},
    {"screen inside", 400, 300},
    {"square corner, outside", 400 - kRadius + 1000, 300 - kRadius + 1000},
};

void HugeCircle(benchmark::State& state) {
  const bool hardware = state.range(0) != 0;
  const int fill = static_cast<int>(state.range(1));
  const Placement& at = kPlacements[state.range(2)];
  state.SetLabel(std::string(hardware ? "hardware " : "software ") + (fill ? "disc, " : "outline, ") + at.name);
  fake::ResetPlatform();
  fake::SetClientSize(800, 600);
  fake::UseRecordingDevice(hardware);
  EngineState = EngineStateRecord{};
  GraphicsState = GraphicsStateRecord{};
  ChangeWindowMode(TRUE);
  SetScreenMode(800, 600, 32, 60);
  if (InitEngine() != 0 || (GraphicsState.useHardware != 0) != hardware) {
    state.SkipWithError("the engine did not start on the asked back-end");
    return;
  }
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  for (auto _ : state) {
    DrawCircle(at.cx, at.cy, kRadius, white, fill);
    if (hardware) fake::ClearD3dCalls();
  }
  EndEngine();
  fake::ResetPlatform();
}

void Args(benchmark::internal::Benchmark* b) {
  b->ArgNames({"hw", "fill", "at"});
  for (int hardware : {1, 0}) {
    for (int fill : {0, 1}) {
      for (int at = 0; at < 4; ++at) b->Args({hardware, fill, at});
    }
  }
  b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(HugeCircle)->Apply(Args);

}  // namespace

int main(int argc, char** argv) {
  // The engine writes its log into the working directory.
  std::string dir = (std::filesystem::temp_directory_path() / "vornek-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return 1;
  std::filesystem::current_path(dir);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
  return 0;
}
