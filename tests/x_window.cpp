#include "x_window.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace {

bool X11Of(SDL_Window* window, SDL_SysWMinfo* info) {
  SDL_VERSION(&info->version);
  return window != nullptr && SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}

Display* watchedDisplay = nullptr;
::Window watchedId = 0;
std::string refused;
XErrorHandler before = nullptr;

int CountRefused(Display* display, XErrorEvent* error) {
  if (error->resourceid == watchedId) {
    if (!refused.empty()) refused += ' ';
    refused += std::to_string(error->request_code);
    if (error->request_code >= 128) refused += '.' + std::to_string(error->minor_code);
  }
  return before != nullptr ? before(display, error) : 0;
}

}  // namespace

bool DestroyFromOutside(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!X11Of(window, &info)) return false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XDestroyWindow(display, info.info.x11.window);
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}

RefusedRequests::RefusedRequests(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!X11Of(window, &info)) return;
  watchedDisplay = info.info.x11.display;
  watchedId = info.info.x11.window;
  refused.clear();
  before = XSetErrorHandler(CountRefused);
}

RefusedRequests::~RefusedRequests() {
  if (watchedDisplay == nullptr) return;
  XSetErrorHandler(before);
  watchedDisplay = nullptr;
  watchedId = 0;
}

std::string RefusedRequests::Taken() {
  if (watchedDisplay != nullptr) XSync(watchedDisplay, False);
  return refused;
}
