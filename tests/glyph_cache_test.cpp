// The glyph memory cache: cell images per font type and edge size, the ring, batches and the
// splitting of strings into characters.
#include <algorithm>
#include <string>

#include "text_fixture.h"

namespace {

using GlyphCacheTest = TextTest;

constexpr int Height = 16;
constexpr int InkWidth = Height / 2 - 2, InkHeight = Height - 4;  // the fake face's single-byte box

bool FakeInk(int code, int x, int y) {
  return x >= 0 && y >= 0 && x < InkWidth && y < InkHeight && fake::GlyphLevel(code, x, y) >= 8;
}

const GlyphEntry* Prepare(int handle, const char* text) {
  int count = 0;
  EXPECT_EQ(PrepareGlyphs(-1, text, handle, nullptr, &count), 0);
  return TextTest::Cached(FontFromHandle(handle), static_cast<std::uint8_t>(text[0]));
}

TEST_F(GlyphCacheTest, CellImagesForEachFontType) {
  struct Case {
    int type, edge;
  } cases[] = {{0, 1}, {1, 1}, {1, 2}, {2, 1}, {3, 1}, {3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " edge " << c.edge);
    const int handle = CreateFontToHandle(nullptr, Height, -1, c.type, -1, c.edge, 0, -1, -1);
    const FontRecord* font = FontFromHandle(handle);
    ASSERT_NE(font, nullptr);
    const int code = 'A';
    const GlyphEntry* glyph = Prepare(handle, "A");
    ASSERT_NE(glyph, nullptr);
    const int e = (c.type & 1) ? c.edge : 0;
    EXPECT_EQ(glyph->width, InkWidth + 2 * e);
    EXPECT_EQ(glyph->height, InkHeight + 2 * e);
    EXPECT_EQ(glyph->advance, Height / 2 + 2 * e);
    EXPECT_EQ(glyph->offsetX, 1);
    EXPECT_EQ(glyph->offsetY, 2) << "ascent minus the origin's y";

    for (int y = 0; y < font->cellSize; ++y) {
      for (int x = 0; x < font->cellSize; ++x) {
        const int level = (x < InkWidth && y < InkHeight) ? fake::GlyphLevel(code, x, y) : 0;
        const int actual = CellPixel(font, glyph->slot, x, y);
        int want = 0;
        switch (c.type) {
          case 0:
            want = FakeInk(code, x, y);
            break;
          case 2:
            want = level > 0 ? level - 1 : 0;
            break;
          case 1:
          case 3: {
            // Body at (e, e); the edge is made of the shapes around each inked pixel, so the
            // test only checks the body here (the shapes have their own test below).
            const int bodyLevel =
                (x >= e && y >= e && x - e < InkWidth && y - e < InkHeight) ? fake::GlyphLevel(code, x - e, y - e) : 0;
            if (c.type == 1) {
              const bool ink = FakeInk(code, x - e, y - e);
              if (ink) {
                EXPECT_EQ(actual, 1) << x << "," << y;
              } else {
                EXPECT_NE(actual, 1) << x << "," << y;
              }
              continue;
            }
            EXPECT_EQ(actual & 0x0F, bodyLevel > 0 ? bodyLevel - 1 : 0) << x << "," << y;
            continue;
          }
        }
        EXPECT_EQ(actual, want) << x << "," << y;
      }
    }
    ReleaseFontHandle(handle);
  }
}

// The outline of a single ink pixel is the edge shape itself.
TEST_F(GlyphCacheTest, EdgeShapesAroundOneInkPixel) {
  struct Case {
    int edge;
    std::vector<std::string> rows;
  } cases[] = {
      {1, {".x.", "x.x", ".x."}},
      {2, {".xxx.", "xxxxx", "xx.xx", "xxxxx", ".xxx."}},
      {3, {"...x...", ".xxxxx.", ".xxxxx.", "xxx.xxx", ".xxxxx.", ".xxxxx.", "...x..."}},
      {4,
       {"..xxxxx..", ".xxxxxxx.", "xxxxxxxxx", "xxxxxxxxx", "xxxx.xxxx", "xxxxxxxxx", "xxxxxxxxx", ".xxxxxxx.",
        "..xxxxx.."}},
      {5, std::vector<std::string>(11, "xxxxxxxxxxx")},
  };
  cases[4].rows[5][5] = '.';
  for (int type : {FontTypeEdge, FontTypeAntiAliasEdge}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "type " << type << " edge " << c.edge);
      const int handle = CreateFontToHandle(nullptr, Height, -1, type, -1, c.edge, 0, -1, -1);
      const FontRecord* font = FontFromHandle(handle);
      const GlyphEntry* glyph = Prepare(handle, ".");
      ASSERT_NE(glyph, nullptr);
      ASSERT_EQ(glyph->width, 1 + 2 * c.edge);
      for (int y = 0; y < glyph->height; ++y) {
        for (int x = 0; x < glyph->width; ++x) {
          const int pixel = CellPixel(font, glyph->slot, x, y);
          const bool centre = x == c.edge && y == c.edge;
          const bool edge = c.rows[y][x] == 'x';
          if (type == FontTypeEdge) {
            EXPECT_EQ(pixel, centre ? 1 : edge ? 2 : 0) << x << "," << y;
          } else {
            // Full level 16: body 15 at the centre, edge level 15 wherever the shape reaches,
            // the centre included for sizes 2 and up.
            const int want = (centre ? 0x0F : 0) | ((edge || (centre && c.edge > 1)) ? 0xF0 : 0);
            EXPECT_EQ(pixel, want) << x << "," << y;
          }
        }
      }
      ReleaseFontHandle(handle);
    }
  }
}

