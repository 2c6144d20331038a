#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "blit_test_support.h"
#include "graphics/soft/blend_graph.h"
#include "graphics/soft/blend_tables.h"
#include "graphics/soft/soft_blit.h"
#include "vornek.h"

namespace {

class Blit : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildSoftBlendTables();
    BuildBlendGraphTable(0, 0);
  }
  void TearDown() override { BuildBlendGraphTable(0, 0); }
};

constexpr Rect kWide{0, 0, 1000, 1000};

TEST_F(Blit, BlendGraphTableEntries) {
  struct Case {
    int param, range;
    int entry;
    int expected;
  };
  const Case cases[] = {
      {0, 0, 0, 255},     {0, 37, 200, 255}, {128, 0, 0, 0},     {128, 0, 127, 0},     {128, 0, 128, 128},
      {128, 0, 129, 255}, {128, 255, 0, 0},  {128, 255, 77, 77}, {128, 255, 255, 255}, {255, 0, 0, 0},
      {255, 0, 254, 0},   {255, 0, 255, 1},  {-5, 0, 10, 255},   {999, -3, 255, 1},  // inputs clamped
  };
  for (const Case& c : cases) {
    BuildBlendGraphTable(c.param, c.range);
    EXPECT_EQ(BlendGraphTable[c.entry], c.expected) << "P " << c.param << " R " << c.range << " entry " << c.entry;
  }
}

// One source pixel drawn onto one destination pixel.
struct PixelCase {
  const char* what;
  int colorType, alpha;
  int transparent, mode, param;
  std::uint32_t dst, src, expected;
};

TEST_F(Blit, SinglePixelResults) {
  const PixelCase cases[] = {
      {"alpha image, flag 0, none: overwritten, alpha ignored", Color32, 1, 0, BlendModeNone, 0, 0xFF102030, 0x40A0B0C0,
       0x40A0B0C0},
      {"alpha 255 copied exactly", Color32, 1, 1, BlendModeNone, 0, 0xFF000000, 0xFF123456, 0xFF123456},
      {"alpha 128 white over black", Color32, 1, 1, BlendModeNone, 0, 0xFF000000, 0x80FFFFFF, 0xFF7F7F7F},
      {"alpha 0 skipped", Color32, 1, 1, BlendModeNone, 0, 0xFF010203, 0x00FFFFFF, 0xFF010203},
      {"p 128 halves whole pixels, filler cleared", Color32, 0, 0, BlendModeAlpha, 128, 0xFF000000, 0xFFFFFFFF,
       0x007F7F7F},
      {"p 128 on 16-bit", Color16, 0, 0, BlendModeAlpha, 128, 0x0000, 0xFFFF, 0x7BEF},
      {"16-bit alpha through Mix63Table", Color16, 0, 0, BlendModeAlpha, 64, 0x0000, 0xFFFF, 0x3A07},
      {"p 255 add saturates every byte", Color32, 0, 0, BlendModeAdd, 255, 0xFF800001, 0x018000FF, 0xFFFF00FF},
      {"p 255 subtract saturates every byte", Color32, 0, 0, BlendModeSubtract, 255, 0x80800001, 0xFF0100FF,
       0x007F0000},
      {"scaled add leaves the carry out of red in the filler", Color32, 0, 0, BlendModeAdd, 254, 0x00FF0000, 0xFFFF0000,
       0x01FF0000},
      {"multiply", Color32, 0, 0, BlendModeMultiply, 0, 0xAA808080, 0x00FF8040, 0xAA7F4020},
      {"multiply, alpha 0 with flag 1 leaves the pixel", Color32, 1, 1, BlendModeMultiply, 0, 0x00808080, 0x00FFFFFF,
       0x00808080},
      {"multiply, alpha 128", Color32, 1, 1, BlendModeMultiply, 0, 0x00808080, 0x80FFFFFF, 0x003F3F3F},
      {"inverted alpha", Color32, 0, 0, BlendModeInvertedAlpha, 255, 0x00000000, 0x00FF00FF, 0x0000FE00},
      {"multiply alpha", Color32, 0, 0, BlendModeMultiplyAlpha, 255, 0x00FFFFFF, 0x00808080, 0x007F7F7F},
      {"16-bit alpha source keeps alpha in bits 16-23", Color16, 1, 1, BlendModeNone, 0, 0x0000, 0x80FFFF, 0x7BEF},
      {"alpha p 0 draws nothing", Color32, 0, 0, BlendModeAlpha, 0, 0x11223344, 0xFFFFFFFF, 0x11223344},
      {"add p 0 draws nothing", Color32, 0, 0, BlendModeAdd, 0, 0x11223344, 0xFFFFFFFF, 0x11223344},
      {"mode 7 draws nothing", Color32, 0, 0, 7, 255, 0x11223344, 0xFFFFFFFF, 0x11223344},
      {"mode 12 draws nothing", Color16, 0, 0, 12, 255, 0x1234, 0xFFFF, 0x1234},
  };
  for (const PixelCase& c : cases) {
    TestImage dst(1, 1, c.colorType), src(1, 1, c.colorType, 0, c.alpha);
    dst.set(0, 0, c.dst);
    src.set(0, 0, c.src);
    SoftDrawImage(dst.get(), src.get(), 0, 0, c.transparent, nullptr, DrawParams(kWide, c.mode, c.param));
    EXPECT_EQ(dst.at(0, 0), c.expected) << c.what;
  }
}

