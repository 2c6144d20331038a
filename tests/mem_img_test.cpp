#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "color/color_data.h"
#include "graphics/soft/mem_img.h"
#include "graphics/soft/mem_img_derived.h"
#include "graphics/soft/mem_img_transfer.h"
#include "graphics/soft/pixel_convert.h"

namespace {

// A zeroed view that releases itself.
struct Image {
  MEMIMG view;
  Image() { std::memset(&view, 0, sizeof view); }
  ~Image() { ReleaseMemImg(&view); }
  MemImgShared* shared() const { return view.shared; }
  std::uint32_t pixel32(int x, int y) const {
    std::uint32_t v;
    std::memcpy(&v, view.pixels + y * shared()->pitch + 4 * x, 4);
    return v;
  }
  std::uint16_t pixel16(int x, int y) const {
    std::uint16_t v;
    std::memcpy(&v, view.pixels + y * shared()->pitch + 2 * x, 2);
    return v;
  }
};

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ClipRect, ClampsIntoTheClipRectangle) {
  struct Case {
    Rect in, expected;
  };
  const Case cases[] = {
      {{10, 10, 5, 20}, {10, 10, 10, 20}},   // inverted width becomes zero width
      {{-50, -50, -10, -10}, {0, 0, 0, 0}},  // wholly outside
      {{-5, 20, 150, 30}, {0, 20, 100, 30}}, {{200, 200, 300, 300}, {100, 100, 100, 100}},
      {{20, 30, 40, 10}, {20, 30, 40, 30}},  {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, 100, 100}},
  };
  const Rect clip{0, 0, 100, 100};
  for (const Case& c : cases) {
    Rect r = c.in;
    EXPECT_EQ(ClipRect(&r, &clip), 0);
    EXPECT_TRUE(SameRect(r, c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST(CreateMemImg, PitchAndPitchShift) {
  struct Case {
    int width, pitch, colorType, paletted, alpha;
    int expectedPitch, expectedShift;
  };
  const Case cases[] = {
      {800, -1, Color32, 0, 0, 3200, -1}, {256, -1, Color32, 0, 0, 1024, 10}, {3, -1, Color16, 0, 0, 16, -1},
      {4, -1, Color16, 0, 0, 16, -1},     {4, -1, Color32, 0, 0, 16, 4},      {4, -1, Color16, 0, 1, 16, 4},
      {16, -1, Color32, 1, 0, 16, 4},     {8, -1, Gray16, 1, 1, 16, 4},       {10, 4096, Color32, 0, 0, 4096, 12},
      {10, 48, Color32, 0, 0, 48, -1},    {0, -1, Color32, 0, 0, 0, -1},
  };
  for (const Case& c : cases) {
    Image image;
    ASSERT_EQ(CreateMemImg(&image.view, c.width, 2, c.pitch, 0, c.colorType, c.paletted, c.alpha, 0, nullptr), 0);
    EXPECT_EQ(image.shared()->pitch, c.expectedPitch) << c.width << " type " << c.colorType;
    EXPECT_EQ(image.shared()->pitchShift, c.expectedShift) << c.width << " type " << c.colorType;
    EXPECT_EQ(image.shared()->colorData,
              ColorDataForMemImg(c.colorType, image.shared()->hasAlpha, image.shared()->paletted));
  }
}

TEST(CreateMemImg, SettlesFlagsAndAllocatesExtras) {
  Image grey, paletted, alpha, plain;
  ASSERT_EQ(CreateMemImg(&grey.view, 4, 4, -1, 0, Gray8, 1, 1, 1, nullptr), 0);
  EXPECT_EQ(grey.shared()->paletted, 0);
  EXPECT_EQ(grey.shared()->hasAlpha, 0);
  EXPECT_EQ(grey.shared()->runCodes, nullptr);  // Gray8 never has run codes
  ASSERT_EQ(CreateMemImg(&paletted.view, 4, 4, -1, 0, Color32, 1, 1, 1, nullptr), 0);
  EXPECT_EQ(paletted.shared()->hasAlpha, 0);
  ASSERT_NE(paletted.shared()->palette, nullptr);
  EXPECT_EQ(paletted.shared()->paletteWork, paletted.shared()->palette + 1024);
  ASSERT_EQ(CreateMemImg(&alpha.view, 4, 4, -1, 0, Color32, 0, 1, 1, nullptr), 0);
  EXPECT_NE(alpha.view.premultiplied, nullptr);
  EXPECT_NE(alpha.shared()->runCodes, nullptr);
  ASSERT_EQ(CreateMemImg(&plain.view, 4, 4, -1, 0, Color32, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(plain.shared()->palette, nullptr);
  EXPECT_EQ(plain.shared()->premultipliedBuffer, nullptr);
  EXPECT_EQ(plain.shared()->runCodes, nullptr);
}

TEST(CreateMemImg, Refusals) {
  Image image;
  ASSERT_EQ(CreateMemImg(&image.view, 4, 4, -1, 0, Color32, 0, 0, 0, nullptr), 0);
  const MEMIMG before = image.view;
  EXPECT_EQ(CreateMemImg(&image.view, 8, 8, -1, 0, Color16, 0, 0, 0, nullptr), -1);
  // Every byte, padding included, as the copy made it.
  EXPECT_EQ(std::memcmp(&before, &image.view, sizeof before), 0);  // NOLINT(bugprone-suspicious-memory-comparison)
  EXPECT_EQ(image.shared()->refCount, 1);

  struct Case {
    int width, height, pitch, colorType;
  };
  const Case refused[] = {{4, 4, -1, 4},        {-1, 4, -1, Color32}, {4, -1, -1, Color32},
                          {10, 4, 39, Color32}, {10, 4, -8, Color16}, {0x7FFFFFFF, 1, -1, Color32}};
  for (const Case& c : refused) {
    Image other;
    EXPECT_EQ(CreateMemImg(&other.view, c.width, c.height, c.pitch, 0, c.colorType, 0, 0, 0, nullptr), -1)
        << c.width << " " << c.pitch;
    EXPECT_EQ(other.view.validMark, 0u);
    EXPECT_EQ(IsMemImgValid(&other.view), 0);
  }
}

TEST(MemImgViews, SharingAndRelease) {
  Image image, view, outside;
  ASSERT_EQ(CreateMemImg(&image.view, 10, 10, -1, 0, Color32, 0, 1, 1, nullptr), 0);
  MakeMemImgView(&view.view, &image.view, 2, 3, 8, 7);
  ASSERT_EQ(IsMemImgValid(&view.view), 1);
  EXPECT_EQ(view.view.pixels, image.view.pixels + 3 * image.shared()->pitch + 8);
  EXPECT_EQ(view.view.premultiplied, image.view.premultiplied + 3 * image.shared()->pitch + 8);
  EXPECT_EQ(image.shared()->refCount, 2);

  // One pixel past the right or bottom edge, or a negative origin, leaves the destination alone.
  const int refused[][4] = {{3, 0, 8, 1}, {0, 4, 1, 7}, {-1, 0, 1, 1}, {0, 0, 11, 1}};
  for (const auto& r : refused) {
    MakeMemImgView(&outside.view, &image.view, r[0], r[1], r[2], r[3]);
    EXPECT_EQ(outside.view.validMark, 0u);
  }
  EXPECT_EQ(image.shared()->refCount, 2);

  FillMemImg(&image.view, nullptr, 0x11223344);
  ReleaseMemImg(&image.view);
  EXPECT_EQ(image.view.validMark, 0u);
  EXPECT_EQ(image.view.shared, nullptr);
  EXPECT_EQ(view.shared()->refCount, 1);
  EXPECT_EQ(view.pixel32(7, 6), 0x11223344u);  // the other view keeps the pixels
  ReleaseMemImg(&image.view);                  // uninitialised: nothing happens
}

TEST(FillMemImg, ClipsAndWritesThePixelSize) {
  Image image32, image16, image8;
  ASSERT_EQ(CreateMemImg(&image32.view, 6, 4, -1, 0, Color32, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(CreateMemImg(&image16.view, 6, 4, -1, 0, Color16, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(CreateMemImg(&image8.view, 6, 4, -1, 0, Gray8, 0, 0, 0, nullptr), 0);
  for (Image* image : {&image32, &image16, &image8}) {
    FillMemImg(&image->view, nullptr, 0);
    const Rect outside{-10, -10, -1, 3};
    FillMemImg(&image->view, &outside, 0xFFFFFFFF);
    const Rect partial{4, -5, 100, 2};
    FillMemImg(&image->view, &partial, 0xAABBCCDD);
  }
  // Rows that start and end off a 4-byte boundary.
  Image odd16;
  ASSERT_EQ(CreateMemImg(&odd16.view, 7, 2, -1, 0, Color16, 0, 0, 0, nullptr), 0);
  FillMemImg(&odd16.view, nullptr, 0);
  const Rect middle{1, 0, 6, 2};
  FillMemImg(&odd16.view, &middle, 0xBEEF);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(odd16.pixel16(x, 1), x >= 1 && x < 6 ? 0xBEEF : 0) << x;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool in = x >= 4 && y < 2;
      EXPECT_EQ(image32.pixel32(x, y), in ? 0xAABBCCDDu : 0u);
      EXPECT_EQ(image16.pixel16(x, y), in ? 0xCCDDu : 0u);
      EXPECT_EQ(image8.view.pixels[y * image8.shared()->pitch + x], in ? 0xDD : 0);
    }
  }
}

// Full rows of an image without row padding are filled as one run; only those rows change.
TEST(FillMemImg, WholeRowsOfAnUnpaddedImage) {
  for (int type : {Color16, Color32}) {
    Image image;
    ASSERT_EQ(CreateMemImg(&image.view, 8, 5, -1, 0, type, 0, 0, 0, nullptr), 0);  // 16 or 32 bytes a row
    FillMemImg(&image.view, nullptr, 0);
    const Rect rows{0, 1, 8, 4};
    FillMemImg(&image.view, &rows, 0x12345678);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool in = y >= 1 && y < 4;
        if (type == Color16) {
          EXPECT_EQ(image.pixel16(x, y), in ? 0x5678 : 0) << x << "," << y;
        } else {
          EXPECT_EQ(image.pixel32(x, y), in ? 0x12345678u : 0u) << x << "," << y;
        }
      }
    }
  }
}

// A decoded XRGB image of the given pixels, one row each.
struct Decoded {
  std::vector<std::uint32_t> pixels;
  DecodedImage image;
  Decoded(int width, int height, std::vector<std::uint32_t> values, bool alpha = false) : pixels(std::move(values)) {
    std::memset(&image, 0, sizeof image);
    image.width = width;
    image.height = height;
    image.pitch = width * 4;
    image.pixels = reinterpret_cast<const std::uint8_t*>(pixels.data());
    alpha ? FillArgb32ColorData(&image.format) : FillXrgb32ColorData(&image.format);
  }
};

std::vector<std::uint8_t> RunCodesOf(const MemImgShared* shared, int rows) {
  std::vector<std::uint8_t> codes;
  const std::uint8_t* p = shared->runCodes;
  for (int row = 0; row < rows; ++p) {
    codes.push_back(*p);
    if (*p == RunEnd) ++row;
  }
  return codes;
}

TEST(RunCodes, ClassesAndRunLengths) {
  struct Case {
    const char* what;
    int colorType, alpha;
    std::uint32_t transColor;
    std::vector<std::uint32_t> row;  // Color32 ARGB values; for Color16 the decoded colour
    std::vector<std::uint8_t> expected;
  };
  std::vector<std::uint32_t> transparent130(130, 0xFF000000);
  std::vector<std::uint32_t> mixed = {0x00000000, 0xFF102030, 0xFF102030, 0x80102030, 0x00FFFFFF};
  const Case cases[] = {
      {"130 transparent pixels", Color32, 0, 0xFF000000, transparent130, {0x3F, 0x3F, 0x01, 0xC0}},
      {"opaque then transparent", Color32, 0, 0xFF000000, {0xFF010101, 0xFF000000, 0xFF000000}, {0x40, 0x01, 0xC0}},
      {"alpha classes", Color32, 1, 0, mixed, {0x00, 0x41, 0x80, 0x00, 0xC0}},
      {"5:6:5 with alpha", Color16, 1, 0, mixed, {0x00, 0x41, 0x80, 0x00, 0xC0}},
      {"5:6:5 against its colour key", Color16, 0, 0xF800, {0xFFFF0000, 0xFF00FF00}, {0x00, 0x40, 0xC0}},
  };
  for (const Case& c : cases) {
    const int width = static_cast<int>(c.row.size());
    Image image;
    ASSERT_EQ(CreateMemImg(&image.view, width, 2, -1, c.transColor, c.colorType, 0, c.alpha, 1, nullptr), 0);
    std::vector<std::uint32_t> both = c.row;
    both.insert(both.end(), c.row.begin(), c.row.end());
    Decoded decoded(width, 2, both, c.alpha != 0);
    ASSERT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &image.view, 0, 0, width, 2, 0, 0, 0), 0) << c.what;
    EXPECT_EQ(image.shared()->runCodesValid, 1) << c.what;
    std::vector<std::uint8_t> twice = c.expected;
    twice.insert(twice.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(RunCodesOf(image.shared(), 2), twice) << c.what;
  }
}

TEST(RunCodes, PalettedImagesCompareIndices) {
  Image image;
  ASSERT_EQ(CreateMemImg(&image.view, 4, 1, -1, 7, Color32, 1, 0, 1, nullptr), 0);
  const std::uint8_t indices[4] = {7, 7, 2, 7};
  std::memcpy(image.view.pixels, indices, 4);
  BuildRunCodes(image.shared());
  EXPECT_EQ(RunCodesOf(image.shared(), 1), (std::vector<std::uint8_t>{0x01, 0x40, 0x00, 0xC0}));
}

TEST(PremultipliedCopy, BothPixelSizes) {
  Image argb, rgb565a;
  ASSERT_EQ(CreateMemImg(&argb.view, 2, 1, -1, 0, Color32, 0, 1, 1, nullptr), 0);
  ASSERT_EQ(CreateMemImg(&rgb565a.view, 2, 1, -1, 0, Color16, 0, 1, 1, nullptr), 0);
  Decoded decoded(2, 1, {0x80FF4020, 0xFFFFFFFF}, true);
  ASSERT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &argb.view, 0, 0, 2, 1, 0, 0, 0), 0);
  ASSERT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &rgb565a.view, 0, 0, 2, 1, 0, 0, 0), 0);
  EXPECT_EQ(argb.shared()->premultipliedValid, 1);
  std::uint32_t p[2];
  std::memcpy(p, argb.view.premultiplied, 8);
  EXPECT_EQ(p[0], 0x807F2010u);  // each colour byte × 0x80 >> 8
  EXPECT_EQ(p[1], 0xFFFEFEFEu);
  EXPECT_EQ(rgb565a.pixel32(0, 0), 0xFF80FA04u);  // 5:6:5 of (255, 64, 32), alpha 0x80, filler set
  std::memcpy(p, rgb565a.view.premultiplied, 8);
  // 0xFA04: blue 4 × 128 >> 8 = 2, green 0x10 × 128 >> 8 = 8, red 31 × 128 >> 8 = 15.
  EXPECT_EQ(p[0], 0x00807902u);
}

