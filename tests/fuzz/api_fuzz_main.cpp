// The API fuzzer for as long as asked: seed after seed until the time is up, then the figures.
//   api_fuzz [--seconds N] [--calls-per-seed N] [--first-seed N] [--seed N]
// --seed replays one seed. The exit status is 1 when a check failed; a crash or a sanitizer
// report ends the process with the seed already printed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_options.h"
#include "api_fuzzer.h"

int main(int argc, char** argv) {
  FuzzOptions options;
  options.perSeed = 3000;
  if (!ParseFuzzOptions(argc, argv, "--calls-per-seed", &options)) return 2;
  const double seconds = options.seconds;
  const int callsPerSeed = options.perSeed;
  std::uint64_t seed = options.seed;
  const bool once = options.once;

  const auto start = std::chrono::steady_clock::now();
  long long calls = 0, starts = 0, seeds = 0, findings = 0;
  double elapsed = 0;
  do {
    const ApiFuzzResult result = RunApiFuzz(seed, callsPerSeed, true);
    calls += result.calls;
    starts += result.starts;
    ++seeds;
    if (!result.failure.empty()) {
      ++findings;
      std::fprintf(stderr, "finding: %s\n", result.failure.c_str());
    }
    ++seed;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (!once && elapsed < seconds);
  std::printf("api fuzz: %lld seeds, %lld calls, %lld engine starts, %.1f s (%.0f calls/s), %lld findings\n", seeds,
              calls, starts, elapsed, calls / (elapsed > 0 ? elapsed : 1), findings);
  return findings == 0 ? 0 : 1;
}
