#include "dib_copy.h"

#include <cstdlib>
#include <vector>

namespace {

// One channel of a bit-field pixel, widened to 8 bits by repeating its top bits.
struct Channel {
  int shift = 0, bits = 0;
  std::uint32_t mask = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = __builtin_ctz(m);
    bits = __builtin_popcount(m);
  }

  std::uint32_t Expand(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    std::uint32_t out = 0;
    for (int s = 8 - bits; s > -bits; s -= bits) out |= s >= 0 ? v << s : v >> -s;
    return out & 0xFF;
  }
};

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
  const Channel red(info->bmiColors[0]), green(info->bmiColors[1]), blue(info->bmiColors[2]);
  const bool xrgb = bytes == 4 && red.mask == 0xFF0000 && green.mask == 0xFF00 && blue.mask == 0xFF;

  // Source column of every destination column inside the canvas; -1 where nothing is copied.
  const int firstColumn = x < 0 ? -x : 0;
  const int lastColumn = width < canvas.width - x ? width : canvas.width - x;
  if (firstColumn >= lastColumn) return true;
  std::vector<int> columns(static_cast<std::size_t>(lastColumn - firstColumn));
  for (int dx = firstColumn; dx < lastColumn; ++dx) {
    const long long sx = sourceX + static_cast<long long>(dx) * sourceWidth / width;
    columns[dx - firstColumn] = sx >= 0 && sx < imageWidth ? static_cast<int>(sx) : -1;
  }

  // Unstretched and wholly inside the image: every row is one straight run.
  const bool identity = width == sourceWidth && columns.front() >= 0 &&
                        columns.back() == columns.front() + static_cast<int>(columns.size()) - 1;

  // Rows of the source rectangle count from the bottom of the image.
  const int sourceTopFromBottom = sourceY + sourceHeight - 1;
  for (int dy = 0; dy < height; ++dy) {
    const int cy = y + dy;
    if (cy < 0 || cy >= canvas.height) continue;
    const int fromBottom = sourceTopFromBottom - static_cast<int>(static_cast<long long>(dy) * sourceHeight / height);
    if (fromBottom < 0 || fromBottom >= imageHeight) continue;
    const int row = topDown ? imageHeight - 1 - fromBottom : fromBottom;
    const std::uint8_t* sourceRow = base + row * pitch;
    std::uint32_t* out = canvas.pixels + static_cast<long>(cy) * canvas.pitchPixels + x + firstColumn;
    const std::size_t count = columns.size();
    if (xrgb && identity) {
      const auto* source = reinterpret_cast<const std::uint32_t*>(sourceRow) + columns[0];
      for (std::size_t i = 0; i < count; ++i) out[i] = 0xFF000000u | source[i];
      continue;
    }
    if (xrgb) {
      const auto* source = reinterpret_cast<const std::uint32_t*>(sourceRow);
      for (std::size_t i = 0; i < count; ++i) {
        if (columns[i] >= 0) out[i] = 0xFF000000u | source[columns[i]];
      }
      continue;
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (columns[i] < 0) continue;
      const std::uint32_t p = bytes == 4 ? reinterpret_cast<const std::uint32_t*>(sourceRow)[columns[i]]
                                         : reinterpret_cast<const std::uint16_t*>(sourceRow)[columns[i]];
      out[i] = 0xFF000000u | red.Expand(p) << 16 | green.Expand(p) << 8 | blue.Expand(p);
    }
  }
  return true;
}
