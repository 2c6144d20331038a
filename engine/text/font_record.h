// FontRecord: one font, its GDI object and its glyph cache; FontSystem: the table of fonts,
// the check-number counter and the default font.
#pragma once

#include <cstdint>

#include "../color/color_data.h"
#include "platform/gdi32.h"
#include "vornek.h"  // FontTypeNormal ... FontTypeAntiAliasEdge

constexpr int MaxFonts = 40;
constexpr int MaxGlyphSlots = 2024;
constexpr int GlyphEntryCount = MaxGlyphSlots + 1;  // the last used entry is followed by a terminator
constexpr int CharacterCodeCount = 65536;
// The largest size (either sign) and edge size a font may ask for. Beyond them one glyph
// costs seconds and the cache hundreds of megabytes, and the cell arithmetic nears int's end.
constexpr int MaxFontSize = 512;
constexpr int MaxEdgeSize = 16;
// No face's metrics may make a cell larger than this; the cache of the largest sizes fits.
constexpr int MaxCellSize = 1024;

struct GlyphIndexEntry;

struct GlyphEntry {
  std::uint16_t inUse;
  std::int16_t offsetX;        // pen to the image's left
  std::int16_t offsetY;        // line top to the image's top
  std::int16_t advance;        // includes twice the edge size
  std::int32_t slot;           // own number, -1 in the terminator
  std::int16_t width, height;  // image size, including twice the edge size
  GlyphIndexEntry* backLink;
};

struct GlyphIndexEntry {
  std::int32_t cached;
  GlyphEntry* entry;
};

struct StagingImage {
  ColorData colorData;
  std::int32_t width, height, pitch;
  std::uint8_t* pixels;
};

struct FontRecord {
  std::int32_t checkNumber;
  std::int32_t* lostFlag;
  GlyphEntry glyphs[GlyphEntryCount];
  GlyphIndexEntry glyphIndex[CharacterCodeCount];
  std::int32_t nextSlot;
  std::int32_t slotCount;
  std::uint8_t* cachePixels;  // MemoryCache
  std::int32_t cachePitch;
  std::int32_t cacheBitsPerPixel;
  char faceName[256];  // empty for the default face
  std::int32_t thickness;
  std::int32_t size;
  std::int32_t height;
  std::int32_t italic;
  std::int32_t spacing;
  std::int32_t cellSize;
  HFONT gdiFont;
  std::int32_t fontType;
  std::int32_t charsetIndex;
  std::int32_t edgeSize;
  std::int32_t cacheAreaWidth, cacheAreaHeight;
  std::int32_t cellsPerColumn;
  std::int32_t cacheTexture;
  std::int32_t edgeView;
  std::int32_t textureRebuildFlag;
  StagingImage staging;
  std::int32_t textureCache;
  std::int32_t utf8;  // texts are UTF-8 and glyphs keyed by Unicode code point (the BMP)
};

struct DefaultFontSettingsRecord {
  char faceName[128];
  int size, thickness, fontType, charsetIndex, edgeSize, italic, spacing;
};

struct FontSystemRecord {
  int started;  // between StartFontSystem and EndFontSystem: fonts are made only then
  FontRecord* table[MaxFonts];
  int checkCounter;
  int defaultHandle;  // 0 until the first default font exists, -1 when it could not be made
  DefaultFontSettingsRecord defaults;
};

extern FontSystemRecord FontSystem;

// The record a handle names, or null when the handle is not a live font's.
FontRecord* FontFromHandle(int handle);

// Whether a font size (a cell height, or an em height when negative) is within the limits.
bool IsFontSizeAllowed(int size);

// A font type is two bits: FontTypeEdge and FontTypeAntiAlias.
constexpr bool HasEdge(int fontType) { return (fontType & FontTypeEdge) != 0; }
constexpr bool IsAntiAliased(int fontType) { return (fontType & FontTypeAntiAlias) != 0; }

// The edge size a glyph image is framed with: the record's for edge types, else 0.
inline int EdgeOf(const FontRecord* font) { return HasEdge(font->fontType) ? font->edgeSize : 0; }
