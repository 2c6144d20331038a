// The image fuzzer for as long as asked, seed after seed, then the figures.
//   image_fuzz [--seconds N] [--mutants-per-seed N] [--first-seed N] [--seed N]
// --seed replays one seed. A crash or a sanitizer report ends the process with the seed already
// printed; a leak ends it with status 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "fuzz_options.h"
#include "image_fuzzer.h"

int main(int argc, char** argv) {
  FuzzOptions options;
  options.perSeed = 2000;
  if (!ParseFuzzOptions(argc, argv, "--mutants-per-seed", &options)) return 2;
  const double seconds = options.seconds;
  const int mutants = options.perSeed;
  std::uint64_t seed = options.seed;
  const bool once = options.once;
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
