// The display's refresh, from its refresh rate and the monotonic clock: a wait ends at the next
// refresh tick. Drivers without a vertical-blank interrupt (Xvfb, most remote displays) are
// paced the same way.
#include <SDL.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "../common/platform_contract.h"

namespace {

std::int64_t NowNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t RefreshPeriodNanoseconds() {
  int rate = 0;
  SDL_DisplayMode mode;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetCurrentDisplayMode(0, &mode) == 0) rate = mode.refresh_rate;
  if (rate <= 0) rate = 60;
  return 1000000000 / rate;
}

}  // namespace

bool PlatformHasLibrary(const char*) { return true; }
bool PlatformDirectDrawAvailable() { return true; }
bool PlatformDirectDrawInitialize() { return true; }

bool PlatformInVerticalBlank() { return false; }

void PlatformWaitForVerticalBlank() {
  const std::int64_t period = RefreshPeriodNanoseconds();
  const std::int64_t now = NowNanoseconds();
  const std::int64_t next = (now / period + 1) * period;
  timespec wait{static_cast<time_t>((next - now) / 1000000000), static_cast<long>((next - now) % 1000000000)};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}
