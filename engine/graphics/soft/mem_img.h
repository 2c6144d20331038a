// MEMIMG: a software image view over reference-counted pixel storage (MemImgShared), and the
// operations on whole images. Rectangles are left, top, right, bottom; right and bottom are
// exclusive.
#pragma once

#include <cstdint>

#include "color_data.h"

constexpr std::uint32_t MemImgValidMark = 0x12345678u;

struct MemImgShared {
  std::int32_t refCount;
  std::int32_t width, height;
  std::int32_t pitch;       // bytes from one row to the next
  std::int32_t pitchShift;  // log2(pitch) when it is a power of two, else -1
  const ColorData* colorData;
  std::uint32_t transColor;  // pixel value (palette index when paletted) that is transparent
  std::int32_t colorType;    // MemImgColorType
  std::int32_t paletted;
  std::int32_t paletteCount;
  std::int32_t hasAlpha;
  std::int32_t premultipliedValid;
  std::int32_t runCodesValid;
  std::int32_t externalPixels;  // pixelBuffer belongs to the caller
  std::uint8_t* palette;        // 256 entries of 4 bytes, then paletteWork in the same block
  std::uint8_t* paletteWork;
  std::uint8_t* pixelBuffer;
  std::uint8_t* premultipliedBuffer;
  std::uint8_t* runCodes;  // (width + 5) × height bytes
};

// The caller owns the view and must zero it before creation.
struct MEMIMG {
  std::uint32_t validMark;
  std::int32_t width, height;
  std::uint8_t* pixels;
  std::uint8_t* premultiplied;
  MemImgShared* shared;
};

struct Rect {
  std::int32_t left, top, right, bottom;
};

// Transparency run codes: kind + (n - 1) for runs of 1..64 pixels, RunEnd closes each row.
constexpr std::uint8_t RunTransparent = 0x00;
constexpr std::uint8_t RunOpaque = 0x40;
constexpr std::uint8_t RunTranslucent = 0x80;
constexpr std::uint8_t RunEnd = 0xC0;

int BytesPerPixel(const MemImgShared* shared);

int ClipRect(Rect* rect, const Rect* clip);
int CreateMemImg(MEMIMG* image, int width, int height, int pitch, std::uint32_t transColor, int colorType, int paletted,
                 int alpha, int extras, void* externalPixels);
// The screen image: colorType is Color16 or Color32, as the screen's depth says.
int CreateScreenMemImg(MEMIMG* image, int width, int height, int colorType);
void ReleaseMemImg(MEMIMG* image);
int IsMemImgValid(const MEMIMG* image);
void MakeMemImgView(MEMIMG* destination, const MEMIMG* source, int x, int y, int width, int height);
void FillMemImg(MEMIMG* image, const Rect* rect, std::uint32_t value);
