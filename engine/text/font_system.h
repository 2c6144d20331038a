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

// What DrawTextCore is asked to do; callers name the fields they set.
enum class TextPass : int { Measure, Draw };
struct TextRequest {
  TextPass pass = TextPass::Measure;
  int font = -1;  // a font handle
  const char* text = nullptr;
  int length = -1;   // bytes of text to take; negative or beyond its end: all of it
  int x = 0, y = 0;  // where drawing starts
  std::uint32_t color = 0, edgeColor = 0;
  // Drawing goes into this memory image, inside clip; with null, a font whose glyphs are cached
  // in a texture draws through the hardware back-end.
  MEMIMG* destination = nullptr;
  const Rect* clip = nullptr;
};
struct TextSize {
  int width, height;
};
// Measures or draws a string: the total advance, or -1. size, when not null, gets the advance and
// the font's height.
int DrawTextCore(const TextRequest& request, TextSize* size);
