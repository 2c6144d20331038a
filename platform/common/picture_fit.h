// Showing a window's picture on an output of another size (a full-screen window at the
// desktop's own mode, a window the player resized, a display smaller than the window): the
// picture is scaled up by the largest whole factor that fits, or down by the largest factor
// that fits when it does not fit at all, aspect kept, centred, and the rest is black.
#pragma once

#include <cstdint>

#include "dib_copy.h"
#include "platform/win32_types.h"

struct PictureFit {
  // Where the picture lands on the output.
  int x = 0, y = 0, width = 0, height = 0;
  // The picture's own size.
  int pictureWidth = 0, pictureHeight = 0;

  // The picture covers the output exactly, pixel for pixel.
  bool Identity() const { return x == 0 && y == 0 && width == pictureWidth && height == pictureHeight; }
};

// The place of a pictureWidth × pictureHeight picture on an outputWidth × outputHeight output.
// Sides below 1 count as 1.
PictureFit FitPicture(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight);

// An output position (relative to the output's corner) in the picture's pixels. Positions on
// the bars or beyond the output are taken to the nearest edge of the picture.
POINT OutputToPicture(const PictureFit& fit, int outputX, int outputY);

// A rectangle of the picture (right and bottom exclusive) on the output.
RECT PictureToOutput(const PictureFit& fit, const RECT& rect);

// Scales the picture onto the output by nearest neighbour and paints the bars black. Both are
// XRGB rows of the sizes the fit was made for.
void ScalePicture(const PictureFit& fit, const Canvas& picture, const Canvas& output);
