// SDL's video subsystem, started once for everything that needs the display.
#pragma once

#include <SDL.h>

#include <string>

#include "../common/picture_fit.h"
#include "platform/win32_types.h"

struct Window;

// True when SDL video runs; otherwise the reason is in *error (when given).
bool StartSdlVideo(std::string* error = nullptr);
bool SdlVideoRunning();

// The SDL window behind a window handle, or null (for the graphics back-ends).
SDL_Window* NativeWindowOf(HWND window);

// The SDL window behind a window handle, able to carry an OpenGL context. A window made without
// OpenGL is replaced first by one that can, with the same title, place, border, state and focus;
// the handle stays. Null, with SDL's error set, where no such window can be had (no OpenGL
// library, a driver without OpenGL); the window is then left as it was.
SDL_Window* OpenGlWindowOf(HWND window);
// After a device could not be made on it after all: the window is replaced by one without OpenGL,
// so that the software back-end draws on it without OpenGL loaded for nothing, and
// OpenGlWindowOf refuses it from then on.
void RefuseOpenGl(HWND window);
// The SDL window that replaced the one with this id (events it queued before it went are still
// read), or null.
SDL_Window* SdlWindowSucceeding(Uint32 id);

// Puts the window into or out of full-screen after it was minimised or shown again from outside.
void SyncFullScreen(Window& window);

// How the picture of the window on this SDL window (its client area) is placed on an output of
// this size: the window's pixels, or OpenGL's drawable. False for an SDL window of no window.
bool PictureFitOf(SDL_Window* native, int outputWidth, int outputHeight, PictureFit* fit);
// A position in the window's SDL window as a screen position in its client area's pixels.
POINT WindowPointToScreen(const Window& window, int x, int y);
// The window's back-end is settled (a device made or refused on it, a picture copied to it):
// a main window kept unmapped until then is shown.
void BackEndSettled(HWND window);
// Shows a main window that waited too long for its back-end.
void RevealOverdueWindow();
