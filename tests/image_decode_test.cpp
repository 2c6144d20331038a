// The image readers against files the tests make: each format's variants decode to their known
// pixels; damaged, truncated and oversized files give -1 with a log line and leave nothing
// allocated.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/tracked_memory.h"
#include "image/image_decode.h"
#include "image_files.h"
#include "image_fixture.h"

namespace {

using image_files::Bytes;
using image_files::Pixels;

constexpr int W = 5, H = 3;
const std::uint32_t Palette[4] = {0xFF102030, 0xFFF0E0D0, 0xFF00FF00, 0xFF8040C0};

int Index(int x, int y, int colours) { return (x + 2 * y) % colours; }

Pixels PaletteImage(int colours, const std::uint32_t* palette = Palette) {
  Pixels out;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) out.push_back(palette[Index(x, y, colours)]);
  }
  return out;
}

// A translucent picture: every channel differs from pixel to pixel.
Pixels RgbaImage() {
  Pixels out;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      out.push_back(static_cast<std::uint32_t>((40 + 50 * x) << 24 | (10 + 60 * y) << 16 | (200 - 30 * x) << 8 |
                                               (5 + 20 * (x + y))));
    }
  }
  return out;
}

Pixels Opaque(Pixels pixels) {
  for (auto& p : pixels) p |= 0xFF000000u;
  return pixels;
}

// Rows of channel bytes, `channels` of each pixel picked by `pick`, at 8 or 16 bits.
std::vector<Bytes> PngRows(const Pixels& pixels, int depth,
                           const std::function<std::vector<int>(std::uint32_t)>& pick) {
  std::vector<Bytes> rows;
  for (int y = 0; y < H; ++y) {
    Bytes row;
    for (int x = 0; x < W; ++x) {
      for (int c : pick(pixels[y * W + x])) {
        if (depth == 16) row.push_back(static_cast<std::uint8_t>(c));  // c × 257: both bytes equal
        row.push_back(static_cast<std::uint8_t>(c));
      }
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<int> Rgb(std::uint32_t p) { return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)}; }
std::vector<int> Rgba(std::uint32_t p) {
  return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF), int(p >> 24)};
}
std::uint32_t Grey(int v, int a = 255) { return static_cast<std::uint32_t>(a << 24 | v << 16 | v << 8 | v); }

// Grey rows packed at 1, 2, 4 or 8 bits.
std::vector<Bytes> PackedRows(int depth, const std::function<int(int, int)>& value) {
  std::vector<Bytes> rows;
  for (int y = 0; y < H; ++y) {
    Bytes row((W * depth + 7) / 8, 0);
    for (int x = 0; x < W; ++x) {
      row[x * depth / 8] |= static_cast<std::uint8_t>(value(x, y) << (8 - depth - (x * depth) % 8));
    }
    rows.push_back(row);
  }
  return rows;
}

struct Case {
  std::string name;
  Bytes file;
  Pixels expected;
  int hasAlpha;
  int tolerance = 0;
  int width = W;
};