TEST(LoadMemImgPixels, PalettesAndPartialTransfers) {
  std::vector<std::uint8_t> indices = {0, 3, 5, 1};
  DecodedImage image;
  std::memset(&image, 0, sizeof image);
  image.width = 4;
  image.height = 1;
  image.pitch = 4;
  image.pixels = indices.data();
  FillPalettedColorData(&image.format);
  image.format.palette[5] = {0x18, 0x80, 0xF0, 0};  // blue, green, red
  for (int colorType : {Color32, Color16}) {
    Image target;
    ASSERT_EQ(CreateMemImg(&target.view, 4, 1, -1, 0, colorType, 1, 0, 1, nullptr), 0);
    ASSERT_EQ(LoadMemImgPixels(&image, nullptr, &target.view, 0, 0, 4, 1, 0, 0, 0), 0);
    EXPECT_EQ(target.shared()->paletteCount, 6);
    EXPECT_EQ(std::memcmp(target.view.pixels, indices.data(), 4), 0);
    std::uint32_t entry;
    std::memcpy(&entry, target.shared()->palette + 20, 4);
    EXPECT_EQ(entry, colorType == Color32 ? 0xF08018u : 0xF403u);  // (30 << 11) | (32 << 5) | 3
    EXPECT_EQ(std::memcmp(target.shared()->palette, target.shared()->paletteWork, 1024), 0);
    EXPECT_EQ(target.shared()->runCodesValid, 1);
  }

  Decoded decoded(2, 2, {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC});
  Image target;
  ASSERT_EQ(CreateMemImg(&target.view, 3, 3, -1, 0, Color32, 0, 0, 1, nullptr), 0);
  ASSERT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &target.view, 1, 0, 1, 2, 2, 1, 0), 0);
  EXPECT_EQ(target.pixel32(2, 1), 0xFF445566u);
  EXPECT_EQ(target.pixel32(2, 2), 0xFFAABBCCu);
  EXPECT_EQ(target.shared()->runCodesValid, 0);  // not the whole image
  // Rectangles that do not fit either image are refused.
  EXPECT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &target.view, 1, 0, 2, 1, 0, 0, 0), -1);
  EXPECT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &target.view, 0, 0, 2, 2, 2, 2, 0), -1);
  EXPECT_EQ(LoadMemImgPixels(&decoded.image, nullptr, &target.view, 0, 0, -1, 2, 0, 0, 0), -1);
  EXPECT_EQ(LoadMemImgPixels(nullptr, nullptr, &target.view, 0, 0, 1, 1, 0, 0, 0), -1);
  DecodedImage shortRows = decoded.image;
  shortRows.pitch = 4;  // one pixel per row of a two-pixel-wide image
  EXPECT_EQ(LoadMemImgPixels(&shortRows, nullptr, &target.view, 0, 0, 1, 1, 0, 0, 0), -1);
}

