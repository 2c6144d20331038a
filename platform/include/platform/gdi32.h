// Device contexts. Only the screen context (GetDC with a null window) is needed so far.
#pragma once

#include "platform/win32_types.h"

constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC context);
int GetDeviceCaps(HDC context, int index);

constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
// Stock brushes; they are never released.
PlatformObject* GetStockObject(int index);
