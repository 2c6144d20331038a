// The blend graph: a Gray8 image whose pixels select per-pixel weights through BlendGraphTable.
#pragma once

#include <cstdint>

extern std::uint8_t BlendGraphTable[256];

// Rebuilt whenever the blend-graph setting changes; both inputs are clamped to 0-255.
int BuildBlendGraphTable(int borderParam, int borderRange);
