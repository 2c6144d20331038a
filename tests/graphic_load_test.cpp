// Graphics from image files, memory and pixel arrays on both back-ends (software, and the
// recording Direct3D 9 device): what they draw, sheets split into cells, pixels replaced, read
// back and saved, the refusals, and what comes back after a display loss.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/graphic_handle.h"
#include "image/image_decode.h"
#include "image_files.h"
#include "image_fixture.h"

namespace {

using image_files::Bytes;
using image_files::Pixels;

void WriteBytes(const std::string& name, const Bytes& bytes) {
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// An RGBA PNG of the pixels.
Bytes PngOf(int width, int height, const Pixels& pixels, bool alpha) {
  std::vector<Bytes> rows;
  for (int y = 0; y < height; ++y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      row.push_back(static_cast<std::uint8_t>(p >> 16));
      row.push_back(static_cast<std::uint8_t>(p >> 8));
      row.push_back(static_cast<std::uint8_t>(p));
      if (alpha) row.push_back(static_cast<std::uint8_t>(p >> 24));
    }
    rows.push_back(row);
  }
  return image_files::Png(width, height, {alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, 8}, rows);
}

std::uint32_t Screen(int x, int y) {
  int r = 0, g = 0, b = 0;
  EXPECT_EQ(ReadPixel(ScreenBack, x, y, &r, &g, &b, nullptr), 0);
  return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

std::uint32_t GraphicPixel(int handle, int x, int y) {
  int r = 0, g = 0, b = 0, a = 0;
  EXPECT_EQ(ReadPixel(handle, x, y, &r, &g, &b, &a), 0);
  return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

class GraphicLoadTest : public ImageEngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { StartEngine(GetParam()); }
};

// 3 × 2: opaque colours, one translucent and one clear pixel.
const Pixels Translucent = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF102030, 0xFFFFFFFF, 0xFF808080};

TEST_P(GraphicLoadTest, AFileWithAlphaIsDrawnBlendedByItsAlpha) {
  WriteBytes("sprite.png", PngOf(3, 2, Translucent, true));
  const int handle = LoadGraphic("sprite.png");
  ASSERT_NE(handle, -1);
  int width = 0, height = 0;
  ASSERT_EQ(GetGraphicSize(handle, &width, &height), 0);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(GraphicPixel(handle, i % 3, i / 3), Translucent[i]) << i;
  SetClearColor(0x40, 0x40, 0x40);
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(10, 20, handle, TRUE), 0);
  EXPECT_EQ(Screen(10, 20), 0xFF0000u);
  // Green over grey at alpha 128 (one of rounding's two ways), and the clear pixel not drawn.
  const std::uint32_t half = Screen(11, 20);
  EXPECT_NEAR(static_cast<int>(half >> 16), 0x20, 1);
  EXPECT_NEAR(static_cast<int>(half >> 8 & 0xFF), 0x9F, 1);
  EXPECT_EQ(Screen(12, 20), 0x404040u);
  EXPECT_EQ(Screen(11, 21), 0xFFFFFFu);
  // Without transparency the alpha is not used: the clear pixel shows its colour.
  ASSERT_EQ(DrawGraphAt(10, 30, handle, FALSE), 0);
  EXPECT_EQ(Screen(12, 30), 0x0000FFu);
}

TEST_P(GraphicLoadTest, WithoutAlphaTheTransparentColourIsNotDrawn) {
  const Pixels keyed = {0xFFFF00FF, 0xFF00FF00, 0xFFFF00FF, 0xFF000000};
  WriteBytes("keyed.png", PngOf(2, 2, keyed, false));
  SetTransparentColor(255, 0, 255);
  int r = 0, g = 0, b = 0;
  GetTransparentColor(&r, &g, &b);
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{255, 0, 255}));
  const int handle = LoadGraphic("keyed.png");
  // A later change of the setting leaves the graphic's transparent colour alone.
  SetTransparentColor(0, 0, 0);
  ASSERT_NE(handle, -1);
  SetClearColor(0x10, 0x20, 0x30);
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(100, 100, handle, TRUE), 0);
  EXPECT_EQ(Screen(100, 100), 0x102030u);
  EXPECT_EQ(Screen(101, 100), 0x00FF00u);
  EXPECT_EQ(Screen(100, 101), 0x102030u);
  EXPECT_EQ(Screen(101, 101), 0x000000u);  // black is an ordinary colour here
  ASSERT_EQ(DrawGraphAt(100, 100, handle, FALSE), 0);
  EXPECT_EQ(Screen(100, 100), 0xFF00FFu);
  // Read back, an image without alpha has none.
  EXPECT_EQ(GraphicPixel(handle, 0, 0), 0xFFFF00FFu);
}