std::vector<Case> PngCases() {
  using image_files::Png;
  using image_files::PngLayout;
  const Pixels rgba = RgbaImage();
  std::vector<Case> cases;
  cases.push_back({"png rgb8", Png(W, H, {PNG_COLOR_TYPE_RGB, 8}, PngRows(rgba, 8, Rgb)), Opaque(rgba), 0});
  cases.push_back({"png rgba8", Png(W, H, {PNG_COLOR_TYPE_RGB_ALPHA, 8}, PngRows(rgba, 8, Rgba)), rgba, 1});
  cases.push_back({"png rgb16", Png(W, H, {PNG_COLOR_TYPE_RGB, 16}, PngRows(rgba, 16, Rgb)), Opaque(rgba), 0});
  cases.push_back({"png rgba16", Png(W, H, {PNG_COLOR_TYPE_RGB_ALPHA, 16}, PngRows(rgba, 16, Rgba)), rgba, 1});
  PngLayout interlaced{PNG_COLOR_TYPE_RGB_ALPHA, 8};
  interlaced.interlaced = true;
  cases.push_back({"png rgba8 interlaced", Png(W, H, interlaced, PngRows(rgba, 8, Rgba)), rgba, 1});
  Pixels grey8, grey1, grey4, greyAlpha, greyKeyed;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      grey8.push_back(Grey(17 * (x + 5 * y)));
      grey1.push_back(Grey((x + y) % 2 * 255));
      grey4.push_back(Grey(17 * ((x + 3 * y) % 16)));
      greyAlpha.push_back(Grey(20 * x, 40 * y + 10));
      greyKeyed.push_back(Grey(17 * (x + 5 * y), x + 5 * y == 3 ? 0 : 255));
    }
  }
  cases.push_back({"png grey8",
                   Png(W, H, {PNG_COLOR_TYPE_GRAY, 8},
                       PngRows(grey8, 8, [](std::uint32_t p) { return std::vector<int>{int(p & 0xFF)}; })),
                   grey8, 0});
  cases.push_back({"png grey1",
                   Png(W, H, {PNG_COLOR_TYPE_GRAY, 1}, PackedRows(1, [](int x, int y) { return (x + y) % 2; })), grey1,
                   0});
  cases.push_back({"png grey4",
                   Png(W, H, {PNG_COLOR_TYPE_GRAY, 4}, PackedRows(4, [](int x, int y) { return (x + 3 * y) % 16; })),
                   grey4, 0});
  cases.push_back({"png grey+alpha8",
                   Png(W, H, {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
                       PngRows(greyAlpha, 8,
                               [](std::uint32_t p) {
                                 return std::vector<int>{int(p & 0xFF), int(p >> 24)};
                               })),
                   greyAlpha, 1});
  PngLayout keyed{PNG_COLOR_TYPE_GRAY, 8};
  keyed.greyKey = 51;
  cases.push_back(
      {"png grey8 tRNS",
       Png(W, H, keyed, PngRows(greyKeyed, 8, [](std::uint32_t p) { return std::vector<int>{int(p & 0xFF)}; })),
       greyKeyed, 1});
  // Four colours at 2 bits, the second translucent through tRNS.
  const std::uint32_t translucent[4] = {Palette[0], 0x80F0E0D0, Palette[2], Palette[3]};
  PngLayout paletted{PNG_COLOR_TYPE_PALETTE, 2};
  paletted.palette.assign(translucent, translucent + 4);
  cases.push_back({"png palette2 tRNS", Png(W, H, paletted, PackedRows(2, [](int x, int y) { return Index(x, y, 4); })),
                   PaletteImage(4, translucent), 1});
  PngLayout palette8{PNG_COLOR_TYPE_PALETTE, 8};
  palette8.palette.assign(Palette, Palette + 4);
  cases.push_back({"png palette8", Png(W, H, palette8, PackedRows(8, [](int x, int y) { return Index(x, y, 4); })),
                   PaletteImage(4), 0});
  return cases;
}

std::vector<Case> JpegCases() {
  // Four flat quadrants of 8 × 8: each block decodes to its colour within rounding.
  Pixels blocks;
  const std::uint32_t colours[4] = {0xFFC04020, 0xFF2080E0, 0xFF10F010, 0xFF808080};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) blocks.push_back(colours[(y / 8) * 2 + x / 8]);
  }
  return {{"jpeg baseline", image_files::JpegBytes(16, 16, blocks, false, 100), blocks, 0, 4, 16},
          {"jpeg progressive", image_files::JpegBytes(16, 16, blocks, true, 100), blocks, 0, 4, 16}};
}

