// What other X clients do to a window: here, destroy it (as `xdotool windowclose` does), and what
// the display refused of this process on a window.
#pragma once

#include <SDL.h>

#include <string>

// Destroys the SDL window's X window from a connection of its own; false without X.
bool DestroyFromOutside(SDL_Window* window);

// While it lives, counts the requests the display refuses on the SDL window's present X window,
// in front of the X error handler installed before it, which still sees every error.
class RefusedRequests {
 public:
  explicit RefusedRequests(SDL_Window* window);
  ~RefusedRequests();
  RefusedRequests(const RefusedRequests&) = delete;
  RefusedRequests& operator=(const RefusedRequests&) = delete;

  // After a round trip on the window's connection, so that every error is in: the refused
  // requests by request code, an extension's with its minor code ("14 130.3"), empty when none.
  std::string Taken();
};
