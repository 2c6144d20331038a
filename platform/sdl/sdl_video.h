// SDL's video subsystem, started once for everything that needs the display.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/win32_types.h"

struct Window;

// True when SDL video runs; otherwise the reason is in *error (when given).
bool StartSdlVideo(std::string* error = nullptr);
bool SdlVideoRunning();

// The SDL window behind a window handle, or null (for the graphics back-ends).
SDL_Window* NativeWindowOf(HWND window);

// Puts the window into or out of full-screen after it was minimised or shown again from outside.
void SyncFullScreen(Window& window);
