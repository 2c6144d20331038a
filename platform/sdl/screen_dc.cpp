// The desktop's depth and the SDL window's surface as the client area's pixels.
#include <vector>

#include "../common/dib_copy.h"
#include "../common/platform_contract.h"
#include "../common/window_system.h"
#include "sdl_video.h"

namespace {

// Rows drawn for a surface that is not 32-bit XRGB, converted when the canvas closes.
std::vector<std::uint32_t> staging;
SDL_Surface* openSurface = nullptr;

bool IsXrgb32(const SDL_Surface* surface) {
  return surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0xFF0000 &&
         surface->format->Gmask == 0xFF00 && surface->format->Bmask == 0xFF;
}

}  // namespace

// Bytes per pixel × 8: SDL calls a 32-bit XRGB desktop 24 bits per pixel.
int PlatformDesktopDepth() {
  if (!StartSdlVideo()) return 0;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return SDL_BYTESPERPIXEL(mode.format) * 8;
}

bool PlatformOpenWindowCanvas(Window& window, Canvas* canvas) {
  SDL_Window* native = NativeWindowOf(&window);
  if (native == nullptr) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(native);
  if (surface == nullptr) return false;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  openSurface = surface;
  if (IsXrgb32(surface)) {
    *canvas = {static_cast<std::uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch / 4};
  } else {
    staging.assign(static_cast<std::size_t>(surface->w) * static_cast<std::size_t>(surface->h), 0);
    *canvas = {staging.data(), surface->w, surface->h, surface->w};
  }
  return true;
}

void PlatformCloseWindowCanvas(Window& window, const RECT&, bool) {
  SDL_Surface* surface = openSurface;
  openSurface = nullptr;
  if (surface == nullptr) return;
  if (!IsXrgb32(surface)) {
    SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_RGB888, staging.data(), surface->w * 4,
                      surface->format->format, surface->pixels, surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(NativeWindowOf(&window));
}
