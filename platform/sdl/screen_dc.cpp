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

// The picture of a window shown scaled on its surface (full-screen at the desktop's mode, a
// window the player resized): drawn at the client area's size, kept between copies, and
// scaled onto the surface when the canvas closes.
struct ScaledPicture {
  const Window* window = nullptr;
  PictureFit fit;
  std::vector<std::uint32_t> pixels;
};
ScaledPicture scaled;
bool scaling = false;

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

// What SDL says of the first display (the X server's resolution, or Xft.dpi), rounded; 96
// when it cannot say.
int PlatformDesktopDpi() {
  float horizontal = 0;
  if (!StartSdlVideo() || SDL_GetDisplayDPI(0, nullptr, &horizontal, nullptr) != 0 || !(horizontal > 0)) return 96;
  return static_cast<int>(horizontal + 0.5f);
}

bool PlatformOpenWindowCanvas(Window& window, Canvas* canvas) {
  SDL_Window* native = NativeWindowOf(&window);
  if (native == nullptr) return false;
  BackEndSettled(&window);
  SDL_Surface* surface = SDL_GetWindowSurface(native);
  if (surface == nullptr) return false;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  openSurface = surface;
  PictureFit fit;
  scaling = PictureFitOf(native, surface->w, surface->h, &fit) && !fit.Identity();
  if (scaling) {
    const std::size_t size = static_cast<std::size_t>(fit.pictureWidth) * static_cast<std::size_t>(fit.pictureHeight);
    if (scaled.window != &window || scaled.fit.pictureWidth != fit.pictureWidth ||
        scaled.fit.pictureHeight != fit.pictureHeight) {
      scaled.pixels.assign(size, 0);
    }
    scaled.window = &window;
    scaled.fit = fit;
    *canvas = {scaled.pixels.data(), fit.pictureWidth, fit.pictureHeight, fit.pictureWidth};
    return true;
  }
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
  if (scaling) {
    const Canvas picture{scaled.pixels.data(), scaled.fit.pictureWidth, scaled.fit.pictureHeight,
                         scaled.fit.pictureWidth};
    if (IsXrgb32(surface)) {
      ScalePicture(scaled.fit, picture,
                   Canvas{static_cast<std::uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch / 4});
    } else {
      staging.assign(static_cast<std::size_t>(surface->w) * static_cast<std::size_t>(surface->h), 0);
      ScalePicture(scaled.fit, picture, Canvas{staging.data(), surface->w, surface->h, surface->w});
    }
  }
  if (!IsXrgb32(surface)) {
    SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_RGB888, staging.data(), surface->w * 4,
                      surface->format->format, surface->pixels, surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(NativeWindowOf(&window));
}
