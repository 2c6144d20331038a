// The glyph cache's parts used by font creation and by the drawing core.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../core/tracked_memory.h"
#include "font_record.h"

// The MemoryCache branch of cache set-up; 0, or -1 (logged) when the buffer cannot be had.
int SetUpMemoryCache(FontRecord* font);

// The cached glyph of a character item, rendering it when it is missing.
GlyphEntry* LookUpGlyph(int handle, FontRecord* font, const std::uint8_t* item);

inline int CharacterCodeOf(const std::uint8_t* item) { return item[0] | (item[1] << 8); }
// A space or a full-width space: advanced over, never drawn.
bool IsBlankCharacter(const FontRecord* font, const std::uint8_t* item);

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

// The full square of edge sizes above 4, one axis at a time: mark(x, y, level) once for every
// pixel of the outlined image with the largest level within the square around it. A pixel
// costs 2 × (2e + 1) reads instead of (2e + 1)² marks per inked pixel, which for the largest
// edge and glyph sizes is the difference between milliseconds and seconds. False when the
// row buffer cannot be had.
template <class Mark>
bool ForEachSquareOutlinePixel(const GdiGlyphImage& image, int edge, bool grey, Mark mark) {
  if (image.width <= 0 || image.height <= 0) return true;
  const int span = 2 * edge;
  const int width = image.width + span;
  const int height = image.height + span;
  // Row maxima: rows[y][x] is the largest level of image row y over columns x - 2e .. x.
  auto* rows = static_cast<std::uint8_t*>(
      TrackedAlloc(static_cast<std::size_t>(width) * static_cast<std::size_t>(image.height), "", 0));
  if (rows == nullptr) return false;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < width; ++x) {
      int best = 0;
      const int last = x < image.width ? x : image.width - 1;
      for (int from = x > span ? x - span : 0; from <= last; ++from) {
        const int level = GlyphImageLevel(image, from, y, grey);
        if (level > best) best = level;
      }
      rows[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(best);
    }
  }
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      int best = 0;
      const int last = y < image.height ? y : image.height - 1;
      for (int from = y > span ? y - span : 0; from <= last; ++from) {
        const int level = rows[static_cast<std::size_t>(from) * width + x];
        if (level > best) best = level;
      }
      if (best > 0) mark(x, y, best);
    }
  }
  TrackedFree(rows);
  return true;
}

// Calls mark(x, y, level) for every outline pixel of every inked image pixel, in cell
// coordinates (the image lies at (edge, edge)): a pixel is marked once for each ink pixel whose
// outline covers it, for marks that add up.
template <class Mark>
void ForEachGlyphOutlineMark(const GdiGlyphImage& image, int edge, bool grey, Mark mark) {
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

// The same outline for marks that keep the largest level, where neither the order nor the
// count of marks matters: large edges then take the square's faster path.
template <class Mark>
void ForEachGlyphOutlinePixel(const GdiGlyphImage& image, int edge, bool grey, Mark mark) {
  if (edge > 4 && ForEachSquareOutlinePixel(image, edge, grey, mark)) return;
  ForEachGlyphOutlineMark(image, edge, grey, mark);
}