std::vector<Case> BmpCases() {
  using image_files::Bmp;
  using image_files::BmpLayout;
  using image_files::BmpRows;
  const Pixels rgba = RgbaImage(), opaque = Opaque(rgba);
  std::vector<std::uint32_t> rgb, indices4, indices2, r555, r565;
  for (std::size_t i = 0; i < rgba.size(); ++i) {
    const int x = static_cast<int>(i % W), y = static_cast<int>(i / W);
    rgb.push_back(rgba[i] & 0xFFFFFF);
    indices4.push_back(static_cast<std::uint32_t>(Index(x, y, 4)));
    indices2.push_back(static_cast<std::uint32_t>(Index(x, y, 2)));
  }
  // 5-bit channels k give k × 255 / 31; 6-bit ones k × 255 / 63.
  Pixels expected555, expected565;
  for (int i = 0; i < W * H; ++i) {
    const std::uint32_t r = i % 32, g = (3 * i) % 32, b = (31 - i) % 32, g6 = (5 * i) % 64;
    r555.push_back(r << 10 | g << 5 | b);
    r565.push_back(r << 11 | g6 << 5 | b);
    expected555.push_back(0xFF000000u | (r * 255 / 31) << 16 | (g * 255 / 31) << 8 | (b * 255 / 31));
    expected565.push_back(0xFF000000u | (r * 255 / 31) << 16 | (g6 * 255 / 63) << 8 | (b * 255 / 31));
  }
  std::vector<std::uint32_t> palette(Palette, Palette + 4);
  for (auto& c : palette) c &= 0xFFFFFF;
  std::vector<Case> cases;
  cases.push_back({"bmp 24", Bmp({W, H, 24}, BmpRows(W, H, 24, true, rgb)), opaque, 0});
  cases.push_back({"bmp 24 top-down", Bmp({W, -H, 24}, BmpRows(W, H, 24, false, rgb)), opaque, 0});
  cases.push_back({"bmp 32", Bmp({W, H, 32}, BmpRows(W, H, 32, true, rgb)), opaque, 0});
  BmpLayout alpha{W, H, 32, 3};
  const std::uint32_t argbMasks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  std::copy(argbMasks, argbMasks + 4, alpha.masks);
  cases.push_back({"bmp 32 alpha", Bmp(alpha, BmpRows(W, H, 32, true, rgba)), rgba, 1});
  cases.push_back({"bmp 16", Bmp({W, H, 16}, BmpRows(W, H, 16, true, r555)), expected555, 0});
  BmpLayout fields{W, H, 16, 3};
  fields.masks[0] = 0xF800, fields.masks[1] = 0x7E0, fields.masks[2] = 0x1F;
  cases.push_back({"bmp 16 565", Bmp(fields, BmpRows(W, H, 16, true, r565)), expected565, 0});
  BmpLayout eight{W, H, 8};
  eight.palette = palette;
  cases.push_back({"bmp 8", Bmp(eight, BmpRows(W, H, 8, true, indices4)), PaletteImage(4), 0});
  BmpLayout four{W, H, 4};
  four.palette = palette;
  cases.push_back({"bmp 4", Bmp(four, BmpRows(W, H, 4, true, indices4)), PaletteImage(4), 0});
  BmpLayout one{W, H, 1};
  one.palette = {palette[0], palette[1]};
  cases.push_back({"bmp 1", Bmp(one, BmpRows(W, H, 1, true, indices2)), PaletteImage(2), 0});
  BmpLayout core{W, H, 8};
  core.core = true;
  core.palette = palette;
  cases.push_back({"bmp 8 core header", Bmp(core, BmpRows(W, H, 8, true, indices4)), PaletteImage(4), 0});
  // RLE8, bottom row first: each row as a run and a literal, with a move over the middle row's
  // last two pixels (they keep colour 0).
  BmpLayout rle8{W, H, 8, 1};
  rle8.palette = palette;
  const Bytes rle8Data = {2, 3, 0, 3, 1, 2, 1, 0, 0, 0,  // row 2: 3 3 1 2 1
                          3, 2, 0, 2, 2, 0,              // row 1: 2 2 2, then move 2 right, 0 down
                          0, 0,                          // end of line
                          0, 5, 0, 1, 2, 3, 0, 0, 0, 0,  // row 0: literal 0 1 2 3 0, padded
                          0, 1};
  Pixels rle8Expected = {Palette[0], Palette[1], Palette[2], Palette[3], Palette[0], Palette[2], Palette[2], Palette[2],
                         Palette[0], Palette[0], Palette[3], Palette[3], Palette[1], Palette[2], Palette[1]};
  cases.push_back({"bmp rle8", Bmp(rle8, rle8Data), rle8Expected, 0});
  BmpLayout rle4{W, H, 4, 2};
  rle4.palette = palette;
  const Bytes rle4Data = {5, 0x12, 0,    0,                    // row 2: 1 2 1 2 1
                          5, 0x33, 0,    0,                    // row 1: 3 3 3 3 3
                          0, 5,    0x01, 0x23, 0x00, 0, 0, 0,  // row 0: literal 0 1 2 3 0, padded
                          0, 1};
  Pixels rle4Expected = {Palette[0], Palette[1], Palette[2], Palette[3], Palette[0], Palette[3], Palette[3], Palette[3],
                         Palette[3], Palette[3], Palette[1], Palette[2], Palette[1], Palette[2], Palette[1]};
  cases.push_back({"bmp rle4", Bmp(rle4, rle4Data), rle4Expected, 0});
  return cases;
}

