// What the X display does to our windows behind SDL's back. Xlib's own error handler ends the
// process on any protocol error, and a window destroyed by another client (a task manager, a
// remote-desktop tool, `xdotool windowclose`) makes every later request on it one. Here errors
// are noted instead, and a window that is gone is reported once so it can be closed in order.
// A connection to the display that breaks ends the process at once, with one line on standard
// error. Nothing happens under drivers other than X11.
#pragma once

#include <SDL.h>

namespace x11 {

// Installs the error handlers and asks SDL for the display's raw events; after SDL video started.
void WatchDisplay();
// Start and end of the watch on one SDL window.
void WatchWindow(SDL_Window* window);
void ForgetWindow(SDL_Window* window);
// A raw event SDL passed on (SDL_SYSWMEVENT).
void NoteEvent(const SDL_SysWMmsg* message);
// True when the X keyboard focus is on the window, whether or not SDL has seen it arrive.
bool HasInputFocus(SDL_Window* window);
// True once, the first time it is asked after the window was destroyed from outside.
bool TakeLoss(SDL_Window* window);
// True while the window is known destroyed from outside, before the pump has taken the loss as
// well as after: nothing may be drawn or swapped on it. Makes no round trip to the display: it
// looks through the events already read or waiting on the connection, and takes none of them.
bool Lost(SDL_Window* window);

}  // namespace x11
