// The single-copy lock's place and name, apart from the window manager for the tests' sake.
#pragma once

#include <string>

namespace instance_lock {

// What a lock reaches: the display windows are found on, as a short text. Copies of a program on
// different displays, or on a display-less driver and a display, never see each other. X11
// display names that reach the same server read the same (":0", ":0.0", "unix:0"); Wayland's
// relative socket names are taken in the runtime directory; any other driver is its own scope.
std::string ScopeOf(const char* driver, const char* x11Display, const char* waylandDisplay, const char* runtimeDir);

// The directory the locks live in: the user's runtime directory, else $TMPDIR/vornek-<uid> (or
// /tmp), made here. Only a directory the user owns and no one else can write to will do;
// otherwise empty, and the reason is written to standard error, once for each place refused.
std::string Directory();

}  // namespace instance_lock
