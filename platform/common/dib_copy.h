// Copying a bit-field DIB (16 or 32 bits, top-down or bottom-up) into a 32-bit XRGB canvas,
// stretched by nearest neighbour: the pixel work behind SetDIBitsToDevice and StretchDIBits.
#pragma once

#include <cstdint>

#include "platform/gdi32.h"

struct Canvas {
  std::uint32_t* pixels;  // XRGB rows
  int width, height;
  int pitchPixels;
};

// Copies the source rectangle (sourceY counted from the bottom of the image) onto the
// destination rectangle; both are clipped. Returns false for a bitmap it cannot read.
bool CopyDibToCanvas(const Canvas& canvas, int x, int y, int width, int height, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info);