TEST_F(Blit, GraphAndBrightnessWeights) {
  BuildBlendGraphTable(128, 255);  // entry i = i
  TestImage graph(1, 1, Gray8);
  graph.set(0, 0, 128);
  struct Case {
    const char* what;
    int transparent, mode, param;
    std::uint8_t red;
    std::uint32_t src, expected;
  };
  const Case cases[] = {
      {"graph weight 128", 0, BlendModeNone, 0, 255, 0x00FFFFFF, 0xFF7F7F7F},
      {"graph and p multiply", 0, BlendModeAlpha, 128, 255, 0x00FFFFFF, 0xFF3F3F3F},  // 255 × 128 × 128 >> 16
      {"graph scales the added source; packed add drops the filler", 0, BlendModeAdd, 255, 255, 0x00FFFFFF, 0x007F7F7F},
      {"brightness (ScaleTable) before the graph weight", 0, BlendModeNone, 0, 128, 0x00FFFFFF, 0xFF407F7F},
  };
  for (const Case& c : cases) {
    TestImage dst(1, 1, Color32), src(1, 1, Color32);
    dst.set(0, 0, 0xFF000000);
    src.set(0, 0, c.src);
    SoftDrawImage(dst.get(), src.get(), 0, 0, c.transparent, graph.get(), DrawParams(kWide, c.mode, c.param, c.red));
    EXPECT_EQ(dst.at(0, 0), c.expected) << c.what;
  }
}

TEST_F(Blit, MismatchedOrUnsuitableImagesDrawNothing) {
  struct Case {
    const char* what;
    int dstType, dstPaletted, dstAlpha, srcType;
  };
  const Case cases[] = {
      {"16-bit source on 32-bit target", Color32, 0, 0, Color16},
      {"32-bit source on 16-bit target", Color16, 0, 0, Color32},
      {"paletted target", Color32, 1, 0, Color32},
      {"alpha target", Color32, 0, 1, Color32},
      {"grey target", Gray8, 0, 0, Gray8},
  };
  for (const Case& c : cases) {
    TestImage dst(4, 4, c.dstType, c.dstPaletted, c.dstAlpha), src(4, 4, c.srcType);
    FillMemImg(dst.get(), nullptr, 0x5A5A5A5A);
    FillMemImg(src.get(), nullptr, 0xFFFFFFFF);
    const auto before = dst.storage();
    const SoftDrawParams params = DrawParams(kWide);
    SoftDrawImage(dst.get(), src.get(), 0, 0, 0, nullptr, params);
    const Rect r{0, 0, 8, 8};
    SoftDrawImageScaled(dst.get(), src.get(), r, 0, nullptr, params);
    const SoftVertex v[3] = {{0, 0, 0, 0}, {4, 0, 4, 0}, {0, 4, 0, 4}};
    SoftDrawImageTriangle(dst.get(), src.get(), v, 0, nullptr, params);
    if (c.dstPaletted || c.dstAlpha || c.dstType == Gray8) SoftFillRect(dst.get(), nullptr, 0xFFFFFFFF, params);
    EXPECT_EQ(dst.storage(), before) << c.what;
  }
}

