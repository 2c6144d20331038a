// Packing and unpacking colour values.
#include "color_data.h"
#include "vornek.h"

namespace {

// Only the low 8 bits of a channel value count. Channels wider than 8 bits (the 10-bit surface
// formats) take the value in their top bits.
std::uint32_t PackChannel(int value, int bits, int shift) {
  const std::uint32_t byte = static_cast<std::uint32_t>(value) & 0xFF;
  return (bits <= 8 ? byte >> (8 - bits) : byte << (bits - 8)) << shift;
}

std::uint32_t PackRgb(const ColorData* data, int red, int green, int blue) {
  return PackChannel(blue, data->blueBits, data->blueShift) + PackChannel(green, data->greenBits, data->greenShift) +
         PackChannel(red, data->redBits, data->redShift) + data->fillerMask;
}

int UnpackChannel(std::uint32_t value, std::uint32_t mask, int shift, int bits) {
  if (bits == 0) return 0;
  const std::uint32_t maximum = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  return static_cast<int>(static_cast<std::uint64_t>((value & mask) >> shift) * 255u / maximum);
}

}  // namespace

std::uint32_t MakeColor(int red, int green, int blue) { return PackRgb(CurrentScreenColorData(), red, green, blue); }

int SplitColor(std::uint32_t color, int* red, int* green, int* blue) {
  const ColorData* data = CurrentScreenColorData();
  *red = UnpackChannel(color, data->redMask, data->redShift, data->redBits);
  *green = UnpackChannel(color, data->greenMask, data->greenShift, data->greenBits);
  *blue = UnpackChannel(color, data->blueMask, data->blueShift, data->blueBits);
  return 0;
}

std::uint32_t PackColor(const ColorData* data, int red, int green, int blue, int alpha) {
  if (data->bytesPerPixel == 1) {
    int best = 0;
    int bestDistance = 0xFFFFFF;
    for (int i = 0; i < 256; ++i) {
      const PaletteEntry& entry = data->palette[i];
      const int db = entry.blue - blue, dg = entry.green - green, dr = entry.red - red;
      const int distance = db * db + dg * dg + dr * dr;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    return static_cast<std::uint32_t>(best);
  }
  std::uint32_t value = PackRgb(data, red, green, blue);
  if (data->alphaBits != 0) value += PackChannel(alpha, data->alphaBits, data->alphaShift);
  return value;
}

int UnpackColor(const ColorData* data, std::uint32_t pixel, int* red, int* green, int* blue, int* alpha) {
  if (red) *red = UnpackChannel(pixel, data->redMask, data->redShift, data->redBits);
  if (green) *green = UnpackChannel(pixel, data->greenMask, data->greenShift, data->greenBits);
  if (blue) *blue = UnpackChannel(pixel, data->blueMask, data->blueShift, data->blueBits);
  if (alpha)
    *alpha = data->alphaBits != 0 ? UnpackChannel(pixel, data->alphaMask, data->alphaShift, data->alphaBits) : 0;
  return 0;
}
