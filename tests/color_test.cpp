#include <gtest/gtest.h>

#include <cstdint>

#include "color/color_data.h"
#include "core/engine_state.h"
#include "platform/d3d9.h"
#include "vornek.h"

namespace {

// Screen format: hardware flag and depth as screen set-up leaves them.
class ScreenFormat {
 public:
  ScreenFormat(int hardware, int depth) {
    EngineState.HardwareRendering = hardware;
    EngineState.ScreenDepth = depth;
  }
  ~ScreenFormat() {
    EngineState.HardwareRendering = 0;
    EngineState.ScreenDepth = 0;
  }
};

TEST(MakeColor, PacksIntoTheCurrentScreenFormat) {
  struct Case {
    int hardware, depth, red, green, blue;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0, 0, 255, 255, 255, 0xFFFFFFFFu},  // before start-up: 32-bit software format
      {0, 0, 0, 0, 255, 0xFF0000FFu},     {0, 0, 32, 32, 32, 0xFF202020u},
      {0, 0, 256, 0, 0, 0xFF000000u},  // only the low 8 bits count
      {0, 0, -1, 0, 0, 0xFFFF0000u},      {0, 32, 1, 2, 3, 0xFF010203u},
      {0, 16, 100, 100, 100, 0x632Cu},    {0, 16, 255, 255, 255, 0xFFFFu},
      {0, 16, 32, 32, 32, 0x2104u},       {1, 16, 100, 100, 100, 0x632Cu},
      {1, 32, 255, 0, 255, 0xFFFF00FFu},  {1, 0, 0, 255, 0, 0xFF00FF00u},
      {2, 16, 255, 255, 255, 0xFFFFu},  // any hardware flag other than 1 is software
      {0, 24, 1, 2, 3, 0xFF010203u},    // any depth other than 16 counts as 32-bit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "hw " << c.hardware << " depth " << c.depth << " rgb " << c.red << "," << c.green
                                    << "," << c.blue);
    ScreenFormat format(c.hardware, c.depth);
    EXPECT_EQ(MakeColor(c.red, c.green, c.blue), c.expected);
  }
}

TEST(SplitColor, DecodesChannelsWithTruncation) {
  struct Case {
    int depth;
    std::uint32_t color;
    int red, green, blue;
  };
  const Case cases[] = {
      {16, 0x632C, 98, 101, 98},     {16, 0xFFFF, 255, 255, 255},    {16, 0x0000, 0, 0, 0},
      {32, 0xFF202020u, 32, 32, 32}, {32, 0x00FF0080u, 255, 0, 128},
  };
  for (const Case& c : cases) {
    ScreenFormat format(0, c.depth);
    int r = -1, g = -1, b = -1;
    EXPECT_EQ(SplitColor(c.color, &r, &g, &b), 0);
    EXPECT_EQ(r, c.red);
    EXPECT_EQ(g, c.green);
    EXPECT_EQ(b, c.blue);
  }
}

TEST(BuildColorData, DerivesShiftsWidthsAndFiller) {
  ColorData data{};
  BuildColorData(&data, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  EXPECT_EQ(data.bytesPerPixel, 4);
  EXPECT_EQ(data.fillerMask, 0xFF000000u);
  EXPECT_EQ(data.fillerShift, 24);
  EXPECT_EQ(data.fillerBits, 8);
  EXPECT_EQ(data.redShift, 16);
  EXPECT_EQ(data.redBits, 8);

  BuildColorData(&data, 16, 0xF800, 0x7E0, 0x1F, 0);
  EXPECT_EQ(data.fillerMask, 0u);
  EXPECT_EQ(data.fillerBits, 0);
  EXPECT_EQ(data.greenShift, 5);
  EXPECT_EQ(data.greenBits, 6);

  // Set bits above a gap are not counted in the width.
  BuildColorData(&data, 16, 0xB000, 0, 0, 0);
  EXPECT_EQ(data.redShift, 12);
  EXPECT_EQ(data.redBits, 2);
  EXPECT_EQ(data.fillerMask, 0x4FFFu);
  EXPECT_EQ(data.fillerShift, 0);
  EXPECT_EQ(data.fillerBits, 12);
  EXPECT_EQ(data.blueMask, 0u);
  EXPECT_EQ(data.blueBits, 0);
}

TEST(SharedColorData, SurfaceFormatsHaveTheirMasksAndGapsHaveNoRecord) {
  EXPECT_EQ(ColorDataForSurfaceFormat(28), nullptr);
  EXPECT_EQ(ColorDataForSurfaceFormat(34), nullptr);
  EXPECT_EQ(ColorDataForSurfaceFormat(0), nullptr);
  const ColorData* x8 = ColorDataForSurfaceFormat(D3DFMT_X8R8G8B8);
  ASSERT_NE(x8, nullptr);
  EXPECT_EQ(x8->fillerMask, 0xFF000000u);
  EXPECT_EQ(ColorDataForSurfaceFormat(D3DFMT_X8R8G8B8), x8) << "records are shared";
  const ColorData* a2 = ColorDataForSurfaceFormat(D3DFMT_A2B10G10R10);
  ASSERT_NE(a2, nullptr);
  EXPECT_EQ(a2->redBits, 10);
  EXPECT_EQ(a2->blueShift, 20);
  EXPECT_EQ(a2->alphaBits, 2);
  EXPECT_EQ(a2->fillerMask, 0u);
  const ColorData* r3 = ColorDataForSurfaceFormat(D3DFMT_R3G3B2);
  EXPECT_EQ(r3->bytesPerPixel, 1);
}

TEST(SharedColorData, SoftwareFormats) {
  struct Case {
    int type, alpha, paletted, bits;
    std::uint32_t alphaMask, fillerMask;
  };
  const Case cases[] = {
      {Color16, 0, 0, 16, 0, 0},
      {Color16, 0, 1, 8, 0, 0},
      {Color16, 1, 0, 32, 0xFF0000, 0xFF000000u},
      {Color16, 1, 1, 8, 0xFF0000, 0},
      {Color32, 0, 0, 32, 0, 0xFF000000u},
      {Color32, 0, 1, 8, 0, 0},
      {Color32, 1, 0, 32, 0xFF000000u, 0},
      {Color32, 1, 1, 8, 0xFF000000u, 0},
      {Gray8, 1, 1, 8, 0xFF, 0},
      {Gray16, 0, 0, 16, 0xFFFF, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.alpha << " " << c.paletted);
    const ColorData* data = ColorDataForMemImg(c.type, c.alpha, c.paletted);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->bitsPerPixel, c.bits);
    EXPECT_EQ(data->alphaMask, c.alphaMask);
    EXPECT_EQ(data->fillerMask, c.fillerMask);
  }
  EXPECT_EQ(ColorDataForMemImg(4, 0, 0), nullptr);
  EXPECT_EQ(ColorDataForMemImg(-1, 0, 0), nullptr);
}

