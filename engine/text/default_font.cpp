// The font system's life and the default font that DrawText uses.
#include <cstring>

#include "../core/last_error.h"
#include "../core/handle.h"
#include "../core/log.h"
#include "font_record.h"
#include "font_system.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

void SetStartDefaults(DefaultFontSettingsRecord* settings) {
  *settings = DefaultFontSettingsRecord{};
  settings->size = 16;
  settings->thickness = 6;
  settings->fontType = FontTypeNormal;
  settings->charsetIndex = CharSetShiftJis;
  settings->edgeSize = 1;
}

bool MatchesDefaults(const FontRecord* font, const DefaultFontSettingsRecord& settings) {
  return std::strcmp(font->faceName, settings.faceName) == 0 && font->fontType == settings.fontType &&
         font->size == settings.size && font->thickness == settings.thickness &&
         font->charsetIndex == settings.charsetIndex && font->edgeSize == settings.edgeSize &&
         font->italic == settings.italic;
}

}  // namespace

int StartFontSystem() {
  FontSystem = FontSystemRecord{};
  FontSystem.started = 1;
  SetStartDefaults(&FontSystem.defaults);
  return ResetFonts();
}

int ResetFonts() {
  LogText("フォントの初期化を行います\n");
  LogIndentIn();
  const FontRecord* current = FontFromHandle(FontSystem.defaultHandle);
  const bool copied = current != nullptr;
  DefaultFontSettingsRecord kept{};
  char keptFace[sizeof current->faceName] = {};
  if (copied) {
    std::memcpy(keptFace, current->faceName, sizeof keptFace);
    kept.size = current->size;
    kept.thickness = current->thickness;
    kept.fontType = current->fontType;
    kept.charsetIndex = current->charsetIndex;
    kept.edgeSize = current->edgeSize;
    kept.italic = current->italic;
  }
  for (int slot = 0; slot < MaxFonts; ++slot) {
    if (FontSystem.table[slot] != nullptr) {
      ReleaseFontHandle(MakeHandle(HandleTypeFont, FontSystem.table[slot]->checkNumber, slot));
    }
  }
  FontSystem.defaultHandle = copied ? CreateFontToHandle(keptFace, kept.size, kept.thickness, kept.fontType,
                                                         kept.charsetIndex, kept.edgeSize, kept.italic, -1, -1)
                                    : CreateFontToHandle(nullptr, 16, 6, -1, -1, -1, 0, -1, -1);
  LogText("フォントの初期化は正常に終了しました\n");
  LogIndentOut();
  return 0;
}

int EndFontSystem() {
  ResetFonts();
  ReleaseFontHandle(FontSystem.defaultHandle);
  FontSystem.started = 0;
  return 0;
}

int RefreshDefaultFont() {
  // Without graphics there is no default font to keep up to date.
  if (!FontSystem.started) return 0;
  const DefaultFontSettingsRecord& settings = FontSystem.defaults;
  const FontRecord* current = FontFromHandle(FontSystem.defaultHandle);
  if (current != nullptr && MatchesDefaults(current, settings)) return 0;
  ReleaseFontHandle(FontSystem.defaultHandle);
  FontSystem.defaultHandle =
      CreateFontToHandle(settings.faceName, settings.size, settings.thickness, settings.fontType, settings.charsetIndex,
                         HasEdge(settings.fontType) ? settings.edgeSize : -1, settings.italic, -1, -1);
  SetFontSpacing(settings.spacing, FontSystem.defaultHandle);
  return 0;
}

int SetDefaultFontSize(int size, int thickness) {
  if (CalledOffEngineThread(__func__)) return -1;
  // Start-up sets the defaults afresh, so nothing set before it would last.
  if (!FontSystem.started) return FailWithText("SetDefaultFontSize: the engine is not started");
  if (!IsFontSizeAllowed(size))
    return FailWithText("SetDefaultFontSize: size %d is beyond -%d..%d", size, MaxFontSize, MaxFontSize);
  FontSystem.defaults.size = size == -1 ? 16 : size;
  FontSystem.defaults.thickness = thickness == -1 ? 6 : thickness;
  return RefreshDefaultFont();
}

int QueryDefaultFont() {
  if (CalledOffEngineThread(__func__)) return -1;
  return FontSystem.defaultHandle;
}

int RecreateAllFonts() {
  for (int slot = 0; slot < MaxFonts; ++slot) {
    const FontRecord* font = FontSystem.table[slot];
    if (font == nullptr) continue;
    char face[256];
    std::memcpy(face, font->faceName, sizeof face);
    const int size = font->size, thickness = font->thickness, fontType = font->fontType;
    const int charsetIndex = font->charsetIndex, edgeSize = font->edgeSize, italic = font->italic;
    const int spacing = font->spacing, checkNumber = font->checkNumber;
    ReleaseFontHandle(MakeHandle(HandleTypeFont, checkNumber, slot));
    const int handle =
        CreateFontToHandle(face, size, thickness, fontType, charsetIndex, edgeSize, italic, slot, checkNumber);
    if (FontFromHandle(handle) != nullptr && HandleIndex(handle) == slot) SetFontSpacing(spacing, handle);
  }
  return 0;
}
