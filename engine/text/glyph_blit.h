// Drawing one cached glyph into a software image: one loop template over the font type's
// cache pixels and the destination's pixel format.
#pragma once

#include <cstdint>

#include "../graphics/soft/mem_img.h"
#include "font_record.h"

// The colours of one string, resolved once per call in the screen's format.
struct TextColors {
  std::uint32_t text;  // T: the tinted text colour with the filler bits clear
  std::uint32_t edge;  // E
  // Channels of T and E and where they sit, for blending the anti-aliased edge.
  int textChannel[3], edgeChannel[3];
  int shift[3];
  std::uint32_t mask[3];
};

TextColors ResolveTextColors(std::uint32_t color, std::uint32_t edgeColor);

// Draws the glyph's cell rectangle with its top-left at (x, y), clipped by clip and by the
// image; cache pixels of 0 leave the destination unchanged. The position may lie anywhere.
void BlitGlyph(const FontRecord* font, const GlyphEntry* glyph, MEMIMG* destination, const Rect* clip, long long x,
               long long y, const TextColors& colors);
