// The glyph cache: set-up, reset, ring replacement, rendering through GDI and the batch
// preparation of a string's missing characters.
#include "glyph_cache.h"

#include <cstring>

#include "../core/fatal_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "font_system.h"
#include "texture_glyph_cache.h"
#include "utf8.h"

namespace {

constexpr int FixedListLength = 256;

// Takes the ring's next slot for a code, evicting the glyph it held.
GlyphEntry* TakeSlot(FontRecord* font, int code) {
  GlyphEntry* entry = &font->glyphs[font->nextSlot];
  if (entry->inUse) {
    *entry->backLink = GlyphIndexEntry{0, nullptr};
    entry->inUse = 0;
  }
  GlyphIndexEntry* index = &font->glyphIndex[code];
  *index = GlyphIndexEntry{1, entry};
  entry->backLink = index;
  entry->inUse = 1;
  return entry;
}

void ClearCell(FontRecord* font, int slot) {
  const int byteX = CellX(font, slot) * font->cacheBitsPerPixel / 8;
  for (int row = 0; row < font->cellSize; ++row) {
    std::uint8_t* line = font->cachePixels + static_cast<std::size_t>(CellY(font, slot) + row) * font->cachePitch;
    std::memset(line + byteX, 0, static_cast<std::size_t>((font->cellSize * font->cacheBitsPerPixel + 7) / 8));
  }
}

void RenderOne(FontRecord* font, HDC context, const TEXTMETRICA& metrics, const std::uint8_t* item) {
  GlyphEntry* entry = TakeSlot(font, CharacterCodeOf(item));
  const int slot = entry->slot;
  if (!font->textureCache) ClearCell(font, slot);

  const UINT format = IsAntiAliased(font->fontType) ? GGO_GRAY4_BITMAP : GGO_BITMAP;
  // A UTF-8 font's items hold the code point; a Shift-JIS font's the character's bytes.
  const UINT code = font->utf8     ? static_cast<UINT>(CharacterCodeOf(item))
                    : item[1] != 0 ? static_cast<UINT>(item[0] << 8 | item[1])
                                   : item[0];
  const auto outline = font->utf8 ? &GetGlyphOutlineW : &GetGlyphOutlineA;
  MAT2 identity{};
  identity.eM11.value = 1;
  identity.eM22.value = 1;
  GLYPHMETRICS glyph{};
  const DWORD size = outline(context, code, format, &glyph, 0, nullptr, &identity);
  if (size == GDI_ERROR) FatalError("GetGlyphOutline 関数が失敗しました");

  const int edge = EdgeOf(font);
  entry->advance = glyph.gmCellIncX;
  if (IsBlankCharacter(font, item)) {
    entry->width = entry->height = 0;
  } else {
    const int boxHeight = glyph.gmBlackBoxY > 0 ? static_cast<int>(glyph.gmBlackBoxY) : 1;
    const int pitch = static_cast<int>(size / static_cast<DWORD>(boxHeight)) & ~3;
    const std::size_t bytes = size + 2 * static_cast<std::size_t>(pitch);
    auto* buffer = static_cast<std::uint8_t*>(TrackedCalloc(bytes, "", 0));
    if (buffer == nullptr) FatalError("アンチエイリアス文字取得用バッファの確保に失敗しました");
    if (size > 0 && outline(context, code, format, &glyph, size, buffer + pitch, &identity) == GDI_ERROR) {
      FatalError("GetGlyphOutline 関数が失敗しました");
    }
    // A black box larger than the cell (a face whose glyphs overhang its metrics) is cut to
    // the cell, so that no glyph spills into its neighbours.
    const int room = font->cellSize - 2 * edge;
    const int width = static_cast<int>(glyph.gmBlackBoxX) < room ? static_cast<int>(glyph.gmBlackBoxX) : room;
    const int height = boxHeight < room ? boxHeight : room;
    entry->offsetX = static_cast<std::int16_t>(glyph.gmptGlyphOrigin.x);
    entry->offsetY = static_cast<std::int16_t>(metrics.tmAscent - glyph.gmptGlyphOrigin.y);
    entry->width = static_cast<std::int16_t>(width > 0 ? width : 0);
    entry->height = static_cast<std::int16_t>(height > 0 ? height : 0);
    const int rowCount = pitch > 0 ? static_cast<int>(size) / pitch : 0;
    const GdiGlyphImage image{buffer + pitch, pitch, rowCount, entry->width, entry->height};
    if (font->textureCache) {
      WriteGlyphToTexture(font, slot, image);
    } else {
      WriteGlyphToMemoryCell(font, slot, image);
    }
    TrackedFree(buffer);
  }
  entry->advance = static_cast<std::int16_t>(entry->advance + 2 * edge);
  entry->width = static_cast<std::int16_t>(entry->width + 2 * edge);
  entry->height = static_cast<std::int16_t>(entry->height + 2 * edge);
  if (++font->nextSlot >= font->slotCount) font->nextSlot = 0;
}

}  // namespace

bool IsBlankCharacter(const FontRecord* font, const std::uint8_t* item) {
  const int code = CharacterCodeOf(item);
  if (font->utf8) return code == 0x20 || code == 0x3000;
  return code == 0x20 || (item[0] == 0x81 && item[1] == 0x40);
}