TEST_P(GraphicLoadTest, MemoryAndPixelArraysMakeTheSameGraphicAsTheFile) {
  const Bytes png = PngOf(3, 2, Translucent, true);
  const int fromMemory = LoadGraphicFromMemory(png.data(), static_cast<int>(png.size()));
  const int fromPixels = CreateGraphicFromPixels(3, 2, Translucent.data(), TRUE);
  const int opaque = CreateGraphicFromPixels(3, 2, Translucent.data(), FALSE);
  ASSERT_NE(fromMemory, -1);
  ASSERT_NE(fromPixels, -1);
  ASSERT_NE(opaque, -1);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(GraphicPixel(fromMemory, i % 3, i / 3), Translucent[i]);
    EXPECT_EQ(GraphicPixel(fromPixels, i % 3, i / 3), Translucent[i]);
    EXPECT_EQ(GraphicPixel(opaque, i % 3, i / 3), Translucent[i] | 0xFF000000u);
  }
}

TEST_P(GraphicLoadTest, ASheetSplitsIntoCellsRowByRow) {
  // 4 × 2 cells of 3 × 2 pixels, each cell one colour.
  const std::uint32_t colours[8] = {0xFF100000, 0xFF200000, 0xFF300000, 0xFF400000,
                                    0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040};
  Pixels sheet(12 * 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 12; ++x) sheet[y * 12 + x] = colours[(y / 2) * 4 + x / 3];
  }
  WriteBytes("sheet.png", PngOf(12, 4, sheet, false));
  int handles[8];
  ASSERT_EQ(LoadSplitGraphic("sheet.png", 7, 4, 2, 3, 2, handles), 0);
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    int width = 0, height = 0;
    GetGraphicSize(handles[i], &width, &height);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(GraphicPixel(handles[i], 0, 0), colours[i]);
    EXPECT_EQ(GraphicPixel(handles[i], 2, 1), colours[i]);
  }
  // Each cell draws only itself.
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(50, 50, handles[5], FALSE), 0);
  EXPECT_EQ(Screen(52, 51), colours[5] & 0xFFFFFF);
  EXPECT_EQ(Screen(53, 51), 0u);

  // Refusals leave no handle behind.
  struct Bad {
    const char* what;
    int count, columns, rows, width, height;
  };
  const Bad bad[] = {{"more cells than the grid", 9, 4, 2, 3, 2},
                     {"cells wider than the sheet", 4, 4, 1, 4, 2},
                     {"rows taller than the sheet", 8, 4, 2, 3, 3},
                     {"no cells", 0, 4, 2, 3, 2},
                     {"empty cell", 2, 4, 2, 0, 2}};
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.what);
    int out[9] = {};
    EXPECT_EQ(LoadSplitGraphic("sheet.png", b.count, b.columns, b.rows, b.width, b.height, out), -1);
    for (int i = 0; i < b.count && i < 9; ++i) EXPECT_EQ(out[i], -1);
  }
  EXPECT_EQ(LoadSplitGraphic("sheet.png", 2, 2, 1, 3, 2, nullptr), -1);
  EXPECT_EQ(LoadSplitGraphic("missing.png", 2, 2, 1, 3, 2, handles), -1);
}

