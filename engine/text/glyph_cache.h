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

// The level of an image pixel: 0/1 for the 1-bit format, 0..16 for the grey one. Pixels the
// image rows do not hold read as 0.
int GlyphImageLevel(const GdiGlyphImage& image, int x, int y, bool grey);
// Whether (dx, dy) from an ink pixel belongs to its outline for this edge size.
bool InEdgeStamp(int edge, int dx, int dy);

// Calls mark(x, y, level) for every outline pixel of every inked image pixel, in cell
// coordinates (the image lies at (edge, edge)).
template <class Mark>
void ForEachGlyphOutlinePixel(const GdiGlyphImage& image, int edge, bool grey, Mark mark) {
  if (edge <= 0) return;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const int level = GlyphImageLevel(image, x, y, grey);
      if (level == 0) continue;
      for (int dy = -edge; dy <= edge; ++dy) {
        for (int dx = -edge; dx <= edge; ++dx) {
          if (InEdgeStamp(edge, dx, dy)) mark(x + edge + dx, y + edge + dy, level);
        }
      }
    }
  }
}
