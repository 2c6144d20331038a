// Text measurement against what is drawn, for every font type, in Shift-JIS and in UTF-8, on the
// software back-end and on the recording device (the hardware back-end); UTF-8 text decoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "text/font_record.h"
#include "text/font_system.h"
#include "vornek.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

class TextMeasureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }

  static void Start(bool hardware, bool utf8) {
    EndEngine();
    fake::ResetPlatform();
    fake::SetClientSize(320, 200);
    fake::UseRecordingDevice(hardware);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(320, 200, 32, 60);
    ASSERT_EQ(SetUseUtf8Text(utf8 ? TRUE : FALSE), 0);
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, hardware ? 1 : 0);
    SelectDrawTarget(ScreenBack);
  }

  // What the back screen shows now, colours only.
  static Picture Screen() {
    Picture p;
    p.width = 320;
    p.height = 200;
    if (GraphicsState.useHardware) {
      FlushVertexBatch();
      for (std::uint32_t pixel : fake::BackBufferPixels()) p.pixels.push_back(pixel & 0xFFFFFF);
    } else {
      const MEMIMG& image = GraphicsState.screenImage;
      for (int y = 0; y < 200; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(image.pixels + static_cast<std::size_t>(y) * image.shared->pitch);
        for (int x = 0; x < 320; ++x) p.pixels.push_back(row[x] & 0xFFFFFF);
      }
    }
    return p;
  }
};

TEST_F(TextMeasureTest, MeasuredWidthsAreTheWidthsDrawn) {
  // Pieces of one line: drawn one after another at the measured widths they must give exactly
  // the picture of the whole line drawn at once, and the line's ink must lie inside its width.
  const std::vector<std::string> shiftJis = {"Ab", " ", "\x82\xa0", "\x81\x40", "9"};
  const std::vector<std::string> utf8 = {"Ab", " ", "\xc3\xa9", "\xe6\x97\xa5", "\xe3\x80\x80", "9"};
  for (bool hardware : {false, true}) {
    for (bool unicode : {false, true}) {
      Start(hardware, unicode);
      const std::vector<std::string>& pieces = unicode ? utf8 : shiftJis;
      std::string line;
      for (const std::string& piece : pieces) line += piece;
      for (int type = FontTypeNormal; type <= FontTypeAntiAliasEdge; ++type) {
        SCOPED_TRACE(std::string(hardware ? "hardware" : "software") + (unicode ? " UTF-8" : " Shift-JIS") + " type " +
                     std::to_string(type));
        const int font = CreateFontToHandle(nullptr, 16, -1, type, -1, -1, 0, -1, -1);
        ASSERT_NE(font, -1);
        const int color = static_cast<int>(MakeColor(255, 255, 255));
        const int edge = static_cast<int>(MakeColor(0, 0, 255));

        ClearScreen();
        ASSERT_EQ(DrawTextWithFont(20, 30, line.c_str(), color, font, edge), 0);
        const Picture whole = Screen();

        ClearScreen();
        int x = 20;
        for (const std::string& piece : pieces) {
          ASSERT_EQ(DrawTextWithFont(x, 30, piece.c_str(), color, font, edge), 0);
          x += GetTextWidthWithFont(piece.c_str(), -1, font);
        }
        const Picture pieced = Screen();
        EXPECT_EQ(GetTextWidthWithFont(line.c_str(), -1, font), x - 20);
        EXPECT_EQ(GetTextWidthWithFont(line.c_str(), 2, font), GetTextWidthWithFont("Ab", -1, font));

        int inkLeft = 320, inkRight = -1, inkTop = 200, inkBottom = -1;
        for (int py = 0; py < 200; ++py) {
          for (int px = 0; px < 320; ++px) {
            ASSERT_EQ(pieced.at(px, py), whole.at(px, py)) << px << ", " << py;
            if (whole.at(px, py) == 0) continue;
            inkLeft = std::min(inkLeft, px), inkRight = std::max(inkRight, px);
            inkTop = std::min(inkTop, py), inkBottom = std::max(inkBottom, py);
          }
        }
        ASSERT_GE(inkRight, 0) << "something was drawn";
        EXPECT_GE(inkLeft, 20);
        EXPECT_LT(inkRight, x);
        EXPECT_GE(inkTop, 30);
        EXPECT_LT(inkBottom, 30 + GetFontHeight(font));
        EXPECT_GE(GetFontLineSpacing(font), GetFontHeight(font));
        ReleaseFontHandle(font);
      }
    }
  }
}

