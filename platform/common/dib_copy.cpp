#include "dib_copy.h"

#include <cstdlib>

namespace {

int LowBit(std::uint32_t mask) { return mask == 0 ? 0 : __builtin_ctz(mask); }
int Width(std::uint32_t mask) { return mask == 0 ? 0 : __builtin_popcount(mask); }

// Channel widened to 8 bits by repeating its top bits.
std::uint32_t Expand(std::uint32_t pixel, std::uint32_t mask) {
  const int bits = Width(mask);
  if (bits == 0) return 0;
  std::uint32_t v = (pixel & mask) >> LowBit(mask);
  if (bits >= 8) return v >> (bits - 8);
  std::uint32_t out = 0;
  for (int shift = 8 - bits; shift > -bits; shift -= bits) out |= shift >= 0 ? v << shift : v >> -shift;
  return out & 0xFF;
}

}  // namespace

bool CopyDibToCanvas(const Canvas& canvas, int x, int y, int width, int height, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info) {
  if (bits == nullptr || info == nullptr || info->bmiHeader.biCompression != BI_BITFIELDS) return false;
  const int bitCount = info->bmiHeader.biBitCount;
  if (bitCount != 16 && bitCount != 32) return false;
  const int imageWidth = info->bmiHeader.biWidth;
  const int imageHeight = std::abs(info->bmiHeader.biHeight);
  const bool topDown = info->bmiHeader.biHeight < 0;
  if (imageWidth <= 0 || imageHeight <= 0 || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
    return false;
  }
  const int bytes = bitCount / 8;
  const long pitch = (static_cast<long>(imageWidth) * bytes + 3) & ~3L;
  const auto* base = static_cast<const std::uint8_t*>(bits);
  const std::uint32_t red = info->bmiColors[0], green = info->bmiColors[1], blue = info->bmiColors[2];
  // Source row index counted from the top of the rectangle, which in DIB terms starts at
  // sourceY + sourceHeight - 1 rows from the bottom.
  const int sourceTopFromBottom = sourceY + sourceHeight - 1;
  for (int dy = 0; dy < height; ++dy) {
    const int cy = y + dy;
    if (cy < 0 || cy >= canvas.height) continue;
    const int fromBottom = sourceTopFromBottom - static_cast<int>(static_cast<long long>(dy) * sourceHeight / height);
    if (fromBottom < 0 || fromBottom >= imageHeight) continue;
    const int row = topDown ? imageHeight - 1 - fromBottom : fromBottom;
    const std::uint8_t* sourceRow = base + row * pitch;
    std::uint32_t* out = canvas.pixels + static_cast<long>(cy) * canvas.pitchPixels;
    for (int dx = 0; dx < width; ++dx) {
      const int cx = x + dx;
      if (cx < 0 || cx >= canvas.width) continue;
      const int sx = sourceX + static_cast<int>(static_cast<long long>(dx) * sourceWidth / width);
      if (sx < 0 || sx >= imageWidth) continue;
      std::uint32_t p;
      if (bytes == 4) {
        p = reinterpret_cast<const std::uint32_t*>(sourceRow)[sx];
      } else {
        p = reinterpret_cast<const std::uint16_t*>(sourceRow)[sx];
      }
      out[cx] = 0xFF000000u | Expand(p, red) << 16 | Expand(p, green) << 8 | Expand(p, blue);
    }
  }
  return true;
}
