// The real platform's fonts: the default face served by the installed Japanese gothic face,
// glyph formats from FreeType, and a string rendered into a software image.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "gothic_face.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "platform/gdi32.h"
#include "text/font_record.h"
#include "text/font_system.h"
#include "vornek.h"

namespace {

class RealFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GothicFaceInstalled()) GTEST_SKIP() << "IPAGothic (fonts-ipafont-gothic) is not installed";
    GraphicsState.screenBitDepth = 32;
    DrawState.tint[0] = DrawState.tint[1] = DrawState.tint[2] = 255;
    StartFontSystem();
  }
  void TearDown() override {
    if (IsFontHandleValid(QueryDefaultFont())) EndFontSystem();
  }
};

TEST_F(RealFontTest, GlyphOutlinesComeInBothFormatsWithAlignedRows) {
  const char gothic[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
  HFONT font = CreateFontA(16, 0, 0, 0, 600, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                           FIXED_PITCH, gothic);
  ASSERT_NE(font, nullptr);
  HDC context = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(context, font);
  ASSERT_NE(old, nullptr);
  TEXTMETRICA metrics{};
  ASSERT_TRUE(GetTextMetricsA(context, &metrics));
  EXPECT_NEAR(metrics.tmHeight, 16, 1);
  EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);

  MAT2 identity{};
  identity.eM11.value = identity.eM22.value = 1;
  for (UINT format : {GGO_BITMAP, GGO_GRAY4_BITMAP}) {
    for (UINT code : {UINT{'A'}, UINT{0x82A0}}) {  // A and a hiragana in Shift-JIS
      SCOPED_TRACE(testing::Message() << format << " " << code);
      GLYPHMETRICS glyph{};
      const DWORD size = GetGlyphOutlineA(context, code, format, &glyph, 0, nullptr, &identity);
      ASSERT_NE(size, GDI_ERROR);
      const DWORD pitch = format == GGO_BITMAP ? (glyph.gmBlackBoxX + 31) / 32 * 4 : (glyph.gmBlackBoxX + 3) & ~3u;
      EXPECT_EQ(size, pitch * glyph.gmBlackBoxY);
      EXPECT_GT(glyph.gmCellIncX, 4);
      std::string image(size, '\0');
      ASSERT_EQ(GetGlyphOutlineA(context, code, format, &glyph, size, image.data(), &identity), size);
      int maximum = 0;
      for (char byte : image) maximum = std::max(maximum, static_cast<int>(static_cast<unsigned char>(byte)));
      if (format == GGO_GRAY4_BITMAP) {
        EXPECT_EQ(maximum, 16) << "levels run 0..16";
      } else {
        EXPECT_GT(maximum, 0);
      }
    }
  }
  GLYPHMETRICS space{};
  EXPECT_EQ(GetGlyphOutlineA(context, ' ', GGO_BITMAP, &space, 0, nullptr, &identity), 0u);
  EXPECT_EQ(space.gmBlackBoxX, 1u);
  EXPECT_EQ(DeleteObject(font), FALSE) << "still selected";
  SelectObject(context, old);
  DeleteDC(context);
  EXPECT_EQ(DeleteObject(font), TRUE);
}

// Heights at int's ends are refused, not negated or scaled past FreeType's range.
TEST_F(RealFontTest, HeightsBeyondAnyScreenAreRefused) {
  struct Case {
    int height;
    bool made;
  } cases[] = {{INT_MIN, false}, {INT_MAX, false}, {-16385, false}, {16385, false}, {-16, true}, {512, true}};
  for (const Case& c : cases) {
    HFONT font = CreateFontA(c.height, 0, 0, 0, 400, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0,
                             NONANTIALIASED_QUALITY, FIXED_PITCH, nullptr);
    EXPECT_EQ(font != nullptr, c.made) << c.height;
    if (font != nullptr) DeleteObject(font);
  }
}

TEST_F(RealFontTest, TheDefaultFontInksAStringWhereItsCharactersAre) {
  const int handle = QueryDefaultFont();
  ASSERT_EQ(IsFontHandleValid(handle), 1);
  MEMIMG image{};
  ASSERT_EQ(CreateMemImg(&image, 100, 40, -1, 0, Color32, 0, 0, 0, nullptr), 0);
  FillMemImg(&image, nullptr, 0);
  const Rect clip{0, 0, 100, 40};
  TextSize size{};
  // "A", a space, then the hiragana A.
  const char text[] = "A \x82\xa0";
  const int advance = DrawTextCore(1, 0, 0, text, 0xFFFFFF, &image, &clip, handle, 0, -1, &size);
  ASSERT_GT(advance, 0);
  EXPECT_EQ(size.height, FontFromHandle(handle)->height);

  auto inkIn = [&](int left, int right, int top, int bottom) {
    int ink = 0;
    for (int y = top; y < bottom; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(image.pixels + y * image.shared->pitch);
      for (int x = left; x < right; ++x) ink += row[x] != 0;
    }
    return ink;
  };
  const int a = FontFromHandle(handle)->glyphIndex['A'].entry->advance;
  const int space = FontFromHandle(handle)->glyphIndex[' '].entry->advance;
  EXPECT_GT(inkIn(0, a, 0, 16), 5) << "the letter";
  EXPECT_EQ(inkIn(a, a + space, 0, 40), 0) << "the space";
  EXPECT_GT(inkIn(a + space, advance, 0, 16), 10) << "the hiragana";
  EXPECT_EQ(inkIn(0, 100, 18, 40), 0) << "nothing below the line";
  EXPECT_EQ(inkIn(advance, 100, 0, 40), 0) << "nothing after the string";
  ReleaseMemImg(&image);
}

}  // namespace
