// The image fuzzer for as long as asked, seed after seed, then the figures.
//   image_fuzz [--seconds N] [--mutants-per-seed N] [--first-seed N] [--seed N]
// --seed replays one seed. A crash or a sanitizer report ends the process with the seed already
// printed; a leak ends it with status 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "image_fuzzer.h"

int main(int argc, char** argv) {
  double seconds = 60;
  int mutants = 2000;
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  bool once = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const char* value = argv[i + 1];
    if (option == "--seconds") {
      seconds = std::atof(value);
    } else if (option == "--mutants-per-seed") {
      mutants = std::atoi(value);
    } else if (option == "--first-seed" || option == "--seed") {
      seed = std::strtoull(value, nullptr, 10);
      once = option == "--seed";
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  const auto start = std::chrono::steady_clock::now();
  long long seeds = 0, decodes = 0, accepted = 0;
  double elapsed = 0;
  do {
    // The seed is on the terminal before a crash can end the process.
    if (isatty(2)) std::fprintf(stderr, "seed %llu\r", static_cast<unsigned long long>(seed));
    const ImageFuzzResult result = RunImageFuzz(seed, mutants);
    ++seeds;
    decodes += result.decodes;
    accepted += result.accepted;
    if (result.leaked) {
      std::printf("seed %llu leaked a block; replay: image_fuzz --seed %llu\n", static_cast<unsigned long long>(seed),
                  static_cast<unsigned long long>(seed));
      return 1;
    }
    ++seed;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (!once && elapsed < seconds);
  std::printf("seeds %lld, decodes %lld, accepted %lld, %.1f s, findings 0\n", seeds, decodes, accepted, elapsed);
  return 0;
}