// A 6 × 6 target seen as a view inside a 10 × 10 image: nothing may change outside the view.
class Guarded : public Blit {
 protected:
  Guarded() : outer_(10, 10, Color32), src_(5, 4, Color32, 0, 0, 0, 0x00000001) {
    FillMemImg(outer_.get(), nullptr, 0x11111111);
    MakeMemImgView(&view_, outer_.get(), 2, 2, 6, 6);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) src_.set(x, y, 0xFF000000u + static_cast<std::uint32_t>(y * 16 + x + 2));
  }
  ~Guarded() override { ReleaseMemImg(&view_); }
  void ExpectOnlyInside(const char* what) {
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        const bool inside = x >= 2 && x < 8 && y >= 2 && y < 8;
        if (!inside) {
          ASSERT_EQ(outer_.at(x, y), 0x11111111u) << what << " wrote outside at " << x << "," << y;
        }
      }
  }
  TestImage outer_, src_;
  MEMIMG view_{};
};

TEST_F(Guarded, HostileCoordinatesStayInsideTheTarget) {
  const int big = 0x7FFFFFFF, small = -0x7FFFFFFF - 1;
  const SoftDrawParams whole = DrawParams(Rect{small, small, big, big}, BlendModeAlpha, 100);
  const SoftDrawParams inverted = DrawParams(Rect{5, 5, 1, 1});
  const int points[][2] = {{0, 0}, {-3, -2}, {4, 4}, {big, big}, {small, small}, {big - 2, 0}, {small, 3}};
  for (const auto& pt : points) {
    SoftDrawImage(&view_, src_.get(), pt[0], pt[1], 1, nullptr, whole);
    SoftDrawImage(&view_, src_.get(), pt[0], pt[1], 0, nullptr, inverted);
  }
  const Rect rects[] = {{0, 0, 0, 0},
                        {3, 3, 3, 9},
                        {-5, -5, 20, 20},
                        {20, 20, -5, -5},
                        {small, small, big, big},
                        {big, big, small, small},
                        {0, 0, 1, big},
                        {1, 1, 2, 2}};
  for (const Rect& r : rects) {
    SoftDrawImageScaled(&view_, src_.get(), r, 0, nullptr, whole);
    SoftFillRect(&view_, &r, 0xFFFFFFFF, whole);
  }
  SoftFillRect(&view_, nullptr, 0x22222222, inverted);
  const SoftVertex triangles[][3] = {
      {{-100, -100, 0, 0}, {100, -100, 5, 0}, {-100, 100, 0, 4}},
      {{small, small, small, small}, {big, small, big, 0}, {small, big, 0, big}},
      {{0, 0, -50, -50}, {6, 0, 50, 50}, {0, 6, 99, -99}},  // texture coordinates outside the source
      {{1, 1, 0, 0}, {3, 3, 1, 1}, {5, 5, 2, 2}},           // collinear
  };
  for (const auto& t : triangles) SoftDrawImageTriangle(&view_, src_.get(), t, 0, nullptr, whole);
  ExpectOnlyInside("hostile coordinates");
}

TEST_F(Guarded, InvalidImagesAndGraphsDrawNothing) {
  MEMIMG empty{};
  TestImage smallGraph(2, 2, Gray8), colourGraph(5, 4, Color32);
  const auto before = outer_.storage();
  const SoftDrawParams params = DrawParams(kWide);
  SoftDrawImage(&view_, &empty, 0, 0, 0, nullptr, params);
  SoftDrawImage(&empty, src_.get(), 0, 0, 0, nullptr, params);
  SoftDrawImage(nullptr, nullptr, 0, 0, 0, nullptr, params);
  SoftDrawImage(&view_, src_.get(), 0, 0, 0, smallGraph.get(), params);
  SoftDrawImage(&view_, src_.get(), 0, 0, 0, colourGraph.get(), params);
  SoftDrawImage(&view_, src_.get(), 0, 0, 0, &empty, params);
  SoftDrawImageScaled(&view_, &empty, Rect{0, 0, 3, 3}, 0, nullptr, params);
  SoftDrawImageTriangle(&view_, src_.get(), nullptr, 0, nullptr, params);
  SoftFillRect(&empty, nullptr, 0, params);
  SoftFillRect(nullptr, nullptr, 0, params);
  EXPECT_EQ(outer_.storage(), before);
}

