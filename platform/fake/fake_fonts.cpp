// The fake platform's built-in synthetic face: deterministic glyphs from the character code.
#include "../common/font_object.h"
#include "../common/platform_contract.h"
#include "fake_state.h"

namespace {

struct FakeFont final : FontObject {
  explicit FakeFont(int h) : height(h) { ++fake::State().liveFonts; }
  ~FakeFont() override { --fake::State().liveFonts; }

  int Ascent() const { return height - height / 4; }

  bool Metrics(TEXTMETRICA* metrics) override {
    metrics->tmHeight = height;
    metrics->tmAscent = Ascent();
    metrics->tmDescent = height / 4;
    metrics->tmAveCharWidth = height / 2;
    metrics->tmMaxCharWidth = height;
    metrics->tmWeight = FW_NORMAL;
    metrics->tmCharSet = SHIFTJIS_CHARSET;
    return true;
  }

  bool Render(UINT code, bool unicode, bool mono, RawGlyph* glyph) override {
    // Unicode: the CJK blocks and the full-width forms are wide, as their Shift-JIS codes are.
    const bool wide = unicode ? code >= 0x2E80 && code < 0xFF61 : code > 0xFF;
    glyph->advance = wide ? height : height / 2;
    if (code == 0x20 || code == (unicode ? 0x3000u : 0x8140u) || code == 0x7F) return true;
    if (code == '.') {
      *glyph = {1, 1, 1, height / 2, height / 2, {static_cast<std::uint8_t>(mono ? 1 : 16)}};
      return true;
    }
    const int width = wide ? height - 2 : height / 2 - 2;
    glyph->width = width > 1 ? width : 1;
    glyph->height = height - 4 > 1 ? height - 4 : 1;
    glyph->originX = 1;
    glyph->originY = Ascent() - 2;
    glyph->levels.resize(static_cast<std::size_t>(glyph->width) * static_cast<std::size_t>(glyph->height));
    for (int y = 0; y < glyph->height; ++y) {
      for (int x = 0; x < glyph->width; ++x) {
        const int level = fake::GlyphLevel(code, x, y);
        glyph->levels[static_cast<std::size_t>(y) * static_cast<std::size_t>(glyph->width) +
                      static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(mono ? (level >= 8 ? 1 : 0) : level);
      }
    }
    return true;
  }

  void Delivered() override { ++fake::State().glyphRenders; }

  int height;
};

}  // namespace

FontObject* PlatformCreateFont(const FontRequest& request) {
  fake::FakeState& state = fake::State();
  state.fontCalls.push_back(
      {request.height, request.weight, request.italic, request.charSet, request.pitchAndFamily, request.face});
  if (fake::Fails(fake::Failure::CreateFont)) return nullptr;
  if (state.failNextFonts > 0) {
    --state.failNextFonts;
    return nullptr;
  }
  return new FakeFont(request.height > 0 ? request.height : 16);
}

bool PlatformMemoryDCAvailable() { return !fake::Fails(fake::Failure::MemoryDC); }

namespace fake {

int GlyphLevel(unsigned code, int x, int y) { return static_cast<int>((x * 7u + y * 13u + code) % 17u); }
const std::vector<FontCall>& FontCalls() { return State().fontCalls; }
void FailNextFonts(int n) { State().failNextFonts = n; }
int GlyphRenders() { return State().glyphRenders; }
int LiveFonts() { return State().liveFonts; }

}  // namespace fake
