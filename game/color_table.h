#pragma once

#include <cstdint>

enum ColorIndex { White, Blue, Red, Green, Magenta, Cyan, Yellow, DarkGrey, ColorCount };

// Computed by static initialisers, before main and before the engine starts; never recomputed.
// Ball colour n uses entry n.
extern const std::uint32_t ColorTable[ColorCount];
