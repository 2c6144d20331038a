// The native side of windows on SDL: one SDL window per window, placed at its client area.
#include <errno.h>

#include <cstdio>

#include "../common/window_system.h"
#include "code_page.h"
#include "sdl_video.h"

namespace {

SDL_Window* Native(const Window& window) { return static_cast<SDL_Window*>(window.native); }

// What a player sees when the game cannot start for want of a display: the log is off, so
// this is the one line that says why.
void ReportNoWindow(const char* what, const std::string& reason) {
  std::fprintf(stderr, "%s: cannot open a window: %s (SDL: %s)\n", program_invocation_short_name, what,
               reason.c_str());
}

}  // namespace

namespace native {

bool CreateNativeWindow(Window& window) {
  std::string error;
  if (!StartSdlVideo(&error)) {
    ReportNoWindow("no display", error);
    return false;
  }
  const RECT client = windows::ClientRectOnScreen(window);
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (!(window.style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
  const int width = client.right - client.left > 0 ? client.right - client.left : 1;
  const int height = client.bottom - client.top > 0 ? client.bottom - client.top : 1;
  SDL_Window* created =
      SDL_CreateWindow(CodePageToUtf8(window.title).c_str(), client.left, client.top, width, height, flags);
  if (created == nullptr) {
    ReportNoWindow("window creation failed", SDL_GetError());
    return false;
  }
  window.native = created;
  if (window.visible) SDL_ShowWindow(created);
  return true;
}

void DestroyNativeWindow(Window& window) {
  if (window.native == nullptr) return;
  SDL_DestroyWindow(Native(window));
  window.native = nullptr;
}

void SetNativeTitle(Window& window) {
  if (window.native != nullptr) SDL_SetWindowTitle(Native(window), CodePageToUtf8(window.title).c_str());
}

void SetNativeGeometry(Window& window) {
  SDL_Window* w = Native(window);
  if (w == nullptr) return;
  SDL_SetWindowBordered(w, (window.style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
  const RECT client = windows::ClientRectOnScreen(window);
  const int width = client.right - client.left > 0 ? client.right - client.left : 1;
  const int height = client.bottom - client.top > 0 ? client.bottom - client.top : 1;
  int currentWidth = 0, currentHeight = 0;
  SDL_GetWindowSize(w, &currentWidth, &currentHeight);
  if (currentWidth != width || currentHeight != height) SDL_SetWindowSize(w, width, height);
  SDL_SetWindowPosition(w, client.left, client.top);
}

void ShowNativeWindow(Window& window) {
  SDL_Window* w = Native(window);
  if (w == nullptr) return;
  if (!window.visible) {
    SDL_HideWindow(w);
  } else if (window.minimised) {
    SDL_MinimizeWindow(w);
  } else {
    SDL_ShowWindow(w);
    SDL_RestoreWindow(w);
  }
}

void RaiseNativeWindow(Window& window) {
  if (window.native != nullptr) SDL_RaiseWindow(Native(window));
}

bool AllowClassRegistration() { return true; }

bool CursorPosition(POINT* point) {
  if (!SdlVideoRunning()) return false;
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  *point = POINT{x, y};
  return true;
}

void ApplyCursor(bool visible) {
  if (SdlVideoRunning()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SetScreenSaver(bool enabled) {
  if (!StartSdlVideo()) return;
  if (enabled) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

int DesktopWidth() {
  SDL_DisplayMode mode;
  return StartSdlVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
}

int DesktopHeight() {
  SDL_DisplayMode mode;
  return StartSdlVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
}

bool DisplayMode(DWORD index, DEVMODEA* result) {
  if (!StartSdlVideo()) return false;
  SDL_DisplayMode mode;
  const int found = index == ENUM_CURRENT_SETTINGS ? SDL_GetCurrentDisplayMode(0, &mode)
                                                  : SDL_GetDisplayMode(0, static_cast<int>(index), &mode);
  if (found != 0) return false;
  *result = DEVMODEA{};
  result->dmSize = sizeof *result;
  result->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  result->dmPelsWidth = static_cast<DWORD>(mode.w);
  result->dmPelsHeight = static_cast<DWORD>(mode.h);
  // Bytes per pixel × 8: SDL calls a 32-bit XRGB mode 24 bits per pixel.
  result->dmBitsPerPel = static_cast<DWORD>(SDL_BYTESPERPIXEL(mode.format) * 8);
  result->dmDisplayFrequency = static_cast<DWORD>(mode.refresh_rate);
  return true;
}

// The desktop keeps its own mode: a requested mode that the display offers is accepted and a
// full-screen window is shown at that size over it.
LONG ChangeDisplayMode(const DEVMODEA* mode) {
  if (mode == nullptr) return DISP_CHANGE_SUCCESSFUL;
  if (!StartSdlVideo()) return DISP_CHANGE_FAILED;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) == 0 && static_cast<DWORD>(m.w) == mode->dmPelsWidth &&
        static_cast<DWORD>(m.h) == mode->dmPelsHeight) {
      return DISP_CHANGE_SUCCESSFUL;
    }
  }
  return DISP_CHANGE_BADMODE;
}

}  // namespace native