int SetUpMemoryCache(FontRecord* font) {
  const int cell = font->cellSize;
  int capacity = 0x50000 / (cell * cell);
  if (capacity < 20) capacity = 20;
  if (capacity > MaxGlyphSlots) capacity = MaxGlyphSlots;
  font->slotCount = capacity;
  font->cacheAreaHeight = capacity * cell;
  font->cacheAreaWidth = cell;
  font->cellsPerColumn = capacity;
  font->cacheBitsPerPixel = font->fontType == FontTypeNormal ? 1 : 8;
  font->cachePitch = (cell * font->cacheBitsPerPixel + 7) / 8;
  font->cachePixels = static_cast<std::uint8_t*>(TrackedCalloc(
      static_cast<std::size_t>(font->cacheAreaHeight) * static_cast<std::size_t>(font->cachePitch), "", 0));
  if (font->cachePixels == nullptr) {
    LogText("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
    return -1;
  }
  return 0;
}

int ResetGlyphCache(int handle) {
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return -1;
  std::memset(font->glyphIndex, 0, sizeof font->glyphIndex);
  std::memset(font->glyphs, 0, sizeof font->glyphs);
  for (int i = 0; i < font->slotCount; ++i) font->glyphs[i].slot = i;
  font->glyphs[font->slotCount].slot = -1;
  font->nextSlot = 0;
  return 0;
}

GlyphEntry* RenderGlyphs(int handle, int count, const std::uint8_t* items) {
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr || count < 1) return nullptr;
  HDC context = CreateCompatibleDC(nullptr);
  HGDIOBJ old = context != nullptr ? SelectObject(context, font->gdiFont) : nullptr;
  if (old == nullptr) FatalError("テキストキャッシュサーフェスのＤＣの取得に失敗しました");
  TEXTMETRICA metrics{};
  GetTextMetricsA(context, &metrics);
  GlyphEntry* last = nullptr;
  for (int i = 0; i < count; ++i) {
    RenderOne(font, context, metrics, items + 3 * i);
    last = font->glyphIndex[CharacterCodeOf(items + 3 * i)].entry;
  }
  SelectObject(context, old);
  DeleteDC(context);
  return last;
}

GlyphEntry* LookUpGlyph(int handle, FontRecord* font, const std::uint8_t* item) {
  const GlyphIndexEntry& index = font->glyphIndex[CharacterCodeOf(item)];
  if (index.cached == 1) return index.entry;
  return RenderGlyphs(handle, 1, item);
}

int IsLeadByte(std::uint8_t byte, int charsetIndex) {
  if (charsetIndex == CharSetHangul) return (byte & 0x80) != 0 ? 1 : 0;
  return static_cast<std::uint8_t>((byte ^ 0x20) + 0x5F) < 60 ? 1 : 0;
}

int PrepareGlyphs(int maxBytes, const char* text, int handle, std::uint8_t* items, int* count) {
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return -1;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  int length = static_cast<int>(std::strlen(text));
  if (maxBytes >= 0 && maxBytes < length) length = maxBytes;

  std::uint8_t fixedMissing[FixedListLength * 3];
  std::uint8_t fixedItems[FixedListLength * 3];
  std::uint16_t fixedCodes[FixedListLength];
  std::uint8_t* missing = fixedMissing;
  std::uint16_t* codes = fixedCodes;
  std::uint8_t* block = nullptr;
  if (items == nullptr) items = fixedItems;
  if (length > FixedListLength) {
    block = static_cast<std::uint8_t*>(TrackedAlloc(static_cast<std::size_t>(length) * 8, "", 0));
    if (block == nullptr) return -1;
    missing = block;
    if (items == fixedItems) items = block + 3 * static_cast<std::size_t>(length);
    codes = reinterpret_cast<std::uint16_t*>(block + 6 * static_cast<std::size_t>(length));
  }

  int characters = 0, missingCount = 0;
  for (int at = 0; at < length;) {
    std::uint8_t* item = items + 3 * characters;
    if (font->utf8) {
      int used = 1;
      std::uint32_t point = DecodeUtf8(bytes, at, length, &used);
      // The cache is keyed by 16 bits: characters beyond the basic plane show as U+FFFD.
      if (point > 0xFFFF) point = ReplacementCharacter;
      item[0] = static_cast<std::uint8_t>(point & 0xFF);
      item[1] = static_cast<std::uint8_t>(point >> 8);
      at += used;
    } else {
      item[0] = bytes[at];
      // A lead byte at the very end pairs with the terminating zero.
      item[1] = IsLeadByte(bytes[at], font->charsetIndex) ? bytes[at + 1] : 0;
      at += IsLeadByte(bytes[at], font->charsetIndex) && bytes[at + 1] != 0 ? 2 : 1;
    }
    item[2] = 0;
    ++characters;
    const int code = CharacterCodeOf(item);
    if (font->glyphIndex[code].cached == 0 && missingCount < font->slotCount) {
      font->glyphIndex[code].cached = 1;
      codes[missingCount] = static_cast<std::uint16_t>(code);
      std::memcpy(missing + 3 * missingCount, item, 3);
      ++missingCount;
    }
  }
  for (int i = 0; i < missingCount; ++i) font->glyphIndex[codes[i]].cached = 0;
  if (missingCount > 0) RenderGlyphs(handle, missingCount, missing);
  if (count != nullptr) *count = characters;
  TrackedFree(block);
  return 0;
}
