// The real platform's fonts: the default face served by the installed Japanese gothic face,
// glyph formats from FreeType, and a string rendered into a software image.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "gothic_face.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
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
  const int advance = DrawTextCore(
      {.pass = TextPass::Draw, .font = handle, .text = text, .color = 0xFFFFFF, .destination = &image, .clip = &clip},
      &size);
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
  const int a = FontFromHandle(handle)->glyphIndex[static_cast<unsigned char>('A')].entry->advance;
  const int space = FontFromHandle(handle)->glyphIndex[static_cast<unsigned char>(' ')].entry->advance;
  EXPECT_GT(inkIn(0, a, 0, 16), 5) << "the letter";
  EXPECT_EQ(inkIn(a, a + space, 0, 40), 0) << "the space";
  EXPECT_GT(inkIn(a + space, advance, 0, 16), 10) << "the hiragana";
  EXPECT_EQ(inkIn(0, 100, 18, 40), 0) << "nothing below the line";
  EXPECT_EQ(inkIn(advance, 100, 0, 40), 0) << "nothing after the string";
  ReleaseMemImg(&image);
}

// Texts drawn into a software image with the real face, in either character set.
class RealTextTest : public RealFontTest {
 protected:
  void TearDown() override {
    RealFontTest::TearDown();
    UseUtf8(false);
  }
  // The texts' character set as SetUseUtf8Text and InitEngine would give it to fonts made now.
  static void UseUtf8(bool on) {
    EngineState.Utf8Text = on ? 1 : 0;
    SetProcessCodePage(on ? CP_UTF8 : 0);
  }
  static constexpr int Width = 400, Height = 40;
  // The texts drawn one after another from x = 4, each at the measured width of those before.
  static std::vector<std::uint32_t> Draw(int handle, const std::vector<std::string>& texts) {
    MEMIMG image{};
    EXPECT_EQ(CreateMemImg(&image, Width, Height, -1, 0, Color32, 0, 0, 0, nullptr), 0);
    FillMemImg(&image, nullptr, 0);
    const Rect clip{0, 0, Width, Height};
    int x = 4;
    for (const std::string& text : texts) {
      DrawTextCore({.pass = TextPass::Draw,
                    .font = handle,
                    .text = text.c_str(),
                    .x = x,
                    .y = 4,
                    .color = 0xFFFFFF,
                    .edgeColor = 0x0000FF,
                    .destination = &image,
                    .clip = &clip},
                   nullptr);
      x += GetTextWidthWithFont(text.c_str(), -1, handle);
    }
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < Height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(image.pixels + y * image.shared->pitch);
      pixels.insert(pixels.end(), row, row + Width);
    }
    ReleaseMemImg(&image);
    return pixels;
  }
  static int Ink(const std::vector<std::uint32_t>& pixels, int top, int bottom) {
    int ink = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 0; x < Width; ++x) ink += pixels[static_cast<std::size_t>(y) * Width + x] != 0;
    }
    return ink;
  }
};

TEST_F(RealTextTest, MeasuredWidthsAreTheWidthsDrawnForEveryTypeInBothSets) {
  const std::vector<std::string> shiftJis = {"Wi", "\x82\xa0", " ", "\x93\xfa\x96\x7b", "g."};
  const std::vector<std::string> utf8 = {"Wi", "\xc3\xa9", " ", "\xe6\x97\xa5\xe6\x9c\xac", "g."};
  for (bool unicode : {false, true}) {
    UseUtf8(unicode);
    const std::vector<std::string>& pieces = unicode ? utf8 : shiftJis;
    std::string line;
    for (const std::string& piece : pieces) line += piece;
    for (int type = FontTypeNormal; type <= FontTypeAntiAliasEdge; ++type) {
      SCOPED_TRACE(std::string(unicode ? "UTF-8" : "Shift-JIS") + " type " + std::to_string(type));
      const int font = CreateFontToHandle(nullptr, 20, -1, type, -1, -1, 0, -1, -1);
      ASSERT_NE(font, -1);
      const std::vector<std::uint32_t> whole = Draw(font, {line});
      EXPECT_EQ(Draw(font, pieces), whole) << "pieces at their measured widths draw the line";
      int right = -1;
      for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
          if (whole[static_cast<std::size_t>(y) * Width + x] != 0) right = std::max(right, x);
        }
      }
      EXPECT_GT(right, 4);
      EXPECT_LT(right, 4 + GetTextWidthWithFont(line.c_str(), -1, font)) << "the ink ends inside the width";
      ReleaseFontHandle(font);
    }
  }
}

TEST_F(RealTextTest, Utf8DrawsJapaneseAsShiftJisDoesAndAccentedLatin) {
  const int sjisFont = CreateFontToHandle(nullptr, 20, -1, FontTypeAntiAlias, -1, -1, 0, -1, -1);
  ASSERT_NE(sjisFont, -1);
  const std::vector<std::uint32_t> sjis = Draw(sjisFont, {"\x93\xfa\x96\x7b\x8c\xea"});
  UseUtf8(true);
  const int utf8Font = CreateFontToHandle(nullptr, 20, -1, FontTypeAntiAlias, -1, -1, 0, -1, -1);
  ASSERT_NE(utf8Font, -1);
  EXPECT_EQ(Draw(utf8Font, {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"}), sjis) << "the same three kanji";
  EXPECT_GT(Ink(sjis, 0, Height), 100);

  const std::vector<std::uint32_t> plain = Draw(utf8Font, {"e"});
  const std::vector<std::uint32_t> acute = Draw(utf8Font, {"\xc3\xa9"});
  EXPECT_NE(acute, plain);
  int plainTop = Height;
  for (int y = 0; y < Height && plainTop == Height; ++y) {
    if (Ink(plain, y, y + 1) > 0) plainTop = y;
  }
  EXPECT_GT(Ink(acute, 0, plainTop), 0) << "the accent above the e";
  EXPECT_EQ(Ink(acute, plainTop, Height), Ink(plain, plainTop, Height)) << "the same e below it";
  ReleaseFontHandle(sjisFont);
  ReleaseFontHandle(utf8Font);
}

}  // namespace
