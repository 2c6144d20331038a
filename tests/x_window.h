// What other X clients do to a window: here, destroy it (as `xdotool windowclose` does).
#pragma once

#include <SDL.h>

// Destroys the SDL window's X window from a connection of its own; false without X.
bool DestroyFromOutside(SDL_Window* window);
