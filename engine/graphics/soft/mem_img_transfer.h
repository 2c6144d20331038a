// Moving pixels into software images through the pixel-format converter: copies between
// images and the loading of decoded images.
#pragma once

#include "mem_img.h"
#include "pixel_convert.h"

// Copies `sourceRect` (the whole source when null) of `source` to (x, y) of `destination`.
// The rectangle is clipped to both images. Returns the converter's result, 0 when nothing is
// left to copy, -1 for invalid images.
int CopyMemImg(MEMIMG* destination, const MEMIMG* source, const Rect* sourceRect, int x, int y);

// Converts the rectangle (sourceX, sourceY, width, height) of `image` to (destinationX,
// destinationY) of `target`, alpha from `alphaImage` when given; a non-zero
// `transparencyOption` makes the target's transparent colour transparent in its alpha. Then
// rebuilds the palette and, for a whole-image transfer, the run codes and premultiplied copy.
// Returns the converter's negative result on failure, -1 when the rectangle does not lie
// inside both images, otherwise 0.
int LoadMemImgPixels(const DecodedImage* image, const DecodedImage* alphaImage, MEMIMG* target, int sourceX,
                     int sourceY, int width, int height, int destinationX, int destinationY, int transparencyOption);
