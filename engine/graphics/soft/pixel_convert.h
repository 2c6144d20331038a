// The general pixel-format converter of image loading: copies a rectangle between any two
// ColorData formats, through 8-bit channels.
#pragma once

#include <cstdint>

#include "color_data.h"

// A decoded image as the image readers hand it over: rows from the top down, `pitch` bytes
// apart, pixels in `format` (one-byte formats other than grey index `format.palette`).
struct DecodedImage {
  int width, height;
  int pitch;
  const std::uint8_t* pixels;
  ColorData format;
};

// One side of a conversion: the first pixel of the rectangle, the row pitch, the format and,
// for palette-index formats, the 256 colours the indices name.
struct PixelSurface {
  const std::uint8_t* pixels;
  int pitch;
  const ColorData* format;
  const PaletteEntry* palette;
};

struct ConvertOptions {
  // Alpha of the destination taken from this image's first channel instead of the source.
  const PixelSurface* alphaSource = nullptr;
  // Source pixels of this 0xRRGGBB colour get alpha 0 in a destination with alpha.
  int useTransparentColor = 0;
  std::uint32_t transparentColor = 0;
  // Grey destinations: one channel, the source's luminance.
  int singleChannel = 0;
};

// True for one-byte formats whose pixels are palette indices: their masks describe the palette
// entries and so reach past the pixel's 8 bits. Grey and 3:3:2 formats keep colour in the byte.
bool IsPaletteIndexFormat(const ColorData* format);

// Converts width × height pixels. Returns -1 for unusable arguments or formats (block-compressed
// data, pixel sizes other than 1 to 4 bytes, a palette-index side without its palette); for a
// palette-index destination the highest index written (0 when nothing was); otherwise 0.
int ConvertPixels(const PixelSurface& source, std::uint8_t* destination, int destinationPitch,
                  const ColorData* destinationFormat, const PaletteEntry* destinationPalette, int width, int height,
                  const ConvertOptions& options);
