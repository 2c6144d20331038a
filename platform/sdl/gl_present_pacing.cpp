#include "gl_present_pacing.h"

#include <ctime>

#include "../common/platform_contract.h"

namespace gl {

namespace {

std::int64_t NowNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t RefreshPeriod(SDL_Window* window) {
  SDL_DisplayMode mode;
  const int display = SDL_GetWindowDisplayIndex(window);
  int rate = 0;
  if (SDL_GetCurrentDisplayMode(display >= 0 ? display : 0, &mode) == 0) rate = mode.refresh_rate;
  if (rate <= 0) rate = 60;
  return 1000000000 / rate;
}

}  // namespace

void PresentPacing::Reset() {
  swapInterval_ = -1;
  driverWaits_ = false;
  lastPresent_ = 0;
}

void PresentPacing::Swap(SDL_Window* window, bool waitForRefresh) {
  const int interval = waitForRefresh ? 1 : 0;
  if (interval != swapInterval_) {
    driverWaits_ = SDL_GL_SetSwapInterval(interval) == 0 && interval == 1;
    swapInterval_ = interval;
  }
  SDL_GL_SwapWindow(window);
}

void PresentPacing::Wait(SDL_Window* window, bool waitForRefresh) {
  if (!waitForRefresh) return;
  // A driver that accepted the interval may still not wait (Xvfb has no refresh to wait for):
  // a picture that follows the last one within half a refresh period shows the swap did not
  // wait, and the next refresh tick is waited for here.
  const std::int64_t period = RefreshPeriod(window);
  const std::int64_t now = NowNanoseconds();
  if (!driverWaits_ || now - lastPresent_ < period / 2) PlatformWaitForVerticalBlank();
  lastPresent_ = NowNanoseconds();
}

void PresentPacing::Skip(bool waitForRefresh) {
  if (waitForRefresh) PlatformWaitForVerticalBlank();
  lastPresent_ = NowNanoseconds();
}

}  // namespace gl
