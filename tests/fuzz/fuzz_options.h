// The options every fuzzer's program takes:
//   [--seconds N] [<perSeedOption> N] [--first-seed N] [--seed N]
// --seed replays that one seed; without a seed the clock gives the first.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

struct FuzzOptions {
  double seconds = 60;
  int perSeed = 0;
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  bool once = false;
};

// False (after saying which) for an option it does not know.
inline bool ParseFuzzOptions(int argc, char** argv, const char* perSeedOption, FuzzOptions* options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const char* value = argv[i + 1];
    if (option == "--seconds") {
      options->seconds = std::atof(value);
    } else if (option == perSeedOption) {
      options->perSeed = std::atoi(value);
    } else if (option == "--first-seed" || option == "--seed") {
      options->seed = std::strtoull(value, nullptr, 10);
      options->once = option == "--seed";
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return false;
    }
  }
  return true;
}
