// The game's loop on the fake platform with random mouse and keyboard input, the board's
// invariants checked after every tick.
#pragma once

#include <cstdint>
#include <string>

struct GameSoakResult {
  long long ticks = 0;
  long long frames = 0;    // ticks that also drew and presented the whole frame
  long long swaps = 0;     // swaps the player's drags made
  long long vanished = 0;  // balls that finished vanishing
  long long entered = 0;   // new balls that entered the top row
  std::string failure;     // empty when every invariant held and nothing was left behind
};

// Starts the game as its entry does, runs `ticks` passes of its loop with input drawn from
// `seed`, drawing and presenting the frame on every `drawEvery`-th tick (the rules run on
// every tick), then ends the engine and checks that the memory report is empty. With
// progressEvery above 0, a line of figures goes to standard error every that many ticks.
GameSoakResult RunGameSoak(std::uint64_t seed, long long ticks, int drawEvery, long long progressEvery = 0);