// Edge sizes above 4: around a whole glyph, every pixel within the square of an inked pixel
// is edge, and its edge level is the largest level of the inked pixels that reach it.
TEST_F(GlyphCacheTest, FullSquareOutlinesOfAWholeGlyph) {
  const int code = 'W';
  for (int type : {FontTypeEdge, FontTypeAntiAliasEdge}) {
    for (int edge : {5, 7, 16}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " edge " << edge);
      const int handle = CreateFontToHandle(nullptr, Height, -1, type, -1, edge, 0, -1, -1);
      const FontRecord* font = FontFromHandle(handle);
      const GlyphEntry* glyph = Prepare(handle, "W");
      ASSERT_NE(glyph, nullptr);
      const auto level = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= InkWidth || y >= InkHeight) return 0;
        const int v = fake::GlyphLevel(code, x, y);
        return type == FontTypeEdge ? (v >= 8 ? 1 : 0) : v;
      };
      for (int y = 0; y < InkHeight + 2 * edge; ++y) {
        for (int x = 0; x < InkWidth + 2 * edge; ++x) {
          int reach = 0;
          for (int dy = -edge; dy <= edge; ++dy) {
            for (int dx = -edge; dx <= edge; ++dx) reach = std::max(reach, level(x - edge + dx, y - edge + dy));
          }
          const int body = level(x - edge, y - edge);
          const int pixel = CellPixel(font, glyph->slot, x, y);
          if (type == FontTypeEdge) {
            ASSERT_EQ(pixel, body ? 1 : reach ? 2 : 0) << x << "," << y;
          } else {
            ASSERT_EQ(pixel, (body > 0 ? body - 1 : 0) | (reach > 0 ? (reach - 1) << 4 : 0)) << x << "," << y;
          }
        }
      }
      ReleaseFontHandle(handle);
    }
  }
}

TEST_F(GlyphCacheTest, SpacesGetAnAdvanceAndNoImage) {
  for (int edge : {1, 2}) {
    const int handle = CreateFontToHandle(nullptr, Height, -1, -1, -1, edge, 0, -1, -1);
    const FontRecord* font = FontFromHandle(handle);
    const int e = EdgeOf(font);
    ASSERT_EQ(PrepareGlyphs(-1, " \x81\x40", handle, nullptr, nullptr), 0);
    const GlyphEntry* space = Cached(font, 0x20);
    const GlyphEntry* wide = Cached(font, 0x4081);
    ASSERT_NE(space, nullptr);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(space->advance, Height / 2 + 2 * e);
    EXPECT_EQ(wide->advance, Height + 2 * e);
    EXPECT_EQ(space->width, 2 * e);
    EXPECT_EQ(space->height, 2 * e);
    EXPECT_EQ(wide->width, 2 * e);
    EXPECT_EQ(fake::GlyphRenders(), 0) << "no image is fetched for a space";
    ReleaseFontHandle(handle);
  }
}

