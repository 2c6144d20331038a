// Pixel formats (ColorData) and the colour values drawn with them.
#pragma once

#include <cstdint>

#include "vornek.h"  // MakeColor, SplitColor

struct PaletteEntry {
  std::uint8_t blue, green, red, reserved;
};

struct ColorData {
  std::uint16_t bitsPerPixel;
  std::uint16_t bytesPerPixel;  // 1 means the pixel is a palette index
  std::uint8_t redBits, greenBits, blueBits, alphaBits;
  std::uint8_t redShift, greenShift, blueShift, alphaShift;
  std::uint32_t redMask, greenMask, blueMask, alphaMask;
  std::uint32_t fillerMask;  // bits of no channel; packing sets them all
  PaletteEntry palette[256];
  std::uint8_t fillerShift, fillerBits;
  std::uint32_t compression;  // 0 plain; 1-5 block-compressed DXT1-DXT5
};

enum MemImgColorType : int { Color16 = 0, Color32 = 1, Gray8 = 2, Gray16 = 3 };

int BuildColorData(ColorData* data, int bitsPerPixel, std::uint32_t redMask, std::uint32_t greenMask,
                   std::uint32_t blueMask, std::uint32_t alphaMask);
ColorData* UpdateFillerMask(ColorData* data);

int FillPalettedColorData(ColorData* data);
int FillXrgb32ColorData(ColorData* data);
int FillArgb32ColorData(ColorData* data);
int FillRgb24ColorData(ColorData* data);
int FillGreyPaletteColorData(ColorData* data);

// Shared read-only records, built on first request; null for keys without a record.
const ColorData* ColorDataForSurfaceFormat(std::uint32_t format);
const ColorData* ColorDataForMemImg(int colorType, int alpha, int paletted);

// The format colour values are made in: the screen's, or 32-bit software before start-up.
const ColorData* CurrentScreenColorData();

std::uint32_t PackColor(const ColorData* data, int red, int green, int blue, int alpha);
int UnpackColor(const ColorData* data, std::uint32_t pixel, int* red, int* green, int* blue, int* alpha);
