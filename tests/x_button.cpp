#include "x_button.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

Display* Of(void* display) { return static_cast<Display*>(display); }

}  // namespace

XLeftButton::XLeftButton() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  display_ = display;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  available_ = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) != 0;
}

XLeftButton::~XLeftButton() {
  if (display_ == nullptr) return;
  if (held_) Set(false);
  XCloseDisplay(Of(display_));
}

void XLeftButton::Set(bool held) {
  if (!available_) return;
  XTestFakeButtonEvent(Of(display_), 1, held ? True : False, CurrentTime);
  XSync(Of(display_), False);
  held_ = held;
}

// Moved by another client, as xdotool, remote desktops and virtual pointers move it: the window
// gets core motion events only. (Motion through the test extension would also send the input
// extension's raw events, and hide a client that follows those alone.)
void XLeftButton::MoveTo(int x, int y) {
  if (!available_) return;
  Display* display = Of(display_);
  XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
  XSync(display, False);
}