TEST_P(GraphicLoadTest, ReplacedPixelsReachOnlyTheGraphicsRectangle) {
  Pixels black(16, 0xFF000000);
  const int whole = CreateGraphicFromPixels(4, 4, black.data(), FALSE);
  const int part = CreateDerivedGraphic(1, 1, 2, 2, whole);
  ASSERT_NE(part, -1);
  const Pixels four = {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C};
  ASSERT_EQ(ReplaceGraphicPixels(part, four.data()), 0);
  EXPECT_EQ(GraphicPixel(whole, 0, 0), 0xFF000000u);
  EXPECT_EQ(GraphicPixel(whole, 1, 1), 0xFF010203u);
  EXPECT_EQ(GraphicPixel(whole, 2, 2), 0xFF0A0B0Cu);
  EXPECT_EQ(GraphicPixel(whole, 3, 3), 0xFF000000u);
  EXPECT_EQ(GraphicPixel(part, 1, 0), 0xFF040506u);
  // Drawn with transparency, replaced pixels follow the image's transparent colour (black).
  ClearScreen();
  SetClearColor(0, 0, 200);
  ClearScreen();
  ASSERT_EQ(DrawGraphAt(0, 0, whole, TRUE), 0);
  EXPECT_EQ(Screen(0, 0), 0x0000C8u);
  EXPECT_EQ(Screen(1, 1), 0x010203u);
  EXPECT_EQ(ReplaceGraphicPixels(part, nullptr), -1);
  EXPECT_EQ(ReplaceGraphicPixels(0x7FFFFFFF, four.data()), -1);
}

