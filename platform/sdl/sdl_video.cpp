#include "sdl_video.h"

#include <cstdlib>

#include "../common/window_system.h"
#include "end_signals.h"
#include "x11_window_loss.h"

namespace {

bool started = false;
std::string failure;

// Without an explicit choice SDL would fall back to its off-screen driver and run a game
// nobody can see; only drivers that show something are tried, and Wayland only when a
// session could exist (its library complains on standard error otherwise).
void ChooseDrivers() {
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  if (requested != nullptr && requested[0] != '\0') return;
  std::string drivers = "x11";
  if (std::getenv("WAYLAND_DISPLAY") != nullptr || std::getenv("XDG_RUNTIME_DIR") != nullptr) drivers += ",wayland";
  drivers += ",kmsdrm";
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

// The software back-end's picture goes to the display as it is. SDL would otherwise carry a
// window surface through an OpenGL texture, which without a GPU is a software rasteriser costing
// a quarter of a core and some 90 MB; and the hardware back-end owns the window's GL context
// alone. Overrides the environment too.
void KeepSurfaceOffOpenGl() { SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE); }

// On deactivation the engine gives the desktop its mode back and minimises the window itself;
// SDL doing the same on its own would leave two owners of the window's state.
void KeepWindowOnFocusLoss() { SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0"); }

}  // namespace

bool StartSdlVideo(std::string* error) {
  if (!started && failure.empty()) {
    ChooseDrivers();
    KeepWindowOnFocusLoss();
    KeepSurfaceOffOpenGl();
    end_signals::Catch();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
      started = true;
      x11::WatchDisplay();
      // Gives back the display connection and what SDL holds for it when the process ends.
      std::atexit(SDL_Quit);
    } else {
      failure = SDL_GetError();
      if (failure.empty()) failure = "video initialisation failed";
    }
  }
  if (!started && error != nullptr) *error = failure;
  return started;
}

bool SdlVideoRunning() { return started; }

SDL_Window* NativeWindowOf(HWND handle) {
  Window* w = windows::Find(handle);
  return w != nullptr ? static_cast<SDL_Window*>(w->native) : nullptr;
}