TEST(LoadMemImgPixels, AlphaImageTransparencyAndGrey) {
  Decoded colour(2, 1, {0xFF00FF00, 0xFF123456});
  Decoded mask(2, 1, {0x00000040, 0x000000FF});
  Image target;
  ASSERT_EQ(CreateMemImg(&target.view, 2, 1, -1, 0, Color32, 0, 1, 0, nullptr), 0);
  ASSERT_EQ(LoadMemImgPixels(&colour.image, &mask.image, &target.view, 0, 0, 2, 1, 0, 0, 0), 0);
  EXPECT_EQ(target.pixel32(0, 0), 0x4000FF00u);
  EXPECT_EQ(target.pixel32(1, 0), 0xFF123456u);

  Image keyed;
  ASSERT_EQ(CreateMemImg(&keyed.view, 2, 1, -1, 0x00123456, Color32, 0, 1, 0, nullptr), 0);
  ASSERT_EQ(LoadMemImgPixels(&colour.image, nullptr, &keyed.view, 0, 0, 2, 1, 0, 0, 1), 0);
  EXPECT_EQ(keyed.pixel32(0, 0), 0xFF00FF00u);
  EXPECT_EQ(keyed.pixel32(1, 0), 0x00123456u);

  Image grey;
  ASSERT_EQ(CreateMemImg(&grey.view, 2, 1, -1, 0, Gray16, 0, 0, 0, nullptr), 0);
  Decoded white(2, 1, {0xFFFFFFFF, 0xFF000000});
  ASSERT_EQ(LoadMemImgPixels(&white.image, nullptr, &grey.view, 0, 0, 2, 1, 0, 0, 0), 0);
  EXPECT_EQ(grey.pixel16(0, 0), 0xFFFF);
  EXPECT_EQ(grey.pixel16(1, 0), 0);
}

