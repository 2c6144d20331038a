// The screen device context: desktop depth from SDL's desktop display mode.
#include "platform/gdi32.h"
#include "../common/platform_object.h"
#include "sdl_video.h"

namespace {

struct ScreenDC final : PlatformObject {
  ScreenDC() : PlatformObject(PlatformObjectKind::DeviceContext) {}
};

ScreenDC screenDC;

// Bytes per pixel × 8: SDL calls a 32-bit XRGB desktop 24 bits per pixel.
int DesktopDepth() {
  if (!StartSdlVideo()) return 0;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return SDL_BYTESPERPIXEL(mode.format) * 8;
}

}  // namespace

HDC GetDC(HWND window) { return window == nullptr ? &screenDC : nullptr; }

int ReleaseDC(HWND, HDC context) { return context == &screenDC ? 1 : 0; }

// Window contexts come with the SDL window.
int SetDIBitsToDevice(HDC, int, int, DWORD, DWORD, int, int, UINT, UINT, const void*, const BITMAPINFO*, UINT) {
  return 0;
}
int StretchDIBits(HDC, int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*, UINT, DWORD) {
  return 0;
}

int GetDeviceCaps(HDC context, int index) {
  if (context != &screenDC) return 0;
  switch (index) {
    case BITSPIXEL:
      return DesktopDepth();
    case PLANES:
      return 1;
    default:
      return 0;
  }
}
