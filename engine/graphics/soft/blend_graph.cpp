#include "blend_graph.h"

std::uint8_t BlendGraphTable[256];

namespace {
int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
}  // namespace

int BuildBlendGraphTable(int borderParam, int borderRange) {
  const int p = Clamp255(borderParam);
  const int r = Clamp255(borderRange);
  const int t = (p * (65536 / (r + 1) + 256)) / 256;
  for (int i = 0; i < 256; ++i) BlendGraphTable[i] = static_cast<std::uint8_t>(Clamp255(256 * i / (r + 1) + 256 - t));
  return 0;
}
