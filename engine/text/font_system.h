// The text subsystem inside the engine: font life, the glyph cache and the drawing core.
#pragma once

#include <cstdint>

#include "../graphics/soft/mem_img.h"
#include "vornek.h"  // SetFontLostNotifier and the other font operations

// Font life. Each returns 0.
// Adds text's display listeners: the fonts follow the display's start, end and restore, the
// default font keeps its size across a change of the screen mode, and the on-screen log is
// drawn before each present. InitEngine calls it before the display starts.
void ListenToDisplay();
int StartFontSystem();
int ResetFonts();
int EndFontSystem();
int RecreateAllFonts();
int RefreshDefaultFont();

// Glyph cache.
struct GlyphEntry;
int ResetGlyphCache(int handle);
// items: count characters of 3 bytes (first byte, second byte or 0, 0).
GlyphEntry* RenderGlyphs(int handle, int count, const std::uint8_t* items);
int PrepareGlyphs(int maxBytes, const char* text, int handle, std::uint8_t* items, int* count);
int IsLeadByte(std::uint8_t byte, int charsetIndex);

// Measures (mode 0) or draws (mode 1) a string; the total advance or -1.
struct TextSize {
  int width, height;
};
int DrawTextCore(int mode, int x, int y, const char* text, std::uint32_t color, MEMIMG* destination,
                 const Rect* clip, int handle, std::uint32_t edgeColor, int length, TextSize* size);
