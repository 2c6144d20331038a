// GDI fonts as each platform implementation supplies them (PlatformCreateFont, in
// platform_contract.h): a font object renders one glyph at a time as rows of levels, and the
// shared GDI calls (gdi_fonts.cpp) pack those into the formats GetGlyphOutlineA/W hand out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi32.h"
#include "platform_object.h"

struct FontRequest {
  int height;
  int weight;
  bool italic;
  DWORD charSet;
  DWORD pitchAndFamily;
  std::string face;  // system code page; empty lets the implementation choose
};

struct RawGlyph {
  int width = 0, height = 0;  // 0 × 0 for a glyph without ink
  int originX = 0, originY = 0;
  int advance = 0;
  std::vector<std::uint8_t> levels;  // width × height, top row first: 0/1 when mono, else 0..16
};

struct FontObject : PlatformObject {
  FontObject() : PlatformObject(PlatformObjectKind::Font) {}
  virtual bool Metrics(TEXTMETRICA* metrics) = 0;
  // character: a code of the system code page (lead byte × 256 + trail byte for two bytes), or
  // with unicode a Unicode code point.
  virtual bool Render(UINT character, bool unicode, bool mono, RawGlyph* glyph) = 0;
  // Told when an image has been copied out to a caller.
  virtual void Delivered() {}
  int selections = 0;  // contexts that hold it
};
