#include "blend_tables.h"

std::int32_t ScaleTable[256][256];
std::int32_t SignedScaleTable[256][511];
std::uint8_t Mix63Table[64][64][64];

int BuildSoftBlendTables() {
  for (int p = 0; p < 256; ++p) {
    for (int c = 0; c < 256; ++c) ScaleTable[p][c] = p * c / 255;
    for (int d = -255; d <= 255; ++d) SignedScaleTable[p][d + 255] = p * d / 255;
  }
  for (int k = 0; k < 64; ++k) {
    for (int a = 0; a < 64; ++a) {
      for (int b = 0; b < 64; ++b) Mix63Table[k][a][b] = static_cast<std::uint8_t>((a * k + b * (63 - k)) / 63);
    }
  }
  return 0;
}
