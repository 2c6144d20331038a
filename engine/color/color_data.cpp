// ColorData records: building them from masks, the fixed fills and the shared records.
#include "color_data.h"

#include "../core/engine_state.h"
#include "platform/d3d9.h"  // the surface formats that have a record

namespace {

// Position and width of the lowest run of set bits; set bits above a gap are not counted.
void ScanMask(std::uint32_t mask, std::uint8_t* shift, std::uint8_t* bits) {
  *shift = 0;
  *bits = 0;
  if (mask == 0) return;
  int s = 0;
  while ((mask & (1u << s)) == 0) ++s;
  int n = 0;
  while (s + n < 32 && (mask & (1u << (s + n))) != 0) ++n;
  *shift = static_cast<std::uint8_t>(s);
  *bits = static_cast<std::uint8_t>(n);
}

std::uint32_t LowBits(int bitsPerPixel) { return bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << bitsPerPixel) - 1; }

void SetRgb888Channels(ColorData* data) {
  data->redBits = data->greenBits = data->blueBits = 8;
  data->redShift = 16;
  data->greenShift = 8;
  data->blueShift = 0;
  data->redMask = 0xFF0000;
  data->greenMask = 0xFF00;
  data->blueMask = 0xFF;
  data->alphaBits = data->alphaShift = 0;
  data->alphaMask = 0;
  data->compression = 0;
}

struct SurfaceFormatRow {
  std::uint32_t code;
  int bits;
  std::uint32_t red, green, blue, alpha;
};