TEST_F(GlyphCacheTest, RepeatedCharactersAreRenderedOnce) {
  const int handle = QueryDefaultFont();
  ASSERT_EQ(PrepareGlyphs(-1, "ABABAAB\x82\xa0\x82\xa0", handle, nullptr, nullptr), 0);
  EXPECT_EQ(fake::GlyphRenders(), 3);
  EXPECT_EQ(FontFromHandle(handle)->nextSlot, 3);
  ASSERT_EQ(DrawText(0, 0, "BA\x82\xa0", -1, 0), 0);
  EXPECT_EQ(fake::GlyphRenders(), 3) << "cached glyphs are not rendered again";
}

TEST_F(GlyphCacheTest, StringsSplitIntoCharactersByTheLeadByteRule) {
  struct Case {
    const char* text;
    int charset;
    int maxBytes;
    std::vector<int> codes;
  } cases[] = {
      {"A\x82\xa0"
       "B",
       CharSetShiftJis,
       -1,
       {0x41, 0xA082, 0x42}},
      {"\x9f\x40\xe0\x40\xfc\x40\xa0\xdf", CharSetShiftJis, -1, {0x409F, 0x40E0, 0x40FC, 0xA0, 0xDF}},
      {"\x80\x41\xfd", CharSetDefault, -1, {0x80, 0x41, 0xFD}},
      {"A\x88", CharSetShiftJis, -1, {0x41, 0x88}},  // lead byte at the end pairs with the zero
      {"\x82\xa0\x82\xa2", CharSetShiftJis, 3, {0xA082, 0xA282}},
      {"\xa1\x41\x80\x80\x41", CharSetHangul, -1, {0x41A1, 0x8080, 0x41}},
      {"\x41\xb0", CharSetHangul, -1, {0x41, 0xB0}},
      {"\t\n", CharSetShiftJis, -1, {0x09, 0x0A}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const int handle = CreateFontToHandle(nullptr, Height, -1, -1, c.charset, -1, 0, -1, -1);
    std::uint8_t items[3 * 16];
    int count = 0;
    ASSERT_EQ(PrepareGlyphs(c.maxBytes, c.text, handle, items, &count), 0);
    ASSERT_EQ(count, static_cast<int>(c.codes.size()));
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(CharacterCodeOf(items + 3 * i), c.codes[static_cast<std::size_t>(i)]) << i;
      EXPECT_EQ(items[3 * i + 2], 0);
      EXPECT_NE(Cached(FontFromHandle(handle), c.codes[static_cast<std::size_t>(i)]), nullptr);
    }
    ReleaseFontHandle(handle);
  }
}

TEST_F(GlyphCacheTest, LeadByteRanges) {
  for (int byte = 0; byte < 256; ++byte) {
    const bool sjis = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    EXPECT_EQ(IsLeadByte(static_cast<std::uint8_t>(byte), CharSetShiftJis), sjis) << byte;
    EXPECT_EQ(IsLeadByte(static_cast<std::uint8_t>(byte), CharSetDefault), sjis) << byte;
    EXPECT_EQ(IsLeadByte(static_cast<std::uint8_t>(byte), CharSetHangul), byte >= 0x80) << byte;
  }
}

// A size whose cell holds only the minimum of 20 glyphs in the memory cache.
class SmallCacheTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    handle = CreateFontToHandle(nullptr, 150, -1, -1, -1, -1, 0, -1, -1);
    font = FontFromHandle(handle);
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->slotCount, 20);
  }
  int handle = -1;
  FontRecord* font = nullptr;
};

