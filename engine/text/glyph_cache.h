// The glyph cache's parts used by font creation and by the drawing core.
#pragma once

#include <cstdint>

#include "font_record.h"

// The MemoryCache branch of cache set-up; 0, or -1 (logged) when the buffer cannot be had.
int SetUpMemoryCache(FontRecord* font);

// The cached glyph of a character item, rendering it when it is missing.
GlyphEntry* LookUpGlyph(int handle, FontRecord* font, const std::uint8_t* item);

inline int CharacterCodeOf(const std::uint8_t* item) { return item[0] | (item[1] << 8); }

// The top-left pixel of a slot's cell in the cache area.
inline int CellX(const FontRecord* font, int slot) { return slot / font->cellsPerColumn * font->cellSize; }
inline int CellY(const FontRecord* font, int slot) { return slot % font->cellsPerColumn * font->cellSize; }

// A GDI glyph image: rows of `pitch` bytes, 1 bit per pixel (GGO_BITMAP) or levels 0..16.
struct GdiGlyphImage {
  const std::uint8_t* rows;
  int pitch;
  int rowCount;
  int width, height;  // already limited to what fits in the cell
};

// Writes an image into a cleared MemoryCache cell in the font type's pixel meaning.
void WriteGlyphToMemoryCell(const FontRecord* font, int slot, const GdiGlyphImage& image);
