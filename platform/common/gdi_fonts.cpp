// Memory device contexts, object selection and the glyph-outline formats, shared by both
// implementations; the fonts themselves come from PlatformCreateFont.
#include <cstring>

#include "font_object.h"
#include "platform/gdi32.h"
#include "platform_contract.h"

namespace {

// What a fresh context holds before any font is selected; it has no metrics and no glyphs.
struct StockFont final : FontObject {
  bool Metrics(TEXTMETRICA*) override { return false; }
  bool Render(UINT, bool, bool, RawGlyph*) override { return false; }
};

StockFont stockFont;

struct MemoryDC final : PlatformObject {
  MemoryDC() : PlatformObject(PlatformObjectKind::MemoryDeviceContext) { Hold(&stockFont); }
  ~MemoryDC() override { Hold(nullptr); }
  void Hold(FontObject* font) {
    if (selected != nullptr) --selected->selections;
    selected = font;
    if (selected != nullptr) ++selected->selections;
  }
  FontObject* selected = nullptr;
};

MemoryDC* AsMemoryDC(HDC context) {
  if (context == nullptr || context->kind != PlatformObjectKind::MemoryDeviceContext) return nullptr;
  return static_cast<MemoryDC*>(context);
}

FontObject* AsFont(HGDIOBJ object) {
  if (object == nullptr || object->kind != PlatformObjectKind::Font) return nullptr;
  return static_cast<FontObject*>(object);
}

DWORD RowPitch(UINT format, int width) {
  return format == GGO_BITMAP ? static_cast<DWORD>((width + 31) / 32 * 4) : static_cast<DWORD>((width + 3) & ~3);
}

void Pack(const RawGlyph& glyph, UINT format, DWORD pitch, std::uint8_t* out) {
  for (int y = 0; y < glyph.height; ++y) {
    std::uint8_t* row = out + static_cast<std::size_t>(y) * pitch;
    const std::uint8_t* levels = glyph.levels.data() + static_cast<std::size_t>(y) * glyph.width;
    for (int x = 0; x < glyph.width; ++x) {
      if (format == GGO_BITMAP) {
        if (levels[x] != 0) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
      } else {
        row[x] = levels[x];
      }
    }
  }
}

DWORD GlyphOutline(HDC context, UINT character, bool unicode, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                   void* buffer, const MAT2* matrix);

}  // namespace

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD charSet, DWORD, DWORD, DWORD,
                  DWORD pitchAndFamily, const char* faceName) {
  // No C++ exception may reach the engine: a font that cannot be made is a failure value.
  try {
    FontRequest request{height, weight, italic != 0, charSet, pitchAndFamily, faceName != nullptr ? faceName : ""};
    return PlatformCreateFont(request);
  } catch (...) {
    return nullptr;
  }
}

HDC CreateCompatibleDC(HDC) {
  if (!PlatformMemoryDCAvailable()) return nullptr;
  return new MemoryDC;
}

BOOL DeleteDC(HDC context) {
  MemoryDC* dc = AsMemoryDC(context);
  if (dc == nullptr) return FALSE;
  delete dc;
  return TRUE;
}

HGDIOBJ SelectObject(HDC context, HGDIOBJ object) {
  MemoryDC* dc = AsMemoryDC(context);
  FontObject* font = AsFont(object);
  if (dc == nullptr || font == nullptr) return nullptr;
  FontObject* previous = dc->selected;
  dc->Hold(font);
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  FontObject* font = AsFont(object);
  if (font == nullptr || font == &stockFont || font->selections != 0) return FALSE;
  delete font;
  return TRUE;
}

BOOL GetTextMetricsA(HDC context, TEXTMETRICA* metrics) {
  MemoryDC* dc = AsMemoryDC(context);
  if (dc == nullptr || metrics == nullptr) return FALSE;
  std::memset(metrics, 0, sizeof *metrics);
  return dc->selected->Metrics(metrics) ? TRUE : FALSE;
}

DWORD GetGlyphOutlineA(HDC context, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, void* buffer,
                       const MAT2* matrix) {
  return GlyphOutline(context, character, false, format, metrics, bufferSize, buffer, matrix);
}

DWORD GetGlyphOutlineW(HDC context, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, void* buffer,
                       const MAT2* matrix) {
  return GlyphOutline(context, character, true, format, metrics, bufferSize, buffer, matrix);
}

namespace {

DWORD GlyphOutline(HDC context, UINT character, bool unicode, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                   void* buffer, const MAT2* matrix) {
  MemoryDC* dc = AsMemoryDC(context);
  if (dc == nullptr || metrics == nullptr || matrix == nullptr) return GDI_ERROR;
  if (format != GGO_METRICS && format != GGO_BITMAP && format != GGO_GRAY4_BITMAP) return GDI_ERROR;
  RawGlyph glyph;
  // A face that throws (out of memory, an image it cannot size) fails the call instead.
  try {
    if (!dc->selected->Render(character, unicode, format == GGO_BITMAP, &glyph)) return GDI_ERROR;
  } catch (...) {
    return GDI_ERROR;
  }
  if (glyph.width <= 0 || glyph.height <= 0 ||
      glyph.levels.size() != static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height)) {
    glyph.width = glyph.height = 0;
  }

  const bool blank = glyph.width == 0;
  metrics->gmBlackBoxX = blank ? 1 : static_cast<UINT>(glyph.width);
  metrics->gmBlackBoxY = blank ? 1 : static_cast<UINT>(glyph.height);
  metrics->gmptGlyphOrigin = {glyph.originX, glyph.originY};
  metrics->gmCellIncX = static_cast<std::int16_t>(glyph.advance);
  metrics->gmCellIncY = 0;
  if (format == GGO_METRICS || blank) return 0;

  const DWORD pitch = RowPitch(format, glyph.width);
  const DWORD size = pitch * static_cast<DWORD>(glyph.height);
  if (buffer == nullptr || bufferSize == 0) return size;
  if (bufferSize < size) return GDI_ERROR;
  std::memset(buffer, 0, size);
  Pack(glyph, format, pitch, static_cast<std::uint8_t*>(buffer));
  dc->selected->Delivered();
  return size;
}

}  // namespace