TEST_F(TextMeasureTest, TheDefaultFontAndFormattedTextAreMeasuredAsDrawText) {
  Start(false, false);
  // The fake face: 8 pixels a single-byte character, 16 a double-byte one, lines of 16.
  EXPECT_EQ(GetTextWidth("Score", -1), 40);
  EXPECT_EQ(GetTextWidth("\x93\xfa\x96\x7b", -1), 32);
  EXPECT_EQ(GetTextWidthFormat("%05d", 42), 40);
  EXPECT_EQ(GetTextWidth("", -1), 0);
  EXPECT_EQ(GetTextWidth(nullptr, -1), 0);
  EXPECT_EQ(GetFontHeight(QueryDefaultFont()), 16);
  SetFontSpacing(3, QueryDefaultFont());
  EXPECT_EQ(GetTextWidth("ab", -1), 22) << "the spacing follows every character";

  for (int bad : {-1, 0, 12345}) {
    EXPECT_EQ(GetTextWidthWithFont("a", -1, bad), -1);
    EXPECT_EQ(GetFontHeight(bad), -1);
    EXPECT_EQ(GetFontLineSpacing(bad), -1);
    EXPECT_NE(std::string(GetLastErrorText()).find("font"), std::string::npos) << GetLastErrorText();
  }
  EndEngine();
  EXPECT_EQ(GetTextWidth("a", -1), -1) << "no default font on a stopped engine";
}

TEST_F(TextMeasureTest, UnicodeTextIsSplitIntoCharactersBeforeItsGlyphsAreFound) {
  struct Case {
    const char* name;
    bool utf8;
    const char* text;
    int width;  // 8 a narrow character, 16 a wide one
  };
  const Case cases[] = {
      {"Shift-JIS pairs a lead byte", false,
       "\x82\xa0"
       "a",
       24},
      {"the same bytes in UTF-8 are two bad bytes", true,
       "\x82\xa0"
       "a",
       24},
      {"accented Latin is one narrow character", true, "\xc3\xa9\xc3\xa0", 16},
      {"kanji is one wide character", true, "\xe6\x97\xa5\xe6\x9c\xac", 32},
      {"a sequence cut short is one character for its lead", true,
       "\xe6\x97"
       "a",
       24},
      {"an overlong form is refused byte by byte", true, "\xc0\xaf", 16},
      {"a surrogate is refused", true, "\xed\xa0\x80", 24},
      {"beyond the basic plane becomes U+FFFD", true,
       "\xf0\x9f\x98\x80"
       "a",
       16},
      {"a cut at the end of the text", true, "a\xe3", 16},
  };
  bool started = false, startedUtf8 = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!started || startedUtf8 != c.utf8) {
      Start(false, c.utf8);
      started = true;
      startedUtf8 = c.utf8;
    }
    EXPECT_EQ(GetTextWidth(c.text, -1), c.width);
  }
}

TEST_F(TextMeasureTest, Utf8FontsAskForGlyphsByCodePointAndTheSettingWaitsForStartUp) {
  Start(false, true);
  EXPECT_EQ(GetUseUtf8Text(), 1);
  EXPECT_EQ(SetUseUtf8Text(FALSE), -1) << "fixed while the engine runs";
  EXPECT_NE(std::string(GetLastErrorText()).find("before InitEngine"), std::string::npos);
  const FontRecord* font = FontFromHandle(QueryDefaultFont());
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(DrawText(0, 0, "\xc3\xa9\xe6\x97\xa5", -1, 0), 0);
  EXPECT_EQ(font->glyphIndex[0xE9].cached, 1) << "keyed by the code point";
  EXPECT_EQ(font->glyphIndex[0x65E5].cached, 1);
  EXPECT_EQ(font->glyphIndex[0xC3].cached, 0);
  // The default face is asked for by its name in UTF-8.
  ASSERT_FALSE(fake::FontCalls().empty());
  EXPECT_EQ(fake::FontCalls().back().face, "\xef\xbc\xad\xef\xbc\xb3 \xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf");
  EndEngine();
  EXPECT_EQ(SetUseUtf8Text(FALSE), 0);
  EXPECT_EQ(GetUseUtf8Text(), 0);
}

}  // namespace