constexpr SurfaceFormatRow SurfaceFormatRows[] = {
    {D3DFMT_R8G8B8, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_A8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {D3DFMT_X8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_R5G6B5, 16, 0xF800, 0x7E0, 0x1F, 0},
    {D3DFMT_X1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {D3DFMT_A1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {D3DFMT_A4R4G4B4, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {D3DFMT_R3G3B2, 8, 0xE0, 0x1C, 0x3, 0},
    {D3DFMT_A8R3G3B2, 16, 0xE0, 0x1C, 0x3, 0xFF00},
    {D3DFMT_X4R4G4B4, 16, 0xF00, 0xF0, 0xF, 0},
    {D3DFMT_A2B10G10R10, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},
    {D3DFMT_A8B8G8R8, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {D3DFMT_X8B8G8R8, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {D3DFMT_A2R10G10B10, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
};
constexpr int SurfaceFormatCount = sizeof SurfaceFormatRows / sizeof SurfaceFormatRows[0];

// Zero-initialised static storage: usable from other files' static initialisers.
constinit ColorData SurfaceFormats[SurfaceFormatCount]{};
constinit bool SurfaceFormatsBuilt = false;

// Index: colour type × 4 + alpha × 2 + paletted for the two colour types; 8 and 9 for grey.
constinit ColorData MemImgFormats[10]{};
constinit bool MemImgFormatBuilt[10]{};

void FillGrey(ColorData* data, int bits) {
  const std::uint32_t mask = LowBits(bits);
  data->bitsPerPixel = static_cast<std::uint16_t>(bits);
  data->bytesPerPixel = static_cast<std::uint16_t>(bits / 8);
  data->redBits = data->greenBits = data->blueBits = data->alphaBits = static_cast<std::uint8_t>(bits);
  data->redShift = data->greenShift = data->blueShift = data->alphaShift = 0;
  data->redMask = data->greenMask = data->blueMask = data->alphaMask = mask;
  data->fillerMask = 0;
  data->compression = 0;
}

}  // namespace

int BuildColorData(ColorData* data, int bitsPerPixel, std::uint32_t redMask, std::uint32_t greenMask,
                   std::uint32_t blueMask, std::uint32_t alphaMask) {
  data->bitsPerPixel = static_cast<std::uint16_t>(bitsPerPixel);
  data->bytesPerPixel = static_cast<std::uint16_t>(bitsPerPixel / 8);
  data->compression = 0;
  data->redMask = redMask;
  data->greenMask = greenMask;
  data->blueMask = blueMask;
  data->alphaMask = alphaMask;
  data->fillerMask = LowBits(bitsPerPixel) & ~(redMask | greenMask | blueMask | alphaMask);
  ScanMask(redMask, &data->redShift, &data->redBits);
  ScanMask(greenMask, &data->greenShift, &data->greenBits);
  ScanMask(blueMask, &data->blueShift, &data->blueBits);
  ScanMask(alphaMask, &data->alphaShift, &data->alphaBits);
  ScanMask(data->fillerMask, &data->fillerShift, &data->fillerBits);
  return 0;
}

ColorData* UpdateFillerMask(ColorData* data) {
  if (data->redBits + data->greenBits + data->blueBits + data->alphaBits == data->bitsPerPixel) {
    data->fillerMask = 0;
  } else {
    data->fillerMask =
        LowBits(data->bitsPerPixel) & ~(data->redMask | data->greenMask | data->blueMask | data->alphaMask);
  }
  return data;
}

int FillPalettedColorData(ColorData* data) {
  SetRgb888Channels(data);
  data->bitsPerPixel = 8;
  data->bytesPerPixel = 1;
  data->fillerMask = 0xFF000000;
  return 0;
}

int FillXrgb32ColorData(ColorData* data) {
  SetRgb888Channels(data);
  data->bitsPerPixel = 32;
  data->bytesPerPixel = 4;
  data->fillerMask = 0xFF000000;
  data->fillerShift = 24;
  data->fillerBits = 8;
  return 0;
}

int FillArgb32ColorData(ColorData* data) {
  SetRgb888Channels(data);
  data->bitsPerPixel = 32;
  data->bytesPerPixel = 4;
  data->alphaBits = 8;
  data->alphaShift = 24;
  data->alphaMask = 0xFF000000;
  data->fillerMask = 0;
  return 0;
}

int FillRgb24ColorData(ColorData* data) {
  SetRgb888Channels(data);
  data->bitsPerPixel = 24;
  data->bytesPerPixel = 3;
  data->fillerMask = 0;
  return 0;
}

int FillGreyPaletteColorData(ColorData* data) {
  FillPalettedColorData(data);
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(i);
    data->palette[i] = {level, level, level, 0};
  }
  return 0;
}

const ColorData* ColorDataForSurfaceFormat(std::uint32_t format) {
  if (!SurfaceFormatsBuilt) {
    for (int i = 0; i < SurfaceFormatCount; ++i) {
      const SurfaceFormatRow& row = SurfaceFormatRows[i];
      BuildColorData(&SurfaceFormats[i], row.bits, row.red, row.green, row.blue, row.alpha);
    }
    SurfaceFormatsBuilt = true;
  }
  for (int i = 0; i < SurfaceFormatCount; ++i) {
    if (SurfaceFormatRows[i].code == format) return &SurfaceFormats[i];
  }
  return nullptr;
}

const ColorData* ColorDataForMemImg(int colorType, int alpha, int paletted) {
  int index;
  switch (colorType) {
    case Color16:
    case Color32:
      index = colorType * 4 + (alpha ? 2 : 0) + (paletted ? 1 : 0);
      break;
    case Gray8:
      index = 8;
      break;
    case Gray16:
      index = 9;
      break;
    default:
      return nullptr;
  }
  ColorData* data = &MemImgFormats[index];
  if (MemImgFormatBuilt[index]) return data;
  if (colorType == Gray8 || colorType == Gray16) {
    FillGrey(data, colorType == Gray8 ? 8 : 16);
  } else {
    const bool c32 = colorType == Color32;
    const std::uint32_t red = c32 ? 0xFF0000 : 0xF800;
    const std::uint32_t green = c32 ? 0xFF00 : 0x7E0;
    const std::uint32_t blue = c32 ? 0xFF : 0x1F;
    const std::uint32_t alphaMask = !alpha ? 0 : c32 ? 0xFF000000 : 0xFF0000;
    const int bits = paletted ? 8 : (c32 || alpha) ? 32 : 16;
    BuildColorData(data, bits, red, green, blue, alphaMask);
  }
  MemImgFormatBuilt[index] = true;
  return data;
}

const ColorData* CurrentScreenColorData() {
  const bool sixteen = EngineState.ScreenDepth == 16;
  if (EngineState.HardwareRendering == 1) {
    return ColorDataForSurfaceFormat(sixteen ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8);
  }
  return ColorDataForMemImg(sixteen ? Color16 : Color32, 0, 0);
}
