// Device contexts: the screen's, for its depth, and each window's client area, onto which
// device-independent bitmaps are copied.
#include "dib_copy.h"
#include "platform/gdi32.h"
#include "platform_contract.h"
#include "window_system.h"

namespace {

struct ScreenDC final : PlatformObject {
  ScreenDC() : PlatformObject(PlatformObjectKind::DeviceContext) {}
};

ScreenDC screenDC;

// The window behind a window's device context, or null for any other context.
Window* WindowOfContext(HDC context) {
  if (context == nullptr || context == &screenDC || context->kind != PlatformObjectKind::DeviceContext) return nullptr;
  Window* window = static_cast<WindowDC*>(context)->window;
  return windows::Find(window) != nullptr ? window : nullptr;
}

bool CopyToWindow(HDC context, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info) {
  Window* window = WindowOfContext(context);
  if (window == nullptr) return false;
  Canvas canvas{};
  if (!PlatformOpenWindowCanvas(*window, &canvas)) return false;
  const bool copied =
      CopyDibToCanvas(canvas, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, bits, info);
  const bool stretched = width != sourceWidth || height != sourceHeight;
  PlatformCloseWindowCanvas(*window, RECT{x, y, x + width, y + height}, stretched);
  return copied;
}

}  // namespace

HDC GetDC(HWND window) {
  if (window == nullptr) return &screenDC;
  Window* w = windows::Find(window);
  return w != nullptr ? &w->dc : nullptr;
}

int ReleaseDC(HWND, HDC context) { return context == &screenDC || WindowOfContext(context) != nullptr ? 1 : 0; }

int SetDIBitsToDevice(HDC context, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY, UINT, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT) {
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  return CopyToWindow(context, x, y, w, h, sourceX, sourceY, w, h, bits, info) ? static_cast<int>(lines) : 0;
}

int StretchDIBits(HDC context, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT, DWORD) {
  return CopyToWindow(context, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, bits, info) ? height
                                                                                                             : 0;
}

int GetDeviceCaps(HDC context, int index) {
  if (context != &screenDC) return 0;
  switch (index) {
    case BITSPIXEL:
      return PlatformDesktopDepth();
    case PLANES:
      return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return PlatformDesktopDpi();
    default:
      return 0;
  }
}
