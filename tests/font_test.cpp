// Font handles and font creation: defaults, fallbacks, the table's limit, check numbers and
// the default font's life.
#include <cstring>
#include <string>

#include "text/screen_log.h"
#include "text_fixture.h"

namespace {

const std::string Gothic = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";

using FontTest = TextTest;

// The slot the next font takes.
int FirstFreeSlot() {
  for (int i = 0; i < MaxFonts; ++i) {
    if (FontSystem.table[i] == nullptr) return i;
  }
  return -1;
}

TEST_F(FontTest, StartUpMakesTheDefaultFontWithItsGdiArguments) {
  const int handle = QueryDefaultFont();
  ASSERT_EQ(IsFontHandleValid(handle), 1);
  EXPECT_EQ(HandleType(handle), HandleTypeFont);
  EXPECT_EQ(HandleIndex(handle), 0);
  // The first font made at start-up; the on-screen log makes its own after it.
  const fake::FontCall& call = fake::FontCalls().front();
  EXPECT_EQ(call.face, Gothic);
  EXPECT_EQ(call.height, 16);
  EXPECT_EQ(call.weight, 600);
  EXPECT_EQ(call.charSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(call.pitchAndFamily, FIXED_PITCH);
  EXPECT_FALSE(call.italic);

  char face[256] = "x";
  int size = 0, thickness = 0;
  ASSERT_EQ(QueryFontFace(face, &size, &thickness, handle), 0);
  EXPECT_STREQ(face, "") << "the default face is stored as an empty name";
  EXPECT_EQ(size, 16);
  EXPECT_EQ(thickness, 6);
  const FontRecord* font = FontFromHandle(handle);
  EXPECT_EQ(font->height, 16);
  EXPECT_EQ(font->cellSize, 24);
  EXPECT_EQ(font->slotCount, 568);
  EXPECT_EQ(font->cachePitch, 3);
}

TEST_F(FontTest, TypeAndEdgeDefaultsAndTheEightBitScreen) {
  struct Case {
    int type, edge, depth;
    int wantType, wantEdge;
  } cases[] = {
      {-1, -1, 32, 0, 1}, {0, 1, 32, 0, 1}, {0, 2, 32, 1, 2}, {2, 3, 32, 3, 3},
      {2, -1, 32, 2, 1},  {2, -1, 8, 0, 1}, {3, -1, 8, 1, 1},
  };
  for (const Case& c : cases) {
    GraphicsState.screenBitDepth = c.depth;
    const int handle = CreateFontToHandle(nullptr, -1, -1, c.type, -1, c.edge, 0, -1, -1);
    const FontRecord* font = FontFromHandle(handle);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->fontType, c.wantType) << c.type << "/" << c.edge << "/" << c.depth;
    EXPECT_EQ(font->edgeSize, c.wantEdge);
    EXPECT_EQ(font->charsetIndex, CharSetShiftJis);
    EXPECT_EQ(font->cacheBitsPerPixel, c.wantType == 0 ? 1 : 8);
    ReleaseFontHandle(handle);
  }
  GraphicsState.screenBitDepth = 32;
  EXPECT_EQ(CreateFontToHandle(nullptr, -1, -1, 4, -1, -1, 0, -1, -1), -1) << "no such font type";
  EXPECT_EQ(CreateFontToHandle(nullptr, -1, -1, 0, 3, -1, 0, -1, -1), -1) << "no such character set";
}

TEST_F(FontTest, FaceFallbacksTryTheCharacterSetsInOrder) {
  struct Case {
    const char* face;
    int italic, failures;
    std::vector<std::pair<std::string, DWORD>> wantCalls;
    std::vector<bool> wantItalic;
    bool made;
  } cases[] = {
      {"Foo", 1, 2, {{"Foo", HANGUL_CHARSET}, {"Foo", DEFAULT_CHARSET}, {"Foo", SHIFTJIS_CHARSET}}, {1, 1, 1}, true},
      {"Foo", 0, 3, {{"Foo", HANGUL_CHARSET}, {"Foo", DEFAULT_CHARSET}, {"Foo", SHIFTJIS_CHARSET}}, {0, 0, 0}, false},
      {nullptr, 1, 2, {{Gothic, HANGUL_CHARSET}, {Gothic, DEFAULT_CHARSET}, {"", DEFAULT_CHARSET}}, {1, 0, 0}, true},
      {"", 1, 3, {{Gothic, HANGUL_CHARSET}, {Gothic, DEFAULT_CHARSET}, {"", DEFAULT_CHARSET}}, {1, 0, 0}, false},
  };
  const int freeSlot = FirstFreeSlot();
  for (const Case& c : cases) {
    const std::size_t before = fake::FontCalls().size();
    fake::FailNextFonts(c.failures);
    const int handle = CreateFontToHandle(c.face, 20, -1, -1, CharSetHangul, -1, c.italic, -1, -1);
    ASSERT_EQ(fake::FontCalls().size(), before + 3);
    for (std::size_t i = 0; i < 3; ++i) {
      const fake::FontCall& call = fake::FontCalls()[before + i];
      EXPECT_EQ(call.face, c.wantCalls[i].first) << i;
      EXPECT_EQ(call.charSet, c.wantCalls[i].second) << i;
      EXPECT_EQ(call.italic, c.wantItalic[i]) << i;
    }
    if (c.made) {
      ASSERT_EQ(IsFontHandleValid(handle), 1);
      char face[256];
      QueryFontFace(face, nullptr, nullptr, handle);
      EXPECT_STREQ(face, c.face == nullptr ? "" : c.face);
      ReleaseFontHandle(handle);
    } else {
      EXPECT_EQ(handle, -1);
      EXPECT_TRUE(Logged(Log(), c.face != nullptr && c.face[0] != '\0' ? "指定のフォントの作成に失敗しました\r\n"
                                                                       : "フォントの作成に失敗しました\r\n"));
      EXPECT_EQ(FontSystem.table[freeSlot], nullptr) << "the failed font's slot is free again";
    }
  }
}

TEST_F(FontTest, NoMemoryContextFailsCreationAndFreesTheSlot) {
  const int freeSlot = FirstFreeSlot();
  const int liveFonts = fake::LiveFonts();
  fake::SetFailure(fake::Failure::MemoryDC, true);
  EXPECT_EQ(CreateFontToHandle("Foo", -1, -1, -1, -1, -1, 0, -1, -1), -1);
  fake::SetFailure(fake::Failure::MemoryDC, false);
  EXPECT_EQ(FontSystem.table[freeSlot], nullptr);
  EXPECT_EQ(fake::LiveFonts(), liveFonts) << "the GDI font of the failed creation is deleted";
}

TEST_F(FontTest, FortyFontsAtMostAndStaleHandlesAreRefused) {
  StopScreenLog();  // its font would hold slot 1
  std::vector<int> handles{QueryDefaultFont()};
  for (int i = 1; i < MaxFonts; ++i) {
    handles.push_back(CreateFontToHandle(nullptr, 12, -1, -1, -1, -1, 0, -1, -1));
    ASSERT_EQ(HandleIndex(handles.back()), i);
  }
  EXPECT_EQ(CreateFontToHandle(nullptr, 12, -1, -1, -1, -1, 0, -1, -1), -1);
  EXPECT_TRUE(Logged(Log(), "作成できるフォントハンドル数 40 の限界を超えました"));

  const int stale = handles[5];
  ASSERT_EQ(ReleaseFontHandle(stale), 0);
  const int reused = CreateFontToHandle(nullptr, 14, -1, -1, -1, -1, 0, -1, -1);
  EXPECT_EQ(HandleIndex(reused), 5) << "the lowest free slot";
  EXPECT_NE(reused, stale);

  int flag = 7;
  char face[256];
  EXPECT_EQ(IsFontHandleValid(stale), 0);
  EXPECT_EQ(QueryFontSize(stale), -1);
  EXPECT_EQ(QueryFontFace(face, nullptr, nullptr, stale), -1);
  EXPECT_EQ(SetFontSpacing(3, stale), -1);
  EXPECT_EQ(SetFontLostNotifier(stale, &flag), -1);
  EXPECT_EQ(flag, 7);
  EXPECT_EQ(ReleaseFontHandle(stale), -1);
  EXPECT_FALSE(Logged(Log(), "フォントハンドル値が異常です")) << "font operations refuse without logging";
  EXPECT_EQ(DrawTextWithFont(0, 0, "A", -1, stale, 0), -1);
  EXPECT_TRUE(Logged(Log(), "フォントハンドル値が異常です\r\n"));
  EXPECT_EQ(QueryFontSize(reused), 14) << "the refusals changed nothing";
  EXPECT_EQ(FontFromHandle(reused)->spacing, 0);

  for (int bad : {-1, 0, 5, stale | (1 << 27), MakeHandle(HandleTypeFont, 0, MaxFonts)}) {
    EXPECT_EQ(IsFontHandleValid(bad), 0) << bad;
    EXPECT_EQ(ReleaseFontHandle(bad), -1) << bad;
  }
}

TEST_F(FontTest, CheckNumbersWrapAfter2047) {
  FontSystem.checkCounter = 2047;
  const int last = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  const int next = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  EXPECT_EQ(HandleCheckNumber(last), 2047);
  EXPECT_EQ(HandleCheckNumber(next), 0);
  EXPECT_EQ(IsFontHandleValid(next), 1);
}

TEST_F(FontTest, LostNotifierIsClearedOnRegistrationAndSetOnRelease) {
  const int handle = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  int lost = 5;
  ASSERT_EQ(SetFontLostNotifier(handle, &lost), 0);
  EXPECT_EQ(lost, 0);
  ReleaseFontHandle(handle);
  EXPECT_EQ(lost, 1);
}

TEST_F(FontTest, DefaultFontIsRemadeOnlyWhenItsSettingsChange) {
  const int first = QueryDefaultFont();
  const std::size_t calls = fake::FontCalls().size();
  EXPECT_EQ(DrawText(0, 0, "A", -1, 0), 0);
  EXPECT_EQ(QueryDefaultFont(), first);
  EXPECT_EQ(fake::FontCalls().size(), calls) << "an unchanged default font is never re-created";

  ASSERT_EQ(SetDefaultFontSize(20, -1), 0);
  const int second = QueryDefaultFont();
  EXPECT_NE(second, first);
  EXPECT_EQ(IsFontHandleValid(first), 0);
  EXPECT_EQ(QueryFontSize(second), 20);
  int thickness = 0;
  QueryFontFace(nullptr, nullptr, &thickness, second);
  EXPECT_EQ(thickness, 6);
}

TEST_F(FontTest, DrawTextRetriesAnUnusableDefaultFont) {
  ReleaseFontHandle(QueryDefaultFont());
  fake::SetFailure(fake::Failure::CreateFont, true);
  EXPECT_EQ(DrawText(0, 0, "A", -1, 0), -1);
  EXPECT_EQ(QueryDefaultFont(), -1);
  fake::SetFailure(fake::Failure::CreateFont, false);
  EXPECT_EQ(DrawText(0, 0, "A", -1, 0), 0);
  EXPECT_EQ(IsFontHandleValid(QueryDefaultFont()), 1);
}

TEST_F(FontTest, RecreateAllFontsKeepsHandlesAndSpacing) {
  const int handle = CreateFontToHandle("Foo", 20, 4, FontTypeEdge, CharSetDefault, 2, 1, -1, -1);
  SetFontSpacing(3, handle);
  int lost = 0;
  SetFontLostNotifier(handle, &lost);
  ASSERT_EQ(RecreateAllFonts(), 0);
  const FontRecord* font = FontFromHandle(handle);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->spacing, 3);
  EXPECT_EQ(font->size, 20);
  EXPECT_EQ(font->edgeSize, 2);
  EXPECT_EQ(font->italic, 1);
  EXPECT_STREQ(font->faceName, "Foo");
  EXPECT_EQ(IsFontHandleValid(QueryDefaultFont()), 1);
  EXPECT_EQ(lost, 1) << "the old font was released";
}

TEST_F(FontTest, ResetFontsKeepsOnlyTheDefaultFontWithItsSettings) {
  SetDefaultFontSize(24, 3);
  const int other = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  ASSERT_EQ(ResetFonts(), 0);
  EXPECT_EQ(IsFontHandleValid(other), 0);
  EXPECT_EQ(QueryFontSize(QueryDefaultFont()), 24);
  int live = 0;
  for (FontRecord* font : FontSystem.table) live += font != nullptr;
  EXPECT_EQ(live, 1);
}

}  // namespace