std::vector<Case> TgaCases() {
  using image_files::Tga;
  const Pixels rgba = RgbaImage();
  // Pixels in file order: bottom row first unless the descriptor says top-down.
  auto data = [&](int bytes, bool topDown) {
    Bytes out;
    for (int row = 0; row < H; ++row) {
      const int y = topDown ? row : H - 1 - row;
      for (int x = 0; x < W; ++x) {
        const std::uint32_t p = rgba[y * W + x];
        for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(p >> (8 * k)));
      }
    }
    return out;
  };
  // Run-length: each row of the top-down picture as one literal packet, except that row 1 is a
  // run of its first pixel.
  Bytes rle;
  Pixels rleExpected = rgba;
  for (int y = 0; y < H; ++y) {
    if (y == 1) {
      rle.push_back(0x80 | (W - 1));
      for (int k = 0; k < 4; ++k) rle.push_back(static_cast<std::uint8_t>(rgba[W] >> (8 * k)));
      for (int x = 0; x < W; ++x) rleExpected[W + x] = rgba[W];
    } else {
      rle.push_back(W - 1);
      for (int x = 0; x < W; ++x) {
        for (int k = 0; k < 4; ++k) rle.push_back(static_cast<std::uint8_t>(rgba[y * W + x] >> (8 * k)));
      }
    }
  }
  Bytes grey;
  Pixels greyExpected;
  for (int i = 0; i < W * H; ++i) {
    grey.push_back(static_cast<std::uint8_t>(16 * i));
    greyExpected.push_back(Grey(16 * i));
  }
  Bytes map, indices;
  for (std::uint32_t c : Palette) {
    for (int k = 0; k < 3; ++k) map.push_back(static_cast<std::uint8_t>(c >> (8 * k)));
  }
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) indices.push_back(static_cast<std::uint8_t>(Index(x, y, 4)));
  }
  return {{"tga 24", Tga(2, W, H, 24, 0, {}, 0, 0, data(3, false)), Opaque(rgba), 0},
          {"tga 32", Tga(2, W, H, 32, 8, {}, 0, 0, data(4, false)), rgba, 1},
          {"tga 32 top-down", Tga(2, W, H, 32, 0x28, {}, 0, 0, data(4, true)), rgba, 1},
          {"tga 32 rle top-down", Tga(10, W, H, 32, 0x28, {}, 0, 0, rle), rleExpected, 1},
          {"tga grey top-down", Tga(3, W, H, 8, 0x20, {}, 0, 0, grey), greyExpected, 0},
          {"tga mapped top-down", Tga(1, W, H, 8, 0x20, map, 24, 4, indices), PaletteImage(4), 0}};
}

