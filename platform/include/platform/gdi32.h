// Device contexts: the screen's (GetDC with a null window) and a window's client area, onto
// which device-independent bitmaps are copied.
#pragma once

#include "platform/win32_types.h"

constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;

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
int SetDIBitsToDevice(HDC context, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
int StretchDIBits(HDC context, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
