// The sound decoder fuzzer: seeded mutations of small valid files of every kind the engine
// reads (wave PCM, float, IMA ADPCM, extensible, Ogg Vorbis), each decoded as a loaded sound
// would be. A crash or a sanitizer report is the main finding; the checks here add what a
// successful decoding must hold and that nothing is left allocated.
#pragma once

#include <cstdint>
#include <string>

struct SoundFuzzResult {
  int inputs = 0;
  int decoded = 0;      // inputs that decoded to a sound
  std::string failure;  // the first broken check, "" when none
};

SoundFuzzResult RunSoundFuzz(std::uint64_t seed, int inputs);
