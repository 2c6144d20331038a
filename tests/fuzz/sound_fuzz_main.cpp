// The sound decoder fuzzer for as long as asked, seed after seed, then the figures.
//   sound_fuzz [--seconds N] [--inputs-per-seed N] [--first-seed N] [--seed N]
// --seed replays one seed. The exit status is 1 when a check failed; a crash or a sanitizer
// report ends the process with the seed already printed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_options.h"
#include "sound_fuzzer.h"

int main(int argc, char** argv) {
  FuzzOptions options;
  options.perSeed = 2000;
  if (!ParseFuzzOptions(argc, argv, "--inputs-per-seed", &options)) return 2;
  const double seconds = options.seconds;
  const int perSeed = options.perSeed;
  std::uint64_t seed = options.seed;
  const bool once = options.once;
  const auto start = std::chrono::steady_clock::now();
  long long inputs = 0, decoded = 0, seeds = 0, findings = 0;
  double elapsed = 0;
  do {
    std::fprintf(stderr, "seed %llu\r", static_cast<unsigned long long>(seed));
    const SoundFuzzResult result = RunSoundFuzz(seed, perSeed);
    inputs += result.inputs;
    decoded += result.decoded;
    ++seeds;
    if (!result.failure.empty()) {
      ++findings;
      std::fprintf(stderr, "finding with seed %llu: %s\n", static_cast<unsigned long long>(seed),
                   result.failure.c_str());
    }
    ++seed;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (!once && elapsed < seconds);
  std::printf("seeds %lld, inputs %lld, decoded %lld, %.1f s, findings %lld\n", seeds, inputs, decoded, elapsed,
              findings);
  return findings == 0 ? 0 : 1;
}
