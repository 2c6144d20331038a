// DrawTextCore: splits a string into characters, fetches their glyphs and measures or draws.
#include <climits>
#include <cstring>

#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "font_system.h"
#include "glyph_blit.h"
#include "glyph_cache.h"
#include "texture_glyph_cache.h"
#include "../color/color_data.h"
#include "../graphics/draw_state.h"

namespace {

constexpr int FixedItems = 256;

bool SkipsDrawing(const FontRecord* font, const std::uint8_t* item, const GlyphEntry* glyph) {
  if (IsBlankCharacter(font, item)) return true;
  return glyph->width == 0 && glyph->height == 0;
}

}  // namespace

int DrawTextCore(const TextRequest& request, TextSize* size) {
  const int handle = request.font;
  const char* const text = request.text;
  const std::uint32_t color = request.color, edgeColor = request.edgeColor;
  const bool drawing = request.pass == TextPass::Draw;
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return -1;
  const TextColors colors = ResolveTextColors(color, edgeColor);
  // The texture path colours its white glyphs through tint: the colours scaled by the tint.
  std::uint8_t textTint[3], edgeTint[3];
  {
    int rgb[3], edge[3];
    SplitColor(color, &rgb[0], &rgb[1], &rgb[2]);
    SplitColor(edgeColor, &edge[0], &edge[1], &edge[2]);
    for (int c = 0; c < 3; ++c) {
      textTint[c] = static_cast<std::uint8_t>(rgb[c] * DrawState.tint[c] / 255);
      edgeTint[c] = static_cast<std::uint8_t>(edge[c] * DrawState.tint[c] / 255);
    }
  }
  if (text == nullptr || text[0] == '\0') return 0;

  const int textLength = static_cast<int>(std::strlen(text));
  const int length = request.length < 0 || request.length > textLength ? textLength : request.length;
  std::uint8_t fixedItems[FixedItems * 3];
  std::uint8_t* items = fixedItems;
  std::uint8_t* block = nullptr;
  if (length > FixedItems) {
    block = static_cast<std::uint8_t*>(TrackedAlloc(static_cast<std::size_t>(length) * 3, "", 0));
    if (block == nullptr) return -1;
    items = block;
  }

  int count = 0;
  // In 64 bits: a spacing or a start near int's ends must not wrap the pen.
  long long pen = 0;
  int result = 0;
  if (PrepareGlyphs(length, text, handle, items, &count) != 0) {
    result = -1;
  }
  for (int i = 0; i < count && result == 0; ++i) {
    const std::uint8_t* item = items + 3 * i;
    const GlyphEntry* glyph = LookUpGlyph(handle, font, item);
    if (glyph == nullptr) {
      if (drawing) LogText("テキストキャッシュの作成に失敗しました");
      result = -1;
      break;
    }
    if (drawing && !SkipsDrawing(font, item, glyph)) {
      const long long glyphX = request.x + pen + glyph->offsetX;
      const long long glyphY = static_cast<long long>(request.y) + glyph->offsetY;
      if (font->textureCache && request.destination == nullptr) {
        // Screens are at most 8192 pixels wide: a glyph this far out is on none of them.
        constexpr long long Far = 1 << 20;
        if (glyphX > -Far && glyphX < Far && glyphY > -Far && glyphY < Far) {
          DrawTextureGlyph(font, glyph, static_cast<int>(glyphX), static_cast<int>(glyphY), textTint, edgeTint);
        }
      } else {
        BlitGlyph(font, glyph, request.destination, request.clip, glyphX, glyphY, colors);
      }
    }
    pen += static_cast<long long>(glyph->advance) + font->spacing;
    // The advance is told as an int, so the pen saturates at int's ends.
    if (pen > INT_MAX) pen = INT_MAX;
    if (pen < INT_MIN) pen = INT_MIN;
  }
  TrackedFree(block);
  if (result != 0) return -1;
  if (size != nullptr) {
    size->width = static_cast<int>(pen);
    size->height = font->height;
  }
  return static_cast<int>(pen);
}
