// A seeded generator of public engine calls with hostile and ordinary arguments, in random
// order, on the fake platform: start, end, pump, draw, text, fonts, input, settings and screen
// modes, with window events between them.
#pragma once

#include <cstdint>
#include <string>

struct ApiFuzzResult {
  long long calls = 0;
  int starts = 0;       // InitEngine calls that started the engine
  std::string failure;  // empty when every check held
};

// Runs `calls` calls drawn from `seed`, from a fresh platform and engine, then ends the engine
// and checks that nothing is left: no tracked block, GDI font, window or input device. The
// seed and the last calls are printed to standard error when a check fails; the seed is also
// printed before the run when `announce` is set, so that a crash can be replayed.
ApiFuzzResult RunApiFuzz(std::uint64_t seed, int calls, bool announce);