TEST(PackColor, PacksChannelsAndAlpha) {
  const ColorData* argb = ColorDataForSurfaceFormat(D3DFMT_A8R8G8B8);
  EXPECT_EQ(PackColor(argb, 1, 2, 3, 4), 0x04010203u);
  const ColorData* a4 = ColorDataForSurfaceFormat(D3DFMT_A4R4G4B4);
  EXPECT_EQ(PackColor(a4, 0xFF, 0x80, 0x10, 0xF0), 0xFF81u);
  const ColorData* x1 = ColorDataForSurfaceFormat(D3DFMT_X1R5G5B5);
  EXPECT_EQ(PackColor(x1, 255, 255, 255, 0), 0xFFFFu) << "the filler bit comes out set";
  // 10-bit channels take the 8-bit value in their top bits.
  const ColorData* a10 = ColorDataForSurfaceFormat(D3DFMT_A2R10G10B10);
  EXPECT_EQ(PackColor(a10, 255, 0, 1, 255), 0xFFC00004u);

  int r, g, b, a;
  UnpackColor(a4, 0xFF81u, &r, &g, &b, &a);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 136);
  EXPECT_EQ(b, 17);
  EXPECT_EQ(a, 255);
  UnpackColor(ColorDataForSurfaceFormat(D3DFMT_X8R8G8B8), 0x12345678u, nullptr, nullptr, nullptr, &a);
  EXPECT_EQ(a, 0) << "no alpha channel";
}

TEST(PackColor, PalettedFormatsPickTheNearestEntryLowestFirst) {
  ColorData data{};
  FillPalettedColorData(&data);
  for (auto& entry : data.palette) entry = {0, 0, 0, 0};
  data.palette[10] = {100, 100, 100, 0};
  data.palette[20] = {110, 110, 110, 0};
  data.palette[30] = {110, 110, 110, 0};
  EXPECT_EQ(PackColor(&data, 105, 105, 105, 0), 10u) << "tie goes to the lower index";
  EXPECT_EQ(PackColor(&data, 108, 108, 108, 0), 20u);
  EXPECT_EQ(PackColor(&data, 0, 0, 0, 0), 0u);

  FillGreyPaletteColorData(&data);
  EXPECT_EQ(PackColor(&data, 77, 77, 77, 255), 77u);
  EXPECT_EQ(data.palette[200].red, 200);
  EXPECT_EQ(data.palette[200].reserved, 0);
}

TEST(FixedFills, SetTheirFieldsAndKeepTheRest) {
  ColorData data{};
  data.fillerShift = 5;
  data.fillerBits = 6;
  data.compression = 3;
  FillPalettedColorData(&data);
  EXPECT_EQ(data.bitsPerPixel, 8);
  EXPECT_EQ(data.bytesPerPixel, 1);
  EXPECT_EQ(data.fillerMask, 0xFF000000u);
  EXPECT_EQ(data.fillerShift, 5) << "kept";
  EXPECT_EQ(data.compression, 0u);

  FillXrgb32ColorData(&data);
  EXPECT_EQ(data.fillerShift, 24);
  EXPECT_EQ(data.fillerBits, 8);
  FillArgb32ColorData(&data);
  EXPECT_EQ(data.alphaMask, 0xFF000000u);
  EXPECT_EQ(data.alphaShift, 24);
  EXPECT_EQ(data.fillerMask, 0u);
  FillRgb24ColorData(&data);
  EXPECT_EQ(data.bytesPerPixel, 3);
  EXPECT_EQ(data.alphaMask, 0u);

  UpdateFillerMask(&data);
  EXPECT_EQ(data.fillerMask, 0u) << "channels fill all 24 bits";
  data.bitsPerPixel = 32;
  UpdateFillerMask(&data);
  EXPECT_EQ(data.fillerMask, 0xFF000000u);
}

}  // namespace
