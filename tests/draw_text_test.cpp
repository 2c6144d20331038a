// String drawing on the software back-end: direct drawing, spacing, tint, edges, the work
// images and DrawTextFormat.
#include <string>

#include "text_fixture.h"

namespace {

using DrawTextTest = TextTest;

constexpr std::uint32_t Background32 = 0x00123456;

// Ink positions of a single-byte glyph of the 16-pixel fake face drawn at (x, y): the box is
// 6 × 12 at (x + 1, y + 2).
bool InkAt(int code, int x, int y, int px, int py) {
  const int gx = px - (x + 1), gy = py - (y + 2);
  return gx >= 0 && gy >= 0 && gx < 6 && gy < 12 && fake::GlyphLevel(code, gx, gy) >= 8;
}

void FillScreen(std::uint32_t value) { FillMemImg(&GraphicsState.screenImage, nullptr, value); }

// Every pixel of the region is ink of `code` at (x, y) in `ink`, or still the background.
void ExpectGlyph(int code, int x, int y, std::uint32_t ink, std::uint32_t background) {
  for (int py = y; py < y + 16; ++py) {
    for (int px = x; px < x + 8; ++px) {
      EXPECT_EQ(TextTest::ScreenPixel(px, py), InkAt(code, x, y, px, py) ? ink : background) << px << "," << py;
    }
  }
}

TEST_F(DrawTextTest, DrawsTheDefaultFontStraightIntoTheScreenImage) {
  for (int depth : {32, 16}) {
    SCOPED_TRACE(depth);
    Start(depth);
    const std::uint32_t background = depth == 32 ? Background32 : 0x1234;
    FillScreen(background);
    const std::uint32_t color = MakeColor(255, 200, 10);
    ASSERT_EQ(DrawText(10, 20, "AB", static_cast<int>(color), 0), 0);
    ExpectGlyph('A', 10, 20, Ink(color), background);
    ExpectGlyph('B', 18, 20, Ink(color), background);
    EXPECT_EQ(ScreenPixel(26, 22), background) << "nothing right of the string";
  }
}

TEST_F(DrawTextTest, SpacesAdvanceWithoutDrawingAndSpacingMovesEachCharacter) {
  FillScreen(Background32);
  const int handle = QueryDefaultFont();
  SetFontSpacing(2, handle);
  TextSize size{};
  // A, space and A advance 8 + 2 each, the full-width space 16 + 2.
  EXPECT_EQ(DrawTextCore({.pass = TextPass::Measure,
                          .font = handle,
                          .text = "A A\x81\x40"
                                  "A"},
                         &size),
            58);
  EXPECT_EQ(size.width, 58);
  EXPECT_EQ(size.height, 16);

  ASSERT_EQ(DrawText(0, 0,
                     "A A\x81\x40"
                     "A",
                     -1, 0),
            0);
  const std::uint32_t white = Ink(MakeColor(255, 255, 255));
  ExpectGlyph('A', 0, 0, white, Background32);
  for (int py = 0; py < 16; ++py) {
    for (int px = 9; px < 20; ++px) EXPECT_EQ(ScreenPixel(px, py), Background32) << px << "," << py;
  }
  ExpectGlyph('A', 20, 0, white, Background32);
  for (int py = 0; py < 16; ++py) {
    for (int px = 30; px < 48; ++px) EXPECT_EQ(ScreenPixel(px, py), Background32) << px << "," << py;
  }
  ExpectGlyph('A', 48, 0, white, Background32);
}

TEST_F(DrawTextTest, TintScalesTheTextColour) {
  for (int depth : {32, 16}) {
    SCOPED_TRACE(depth);
    Start(depth);
    FillScreen(0);
    SetTint(128, 128, 128);
    ASSERT_EQ(DrawText(0, 0, "A", static_cast<int>(MakeColor(255, 200, 10)), 0), 0);
    const std::uint32_t want = Ink(MakeColor(128, 100, 5));
    ExpectGlyph('A', 0, 0, want, 0);
    SetTint(255, 255, 255);
  }
}

TEST_F(DrawTextTest, EdgeFontsDrawTheOutlineInTheEdgeColour) {
  for (int depth : {32, 16}) {
    SCOPED_TRACE(depth);
    Start(depth);
    const std::uint32_t background = depth == 32 ? Background32 : 0x1234;
    FillScreen(background);
    const int edged = CreateFontToHandle(nullptr, 16, -1, FontTypeEdge, -1, 1, 0, -1, -1);
    const int plain = QueryDefaultFont();
    const std::uint32_t red = MakeColor(255, 0, 0);
    ASSERT_EQ(DrawTextWithFont(0, 0, ".", static_cast<int>(red), edged, 0), 0);
    // The one ink pixel sits at (offset 1 + edge 1, offset y 4 + edge 1) with black around it.
    EXPECT_EQ(ScreenPixel(2, 5), Ink(red));
    for (auto [x, y] : {std::pair{1, 5}, {3, 5}, {2, 4}, {2, 6}}) EXPECT_EQ(ScreenPixel(x, y), 0u) << x << "," << y;
    EXPECT_EQ(ScreenPixel(1, 4), background);

    ASSERT_EQ(DrawTextWithFont(20, 0, ".", static_cast<int>(red), plain, 0), 0);
    EXPECT_EQ(ScreenPixel(21, 4), Ink(red));
    EXPECT_EQ(ScreenPixel(20, 4), background) << "no outline without the edge type";
  }
}

TEST_F(DrawTextTest, ClippingByTheDrawArea) {
  FillScreen(Background32);
  SetClipArea(4, 5, 100, 10);
  ASSERT_EQ(DrawText(0, 0, "A", -1, 0), 0);
  for (int py = 0; py < 16; ++py) {
    for (int px = 0; px < 8; ++px) {
      const bool inside = px >= 4 && py >= 5 && py < 10;
      EXPECT_EQ(ScreenPixel(px, py), inside && InkAt('A', 0, 0, px, py) ? Ink(0xFFFFFFFF) : Background32);
    }
  }
  // Partly off the image on the left and the top.
  SetClipArea(0, 0, 800, 600);
  EXPECT_EQ(DrawText(-5, -7, "AB", -1, 0), 0);
  EXPECT_EQ(DrawText(795, 595, "AB", -1, 0), 0);
}

TEST_F(DrawTextTest, EmptyTextsAndBadHandles) {
  EXPECT_EQ(DrawTextWithFont(0, 0, nullptr, 0, -1, 0), 0);
  EXPECT_EQ(DrawTextWithFont(0, 0, "", 0, 12345, 0), 0);
  EXPECT_EQ(DrawTextWithFont(0, 0, "A", 0, 12345, 0), -1);
  EXPECT_EQ(DrawText(0, 0, nullptr, 0, 0), 0);
  EXPECT_EQ(DrawTextCore({.pass = TextPass::Draw, .font = -1, .text = "A"}, nullptr), -1);
  EXPECT_EQ(DrawTextCore({.pass = TextPass::Draw, .font = QueryDefaultFont(), .text = ""}, nullptr), 0);
}

TEST_F(DrawTextTest, OnTheFrontScreenAStringRightOfTheAreaPreparesNothing) {
  SelectDrawTarget(ScreenFront);
  ASSERT_EQ(DrawText(800, 0, "A", -1, 0), 0);
  EXPECT_EQ(fake::GlyphRenders(), 0);
  ASSERT_EQ(DrawText(799, 0, "A", -1, 0), 0);
  EXPECT_EQ(fake::GlyphRenders(), 1);
}

TEST_F(DrawTextTest, ANewlineIsAnOrdinaryGlyph) {
  FillScreen(Background32);
  ASSERT_EQ(DrawText(0, 0, "A\nB", -1, 0), 0);
  ExpectGlyph('\n', 8, 0, Ink(0xFFFFFFFF), Background32);
  ExpectGlyph('B', 16, 0, Ink(0xFFFFFFFF), Background32);
}

TEST_F(DrawTextTest, FormattedFieldsAreRightAligned) {
  FillScreen(Background32);
  ASSERT_EQ(DrawTextFormat(0, 0, -1, "MousePos(%3d,%3d)", 5, 12), 0);
  ASSERT_EQ(DrawText(0, 20, "MousePos(  5, 12)", -1, 0), 0);
  for (int py = 0; py < 16; ++py) {
    for (int px = 0; px < 17 * 8; ++px) ASSERT_EQ(ScreenPixel(px, py), ScreenPixel(px, py + 20)) << px << "," << py;
  }
}

TEST_F(DrawTextTest, OverlongFormattedTextIsCutToTheBuffer) {
  const std::string longText(3000, 'W');
  ASSERT_EQ(DrawTextFormat(0, 0, -1, "%s%s", longText.c_str(), "tail"), 0);
  // Only the first 1023 bytes reached the font: the tail's letters were never drawn.
  EXPECT_EQ(Cached(FontFromHandle(QueryDefaultFont()), 't'), nullptr);
  EXPECT_NE(Cached(FontFromHandle(QueryDefaultFont()), 'W'), nullptr);
  EXPECT_EQ(DrawTextFormat(0, 0, -1, nullptr), 0);
}

TEST_F(DrawTextTest, BlendedTextGoesThroughThePlainWorkImageAndRestoresTheState) {
  FillScreen(Background32);
  SetBlendMode(BlendModeAlpha, 128);
  SetTint(255, 255, 255);
  const Rect area = DrawState.drawArea;
  const std::uint32_t black = MakeColor(0, 0, 0);
  ASSERT_EQ(DrawText(50, 60, "A", static_cast<int>(black), 0), 0);

  const MEMIMG& work = GraphicsState.workImages[0];
  const std::uint32_t transparent = work.shared->transColor;
  EXPECT_NE(transparent, Ink(black)) << "black text must not be the transparent value";
  EXPECT_NE(transparent, black);
  for (int py = 0; py < 16; ++py) {
    for (int px = 0; px < 8; ++px) {
      EXPECT_EQ(Pixel(work, px, py), InkAt('A', 0, 0, px, py) ? Ink(black) : transparent) << px << "," << py;
      // Blended onto the screen: ink pixels move half-way to black, the rest stay.
      const std::uint32_t onScreen = Pixel(GraphicsState.screenImage, 50 + px, 60 + py);
      if (InkAt('A', 0, 0, px, py)) {
        EXPECT_NE(onScreen, Background32) << px << "," << py;
      } else {
        EXPECT_EQ(onScreen, Background32) << px << "," << py;
      }
    }
  }
  EXPECT_EQ(DrawState.drawArea.left, area.left);
  EXPECT_EQ(DrawState.drawArea.right, area.right);
  EXPECT_EQ(DrawState.drawArea.bottom, area.bottom);
  EXPECT_EQ(DrawState.tint[0], 255);
}

TEST_F(DrawTextTest, AntiAliasedTextGoesThroughTheWorkImageWithAlpha) {
  for (int depth : {32, 16}) {
    SCOPED_TRACE(depth);
    Start(depth);
    const int handle = CreateFontToHandle(nullptr, 16, -1, FontTypeAntiAlias, -1, -1, 0, -1, -1);
    const std::uint32_t color = MakeColor(255, 255, 255);
    ASSERT_EQ(DrawTextWithFont(0, 0, "A", static_cast<int>(color), handle, 0), 0);
    const MEMIMG& work = GraphicsState.workImages[1];
    EXPECT_EQ(work.shared->transColor, 0u);
    const int alphaShift = depth == 32 ? 24 : 16;
    for (int py = 0; py < 16; ++py) {
      for (int px = 0; px < 8; ++px) {
        const int gx = px - 1, gy = py - 2;
        const int level = (gx >= 0 && gy >= 0 && gx < 6 && gy < 12) ? fake::GlyphLevel('A', gx, gy) : 0;
        // Full coverage (level 16) is opaque.
        const std::uint32_t alpha = level == 16 ? 255u : static_cast<std::uint32_t>((level - 1) * 16);
        const std::uint32_t want = level > 1 ? Ink(color) | alpha << alphaShift : 0;
        EXPECT_EQ(Pixel(work, px, py), want) << px << "," << py;
      }
    }
  }
}

// The anti-aliased edge mixes text and edge colour by the body level, on both screen depths.
TEST_F(DrawTextTest, AntiAliasedEdgePixels) {
  struct Case {
    int depth;
    std::uint8_t cache;
    std::uint32_t want;
  } cases[] = {
      {32, 0x0F, 0xFFFFFFFF}, {32, 0xFF, 0xFFFFFFFF}, {32, 0xF7, 0xE87A7A7A},
      {32, 0xF0, 0xF0000000}, {32, 0x30, 0x30000000}, {32, 0x00, Background32},
      {16, 0x0F, 0x00FFFFFF}, {16, 0xF7, 0x00E873CE}, {16, 0xF0, 0x00F00000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.depth << " " << int{c.cache});
    Start(c.depth);
    const int handle = CreateFontToHandle(nullptr, 16, -1, FontTypeAntiAliasEdge, -1, 1, 0, -1, -1);
    FontRecord* font = FontFromHandle(handle);
    const GlyphEntry* glyph = RenderGlyphs(handle, 1, reinterpret_cast<const std::uint8_t*>("A\0\0"));
    ASSERT_NE(glyph, nullptr);
    std::memset(font->cachePixels, 0, static_cast<std::size_t>(font->cachePitch) * font->cellSize);
    font->cachePixels[0] = c.cache;
    MEMIMG& work = GraphicsState.workImages[1];
    FillMemImg(&work, nullptr, Background32);
    const Rect clip{0, 0, 100, 100};
    DrawTextCore({.pass = TextPass::Draw,
                  .font = handle,
                  .text = "A",
                  .color = MakeColor(255, 255, 255),
                  .edgeColor = MakeColor(0, 0, 0),
                  .destination = &work,
                  .clip = &clip},
                 nullptr);
    EXPECT_EQ(Pixel(work, 1, 2), c.want);
  }
}

}  // namespace
