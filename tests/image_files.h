// Image files made by the tests themselves, from pixels 0xAARRGGBB: PNG and JPEG through their
// libraries, BMP, TGA and DDS written byte by byte. Each returns the file's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image_files {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;

// PNG of packed rows as libpng wants them for the colour type and depth.
struct PngLayout {
  int colorType;  // PNG_COLOR_TYPE_*
  int bitDepth;
  bool interlaced = false;
  std::vector<std::uint32_t> palette;  // 0xAARRGGBB: colours, with tRNS from alpha below 255
  int greyKey = -1;                    // tRNS of a grey image
};
Bytes Png(int width, int height, const PngLayout& layout, const std::vector<Bytes>& rows);
Bytes JpegBytes(int width, int height, const Pixels& pixels, bool progressive, int quality);

// BMP with an info header of 40 bytes (or 108 with alphaMask non-zero, or 12 for core), rows
// already packed for its bit count.
struct BmpLayout {
  int width, height;  // negative height: top-down
  int bits;
  int compression = 0;
  std::vector<std::uint32_t> palette;     // 0x00RRGGBB
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha for bit fields
  bool core = false;
};
Bytes Bmp(const BmpLayout& layout, const Bytes& pixelData);
// Rows of a packed image: pixel values of `bits` bits, bottom row first when bottomUp, padded
// to four bytes.
Bytes BmpRows(int width, int height, int bits, bool bottomUp, const std::vector<std::uint32_t>& values);

// TGA of the given type, bits and descriptor; data as it follows the header (map included).
Bytes Tga(int type, int width, int height, int bits, int descriptor, const Bytes& colorMap, int mapBits, int mapLength,
          const Bytes& data);

// DDS with a FourCC ("DXT1", ...) or with masks, followed by data.
Bytes DdsFourCc(int width, int height, const char* fourCc, const Bytes& data);
Bytes DdsMasks(int width, int height, int bits, std::uint32_t flags, const std::uint32_t masks[4], const Bytes& data);

}  // namespace image_files