std::vector<Case> DdsCases() {
  using image_files::DdsFourCc;
  // One 4 × 4 block: colour 0 pure red, colour 1 pure blue; rows use indices 0, 1, 2, 3.
  const Bytes colourBlock = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
  const std::uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
  const std::uint32_t twoThirds = 0xFFAA0055, oneThird = 0xFF5500AA;
  Pixels four;
  for (int y = 0; y < 4; ++y) {
    for (std::uint32_t c : {red, blue, twoThirds, oneThird}) four.push_back(c);
  }
  // DXT1 with colour 0 ≤ colour 1: the third is the mean, the fourth transparent black.
  const Bytes threeColour = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xE4, 0xE4, 0xE4};
  Pixels three;
  for (int y = 0; y < 4; ++y) {
    for (std::uint32_t c : {blue, red, 0xFF7F007Fu, 0x00000000u}) three.push_back(c);
  }
  // DXT3: explicit alpha, 4 bits a pixel: 0x0, 0xF, 0x8, 0x1 along every row.
  Bytes dxt3 = {0xF0, 0x18, 0xF0, 0x18, 0xF0, 0x18, 0xF0, 0x18};
  dxt3.insert(dxt3.end(), colourBlock.begin(), colourBlock.end());
  Pixels dxt3Expected = four;
  const std::uint32_t alpha3[4] = {0x00, 0xFF, 0x88, 0x11};
  for (int i = 0; i < 16; ++i) dxt3Expected[i] = (four[i] & 0xFFFFFF) | alpha3[i % 4] << 24;
  // DXT5: alpha 255 and 0 with every pixel on index 0 or 1 by column.
  Bytes dxt5 = {0xFF, 0x00};
  std::uint64_t bits = 0;
  for (int i = 0; i < 16; ++i) bits |= static_cast<std::uint64_t>(i % 2) << (3 * i);
  for (int i = 0; i < 6; ++i) dxt5.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  dxt5.insert(dxt5.end(), colourBlock.begin(), colourBlock.end());
  Pixels dxt5Expected = four;
  for (int i = 0; i < 16; ++i) dxt5Expected[i] = (four[i] & 0xFFFFFF) | (i % 2 ? 0u : 0xFF000000u);
  // Uncompressed: 3 × 1 of A8R8G8B8 by masks.
  const std::uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  const Bytes raw = {0x01, 0x02, 0x03, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
  return {{"dds dxt1", DdsFourCc(4, 4, "DXT1", colourBlock), four, 0, 1, 4},
          {"dds dxt1 three-colour", DdsFourCc(4, 4, "DXT1", threeColour), three, 1, 1, 4},
          {"dds dxt3", DdsFourCc(4, 4, "DXT3", dxt3), dxt3Expected, 1, 1, 4},
          {"dds dxt5", DdsFourCc(4, 4, "DXT5", dxt5), dxt5Expected, 1, 1, 4},
          {"dds a8r8g8b8",
           image_files::DdsMasks(3, 1, 32, 0x41, masks, raw),
           {0x80030201, 0xFFFFFFFF, 0x00000000},
           1,
           0,
           3}};
}

std::vector<Case> AllCases() {
  std::vector<Case> all;
  for (auto make : {PngCases, JpegCases, BmpCases, TgaCases, DdsCases}) {
    for (Case& c : make()) all.push_back(std::move(c));
  }
  return all;
}

// The readers need no engine; it runs for its log.
class ImageDecodeTest : public ImageEngineTest {
 protected:
  void SetUp() override { StartEngine(false); }
};

int Channel(std::uint32_t p, int shift) { return static_cast<int>(p >> shift & 0xFF); }

TEST_F(ImageDecodeTest, EveryVariantDecodesToItsPixels) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(c.name);
    ImageRecord image{};
    ASSERT_EQ(DecodeImage(c.file.data(), c.file.size(), &image), 0);
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(static_cast<std::size_t>(image.width) * image.height, c.expected.size());
    EXPECT_EQ(image.hasAlpha, c.hasAlpha);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      for (int shift : {0, 8, 16, 24}) {
        ASSERT_NEAR(Channel(image.pixels[i], shift), Channel(c.expected[i], shift), c.tolerance)
            << "pixel " << i << std::hex << " got 0x" << image.pixels[i] << " want 0x" << c.expected[i];
      }
    }
    ReleaseImageRecord(&image);
  }
}

