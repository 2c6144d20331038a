// The TextureCache branch of the glyph cache (hardware back-end).
#pragma once

#include <cstdint>

#include "font_record.h"
#include "glyph_cache.h"

// Cache set-up: 0; 1 when the texture could not be made and the font must use MemoryCache;
// -1 (logged) when the staging image cannot be had.
int SetUpTextureCache(FontRecord* font, int handle);
// Makes the cache texture again when its rebuild flag is up; 0, or -1 when it cannot be made.
int EnsureCacheTexture(int handle);
void ReleaseTextureCache(FontRecord* font);
// Builds the glyph white in the staging image and copies it into the slot's cell.
void WriteGlyphToTexture(FontRecord* font, int slot, const GdiGlyphImage& image);
// Draws a cached glyph's cell at (x, y): its edge layer in the edge tint, its body in the text tint.
void DrawTextureGlyph(const FontRecord* font, const GlyphEntry* glyph, int x, int y, const std::uint8_t textTint[3],
                      const std::uint8_t edgeTint[3]);