TEST_F(SmallCacheTest, ABatchLargerThanTheCacheEvictsTheOldestOneAtATime) {
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 distinct characters
  ASSERT_EQ(PrepareGlyphs(-1, letters.c_str(), handle, nullptr, nullptr), 0);
  EXPECT_EQ(fake::GlyphRenders(), 20) << "a batch asks for no more than the cache holds";
  EXPECT_NE(Cached(font, 'A'), nullptr);
  EXPECT_EQ(Cached(font, 'U'), nullptr);

  ResetGlyphCache(handle);
  const Rect clip{0, 0, 800, 600};
  ASSERT_GT(DrawTextCore({.pass = TextPass::Draw,
                          .font = handle,
                          .text = letters.c_str(),
                          .destination = &GraphicsState.screenImage,
                          .clip = &clip},
                         nullptr),
            0);
  EXPECT_EQ(fake::GlyphRenders(), 45) << "20 in the batch, the rest one at a time as the draw reaches them";
  for (char c : std::string("ABCDE")) EXPECT_EQ(Cached(font, c), nullptr) << c;
  for (char c : std::string("FTUY")) EXPECT_NE(Cached(font, c), nullptr) << c;
  EXPECT_EQ(Cached(font, 'U')->slot, 0);
  EXPECT_EQ(Cached(font, 'Y')->slot, 4);
  EXPECT_EQ(font->nextSlot, 5);

  ASSERT_EQ(PrepareGlyphs(-1, "A", handle, nullptr, nullptr), 0);
  EXPECT_EQ(fake::GlyphRenders(), 46) << "an evicted character is rendered again";
  EXPECT_EQ(Cached(font, 'A')->slot, 5);
  EXPECT_EQ(Cached(font, 'F'), nullptr) << "into the oldest slot, whether used recently or not";
}

TEST_F(SmallCacheTest, ResetEmptiesTheCache) {
  PrepareGlyphs(-1, "ABC", handle, nullptr, nullptr);
  ASSERT_EQ(ResetGlyphCache(handle), 0);
  EXPECT_EQ(Cached(font, 'A'), nullptr);
  EXPECT_EQ(font->nextSlot, 0);
  EXPECT_EQ(font->glyphs[19].slot, 19);
  EXPECT_EQ(font->glyphs[20].slot, -1);
  EXPECT_EQ(ResetGlyphCache(-1), -1);
  EXPECT_EQ(RenderGlyphs(handle, 0, nullptr), nullptr);
}

// Every block the text code takes is the engine's own: no source file, line 0, as the trace and
// the memory dump show them.
TEST_F(GlyphCacheTest, TextAllocationsCarryNoSourceFileOrLine) {
  EngineState.TraceSize = -1;
  const int font = CreateFontToHandle(nullptr, 20, -1, FontTypeAntiAliasEdge, -1, 2, 0, -1, 0);
  ASSERT_NE(font, -1);
  int count = 0;
  ASSERT_EQ(PrepareGlyphs(-1, std::string(300, 'Q').c_str(), font, nullptr, &count), 0);
  DumpAllocations();
  EngineState.TraceSize = 0;
  ASSERT_EQ(ReleaseFontHandle(font), 0);
  const std::string log = Log();
  std::size_t blocks = 0;
  for (std::size_t at = log.find("  file:"); at != std::string::npos; at = log.find("  file:", at + 1)) {
    ++blocks;
    EXPECT_EQ(log.compare(at, 17, "  file:  line:0  "), 0) << log.substr(at, 40);
  }
  EXPECT_GE(blocks, 4u) << "the font record, its cache, a glyph buffer and the string's lists";
}

// A glyph whose image is empty (the fake face draws nothing for 0x7F) takes a 0-byte
// buffer, which the default trace setting logs.
TEST_F(GlyphCacheTest, AnEmptyGlyphImageTakesZeroBytes) {
  ASSERT_NE(Prepare(QueryDefaultFont(), "\x7f"), nullptr);
  const std::string log = Log();
  EXPECT_NE(log.find("mem alloc  \tsize:0(0.000kb)  file:  line:0  ID:"), std::string::npos);
  EXPECT_NE(log.find("data:<> ]\r\n"), std::string::npos);
}

TEST_F(GlyphCacheTest, LongStringsAreWalkedThroughOneAllocation) {
  std::string text(600, 'Z');
  text[599] = '\x82';  // lead byte at the end
  int count = 0;
  ASSERT_EQ(PrepareGlyphs(-1, text.c_str(), QueryDefaultFont(), nullptr, &count), 0);
  EXPECT_EQ(count, 600);
  EXPECT_EQ(fake::GlyphRenders(), 2);
}

}  // namespace
