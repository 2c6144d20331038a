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