// Primaries survive a trip from XRGB into every format and back.
TEST(ConvertPixels, EveryFormatRoundTripsPrimaries) {
  std::vector<const ColorData*> formats;
  for (std::uint32_t code : {20u, 21u, 22u, 23u, 24u, 25u, 26u, 27u, 29u, 30u, 31u, 32u, 33u, 35u}) {
    formats.push_back(ColorDataForSurfaceFormat(code));
  }
  formats.push_back(ColorDataForMemImg(Color16, 0, 0));
  formats.push_back(ColorDataForMemImg(Color16, 1, 0));
  formats.push_back(ColorDataForMemImg(Color32, 1, 0));
  ColorData xrgb;
  FillXrgb32ColorData(&xrgb);
  const std::uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000};
  for (const ColorData* format : formats) {
    ASSERT_NE(format, nullptr);
    std::uint8_t middle[5 * 4] = {};
    std::uint32_t back[5] = {};
    const PixelSurface from{reinterpret_cast<const std::uint8_t*>(colours), 20, &xrgb, nullptr};
    ASSERT_EQ(ConvertPixels(from, middle, 20, format, nullptr, 5, 1, ConvertOptions{}), 0);
    const PixelSurface there{middle, 20, format, nullptr};
    ASSERT_EQ(ConvertPixels(there, reinterpret_cast<std::uint8_t*>(back), 20, &xrgb, nullptr, 5, 1, ConvertOptions{}),
              0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(back[i], colours[i]) << format->bitsPerPixel << " bits, " << i;
  }
  // Block-compressed data and a palette-index side without a palette are refused.
  ColorData compressed = xrgb;
  compressed.compression = 1;
  const PixelSurface bad{reinterpret_cast<const std::uint8_t*>(colours), 20, &compressed, nullptr};
  std::uint32_t out[5];
  EXPECT_LT(ConvertPixels(bad, reinterpret_cast<std::uint8_t*>(out), 20, &xrgb, nullptr, 5, 1, ConvertOptions{}), 0);
  ColorData paletted;
  FillPalettedColorData(&paletted);
  const PixelSurface noPalette{reinterpret_cast<const std::uint8_t*>(colours), 20, &paletted, nullptr};
  EXPECT_LT(ConvertPixels(noPalette, reinterpret_cast<std::uint8_t*>(out), 20, &xrgb, nullptr, 5, 1, ConvertOptions{}),
            0);
}

