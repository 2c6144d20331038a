// The game soak for as many ticks as asked, then the figures.
//   game_soak [--ticks N] [--draw-every N] [--seed N]
// The exit status is 1 when an invariant broke or something was left behind.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game_soak.h"

int main(int argc, char** argv) {
  long long ticks = 10000000;
  int drawEvery = 100;
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--ticks") {
      ticks = std::atoll(argv[i + 1]);
    } else if (option == "--draw-every") {
      drawEvery = std::atoi(argv[i + 1]);
    } else if (option == "--seed") {
      seed = std::strtoull(argv[i + 1], nullptr, 10);
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  std::fprintf(stderr, "game soak: seed %llu, %lld ticks, a frame every %d (replay: --seed %llu)\n",
               static_cast<unsigned long long>(seed), ticks, drawEvery, static_cast<unsigned long long>(seed));
  const auto start = std::chrono::steady_clock::now();
  const GameSoakResult result = RunGameSoak(seed, ticks, drawEvery, 1000000);
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "game soak: %lld ticks, %lld frames drawn, %lld swaps, %lld balls vanished, %lld entered, %.1f s "
      "(%.0f ticks/s), %d findings\n",
      result.ticks, result.frames, result.swaps, result.vanished, result.entered, elapsed,
      result.ticks / (elapsed > 0 ? elapsed : 1), result.failure.empty() ? 0 : 1);
  return result.failure.empty() ? 0 : 1;
}
