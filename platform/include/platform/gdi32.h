// Device contexts: the screen's (GetDC with a null window) and a window's client area, onto
// which device-independent bitmaps are copied.
#pragma once

#include "platform/win32_types.h"

constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

constexpr DWORD BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD SRCCOPY = 0x00CC0020;

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // negative: rows run top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

// With BI_BITFIELDS the three colour entries are the red, green and blue masks.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  DWORD bmiColors[3];
};

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC context);
int GetDeviceCaps(HDC context, int index);

constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
// Stock brushes; they are never released.
PlatformObject* GetStockObject(int index);
// Both return the number of scan lines copied, 0 on failure. Only 16- and 32-bit bit-field
// bitmaps are supported. Source rows count from the bottom of the image, as on Windows.
int SetDIBitsToDevice(HDC context, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
int StretchDIBits(HDC context, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);

// Fonts and glyph outlines. Faces are named in the system code page; character codes passed
// to GetGlyphOutlineA are the character's bytes in that code page, a double-byte character as
// (lead byte << 8) | trail byte.
using HGDIOBJ = PlatformObject*;
using HFONT = PlatformObject*;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD SHIFTJIS_CHARSET = 128;
constexpr DWORD HANGUL_CHARSET = 129;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD FIXED_PITCH = 1;

constexpr UINT GGO_METRICS = 0;
constexpr UINT GGO_BITMAP = 1;        // 1 bit per pixel, most significant bit leftmost
constexpr UINT GGO_GRAY4_BITMAP = 5;  // one byte per pixel, levels 0..16
constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;

struct FIXED {
  WORD fract;
  std::int16_t value;
};

struct MAT2 {
  FIXED eM11, eM12, eM21, eM22;
};

struct GLYPHMETRICS {
  UINT gmBlackBoxX;
  UINT gmBlackBoxY;
  POINT gmptGlyphOrigin;  // left of the black box from the pen; top of it above the baseline
  std::int16_t gmCellIncX;
  std::int16_t gmCellIncY;
};

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// Null when no installed face can serve the request.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, const char* faceName);
// A memory device context; the context argument is ignored (null means the screen's).
HDC CreateCompatibleDC(HDC context);
BOOL DeleteDC(HDC context);
// Returns the object previously selected (the context's stock font at first), null on failure.
HGDIOBJ SelectObject(HDC context, HGDIOBJ object);
// Refuses an object still selected into a context.
BOOL DeleteObject(HGDIOBJ object);
BOOL GetTextMetricsA(HDC context, TEXTMETRICA* metrics);
// GGO_METRICS, GGO_BITMAP or GGO_GRAY4_BITMAP. With no buffer, returns the size the image
// needs; otherwise fills the buffer (DWORD-aligned rows, top row first) and returns that size.
// GDI_ERROR on failure. An empty glyph (a space) has a 1 × 1 black box and size 0.
DWORD GetGlyphOutlineA(HDC context, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, void* buffer,
                       const MAT2* matrix);
// The same for a Unicode code point.
DWORD GetGlyphOutlineW(HDC context, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, void* buffer,
                       const MAT2* matrix);
