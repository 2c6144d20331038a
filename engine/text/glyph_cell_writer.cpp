// Writing one GDI glyph image into a MemoryCache cell: ink bits, grey levels and the outline
// of edge types.
#include <cstring>

#include "../core/tracked_memory.h"
#include "glyph_cache.h"

namespace {

// Outline shapes for edge sizes 1-4, centred on an ink pixel; larger sizes use the full square.
// Size 1 is the four direct neighbours only.
const char* const EdgeStamps[5][9] = {
    {},
    {".x.", "x.x", ".x."},
    {".xxx.", "xxxxx", "xxxxx", "xxxxx", ".xxx."},
    {"...x...", ".xxxxx.", ".xxxxx.", "xxxxxxx", ".xxxxx.", ".xxxxx.", "...x..."},
    {"..xxxxx..", ".xxxxxxx.", "xxxxxxxxx", "xxxxxxxxx", "xxxxxxxxx", "xxxxxxxxx", "xxxxxxxxx", ".xxxxxxx.",
     "..xxxxx.."},
};

bool InStamp(int edge, int dx, int dy) {
  if (edge > 4) return true;
  return EdgeStamps[edge][dy + edge][dx + edge] == 'x';
}

// The level of an image pixel: 0/1 for the 1-bit format, 0..16 for the grey one. Pixels the
// image rows do not hold read as 0.
int Level(const GdiGlyphImage& image, int x, int y, bool grey) {
  if (y >= image.rowCount) return 0;
  const std::uint8_t* row = image.rows + static_cast<std::size_t>(y) * image.pitch;
  if (grey) return x < image.pitch ? row[x] : 0;
  return x / 8 < image.pitch ? (row[x >> 3] >> (7 - (x & 7))) & 1 : 0;
}

struct Cell {
  std::uint8_t* origin;
  int pitch;
  std::uint8_t& At(int x, int y) const { return origin[static_cast<std::size_t>(y) * pitch + x]; }
};

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
        const int level = Level(image, from, y, grey);
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
// coordinates (the image lies at (edge, edge)). A pixel may be marked more than once; every
// mark keeps the largest level, so the order and the count do not matter.
template <class Mark>
void ForEachOutlinePixel(const GdiGlyphImage& image, int edge, bool grey, Mark mark) {
  if (edge <= 0) return;
  if (edge > 4 && ForEachSquareOutlinePixel(image, edge, grey, mark)) return;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const int level = Level(image, x, y, grey);
      if (level == 0) continue;
      for (int dy = -edge; dy <= edge; ++dy) {
        for (int dx = -edge; dx <= edge; ++dx) {
          if (InStamp(edge, dx, dy)) mark(x + edge + dx, y + edge + dy, level);
        }
      }
    }
  }
}

}  // namespace

void WriteGlyphToMemoryCell(const FontRecord* font, int slot, const GdiGlyphImage& image) {
  const int edge = EdgeOf(font);
  const int byteX = CellX(font, slot) * font->cacheBitsPerPixel / 8;
  Cell cell{font->cachePixels + static_cast<std::size_t>(CellY(font, slot)) * font->cachePitch + byteX,
            font->cachePitch};
  switch (font->fontType) {
    case 0: {
      const int bytes = (image.width + 7) / 8 < image.pitch ? (image.width + 7) / 8 : image.pitch;
      for (int y = 0; y < image.height && y < image.rowCount; ++y) {
        std::memcpy(&cell.At(0, y), image.rows + static_cast<std::size_t>(y) * image.pitch,
                    static_cast<std::size_t>(bytes));
        // Bits right of the width (the image's own padding) stay clear.
        if (image.width % 8 != 0) cell.At(bytes - 1, y) &= static_cast<std::uint8_t>(0xFF00 >> (image.width % 8));
      }
      break;
    }
    case 1:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          if (Level(image, x, y, false)) cell.At(x + edge, y + edge) = 1;
        }
      }
      ForEachOutlinePixel(image, edge, false, [&](int x, int y, int) {
        if (cell.At(x, y) != 1) cell.At(x, y) = 2;
      });
      break;
    case 2:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          const int level = Level(image, x, y, true);
          if (level > 0) cell.At(x, y) = static_cast<std::uint8_t>(level - 1);
        }
      }
      break;
    case 3:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          const int level = Level(image, x, y, true);
          if (level > 0) cell.At(x + edge, y + edge) |= static_cast<std::uint8_t>(level - 1);
        }
      }
      ForEachOutlinePixel(image, edge, true, [&](int x, int y, int level) {
        std::uint8_t& pixel = cell.At(x, y);
        if ((pixel >> 4) < level - 1) pixel = static_cast<std::uint8_t>((pixel & 0x0F) | ((level - 1) << 4));
      });
      break;
    default:
      break;
  }
}
