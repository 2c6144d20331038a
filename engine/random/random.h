// The engine's pseudo-random generator: MT19937 with the 1998 congruential seeding.
#pragma once

#include <cstdint>

#include "vornek.h"  // SeedRandom

constexpr int RandomStateWords = 624;

struct RandomStateRecord {
  std::uint32_t words[RandomStateWords + 1];  // the spare word holds word 0 during regeneration
  std::uint32_t output[RandomStateWords];     // tempered outputs of the current block
  int readPosition;                           // RandomStateWords = block used up
  int seeded;
  int vectorPath;  // regenerate with the processor's vector instructions
};

extern RandomStateRecord RandomState;

std::uint32_t NextRandom32();
void RefillRandom();
