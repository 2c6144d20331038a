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

struct Cell {
  std::uint8_t* origin;
  int pitch;
  std::uint8_t& At(int x, int y) const { return origin[static_cast<std::size_t>(y) * pitch + x]; }
};

}  // namespace

bool InEdgeStamp(int edge, int dx, int dy) {
  if (edge > 4) return true;
  return EdgeStamps[edge][dy + edge][dx + edge] == 'x';
}

int GlyphImageLevel(const GdiGlyphImage& image, int x, int y, bool grey) {
  if (y >= image.rowCount) return 0;
  const std::uint8_t* row = image.rows + static_cast<std::size_t>(y) * image.pitch;
  if (grey) return x < image.pitch ? row[x] : 0;
  return x / 8 < image.pitch ? (row[x >> 3] >> (7 - (x & 7))) & 1 : 0;
}

void WriteGlyphToMemoryCell(const FontRecord* font, int slot, const GdiGlyphImage& image) {
  const int edge = EdgeOf(font);
  const int byteX = CellX(font, slot) * font->cacheBitsPerPixel / 8;
  Cell cell{font->cachePixels + static_cast<std::size_t>(CellY(font, slot)) * font->cachePitch + byteX,
            font->cachePitch};
  switch (font->fontType) {
    case FontTypeNormal: {
      const int bytes = (image.width + 7) / 8 < image.pitch ? (image.width + 7) / 8 : image.pitch;
      for (int y = 0; y < image.height && y < image.rowCount; ++y) {
        std::memcpy(&cell.At(0, y), image.rows + static_cast<std::size_t>(y) * image.pitch,
                    static_cast<std::size_t>(bytes));
        // Bits right of the width (the image's own padding) stay clear.
        if (image.width % 8 != 0) cell.At(bytes - 1, y) &= static_cast<std::uint8_t>(0xFF00 >> (image.width % 8));
      }
      break;
    }
    case FontTypeEdge:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          if (GlyphImageLevel(image, x, y, false)) cell.At(x + edge, y + edge) = 1;
        }
      }
      ForEachGlyphOutlinePixel(image, edge, false, [&](int x, int y, int) {
        if (cell.At(x, y) != 1) cell.At(x, y) = 2;
      });
      break;
    case FontTypeAntiAlias:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          const int level = GlyphImageLevel(image, x, y, true);
          if (level > 0) cell.At(x, y) = static_cast<std::uint8_t>(level - 1);
        }
      }
      break;
    case FontTypeAntiAliasEdge:
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          const int level = GlyphImageLevel(image, x, y, true);
          if (level > 0) cell.At(x + edge, y + edge) |= static_cast<std::uint8_t>(level - 1);
        }
      }
      ForEachGlyphOutlinePixel(image, edge, true, [&](int x, int y, int level) {
        std::uint8_t& pixel = cell.At(x, y);
        if ((pixel >> 4) < level - 1) pixel = static_cast<std::uint8_t>((pixel & 0x0F) | ((level - 1) << 4));
      });
      break;
    default:
      break;
  }
}