TEST(CopyMemImg, ConvertsClipsAndHandlesOverlap) {
  Image source, destination;
  ASSERT_EQ(CreateMemImg(&source.view, 4, 4, -1, 0, Color32, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(CreateMemImg(&destination.view, 3, 3, -1, 0, Color16, 0, 0, 0, nullptr), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const std::uint32_t v = x == y ? 0xFFFFFFFF : 0xFF000000;
      std::memcpy(source.view.pixels + y * source.shared()->pitch + 4 * x, &v, 4);
    }
  }
  FillMemImg(&destination.view, nullptr, 0x1234);
  EXPECT_EQ(CopyMemImg(&destination.view, &source.view, nullptr, -1, 1), 0);
  // Source (1..3, 0..1) lands at (0..2, 1..2).
  EXPECT_EQ(destination.pixel16(0, 0), 0x1234);
  EXPECT_EQ(destination.pixel16(0, 1), 0x0000);
  EXPECT_EQ(destination.pixel16(0, 2), 0xFFFF);
  EXPECT_EQ(destination.pixel16(1, 2), 0x0000);
  EXPECT_EQ(destination.pixel16(1, 1), 0x0000);
  const Rect far{100, 100, 200, 200};
  EXPECT_EQ(CopyMemImg(&destination.view, &source.view, &far, 0, 0), 0);
  EXPECT_EQ(CopyMemImg(&destination.view, &source.view, nullptr, INT32_MAX, INT32_MIN), 0);
  MEMIMG invalid;
  std::memset(&invalid, 0, sizeof invalid);
  EXPECT_EQ(CopyMemImg(&invalid, &source.view, nullptr, 0, 0), -1);

  // Copying an image onto itself one pixel down and right moves the diagonal intact.
  EXPECT_EQ(CopyMemImg(&source.view, &source.view, nullptr, 1, 1), 0);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(source.pixel32(i, i), 0xFFFFFFFFu) << i;
  EXPECT_EQ(source.pixel32(2, 1), 0xFF000000u);
}

}  // namespace