TEST_F(Guarded, StaleOrBrokenRunCodesNeverWritePastTheRow) {
  TestImage src(5, 3, Color32, 0, 0, 1, 0x00000000);
  FillMemImg(src.get(), nullptr, 0xFFABCDEF);
  src.buildRunCodes();
  // Opaque runs of 64 on every row: far longer than the image is wide.
  std::memset(src.shared()->runCodes, 0x7F, static_cast<std::size_t>(src.shared()->width + 5) * src.shared()->height);
  SoftDrawImage(&view_, src.get(), 1, 2, 1, nullptr, DrawParams(kWide));
  ExpectOnlyInside("broken run codes");
  EXPECT_EQ(outer_.at(2 + 1, 2 + 2), 0xFFABCDEFu);
}

TEST_F(Blit, RunCodesOfAViewAreNotUsedForIt) {
  // Run codes describe the whole stored image; a view of part of it goes pixel by pixel.
  TestImage whole(4, 1, Color32, 0, 0, 1, 0x00000000);
  whole.set(0, 0, 0);
  whole.set(1, 0, 0xFF0000FF);
  whole.set(2, 0, 0xFF00FF00);
  whole.set(3, 0, 0);
  whole.buildRunCodes();
  MEMIMG part{};
  MakeMemImgView(&part, whole.get(), 1, 0, 3, 1);
  TestImage dst(3, 1, Color32);
  FillMemImg(dst.get(), nullptr, 0xFF777777);
  SoftDrawImage(dst.get(), &part, 0, 0, 1, nullptr, DrawParams(kWide));
  EXPECT_EQ(dst.at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(dst.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(dst.at(2, 0), 0xFF777777u);
  ReleaseMemImg(&part);
}

// A source of distinct pixels.
void Number(TestImage* image, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image->set(x, y, 0xFF000000u + static_cast<std::uint32_t>(y << 8 | x));
}

TEST_F(Blit, ScaledAtSourceSizeIsTheUnscaledDraw) {
  TestImage src(5, 3, Color32), a(9, 9, Color32), b(9, 9, Color32);
  Number(&src, 5, 3);
  // The storage is compared whole, and a new image's row padding is not cleared: both start alike.
  const std::vector<std::uint8_t> cleared(a.storage().size(), 0);
  a.setStorage(cleared);
  b.setStorage(cleared);
  FillMemImg(a.get(), nullptr, 0xFF101010);
  FillMemImg(b.get(), nullptr, 0xFF101010);
  const SoftDrawParams params = DrawParams(Rect{1, 0, 9, 9}, BlendModeAlpha, 77);
  SoftDrawImageScaled(a.get(), src.get(), Rect{-1, 2, 4, 5}, 0, nullptr, params);
  SoftDrawImage(b.get(), src.get(), -1, 2, 0, nullptr, params);
  EXPECT_EQ(a.storage(), b.storage());
}

TEST_F(Blit, ScaledRepeatsAndMirrors) {
  TestImage src(3, 2, Color32);
  Number(&src, 3, 2);
  struct Case {
    const char* what;
    Rect rect;
    std::vector<std::uint32_t> row0;  // low bytes of row 0, 6 pixels
    std::vector<std::uint32_t> row1;
  };
  const Case cases[] = {
      {"twice the width",
       {0, 0, 6, 2},
       {0x000, 0x000, 0x001, 0x001, 0x002, 0x002},
       {0x100, 0x100, 0x101, 0x101, 0x102, 0x102}},
      {"mirrored horizontally",
       {6, 0, 0, 2},
       {0x002, 0x002, 0x001, 0x001, 0x000, 0x000},
       {0x102, 0x102, 0x101, 0x101, 0x100, 0x100}},
      {"mirrored vertically",
       {0, 2, 6, 0},
       {0x100, 0x100, 0x101, 0x101, 0x102, 0x102},
       {0x000, 0x000, 0x001, 0x001, 0x002, 0x002}},
      {"same size mirrored",
       {3, 0, 0, 2},
       {0x002, 0x001, 0x000, 0xDEAD, 0xDEAD, 0xDEAD},
       {0x102, 0x101, 0x100, 0xDEAD, 0xDEAD, 0xDEAD}},
  };
  for (const Case& c : cases) {
    TestImage dst(6, 2, Color32);
    FillMemImg(dst.get(), nullptr, 0xFF00DEAD);
    SoftDrawImageScaled(dst.get(), src.get(), c.rect, 0, nullptr, DrawParams(kWide));
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(dst.at(x, 0) & 0xFFFF, c.row0[x]) << c.what << " x " << x;
      EXPECT_EQ(dst.at(x, 1) & 0xFFFF, c.row1[x]) << c.what << " x " << x;
    }
  }
}

// Two triangles sharing a diagonal cover the quadrilateral once: a blending draw through them
// equals the unscaled draw, whichever way the quadrilateral is split or the vertices run.
TEST_F(Blit, TriangleQuadEqualsTheUnscaledDraw) {
  TestImage src(7, 5, Color32);
  Number(&src, 7, 5);
  const int x = 2, y = 1, w = 7, h = 5;
  const SoftVertex tl{x, y, 0, 0}, tr{x + w, y, w, 0}, bl{x, y + h, 0, h}, br{x + w, y + h, w, h};
  const SoftVertex splits[][2][3] = {
      {{tl, tr, br}, {tl, br, bl}}, {{tl, tr, bl}, {tr, br, bl}}, {{br, tr, tl}, {bl, br, tl}},  // other winding
  };
  const int modes[] = {BlendModeAlpha, BlendModeAdd, BlendModeMultiplyAlpha};
  for (int mode : modes) {
    for (const auto& split : splits) {
      TestImage a(12, 8, Color32), b(12, 8, Color32);
      FillMemImg(a.get(), nullptr, 0xFF408060);
      FillMemImg(b.get(), nullptr, 0xFF408060);
      const SoftDrawParams params = DrawParams(Rect{0, 2, 12, 8}, mode, 90);
      SoftDrawImageTriangle(a.get(), src.get(), split[0], 0, nullptr, params);
      SoftDrawImageTriangle(a.get(), src.get(), split[1], 0, nullptr, params);
      SoftDrawImage(b.get(), src.get(), x, y, 0, nullptr, params);
      ASSERT_EQ(a.storage(), b.storage()) << "mode " << mode;
    }
  }
}

TEST_F(Blit, TriangleMapsTextureCoordinates) {
  // The whole 2 × 2 source stretched over a 4 × 4 quad: each source pixel covers 2 × 2.
  TestImage src(2, 2, Color32), dst(4, 4, Color32);
  Number(&src, 2, 2);
  const SoftVertex a[3] = {{0, 0, 0, 0}, {4, 0, 2, 0}, {4, 4, 2, 2}};
  const SoftVertex b[3] = {{0, 0, 0, 0}, {4, 4, 2, 2}, {0, 4, 0, 2}};
  SoftDrawImageTriangle(dst.get(), src.get(), a, 0, nullptr, DrawParams(kWide));
  SoftDrawImageTriangle(dst.get(), src.get(), b, 0, nullptr, DrawParams(kWide));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dst.at(x, y), 0xFF000000u + static_cast<std::uint32_t>((y / 2) << 8 | x / 2)) << x << "," << y;
}

TEST_F(Blit, FillRectNormalisesAndClips) {
  TestImage dst(5, 4, Color16);
  FillMemImg(dst.get(), nullptr, 0);
  const Rect reversed{4, 3, 1, 1};
  SoftFillRect(dst.get(), &reversed, 0xFFFF, DrawParams(Rect{0, 0, 3, 4}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool in = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(dst.at(x, y), in ? 0xFFFFu : 0u) << x << "," << y;
    }
}

}  // namespace
