// The decoded image record every reader fills: 32-bit pixels 0xAARRGGBB (blue first in memory),
// rows from the top down with no padding, in a tracked block the record owns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../graphics/soft/pixel_convert.h"

// Sizes a file may declare. Checked before any pixel block is allocated, so that a damaged or
// hostile header cannot ask for gigabytes.
constexpr int MaxImageSide = 16384;
constexpr std::int64_t MaxImagePixels = std::int64_t{1} << 26;  // 256 MB of 32-bit pixels
// Largest file the engine reads into memory to decode.
constexpr std::int64_t MaxImageFileBytes = std::int64_t{1} << 28;

struct ImageRecord {
  int width, height;
  int hasAlpha;  // the file carries alpha (a channel, tRNS, an alpha mask); else every alpha is 255
  std::uint32_t* pixels;
};

// Allocates the pixels of a width × height image (uncleared) after checking the limits; on
// failure logs why, names the reader in the line, and returns -1 with the record left empty.
int AllocImagePixels(ImageRecord* image, int width, int height, const char* reader);
void ReleaseImageRecord(ImageRecord* image);
// A view the pixel converter reads (A8R8G8B8, or X8R8G8B8 without alpha).
DecodedImage DecodedViewOf(const ImageRecord& image);
// Logs "<reader>: <what>" as the reason a file was refused; returns -1 for the caller to pass on.
int ImageFailure(const char* reader, const char* what);

// 0xAARRGGBB from channels.
inline std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}
