// One picture per display refresh for the OpenGL device: the driver's swap interval where it
// keeps it, else a wait for the next refresh tick after the swap.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace gl {

class PresentPacing {
 public:
  // Forgets what was asked of the driver (a new context).
  void Reset();
  // Swaps the window's buffers, asking the driver to wait for a refresh when `waitForRefresh`.
  void Swap(SDL_Window* window, bool waitForRefresh);
  // After Swap: waits for the next refresh tick when the driver did not.
  void Wait(SDL_Window* window, bool waitForRefresh);
  // In place of Swap and Wait for a picture that cannot be shown (its window is gone): waits for
  // the next refresh tick when asked, so that the game keeps its pace until it ends.
  void Skip(bool waitForRefresh);

 private:
  int swapInterval_ = -1;  // as last asked of the driver; -1 unknown
  bool driverWaits_ = false;
  std::int64_t lastPresent_ = 0;
};

}  // namespace gl