TEST_P(GraphicLoadTest, BadFilesAndArgumentsAreRefusedWithALogLine) {
  WriteBytes("broken.png", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
  const int live = GraphicTable.liveCount;
  fake::ClearDebugOutput();
  EXPECT_EQ(LoadGraphic("missing.png"), -1);
  EXPECT_TRUE(Logged("ファイルを開けませんでした"));
  EXPECT_EQ(LoadGraphic("broken.png"), -1);
  EXPECT_TRUE(Logged("画像の読み込みに失敗しました"));
  WriteBytes("fine.png", PngOf(3, 2, Translucent, true));
  fake::SetFailure(fake::Failure::ReadFile, true);
  EXPECT_EQ(LoadGraphic("fine.png"), -1);
  EXPECT_TRUE(Logged("ファイルの読み込みに失敗しました"));
  fake::SetFailure(fake::Failure::ReadFile, false);
  EXPECT_EQ(LoadGraphic(nullptr), -1);
  EXPECT_EQ(LoadGraphicFromMemory(nullptr, 10), -1);
  const Bytes png = PngOf(3, 2, Translucent, true);
  EXPECT_EQ(LoadGraphicFromMemory(png.data(), 0), -1);
  EXPECT_EQ(LoadGraphicFromMemory(png.data(), 20), -1);
  EXPECT_EQ(CreateGraphicFromPixels(0, 2, Translucent.data(), TRUE), -1);
  EXPECT_EQ(CreateGraphicFromPixels(3, 2, nullptr, TRUE), -1);
  EXPECT_EQ(CreateGraphicFromPixels(20000, 2, Translucent.data(), TRUE), -1);
  EXPECT_EQ(GraphicTable.liveCount, live) << "a refused load left a graphic";
  // Pixels out of range or of no target.
  EXPECT_EQ(ReadPixel(ScreenBack, 800, 0, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(ReadPixel(ScreenBack, 0, -1, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(ReadPixel(12345, 0, 0, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(SaveScreenPng(nullptr), -1);
  EXPECT_EQ(SaveScreenPng("no-such-directory/shot.png"), -1);
  EXPECT_EQ(SaveGraphicPng(-1, "g.png"), -1);
}

TEST_P(GraphicLoadTest, TheScreenAndGraphicsAreSavedAsPng) {
  SetClearColor(0x11, 0x22, 0x33);
  ClearScreen();
  const int handle = CreateGraphicFromPixels(3, 2, Translucent.data(), TRUE);
  ASSERT_EQ(DrawGraphAt(5, 6, handle, FALSE), 0);
  ASSERT_EQ(SaveScreenPng("shot.png"), 0);
  ASSERT_EQ(SaveGraphicPng(handle, "graphic.png"), 0);
  const std::string shot = test_support::ReadFile("shot.png"), graphic = test_support::ReadFile("graphic.png");
  ImageRecord decoded{};
  ASSERT_EQ(DecodeImage(reinterpret_cast<const std::uint8_t*>(shot.data()), shot.size(), &decoded), 0);
  EXPECT_EQ(decoded.width, 800);
  EXPECT_EQ(decoded.height, 600);
  EXPECT_EQ(decoded.hasAlpha, 0);
  EXPECT_EQ(decoded.pixels[0], 0xFF112233u);
  EXPECT_EQ(decoded.pixels[6 * 800 + 5], 0xFFFF0000u);
  EXPECT_EQ(decoded.pixels[7 * 800 + 7], 0xFF808080u);
  ReleaseImageRecord(&decoded);
  ASSERT_EQ(DecodeImage(reinterpret_cast<const std::uint8_t*>(graphic.data()), graphic.size(), &decoded), 0);
  EXPECT_EQ(decoded.hasAlpha, 1);
  EXPECT_EQ(Pixels(decoded.pixels, decoded.pixels + 6), Translucent);
  ReleaseImageRecord(&decoded);
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, GraphicLoadTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Hardware" : "Software"; });

TEST_F(ImageEngineTest, NothingLoadsBeforeTheEngineStarts) {
  const Bytes png = PngOf(3, 2, Translucent, true);
  EXPECT_EQ(LoadGraphicFromMemory(png.data(), static_cast<int>(png.size())), -1);
  EXPECT_EQ(CreateGraphicFromPixels(3, 2, Translucent.data(), TRUE), -1);
  EXPECT_EQ(ReadPixel(ScreenBack, 0, 0, nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(SaveScreenPng("shot.png"), -1);
}

// A display loss on the hardware back-end: loaded graphics come back with their pixels, a sheet's
// cells with theirs, a graphic drawn into comes back empty, and one whose file went away comes
// back empty with a log line.
TEST_F(ImageEngineTest, LoadedGraphicsSurviveADisplayLoss) {
  StartEngine(true);
  WriteBytes("sprite.png", PngOf(3, 2, Translucent, true));
  WriteBytes("gone.png", PngOf(3, 2, Translucent, false));
  const Bytes png = PngOf(3, 2, Translucent, true);
  const int fromFile = LoadGraphic("sprite.png");
  const int fromMemory = LoadGraphicFromMemory(png.data(), static_cast<int>(png.size()));
  const int fromPixels = CreateGraphicFromPixels(3, 2, Translucent.data(), TRUE);
  const int gone = LoadGraphic("gone.png");
  int cells[2];
  ASSERT_EQ(LoadSplitGraphic("sprite.png", 2, 2, 1, 1, 2, cells), 0);
  const Pixels replacement = {0xFF0000FF, 0xFF00FF00};
  const int replaced = LoadGraphic("sprite.png");
  const int replacedPart = CreateDerivedGraphic(1, 0, 1, 2, replaced);
  ASSERT_EQ(ReplaceGraphicPixels(replacedPart, replacement.data()), 0);
  SetCreateDrawTarget(TRUE);
  const int drawn = CreateEmptyGraphic(4, 4);
  SetCreateDrawTarget(FALSE);
  ASSERT_EQ(SelectDrawTarget(drawn), 0);
  SetClearColor(255, 255, 255);
  ClearScreen();
  SelectDrawTarget(ScreenBack);
  ASSERT_EQ(GraphicPixel(drawn, 0, 0) & 0xFFFFFF, 0xFFFFFFu);
  std::filesystem::remove("gone.png");

  ASSERT_EQ(ReleaseGraphic(-5), -1);
  const std::string lastError = GetLastErrorText();
  fake::ClearDebugOutput();
  ASSERT_EQ(RestoreGraphics(), 0);
  EXPECT_TRUE(Logged("グラフィックを復帰します"));
  EXPECT_TRUE(Logged("グラフィックを復帰できませんでした"));
  EXPECT_EQ(GetLastErrorText(), lastError) << "the file that went away is no failure of the program's call";
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(GraphicPixel(fromFile, i % 3, i / 3), Translucent[i]);
    EXPECT_EQ(GraphicPixel(fromMemory, i % 3, i / 3), Translucent[i]);
    EXPECT_EQ(GraphicPixel(fromPixels, i % 3, i / 3), Translucent[i]);
  }
  EXPECT_EQ(GraphicPixel(cells[1], 0, 1), Translucent[4]);
  EXPECT_EQ(GraphicPixel(replaced, 0, 0), Translucent[0]);
  EXPECT_EQ(GraphicPixel(replaced, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(GraphicPixel(drawn, 0, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(GraphicPixel(gone, 0, 0) & 0xFFFFFF, 0u);
}

}  // namespace
