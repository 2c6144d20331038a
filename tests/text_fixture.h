// An engine started on the fake platform's software back-end, for the font and text tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/handle.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "text/font_record.h"
#include "text/font_system.h"
#include "text/glyph_cache.h"
#include "test_support.h"
#include "vornek.h"

class TextTest : public ::testing::Test {
 public:
  void SetUp() override { Start(32); }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(fake::LiveFonts(), 0) << "every GDI font is deleted at the end";
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }

  std::string Log() const { return test_support::ReadFile(dir_.path() / "Log.txt"); }
  static bool Logged(const std::string& log, const char* utf8) {
    return log.find(test_support::Sjis(utf8)) != std::string::npos;
  }

  test_support::TempDirectory dir_;  // InitEngine's current directory, where Log.txt goes

  static void Start(int depth) {
    EndEngine();
    fake::ResetPlatform();
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, depth, 60);
    ASSERT_EQ(InitEngine(), 0);
  }

  static std::uint32_t ScreenPixel(int x, int y) { return Pixel(GraphicsState.screenImage, x, y); }

  static std::uint32_t Pixel(const MEMIMG& image, int x, int y) {
    const std::uint8_t* row = image.pixels + static_cast<std::size_t>(y) * image.shared->pitch;
    switch (BytesPerPixel(image.shared)) {
      case 2:
        return reinterpret_cast<const std::uint16_t*>(row)[x];
      case 4:
        return reinterpret_cast<const std::uint32_t*>(row)[x];
      default:
        return row[x];
    }
  }

  // A font's cache pixel at (x, y) of a slot's cell: the bit for type 0, else the byte.
  static int CellPixel(const FontRecord* font, int slot, int x, int y) {
    const std::uint8_t* row = font->cachePixels + static_cast<std::size_t>(CellY(font, slot) + y) * font->cachePitch;
    if (font->fontType == 0) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    return row[x];
  }

  static const GlyphEntry* Cached(const FontRecord* font, int code) {
    const GlyphIndexEntry& index = font->glyphIndex[code];
    return index.cached ? index.entry : nullptr;
  }

  static std::uint32_t Ink(std::uint32_t color) { return color & ~MakeColor(0, 0, 0); }
};
