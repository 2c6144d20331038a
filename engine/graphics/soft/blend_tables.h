// Lookup tables shared by the software renderer's blending loops, built once at graphics
// start-up so that no pixel loop divides.
#pragma once

#include <cstdint>

// ScaleTable[p][c] = p × c / 255.
extern std::int32_t ScaleTable[256][256];
// SignedScaleTable[p][d + 255] = p × d / 255 for d in -255..255, truncated toward zero.
extern std::int32_t SignedScaleTable[256][511];
// Mix63Table[k][a][b] = (a × k + b × (63 - k)) / 63 for 6-bit k, a, b.
extern std::uint8_t Mix63Table[64][64][64];

// SignedScaleTable indexed by a signed difference.
inline std::int32_t SignedScale(int p, int difference) { return SignedScaleTable[p][difference + 255]; }

int BuildSoftBlendTables();