// Every proper prefix of every file is refused: no reader finishes an image from part of it.
TEST_F(ImageDecodeTest, TruncatedFilesAreRefused) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(c.name);
    for (std::size_t length = 0; length < c.file.size(); ++length) {
      Bytes cut(c.file.begin(), c.file.begin() + static_cast<std::ptrdiff_t>(length));
      ImageRecord image{};
      ASSERT_EQ(DecodeImage(cut.data(), cut.size(), &image), -1) << "length " << length;
      EXPECT_EQ(image.pixels, nullptr);
    }
  }
}

// Writes a big-endian 32-bit value and mends the chunk's CRC, so that only the value is wrong.
void SetPngHeaderField(Bytes& png, std::size_t offset, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) png[offset + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17));
  for (int k = 0; k < 4; ++k) png[29 + k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
}

TEST_F(ImageDecodeTest, DamagedAndOversizedFilesAreRefusedWithALogLine) {
  const std::vector<Case> cases = AllCases();
  auto file = [&](const std::string& name) {
    for (const Case& c : cases) {
      if (c.name == name) return c.file;
    }
    return Bytes{};
  };
  std::vector<std::pair<std::string, Bytes>> damaged;
  Bytes badCrc = file("png rgba8");
  badCrc[29] ^= 0x55;  // the header chunk's CRC
  damaged.push_back({"png with a wrong header CRC", badCrc});
  Bytes badIdat = file("png rgba8");
  badIdat[badIdat.size() - 20] ^= 0xFF;  // inside the compressed data
  damaged.push_back({"png with damaged image data", badIdat});
  Bytes huge = file("png rgb8");
  SetPngHeaderField(huge, 16, 100000);
  SetPngHeaderField(huge, 20, 100000);
  damaged.push_back({"png declaring 100000 x 100000", huge});
  Bytes wide = file("png rgb8");
  SetPngHeaderField(wide, 16, 16384);
  SetPngHeaderField(wide, 20, 16384);
  damaged.push_back({"png declaring 16384 x 16384 in a few bytes", wide});
  image_files::BmpLayout bigBmp{1000000, 1000000, 24};
  damaged.push_back({"bmp declaring 10^6 x 10^6", image_files::Bmp(bigBmp, Bytes(64, 0))});
  damaged.push_back({"tga declaring 65535 x 65535", image_files::Tga(2, 65535, 65535, 32, 8, {}, 0, 0, Bytes(64, 0))});
  damaged.push_back(
      {"tga rle declaring 65535 x 65535", image_files::Tga(10, 65535, 65535, 32, 8, {}, 0, 0, Bytes(64, 0x7F))});
  damaged.push_back({"dds declaring 100000 x 4", image_files::DdsFourCc(100000, 4, "DXT1", Bytes(64, 0))});
  Bytes jpeg = file("jpeg baseline");
  jpeg.resize(jpeg.size() / 2);
  damaged.push_back({"jpeg cut in half", jpeg});
  Bytes badHeader = file("jpeg baseline");
  std::fill(badHeader.begin() + 3, badHeader.begin() + 40, 0);  // no marker after the start
  damaged.push_back({"jpeg with a broken header", badHeader});
  damaged.push_back(
      {"unknown bytes", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', 0, 0, 0, 0, 0, 0, 0}});
  for (const auto& [name, bytes] : damaged) {
    SCOPED_TRACE(name);
    fake::ClearDebugOutput();
    ImageRecord image{};
    EXPECT_EQ(DecodeImage(bytes.data(), bytes.size(), &image), -1);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_TRUE(Logged("画像の読み込みに失敗しました"));
  }
}

}  // namespace
