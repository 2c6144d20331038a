// What each platform implementation supplies to the shared pieces in common/.
#pragma once

#include "platform/win32_types.h"

// Whether a library of this name can be loaded (the fake can make it go missing).
bool PlatformHasLibrary(const char* name);

// DirectDraw: whether its object can be created and initialised, and the vertical-blank wait.
bool PlatformDirectDrawAvailable();
bool PlatformDirectDrawInitialize();
bool PlatformInVerticalBlank();
void PlatformWaitForVerticalBlank();

// Device contexts: the desktop's depth (bytes per pixel × 8), and the pixels of a window's client
// area as a 32-bit XRGB canvas, opened for one copy and closed (shown) after it.
struct Canvas;
struct Window;
int PlatformDesktopDepth();
bool PlatformOpenWindowCanvas(Window& window, Canvas* canvas);
// Shows what was copied; destination is the rectangle written, stretched when the source size
// differed from it.
void PlatformCloseWindowCanvas(Window& window, const RECT& destination, bool stretched);
