// The font table: creating and releasing fonts, their handles and the queries on them.
#include <cstring>

#include "../core/engine_state.h"
#include "../core/handle.h"
#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/tracked_memory.h"
#include "../graphics/graphics_state.h"
#include "font_record.h"
#include "font_system.h"
#include "glyph_cache.h"
#include "texture_glyph_cache.h"
#include "platform/kernel32.h"
#include "vornek.h"
#include "../core/engine_thread.h"

constinit FontSystemRecord FontSystem{};

namespace {

constexpr DWORD CharSetValues[] = {DEFAULT_CHARSET, SHIFTJIS_CHARSET, HANGUL_CHARSET};

int SlotOf(int handle) {
  return ValidateHandle(handle, HandleTypeFont, MaxFonts, [](int index) {
    const FontRecord* font = FontSystem.table[index];
    return font == nullptr ? -1 : font->checkNumber;
  });
}

// GDI weights run from 0 to 1000; thicknesses beyond 0..10 ask for the nearest end.
int WeightOf(int thickness) {
  if (thickness < 0) return 0;
  return thickness > 10 ? 1000 : thickness * 100;
}

HFONT MakeGdiFont(const char* face, int size, int thickness, int italic, DWORD charSet) {
  return CreateFontA(size, 0, 0, 0, WeightOf(thickness), italic ? TRUE : FALSE, FALSE, FALSE, charSet, 0, 0,
                     NONANTIALIASED_QUALITY, FIXED_PITCH, face);
}

// The named face, then the same face with the default and the Shift-JIS character sets.
HFONT MakeNamedFont(FontRecord* font, DWORD charSet) {
  HFONT made = MakeGdiFont(font->faceName, font->size, font->thickness, font->italic, charSet);
  if (made == nullptr) made = MakeGdiFont(font->faceName, font->size, font->thickness, font->italic, DEFAULT_CHARSET);
  if (made == nullptr) made = MakeGdiFont(font->faceName, font->size, font->thickness, font->italic, SHIFTJIS_CHARSET);
  if (made == nullptr) LogText("指定のフォントの作成に失敗しました\n");
  return made;
}

// The Japanese gothic face, then without italics in the default character set, then whatever
// the system chooses.
HFONT MakeDefaultFaceFont(FontRecord* font, DWORD charSet) {
  // Face names are in the texts' own character set.
  static const char8_t gothicUtf8[] = u8"ＭＳ ゴシック";
  static const char gothicShiftJis[] = "ＭＳ ゴシック";
  const char* gothic = font->utf8 ? reinterpret_cast<const char*>(gothicUtf8) : gothicShiftJis;
  HFONT made = MakeGdiFont(gothic, font->size, font->thickness, font->italic, charSet);
  if (made == nullptr) made = MakeGdiFont(gothic, font->size, font->thickness, 0, DEFAULT_CHARSET);
  if (made == nullptr) made = MakeGdiFont(nullptr, font->size, font->thickness, 0, DEFAULT_CHARSET);
  if (made == nullptr) LogText("フォントの作成に失敗しました\n");
  return made;
}

// Line height and cell size from the face's metrics; false when no context could be had or the
// metrics ask for a cell beyond MaxCellSize.
bool MeasureFont(FontRecord* font, HFONT gdiFont) {
  HDC context = CreateCompatibleDC(nullptr);
  if (context == nullptr) {
    LogText("ＤＣの取得に失敗しました\n");
    return false;
  }
  HGDIOBJ old = SelectObject(context, gdiFont);
  TEXTMETRICA metrics{};
  GetTextMetricsA(context, &metrics);
  if (old != nullptr) SelectObject(context, old);
  DeleteDC(context);

  // In 64 bits: the metrics are the face's, whatever they say.
  const long long edges = HasEdge(font->fontType) ? font->edgeSize * 2LL : 0;
  const long long maxWidth = metrics.tmMaxCharWidth > 0 ? metrics.tmMaxCharWidth : 0;
  const long long widthTerm = (maxWidth + 2 + edges + 7) / 8 * 8;
  long long height = (metrics.tmHeight > 0 ? metrics.tmHeight : 0) + edges;
  if (height % 2 != 0) ++height;
  const long long cellSize = widthTerm > height ? widthTerm : height;
  if (cellSize > MaxCellSize) {
    LogText("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
    return false;
  }
  font->height = static_cast<int>(height);
  font->cellSize = static_cast<int>(cellSize);
  return true;
}

int FailCreation(int slot) {
  FontSystem.table[slot]->checkNumber = 0;
  ReleaseFontHandle(MakeHandle(HandleTypeFont, 0, slot));
  return FailWithText("CreateFontToHandle: the font could not be made (no such face, or no memory for its cache)");
}

}  // namespace

bool IsFontSizeAllowed(int size) { return size >= -MaxFontSize && size <= MaxFontSize; }

FontRecord* FontFromHandle(int handle) {
  const int slot = SlotOf(handle);
  return slot < 0 ? nullptr : FontSystem.table[slot];
}

int CreateFontToHandle(const char* face, int size, int thickness, int fontType, int charsetIndex, int edgeSize,
                       int italic, int slot, int checkNumber) {
  if (CalledOffEngineThread(__func__)) return -1;
  // Fonts live with the graphics: one made before start-up or after the end would outlive
  // every release.
  if (!FontSystem.started) return FailWithText("CreateFontToHandle: fonts are made between InitEngine and EndEngine");
  // Values no table has a row for, and sizes beyond the limits, are refused before anything
  // is made.
  if (fontType < -1 || fontType > FontTypeAntiAliasEdge || charsetIndex < -1 || charsetIndex > CharSetHangul ||
      edgeSize < -1) {
    return FailWithText("CreateFontToHandle: font type %d, character set %d or edge size %d is out of range", fontType,
                        charsetIndex, edgeSize);
  }
  if (!IsFontSizeAllowed(size) || edgeSize > MaxEdgeSize) {
    return FailWithText("CreateFontToHandle: size %d or edge size %d is beyond the limits (%d, %d)", size, edgeSize,
                        MaxFontSize, MaxEdgeSize);
  }
  if (fontType == -1) fontType = FontTypeNormal;
  if (edgeSize > 1) fontType |= FontTypeEdge;
  if (edgeSize == -1) edgeSize = 1;
  if (size == -1) size = 16;
  if (thickness == -1) thickness = 6;
  if (charsetIndex == -1) charsetIndex = GetOEMCP() == 949 ? CharSetHangul : CharSetShiftJis;

  if (slot == -1) {
    for (slot = 0; slot < MaxFonts && FontSystem.table[slot] != nullptr; ++slot) {
    }
    if (slot == MaxFonts) {
      LogFormat("作成できるフォントハンドル数 %d の限界を超えました", MaxFonts);
      return FailWithText("CreateFontToHandle: all %d fonts are in use; release one first", MaxFonts);
    }
  } else if (slot < 0 || slot >= MaxFonts || FontSystem.table[slot] != nullptr) {
    return FailWithText("CreateFontToHandle: slot %d is out of range or taken", slot);
  }

  auto* font = static_cast<FontRecord*>(TrackedCalloc(sizeof(FontRecord), "", 0));
  if (font == nullptr) {
    LogText("フォント管理用メモリ領域の確保に失敗しました\n");
    return FailWithText("CreateFontToHandle: no memory for the font");
  }
  FontSystem.table[slot] = font;
  font->cacheTexture = -1;
  font->edgeView = -1;

  if (GraphicsState.screenBitDepth == 8) fontType &= ~FontTypeAntiAlias;
  font->thickness = thickness;
  font->fontType = fontType;
  font->size = size;
  font->edgeSize = edgeSize;
  font->italic = italic ? 1 : 0;
  font->spacing = 0;
  if (checkNumber == -1) {
    font->checkNumber = FontSystem.checkCounter;
    if (++FontSystem.checkCounter > HandleCheckNumberMask) FontSystem.checkCounter = 0;
  } else {
    font->checkNumber = checkNumber & HandleCheckNumberMask;
  }
  const int handle = MakeHandle(HandleTypeFont, font->checkNumber, slot);

  font->textureCache = GraphicsState.useHardware ? 1 : 0;
  font->utf8 = EngineState.Utf8Text ? 1 : 0;

  if (face != nullptr) {
    std::strncpy(font->faceName, face, sizeof font->faceName - 1);
  }
  const DWORD charSet = CharSetValues[charsetIndex];
  HFONT gdiFont = font->faceName[0] != '\0' ? MakeNamedFont(font, charSet) : MakeDefaultFaceFont(font, charSet);
  if (gdiFont == nullptr) return FailCreation(slot);
  if (!MeasureFont(font, gdiFont)) {
    DeleteObject(gdiFont);
    return FailCreation(slot);
  }
  if (font->gdiFont != nullptr) DeleteObject(font->gdiFont);
  font->gdiFont = gdiFont;

  if (font->textureCache) {
    const int texture = SetUpTextureCache(font, handle);
    if (texture < 0) return FailCreation(slot);
    if (texture > 0 && SetUpMemoryCache(font) != 0) return FailCreation(slot);
  } else if (SetUpMemoryCache(font) != 0) {
    return FailCreation(slot);
  }

  ResetGlyphCache(handle);
  font->charsetIndex = charsetIndex;
  font->lostFlag = nullptr;
  return handle;
}

int ReleaseFontHandle(int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int slot = SlotOf(handle);
  if (slot < 0) return FailWithText("ReleaseFontHandle: %d is not the handle of a live font", handle);
  FontRecord* font = FontSystem.table[slot];
  TrackedFree(font->cachePixels);
  ReleaseTextureCache(font);
  TrackedFree(font->staging.pixels);
  if (font->gdiFont != nullptr) DeleteObject(font->gdiFont);
  if (font->lostFlag != nullptr) *font->lostFlag = 1;
  TrackedFree(font);
  FontSystem.table[slot] = nullptr;
  return 0;
}

int SetFontLostNotifier(int handle, std::int32_t* lostFlag) {
  if (CalledOffEngineThread(__func__)) return -1;
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return FailWithText("SetFontLostNotifier: %d is not the handle of a live font", handle);
  font->lostFlag = lostFlag;
  if (lostFlag != nullptr) *lostFlag = 0;
  return 0;
}

int QueryFontFace(char* face, int* size, int* thickness, int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  const FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return FailWithText("QueryFontFace: %d is not the handle of a live font", handle);
  if (face != nullptr) std::memcpy(face, font->faceName, std::strlen(font->faceName) + 1);
  if (size != nullptr) *size = font->size;
  if (thickness != nullptr) *thickness = font->thickness;
  return 0;
}

int QueryFontSize(int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  const FontRecord* font = FontFromHandle(handle);
  return font == nullptr ? FailWithText("QueryFontSize: %d is not the handle of a live font", handle) : font->size;
}

int IsFontHandleValid(int handle) {
  if (CalledOffEngineThread(__func__)) return 0;
  return FontFromHandle(handle) != nullptr ? 1 : 0;
}

int SetFontSpacing(int spacing, int handle) {
  if (CalledOffEngineThread(__func__)) return -1;
  FontRecord* font = FontFromHandle(handle);
  if (font == nullptr) return FailWithText("SetFontSpacing: %d is not the handle of a live font", handle);
  font->spacing = spacing;
  return 0;
}
