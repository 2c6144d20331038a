#include "x_window.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

bool DestroyFromOutside(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XDestroyWindow(display, info.info.x11.window);
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}
