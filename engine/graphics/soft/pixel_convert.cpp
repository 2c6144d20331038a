#include "pixel_convert.h"

#include <cstddef>
#include <cstring>

namespace {

std::uint32_t ReadPixel(const std::uint8_t* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return v;
}

void WritePixel(std::uint8_t* p, int bytes, std::uint32_t v) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A channel of any width (up to 16 bits, as grey formats have) to 0..255 and back.
int ToByte(std::uint32_t pixel, std::uint32_t mask, int shift, int bits) {
  if (bits == 0) return 0;
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

std::uint32_t FromByte(int value, int shift, int bits) {
  if (bits == 0) return 0;
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  const std::uint64_t scaled = bits <= 8 ? static_cast<std::uint64_t>(value) >> (8 - bits) : value * max / 255;
  return static_cast<std::uint32_t>(scaled << shift);
}

bool Usable(const ColorData* format) {
  return format != nullptr && format->compression == 0 && format->bytesPerPixel >= 1 && format->bytesPerPixel <= 4;
}

struct Rgba {
  int r, g, b, a;
};

Rgba Decode(const PixelSurface& s, std::uint32_t pixel, bool indexed) {
  const ColorData* f = s.format;
  if (indexed) {
    const PaletteEntry& e = s.palette[pixel & 0xFF];
    return {e.red, e.green, e.blue, 255};
  }
  return {ToByte(pixel, f->redMask, f->redShift, f->redBits), ToByte(pixel, f->greenMask, f->greenShift, f->greenBits),
          ToByte(pixel, f->blueMask, f->blueShift, f->blueBits),
          f->alphaBits ? ToByte(pixel, f->alphaMask, f->alphaShift, f->alphaBits) : 255};
}

int NearestIndex(const PaletteEntry* palette, int r, int g, int b) {
  int best = 0, bestDistance = 0xFFFFFF;
  for (int i = 0; i < 256; ++i) {
    const int db = palette[i].blue - b, dg = palette[i].green - g, dr = palette[i].red - r;
    const int distance = db * db + dg * dg + dr * dr;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

bool SameLayout(const ColorData* a, const ColorData* b) {
  return a->bytesPerPixel == b->bytesPerPixel && a->redMask == b->redMask && a->greenMask == b->greenMask &&
         a->blueMask == b->blueMask && a->alphaMask == b->alphaMask && a->fillerMask == b->fillerMask;
}

}  // namespace

bool IsPaletteIndexFormat(const ColorData* format) {
  return format->bytesPerPixel == 1 && (format->redMask | format->greenMask | format->blueMask) > 0xFF;
}

int ConvertPixels(const PixelSurface& source, std::uint8_t* destination, int destinationPitch,
                  const ColorData* destinationFormat, const PaletteEntry* destinationPalette, int width, int height,
                  const ConvertOptions& options) {
  if (source.pixels == nullptr || destination == nullptr || width < 0 || height < 0) return -1;
  if (!Usable(source.format) || !Usable(destinationFormat)) return -1;
  const bool sourceIndexed = IsPaletteIndexFormat(source.format);
  const bool destinationIndexed = IsPaletteIndexFormat(destinationFormat);
  if ((sourceIndexed && source.palette == nullptr) || (destinationIndexed && destinationPalette == nullptr)) return -1;
  const PixelSurface* alpha = options.alphaSource;
  if (alpha != nullptr && (alpha->pixels == nullptr || !Usable(alpha->format) ||
                           (IsPaletteIndexFormat(alpha->format) && alpha->palette == nullptr))) {
    return -1;
  }
  const int sourceBytes = source.format->bytesPerPixel, destinationBytes = destinationFormat->bytesPerPixel;

  // The same layout with nothing to change per pixel is a row copy (indices included).
  const bool plainCopy = SameLayout(source.format, destinationFormat) && alpha == nullptr &&
                         !options.useTransparentColor && !options.singleChannel;
  int highestIndex = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* from = source.pixels + static_cast<std::ptrdiff_t>(y) * source.pitch;
    std::uint8_t* to = destination + static_cast<std::ptrdiff_t>(y) * destinationPitch;
    if (plainCopy) {
      std::memmove(to, from, static_cast<std::size_t>(width) * sourceBytes);
      if (destinationIndexed) {
        for (int x = 0; x < width; ++x) highestIndex = from[x] > highestIndex ? from[x] : highestIndex;
      }
      continue;
    }
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = ReadPixel(from + static_cast<std::ptrdiff_t>(x) * sourceBytes, sourceBytes);
      Rgba c = Decode(source, pixel, sourceIndexed);
      if (alpha != nullptr) {
        const std::uint8_t* a = alpha->pixels + static_cast<std::ptrdiff_t>(y) * alpha->pitch +
                                static_cast<std::ptrdiff_t>(x) * alpha->format->bytesPerPixel;
        c.a = Decode(*alpha, ReadPixel(a, alpha->format->bytesPerPixel), IsPaletteIndexFormat(alpha->format)).b;
      }
      if (options.useTransparentColor &&
          static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b) == (options.transparentColor & 0xFFFFFF)) {
        c.a = 0;
      }
      std::uint32_t out;
      const ColorData* f = destinationFormat;
      if (destinationIndexed) {
        // A palette index for a paletted source is kept as it is.
        const int index =
            sourceIndexed ? static_cast<int>(pixel & 0xFF) : NearestIndex(destinationPalette, c.r, c.g, c.b);
        highestIndex = index > highestIndex ? index : highestIndex;
        out = static_cast<std::uint32_t>(index);
      } else if (options.singleChannel || (f->redMask == f->greenMask && f->greenMask == f->blueMask)) {
        const int grey = (c.r * 77 + c.g * 151 + c.b * 28) >> 8;
        out = FromByte(grey, f->redShift, f->redBits);
      } else {
        out = FromByte(c.r, f->redShift, f->redBits) | FromByte(c.g, f->greenShift, f->greenBits) |
              FromByte(c.b, f->blueShift, f->blueBits) | FromByte(c.a, f->alphaShift, f->alphaBits) | f->fillerMask;
      }
      WritePixel(to + static_cast<std::ptrdiff_t>(x) * destinationBytes, destinationBytes, out);
    }
  }
  return destinationIndexed ? highestIndex : 0;
}
